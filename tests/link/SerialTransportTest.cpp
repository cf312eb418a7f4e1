// Opening, byte transport, purge and close of the serial side, over the in-memory line.
#include <gtest/gtest.h>

#include "link/CameraPort.h"
#include "platform/LineStatus.h"
#include "link/PortPaths.h"
#include "support/MemoryLink.h"
#include "support/SystemNames.h"

namespace {

class SerialTransport : public ::testing::Test {
 protected:
  void TearDown() override { ClearPortPaths(); }
  MemoryLink link;
  CameraPort& port = *link.port;
};

}  // namespace

TEST_F(SerialTransport, OpensTheMappedDeviceIn8N1) {
  EXPECT_EQ(port.PortNumber(), 0);
  EXPECT_EQ(port.OpenSerialDefault(1, 115200), 0);
  EXPECT_TRUE(port.IsPortOpen());
  EXPECT_EQ(link.device->OpenedPath(), SystemPortName(1));
  EXPECT_EQ(link.device->Settings().baudRate, 115200);
  EXPECT_EQ(link.device->Settings().byteSize, 8);
  EXPECT_EQ(link.device->Settings().stopBits, 0);
  EXPECT_EQ(link.device->Settings().parity, 0);
  EXPECT_EQ(port.BaudRate(), 115200);

  AssignPortPath(10, "/dev/serial/by-id/usb-camera");
  EXPECT_EQ(port.OpenSerialDefault(10, 9600), 0);
  EXPECT_EQ(link.device->OpenedPath(), "/dev/serial/by-id/usb-camera");
  EXPECT_EQ(port.PortNumber(), 10);
}

TEST_F(SerialTransport, PortNumbersOutsideOneToTenAreRefused) {
  ASSERT_EQ(port.OpenSerialDefault(2, 9600), 0);
  EXPECT_EQ(port.OpenSerialDefault(11, 9600), -CommErrors::InvalidPortNumber);
  EXPECT_FALSE(port.IsPortOpen()) << "the old port is closed before the number is checked";
  EXPECT_EQ(port.PortNumber(), 2);
  EXPECT_EQ(port.OpenSerialDefault(0, 9600), -CommErrors::InvalidPortNumber);
  EXPECT_EQ(port.OpenSerialDefault(-1, 9600), -CommErrors::InvalidPortNumber);
  EXPECT_EQ(port.PortNumber(), 2);
}

TEST_F(SerialTransport, DeviceThatCannotBeOpenedStillTakesThePortNumber) {
  link.device->RefuseOpen(true);
  EXPECT_EQ(port.OpenSerialDefault(3, 9600), -CommErrors::CannotOpenPort);
  EXPECT_EQ(port.PortNumber(), 3);
  EXPECT_FALSE(port.IsPortOpen());
}

TEST_F(SerialTransport, RefusedLineSettingsReportTheLineStatusAndLeaveTheDeviceOpen) {
  link.device->RefuseConfigure(true);
  EXPECT_EQ(port.OpenSerialDefault(1, 9600), -CommErrors::Timeout);
  EXPECT_TRUE(port.IsPortOpen());
  link.device->RaiseLineErrors(LineStatus::Frame);
  EXPECT_EQ(port.OpenSerialDefault(1, 9600), -CommErrors::Framing);
}

TEST_F(SerialTransport, BadCountsAndClosedPorts) {
  uint8_t byte = 0;
  EXPECT_EQ(port.WriteBytes(&byte, 1, 1000), -CommErrors::PortNotOpen);
  EXPECT_EQ(port.ReadBytes(&byte, 1, 1000), -CommErrors::PortNotOpen);
  EXPECT_EQ(port.Purge(PurgeFlags::Both), -CommErrors::PortNotOpen);
  port.OpenSerialDefault(1, 9600);
  EXPECT_EQ(port.WriteBytes(&byte, 0, 1000), -CommErrors::BadSize);
  EXPECT_EQ(port.ReadBytes(&byte, 0, 1000), -CommErrors::BadSize);
  EXPECT_EQ(port.ReadBytes(&byte, -4, 1000), -CommErrors::BadSize);
  EXPECT_TRUE(link.device->Wire().empty());
  EXPECT_EQ(port.Purge(PurgeFlags::Both), 0);
}

TEST_F(SerialTransport, RefusedWriteReturnsZeroAndStoresTheLineStatus) {
  port.OpenSerialDefault(1, 9600);
  link.device->RefuseWrites(true);
  uint8_t byte = Framing::ENQ;
  EXPECT_EQ(port.WriteBytes(&byte, 1, 1000), 0);
  EXPECT_EQ(port.LastError(), CommErrors::Timeout);
  link.device->RaiseLineErrors(LineStatus::IoError);
  EXPECT_EQ(port.WriteBytes(&byte, 1, 1000), 0);
  EXPECT_EQ(port.LastError(), CommErrors::IoError);
  // Reading the line status clears it: the later tries of the enquiry find none and store 5.
  link.device->RaiseLineErrors(LineStatus::IoError);
  EXPECT_EQ(port.SendFrame("01FF0104020000"), -CommErrors::Timeout);
}

TEST_F(SerialTransport, ReadWaitsCountTimesTimeoutThenDiscardsWhatCame) {
  link.Open();
  link.camera.Faults().shortReplies = 1;
  link.camera.Faults().shortReplyLength = 6;  // STX and five of the nine bytes after it
  char request[] = "01FF810C000000";
  ASSERT_EQ(port.SendFrame(request), 0);
  uint8_t buffer[9];
  ASSERT_EQ(port.ReadBytes(buffer, 1, 4000), 1);
  int64_t start = link.clock.NowMs();
  EXPECT_EQ(port.ReadBytes(buffer, 9, 1000), -CommErrors::Timeout);
  EXPECT_EQ(link.clock.NowMs() - start, 9001);
  link.device->RaiseLineErrors(LineStatus::Parity);
  EXPECT_EQ(port.ReadBytes(buffer, 1, 4000), -CommErrors::Parity);
  EXPECT_EQ(link.clock.NowMs() - start, 9001 + 4001);
}

TEST_F(SerialTransport, LineStatusFlagsInTheirOrder) {
  using namespace LineStatus;
  const std::pair<uint32_t, CommError> rows[] = {
      {ModeError, 12}, {Break, 9},          {Frame, 10},           {IoError, 11},        {Overrun, 13},
      {ReceiveOverflow, 14}, {Parity, 15},  {TransmitFull, 16},    {DeviceNotSelected, 17},
      {DeviceTimeout, 18},   {OutOfPaper, 19}, {0, 5},             {0x20, 5}};
  for (auto [flags, code] : rows) EXPECT_EQ(CameraPort::ErrorFromLineStatus(flags), code) << std::hex << flags;
  EXPECT_EQ(CameraPort::ErrorFromLineStatus(Break | Frame | Parity), 9);
  EXPECT_EQ(CameraPort::ErrorFromLineStatus(ModeError | Break), 12);
  EXPECT_EQ(CameraPort::ErrorFromLineStatus(Parity | ReceiveOverflow), 14);
  EXPECT_EQ(CameraPort::ErrorFromLineStatus(OutOfPaper | DeviceTimeout), 18);
}

TEST_F(SerialTransport, CloseTwiceIsHarmless) {
  port.OpenSerialDefault(4, 9600);
  EXPECT_EQ(port.Close(), 0);
  EXPECT_EQ(port.Close(), 0);
  EXPECT_FALSE(port.IsPortOpen());
  EXPECT_EQ(port.PortNumber(), 4) << "the number is kept for the settings store";
}
