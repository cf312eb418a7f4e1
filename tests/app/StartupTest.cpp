// Start-up in its order: setup choice, link, camera read, document, and the port number stored at the end.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/AppFixture.h"
#include "link/CameraLinkLibrary.h"
#include "sim/CameraModel.h"
#include "support/SimulatedGrabber.h"
#include "support/SystemNames.h"

namespace {

const std::string CannotOpen = "ERROR - Can not open communciation port.";
const std::string NotOpened = "ERROR - Communication port not opened.";

QByteArray SaveSettingsFile(const QTemporaryDir& dir) {
  MemoryCamera other;
  CVQS90Doc doc(*other.parameters);
  doc.WriteCameraValue(ParamGainLevel, 321);
  QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("golden.vq")));
  doc.OnSaveDocument(path);
  return path;
}

}  // namespace

TEST_F(AppTest, DefaultsOpenCom1At9600AndReadTheCamera) {
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(link.device->OpenedPath(), SystemPortName(1));
  EXPECT_EQ(link.device->Settings().baudRate, 9600);
  EXPECT_EQ(link.Requests().size(), 46u);
  EXPECT_TRUE(app->MainFrame()->isVisible());
  EXPECT_FALSE(app->Document()->IsModified()) << "the start-up read goes past the document";
  End();
  EXPECT_EQ(Stored("Settings/COM Port").toInt(), 1);
}

TEST_F(AppTest, Com3At115200IsStoredAtTheEnd) {
  prompts.setup.link.com = 3;
  prompts.setup.link.baud = 115200;
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(link.device->OpenedPath(), SystemPortName(3));
  EXPECT_EQ(link.device->Settings().baudRate, 115200);
  End();
  EXPECT_EQ(Stored("Settings/COM Port").toInt(), 3);
}

TEST_F(AppTest, CancelEndsWithStatusOneAndStoresPortZero) {
  prompts.setup.accepted = false;
  EXPECT_EQ(Start(), 1);
  EXPECT_EQ(app->MainFrame(), nullptr);
  EXPECT_FALSE(link.parameters->IsPortOpen());
  End();
  EXPECT_EQ(Stored("Settings/COM Port").toInt(), 0);
}

TEST_F(AppTest, PortThatDoesNotOpenIsReportedAndTheProgramStillStarts) {
  link.device->RefuseOpen(true);
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(output.messages, std::vector<std::string>{CannotOpen}) << "no camera read without an open port";
  EXPECT_TRUE(link.Requests().empty());
  Idle();
  EXPECT_EQ(app->MainFrame()->PortPane(), " ?");
}

TEST_F(AppTest, OtherFactoryWithEmptyPathReportsTwiceAndStarts) {
  prompts.setup.link.cameraLink = "";  // Other Factory with nothing typed
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(output.messages, (std::vector<std::string>{CannotOpen, NotOpened}));
  EXPECT_TRUE(app->MainFrame()->isVisible());
  End();
  EXPECT_EQ(Stored("Settings/COM Port").toInt(), 0);
}

TEST_F(AppTest, MatroxIsLookedUpByItsSystemName) {
  EXPECT_EQ(CameraLinkLibraryPath(CameraLinkBoard::Matrox, "ignored"), SystemLibraryName("clsermtx"));
  EXPECT_EQ(CameraLinkLibraryPath(CameraLinkBoard::Euresys, "ignored"), SystemLibraryName("clseremc"));
  prompts.setup.link.cameraLink = "Matrox";
  ASSERT_EQ(Start(), 0);
  // No grabber library is installed here, so the load fails as it would on a machine without the board.
  EXPECT_EQ(output.messages, (std::vector<std::string>{CannotOpen, NotOpened}));
}

TEST_F(AppTest, FileOnTheCommandLineOverSerialIsNotPrecededByARead) {
  QTemporaryDir dir;
  QByteArray path = SaveSettingsFile(dir);
  ASSERT_EQ(Start(QStringLiteral("vq-r310ntx"), {path}), 0);
  ASSERT_EQ(link.Requests().size(), 21u) << "only the file's write-all";
  EXPECT_EQ(link.Requests()[5], "01FF010C014100");
  EXPECT_EQ(app->Document()->PathName(), path);
  // The full path as the system writes it (backslashes on Windows).
  EXPECT_EQ(app->RecentFiles().Paths(), QByteArrayList{QDir::toNativeSeparators(QString::fromUtf8(path)).toUtf8()});
}

TEST_F(AppTest, FileOnTheCommandLineOverCameraLinkComesAfterTheRead) {
  QTemporaryDir dir;
  QByteArray path = SaveSettingsFile(dir);
  SimulatedGrabber grabber;
  ASSERT_TRUE(grabber.Loaded());
  prompts.setup.link.cameraLink = VQ_CLSERSIM;
  ASSERT_EQ(Start(QStringLiteral("vq-r310ntx"), {path}), 0);
  CameraModel* camera = &grabber.Camera();
  ASSERT_EQ(camera->Requests().size(), 46u + 21u);
  EXPECT_EQ(camera->Requests()[0], "01FF8104000000");
  EXPECT_EQ(camera->Requests()[46], "01FF0104000000");
  EXPECT_TRUE(output.messages.empty());
  Idle();
  EXPECT_EQ(app->MainFrame()->PortPane(), " ?");
  End();
  link.parameters->Close();
}

TEST_F(AppTest, CommandLineFileThatCannotBeOpenedEndsStartUp) {
  QTemporaryDir dir;
  QString path = dir.filePath(QStringLiteral("short.vq"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\x17VQ-S90 Data Version1.00\x01\x02", 26);
  file.close();
  EXPECT_EQ(Start(QStringLiteral("vq-r310ntx"), {QFile::encodeName(path)}), 1);
  EXPECT_EQ(output.messages, std::vector<std::string>{"Unexpected file format."});
  EXPECT_FALSE(link.parameters->IsPortOpen()) << "the link is closed when start-up fails";
}
