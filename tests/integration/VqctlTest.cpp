// vqctl as a script runs it: the real program against the simulated camera, on a pseudo-terminal
// and through the simulated Camera Link library.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <QFile>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <regex>
#include <sstream>

#include "link/CommErrorState.h"
#include "support/GrabberLink.h"
#include "support/RunProgram.h"
#include "support/SimProcess.h"
#include "support/NonRegularFiles.h"

namespace {

class Vqctl : public ::testing::Test {
 protected:
  void StartCamera(std::vector<std::string> args = {}) {
    args.insert(args.end(), {"--baud", "115200"});
    ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, args));
  }

  ProgramResult Run(std::vector<std::string> args, const std::string& workingDirectory = {},
                    const ChildSetup& setup = {}) {
    args.insert(args.begin(), {"--device", sim.PtyPath(), "--baud", "115200"});
    return RunProgram(VQ_VQCTL, args, {"XDG_CONFIG_HOME=" + dir.path().toStdString()}, workingDirectory, setup);
  }

  std::string PathOf(const char* name) const { return dir.filePath(name).toStdString(); }

  SimProcess sim;
  QTemporaryDir dir;
};

// The one JSON document text holds, ending in a line feed; an empty object when it holds anything else.
QJsonObject JsonOf(const std::string& text) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  EXPECT_TRUE(!text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1) << text;
  EXPECT_TRUE(document.isObject()) << text;
  return document.object();
}

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

QByteArray Contents(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Traced(const ProgramResult& result) { return result.err.find(" > ") != std::string::npos; }

}  // namespace

TEST_F(Vqctl, ReadAllGetAndSet) {
  StartCamera();
  auto all = Run({"read-all"});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(Lines(all.out), 46);
  EXPECT_EQ(all.out.rfind("TriggerMode=0\nTriggerSource=0\n", 0), 0u);
  EXPECT_NE(all.out.find("\nGainLevel=168\n"), std::string::npos);
  EXPECT_NE(all.out.find("\nModelName0=" + std::to_string('V' + 256 * 'Q') + "\n"), std::string::npos);
  EXPECT_TRUE(all.err.empty());

  auto set = Run({"set", "GainLevel", "0x12C"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_TRUE(set.out.empty());
  auto get = Run({"get", "gainlevel"});
  EXPECT_EQ(get.status, 0);
  EXPECT_EQ(get.out, "300\n");
}

TEST_F(Vqctl, SaveShowDiffAndLoad) {
  StartCamera();
  ASSERT_EQ(Run({"set", "GainLevel", "300"}).status, 0);
  ASSERT_EQ(Run({"save", PathOf("golden.vq")}).status, 0);
  QFile saved(QString::fromStdString(PathOf("golden.vq")));
  EXPECT_EQ(saved.size(), 212);

  auto show = RunProgram(VQ_VQCTL, {"show", PathOf("golden.vq")});
  EXPECT_EQ(show.status, 0);
  EXPECT_EQ(Lines(show.out), 47);
  EXPECT_NE(show.out.find("\nGainLevel=300\n"), std::string::npos);

  EXPECT_EQ(Run({"diff", PathOf("golden.vq")}).status, 0);
  ASSERT_EQ(Run({"set", "GainLevel", "7"}).status, 0);
  auto diff = Run({"diff", PathOf("golden.vq")});
  EXPECT_EQ(diff.status, 1);
  EXPECT_EQ(diff.out, "GainLevel: camera=7 file=300\n");

  EXPECT_EQ(Run({"load", PathOf("golden.vq")}).status, 0);
  EXPECT_EQ(Run({"get", "GainLevel"}).out, "300\n");
}

// A file size limit stands in for a full disk: the save fails part way, and the old file must survive.
TEST_F(Vqctl, SaveOntoAFullDiskKeepsTheOldFile) {
  StartCamera();
  ASSERT_EQ(Run({"save", PathOf("old.vq")}).status, 0);
  const QByteArray old = Contents(PathOf("old.vq"));
  ASSERT_EQ(Run({"set", "GainLevel", "300"}).status, 0);
  auto full = Run({"save", PathOf("old.vq")}, {}, {100, {}});
  EXPECT_EQ(full.status, 74);
  EXPECT_EQ(full.err, "Failed to save document.\n" + PathOf("old.vq") + "\nFile too large\n");
  EXPECT_EQ(Contents(PathOf("old.vq")), old);
}

// With standard output closed the port would be opened on descriptor 1 and the listing written
// into the camera line.
TEST_F(Vqctl, AClosedStandardOutputIsAFailureNotTheCameraLine) {
  StartCamera();
  ChildSetup closed;
  closed.closeStandardOutput = true;
  auto all = Run({"read-all"}, {}, closed);
  EXPECT_EQ(all.status, 74);
  EXPECT_NE(all.err.find("the output could not be written"), std::string::npos) << all.err;
  EXPECT_EQ(Run({"get", "GainLevel"}).out, "168\n") << "the camera still answers as before";
}

// A FIFO in the settings store's place would block the first read of the COM assignments for ever.
TEST_F(Vqctl, ASettingsStoreThatIsNoFileIsLeftAloneAndDefaultsAreUsed) {
  StartCamera();
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Norvane Imaging Ltd.")));
  const std::string store = PathOf("Norvane Imaging Ltd./VQ-R310NTX.conf");
  ASSERT_EQ(mkfifo(store.c_str(), 0600), 0);
  auto get = RunProgram("/usr/bin/timeout", {"20", VQ_VQCTL, "--device", sim.PtyPath(), "--baud", "115200", "get", "GainLevel"},
                        {"XDG_CONFIG_HOME=" + dir.path().toStdString()});
  EXPECT_EQ(get.status, 0) << "124 is a hang ended by timeout";
  EXPECT_EQ(get.out, "168\n");
  EXPECT_NE(get.err.find("is not a regular file"), std::string::npos) << get.err;
}

TEST_F(Vqctl, WhatIsNotAFileIsRefusedAtOnce) {
  StartCamera({"--silent"});
  for (const NonRegularFile& file : MakeNonRegularFiles(dir.path().toStdString())) {
    SCOPED_TRACE(file.kind);
    const mode_t kind = KindOf(file.path);
    auto save = Run({"--trace", "save", file.path});
    EXPECT_EQ(save.status, 74);
    EXPECT_EQ(save.err, "Failed to save document.\n" + file.path + "\n" + file.reason + "\n") << "nothing read first";
    EXPECT_EQ(KindOf(file.path), kind);
    for (const char* command : {"show", "load", "diff"}) {
      // Traced, so that the message alone shows nothing was sent; the bound only catches a wait on a FIFO.
      auto start = std::chrono::steady_clock::now();
      auto read = Run({"--trace", command, file.path});
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << command;
      EXPECT_EQ(read.status, 66) << command;
      EXPECT_EQ(read.err, "Failed to open document.\n" + file.path + "\n" + file.reason + "\n") << command;
    }
  }
}

TEST_F(Vqctl, ANameThatIsNotUtf8SavesAndLoadsAsItIs) {
  StartCamera();
  const std::string name = dir.path().toStdString() + "/caf\xE9.vq";
  ASSERT_EQ(Run({"set", "GainLevel", "300"}).status, 0);
  auto save = Run({"save", name});
  EXPECT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(KindOf(name), static_cast<mode_t>(S_IFREG)) << "saved under exactly that name";
  auto show = RunProgram(VQ_VQCTL, {"show", name});
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_NE(show.out.find("\nGainLevel=300\n"), std::string::npos);
  ASSERT_EQ(Run({"set", "GainLevel", "7"}).status, 0);
  EXPECT_EQ(Run({"load", name}).status, 0);
  EXPECT_EQ(Run({"get", "GainLevel"}).out, "300\n");
  unlink(name.c_str());  // the temporary folder's own clean-up cannot name it
}

TEST_F(Vqctl, OutputThatCannotBeWrittenFails) {
  StartCamera();
  auto all = Run({"read-all"}, {}, {0, "/dev/full"});
  EXPECT_EQ(all.status, 74);
  EXPECT_EQ(all.err, "vqctl: the output could not be written: No space left on device\n");
}

TEST_F(Vqctl, SetOutsideTheRowsRangeSendsNothing) {
  StartCamera();
  const char* const cases[][3] = {{"GainLevel", "70000", "GainLevel takes 0 to 671"},
                                  {"TriggerMode", "300", "TriggerMode takes 0 to 3"}};
  for (const auto& [name, value, message] : cases) {
    auto set = Run({"--trace", "set", name, value});
    EXPECT_EQ(set.status, 64);
    EXPECT_EQ(set.err, std::string("vqctl: ") + message + " (vqctl --help lists the commands and options)\n");
    EXPECT_FALSE(Traced(set)) << "nothing may reach the camera";
  }
  EXPECT_EQ(Run({"get", "GainLevel"}).out, "168\n");
  EXPECT_EQ(Run({"get", "TriggerMode"}).out, "0\n");
}

TEST_F(Vqctl, InfoQueryAndTrace) {
  StartCamera();
  auto info = Run({"info"});
  EXPECT_EQ(info.status, 0);
  EXPECT_EQ(info.out, "Vendor=NORVANE IMAGING\nModel=VQ-R310NTX\nSerial=1234567\nVersion=1.0.0.0\n");

  auto query = Run({"--trace", "query", "01ff810c000000"});
  EXPECT_EQ(query.status, 0);
  EXPECT_EQ(query.out, "00A800\n");
  EXPECT_NE(query.err.find(" > 02 30 31 46 46 38 31 30 43 30 30 30 30 30 30 03 31 31\n"), std::string::npos)
      << query.err;
  EXPECT_NE(query.err.find(" < 30 30 41 38 30 30 03 43 31\n"), std::string::npos) << query.err;
}

TEST_F(Vqctl, DetectionRunsToItsEnd) {
  StartCamera({"--spots", "10:20,300:5", "--detect-reads", "2"});
  auto detect = Run({"detect", "30"});
  EXPECT_EQ(detect.status, 0) << detect.err;
  EXPECT_EQ(detect.out, "Detect is finished.\nNo. 1: x =   10,  y =   20\nNo. 2: x =  300,  y =    5\n");
  EXPECT_EQ(Run({"get", "WhiteSpotThreshold"}).out, "30\n");
  EXPECT_EQ(Run({"spots"}).out, "No. 1: x =   10,  y =   20\nNo. 2: x =  300,  y =    5\n");
}

// Each end of a run has its own exit status; only a finished run lists the spots.
TEST_F(Vqctl, EachDetectionEndHasItsOwnStatus) {
  const struct {
    const char* state;
    int status;
    const char* out;
  } ends[] = {{"0", 0, "Detect is finished.\n"}, {"2", 80, "Number of detect is over.\n"}, {"3", 81, "Detect error\n"}};
  for (const auto& end : ends) {
    sim.Stop();
    StartCamera({"--detect-outcome", end.state});
    auto detect = Run({"detect"});
    EXPECT_EQ(detect.status, end.status) << end.state;
    EXPECT_EQ(detect.out.substr(0, std::string(end.out).size()), end.out) << end.state;
    if (end.status != 0) {
      EXPECT_EQ(detect.out, end.out) << end.state;
    }
  }
}

TEST_F(Vqctl, DetectionThatRunsTooLongIsGivenUp) {
  StartCamera({"--detect-reads", "1000000"});
  auto start = std::chrono::steady_clock::now();
  auto detect = Run({"detect", "--timeout", "1"});
  // A little over the second it was given; the bound leaves room for a loaded machine.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
  EXPECT_EQ(detect.status, 75);
  EXPECT_EQ(detect.err, "vqctl: the detection did not finish within 1 s\n");
  EXPECT_TRUE(detect.out.empty());
}

TEST_F(Vqctl, RefusedFilesSendNothing) {
  StartCamera({"--silent"});
  QFile foreign(QString::fromStdString(PathOf("foreign.vq")));
  ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
  foreign.write(QByteArray("\x17VQ-S90 Data Version2.00") + QByteArray(188, '\0'));
  foreign.close();
  auto load = Run({"--trace", "load", PathOf("foreign.vq")});
  EXPECT_FALSE(Traced(load)) << "nothing may reach the camera";
  EXPECT_EQ(load.status, 65);
  EXPECT_EQ(load.err, "File type mismatch.\nFile \"" + PathOf("foreign.vq") +
                          "\" does not contain data for VQ-R310NTX apprication.\n");
  auto show = RunProgram(VQ_VQCTL, {"show", PathOf("foreign.vq")});
  EXPECT_EQ(show.status, 65);
  EXPECT_EQ(RunProgram(VQ_VQCTL, {"show", PathOf("missing.vq")}).status, 66);
}

TEST_F(Vqctl, WriteSerialFillsTheCameraAndTheLogInTheCurrentFolder) {
  StartCamera();
  QTemporaryDir station;
  const std::string folder = station.path().toStdString();
  auto refused = Run({"write-serial", "12X45678"}, folder);
  EXPECT_EQ(refused.status, 65);
  EXPECT_EQ(refused.err, "Serial number cannot be written.\nPlease input the number of 7 digits. \n");

  auto written = Run({"write-serial", "--digits", "8", "12X45678"}, folder);
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_TRUE(written.out.empty() && written.err.empty());
  EXPECT_EQ(Run({"info"}).out, "Vendor=NORVANE IMAGING\nModel=VQ-R310NTX\nSerial=12X45678\nVersion=1.0.0.0\n");

  QFile spreadsheetLock(station.filePath(".~lock.VQ-R310_AdjustData.csv#"));
  ASSERT_TRUE(spreadsheetLock.open(QIODevice::WriteOnly));
  auto held = Run({"write-serial", "--digits", "8", "12X45679"}, folder);
  EXPECT_EQ(held.status, 73);
  const std::string logPath = station.filePath("VQ-R310_AdjustData.csv").toStdString();
  EXPECT_EQ(held.err, logPath + " is opend. Please close " + logPath + "\n") << "named by its full path";

  QFile log(QString::fromStdString(logPath));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const std::string bytes = log.readAll().toStdString();
  // The header's exact bytes are the unit tests' business; here it is one 51-byte line before the row.
  const size_t rowStart = bytes.find("\r\n") + 2;
  ASSERT_EQ(rowStart, 53u) << bytes;
  // Exactly one row: the write while the spreadsheet held the log added none.
  EXPECT_TRUE(std::regex_match(bytes.substr(rowStart),
                               std::regex("\\d{4}\\.[ 1]\\d\\.[ 123]\\d \\d{1,2}:\\d{1,2},VQ-R310NTX,12X45678,176,100,\r\n")))
      << bytes.substr(rowStart);
}

// The windowed program writes the row even when the camera does not answer the read-backs; a script
// must still learn that the row holds values the camera never gave.
TEST_F(Vqctl, WriteSerialWhoseReadBacksFailExitsWithTheirCode) {
  StartCamera({"--bad-check", "-1"});
  QTemporaryDir station;
  auto written = Run({"write-serial", "7654321"}, station.path().toStdString());
  // Which failure the bad check code makes of a reply depends on the timing; the code is the first one shown.
  EXPECT_EQ(written.err.rfind(CommErrorState::ErrorText(static_cast<CommError>(written.status)) + "\n", 0), 0u)
      << written.status << "\n" << written.err;
  EXPECT_NE(written.status, 0);
  const std::string log = Contents(station.filePath("VQ-R310_AdjustData.csv").toStdString()).toStdString();
  EXPECT_TRUE(std::regex_search(log, std::regex(",,7654321,176,100,\r\n$"))) << log;
}

TEST_F(Vqctl, CommunicationFailuresExitWithTheirCode) {
  StartCamera({"--silent"});
  auto get = Run({"get", "GainLevel"});
  EXPECT_EQ(get.status, 5);
  EXPECT_EQ(get.err, "ERROR - Communication time out detected.\nCheck the connection.\n");
  EXPECT_TRUE(get.out.empty());

}

// Which device failed to open and why, after the operator's message; with --json the same as one object.
TEST_F(Vqctl, AnOpenFailureNamesTheDeviceAndTheSystemsReason) {
  StartCamera();
  const std::string fifo = PathOf("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Another program holding the camera's port, as a second vqctl would.
  const int holder = open(sim.PtyPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  const struct {
    std::string device, reason;
  } failures[] = {{"/nonexistent/tty", "No such file or directory"},
                  {fifo, "Inappropriate ioctl for device"},
                  {sim.PtyPath(), "Device or resource busy"}};
  for (const auto& f : failures) {
    auto text = RunProgram(VQ_VQCTL, {"--device", f.device, "info"});
    EXPECT_EQ(text.status, 4);
    EXPECT_EQ(text.err, "ERROR - Can not open communciation port.\n" + f.device + ": " + f.reason + "\n");
    auto json = RunProgram(VQ_VQCTL, {"--json", "--device", f.device, "info"});
    EXPECT_EQ(json.status, 4);
    EXPECT_TRUE(json.out.empty());
    const QJsonObject error = JsonOf(json.err)["error"].toObject();
    EXPECT_EQ(error["code"].toInt(), 4);
    EXPECT_EQ(error["name"].toString(), "CANNOT_OPEN_PORT");
    EXPECT_EQ(error["message"].toString(), "ERROR - Can not open communciation port.");
    EXPECT_EQ(error["path"].toString().toStdString(), f.device);
    EXPECT_EQ(error["reason"].toString().toStdString(), f.reason);
  }
  close(holder);
}

// A vqctl stopped after it changed the camera says what stays changed; one stopped before says nothing.
// At 9600 baud a load's 21 rows take most of a second, so a stop after a third of it falls mid-way.
TEST_F(Vqctl, InterruptedAfterItChangedTheCameraSaysWhatItHadDone) {
  // A file whose every write-all row differs from the camera's defaults, saved from a camera of its own.
  ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, {}));
  std::vector<std::string> writeAll;
  std::istringstream table(RunProgram(VQ_VQCTL, {"parameters"}).out);
  for (std::string name, index, minimum, maximum, fallback, flags; table >> name >> index >> minimum >> maximum >> fallback >> flags;) {
    if (flags[0] != 'w') continue;
    writeAll.push_back(name);
    ASSERT_EQ(Run({"set", name, fallback == minimum ? maximum : minimum}).status, 0) << name;
  }
  ASSERT_EQ(writeAll.size(), 21u);
  ASSERT_EQ(Run({"save", PathOf("file.vq")}).status, 0);
  sim.Stop();

  QTemporaryDir station;
  const std::string log = station.filePath("VQ-R310_AdjustData.csv").toStdString();
  // Another station appending: the log stays locked for the whole run, so the number is written and
  // the row waited for when the stop comes.
  const int held = open(log.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  struct flock whole {};
  whole.l_type = F_WRLCK;
  ASSERT_EQ(fcntl(held, F_SETLK, &whole), 0);
  const struct {
    const char* what;
    std::vector<std::string> camera;
    std::vector<std::string> command;
    const char* signal;
    const char* after;  // seconds
    int status;
    std::string note;  // a pattern; empty: nothing on standard error
  } cases[] = {
      {"load mid-way", {}, {"load", PathOf("file.vq")}, "INT", "0.3", 130,
       "vqctl: interrupted during the load: (\\d+) of the file's 21 rows were written to the camera, in table order;\n"
       "the next one \\((\\w+)\\) may or may not have reached it\n"},
      {"write-serial, the number written", {}, {"write-serial", "7654321"}, "TERM", "1", 143,
       "vqctl: interrupted: the serial number was written to the camera, but its row was not added to " + log + "\n"},
      // Each byte the camera sends comes 0.3 s late: a write takes 0.6 s, so the stop falls on the third word.
      {"write-serial mid-way through the words", {"--slow-ms", "300"}, {"write-serial", "7654321"}, "INT", "2.2", 130,
       "vqctl: interrupted during write-serial: ([0-3]) of the serial number's 4 words were written to the camera;\n"
       "the next may or may not have reached it, and no row was added to " + log + "\n"},
      {"write-serial before anything was written", {"--silent"}, {"write-serial", "7654321"}, "HUP", "0.3", 129, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> camera = c.camera;
    camera.insert(camera.end(), {"--baud", "9600"});
    ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, camera));
    std::vector<std::string> args = {"--preserve-status", "-s", c.signal, c.after, VQ_VQCTL, "--device", sim.PtyPath()};
    args.insert(args.end(), c.command.begin(), c.command.end());
    auto stopped = RunProgram("/usr/bin/timeout", args, {"XDG_CONFIG_HOME=" + dir.path().toStdString()},
                              station.path().toStdString());
    EXPECT_EQ(stopped.status, c.status) << stopped.err;
    std::smatch found;
    ASSERT_TRUE(std::regex_match(stopped.err, found, std::regex(c.note))) << stopped.err;

    if (c.command[0] == "load") {
      // What the note says is what the camera holds: the rows before the next one are the file's, the
      // rows after it still the camera's own.
      const size_t done = std::stoul(found[1].str());
      ASSERT_LT(done, writeAll.size());
      EXPECT_GT(done, 0u) << "a third of the way in";
      EXPECT_EQ(found[2].str(), writeAll[done]);
      const std::string differing = RunProgram(VQ_VQCTL, {"--device", sim.PtyPath(), "diff", PathOf("file.vq")}).out;
      for (size_t row = 0; row < writeAll.size(); ++row) {
        const bool differs = differing.find(writeAll[row] + ": camera=") != std::string::npos;
        if (row != done) {
          EXPECT_EQ(differs, row > done) << writeAll[row] << "\n" << differing;
        }
      }
    }
    if (c.command[0] == "write-serial" && c.status == 143) {
      EXPECT_NE(RunProgram(VQ_VQCTL, {"--device", sim.PtyPath(), "info"}).out.find("\nSerial=7654321\n"), std::string::npos);
      EXPECT_EQ(Contents(log), QByteArray()) << "no row";
    }
    sim.Stop();
  }
  close(held);
}

TEST_F(Vqctl, ThroughTheCameraLinkLibrary) {
  auto all = RunProgram(VQ_VQCTL, {"--camera-link", VQ_CLSERSIM, "read-all"});
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(Lines(all.out), 46);

  auto board = RunProgram(VQ_VQCTL, {"--camera-link", VQ_CLSERSIM, "get", "GainLevel"}, {"CLSERSIM_INIT_FAIL=1"});
  EXPECT_EQ(board.status, 3);
  EXPECT_EQ(board.err, "Board Open Error\nERROR - Communication port not opened.\n");

  // The library that did not load is named once, with the loader's reason.
  auto missing = RunProgram(VQ_VQCTL, {"--camera-link", "/nonexistent/libcl.so", "info"});
  EXPECT_EQ(missing.status, 4);
  EXPECT_EQ(missing.err, "ERROR - Can not open communciation port.\n/nonexistent/libcl.so: No such file or directory\n");
  QFile text(dir.filePath("notalibrary.so"));
  const QByteArray lines = QByteArray("a line of text, not a library\n").repeated(100);
  ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write(lines) == lines.size() && text.flush());
  auto notALibrary = RunProgram(VQ_VQCTL, {"--camera-link", PathOf("notalibrary.so"), "info"});
  EXPECT_EQ(notALibrary.err, "ERROR - Can not open communciation port.\n" + PathOf("notalibrary.so") +
                                 ": invalid ELF header\n");

  // A library whose read never returns: given up once the ACK's one-second time-out and the call's
  // grace have passed (3 s), and the program ends without waiting for the call it left behind.
  auto start = std::chrono::steady_clock::now();
  auto stuck = RunProgram(VQ_VQCTL, {"--camera-link", VQ_CLSERSIM_STUCK, "read-all"});
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(stuck.status, 5);
  EXPECT_EQ(stuck.err, "ERROR - Communication time out detected.\nCheck the connection.\n");
  EXPECT_TRUE(stuck.out.empty());
  EXPECT_LT(seconds, 15.0);
}

// The link check over a real terminal: a quiet line, one held by an adapter's 16 ms timer (a
// pseudo-terminal cannot take the low-latency request), a camera that refuses frames, a silent one.
TEST(VqctlCheck, ReportsEachKindOfLineAndExitsByIt) {
  const struct {
    std::vector<std::string> faults;
    const char* count;
    int status;
    const char* verdict;
    const char* detail;
  } rows[] = {
      {{}, "20", 0, "verdict: healthy\n", "NAKs from the camera: 0, from this end: 0; line errors: 0; failed reads: 0"},
      {{"--usb-latency", "16"}, "10", 1, "verdict: slow\n", "advice: Something between this program and the camera holds"},
      {{"--wrong-frames", "2"}, "5", 76, "verdict: faulty\n", "retries: 2; NAKs from the camera: 2"},
      {{"--silent"}, "1", 5, "verdict: failed\n", "advice: The camera did not answer"},
  };
  for (const auto& row : rows) {
    SimProcess sim;
    std::vector<std::string> args = row.faults;
    args.insert(args.end(), {"--baud", "115200"});
    ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, args));
    const ProgramResult check =
        RunProgram(VQ_VQCTL, {"--device", sim.PtyPath(), "--baud", "115200", "check", row.count});
    SCOPED_TRACE(check.out + check.err);
    EXPECT_EQ(check.status, row.status);
    EXPECT_EQ(check.out.rfind(std::string("reads: ") + row.count + " of the gain level at 115200 baud\n", 0), 0u);
    EXPECT_NE(check.out.find(row.verdict), std::string::npos);
    EXPECT_NE(check.out.find(row.detail), std::string::npos);
    EXPECT_NE(check.out.find("device: the system tells nothing of it\n"), std::string::npos);
  }
}

// Over a Camera Link channel the board sets the speed: the check times the reads without a line
// figure and tells nothing of a serial device.
TEST(VqctlCheck, ThroughTheCameraLinkLibrary) {
  const GrabberLink link = GrabberLinkAt(VQ_CLSERSIM, 115200);
  std::vector<std::string> args = link.options;
  args.insert(args.end(), {"check", "5"});
  const ProgramResult check = RunProgram(VQ_VQCTL, args, link.environment);
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  EXPECT_EQ(check.out.rfind("reads: 5 of the gain level over the Camera Link channel\n", 0), 0u) << check.out;
  EXPECT_EQ(check.out.find("its bytes on the line"), std::string::npos);
  EXPECT_EQ(check.out.find("device:"), std::string::npos);
  EXPECT_NE(check.out.find("verdict: healthy\n"), std::string::npos);
}

namespace {

// A command's --json document written back in its text form: equal to the text output only when both
// carry the same names and values.
std::string AsText(const std::string& command, const QJsonObject& json) {
  std::string text;
  auto line = [&text](const std::string& s) { text += s + "\n"; };
  auto spots = [&](const QJsonArray& list) {
    for (const QJsonValue& spot : list) {
      const QJsonObject s = spot.toObject();
      line(QString::asprintf("No.%2d: x = %4d,  y = %4d", s["number"].toInt(), s["x"].toInt(), s["y"].toInt()).toStdString());
    }
  };
  if (command == "read-all" || command == "show" || command == "info") {
    for (auto member = json.begin(); member != json.end(); ++member) {
      const QJsonValue v = member.value();
      line(member.key().toStdString() + "=" + (v.isString() ? v.toString() : QString::number(v.toInteger())).toStdString());
    }
  } else if (command == "get") {
    line(std::to_string(json["value"].toInt()));
  } else if (command == "query") {
    line(json["reply"].toString().toStdString());
  } else if (command == "diff") {
    for (const QJsonValue& d : json["differences"].toArray()) {
      const QJsonObject o = d.toObject();
      line(o["name"].toString().toStdString() + ": camera=" + std::to_string(o["camera"].toInt()) +
           " file=" + std::to_string(o["file"].toInt()));
    }
  } else if (command == "spots" || command == "detect") {
    if (command == "detect") line(json["message"].toString().toStdString());
    spots(json["spots"].toArray());
  } else if (command == "parameters") {
    for (const QJsonValue& p : json["parameters"].toArray()) {
      const QJsonObject o = p.toObject();
      line(QString::asprintf("%s %d %d %d %d %s%s", o["name"].toString().toUtf8().constData(), o["index"].toInt(),
                             o["minimum"].toInt(), o["maximum"].toInt(), o["default"].toInt(),
                             o["write_all"].toBool() ? "w" : "-", o["read_all"].toBool() ? "r" : "-")
               .toStdString());
    }
  } else if (command == "check") {
    // The times differ from run to run; the counts and the verdict do not.
    line("reads: " + std::to_string(json["reads"].toInt()) + " of the gain level at " +
         std::to_string(json["baud"].toInt()) + " baud");
    line("verdict: " + json["verdict"].toString().toStdString());
  }
  return text;
}

// A text's lines in order: a JSON object's members come back from the parser sorted by name.
std::string Sorted(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (const std::string& l : lines) sorted += l + "\n";
  return sorted;
}

// The lines of a check's text that do not hold times.
std::string Untimed(const std::string& check) {
  std::string kept;
  std::istringstream lines(check);
  for (std::string l; std::getline(lines, l);) {
    if (l.rfind("reads:", 0) == 0 || l.rfind("verdict:", 0) == 0) kept += l + "\n";
  }
  return kept;
}

}  // namespace

TEST_F(Vqctl, EachCommandsJsonCarriesWhatItsTextShows) {
  StartCamera({"--spots", "10:20,300:5,1000:999"});
  ASSERT_EQ(Run({"save", PathOf("golden.vq")}).status, 0);
  ASSERT_EQ(Run({"set", "GainLevel", "7"}).status, 0);
  const std::vector<std::vector<std::string>> commands = {
      {"read-all"}, {"get", "GainLevel"}, {"info"}, {"show", PathOf("golden.vq")}, {"diff", PathOf("golden.vq")},
      {"query", "00FF8101050000"}, {"detect"}, {"spots"}, {"parameters"}, {"check", "3"}};
  for (const std::vector<std::string>& command : commands) {
    auto text = Run(command);
    std::vector<std::string> withJson = command;
    withJson.push_back("--json");
    auto json = Run(withJson);
    EXPECT_EQ(json.status, text.status) << command[0];
    EXPECT_TRUE(json.err.empty() && text.err.empty()) << command[0] << json.err;
    const std::string expected = command[0] == "check" ? Untimed(text.out) : text.out;
    EXPECT_EQ(Sorted(AsText(command[0], JsonOf(json.out))), Sorted(expected)) << command[0];
  }
  // Values in the table's order, as read-all prints them.
  EXPECT_EQ(Run({"--json", "read-all"}).out.rfind("{\"TriggerMode\":0,\"TriggerSource\":0,", 0), 0u);
  // Numbers are numbers, and each document says what it is about.
  const QJsonObject diff = JsonOf(Run({"--json", "diff", PathOf("golden.vq")}).out);
  EXPECT_EQ(diff["file"].toString().toStdString(), PathOf("golden.vq"));
  EXPECT_EQ(diff["rows"].toString(), "all");
  EXPECT_TRUE(JsonOf(Run({"--json", "read-all"}).out)["GainLevel"].isDouble());
  EXPECT_EQ(JsonOf(Run({"--json", "get", "gainlevel"}).out)["name"].toString(), "GainLevel");
}

TEST_F(Vqctl, WithJsonAFailureIsOneObjectOnStandardError) {
  StartCamera({"--silent"});
  const struct {
    std::vector<std::string> args;
    int status;
    const char* name;
    const char* message;
  } failures[] = {
      {{"get", "GainLevel", "--json"}, 5, "TIMEOUT", "ERROR - Communication time out detected.\nCheck the connection."},
      {{"--json", "get", "NoSuchRow"}, 64, "USAGE", "unknown parameter NoSuchRow"},
      {{"--json", "--bogus", "read-all"}, 64, "USAGE", "unknown option --bogus"},
      {{"--json", "show", "/nonexistent/file.vq"}, 66, "FILE_UNREADABLE",
       "Failed to open document.\n/nonexistent/file.vq\nNo such file or directory"},
  };
  for (const auto& f : failures) {
    auto run = Run(f.args);
    EXPECT_EQ(run.status, f.status) << f.name;
    EXPECT_TRUE(run.out.empty()) << run.out;
    const QJsonObject error = JsonOf(run.err)["error"].toObject();
    EXPECT_EQ(error["code"].toInt(), f.status);
    EXPECT_EQ(error["name"].toString().toStdString(), f.name);
    EXPECT_EQ(error["message"].toString().toStdString(), f.message);
  }
  // The text keeps its one line, pointing at the help.
  EXPECT_EQ(Run({"get", "NoSuchRow"}).err, "vqctl: unknown parameter NoSuchRow (vqctl --help lists the commands and options)\n");
}

// A golden file from another camera: load writes none of its serial-number rows, so only --written
// compares what the load was meant to set.
TEST_F(Vqctl, RestoreThenVerifyPassesWithWrittenRowsForAnyCamera) {
  StartCamera();
  ASSERT_EQ(Run({"set", "GainLevel", "300"}).status, 0);
  ASSERT_EQ(Run({"save", PathOf("golden.vq")}).status, 0);
  ASSERT_EQ(Run({"write-serial", "7654321"}, dir.path().toStdString()).status, 0);
  ASSERT_EQ(Run({"set", "GainLevel", "7"}).status, 0);

  ASSERT_EQ(Run({"load", PathOf("golden.vq")}).status, 0);
  auto all = Run({"diff", PathOf("golden.vq")});
  EXPECT_EQ(all.status, 1);
  EXPECT_EQ(all.out.find("GainLevel"), std::string::npos);
  EXPECT_NE(all.out.find("SerialNumber0: camera="), std::string::npos) << all.out;
  auto written = Run({"diff", "--written", PathOf("golden.vq")});
  EXPECT_EQ(written.status, 0) << written.out;
  EXPECT_TRUE(written.out.empty());
  EXPECT_EQ(JsonOf(Run({"diff", "--written", "--json", PathOf("golden.vq")}).out)["rows"].toString(), "written");
}
