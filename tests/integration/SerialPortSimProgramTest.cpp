// vq-camera-sim as a program: its link, its exit, and its fault options as the port meets them.
#include <gtest/gtest.h>

#include <cctype>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/CameraPort.h"
#include "link/Framing.h"
#include "link/PortPaths.h"
#include "platform/posix/TermiosDevice.h"
#include "support/SimProcess.h"

namespace {

std::string LinkTarget(const std::string& path) {
  char buffer[PATH_MAX];
  ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
  if (n < 0) return "";
  buffer[n] = '\0';
  return buffer;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

class SimProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vq-sim-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    sim_.Stop();
    unlink((dir_ + "/camera").c_str());
    rmdir(dir_.c_str());
    ClearPortPaths();
  }

  SimProcess sim_;
  std::string dir_;
};

TEST_F(SimProgramTest, LinkNamesTheTerminalReplacesAStaleLinkAndGoesAtExit) {
  const std::string link = dir_ + "/camera";
  ASSERT_EQ(symlink("/dev/stale-terminal", link.c_str()), 0);
  ASSERT_TRUE(sim_.Start(VQ_CAMERA_SIM, {"--link", link}));
  EXPECT_EQ(LinkTarget(link), sim_.PtyPath());

  EXPECT_EQ(sim_.Stop(), 0);
  EXPECT_FALSE(Exists(link));
}

TEST_F(SimProgramTest, RefusesToReplaceAFileThatIsNotALink) {
  const std::string file = dir_ + "/camera";
  std::FILE* f = std::fopen(file.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_FALSE(sim_.Start(VQ_CAMERA_SIM, {"--link", file}));
  EXPECT_TRUE(Exists(file));
  EXPECT_EQ(LinkTarget(file), "");
}

TEST_F(SimProgramTest, RejectsUnknownOptionsAndBadValues) {
  EXPECT_FALSE(sim_.Start(VQ_CAMERA_SIM, {"--no-such-option"}));
  EXPECT_FALSE(sim_.Start(VQ_CAMERA_SIM, {"--baud", "fast"}));
  EXPECT_FALSE(sim_.Start(VQ_CAMERA_SIM, {"--bad-check"}));
}

// Fault options as a Gain Level read meets them over the line.
struct FaultCase {
  std::vector<std::string> args;
  int32_t result;
  int32_t value;
};

class SimFaultOptionTest : public ::testing::TestWithParam<FaultCase> {
 protected:
  void TearDown() override {
    sim_.Stop();
    ClearPortPaths();
  }
  SimProcess sim_;
};

TEST_P(SimFaultOptionTest, ReadMeetsTheFault) {
  const FaultCase& c = GetParam();
  ASSERT_TRUE(sim_.Start(VQ_CAMERA_SIM, c.args));
  AssignPortPath(1, sim_.PtyPath());
  CameraPort port(std::make_unique<TermiosDevice>(MonotonicClock::Instance()), MonotonicClock::Instance());
  ASSERT_EQ(port.OpenSerialDefault(1, 9600), 0);
  int32_t value = -1;
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), c.result);
  EXPECT_EQ(value, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SimFaultOptionTest,
    ::testing::Values(FaultCase{{"--baud", "9600", "--lower-case"}, 0, 168},
                      FaultCase{{"--baud", "9600", "--no-etx", "2"}, 0, 168},
                      FaultCase{{"--baud", "9600", "--noise", "5", "--noise-gap-ms", "1"}, 0, 168},
                      FaultCase{{"--baud", "9600", "--wrong-enq", "3", "--enq-answer", "41"}, 0, 168},
                      FaultCase{{"--baud", "9600", "--non-hex-data", "1"}, -CommError::InvalidCharacter, 0},
                      // The camera answers the fourth NAK too: that reply is still on the line when
                      // the request goes out again, and must not be taken for its answer.
                      FaultCase{{"--baud", "9600", "--bad-check", "4"}, 0, 168},
                      FaultCase{{"--baud", "9600", "--bad-check", "5"}, 0, 168},
                      FaultCase{{"--bad-check", "5"}, 0, 168},
                      FaultCase{{"--baud", "9600", "--bad-check", "-1"}, -CommError::ChecksumMismatch, 0}),
    [](const ::testing::TestParamInfo<FaultCase>& testCase) {
      // "--no-etx 2" becomes "no_etx_2": test names may hold only letters, digits and underscores.
      std::string name;
      for (const auto& arg : testCase.param.args) {
        for (char c : arg) {
          if (std::isalnum(static_cast<unsigned char>(c))) name += c;
          else if (c == '-' && !name.empty() && name.back() != '_') name += '_';
        }
        if (!name.empty() && name.back() != '_') name += '_';
      }
      while (!name.empty() && name.back() == '_') name.pop_back();
      return name;
    });

// A short reply as the line carries it: its first five bytes, and the next byte is the answer to the
// next ENQ. The port's nine-second wait for the missing bytes is shown on the virtual clock.
TEST_F(SimProgramTest, ShortRepliesAreCutOnTheLine) {
  using namespace Framing;
  ASSERT_TRUE(sim_.Start(VQ_CAMERA_SIM, {"--short-replies", "1"}));
  AssignPortPath(1, sim_.PtyPath());
  CameraPort port(std::make_unique<TermiosDevice>(MonotonicClock::Instance()), MonotonicClock::Instance());
  ASSERT_EQ(port.OpenSerialDefault(1, 9600), 0);
  uint8_t frame[FrameBufferSize];
  const int32_t length = BuildFrame("01FF810C000000", frame);
  const auto answer = [&](const uint8_t* bytes, int32_t count, int32_t expected) {
    EXPECT_EQ(port.WriteBytes(bytes, count, 1000), count);
    std::vector<uint8_t> got(expected);
    EXPECT_EQ(port.ReadBytes(got.data(), expected, 1000), expected);
    return got;
  };
  EXPECT_EQ(answer(&ENQ, 1, 1), std::vector<uint8_t>{ACK});
  EXPECT_EQ(answer(frame, length, 6), (std::vector<uint8_t>{ACK, STX, '0', '0', 'A', '8'}));
  EXPECT_EQ(answer(&ENQ, 1, 1), std::vector<uint8_t>{ACK});
}

}  // namespace
