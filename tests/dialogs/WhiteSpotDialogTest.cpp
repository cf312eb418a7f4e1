// The white spot detection dialog against the simulated camera: opening, threshold, detection runs, spot list.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "camera/CVQS90Doc.h"
#include "dialogs/WhiteSpotDialog.h"
#include "dialogs/WhiteSpotMap.h"
#include "panel/FormBuilder.h"
#include "resources/WhiteSpotLayout.h"
#include "support/MemoryCamera.h"

using namespace WhiteSpotIds;
using Texts = std::vector<std::string>;
using Points = std::vector<std::pair<int, int>>;

namespace {

// The box shows each CR LF that ends a line of the list as one line break.
const char* const ThreeSpots = "No. 1: x =   10,  y =   20\nNo. 2: x =  300,  y =    5\nNo. 3: x = 1000,  y =  999\n";

// Records the boxes and lets a test act while one is open, as the box's own event loop would.
struct InterruptingOutput : OperatorOutput {
  void ShowStatusText(const std::string&) override {}
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    boxes.push_back({text, caption, icon});
    if (whileOpen) whileOpen();
  }
  std::vector<RecordingOperatorOutput::Message> boxes;
  std::function<void()> whileOpen;
};

struct SpotRig {
  explicit SpotRig(int threshold = 20, int correction = 0) {
    link.camera.SetSetting(0x01, 0x4C, static_cast<uint32_t>(threshold));
    link.camera.SetSetting(0x01, 0x4B, static_cast<uint32_t>(correction));
    link.parameters->SetValue(ParamWhiteSpotThreshold, 7, false);  // only the camera's value may show
    link.parameters->SetOperatorOutput(&output);
    dialog.Create();
  }
  QScrollBar* Bar() const { return static_cast<QScrollBar*>(dialog.Control(ThresholdBar)); }
  std::string Readout() const { return static_cast<QLabel*>(dialog.Control(ThresholdReadout))->text().toStdString(); }
  std::string List() const { return static_cast<QPlainTextEdit*>(dialog.Control(SpotList))->toPlainText().toStdString(); }
  bool Checked(int id) const { return static_cast<QAbstractButton*>(dialog.Control(id))->isChecked(); }
  void Click(int id) { static_cast<QAbstractButton*>(dialog.Control(id))->click(); }
  Texts RequestsFrom(size_t first) const { return {link.Requests().begin() + static_cast<long>(first), link.Requests().end()}; }
  Texts Boxes() const {
    Texts texts;
    for (const auto& box : output.boxes) texts.push_back(box.text);
    return texts;
  }
  Points Mapped() const {
    Points points;
    for (auto spot : dialog.Map().Spots()) points.emplace_back(spot.x, spot.y);
    return points;
  }
  void RunToEnd() {
    for (int ticks = 0; dialog.IsPolling() && ticks < 20; ++ticks) dialog.DeliverPollTick();
  }

  MemoryCamera link;
  InterruptingOutput output;
  CVQS90Doc doc{*link.parameters};
  WhiteSpotDialog dialog{doc};
};

}  // namespace

TEST(WhiteSpotDialog, OpeningReadsThresholdAndCorrection) {
  for (int correction : {0, 1}) {
    SpotRig rig(20, correction);
    EXPECT_EQ(rig.link.Requests(), (Texts{"01FF814C000000", "01FF814B000000"}));
    EXPECT_EQ(rig.Bar()->maximum(), 255);
    EXPECT_EQ(rig.Bar()->value(), 20);
    EXPECT_EQ(rig.Readout(), "20\n");
    EXPECT_EQ(rig.Checked(CorrectionOff), correction == 0);
    EXPECT_EQ(rig.Checked(CorrectionOn), correction == 1);
    EXPECT_TRUE(rig.dialog.isVisible());
    EXPECT_FALSE(rig.dialog.Control(CorrectionOn)->isVisible());
  }
}

TEST(WhiteSpotDialog, SliderWritesClampedStepsAndMovesOnlyOnSuccess) {
  const std::tuple<int, QAbstractSlider::SliderAction, const char*, int> steps[] = {
      {20, QAbstractSlider::SliderSingleStepAdd, "01FF014C150000", 21},
      {250, QAbstractSlider::SliderPageStepAdd, "01FF014CFF0000", 255},
      {0, QAbstractSlider::SliderSingleStepSub, "01FF014C000000", 0},
      {5, QAbstractSlider::SliderPageStepSub, "01FF014C000000", 0},
  };
  for (auto [start, action, request, position] : steps) {
    SpotRig rig(start);
    rig.Bar()->triggerAction(action);
    EXPECT_EQ(rig.RequestsFrom(2), Texts{request}) << start;
    EXPECT_EQ(rig.Bar()->value(), position);
    EXPECT_EQ(rig.Readout(), " " + std::to_string(position) + " ");
  }

  SpotRig rig(20);
  rig.Bar()->setSliderDown(true);
  for (int p : {30, 40}) rig.Bar()->setSliderPosition(p);
  rig.Bar()->setSliderDown(false);
  EXPECT_EQ(rig.RequestsFrom(2), (Texts{"01FF014C1E0000", "01FF014C280000", "01FF014C280000"})) << "drag and release";
  rig.Bar()->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(rig.link.Requests().size(), 5u);

  rig.link.camera.Faults().silent = true;
  rig.Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(rig.Bar()->value(), 40);
  EXPECT_EQ(rig.Readout(), " 40 ");
  ASSERT_EQ(rig.output.boxes.size(), 1u);
  EXPECT_EQ(rig.output.boxes[0].icon, MessageIcon::Error);
}

TEST(WhiteSpotDialog, DetectTwiceRunsOneTimer) {
  SpotRig rig;
  rig.Click(Detect);
  rig.Click(Detect);
  EXPECT_EQ(rig.RequestsFrom(2), (Texts{"01FF014D010000", "01FF014D010000"}));
  const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(&rig.dialog);
  ASSERT_EQ(timers.size(), 1);
  EXPECT_EQ(timers[0].interval, 200);
}

TEST(WhiteSpotDialog, EachEndStateStopsPollingWithItsMessageEvenWhileHidden) {
  const std::tuple<int, const char*, const char*> ends[] = {
      {0, "Detect is finished.", ThreeSpots}, {2, "Number of detect is over.", ""}, {3, "Detect error", ""}};
  for (auto [outcome, message, list] : ends) {
    SpotRig rig;
    rig.link.camera.SetDetection(2, outcome);
    rig.Click(Detect);
    rig.Click(Close);
    ASSERT_FALSE(rig.dialog.isVisible());
    rig.RunToEnd();
    EXPECT_EQ(std::count(rig.link.Requests().begin(), rig.link.Requests().end(), "00FF814D000000"), 3) << outcome;
    EXPECT_FALSE(rig.dialog.IsPolling());
    ASSERT_EQ(rig.Boxes(), Texts{message});
    EXPECT_EQ(rig.output.boxes[0].caption, "VQ-R310NTX");
    EXPECT_EQ(rig.output.boxes[0].icon, MessageIcon::None);
    EXPECT_EQ(rig.List(), list);
    EXPECT_EQ(rig.Mapped().size(), outcome == 0 ? 3u : 0u);
  }
}

TEST(WhiteSpotDialog, ReadListsSpotsToTheEndMarkerOrTheFirstFailedRead) {
  SpotRig rig;
  rig.link.camera.SetSpots({{10, 20}, {300, 5}, {1000, 999}});
  rig.Click(Read);
  EXPECT_EQ(rig.List(), ThreeSpots);
  EXPECT_EQ(rig.Mapped(), (Points{{10, 20}, {300, 5}, {1000, 999}})) << "from the same reads";
  EXPECT_EQ(rig.RequestsFrom(2), (Texts{"00FF9100000000", "00FF9101000000", "00FF9102000000", "00FF9103000000",
                                       "00FF9104000000", "00FF9105000000", "00FF9106000000"}));
  rig.link.camera.SetSpots({});
  rig.Click(Read);
  EXPECT_EQ(rig.List(), "");
  EXPECT_EQ(rig.Mapped(), Points{});
  EXPECT_TRUE(rig.output.boxes.empty());

  rig.link.camera.SetSpots({{10, 20}, {300, 5}});
  rig.link.camera.Faults().silentAfterRequests = static_cast<int>(rig.link.Requests().size()) + 3;  // y of spot 2
  rig.Click(Read);
  EXPECT_EQ(rig.List(), "No. 1: x =   10,  y =   20\n");
  EXPECT_EQ(rig.Mapped(), (Points{{10, 20}}));
  ASSERT_EQ(rig.output.boxes.size(), 1u);
  EXPECT_EQ(rig.output.boxes[0].icon, MessageIcon::Error);
}

TEST(WhiteSpotDialog, TicksAreHeldBackWhileATickIsBeingHandled) {
  SpotRig rig;
  rig.link.camera.SetDetection(1, 0);
  rig.Click(Detect);
  // A failed state read keeps the run marked running; ticks keep coming while its error box is open.
  rig.link.camera.Faults().silent = true;
  int interruptions = 0;
  rig.output.whileOpen = [&] {
    if (++interruptions <= 3) rig.dialog.DeliverPollTick();  // bounded, so a missing hold-back fails the test
  };
  rig.dialog.DeliverPollTick();
  EXPECT_EQ(rig.output.boxes.size(), 1u) << "no stacked error boxes";
  EXPECT_TRUE(rig.dialog.IsPolling());

  rig.link.camera.Faults().silent = false;
  size_t requestsWhileOpen = 0;
  rig.output.whileOpen = [&] {
    rig.dialog.DeliverPollTick();
    requestsWhileOpen = rig.link.Requests().size();
  };
  rig.RunToEnd();
  EXPECT_EQ(rig.Boxes().back(), "Detect is finished.");
  EXPECT_EQ(rig.output.boxes.size(), 2u);
  EXPECT_EQ(rig.RequestsFrom(requestsWhileOpen).size(), 7u) << "the list is read once the box is closed";
  EXPECT_EQ(rig.List(), ThreeSpots);
}

TEST(WhiteSpotDialog, CloseEscEnterAndTheCloseBoxOnlyHide) {
  const std::function<void(WhiteSpotDialog&)> ways[] = {
      [](WhiteSpotDialog& d) { static_cast<QAbstractButton*>(d.Control(Close))->click(); },
      [](WhiteSpotDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
      [](WhiteSpotDialog& d) { QTest::keyClick(d.Control(SpotList), Qt::Key_Enter); },
      [](WhiteSpotDialog& d) { d.close(); },
  };
  for (size_t way = 0; way < std::size(ways); ++way) {
    SpotRig rig;
    ways[way](rig.dialog);
    EXPECT_FALSE(rig.dialog.isVisible()) << way;
    EXPECT_EQ(rig.link.Requests().size(), 2u) << way << ": nothing but the opening reads";
  }
  SpotRig rig;
  rig.dialog.Control(Detect)->setFocus();
  QTest::keyClick(rig.dialog.Control(Detect), Qt::Key_Return);
  EXPECT_TRUE(rig.dialog.IsPolling()) << "Enter on the focused DETECT presses it";
  EXPECT_TRUE(rig.dialog.isVisible());
}

TEST(WhiteSpotDialog, DocumentFocusesAVisibleWindowAndReplacesAHiddenOne) {
  MemoryCamera link;
  CVQS90Doc doc(*link.parameters);
  doc.SetWhiteSpotFactory([&] { return std::make_unique<WhiteSpotDialog>(doc); });
  doc.OpenWhiteSpotWindow();
  QPointer<WhiteSpotDialog> first = dynamic_cast<WhiteSpotDialog*>(doc.WhiteSpotWindow());
  ASSERT_TRUE(first && first->isVisible());
  doc.OpenWhiteSpotWindow();
  EXPECT_EQ(doc.WhiteSpotWindow(), first.data());
  EXPECT_EQ(link.Requests().size(), 2u) << "a visible window is not opened again";

  static_cast<QAbstractButton*>(first->Control(Detect))->click();
  static_cast<QAbstractButton*>(first->Control(Close))->click();
  ASSERT_TRUE(first->IsPolling());
  doc.OpenWhiteSpotWindow();
  EXPECT_TRUE(first.isNull()) << "the hidden window and its timer are gone";
  auto* second = dynamic_cast<WhiteSpotDialog*>(doc.WhiteSpotWindow());
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(second->isVisible());
  EXPECT_FALSE(second->IsPolling());
  EXPECT_EQ(link.Requests().size(), 5u) << "the new window reads threshold and correction again";
}

TEST(WhiteSpotDialog, NoEndMessageForARunNothingWasHeardOf) {
  SpotRig rig;
  rig.link.camera.Faults().silent = true;
  rig.Click(Detect);
  EXPECT_TRUE(rig.dialog.IsPolling()) << "the timer starts whatever the write gave";
  rig.dialog.DeliverPollTick();
  EXPECT_FALSE(rig.dialog.IsPolling());
  EXPECT_EQ(rig.Boxes(), Texts(2, "ERROR - Communication time out detected.\nCheck the connection."))
      << "the failed write and the failed read, and no claim that a detection finished";
}

TEST(WhiteSpotDialog, TheMapStandsBesideTheFormWhoseControlsKeepTheirPlaces) {
  SpotRig rig;
  const FormBuilder builder(WhiteSpotLayout);
  std::vector<QWidget*> form;
  for (size_t i = 0; i < WhiteSpotLayout.count; ++i) {
    const ControlLayout& c = WhiteSpotLayout.controls[i];
    if (c.id == NoId) continue;
    EXPECT_EQ(rig.dialog.Control(c.id)->geometry(), builder.ToPixels(c.x, c.y, c.width, c.height)) << c.id;
    form.push_back(rig.dialog.Control(c.id));
  }
  const QRect map = rig.dialog.Map().geometry();
  EXPECT_EQ(map.left(), builder.ToPixels(WhiteSpotLayout.width, 0).width()) << "where the form ended";
  EXPECT_NEAR(map.width(), map.height() * 1392.0 / 1040.0, 0.5);
  const int margin = builder.ToPixels(8, 0).width();
  EXPECT_GE(rig.dialog.width(), map.right() + 1 + margin);
  EXPECT_LE(rig.dialog.width(), map.right() + 1 + margin + builder.ToPixels(4, 0).width()) << "no more than needed";
  EXPECT_EQ(rig.dialog.height(), builder.ToPixels(0, WhiteSpotLayout.height).height());
  for (int id : {WhiteSpotMapIds::Map, WhiteSpotMapIds::SpotName, WhiteSpotMapIds::SavePng, WhiteSpotMapIds::SaveCsv}) {
    const QRect added = rig.dialog.Control(id)->geometry();
    EXPECT_TRUE(rig.dialog.rect().contains(added)) << id;
    for (QWidget* old : form) {
      EXPECT_FALSE(added.intersects(old->geometry())) << id << " over " << old->objectName().toStdString();
    }
  }
}

TEST(WhiteSpotDialog, TheMapShadesThePartialScanWindowTheDocumentHoldsAndNamesTheSpotUnderTheMouse) {
  SpotRig rig;
  rig.Click(Read);
  EXPECT_FALSE(rig.dialog.Map().Window()) << "partial scan is off";
  for (auto [id, value] : {std::pair{ParamPartialScan, 1}, {ParamPartialScanStart, 100}, {ParamPartialScanWidth, 200}}) {
    rig.link.parameters->SetValue(id, value, false);
  }
  rig.doc.RefreshViews();
  ASSERT_TRUE(rig.dialog.Map().Window());
  EXPECT_EQ(rig.dialog.Map().Window()->first, 100);
  EXPECT_EQ(rig.dialog.Map().Window()->lines, 200);
  rig.link.parameters->SetValue(ParamPartialScan, 0, false);
  rig.doc.RefreshViews();
  EXPECT_FALSE(rig.dialog.Map().Window());
  EXPECT_EQ(rig.link.Requests().size(), 2u + 7u) << "the opening's reads and READ's, nothing for the map";

  auto* name = static_cast<QLabel*>(rig.dialog.Control(WhiteSpotMapIds::SpotName));
  QTest::mouseMove(&rig.dialog.Map(), rig.dialog.Map().Place(300, 5) + QPoint(2, 1));
  EXPECT_EQ(name->text().toStdString(), "No. 2: x = 300, y = 5");
  QTest::mouseMove(&rig.dialog.Map(), QPoint(rig.dialog.Map().width() / 2, rig.dialog.Map().height() / 3));
  EXPECT_EQ(name->text().toStdString(), "");
}

TEST(WhiteSpotDialog, SavesTheMapAsPngAndTheListAsCsvAndReportsAFailedSave) {
  SpotRig rig;
  rig.Click(Read);
  QTemporaryDir dir;
  const std::string png = dir.filePath("map.png").toStdString(), csv = dir.filePath("list.csv").toStdString();
  EXPECT_EQ(rig.dialog.SaveMap(png), 0);
  const QImage saved(QString::fromStdString(png));
  EXPECT_EQ(saved.size(), rig.dialog.Map().size());
  EXPECT_EQ(saved.pixel(rig.dialog.Map().Place(1000, 999)), WhiteSpotMap::SpotColour);
  EXPECT_EQ(rig.dialog.SaveList(csv), 0);
  auto bytes = [](const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(none)";
  };
  EXPECT_EQ(bytes(csv), "No,x,y\r\n1,10,20\r\n2,300,5\r\n3,1000,999\r\n");
  rig.link.camera.SetSpots({});
  rig.Click(Read);
  // The buttons ask for the name; a cancelled choice writes nothing.
  const std::string chosen = dir.filePath("chosen.csv").toStdString();
  QStringList asked;
  QString answer;
  rig.dialog.SetFileChooser([&](QWidget*, const QString& title, const QString& name, const QString&) {
    asked << title + " " + name;
    return answer;
  });
  rig.Click(WhiteSpotMapIds::SavePng);
  answer = QString::fromStdString(chosen);
  rig.Click(WhiteSpotMapIds::SaveCsv);
  EXPECT_EQ(asked, (QStringList{"SAVE PNG whitespots.png", "SAVE CSV whitespots.csv"}));
  EXPECT_EQ(bytes(chosen), "No,x,y\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"chosen.csv", "list.csv", "map.png"}));
  EXPECT_TRUE(rig.output.boxes.empty());

  const std::string missing = QDir::toNativeSeparators(dir.filePath("missing/file")).toStdString();
  const std::tuple<std::function<int(const std::string&)>, std::string> saves[] = {
      {[&](const std::string& path) { return rig.dialog.SaveMap(path); }, "Failed to save the white spot map."},
      {[&](const std::string& path) { return rig.dialog.SaveList(path); }, "Failed to save the white spot list."},
  };
  for (auto [save, what] : saves) {
    rig.output.boxes.clear();
    EXPECT_NE(save(missing), 0) << what;
    ASSERT_EQ(rig.output.boxes.size(), 1u) << what;
    EXPECT_EQ(rig.output.boxes[0].text, what + "\n" + missing + "\nNo such file or directory");
    EXPECT_EQ(rig.output.boxes[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missing)));
  }
  EXPECT_EQ(rig.link.Requests().size(), 2u + 7u + 1u) << "saving asks nothing of the camera";
}
