// Start-up in its order: setup choice, link, camera read, document, and the port number stored at the end.
#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

#include "app/AppFixture.h"
#include "app/QtOperatorOutput.h"
#include "link/CameraLinkLibrary.h"
#include "link/Framing.h"
#include "support/BoxAnswerer.h"
#include "sim/CameraModel.h"
#include "support/SimulatedGrabber.h"
#include "support/SystemNames.h"

namespace {

const std::string CannotOpen = "ERROR - Can not open communciation port.";
const std::string NotOpened = "ERROR - Communication port not opened.";
const std::string Timeout = "ERROR - Communication time out detected.\nCheck the connection.";

QByteArray SaveSettingsFile(const QTemporaryDir& dir, int triggerMode = 0) {
  MemoryCamera other;
  CVQS90Doc doc(*other.parameters);
  doc.WriteCameraValue(ParamGainLevel, 321);
  if (triggerMode != 0) doc.WriteCameraValue(ParamTriggerMode, triggerMode);
  QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("golden.vq")));
  doc.OnSaveDocument(path);
  return path;
}

// Every byte on the in-memory line: which side sent it, the byte, and when it went.
using Wire = std::vector<std::tuple<bool, uint8_t, int64_t>>;
Wire WireOf(const MemoryDevice& device) {
  Wire wire;
  for (const MemoryDevice::WireByte& b : device.Wire()) wire.emplace_back(b.fromHost, b.byte, b.timeUs);
  return wire;
}

// Watches the main window from the windows' thread: whether anything has been built on it yet, and
// its first showing.
struct FrameWatch : QObject {
  std::atomic<bool> built{false};
  std::atomic<bool> shown{false};
  std::function<void()> atShow;
  FrameWatch() { qApp->installEventFilter(this); }
  ~FrameWatch() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (qobject_cast<CMainFrame*>(receiver) == nullptr) return false;
    built = true;
    if (event->type() == QEvent::Show && !shown.exchange(true) && atShow) atShow();
    return false;
  }
};

// Counts the port's calls, and those among them from any thread but the windows' own.
struct ThreadCheckingObserver : WaitObserver {
  std::atomic<int> calls{0};
  std::atomic<int> offThread{0};
  void ExchangeStarted(int64_t) override { Note(); }
  void ExchangeEnded() override { Note(); }
  void StillWaiting(int64_t) override { Note(); }
  void Note() {
    ++calls;
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) ++offThread;
  }
};

bool WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 400 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return flag;
}

}  // namespace

// Start-up's bytes, their order and their times on the line are those of the transfers it runs, made
// straight through a parameter set on a line of its own; so are the messages, each told on the
// windows' thread.
TEST_F(AppTest, StartUpPutsTheBytesOfItsTransfersOnTheLineInTheirOrder) {
  QTemporaryDir dir;
  const QByteArray file = SaveSettingsFile(dir, 2);
  struct Row {
    const char* situation;
    std::function<void(CameraFaults&)> arrange;
    QByteArray file;
    std::vector<std::string> messages;
  };
  const Row rows[] = {
      {"the read of every parameter", [](CameraFaults&) {}, {}, {}},
      {"a silent camera", [](CameraFaults& f) { f.silent = true; }, {}, {Timeout}},
      {"a camera silent after five requests", [](CameraFaults& f) { f.silentAfterRequests = 5; }, {}, {Timeout}},
      {"a file on the command line: its write-all, no read", [](CameraFaults&) {}, file, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.situation);
    MemoryCamera reference(false);
    row.arrange(reference.camera.Faults());
    reference.parameters->OpenSerialDefault(1, 9600);
    CVQS90Doc referenceDoc(*reference.parameters);
    if (row.file.isEmpty()) {
      reference.parameters->UploadAll();
    } else {
      ASSERT_TRUE(referenceDoc.OnOpenDocument(row.file));
    }

    MemoryCamera line(false);
    row.arrange(line.camera.Faults());
    FrameOutput shown;
    line.parameters->SetOperatorOutput(&shown);
    {
      CVQS90App started({line.parameters, &shown, &prompts, QStringLiteral("vq-r310ntx"),
                         row.file.isEmpty() ? QByteArrayList{} : QByteArrayList{row.file}, nullptr});
      ASSERT_EQ(started.InitInstance(), 0);
    }
    EXPECT_EQ(line.Requests(), reference.Requests());
    EXPECT_EQ(WireOf(*line.device), WireOf(*reference.device));
    std::vector<std::string> referenceMessages;
    for (const auto& message : reference.output.messages) referenceMessages.push_back(message.text);
    EXPECT_EQ(referenceMessages, row.messages);
    EXPECT_EQ(shown.messages, row.messages);
    EXPECT_EQ(shown.offThread, 0);
  }
  // The file's first request is the protocol's worked example, Trigger Mode 2, after its ENQ.
  MemoryCamera line(false);
  CVQS90App started({line.parameters, &output, &prompts, QStringLiteral("vq-r310ntx"), {file}, nullptr});
  ASSERT_EQ(started.InitInstance(), 0);
  const std::vector<uint8_t> sent = line.device->Sent();
  const std::vector<uint8_t> first = {0x05, 0x02, 0x30, 0x31, 0x46, 0x46, 0x30, 0x31, 0x30, 0x34, 0x30,
                                      0x32, 0x30, 0x30, 0x30, 0x30, 0x03, 0x32, 0x36};
  ASSERT_GE(sent.size(), first.size());
  EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + first.size()), first);
}

// The window is built while the camera is read, and shown only once the read and the document are done.
TEST_F(AppTest, MainWindowIsBuiltDuringTheReadAndShownAfterIt) {
  ThreadCheckingObserver observer;
  link.port->SetWaitObserver(&observer);
  portObserver = &observer;
  const std::unique_ptr<CameraPort, void (*)(CameraPort*)> unset(link.port.get(),
                                                                  [](CameraPort* p) { p->SetWaitObserver(nullptr); });
  FrameWatch watch;
  bool builtBeforeTheEnd = false;
  bool shownBeforeTheEnd = true;
  // The read's last byte, the ACK of its 46th reply, waits until the window has been begun: built
  // meanwhile on the windows' thread, or not at all if that thread is the one waiting.
  link.port->SetByteTrace([&](bool sent, const uint8_t* bytes, int32_t count) {
    if (!sent || bytes[count - 1] != Framing::ACK || link.Requests().size() != 46) return;
    builtBeforeTheEnd = WaitFor(watch.built);
    shownBeforeTheEnd = watch.shown;
  });
  size_t requestsAtShow = 0;
  bool documentAtShow = false;
  watch.atShow = [&] {
    requestsAtShow = link.Requests().size();
    documentAtShow = app->View()->Document() != nullptr;
  };
  ASSERT_EQ(Start(), 0);
  link.port->SetByteTrace(nullptr);
  EXPECT_TRUE(builtBeforeTheEnd);
  EXPECT_FALSE(shownBeforeTheEnd);
  EXPECT_EQ(requestsAtShow, 46u);
  EXPECT_TRUE(documentAtShow);
  EXPECT_TRUE(app->MainFrame()->isVisible());
  EXPECT_EQ(output.offThread, 0);
  // The port has its observer back, and has told it of nothing from another thread.
  EXPECT_GE(app->Document()->ReadCameraValue(ParamGainLevel), 0);
  EXPECT_GT(observer.calls, 0);
  EXPECT_EQ(observer.offThread, 0);
}

// A failed start-up read raises a real box, which the operator answers; then the window comes up.
TEST_F(AppTest, SilentCameraBoxAtStartUpIsAnswered) {
  link.camera.Faults().silent = true;
  QtOperatorOutput boxes;
  link.port->SetOperatorOutput(&boxes);
  BoxAnswerer answerer(BoxAnswerer::By::Return);
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(answerer.shown, QStringList{QString::fromStdString(Timeout)});
  EXPECT_EQ(answerer.answered, answerer.shown);
  EXPECT_EQ(answerer.unanswerable, 0);
  EXPECT_TRUE(app->MainFrame()->isVisible());
}

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

  // Over a Camera Link library that does not load, the failed read's message comes first; the
  // window built meanwhile is never shown.
  End();
  prompts.setup.link.cameraLink = "";
  output.messages.clear();
  EXPECT_EQ(Start(QStringLiteral("vq-r310ntx"), {QFile::encodeName(path)}), 1);
  EXPECT_EQ(output.messages, (std::vector<std::string>{CannotOpen, NotOpened, "Unexpected file format."}));
  ASSERT_NE(app->MainFrame(), nullptr);
  EXPECT_FALSE(app->MainFrame()->isVisible());
  EXPECT_EQ(output.offThread, 0);
}
