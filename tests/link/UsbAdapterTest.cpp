// The low-latency request on open and the modelled USB-serial adapter it is meant for.
#include <gtest/gtest.h>

#include <map>

#include "support/MemoryLink.h"

namespace {

using LowLatency = SerialDeviceFacts::LowLatency;

struct Line {
  std::vector<uint8_t> sent;
  std::vector<uint8_t> received;
  int64_t elapsedUs = 0;
  int64_t lineUs = 0;
};

}  // namespace

TEST(UsbAdapter, LowLatencyIsAskedAtOpenGivenBackAtCloseAndARefusalChangesNoByte) {
  const struct Row {
    const char* name;
    bool adapter;
    bool honours;
    LowLatency whileOpen;
    double minRatio;
    double maxRatio;
  } rows[] = {
      {"no adapter", false, false, LowLatency::Unknown, 1.0, 1.05},
      {"adapter that takes the request", true, true, LowLatency::On, 1.05, 1.7},
      {"adapter whose driver refuses it", true, false, LowLatency::Off, 5.0, 20.0},
  };
  std::vector<Line> lines;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MemoryLink rig(115200);
    if (row.adapter) rig.device->PlugUsbAdapter(row.honours);
    rig.clock.AdvanceTo(5300);
    rig.Open();
    EXPECT_EQ(rig.device->Facts().lowLatency, row.whileOpen);
    const int64_t start = rig.clock.NowUs();
    for (int address = 0; address < 40; ++address) {
      int32_t value = 0;
      ASSERT_EQ(rig.port->ReadParameter(1, 0xFF, 0x81, address, 0, 671, &value), 0);
    }
    Line line{rig.device->Sent(), rig.device->Received(), rig.clock.NowUs() - start,
              static_cast<int64_t>(rig.device->Wire().size()) * rig.camera.ByteTimeUs()};
    const double ratio = static_cast<double>(line.elapsedUs) / static_cast<double>(line.lineUs);
    EXPECT_GE(ratio, row.minRatio);
    EXPECT_LE(ratio, row.maxRatio);
    rig.port->Close();
    if (row.adapter) {
      EXPECT_EQ(rig.device->Facts().lowLatency, LowLatency::Off) << "the device's own setting is back";
    }
    lines.push_back(line);
  }
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].sent, lines[0].sent) << rows[i].name;
    EXPECT_EQ(lines[i].received, lines[0].received) << rows[i].name;
  }
}

// Bytes leave the adapter together: at a tick of its free-running timer, or the moment 62 wait.
TEST(UsbAdapter, PassesBytesOnAtItsTimerOrWhenAPacketIsFull) {
  MemoryLink rig(115200);
  rig.camera.Faults().noiseBytes = 150;
  rig.device->PlugUsbAdapter(false);
  rig.Open();
  int32_t value = 0;
  ASSERT_EQ(rig.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  std::map<int64_t, size_t> passedOn;  // read time: bytes the host found then
  for (const auto& byte : rig.device->Wire()) {
    if (!byte.fromHost) ++passedOn[byte.timeUs];
  }
  int fullPackets = 0;
  for (const auto& [timeUs, count] : passedOn) {
    const bool tick = timeUs % UsbAdapter::DefaultTimerUs == 0;
    EXPECT_TRUE(tick || count == UsbAdapter::PacketBytes) << count << " bytes at " << timeUs << " µs";
    EXPECT_LE(count, UsbAdapter::PacketBytes);
    if (!tick) ++fullPackets;
  }
  EXPECT_GE(fullPackets, 1);
}
