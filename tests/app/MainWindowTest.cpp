// The main window: menus in both modes, shortcuts, status panes, progress and the idle text.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>

#include "app/AboutBox.h"
#include "app/AppFixture.h"
#include "app/ProgramIcon.h"
#include "resources/AboutLayout.h"
#include "resources/CommandIds.h"
#include "support/FakeServiceWindow.h"

namespace {

QStringList EntryTexts(QMenu* menu) {
  QStringList texts;
  for (QAction* action : menu->actions()) texts.append(action->isSeparator() ? QStringLiteral("---") : action->text());
  return texts;
}

}  // namespace

TEST_F(AppTest, InterfaceMenuOutsideDeveloperMode) {
  ASSERT_EQ(Start(QStringLiteral("/opt/vq/bin/vq-r310ntx")), 0);
  EXPECT_EQ(EntryTexts(app->MainFrame()->TopMenu(1)),
            (QStringList{"&Read From Camera\tCtrl+R", "&Write To Camera\tCtrl+W"}));
  EXPECT_EQ(app->MainFrame()->Action(CommandIds::ManualCommand), nullptr);
  EXPECT_EQ(EntryTexts(app->MainFrame()->TopMenu(0)),
            (QStringList{"&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "---", "Recent File", "---", "E&xit"}));
  EXPECT_EQ(app->MainFrame()->windowTitle(), "VQ-R310NTX") << "the model name the camera reported";
  EXPECT_EQ(app->MainFrame()->frameGeometry().size(), QSize(630, 430)) << "frame and caption included";
}

TEST_F(AppTest, InterfaceMenuInDeveloperMode) {
  ASSERT_EQ(Start(QStringLiteral("/home/eng/ql7 ENGINEERING menu.exe")), 0);
  EXPECT_EQ(EntryTexts(app->MainFrame()->TopMenu(1)),
            (QStringList{"Manual Command...", "&Read From Camera\tCtrl+R", "&Write To Camera\tCtrl+W", "---",
                         "Seria&l Port...\tCtrl+L", "Command Menu "}));
  EXPECT_FALSE(app->MainFrame()->Action(CommandIds::SerialPort)->isEnabled());
  EXPECT_TRUE(CMainFrame::DeveloperMode(QStringLiteral("QL7 engineering menu")));
  EXPECT_FALSE(CMainFrame::DeveloperMode(QStringLiteral("QL7 engineering menu2")));
}

TEST_F(AppTest, CtrlPOpensTheCommandMenuInBothModes) {
  for (const char* name : {"vq-r310ntx", "QL7 engineering menu"}) {
    ASSERT_EQ(Start(QString::fromLatin1(name)), 0);
    FakeServiceWindow::Log log;
    app->Document()->SetCommandMenuFactory([&] { return std::make_unique<FakeServiceWindow>(log, true); });
    CMainFrame* frame = app->MainFrame();
    QApplication::setActiveWindow(frame);
    QTest::keyClick(frame, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(log.created, 1) << name;
    End();
  }
}

TEST_F(AppTest, PortPaneNamesTheOpenPort) {
  prompts.setup.link.com = 10;
  ASSERT_EQ(Start(), 0);
  Idle();
  EXPECT_EQ(app->MainFrame()->PortPane(), "COM10");
  link.parameters->Close();
  Idle();
  EXPECT_EQ(app->MainFrame()->PortPane(), " ?");
}

TEST_F(AppTest, ReadyReplacesTheTransferTextWhenIdle) {
  ASSERT_EQ(Start(), 0);
  app->Document()->WriteCameraValue(ParamGainLevel, 200);
  EXPECT_EQ(app->MainFrame()->StatusText(), "Sending Gain Level data to camera...");
  Idle();
  EXPECT_EQ(app->MainFrame()->StatusText(), "Ready");
}

TEST_F(AppTest, ProgressBarShowsWhileReadAllRunsAndGoes) {
  ASSERT_EQ(Start(), 0);
  struct Watching : FrameOutput {
    int shown = 0;
    void ShowProgress(int done, int total) override {
      FrameOutput::ShowProgress(done, total);
      if (frame->ProgressVisible()) ++shown;
    }
  } watching;
  watching.frame = app->MainFrame();
  link.port->SetOperatorOutput(&watching);
  app->Document()->OnReadFromCamera();
  EXPECT_EQ(watching.shown, 46);
  EXPECT_FALSE(app->MainFrame()->ProgressVisible());
}

TEST_F(AppTest, ManualCommandRunsTheDialogThenReadsEverything) {
  ASSERT_EQ(Start(QStringLiteral("QL7 engineering menu")), 0);
  size_t before = link.Requests().size();
  app->MainFrame()->Action(CommandIds::ManualCommand)->trigger();
  EXPECT_EQ(prompts.manualCommandRuns, 1);
  EXPECT_EQ(link.Requests().size(), before + 46);
}

TEST_F(AppTest, HighlightedEntryShowsItsPromptDisabledOrNot) {
  ASSERT_EQ(Start(QStringLiteral("QL7 engineering menu")), 0);
  CMainFrame* frame = app->MainFrame();
  QMenu* menu = frame->TopMenu(1);
  frame->menuBar()->setActiveAction(menu->menuAction());
  ASSERT_TRUE(menu->isVisible());
  // The disabled "Seria&l Port..." stands between enabled entries, so a prompt left over would show.
  const std::pair<int, const char*> entries[] = {{CommandIds::ReadFromCamera, "Read Every Camera Data From Camera"},
                                                 {CommandIds::SerialPort, "Select A Communication Port"},
                                                 {CommandIds::CommandMenu, "Adjust Camera Data"},
                                                 {CommandIds::SerialPort, "Select A Communication Port"},
                                                 {CommandIds::ManualCommand, "Send or Receive Message Manually"}};
  for (auto [id, prompt] : entries) {
    QTest::mouseMove(menu, menu->actionGeometry(frame->Action(id)).center());
    EXPECT_EQ(menu->activeAction(), frame->Action(id)) << id;
    EXPECT_EQ(frame->StatusText(), prompt) << id;
  }
  menu->close();
}

TEST_F(AppTest, ProgramIconOnTheWindowsAndInTheAboutBoxWithOneVersion) {
  ASSERT_EQ(Start(), 0);
  const QImage icon = ProgramIcon().pixmap(32).toImage();
  ASSERT_FALSE(icon.isNull()) << "the icon is compiled in and readable";
  EXPECT_EQ(app->MainFrame()->windowIcon().pixmap(32).toImage(), icon);
  AboutBox about(app->MainFrame());
  EXPECT_EQ(about.windowIcon().pixmap(32).toImage(), icon);
  auto* image = static_cast<QLabel*>(about.Control(AboutLayout::IconImage));
  EXPECT_EQ(image->pixmap().toImage(), ProgramIcon().pixmap(image->size()).toImage());

  QString texts;
  for (QLabel* label : about.findChildren<QLabel*>()) texts += label->text() + QLatin1Char('\n');
  int versions = 0;
  for (auto it = QRegularExpression(QStringLiteral("\\d+(\\.\\d+)+")).globalMatch(texts); it.hasNext(); it.next()) {
    ++versions;
  }
  EXPECT_EQ(versions, 1) << texts.toStdString();
  // The one platform it names is the one it was built for.
#ifdef _WIN32
  const QString platform = QStringLiteral("For Windows");
#else
  const QString platform = QStringLiteral("For Linux");
#endif
  EXPECT_EQ(static_cast<QLabel*>(about.Control(AboutLayout::PlatformLine))->text(), platform);
}
