// vqctl's command line: options, commands, parameter names and values.
#include <gtest/gtest.h>

#include <sstream>

#include "camera/ParameterNames.h"
#include "cli/JsonText.h"
#include "cli/Vqctl.h"
#include "cli/VqctlOptions.h"

namespace {

VqctlParse Parse(const std::vector<std::string>& args, VqctlOptions& options) { return ParseVqctlOptions(args, options); }

}  // namespace

TEST(VqctlArguments, LinkOptionsThenCommand) {
  VqctlOptions options;
  auto parse = Parse({"--device", "/dev/pts/3", "--baud", "115200", "--trace", "set", "GainLevel", "0x12C"}, options);
  ASSERT_TRUE(parse.ok) << parse.error;
  EXPECT_EQ(options.link.device, "/dev/pts/3");
  EXPECT_EQ(options.link.baud, 115200);
  EXPECT_TRUE(options.trace);
  EXPECT_EQ(options.link.com, 1);
  EXPECT_FALSE(options.link.cameraLink);
  EXPECT_EQ(options.command, "set");
  EXPECT_EQ(options.arguments, (std::vector<std::string>{"GainLevel", "0x12C"}));

  VqctlOptions serial;
  ASSERT_TRUE(Parse({"--com", "3", "write-serial", "--digits", "8", "12X34567"}, serial).ok);
  EXPECT_EQ(serial.link.com, 3);
  EXPECT_EQ(serial.digits, 8);
  EXPECT_EQ(serial.arguments, (std::vector<std::string>{"12X34567"}));

  VqctlOptions board;
  ASSERT_TRUE(Parse({"--camera-link", "Euresys", "--camera-link-port", "2", "info"}, board).ok);
  EXPECT_EQ(board.link.cameraLink, "Euresys");
  EXPECT_EQ(board.link.cameraLinkPort, 2);
}

TEST(VqctlArguments, RefusesWhatItCannotRun) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--baud", "19200", "info"},
      {"--com", "11", "info"},
      {"--com", "0", "info"},
      {"--com"},
      {"--device", "/dev/x", "--camera-link", "lib.so", "info"},
      {"--device", "", "info"},  // would open COM1's default device, which nobody named
      {"--camera-link", "", "info"},
      {"--camera-link", "lib.so", "--camera-link-port", "-1", "info"},
      {"--camera-link", "lib.so", "--camera-link-port", "256", "info"},
      {"--camera-link-port", "1", "info"},  // a board's port with no board
      {"--bogus", "info"},
      {"frobnicate"},
      {"get"},
      {"set", "GainLevel"},
      {"info", "extra"},
      {"detect", "1", "2"},
      {"write-serial", "--digits", "9", "1234567"},
  };
  for (const auto& args : bad) {
    VqctlOptions options;
    auto parse = Parse(args, options);
    EXPECT_FALSE(parse.ok) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(parse.error.empty());
  }
  VqctlOptions options;
  EXPECT_TRUE(Parse({"--help"}, options).help);
}

TEST(VqctlArguments, ParameterNames) {
  ParameterId id{};
  ASSERT_TRUE(FindParameter("GainLevel", id));
  EXPECT_EQ(id, ParamGainLevel);
  ASSERT_TRUE(FindParameter("gainlevel", id));
  EXPECT_EQ(id, ParamGainLevel);
  ASSERT_TRUE(FindParameter("ParamModelName3", id));
  EXPECT_EQ(id, ParamModelName3);
  ASSERT_TRUE(FindParameter("46", id));
  EXPECT_EQ(id, ParamReserved);
  EXPECT_FALSE(FindParameter("47", id));
  EXPECT_FALSE(FindParameter("-1", id));
  EXPECT_FALSE(FindParameter("Gain", id));
  EXPECT_FALSE(FindParameter("", id));
}

TEST(VqctlArguments, ParameterValues) {
  int32_t value = -1;
  EXPECT_TRUE(ParseParameterValue("300", value));
  EXPECT_EQ(value, 300);
  EXPECT_TRUE(ParseParameterValue("0x5C1D", value));
  EXPECT_EQ(value, 0x5C1D);
  EXPECT_TRUE(ParseParameterValue("0xffffff", value));
  for (const char* bad : {"", "-1", "0x", "0x1000000", "12a", "1e3", " 5", "0x-1", "99999999999"}) {
    EXPECT_FALSE(ParseParameterValue(bad, value)) << bad;
  }
}

TEST(VqctlArguments, UsageAndHelpExitStatuses) {
  std::ostringstream out, err;
  EXPECT_EQ(RunVqctl({"--help"}, out, err), 0);
  EXPECT_EQ(out.str().rfind("usage: vqctl", 0), 0u);
  EXPECT_TRUE(err.str().empty());
  std::ostringstream out1, err1;
  EXPECT_EQ(RunVqctl({"-h"}, out1, err1), 0);
  EXPECT_EQ(out1.str(), out.str());
  // A usage error is one line that points at the help, and nothing on standard output.
  std::ostringstream out2, err2;
  EXPECT_EQ(RunVqctl({"get"}, out2, err2), 64);
  EXPECT_TRUE(out2.str().empty());
  EXPECT_EQ(err2.str(), "vqctl: get takes 1 argument (vqctl --help lists the commands and options)\n");
  std::ostringstream out3, err3;
  EXPECT_EQ(RunVqctl({"read-all", "--written"}, out3, err3), 64) << "--written is diff's alone";
}

// Strings a camera or a file system hands over in any encoding still make valid JSON, byte for byte.
TEST(VqctlArguments, JsonStringsAreValidWhateverTheBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c\n\r\t", "\"a\\\"b\\\\c\\n\\r\\t\""},
      {std::string("\x01\x7F", 2), "\"\\u0001\\u007F\""},
      {"Pr\xC3\xBC" "fung \xE3\x82\xAB", "\"Pr\xC3\xBC" "fung \xE3\x82\xAB\""},  // valid UTF-8 passes
      {"Pr\xFC" "fung", "\"Pr\\u00FCfung\""},                           // Latin-1 byte
      {"\xE3\x82", "\"\\u00E3\\u0082\""},                                // cut-off sequence
      {"\xC0\xAF\xED\xA0\x80", "\"\\u00C0\\u00AF\\u00ED\\u00A0\\u0080\""},  // overlong, surrogate
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json) << text;
}

TEST(VqctlArguments, PermissionHintNamesAGroupOnlyWhenJoiningItHelps) {
  EXPECT_EQ(PermissionHint("/dev/ttyUSB0", {"dialout", true, "ttyUSB0"}),
            "No permission to use /dev/ttyUSB0: it belongs to the group \"dialout\". Join it with "
            "\"sudo usermod -aG dialout $USER\", then log in again.");
  EXPECT_EQ(PermissionHint("/dev/serial/by-id/usb-cam", {"root", false, "ttyUSB1"}),
            "No permission to use /dev/serial/by-id/usb-cam: only its owner may open it. To let the group "
            "\"dialout\" use it, put this line into /etc/udev/rules.d/60-vq-camera.rules:\n"
            "  KERNEL==\"ttyUSB1\", GROUP=\"dialout\", MODE=\"0660\"\n"
            "then run \"sudo udevadm trigger\" and join the group with \"sudo usermod -aG dialout $USER\", then log "
            "in again.");
}

TEST(VqctlArguments, HelpListsCommandsInColumnsAndWrapsLongOnes) {
  const std::string help = VqctlUsage();
  for (const char* line : {
           "\n  read-all             read every readable parameter; one line per row: NAME=VALUE\n",
           "\n  set NAME VALUE       write one parameter (VALUE decimal or 0x-prefixed hex)\n",
           "\n  detect [--timeout SECONDS] [THRESHOLD]\n"
           "                       run a white-spot detection and print its end message and spot list; exit 80 when\n"
           "                       the camera found more spots than it can list, 81 when it ended with an error, 75\n",
           "\n  write-serial [--digits 7|8] NUMBER\n"
           "                       unlock, check and write the serial number (default 7 digits), then append\n",
       }) {
    EXPECT_NE(help.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(help.rfind("usage: vqctl [link options] COMMAND [arguments]\n", 0), 0u);
}
