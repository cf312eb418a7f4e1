// Renders every window and dialog offscreen to PNG files for review.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>

#include "app/AboutBox.h"
#include "app/CVQS90App.h"
#include "support/ScriptedPrompts.h"
#include "dialogs/CommSetupDialog.h"
#include "dialogs/ManualCommandDialog.h"
#include "dialogs/RegisterCommandMenu.h"
#include "dialogs/WhiteSpotDialog.h"
#include "dialogs/WhiteSpotMap.h"
#include "platform/Clock.h"
#include "sim/CameraModel.h"
#include "sim/MemoryDevice.h"

namespace {

struct SilentOutput : OperatorOutput {
  void ShowStatusText(const std::string&) override {}
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
};

bool Save(QWidget& widget, const QDir& dir, const char* name) {
  widget.show();
  // Windows' styles fade a button into its new state; the picture shows where the fade ends.
  QElapsedTimer settling;
  settling.start();
  while (settling.elapsed() < 500) QApplication::processEvents(QEventLoop::AllEvents, 50);
  QString path = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
  bool ok = widget.grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("snapshots"));
  dir.mkpath(QStringLiteral("."));

  VirtualClock clock;
  CameraModel camera;
  SilentOutput output;
  ScriptedPrompts prompts;
  CameraParameterSet parameters(std::make_unique<MemoryDevice>(camera, clock), clock);
  parameters.SetOperatorOutput(&output);

  bool ok = true;
  {
    CVQS90App app({&parameters, &output, &prompts, QStringLiteral("QL7 engineering menu"), {}});
    if (app.InitInstance() != 0) return 1;
    app.MainFrame()->OnIdle();
    ok = Save(*app.MainFrame(), dir, "main-window") && ok;
    // The camera set to 1TRIG with partial scan on, then read back as Read From Camera does.
    camera.SetSetting(0x01, 0x04, 2);
    camera.SetSetting(0x01, 0x1E, 1);
    camera.SetSetting(0x01, 0x1F, 0x6400);  // start 100
    camera.SetSetting(0x01, 0x20, 0xC800);  // width 200
    app.Document()->OnReadFromCamera();
    app.MainFrame()->OnIdle();
    ok = Save(*app.MainFrame(), dir, "main-window-1trig-partial") && ok;

    ManualCommandDialog manual(parameters);
    static_cast<QLineEdit*>(manual.Control(1112))->setText(QStringLiteral("01FF810C000000"));
    manual.OnRead();
    ok = Save(manual, dir, "manual-command") && ok;

    RegisterCommandMenu menu(parameters);
    menu.Create();
    ok = Save(menu, dir, "register-command-menu") && ok;

    WhiteSpotDialog spots(*app.Document());
    spots.Create();
    static_cast<QAbstractButton*>(spots.Control(1161))->click();
    ok = Save(spots, dir, "white-spot-detect") && ok;

    // The map beside the list, with the partial-scan window read above shaded: no spots, the three
    // of the list's example with the mouse on the second, and a full list of 64 scattered over the sensor.
    std::vector<CameraModel::Spot> scattered;
    for (int i = 0; i < 64; ++i) scattered.push_back({(i * 211 + 37) % 1392, (i * 97 + 13) % 1040});
    const std::pair<const char*, std::vector<CameraModel::Spot>> lists[] = {
        {"whitespot-0", {}}, {"whitespot-3", {{10, 20}, {300, 5}, {1000, 999}}}, {"whitespot-64", scattered}};
    for (const auto& [name, list] : lists) {
      camera.SetSpots(list);
      static_cast<QAbstractButton*>(spots.Control(1161))->click();
      if (list.size() == 3) {
        WhiteSpotMap& map = spots.Map();
        const QPointF at = map.Place(300, 5);
        QMouseEvent move(QEvent::MouseMove, at, map.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&map, &move);
      }
      ok = Save(spots, dir, name) && ok;
    }
  }
  CommSetupDialog setup;
  ok = Save(setup, dir, "comm-setup") && ok;
  AboutBox about;
  ok = Save(about, dir, "about") && ok;
  return ok ? 0 : 1;
}
