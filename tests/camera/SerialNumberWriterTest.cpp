// Writing a serial number to the simulated camera and appending its adjustment-log row.
#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "camera/CVQS90Doc.h"
#include "camera/CameraInfo.h"
#include "camera/SerialNumberWriter.h"
#include "platform/Clock.h"
#include "support/AsAnotherUser.h"
#include "support/MemoryCamera.h"

namespace {

using Texts = std::vector<std::string>;
const Texts Unlock = {"01FF01605C1D00"};
const Texts Words12X45678 = {"01FF1010313200", "01FF1011583400", "01FF1012353600", "01FF1013373800"};
// The log's read-back: model rows up to the one that ends "VQ-R310NTX", the serial rows, SUB voltage, gain.
const Texts LogReads = {"01FF9008000000", "01FF9009000000", "01FF900A000000", "01FF900B000000",
                        "01FF900C000000", "01FF900D000000", "01FF9010000000", "01FF9011000000",
                        "01FF9012000000", "01FF9013000000", "01FF8177000000", "01FF811C000000"};

Texts operator+(Texts a, const Texts& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string Cp932(std::string text) {
  std::string out(text.size() * 2, '\0');
  char *in = text.data(), *to = out.data();
  size_t inLeft = text.size(), outLeft = out.size();
  iconv_t cd = iconv_open("CP932", "UTF-8");
  bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  return ok ? out.substr(0, out.size() - outLeft) : std::string();
}

class SerialWrite : public ::testing::Test {
 protected:
  SerialWrite() {
    log.path = dir.filePath("VQ-R310_AdjustData.csv").toStdString();
    log.localTime = [this] { return now; };
    SetTime(2026, 12, 7, 13, 5);
  }

  void SetTime(int year, int month, int day, int hour, int minute) {
    now = {};
    now.tm_year = year - 1900, now.tm_mon = month - 1, now.tm_mday = day, now.tm_hour = hour, now.tm_min = minute;
  }
  // The camera stops answering once it has accepted this many more requests; -1 makes it answer again.
  void SilentAfter(int more) {
    link.camera.Faults().silent = false;
    link.camera.Faults().silentAfterRequests = more < 0 ? -1 : static_cast<int>(link.Requests().size()) + more;
  }
  SerialWriteResult Write(const std::string& text, int digitsMode) { return WriteSerialNumber(doc, text, digitsMode, log); }
  std::string LogBytes() const {
    std::ifstream file(log.path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  const RecordingOperatorOutput::Message& LastMessage() const { return link.output.messages.back(); }

  MemoryCamera link;
  CVQS90Doc doc{*link.parameters};
  QTemporaryDir dir;
  AdjustmentLogTarget log;
  std::tm now{};
};

}  // namespace

TEST_F(SerialWrite, UnlockWordsThenTheLogsReadBack) {
  auto result = Write("12X45678", 1);
  EXPECT_EQ(result.status, SerialWriteStatus::Written);
  EXPECT_EQ(link.Requests(), Unlock + Words12X45678 + LogReads);
  EXPECT_EQ(link.camera.Register(1, 0x10, 0x11), 0x3458u) << "the camera took the words: the unlock came first";
  EXPECT_EQ(result.modelName, "VQ-R310NTX");
  EXPECT_TRUE(link.output.messages.empty());

  EXPECT_EQ(Write("1234567", 0).status, SerialWriteStatus::Written);
  auto wordsEnd = link.Requests().end() - static_cast<long>(LogReads.size());
  EXPECT_EQ(Texts(wordsEnd - 4, wordsEnd), (Texts{"01FF1010313200", "01FF1011333400", "01FF1012353600", "01FF1013370000"}));
}

TEST_F(SerialWrite, RefusalsAndFailuresStopTheSequence) {
  SilentAfter(0);
  auto result = Write("12X45678", 1);
  EXPECT_EQ(result.status, SerialWriteStatus::NotUnlocked);
  EXPECT_EQ(result.error, -CommError::Timeout);
  ASSERT_EQ(link.output.messages.size(), 2u) << "the communication error, then the unlock message";
  EXPECT_EQ(LastMessage().text, "This camera is not written the Serial Number.\nPlease tell design engineer.");
  EXPECT_EQ(LastMessage().caption, "VQ-R310NTX");
  EXPECT_EQ(LastMessage().icon, MessageIcon::None);
  EXPECT_EQ(result.message, LastMessage().text);
  SilentAfter(-1);

  for (auto [text, mode] : {std::pair{"12X45678", 0}, {"1X345678", 1}}) {
    size_t before = link.Requests().size();
    const SerialWriteResult refused = Write(text, mode);
    EXPECT_EQ(refused.status, SerialWriteStatus::Refused) << text;
    EXPECT_EQ(refused.message, LastMessage().text) << text;
    EXPECT_EQ(link.Requests().size(), before + 1) << "the unlock alone";
    EXPECT_EQ(LastMessage().caption, "VQ-R310NTX");
    EXPECT_EQ(LastMessage().icon, MessageIcon::Warning);
  }
  EXPECT_EQ(LastMessage().text, "Serial number cannot be written.\nPlease input the decimal number. ");

  SilentAfter(3);
  result = Write("12X45678", 1);
  EXPECT_EQ(result.status, SerialWriteStatus::WordFailed);
  EXPECT_EQ(result.error, -CommError::Timeout);
  EXPECT_EQ(Texts(link.Requests().end() - 2, link.Requests().end()), (Texts{Words12X45678[0], Words12X45678[1]}));
  EXPECT_EQ(LastMessage().icon, MessageIcon::Error) << "only the communication error is shown";
  EXPECT_EQ(result.message, "") << "a failed word's message is the communication error's";
  EXPECT_NE(access(log.path.c_str(), F_OK), 0) << "no log row after a failed word";
}

TEST_F(SerialWrite, LogStartsWithTheHeaderAndOnlyAppendsRows) {
  const std::string header = Cp932("日時,機種名,シリアルNo.,SUB電圧,標準感度1,標準感度2") + "\r\n";
  ASSERT_EQ(header.size(), 51u + 2);
  ASSERT_EQ(Write("12X45678", 1).status, SerialWriteStatus::Written);
  const std::string first = header + "2026.12. 7 13:5,VQ-R310NTX,12X45678,176,100,\r\n";
  EXPECT_EQ(LogBytes(), first);

  SetTime(2027, 10, 31, 9, 45);
  link.camera.SetSetting(0x01, 0x77, 200);     // SUB voltage 200
  link.camera.SetSetting(0x01, 0x1C, 0x9600);  // adjustment gain 150, sent high byte first
  ASSERT_EQ(Write("7654321", 0).status, SerialWriteStatus::Written);
  const std::string second = "2027.10.31 9:45,VQ-R310NTX,7654321,200,150,\r\n";
  EXPECT_EQ(LogBytes(), first + second);

  // Failed reads leave the values stored before: the words just written, the last values read elsewhere.
  SilentAfter(5);
  link.output.messages.clear();
  ASSERT_EQ(Write("1111111", 0).status, SerialWriteStatus::Written);
  EXPECT_EQ(LogBytes(), first + second + "2027.10.31 9:45,VQ-R310NTX,1111111,200,150,\r\n");
  EXPECT_EQ(link.output.messages.size(), LogReads.size()) << "one error box per failed read";
}

TEST_F(SerialWrite, LogRowNamesTheNumberTheInformationBoxShows) {
  // An eighth digit behind a zero seventh character: the box shows it, so the row must too.
  ASSERT_GE(doc.WriteCameraValue(ParamSerialNumberUnlock, SerialNumberUnlockValue), 0);
  const std::pair<ParameterId, int32_t> words[] = {
      {ParamSerialNumber0, 0x3231}, {ParamSerialNumber1, 0x3433}, {ParamSerialNumber2, 0x3635}, {ParamSerialNumber3, 0x3800}};
  for (auto [id, word] : words) ASSERT_GE(doc.WriteCameraValue(id, word), 0);
  ASSERT_EQ(AppendAdjustmentLog(doc, log).status, AdjustmentLogStatus::Written);
  const std::string shown = DecodeCameraInfo([this](ParameterId id) { return doc.GetCameraValue(id); }).serialNumber;
  EXPECT_EQ(shown, "1234568");
  EXPECT_NE(LogBytes().find(",VQ-R310NTX," + shown + ",176,"), std::string::npos) << LogBytes();
}

// Another process holds the log's lock (fcntl locks only keep other processes out) until it has held
// it for heldMs, or, with -1, until the returned pipe end is closed.
struct LockHolder {
  pid_t pid = -1;
  int release = -1;
  void Let() {
    if (release >= 0) close(release);
    release = -1;
    if (pid > 0) waitpid(pid, nullptr, 0);
    pid = -1;
  }
};

LockHolder HoldLock(const std::string& path, int heldMs) {
  int locked[2], release[2];
  if (pipe(locked) != 0 || pipe(release) != 0) return {};
  pid_t holder = fork();
  if (holder == 0) {
    close(release[1]);
    int fd = open(path.c_str(), O_RDWR | O_CREAT, 0666);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    char c = fcntl(fd, F_SETLK, &whole) == 0 ? 'L' : 'E';
    if (write(locked[1], &c, 1) != 1) _exit(1);
    if (heldMs >= 0) usleep(static_cast<useconds_t>(heldMs) * 1000);
    _exit(heldMs >= 0 || read(release[0], &c, 1) >= 0 ? 0 : 1);
  }
  close(locked[1]);
  close(release[0]);
  char c = 0;
  bool held = read(locked[0], &c, 1) == 1 && c == 'L';
  close(locked[0]);
  LockHolder holding{holder, release[1]};
  if (!held) holding.Let();
  return holding;
}

TEST_F(SerialWrite, LogHeldElsewhere) {
  const std::string message = log.path + " is opend. Please close " + log.path;
  const std::string lockFile = dir.filePath(".~lock.VQ-R310_AdjustData.csv#").toStdString();
  const std::string header = Cp932("日時,機種名,シリアルNo.,SUB電圧,標準感度1,標準感度2") + "\r\n";
  const std::string row = "2026.12. 7 13:5,VQ-R310NTX,12X45678,176,100,\r\n";
  enum Hold { Briefly, ForGood, SpreadsheetLockFile, Nobody };
  const struct {
    const char* what;
    Hold hold;
    std::string before;
    std::string after;  // empty: no row, and the message
    int64_t waitedAtLeastMs, waitedAtMostMs;  // on the log's clock
  } cases[] = {
      {"held briefly, then let go", Briefly, header, header + row, 0, AdjustmentLogLockWaitMs},
      {"held for good", ForGood, header, "", AdjustmentLogLockWaitMs, AdjustmentLogLockWaitMs + 20},
      {"a spreadsheet's lock file", SpreadsheetLockFile, header, "", 0, 0},
      {"last row without its CR LF", Nobody, header + "2026.1. 2 3:4,VQ-R310NTX,1234567,176,100,",
       header + "2026.1. 2 3:4,VQ-R310NTX,1234567,176,100,\r\n" + row, 0, 0},
      {"last row cut after its CR", Nobody, header + "x,\r", header + "x,\r\n" + row, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(log.path, std::ios::binary | std::ios::trunc) << c.before;
    // A lock never let go is waited for on a virtual clock; one let go soon, on the real one.
    VirtualClock virtualClock;
    log.clock = c.hold == Briefly ? nullptr : &virtualClock;
    LockHolder holder;
    if (c.hold == Briefly || c.hold == ForGood) {
      holder = HoldLock(log.path, c.hold == Briefly ? 300 : -1);
      ASSERT_GT(holder.pid, 0);
    }
    if (c.hold == SpreadsheetLockFile) std::ofstream(lockFile) << ",someone,host,01.01.2026 08:00,someone;";
    link.output.messages.clear();
    const size_t requestsBefore = link.Requests().size();
    const int64_t startMs = MonotonicClock::Instance().NowMs();

    const SerialWriteResult written = Write("12X45678", 1);
    const SerialWriteStatus status = written.status;
    const int64_t waitedMs = c.hold == Briefly ? MonotonicClock::Instance().NowMs() - startMs : virtualClock.NowMs();
    holder.Let();
    unlink(lockFile.c_str());

    EXPECT_GE(waitedMs, c.waitedAtLeastMs);
    EXPECT_LE(waitedMs, c.waitedAtMostMs);
    if (c.after.empty()) {
      EXPECT_EQ(status, SerialWriteStatus::LogNotWritten);
      ASSERT_EQ(link.output.messages.size(), 1u);
      EXPECT_EQ(LastMessage().text, message);
      EXPECT_EQ(written.message, message);
      EXPECT_EQ(written.logError, 0) << "held open is no failure of the system's";
      EXPECT_EQ(written.logPath, log.path);
      EXPECT_EQ(LastMessage().caption, "Serial Number");
      EXPECT_EQ(LastMessage().icon, MessageIcon::None);
      EXPECT_EQ(Texts(link.Requests().begin() + static_cast<long>(requestsBefore), link.Requests().end()),
                Unlock + Words12X45678)
          << "the number is written, nothing is read";
      EXPECT_EQ(LogBytes(), c.before);
    } else {
      EXPECT_EQ(status, SerialWriteStatus::Written);
      EXPECT_TRUE(link.output.messages.empty());
      EXPECT_EQ(LogBytes(), c.after);
    }
  }
}

// Two stations, each with its camera, append to one log at once: every row arrives, whole, on a line
// of its own, however their locks meet.
TEST_F(SerialWrite, TwoStationsKeepEveryRow) {
  constexpr int Rounds = 30;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t stations[2];
  for (int station = 0; station < 2; ++station) {
    stations[station] = fork();
    if (stations[station] == 0) {
      close(go[1]);
      char c;
      if (read(go[0], &c, 1) != 0) _exit(100);
      MemoryCamera camera;
      CVQS90Doc document{*camera.parameters};
      // A real line's read-back keeps the log locked for a good part of a second; the in-memory camera
      // answers at once, so the time stamp, taken under the lock, holds it a little instead.
      AdjustmentLogTarget stationLog = log;
      stationLog.localTime = [this] {
        usleep(3000);
        return now;
      };
      int lost = 0;
      for (int round = 0; round < Rounds; ++round) {
        const std::string number = std::to_string((station + 1) * 1000000 + round);
        if (WriteSerialNumber(document, number, 0, stationLog).status != SerialWriteStatus::Written) ++lost;
      }
      _exit(lost);
    }
  }
  close(go[0]);
  close(go[1]);  // both start together
  for (pid_t station : stations) {
    int status = -1;
    ASSERT_EQ(waitpid(station, &status, 0), station);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "rows lost: " << WEXITSTATUS(status);
  }

  const std::string bytes = LogBytes();
  const std::string header = Cp932("日時,機種名,シリアルNo.,SUB電圧,標準感度1,標準感度2") + "\r\n";
  ASSERT_EQ(bytes.rfind(header, 0), 0u);
  std::vector<std::string> numbers;
  for (size_t at = header.size(); at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "a row without its CR LF at the end";
    const std::string line = bytes.substr(at, end - at);
    const std::string prefix = "2026.12. 7 13:5,VQ-R310NTX,";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    ASSERT_EQ(line.size(), prefix.size() + 16) << line;
    EXPECT_EQ(line.substr(prefix.size() + 7), ",176,100,") << line;
    numbers.push_back(line.substr(prefix.size(), 7));
    at = end + 2;
  }
  std::vector<std::string> expected;
  for (int station = 1; station <= 2; ++station) {
    for (int round = 0; round < Rounds; ++round) expected.push_back(std::to_string(station * 1000000 + round));
  }
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(numbers, expected) << "each row once";
}

// What a write that left no row told: its status, errno, path and message, the message shown, and how
// many requests the camera took.
std::string Told(const SerialWriteResult& result, const std::string& shown, size_t requests) {
  return std::to_string(static_cast<int>(result.status)) + " | " + std::to_string(result.logError) + " | " +
         result.logPath + " | " + result.message + " | " + shown + " | " + std::to_string(requests);
}

std::string Told(const SerialWriteResult& result, const MemoryCamera& link, size_t requestsBefore) {
  return Told(result, link.output.messages.empty() ? "" : link.output.messages.back().text,
              link.Requests().size() - requestsBefore);
}

// What the operator is told of a write made as a user without root's rights.
std::string ToldAsAnotherUser(const std::function<SerialWriteResult()>& writeSerial, MemoryCamera& link) {
  const size_t before = link.Requests().size();
  return AsAnotherUser([&] { return Told(writeSerial(), link, before); });
}

// A log that cannot be opened at all is not one held open: the operator's text stays, and a line under
// it names the log and gives the system's reason; the number is in the camera all the same.
TEST_F(SerialWrite, LogThatCannotBeOpenedSaysWhy) {
  const std::string folder = dir.path().toStdString();
  const struct {
    const char* what;
    std::string path;
    std::function<void(const std::string&)> arrange;
    bool anotherUser;
    int error;
  } cases[] = {
      {"a missing folder", folder + "/no such folder/VQ-R310_AdjustData.csv", nullptr, false, ENOENT},
      {"a folder in the log's place", folder + "/VQ-R310_AdjustData.csv",
       [](const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0755), 0); }, false, EISDIR},
      {"a read-only log", folder + "/read-only/VQ-R310_AdjustData.csv",
       [&folder](const std::string& path) {
         ASSERT_EQ(mkdir((folder + "/read-only").c_str(), 0755), 0);
         std::ofstream(path) << "";
         ASSERT_EQ(chmod(path.c_str(), 0444), 0);
         ASSERT_EQ(chmod(folder.c_str(), 0755), 0) << "the child must reach the file to meet its own refusal";
       },
       true, EACCES},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    log.path = c.path;
    if (c.arrange) c.arrange(c.path);
    link.output.messages.clear();
    const size_t before = link.Requests().size();
    const std::string told = c.anotherUser ? ToldAsAnotherUser([this] { return Write("12X45678", 1); }, link)
                                           : Told(Write("12X45678", 1), link, before);
    const std::string message =
        c.path + " is opend. Please close " + c.path + "\n" + c.path + ": " + std::strerror(c.error);
    const SerialWriteResult expected{SerialWriteStatus::LogNotWritten, 0, std::nullopt, message, c.error, c.path};
    // The unlock and the four words; nothing is read back for a row that cannot be written.
    EXPECT_EQ(told, Told(expected, message, (Unlock + Words12X45678).size()));
    if (!c.anotherUser) {
      EXPECT_EQ(LastMessage().caption, "Serial Number");
    }
  }
}

TEST_F(SerialWrite, AFullDiskIsReportedAndLeavesNoHalfRow) {
  ASSERT_EQ(Write("12X45678", 1).status, SerialWriteStatus::Written);
  const std::string before = LogBytes();
  // A file-size limit stands in for a full disk; it binds the whole process, so a child runs into it.
  pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{before.size() + 10, before.size() + 10};
    setrlimit(RLIMIT_FSIZE, &limit);
    link.output.messages.clear();
    auto result = Write("12X45679", 1);
    _exit(result.status == SerialWriteStatus::LogNotWritten && link.output.messages.size() == 1 &&
                  LastMessage().text == log.path + " could not be written.\nFile too large" &&
                  result.message == LastMessage().text &&
                  LastMessage().caption == "Serial Number"
              ? 0
              : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "reported as not written";
  EXPECT_EQ(LogBytes(), before) << "the part of the row that fitted is taken back";
}
