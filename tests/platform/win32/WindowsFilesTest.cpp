// The Windows file twins: whole-file replacement that never leaves half a file or a stray temporary,
// and the adjustment log's open that another holder of the file must make fail.
#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/DynamicLibrary.h"
#include "platform/ExclusiveFile.h"
#include "platform/RegularFile.h"
#include "platform/SerialDeviceNames.h"

namespace fs = std::filesystem;

namespace {

class Folder {
 public:
  Folder() : path_(fs::temp_directory_path() / ("vq-files-" + std::to_string(GetCurrentProcessId()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  void Write(const std::string& name, const std::string& text) const { std::ofstream(path_ / name, std::ios::binary) << text; }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Every name in the folder: a temporary file left behind shows here.
  size_t Count() const { return static_cast<size_t>(std::distance(fs::directory_iterator(path_), {})); }
  std::string Names() const {
    std::string names;
    for (const auto& entry : fs::directory_iterator(path_)) names += entry.path().filename().string() + " ";
    return names;
  }

 private:
  fs::path path_;
};

// Another program's handle on the file, with the sharing it asks for.
HANDLE HoldOpen(const std::string& path, DWORD sharing) {
  return CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

TEST(WindowsFiles, ReplaceIsWholeOrNothing) {
  struct Case {
    const char* name;
    void (*prepare)(const Folder&);
    const char* target;
    int error;
    const char* contentAfter;  // of "settings.vq"; nullptr: the file is absent
  };
  const Case cases[] = {
      {"new file", [](const Folder&) {}, "settings.vq", 0, "new"},
      {"existing file", [](const Folder& f) { f.Write("settings.vq", "old contents"); }, "settings.vq", 0, "new"},
      {"read-only file",
       [](const Folder& f) {
         f.Write("settings.vq", "old");
         SetFileAttributesA(f.Path("settings.vq").c_str(), FILE_ATTRIBUTE_READONLY);
       },
       "settings.vq", EACCES, "old"},
      {"folder in the way", [](const Folder& f) { fs::create_directory(f.Path("settings.vq")); }, "settings.vq",
       EISDIR, nullptr},
      {"missing folder", [](const Folder&) {}, "missing\\settings.vq", ENOENT, nullptr},
  };
  for (const Case& c : cases) {
    Folder folder;
    c.prepare(folder);
    const size_t before = folder.Count();
    EXPECT_EQ(RegularFile::Replace(folder.Path(c.target), Bytes("new")), c.error) << c.name;
    if (c.contentAfter != nullptr) {
      EXPECT_EQ(folder.Read("settings.vq"), c.contentAfter) << c.name;
    }
    EXPECT_EQ(folder.Count(), before + (c.error == 0 && before == 0 ? 1 : 0)) << c.name << ": a file left behind";
    SetFileAttributesA(folder.Path("settings.vq").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(WindowsFiles, ReplaceRefusedByAnotherHolderKeepsTheOldFile) {
  Folder folder;
  folder.Write("settings.vq", "old");
  HANDLE other = HoldOpen(folder.Path("settings.vq"), FILE_SHARE_READ);  // no delete sharing, as an editor holds it
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_NE(RegularFile::Replace(folder.Path("settings.vq"), Bytes("new")), 0);
  CloseHandle(other);
  EXPECT_EQ(folder.Read("settings.vq"), "old");
  EXPECT_EQ(folder.Count(), 1u) << "the temporary file was not removed: " << folder.Names();
}

TEST(WindowsFiles, ReadRefusesWhatIsNoFile) {
  Folder folder;
  std::vector<uint8_t> bytes;
  fs::create_directory(folder.Path("dir.vq"));
  EXPECT_EQ(RegularFile::Read(folder.Path("dir.vq"), 100, bytes), EISDIR);
  EXPECT_EQ(RegularFile::Read(folder.Path("absent.vq"), 100, bytes), ENOENT);
  folder.Write("long.vq", "0123456789");
  EXPECT_EQ(RegularFile::Read(folder.Path("long.vq"), 4, bytes), 0);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123");
  EXPECT_EQ(RegularFile::FullPath("name.vq"), (fs::current_path() / "name.vq").string());
}

TEST(WindowsFiles, TheLogCannotBeOpenedWhileAnotherHoldsIt) {
  using Opened = ExclusiveFile::Opened;
  Folder folder;
  const std::string log = folder.Path("log.csv");
  {
    ExclusiveFile first;
    ASSERT_EQ(first.Open(log), Opened::Yes) << "opened or created";
    EXPECT_EQ(first.Size(), 0);
    ExclusiveFile second;
    EXPECT_EQ(second.Open(log), Opened::Busy) << "held by this process";
    EXPECT_EQ(first.AppendWhole("row\r\n"), 0);
    char last[4] = {};
    EXPECT_EQ(first.ReadAt(3, last, sizeof last), 2);
    EXPECT_EQ(std::string(last, 2), "\r\n");
    EXPECT_EQ(first.Close(), 0);
  }
  // A spreadsheet holds it open for reading and lets others read too.
  HANDLE spreadsheet = HoldOpen(log, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(spreadsheet, INVALID_HANDLE_VALUE);
  ExclusiveFile blocked;
  EXPECT_EQ(blocked.Open(log), Opened::Busy);
  CloseHandle(spreadsheet);
  ExclusiveFile again;
  ASSERT_EQ(again.Open(log), Opened::Yes);
  EXPECT_EQ(again.Size(), 5);
  ExclusiveFile nowhere;
  EXPECT_EQ(nowhere.Open(folder.Path("no such folder\\log.csv")), Opened::Failed);
  EXPECT_EQ(nowhere.OpenError(), ENOENT);
  fs::create_directory(folder.Path("dir.csv"));
  EXPECT_EQ(nowhere.Open(folder.Path("dir.csv")), Opened::Failed);
  EXPECT_EQ(nowhere.OpenError(), EACCES) << "a folder in the log's place";
  EXPECT_EQ(blocked.OpenError(), 0) << "held elsewhere is no failure of the system's";
}

TEST(WindowsNames, LibrariesAndPortsAsWindowsNamesThem) {
  EXPECT_EQ(DynamicLibrary::FileName("clseremc"), "clseremc.dll");
  EXPECT_EQ(DefaultPortDevice(1), "\\\\.\\COM1");
  EXPECT_EQ(DefaultPortDevice(10), "\\\\.\\COM10");
  DynamicLibrary::LoadFailure failure;
  EXPECT_EQ(DynamicLibrary::Load("C:\\no such folder\\clsermtx.dll", failure), nullptr);
  EXPECT_EQ(failure.error, ENOENT);
  EXPECT_FALSE(failure.reason.empty());
  EXPECT_EQ(failure.reason.find('\n'), std::string::npos) << "one line";
}

// A file's own name after either separator, as the window's title and the save prompt show it.
TEST(WindowsNames, AFileNameFollowsEitherSeparator) {
  const std::pair<const char*, const char*> names[] = {
      {"C:\\users\\operator\\test1.vq", "test1.vq"}, {"C:/users/operator/test1.vq", "test1.vq"},
      {"C:\\users/mixed\\test1.vq", "test1.vq"},    {"\\\\server\\share\\golden.vq", "golden.vq"},
      {"test1.vq", "test1.vq"},                       {"C:\\users\\", ""}};
  for (const auto& [path, name] : names) EXPECT_EQ(RegularFile::FileName(path), name) << path;
}
