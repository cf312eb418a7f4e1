// The main window: menus in both modes, shortcuts, status panes, progress and the idle text.
#include <QAction>
#include <QMenu>
#include <QTest>

#include "app/AppFixture.h"
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
  EXPECT_EQ(app->MainFrame()->size(), QSize(630, 430));
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
  prompts.setup.selectionIndex = 9;
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

TEST_F(AppTest, HighlightedEntryShowsItsPrompt) {
  ASSERT_EQ(Start(QStringLiteral("QL7 engineering menu")), 0);
  const std::pair<int, const char*> entries[] = {{CommandIds::ReadFromCamera, "Read Every Camera Data From Camera"},
                                                 {CommandIds::WriteToCamera, "Write Every Camera Data To Camera"},
                                                 {CommandIds::ManualCommand, "Send or Receive Message Manually"},
                                                 {CommandIds::SerialPort, "Select A Communication Port"},
                                                 {CommandIds::CommandMenu, "Adjust Camera Data"}};
  for (auto [id, prompt] : entries) {
    app->MainFrame()->Action(id)->showStatusText(app->MainFrame());
    EXPECT_EQ(app->MainFrame()->StatusText(), prompt);
  }
}
