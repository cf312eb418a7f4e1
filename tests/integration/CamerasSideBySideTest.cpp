// Each open camera owns its link: a serial camera and two Camera Link cameras on two ports of one
// board, in one process, keep their own values, and closing any of them, in either order, leaves
// the others working.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "camera/CameraParameterSet.h"
#include "support/MemoryLink.h"
#include "support/SimulatedGrabber.h"

namespace {

struct Cameras {
  Cameras() {
    serial.Open();
    for (uint32_t index = 0; index < cameraLink.size(); ++index) {
      cameraLink[index] = std::make_unique<CameraParameterSet>();
      cameraLink[index]->SetOperatorOutput(&output);
      EXPECT_EQ(cameraLink[index]->OpenCameraLinkLibrary(VQ_CLSERSIM, index), 0);
    }
  }
  // The three in a fixed order: the serial one, then Camera Link ports 0 and 1.
  CameraParameterSet& At(size_t i) { return i == 0 ? *serial.port : *cameraLink[i - 1]; }
  // Gain as each one's own camera holds it (the register keeps the data bytes as they came).
  int32_t HeldGain(size_t i) {
    const CameraModel& camera = i == 0 ? serial.camera : grabber.Camera(static_cast<uint32_t>(i - 1));
    return CameraPort::OrderValue(static_cast<int32_t>(camera.Register(1, 0x01, 0x0C)), 0x01, 0, 671);
  }

  SimulatedGrabber grabber;
  MemoryWired<CameraParameterSet> serial{9600};
  RecordingOperatorOutput output;
  std::array<std::unique_ptr<CameraParameterSet>, 2> cameraLink;
};

constexpr int32_t Gains[] = {300, 400, 500};

int32_t ReadBack(CameraParameterSet& camera) {
  camera.SetValue(ParamGainLevel, 0, false);
  if (camera.UploadOne(ParamGainLevel) < 0) return -1;
  return camera.GetValue(ParamGainLevel, false);
}

}  // namespace

TEST(CamerasSideBySide, EachKeepsItsOwnValuesAndClosingOneLeavesTheOthers) {
  const std::array<size_t, 3> orders[] = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}};
  for (const auto& order : orders) {
    SCOPED_TRACE(testing::Message() << "closed in the order " << order[0] << order[1] << order[2]);
    Cameras cameras;
    ASSERT_TRUE(cameras.grabber.Loaded());
    for (size_t i = 0; i < 3; ++i) ASSERT_GE(cameras.At(i).SendOne(ParamGainLevel, Gains[i]), 0) << i;
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(cameras.HeldGain(i), Gains[i]) << "camera " << i << " got its own write";
      EXPECT_EQ(ReadBack(cameras.At(i)), Gains[i]) << i;
    }
    bool closed[3] = {false, false, false};
    for (size_t which : order) {
      cameras.At(which).Close();
      closed[which] = true;
      for (size_t i = 0; i < 3; ++i) {
        if (closed[i]) continue;
        EXPECT_EQ(ReadBack(cameras.At(i)), Gains[i]) << "camera " << i << " after closing " << which;
      }
    }
    EXPECT_TRUE(cameras.output.messages.empty());
    EXPECT_TRUE(cameras.serial.output.messages.empty());
  }
}
