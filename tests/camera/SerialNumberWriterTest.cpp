// Writing a serial number to the simulated camera and appending its adjustment-log row.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "camera/CVQS90Doc.h"
#include "camera/CameraInfo.h"
#include "camera/SerialNumberWriter.h"
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
  EXPECT_EQ(result.error, -CommErrors::Timeout);
  ASSERT_EQ(link.output.messages.size(), 2u) << "the communication error, then the unlock message";
  EXPECT_EQ(LastMessage().text, "This camera is not written the Serial Number.\nPlease tell design engineer.");
  EXPECT_EQ(LastMessage().caption, "VQ-R310NTX");
  EXPECT_EQ(LastMessage().icon, MessageIcon::None);
  SilentAfter(-1);

  for (auto [text, mode] : {std::pair{"12X45678", 0}, {"1X345678", 1}}) {
    size_t before = link.Requests().size();
    EXPECT_EQ(Write(text, mode).status, SerialWriteStatus::Refused) << text;
    EXPECT_EQ(link.Requests().size(), before + 1) << "the unlock alone";
    EXPECT_EQ(LastMessage().caption, "VQ-R310NTX");
    EXPECT_EQ(LastMessage().icon, MessageIcon::Warning);
  }
  EXPECT_EQ(LastMessage().text, "Serial number cannot be written.\nPlease input the decimal number. ");

  SilentAfter(3);
  result = Write("12X45678", 1);
  EXPECT_EQ(result.status, SerialWriteStatus::WordFailed);
  EXPECT_EQ(result.error, -CommErrors::Timeout);
  EXPECT_EQ(Texts(link.Requests().end() - 2, link.Requests().end()), (Texts{Words12X45678[0], Words12X45678[1]}));
  EXPECT_EQ(LastMessage().icon, MessageIcon::Error) << "only the communication error is shown";
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

TEST_F(SerialWrite, LogHeldElsewhereGetsNoRow) {
  const std::string message = log.path + " is opend. Please close " + log.path;
  const std::string lockFile = dir.filePath(".~lock.VQ-R310_AdjustData.csv#").toStdString();
  std::ofstream(lockFile) << ",someone,host,01.01.2026 08:00,someone;";
  EXPECT_EQ(Write("12X45678", 1).status, SerialWriteStatus::LogNotWritten);
  EXPECT_EQ(link.Requests(), Unlock + Words12X45678) << "the number is written, nothing is read";
  EXPECT_EQ(LastMessage().text, message);
  EXPECT_EQ(LastMessage().caption, "Serial Number");
  EXPECT_EQ(LastMessage().icon, MessageIcon::None);
  EXPECT_NE(access(log.path.c_str(), F_OK), 0);
  unlink(lockFile.c_str());

  // fcntl locks only keep other processes out, so another process holds this one.
  int locked[2], release[2];
  ASSERT_TRUE(pipe(locked) == 0 && pipe(release) == 0);
  pid_t other = fork();
  if (other == 0) {
    close(release[1]);
    int fd = open(log.path.c_str(), O_RDWR | O_CREAT, 0666);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    char c = fcntl(fd, F_SETLK, &whole) == 0 ? 'L' : 'E';
    _exit(write(locked[1], &c, 1) == 1 && read(release[0], &c, 1) >= 0 ? 0 : 1);
  }
  close(locked[1]);
  close(release[0]);
  char c = 0;
  bool held = read(locked[0], &c, 1) == 1 && c == 'L';
  close(locked[0]);
  ASSERT_TRUE(held);
  link.output.messages.clear();
  EXPECT_EQ(Write("12X45678", 1).status, SerialWriteStatus::LogNotWritten);
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(LastMessage().text, message);
  EXPECT_EQ(LogBytes(), "");
  close(release[1]);
  waitpid(other, nullptr, 0);
  EXPECT_EQ(Write("12X45678", 1).status, SerialWriteStatus::Written) << "free again once the other lets go";
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
                  LastMessage().caption == "Serial Number"
              ? 0
              : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "reported as not written";
  EXPECT_EQ(LogBytes(), before) << "the part of the row that fitted is taken back";
}
