// The document against the simulated camera: flag rules, settings files on disk, owned windows.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <iterator>

#include "platform/RegularFile.h"
#include "camera/CVQS90Doc.h"
#include "camera/ParameterTable.h"
#include "support/FakeServiceWindow.h"
#include "support/MemoryCamera.h"
#include "support/NonRegularFiles.h"

namespace {

class Document : public ::testing::Test {
 protected:
  void SetUp() override {
    QObject::connect(&doc, &CVQS90Doc::UpdateAllViews, [this] { ++viewUpdates; });
    QObject::connect(&doc, &CVQS90Doc::DocumentReplaced, [this] { ++replacements; });
  }

  // Names are bytes here, as the document takes them, so that any name can be tried.
  QByteArray PathOf(const char* name) const { return QFile::encodeName(dir.path()) + '/' + name; }

  static std::vector<uint8_t> FileBytes(const QByteArray& path) {
    std::ifstream file(path.constData(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  static void WriteFile(const QByteArray& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path.constData(), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good());
  }

  // The message a failed save or open shows: what failed, the full path, the system's reason.
  static std::string FileMessage(const char* what, const std::string& path, const char* reason) {
    return std::string(what) + "\n" + path + "\n" + reason;
  }

  MemoryCamera link;
  CameraParameterSet& set = *link.parameters;
  CVQS90Doc doc{set};
  QTemporaryDir dir;
  int viewUpdates = 0;
  int replacements = 0;
};

// The table's defaults, written out by hand from the register map.
std::vector<uint8_t> DefaultFile() {
  const int32_t defaults[47] = {0, 0, 0, 0, 0, 168, 0, 834, 0, 0, 1, 1, 0, 100, 0, 1, 1040, 0, 1, 20, 0, 0, 176};
  std::string s = std::string("\x17") + "VQ-S90 Data Version1.00";
  for (int32_t v : defaults) {
    for (int b = 0; b < 4; ++b) s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * b)) & 0xFF);
  }
  return std::vector<uint8_t>(s.begin(), s.end());
}

}  // namespace

TEST_F(Document, SingleTransfersSetModifiedOnlyWhenAValueChanged) {
  EXPECT_EQ(doc.ReadCameraValue(ParamReserved), 0);
  EXPECT_EQ(link.output.statusTexts.back(), "Uploading (Reserved) data from camera...");
  EXPECT_TRUE(link.Requests().empty());
  EXPECT_EQ(doc.WriteCameraValue(ParamGainLevel, 168), 0);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.WriteCameraValue(ParamGainLevel, 200), 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetCameraValue(ParamGainLevel), 200);
}

TEST_F(Document, ReadFromCameraMarksModifiedEvenWhenNothingChanged) {
  doc.OnReadFromCamera();
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(viewUpdates, 1);
  EXPECT_EQ(link.Requests().size(), 46u);

  doc.OnNewDocument();
  doc.OnWriteToCamera();
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(link.Requests().size(), 46u + 21u);
}

TEST_F(Document, FailedReadFromCameraShowsOneBoxAndNoUpdate) {
  link.camera.Faults().silentAfterRequests = 10;
  doc.OnReadFromCamera();
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(viewUpdates, 0);
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(link.output.messages[0].icon, MessageIcon::Error);
}

TEST_F(Document, SaveAfterStartHoldsTheDefaults) {
  ASSERT_TRUE(doc.OnSaveDocument(PathOf("start.vq")));
  EXPECT_EQ(FileBytes(PathOf("start.vq")), DefaultFile());
  EXPECT_EQ(doc.Title(), "start.vq");
  EXPECT_FALSE(doc.IsModified());
}

// The title, and the save prompt made from it, name the file alone; a backslash is one of a Linux
// name's characters (Windows splits at it too: the platform tests there).
TEST_F(Document, TheTitleIsTheFileNameAlone) {
  ASSERT_TRUE(doc.OnSaveDocument(PathOf("a\\b.vq")));
  EXPECT_EQ(doc.Title(), "a\\b.vq");
  EXPECT_EQ(RegularFile::FileName("plain.vq"), "plain.vq");
  EXPECT_EQ(RegularFile::FileName("/"), "");
}

TEST_F(Document, OpeningAFileStoresEveryRowAndSendsTheWriteAllRows) {
  set.SetValue(ParamGainLevel, 321, false);
  set.SetValue(ParamModelName0, 0x4241, false);
  set.SetValue(ParamSubVoltage, 99, false);
  ASSERT_TRUE(doc.OnSaveDocument(PathOf("a.vq")));

  MemoryCamera other;
  CVQS90Doc otherDoc(*other.parameters);
  otherDoc.SetModifiedFlag(true);
  ASSERT_TRUE(otherDoc.OnOpenDocument(PathOf("a.vq")));
  EXPECT_EQ(otherDoc.GetCameraValue(ParamGainLevel), 321);
  EXPECT_EQ(otherDoc.GetCameraValue(ParamModelName0), 0x4241);
  EXPECT_EQ(otherDoc.GetCameraValue(ParamSubVoltage), 99);
  EXPECT_FALSE(otherDoc.IsModified());
  EXPECT_EQ(otherDoc.PathName(), PathOf("a.vq"));
  ASSERT_EQ(other.Requests().size(), 21u);
  EXPECT_EQ(other.Requests()[5], "01FF010C014100");
  EXPECT_EQ(other.camera.Register(1, 0x01, 0x77), 176u) << "sub voltage is not sent";
}

TEST_F(Document, ForeignFileIsRefusedAndChangesNothing) {
  ASSERT_TRUE(doc.OnSaveDocument(PathOf("mine.vq")));
  auto bytes = DefaultFile();
  bytes[1] = 'v';
  bytes[30] = 0x7F;
  WriteFile(PathOf("other.vq"), bytes);
  set.SetValue(ParamGainLevel, 250, false);
  EXPECT_FALSE(doc.OnOpenDocument(PathOf("other.vq")));
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(link.output.messages[0].text, "File type mismatch.\nFile \"" + PathOf("other.vq").toStdString() +
                                              "\" does not contain data for VQ-R310NTX apprication.");
  EXPECT_EQ(link.output.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(link.output.messages[0].caption, "VQ-R310NTX");
  EXPECT_EQ(doc.PathName(), PathOf("mine.vq"));
  EXPECT_EQ(doc.GetCameraValue(ParamGainLevel), 250);
  EXPECT_TRUE(link.Requests().empty());
  EXPECT_EQ(replacements, 0);
}

TEST_F(Document, TruncatedFileIsRefusedAndChangesNothing) {
  auto bytes = DefaultFile();
  bytes[24] = 3;  // trigger mode
  bytes.resize(211);
  WriteFile(PathOf("short.vq"), bytes);
  const DocumentFileResult opened = doc.OnOpenDocument(PathOf("short.vq"));
  EXPECT_FALSE(opened);
  EXPECT_EQ(opened.error, 0) << "refused for its content, not by the file system";
  EXPECT_EQ(opened.message, "Unexpected file format.");
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(link.output.messages[0].text, "Unexpected file format.");
  EXPECT_EQ(link.output.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(doc.GetCameraValue(ParamTriggerMode), 0);
  EXPECT_TRUE(link.Requests().empty());
}

TEST_F(Document, EmptyFileOpensSilently) {
  WriteFile(PathOf("empty.vq"), {});
  EXPECT_TRUE(doc.OnOpenDocument(PathOf("empty.vq")));
  EXPECT_TRUE(link.output.messages.empty());
  EXPECT_TRUE(link.Requests().empty());
  EXPECT_EQ(doc.Title(), "empty.vq");
}

TEST_F(Document, OpenStaysOpenWhenSendingFails) {
  auto bytes = DefaultFile();
  bytes[24] = 3;
  WriteFile(PathOf("ok.vq"), bytes);
  link.camera.Faults().silent = true;
  const DocumentFileResult opened = doc.OnOpenDocument(PathOf("ok.vq"));
  EXPECT_TRUE(opened);
  EXPECT_EQ(opened.sendResult, -CommErrors::Number(CommError::Timeout)) << "opened, but not sent";
  ASSERT_EQ(link.output.messages.size(), 1u) << "one box for the first row's time-out";
  EXPECT_EQ(link.output.messages[0].text, "ERROR - Communication time out detected.\nCheck the connection.");
  EXPECT_EQ(link.device->Sent(), std::vector<uint8_t>(4, Framing::ENQ)) << "the other rows are not sent";
  EXPECT_EQ(doc.GetCameraValue(ParamTriggerMode), 3);
  EXPECT_EQ(replacements, 1);
}

TEST_F(Document, FailedSaveIsReportedAndKeepsTheDocument) {
  EXPECT_FALSE(doc.OnSaveDocument(PathOf("no/such/folder/x.vq")));
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(link.output.messages[0].text,
            FileMessage("Failed to save document.", PathOf("no/such/folder/x.vq").toStdString(), "No such file or directory"));
  EXPECT_TRUE(doc.PathName().isEmpty());
}

// The file system refuses the new bytes part way (a file size limit stands in for a full disk, in a
// child process so that the limit stays there): the old file must survive whole and the failure be told.
TEST_F(Document, SaveOntoAFullDiskKeepsTheOldFile) {
  const std::vector<uint8_t> old(300, 0x5A);
  WriteFile(PathOf("old.vq"), old);
  const std::string expected =
      FileMessage("Failed to save document.", PathOf("old.vq").toStdString(), "File too large");
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{100, 100};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
    bool saved = doc.OnSaveDocument(PathOf("old.vq")).ok;
    bool told = link.output.messages.size() == 1 && link.output.messages[0].text == expected;
    _exit(saved ? 1 : told ? 0 : 2);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "1: the save said it succeeded, 2: the message was not \"" << expected << '"';
  EXPECT_EQ(FileBytes(PathOf("old.vq")), old);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("old.vq")})
      << "no half-written file is left beside it";
}

TEST_F(Document, OnlyRegularFilesAreReadOrReplaced) {
  for (const NonRegularFile& file : MakeNonRegularFiles(dir.path().toStdString())) {
    SCOPED_TRACE(file.kind);
    link.output.messages.clear();
    const mode_t kind = KindOf(file.path);
    const QByteArray path = QByteArray::fromStdString(file.path);
    const DocumentFileResult saved = doc.OnSaveDocument(path);
    EXPECT_FALSE(saved);
    EXPECT_EQ(KindOf(file.path), kind) << "left as it was";
    auto start = std::chrono::steady_clock::now();
    const DocumentFileResult opened = doc.OnOpenDocument(path);
    EXPECT_FALSE(opened);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "a FIFO must not be waited on";
    EXPECT_NE(opened.error, 0);
    std::vector<std::string> texts;
    for (const auto& m : link.output.messages) texts.push_back(m.text);
    EXPECT_EQ(texts, (std::vector<std::string>{FileMessage("Failed to save document.", file.path, file.reason),
                                               FileMessage("Failed to open document.", file.path, file.reason)}));
    EXPECT_EQ((std::vector<std::string>{saved.message, opened.message}), texts) << "each result carries what was shown";
  }
  EXPECT_TRUE(doc.PathName().isEmpty());
  EXPECT_TRUE(link.Requests().empty());
}

TEST_F(Document, SaveThroughASymbolicLinkKeepsTheLink) {
  WriteFile(PathOf("target.vq"), {1, 2, 3});
  ASSERT_EQ(chmod(PathOf("target.vq").constData(), 0640), 0);
  ASSERT_EQ(symlink("target.vq", PathOf("link.vq").constData()), 0);
  ASSERT_TRUE(doc.OnSaveDocument(PathOf("link.vq")));
  EXPECT_EQ(KindOf(PathOf("link.vq").toStdString()), static_cast<mode_t>(S_IFLNK));
  EXPECT_EQ(FileBytes(PathOf("target.vq")), DefaultFile());
  struct stat st {};
  ASSERT_EQ(stat(PathOf("target.vq").constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u) << "the file keeps its permissions";
}

TEST_F(Document, NamesThatAreNotUtf8SaveAndOpenAsTheyAre) {
  const QByteArray name = PathOf("caf\xE9\xFF.vq");
  set.SetValue(ParamGainLevel, 321, false);
  ASSERT_TRUE(doc.OnSaveDocument(name));
  EXPECT_EQ(FileBytes(name).size(), 212u) << "saved under exactly that name";
  set.SetValue(ParamGainLevel, 0, false);
  ASSERT_TRUE(doc.OnOpenDocument(name));
  EXPECT_EQ(doc.GetCameraValue(ParamGainLevel), 321);
  EXPECT_EQ(doc.PathName(), name);
  unlink(name.constData());  // the temporary folder's own clean-up cannot name it
}

TEST_F(Document, NewKeepsValuesAndClearsPathAndFlag) {
  ASSERT_TRUE(doc.OnSaveDocument(PathOf("x.vq")));
  doc.WriteCameraValue(ParamGainLevel, 300);
  doc.OnNewDocument();
  EXPECT_EQ(doc.Title(), "Untitled");
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.GetCameraValue(ParamGainLevel), 300);
}

TEST_F(Document, ManualCommandReadsEverythingWhenItCloses) {
  int runs = 0;
  doc.SetManualCommandRunner([&] { ++runs; });
  doc.OnManualCommand();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(link.Requests().size(), 46u);
  EXPECT_EQ(viewUpdates, 1);
}

TEST_F(Document, OneWindowOfEachKind) {
  FakeServiceWindow::Log menuLog, spotLog;
  doc.SetCommandMenuFactory([&] { return std::make_unique<FakeServiceWindow>(menuLog); });
  doc.SetWhiteSpotFactory([&] { return std::make_unique<FakeServiceWindow>(spotLog); });

  doc.OnCommandMenu();
  ServiceWindow* first = doc.CommandMenuWindow();
  doc.OnCommandMenu();
  EXPECT_EQ(doc.CommandMenuWindow(), first) << "a visible window only gets the focus";
  EXPECT_EQ(menuLog.created, 1);
  EXPECT_EQ(menuLog.focused, 1);

  static_cast<FakeServiceWindow*>(first)->visible = false;  // closed by the operator: hidden, not destroyed
  doc.OnCommandMenu();
  EXPECT_EQ(menuLog.destroyed, 1);
  EXPECT_EQ(menuLog.created, 2);
  EXPECT_TRUE(doc.CommandMenuWindow()->IsVisible());

  doc.OpenWhiteSpotWindow();
  EXPECT_EQ(spotLog.created, 1);
  EXPECT_EQ(menuLog.created, 2) << "the two kinds are kept apart";
}
