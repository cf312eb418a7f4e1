// Transfers between the value store and the simulated camera: requests, order, stops, texts and boxes.
#include <gtest/gtest.h>

#include "camera/ParameterTable.h"
#include "support/MemoryCamera.h"

namespace {

class ParameterSet : public ::testing::Test {
 protected:
  MemoryCamera link;
  CameraParameterSet& set = *link.parameters;
  RecordingOperatorOutput& output = link.output;
};

}  // namespace

TEST_F(ParameterSet, StartsWithTheDefaults) {
  EXPECT_EQ(set.GetValue(ParamGainLevel, false), 168);
  EXPECT_EQ(set.GetValue(ParamPartialScanWidth, true), 1040);
  EXPECT_EQ(set.GetValue(ParamReserved, false), 0);
  EXPECT_EQ(set.LastError(), CommError::NoError);
}

TEST_F(ParameterSet, SetValueSaysWhetherItChanged) {
  EXPECT_EQ(set.SetValue(ParamGainLevel, 168, false), 0);
  EXPECT_EQ(set.SetValue(ParamGainLevel, 169, true), 1);
  EXPECT_EQ(set.GetValue(ParamGainLevel, false), 169);
}

TEST_F(ParameterSet, ReadAllWalksRowsZeroToFortyFiveWithTheirAreas) {
  link.camera.SetSetting(0x01, 0x0C, 0x2C01);  // gain 300
  EXPECT_EQ(set.ReadAll(), 1);
  // Rows 0 to 45 by their read areas and addresses; the detection state from the working register.
  const std::vector<std::string> expected = {
      "01FF8104000000", "01FF8105000000", "01FF8106000000", "01FF8107000000", "01FF8108000000", "01FF810C000000",
      "01FF810F000000", "01FF8111000000", "01FF8113000000", "01FF8114000000", "01FF8115000000", "01FF8116000000",
      "01FF8117000000", "01FF811C000000", "01FF811E000000", "01FF811F000000", "01FF8120000000", "01FF8145000000",
      "01FF814B000000", "01FF814C000000", "00FF814D000000", "01FF8150000000", "01FF8177000000", "01FF9000000000",
      "01FF9001000000", "01FF9002000000", "01FF9003000000", "01FF9004000000", "01FF9005000000", "01FF9006000000",
      "01FF9007000000", "01FF9008000000", "01FF9009000000", "01FF900A000000", "01FF900B000000", "01FF900C000000",
      "01FF900D000000", "01FF900E000000", "01FF900F000000", "01FF9010000000", "01FF9011000000", "01FF9012000000",
      "01FF9013000000", "01FF9014000000", "01FF9015000000", "01FF8160000000",
  };
  EXPECT_EQ(link.Requests(), expected);
  EXPECT_EQ(set.GetValue(ParamGainLevel, false), 300);
  EXPECT_EQ(set.GetValue(ParamVendorName0, false), 'N' + 256 * 'O');
  EXPECT_EQ(set.GetValue(ParamSerialNumber3, false), '7');
  EXPECT_TRUE(output.messages.empty());
  EXPECT_TRUE(output.statusTexts.empty()) << "the raw transfers show nothing";
}

TEST_F(ParameterSet, ReadAllStopsAtTheFirstFailureKeepingEarlierRows) {
  link.camera.SetSetting(0x01, 0x04, 3);       // row 0
  link.camera.SetSetting(0x01, 0x0C, 0x2C01);  // row 5: gain 300
  link.camera.Faults().silentAfterRequests = 5;
  EXPECT_EQ(set.ReadAll(), -CommError::Timeout);
  EXPECT_EQ(link.Requests().size(), 5u);
  EXPECT_EQ(set.GetValue(ParamTriggerMode, false), 3) << "rows before the failure keep what was read";
  EXPECT_EQ(set.GetValue(ParamGainLevel, false), 168) << "the failed row and those after keep their values";
  EXPECT_EQ(link.device->Sent().size(), 5u * 20 + 4) << "no request after the failed one";
}

TEST_F(ParameterSet, WriteAllSendsTheTwentyOneRowsInOrder) {
  set.SetValue(ParamGainLevel, 300, false);
  set.SetValue(ParamAdjustGain, 7, false);
  EXPECT_EQ(set.WriteAll(), 0);
  std::vector<std::string> addresses;
  for (const auto& r : link.Requests()) addresses.push_back(r.substr(4, 4));
  EXPECT_EQ(addresses, (std::vector<std::string>{"0104", "0105", "0106", "0107", "0108", "010C", "010F",
                                                 "0111", "0113", "0114", "0115", "0116", "0117", "011E",
                                                 "011F", "0120", "0145", "014B", "014C", "014D", "0150"}));
  EXPECT_EQ(link.Requests()[5], "01FF010C012C00");
  for (const auto& r : link.Requests()) EXPECT_EQ(r.substr(0, 2), "01");
}

TEST_F(ParameterSet, WriteAllStopsAtTheFirstFailure) {
  link.camera.Faults().silentAfterRequests = 3;
  EXPECT_EQ(set.WriteAll(), -CommError::Timeout);
  EXPECT_EQ(link.Requests().size(), 3u);
}

TEST_F(ParameterSet, SingleTransfersIgnoreTheWriteAllFlag) {
  EXPECT_EQ(set.WriteOne(ParamSubVoltage, 100), 1);
  EXPECT_EQ(set.WriteOne(ParamSubVoltage, 100), 0) << "0 when the stored value did not change";
  EXPECT_EQ(link.Requests().back(), "01FF0177640000");
  EXPECT_EQ(set.ReadOne(ParamReserved), 0);
  EXPECT_EQ(link.Requests().size(), 2u) << "the reserved row is never sent";
}

TEST_F(ParameterSet, WhiteSpotDetectIsReadFromTheWorkingRegister) {
  set.ReadOne(ParamWhiteSpotDetect);
  set.ReadOne(ParamWhiteSpotThreshold);
  set.WriteOne(ParamWhiteSpotDetect, 1);
  EXPECT_EQ(link.Requests(), (std::vector<std::string>{"00FF814D000000", "01FF814C000000", "01FF014D010000"}));
}

TEST_F(ParameterSet, FailedTransferLeavesTheValueAndKeepsTheCode) {
  link.camera.Faults().silent = true;
  EXPECT_EQ(set.WriteOne(ParamGainLevel, 300), -CommError::Timeout);
  EXPECT_EQ(set.GetValue(ParamGainLevel, false), 168);
  EXPECT_EQ(set.ReadOne(ParamGainLevel), -CommError::Timeout);
  EXPECT_EQ(set.Fail(CommError::PassThrough), -CommError::Timeout);
  link.camera.Faults().silent = false;
  EXPECT_EQ(set.ReadOne(ParamGainLevel), 0);
  EXPECT_EQ(set.LastError(), CommError::Timeout) << "success does not reset the record";
}

TEST_F(ParameterSet, ReportingTransfersShowStatusAndOneBoxPerFailure) {
  EXPECT_EQ(set.SendOne(ParamGainLevel, 200), 1);
  EXPECT_EQ(set.UploadOne(ParamReserved), 0);
  EXPECT_EQ(output.statusTexts, (std::vector<std::string>{"Sending Gain Level data to camera...",
                                                          "Uploading (Reserved) data from camera..."}));
  EXPECT_TRUE(output.messages.empty());

  link.camera.Faults().silent = true;
  EXPECT_EQ(set.UploadOne(ParamModelName2), -CommError::Timeout);
  EXPECT_EQ(output.statusTexts.back(), "Uploading Camera Information data from camera...");
  EXPECT_EQ(set.UploadAll(), -CommError::Timeout);
  EXPECT_EQ(set.SendAll(), -CommError::Timeout);
  ASSERT_EQ(output.messages.size(), 3u);
  for (const auto& m : output.messages) {
    EXPECT_EQ(m.text, "ERROR - Communication time out detected.\nCheck the connection.");
    EXPECT_EQ(m.caption, "VQ-R310NTX");
    EXPECT_EQ(m.icon, MessageIcon::Error);
  }
  EXPECT_EQ(output.statusTexts.size(), 3u) << "read-all and write-all show no status text";
}

TEST_F(ParameterSet, OpeningTheLinkReportsItsFailure) {
  MemoryCamera closed(false);
  closed.device->RefuseOpen(true);
  EXPECT_EQ(closed.parameters->OpenSerialLink(2, 9600), -CommError::CannotOpenPort);
  ASSERT_EQ(closed.output.messages.size(), 1u);
  EXPECT_EQ(closed.output.messages[0].text, "ERROR - Can not open communciation port.");
  EXPECT_EQ(closed.parameters->OpenCameraLinkLibrary("/nonexistent/libcl.so"), -CommError::CannotOpenPort);
  EXPECT_EQ(closed.output.messages.size(), 2u);
}

TEST_F(ParameterSet, ProgressFollowsReadAll) {
  set.ReadAll();
  ASSERT_EQ(output.progress.size(), 47u);
  EXPECT_EQ(output.progress.front(), std::make_pair(1, 46));
  EXPECT_EQ(output.progress[45], std::make_pair(46, 46));
  EXPECT_EQ(output.progress.back(), std::make_pair(0, 0));
}
