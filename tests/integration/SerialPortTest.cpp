// The real termios device and port against vq-camera-sim on a pseudo-terminal, in real time.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "link/CameraPort.h"
#include "link/PortPaths.h"
#include "platform/posix/TermiosDevice.h"
#include "support/RecordingOperatorOutput.h"
#include "support/SimProcess.h"

namespace {

using Seconds = std::chrono::duration<double>;

std::unique_ptr<CameraPort> MakePort(RecordingOperatorOutput& output) {
  auto port = std::make_unique<CameraPort>(std::make_unique<TermiosDevice>(MonotonicClock::Instance()),
                                           MonotonicClock::Instance());
  port->SetOperatorOutput(&output);
  return port;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class SerialPortTest : public ::testing::Test {
 protected:
  void StartCamera(const std::vector<std::string>& args = {}) {
    ASSERT_TRUE(sim_.Start(VQ_CAMERA_SIM, args));
    AssignPortPath(1, sim_.PtyPath());
  }
  void TearDown() override {
    port_->Close();
    sim_.Stop();
    ClearPortPaths();
  }

  SimProcess sim_;
  RecordingOperatorOutput output_;
  std::unique_ptr<CameraPort> port_ = MakePort(output_);
};

// --- Parameter exchanges end to end, at both line speeds ---

class SerialPortSpeedTest : public SerialPortTest, public ::testing::WithParamInterface<int> {};

TEST_P(SerialPortSpeedTest, WritesAndReadsParametersOverThePacedLine) {
  const int baud = GetParam();
  StartCamera({"--baud", std::to_string(baud)});
  ASSERT_EQ(port_->OpenSerialDefault(1, baud), 0);
  EXPECT_EQ(port_->BaudRate(), baud);

  EXPECT_EQ(port_->WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2), 0);  // Trigger Mode = 2
  int32_t value = -1;
  EXPECT_EQ(port_->ReadParameter(1, 0xFF, 0x81, 0x04, 0, 3, &value), 0);
  EXPECT_EQ(value, 2);

  // Gain Level: the camera's default, then a new value read back. A read waits for 31 bytes to cross
  // the line (its closing ACK it does not wait for); finishing faster would mean no pacing.
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port_->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  Seconds elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(value, 168);
  EXPECT_GE(elapsed.count(), 0.97 * 31 * 10.0 / baud);

  EXPECT_EQ(port_->WriteParameter(1, 0xFF, 0x01, 0x0C, 0, 671, 300), 0);
  EXPECT_EQ(port_->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 300);
  EXPECT_EQ(port_->LastError(), CommError::NoError);
}

INSTANTIATE_TEST_SUITE_P(LineSpeeds, SerialPortSpeedTest, ::testing::Values(9600, 115200));

// --- Opening, closing and refusing ---

TEST_F(SerialPortTest, ByteOperationsRefuseABadCountAndAClosedPort) {
  StartCamera();
  uint8_t byte = 0x05;
  EXPECT_EQ(port_->WriteBytes(&byte, 1, 1000), -CommError::PortNotOpen);
  EXPECT_EQ(port_->ReadBytes(&byte, 1, 1000), -CommError::PortNotOpen);
  EXPECT_EQ(port_->Purge(PurgeFlags::Both), -CommError::PortNotOpen);

  ASSERT_EQ(port_->OpenSerialDefault(1, 9600), 0);
  EXPECT_EQ(port_->WriteBytes(&byte, 0, 1000), -CommError::BadSize);
  EXPECT_EQ(port_->ReadBytes(&byte, 0, 1000), -CommError::BadSize);
  EXPECT_EQ(port_->LastError(), CommError::BadSize);

  EXPECT_EQ(port_->Close(), 0);
  EXPECT_EQ(port_->Close(), 0);
  EXPECT_FALSE(port_->IsPortOpen());
  EXPECT_EQ(port_->WriteBytes(&byte, 1, 1000), -CommError::PortNotOpen);
  // The port number survives the close; the same port opens again.
  EXPECT_EQ(port_->PortNumber(), 1);
  EXPECT_EQ(port_->OpenSerialDefault(1, 9600), 0);
}

TEST_F(SerialPortTest, InvalidPortNumbersCloseTheOpenPortAndFailWithCode2) {
  StartCamera();
  ASSERT_EQ(port_->OpenSerialDefault(1, 9600), 0);
  EXPECT_EQ(port_->OpenSerialDefault(11, 9600), -CommError::InvalidPortNumber);
  EXPECT_FALSE(port_->IsPortOpen());

  ASSERT_EQ(port_->OpenSerialDefault(1, 9600), 0);
  EXPECT_EQ(port_->OpenSerialDefault(0, 9600), -CommError::InvalidPortNumber);
  EXPECT_FALSE(port_->IsPortOpen());
  EXPECT_EQ(port_->LastError(), CommError::InvalidPortNumber);
}

TEST_F(SerialPortTest, AMissingDeviceFailsWithCode4AndStillTakesThePortNumber) {
  AssignPortPath(3, "/nonexistent/tty");
  EXPECT_EQ(port_->OpenSerialDefault(3, 9600), -CommError::CannotOpenPort);
  EXPECT_EQ(port_->PortNumber(), 3);
  EXPECT_FALSE(port_->IsPortOpen());
}

TEST_F(SerialPortTest, APortHeldByAnotherLinkCannotBeOpenedUntilItIsClosed) {
  StartCamera();
  ASSERT_EQ(port_->OpenSerialDefault(1, 9600), 0);
  RecordingOperatorOutput otherOutput;
  auto other = MakePort(otherOutput);
  EXPECT_EQ(other->OpenSerialDefault(1, 9600), -CommError::CannotOpenPort);
  EXPECT_FALSE(other->IsPortOpen());

  // The holder still works, and once it lets go the port is free.
  int32_t value = -1;
  EXPECT_EQ(port_->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 168);
  port_->Close();
  EXPECT_EQ(other->OpenSerialDefault(1, 9600), 0);
}

// --- Waiting in real time without spinning ---

TEST_F(SerialPortTest, ASilentCameraTimesOutAfterFourEnquiriesWithoutBurningTheCpu) {
  StartCamera({"--silent"});
  ASSERT_EQ(port_->OpenSerialDefault(1, 9600), 0);
  double cpuBefore = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port_->SendFrame("01FF0104020000"), -CommError::Timeout);
  Seconds elapsed = std::chrono::steady_clock::now() - start;
  // Four one-second enquiries; the upper bound leaves room for a loaded machine and fails only a hang.
  EXPECT_GE(elapsed.count(), 3.9);
  EXPECT_LE(elapsed.count(), 20.0);
  EXPECT_LT(CpuSeconds() - cpuBefore, 0.2);
}

TEST_F(SerialPortTest, ALineThatHangsUpFailsWithAnIoErrorAtTheDeadlineWithoutSpinning) {
  StartCamera();
  ASSERT_EQ(port_->OpenSerialDefault(1, 9600), 0);
  ASSERT_EQ(sim_.Stop(), 0);  // the simulator exits cleanly on SIGTERM and the terminal goes away

  uint8_t buffer[9];
  double cpuBefore = CpuSeconds();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port_->ReadBytes(buffer, 1, 500), -CommError::IoError);
  Seconds elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed.count(), 0.45);
  EXPECT_LE(elapsed.count(), 3.0);
  EXPECT_LT(CpuSeconds() - cpuBefore, 0.1);
  EXPECT_EQ(port_->WriteBytes(buffer, 1, 1000), 0);  // refused by the dead line, code stored
  EXPECT_EQ(port_->LastError(), CommError::IoError);
}

}  // namespace

// A terminal of the user's, named as the device, gets its own settings back when the port closes.
TEST(SerialPortTerminal, ATerminalGetsItsOwnSettingsBack) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string terminal = ptsname(master);
  const int user = open(terminal.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(user, 0);
  termios own{};
  ASSERT_EQ(tcgetattr(user, &own), 0);
  own.c_lflag |= ICANON | ECHO;
  cfsetispeed(&own, B38400);
  cfsetospeed(&own, B38400);
  ASSERT_EQ(tcsetattr(user, TCSANOW, &own), 0);

  AssignPortPath(1, terminal);
  RecordingOperatorOutput output;
  CameraPort port;
  port.SetOperatorOutput(&output);
  ASSERT_EQ(port.OpenSerialDefault(1, 9600), 0);
  termios during{};
  ASSERT_EQ(tcgetattr(user, &during), 0);
  EXPECT_EQ(during.c_lflag & ICANON, 0u) << "raw while the camera uses it";
  port.Close();

  termios after{};
  ASSERT_EQ(tcgetattr(user, &after), 0);
  EXPECT_EQ(after.c_lflag & (ICANON | ECHO), tcflag_t{ICANON | ECHO});
  EXPECT_EQ(cfgetospeed(&after), speed_t{B38400});
  close(user);
  close(master);
}
