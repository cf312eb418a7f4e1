// A vqctl ended by a signal in the middle of an exchange leaves the port free for the next user.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "platform/StopSignals.h"
#include "support/RunProgram.h"
#include "support/SimProcess.h"

namespace {

// Exclusive mode keeps out everyone but root, so the port is opened as an ordinary user: ourselves,
// or "nobody" when the tests run as root. 0 when the open succeeded, else its errno.
int OpenAsOrdinaryUser(const std::string& path, const passwd* user) {
  pid_t child = fork();
  if (child == 0) {
    if (user != nullptr && (setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0)) {
      _exit(255);
    }
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    _exit(fd >= 0 ? 0 : errno);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

TEST(StopSignal, EndsVqctlWithThePortReleased) {
  const passwd* user = nullptr;
  if (geteuid() == 0) {
    user = getpwnam("nobody");
    if (user == nullptr) {
      GTEST_SKIP() << "running as root and there is no user \"nobody\" to open the port as";
    }
  }
  SimProcess sim;
  // A silent camera keeps vqctl in its exchange for four seconds.
  ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, {"--silent"}));
  if (user != nullptr) {
    ASSERT_EQ(chown(sim.PtyPath().c_str(), user->pw_uid, user->pw_gid), 0);
  }
  ASSERT_EQ(OpenAsOrdinaryUser(sim.PtyPath(), user), 0) << "the port is free to begin with";
  QTemporaryDir config;

  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    pid_t vqctl = StartProgram(VQ_VQCTL, {"--device", sim.PtyPath(), "get", "GainLevel"},
                               {"XDG_CONFIG_HOME=" + config.path().toStdString()});
    ASSERT_GT(vqctl, 0);
    // Held exclusively while the exchange waits for the camera.
    int opened = 0;
    for (int i = 0; i < 200 && (opened = OpenAsOrdinaryUser(sim.PtyPath(), user)) == 0; ++i) usleep(10000);
    EXPECT_EQ(opened, EBUSY) << "signal " << signal;

    ASSERT_EQ(kill(vqctl, signal), 0);
    int status = 0;
    ASSERT_EQ(waitpid(vqctl, &status, 0), vqctl);
    EXPECT_TRUE(WIFEXITED(status)) << "signal " << signal;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_EQ(OpenAsOrdinaryUser(sim.PtyPath(), user), 0) << "exclusive mode outlived vqctl, signal " << signal;
  }
}

// Every catchable signal that would end a program removes a save's temporary file and ends it with
// 128 + the signal's number; SIGPIPE only fails the write, which the program then reports.
TEST(StopSignal, EveryStoppingSignalTakesTheTemporaryFileAlong) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF}) {
    char name[] = "/tmp/vq-stop-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    const pid_t child = fork();
    if (child == 0) {
      StopSignals::Install();
      StopSignals::HoldTemporaryFile(name);
      raise(signal);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << "signal " << signal;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_NE(access(name, F_OK), 0) << "the temporary file outlived signal " << signal;
    unlink(name);
  }
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  close(pipeEnds[0]);
  const pid_t child = fork();
  if (child == 0) {
    StopSignals::Install();
    const bool failed = write(pipeEnds[1], "x", 1) < 0 && errno == EPIPE;
    _exit(failed ? 74 : 0);
  }
  close(pipeEnds[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "SIGPIPE ended the program";
  EXPECT_EQ(WEXITSTATUS(status), 74) << "the write failed and was reported";
}
