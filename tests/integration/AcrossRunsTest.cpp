// vqctl at the edges of its runs, on a pseudo-terminal as socat and ser2net give one: the last
// answers of a run reach the camera, a run right after an interrupted one works, and a grabber
// library that never returns does not keep vqctl from ending.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include "support/RunProgram.h"
#include "support/SimProcess.h"

namespace {

using Steady = std::chrono::steady_clock;

struct AnswersCase {
  const char* name;
  std::vector<std::string> faults;
  std::vector<std::string> command;
  const char* answers;  // what the camera received, as vq-camera-sim --answers-to writes it
};

void PrintTo(const AnswersCase& c, std::ostream* os) { *os << c.name; }

const AnswersCase AnswersCases[] = {
    {"ReadAll", {}, {"read-all"}, "ACK 46\nNAK 0\n"},
    {"BadReplies", {"--bad-check", "3"}, {"get", "GainLevel"}, "ACK 1\nNAK 3\n"},
};

class EveryAnswerArrives : public ::testing::TestWithParam<AnswersCase> {};

TEST_P(EveryAnswerArrives, InTwentyRunsOutOfTwenty) {
  const AnswersCase& c = GetParam();
  QTemporaryDir dir;
  const std::string answers = dir.filePath("answers").toStdString();
  for (int run = 0; run < 20; ++run) {
    SimProcess sim;
    std::vector<std::string> args = {"--baud", "115200", "--answers-to", answers};
    args.insert(args.end(), c.faults.begin(), c.faults.end());
    ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, args));
    std::vector<std::string> command = {"--device", sim.PtyPath(), "--baud", "115200"};
    command.insert(command.end(), c.command.begin(), c.command.end());
    ProgramResult result = RunProgram(VQ_VQCTL, command, {"XDG_CONFIG_HOME=" + dir.path().toStdString()});
    ASSERT_EQ(result.status, 0) << result.err;
    // The last answer's byte time on the simulated line.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(sim.Stop(), 0);
    QFile file(QString::fromStdString(answers));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), c.answers) << "run " << run;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryAnswerArrives, ::testing::ValuesIn(AnswersCases),
                         [](const ::testing::TestParamInfo<AnswersCase>& testCase) {
                           return std::string(testCase.param.name);
                         });

}  // namespace

// Ctrl+C in the middle of a read-all at 9600 baud, then at once the next run: the camera is still
// answering the interrupted request, and those bytes must not be taken for the answer to the new ENQ.
// The interruption falls at another point of an exchange in each round.
TEST(AcrossRuns, ARunRightAfterAnInterruptedOneWorks) {
  SimProcess sim;
  ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, {"--baud", "9600"}));
  QTemporaryDir config;
  const std::vector<std::string> link = {"--device", sim.PtyPath(), "--baud", "9600"};
  for (int round = 0; round < 10; ++round) {
    std::vector<std::string> readAll = link;
    readAll.push_back("read-all");
    const pid_t interrupted = StartProgram(VQ_VQCTL, readAll, {"XDG_CONFIG_HOME=" + config.path().toStdString()});
    ASSERT_GT(interrupted, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(150000 + round * 7300));
    ASSERT_EQ(kill(interrupted, SIGINT), 0);
    int status = 0;
    ASSERT_EQ(waitpid(interrupted, &status, 0), interrupted);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << "round " << round;

    std::vector<std::string> get = link;
    get.insert(get.end(), {"get", "GainLevel"});
    ProgramResult next = RunProgram(VQ_VQCTL, get, {"XDG_CONFIG_HOME=" + config.path().toStdString()});
    EXPECT_EQ(next.status, 0) << "round " << round << ": " << next.err;
    EXPECT_EQ(next.out, "168\n") << "round " << round;
  }
}

// A grabber library that never returns from opening or closing its port: vqctl still ends, soon
// after the open or close is given up, and prints what it read before it closes.
struct StuckLibraryCase {
  const char* entry;
  int status;
  const char* out;
  const char* err;
};

TEST(AcrossRuns, AGrabberLibraryThatNeverReturnsDoesNotKeepVqctl) {
  const StuckLibraryCase cases[] = {
      {"clSerialInit", 5, "", "Board Open Error"},
      {"clSerialClose", 0, "168\n", ""},
  };
  QTemporaryDir config;
  for (const StuckLibraryCase& c : cases) {
    const auto start = Steady::now();
    ProgramResult result = RunProgram(VQ_VQCTL, {"--camera-link", VQ_CLSERSIM, "get", "GainLevel"},
                                      {"XDG_CONFIG_HOME=" + config.path().toStdString(),
                                       std::string("CLSERSIM_NEVER_RETURN=") + c.entry});
    const auto seconds = std::chrono::duration<double>(Steady::now() - start).count();
    EXPECT_EQ(result.status, c.status) << c.entry << ": " << result.err;
    EXPECT_EQ(result.out, c.out) << c.entry;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << c.entry << ": " << result.err;
    // Given up after 3 s; the bound leaves room for a loaded machine and fails only a hang.
    EXPECT_LT(seconds, 16.0) << c.entry;
  }
}
