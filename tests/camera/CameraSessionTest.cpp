// The sequences the front ends share, over the simulated camera: how each ends, what the operator
// was told, and what reached the camera before it ended.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>

#include "camera/CameraSession.h"
#include "sim/MemoryDevice.h"
#include "support/RecordingOperatorOutput.h"

namespace {

using Status = Outcome::Status;

struct Rig {
  Rig() {
    auto owned = std::make_unique<MemoryDevice>(camera, clock);
    session = std::make_unique<CameraSession>(output, std::move(owned), clock);
    folder = mkdtemp(folderTemplate);
    EXPECT_TRUE(session->Open({"/dev/memory-line", 1, 9600, std::nullopt, 0}).Ok());
  }
  ~Rig() {
    session.reset();
    if (!longName.empty()) {
      EXPECT_EQ(unlink(longName.c_str()), 0) << "the file was saved under its name";
    }
    for (const char* name : {"/saved.vq", "/golden.vq", "/empty.vq", "/other.vq", "/log.csv"}) unlink((folder + name).c_str());
    rmdir(folder.c_str());
  }
  std::string Path(const char* name) const { return folder + "/" + name; }
  void WriteFile(const char* name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  VirtualClock clock;
  CameraModel camera;
  RecordingOperatorOutput output;
  std::unique_ptr<CameraSession> session;
  char folderTemplate[32] = "/tmp/vq-session-XXXXXX";
  std::string folder;
  std::string golden;  // a saved file, when a case made one
  std::string longName;
};

struct Case {
  const char* name;
  std::function<void(Rig&)> arrange;
  std::function<Outcome(Rig&)> act;
  Status status;
  const char* message;  // what the outcome's message starts with
  bool shown;           // the operator was told already
  size_t requests;      // requests the camera accepted
};

// A settings file as the windowed program saves it, with GainLevel 300.
std::string Golden(Rig& rig) {
  rig.session->Set(ParamGainLevel, 300);
  rig.session->Save(rig.Path("golden.vq"));
  rig.session->Set(ParamGainLevel, 168);
  rig.output.messages.clear();
  return rig.Path("golden.vq");
}

const Case Cases[] = {
    {"SetOutsideTheRange", nullptr, [](Rig& r) { return r.session->Set(ParamGainLevel, 672); }, Status::BadArgument,
     "GainLevel takes 0 to 671", false, 0},
    {"SetFarOutsideTheRange", nullptr, [](Rig& r) { return r.session->Set(ParamTriggerMode, int64_t{1} << 40); },
     Status::BadArgument, "TriggerMode takes 0 to 3", false, 0},
    {"SetWithin", nullptr, [](Rig& r) { return r.session->Set(ParamGainLevel, 300); }, Status::Done, "", false, 1},
    {"GetFromASilentCamera", [](Rig& r) { r.camera.Faults().silent = true; },
     [](Rig& r) {
       int32_t value = 0;
       return r.session->Get(ParamGainLevel, value);
     },
     Status::CommFailed, "", false, 0},
    {"SaveIntoAFolderReadsNothing", nullptr, [](Rig& r) { return r.session->Save(r.folder); }, Status::CannotWrite,
     "", true, 0},
    {"SaveWritesTheWholeFile", nullptr, [](Rig& r) { return r.session->Save(r.Path("saved.vq")); }, Status::Done, "",
     false, 46},
    {"SaveUnderTheLongestNameTheFileSystemAllows", nullptr,
     [](Rig& r) {
       r.longName = r.folder + "/" + std::string(251, 'n') + ".vq";
       return r.session->Save(r.longName);
     },
     Status::Done, "", false, 46},
    {"LoadAMissingFile", nullptr, [](Rig& r) { return r.session->Load(r.Path("missing.vq")); },
     Status::FileUnreadable, "", true, 0},
    {"LoadAForeignFile", [](Rig& r) { r.WriteFile("other.vq", std::string(212, 'x')); },
     [](Rig& r) { return r.session->Load(r.Path("other.vq")); }, Status::FileRefused, "", true, 0},
    {"LoadSendsTheWriteAllRows", [](Rig& r) { r.golden = Golden(r); }, [](Rig& r) { return r.session->Load(r.golden); },
     Status::Done, "", false, 21},
    {"DiffWithAnEmptyFileReadsNothing", [](Rig& r) { r.WriteFile("empty.vq", ""); },
     [](Rig& r) {
       std::vector<ValueDifference> differences;
       return r.session->Diff(r.Path("empty.vq"), differences);
     },
     Status::FileRefused, "/tmp/vq-session-", false, 0},
    {"DiffFindsTheChangedRow", [](Rig& r) { r.golden = Golden(r); },
     [](Rig& r) {
       std::vector<ValueDifference> differences;
       Outcome outcome = r.session->Diff(r.golden, differences);
       EXPECT_EQ(differences.size(), 1u);
       return outcome;
     },
     Status::Differs, "", false, 46},
    {"DetectWithAThresholdOutsideItsRange", nullptr,
     [](Rig& r) {
       int state = 0;
       return r.session->Detect(256, 1, state);
     },
     Status::BadArgument, "the threshold is 0 to 255", false, 0},
    {"DetectWithoutATime", nullptr,
     [](Rig& r) {
       int state = 0;
       return r.session->Detect(std::nullopt, std::nan(""), state);
     },
     Status::BadArgument, "the timeout is", false, 0},
    {"DetectThatFindsTooMany", [](Rig& r) { r.camera.SetDetection(0, 2); },
     [](Rig& r) {
       int state = 0;
       return r.session->Detect(40, 60, state);
     },
     Status::Differs, "Number of detect is over.", false, 3},
    {"DetectOutOfTime", [](Rig& r) { r.camera.SetDetection(1000, 0); },
     [](Rig& r) {
       int state = 0;
       return r.session->Detect(std::nullopt, 0.001, state);
     },
     Status::TimedOut, "the detection did not finish", false, 2},
    {"DetectForEverIsRefusedBeforeItStarts", nullptr,
     [](Rig& r) {
       int state = 0;
       return r.session->Detect(std::nullopt, HUGE_VAL, state);
     },
     Status::BadArgument, "the timeout is more than 0", false, 0},
    {"SetTheReservedRow", nullptr, [](Rig& r) { return r.session->Set(ParamReserved, 0); }, Status::BadArgument,
     "Reserved is never read or written", false, 0},
    {"GetTheReservedRow", nullptr,
     [](Rig& r) {
       int32_t value = 0;
       return r.session->Get(ParamReserved, value);
     },
     Status::BadArgument, "Reserved is never read or written", false, 0},
    {"LoadAnEmptyFile", [](Rig& r) { r.WriteFile("empty.vq", ""); },
     [](Rig& r) { return r.session->Load(r.Path("empty.vq")); }, Status::FileRefused, "/tmp/vq-session-", false, 0},
    {"LoadAValueOutsideItsRow",
     [](Rig& r) {
       SettingsFile::Values values{};
       values[ParamGainLevel] = 99999;
       const std::vector<uint8_t> bytes = SettingsFile::Encode(values);
       r.WriteFile("other.vq", std::string(bytes.begin(), bytes.end()));
     },
     [](Rig& r) {
       Outcome outcome = r.session->Load(r.Path("other.vq"));
       EXPECT_NE(outcome.message.find("\nGainLevel holds 99999, outside its range 0 to 671."), std::string::npos);
       return outcome;
     },
     Status::FileRefused, "/tmp/vq-session-", true, 0},
    {"WriteSerialWithNineDigits", nullptr,
     [](Rig& r) { return r.session->WriteSerial("1234567", 9, AdjustmentLogTarget{}); }, Status::BadArgument,
     "digits is 7 or 8", false, 0},
    {"WriteSerialThatIsNoNumber", nullptr,
     [](Rig& r) { return r.session->WriteSerial("12", 7, AdjustmentLogTarget{}); }, Status::RefusedInput, "", true,
     1},
    {"WriteSerialWithALogThatCannotBeOpened", nullptr,
     [](Rig& r) {
       AdjustmentLogTarget log;
       log.path = r.Path("none/log.csv");
       Outcome outcome = r.session->WriteSerial("1234567", 7, log);
       EXPECT_EQ(outcome.error, ENOENT);
       EXPECT_EQ(outcome.reason, std::strerror(ENOENT));
       EXPECT_EQ(outcome.path, log.path);
       EXPECT_EQ(outcome.message.substr(outcome.message.find('\n') + 1), log.path + ": " + std::strerror(ENOENT));
       return outcome;
     },
     Status::LogNotWritten, "/tmp/vq-session-", true, 5},
    {"WriteSerialWithALogHeldOpen", nullptr,
     [](Rig& r) {
       AdjustmentLogTarget log;
       log.path = r.Path("log.csv");
       const std::string lockFile = r.Path(".~lock.log.csv#");
       std::ofstream(lockFile) << "";
       Outcome outcome = r.session->WriteSerial("1234567", 7, log);
       unlink(lockFile.c_str());
       EXPECT_EQ(outcome.message, log.path + " is opend. Please close " + log.path);
       EXPECT_EQ(outcome.error, 0);
       EXPECT_EQ(outcome.reason, outcome.message) << "a one-line message is its own reason";
       EXPECT_EQ(outcome.path, log.path);
       return outcome;
     },
     Status::LogNotWritten, "/tmp/vq-session-", true, 5},
    {"QueryASilentCamera", [](Rig& r) { r.camera.Faults().silent = true; },
     [](Rig& r) {
       std::string reply;
       return r.session->Query("01ff810c000000", reply);
     },
     Status::CommFailed, "", false, 0},
};

class Session : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(Session, EndsAsTheFrontEndsAreToldAndSendsOnlyWhatItMay) {
  const Case& c = GetParam();
  Rig rig;
  if (c.arrange) c.arrange(rig);
  const size_t before = rig.camera.Requests().size();
  Outcome outcome = c.act(rig);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.message.rfind(c.message, 0), 0u) << outcome.message;
  EXPECT_EQ(outcome.shown, c.shown);
  if (c.shown) {
    ASSERT_FALSE(rig.output.messages.empty());
    EXPECT_EQ(outcome.message, rig.output.messages.back().text) << "the message the operator read";
  }
  if (c.status == Status::CommFailed) {
    EXPECT_EQ(outcome.code, CommError::Timeout);
    ASSERT_EQ(rig.output.messages.size(), 1u) << "one box for the failure";
    EXPECT_EQ(rig.output.messages[0].text, CommErrorState::ErrorText(CommError::Timeout));
  }
  EXPECT_EQ(rig.camera.Requests().size() - before, c.requests);
}

INSTANTIATE_TEST_SUITE_P(Sequences, Session, ::testing::ValuesIn(Cases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(SessionValues, ReadAllAndAFileByNameInTableOrder) {
  Rig rig;
  std::vector<NamedValue> camera;
  ASSERT_TRUE(rig.session->ReadAll(camera).Ok());
  ASSERT_EQ(camera.size(), 46u) << "rows 0 to 45; the reserved row is never read";
  EXPECT_EQ(camera[0].name, "TriggerMode");
  EXPECT_EQ(camera[5].name, "GainLevel");
  EXPECT_EQ(camera[5].value, 168);

  std::vector<NamedValue> file;
  ASSERT_TRUE(ReadSettingsValues(Golden(rig), rig.output, file).Ok());
  ASSERT_EQ(file.size(), 47u);
  EXPECT_EQ(file[5].value, 300);
  EXPECT_EQ(file[46].name, "Reserved");
}

TEST(SessionOpen, PermissionHintGivesAUdevRuleOnlyWhereOneCanApply) {
  const std::string ownerOnly = ": only its owner may open it.";
  const std::string udev =
      " To let the group \"dialout\" use it, put this line into /etc/udev/rules.d/60-vq-camera.rules:\n"
      "  KERNEL==\"ttyUSB1\", GROUP=\"dialout\", MODE=\"0660\"\n"
      "then run \"sudo udevadm trigger\" and join the group with \"sudo usermod -aG dialout $USER\", then log in "
      "again.";
  const std::string pty = " A pseudo-terminal belongs to the user that made it.";
  const struct {
    const char* device;
    DeviceAccess who;
    std::string hint;
  } cases[] = {
      {"/dev/serial/by-id/usb-cam", {"root", false, "ttyUSB1", false},
       "No permission to use /dev/serial/by-id/usb-cam" + ownerOnly + udev},
      {"/dev/pts/1", {"tty", false, "1", true}, "No permission to use /dev/pts/1" + ownerOnly + pty},
      {"/tmp/camera", {"tty", false, "7", true}, "No permission to use /tmp/camera" + ownerOnly + pty},
      {"/dev/pts/1", {"tty", true, "1", true},
       "No permission to use /dev/pts/1: it belongs to the group \"tty\". Join it with \"sudo usermod -aG tty "
       "$USER\", then log in again."},
  };
  for (const auto& c : cases) EXPECT_EQ(PermissionHint(c.device, c.who), c.hint) << c.device;
}

TEST(SessionOpen, AChoiceThatCannotBeOpenedIsAnArgumentNotALineFailure) {
  Rig rig;
  EXPECT_EQ(rig.session->Open({std::nullopt, 11, 9600, std::nullopt, 0}).status, Status::BadArgument);
  EXPECT_EQ(rig.session->Open({std::nullopt, 1, 19200, std::nullopt, 0}).status, Status::BadArgument);
  EXPECT_EQ(rig.session->Open({"", 1, 9600, std::nullopt, 0}).status, Status::BadArgument) << "an empty device";
  EXPECT_EQ(rig.session->Open({std::nullopt, 1, 9600, "", 0}).status, Status::BadArgument) << "an empty library";
  EXPECT_EQ(rig.session->Open({"/dev/x", 1, 9600, "Euresys", 0}).status, Status::BadArgument);
  EXPECT_EQ(rig.session->Open({std::nullopt, 1, 9600, std::nullopt, 2}).status, Status::BadArgument)
      << "a board's port without a board";
  EXPECT_FALSE(rig.session->BoardDidNotOpen());
}
