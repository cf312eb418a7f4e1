// Opening, byte transport, purge and close of the serial side, over the in-memory line.
#include <gtest/gtest.h>

#include "link/CameraPort.h"
#include "platform/LineStatus.h"
#include "link/PortPaths.h"
#include "support/MemoryLink.h"
#include "support/SystemNames.h"

namespace {

class SerialLink : public ::testing::Test {
 protected:
  void TearDown() override { ClearPortPaths(); }
  MemoryLink link;
  CameraPort& port = *link.port;
};

}  // namespace

TEST_F(SerialLink, OpensTheMappedDeviceIn8N1) {
  EXPECT_EQ(port.PortNumber(), 0);
  EXPECT_EQ(port.OpenSerialDefault(1, 115200), 0);
  EXPECT_TRUE(port.IsPortOpen());
  EXPECT_EQ(link.device->OpenedPath(), SystemPortName(1));
  EXPECT_EQ(link.device->Settings().baudRate, 115200);
  EXPECT_EQ(link.device->Settings().byteSize, 8);
  EXPECT_EQ(link.device->Settings().stopBits, StopBits::One);
  EXPECT_EQ(link.device->Settings().parity, Parity::None);
  EXPECT_EQ(port.BaudRate(), 115200);

  AssignPortPath(10, "/dev/serial/by-id/usb-camera");
  EXPECT_EQ(port.OpenSerialDefault(10, 9600), 0);
  EXPECT_EQ(link.device->OpenedPath(), "/dev/serial/by-id/usb-camera");
  EXPECT_EQ(port.PortNumber(), 10);
}

TEST_F(SerialLink, PortNumbersOutsideOneToTenAreRefused) {
  ASSERT_EQ(port.OpenSerialDefault(2, 9600), 0);
  EXPECT_EQ(port.OpenSerialDefault(11, 9600), -CommError::InvalidPortNumber);
  EXPECT_FALSE(port.IsPortOpen()) << "the old port is closed before the number is checked";
  EXPECT_EQ(port.PortNumber(), 2);
  EXPECT_EQ(port.OpenSerialDefault(0, 9600), -CommError::InvalidPortNumber);
  EXPECT_EQ(port.OpenSerialDefault(-1, 9600), -CommError::InvalidPortNumber);
  EXPECT_EQ(port.PortNumber(), 2);
}

TEST_F(SerialLink, DeviceThatCannotBeOpenedStillTakesThePortNumber) {
  link.device->RefuseOpen(true);
  EXPECT_EQ(port.OpenSerialDefault(3, 9600), -CommError::CannotOpenPort);
  EXPECT_EQ(port.PortNumber(), 3);
  EXPECT_FALSE(port.IsPortOpen());
}

TEST_F(SerialLink, RefusedLineSettingsReportTheLineStatusAndLeaveTheDeviceOpen) {
  link.device->RefuseConfigure(true);
  EXPECT_EQ(port.OpenSerialDefault(1, 9600), -CommError::Timeout);
  EXPECT_TRUE(port.IsPortOpen());
  link.device->RaiseLineErrors(LineStatus::Frame);
  EXPECT_EQ(port.OpenSerialDefault(1, 9600), -CommError::Framing);
}

TEST_F(SerialLink, BadCountsAndClosedPorts) {
  uint8_t byte = 0;
  EXPECT_EQ(port.WriteBytes(&byte, 1, 1000), -CommError::PortNotOpen);
  EXPECT_EQ(port.ReadBytes(&byte, 1, 1000), -CommError::PortNotOpen);
  EXPECT_EQ(port.Purge(PurgeFlags::Both), -CommError::PortNotOpen);
  port.OpenSerialDefault(1, 9600);
  EXPECT_EQ(port.WriteBytes(&byte, 0, 1000), -CommError::BadSize);
  EXPECT_EQ(port.ReadBytes(&byte, 0, 1000), -CommError::BadSize);
  EXPECT_EQ(port.ReadBytes(&byte, -4, 1000), -CommError::BadSize);
  EXPECT_TRUE(link.device->Wire().empty());
  EXPECT_EQ(port.Purge(PurgeFlags::Both), 0);
}

TEST_F(SerialLink, RefusedWriteReturnsZeroAndStoresTheLineStatus) {
  port.OpenSerialDefault(1, 9600);
  link.device->RefuseWrites(true);
  uint8_t byte = Framing::ENQ;
  EXPECT_EQ(port.WriteBytes(&byte, 1, 1000), 0);
  EXPECT_EQ(port.LastError(), CommError::Timeout);
  link.device->RaiseLineErrors(LineStatus::IoError);
  EXPECT_EQ(port.WriteBytes(&byte, 1, 1000), 0);
  EXPECT_EQ(port.LastError(), CommError::IoError);
  // Reading the line status clears it: the later tries of the enquiry find none and store 5.
  link.device->RaiseLineErrors(LineStatus::IoError);
  EXPECT_EQ(port.SendFrame("01FF0104020000"), -CommError::Timeout);
}

TEST_F(SerialLink, ReadWaitsCountTimesTimeoutThenDiscardsWhatCame) {
  link.Open();
  link.camera.Faults().shortReplies = 1;
  link.camera.Faults().shortReplyLength = 6;  // STX and five of the nine bytes after it
  char request[] = "01FF810C000000";
  ASSERT_EQ(port.SendFrame(request), 0);
  uint8_t buffer[9];
  ASSERT_EQ(port.ReadBytes(buffer, 1, 4000), 1);
  int64_t start = link.clock.NowMs();
  EXPECT_EQ(port.ReadBytes(buffer, 9, 1000), -CommError::Timeout);
  EXPECT_EQ(link.clock.NowMs() - start, 9001);
  link.device->RaiseLineErrors(LineStatus::Parity);
  EXPECT_EQ(port.ReadBytes(buffer, 1, 4000), -CommError::Parity);
  EXPECT_EQ(link.clock.NowMs() - start, 9001 + 4001);
}

TEST_F(SerialLink, LineStatusFlagsInTheirOrder) {
  namespace L = LineStatus;
  const std::pair<uint32_t, int> rows[] = {
      {L::ModeError, 12},       {L::Break, 9},       {L::Frame, 10},        {L::IoError, 11},
      {L::Overrun, 13},         {L::ReceiveOverflow, 14}, {L::Parity, 15},  {L::TransmitFull, 16},
      {L::DeviceNotSelected, 17}, {L::DeviceTimeout, 18}, {L::OutOfPaper, 19}, {0, 5},
      {0x20, 5},
      {L::Break | L::Frame | L::Parity, 9}, {L::ModeError | L::Break, 12}, {L::Parity | L::ReceiveOverflow, 14},
      {L::OutOfPaper | L::DeviceTimeout, 18}};
  for (auto [flags, code] : rows) {
    EXPECT_EQ(CommErrors::Number(CameraPort::ErrorFromLineStatus(flags)), code) << std::hex << flags;
  }
}

TEST_F(SerialLink, CloseTwiceIsHarmless) {
  port.OpenSerialDefault(4, 9600);
  EXPECT_EQ(port.Close(), 0);
  EXPECT_EQ(port.Close(), 0);
  EXPECT_FALSE(port.IsPortOpen());
  EXPECT_EQ(port.PortNumber(), 4) << "the number is kept for the settings store";
}
