// vq-camera-sim's option table: the parser it drives, the usage it prints, and its manual page.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "sim/SimOptions.h"

namespace {

bool Parse(std::vector<const char*> args, SimOptions& options, std::string& error) {
  args.insert(args.begin(), "vq-camera-sim");
  return ParseSimOptions(static_cast<int>(args.size()), args.data(), options, error);
}

#ifndef _WIN32
std::set<std::string> TableNames() {
  std::set<std::string> names;
  for (const SimOption& option : SimOptionTable()) {
    if (option.name != nullptr) names.insert(option.name);
  }
  return names;
}

// The options its OPTIONS section names, its own escapes ("\-") taken off. vq-camera-sim is Linux's.
std::set<std::string> ManualPageNames() {
  const std::string source = __FILE__;
  std::ifstream page(source.substr(0, source.rfind("tests/sim/")) + "packaging/man/vq-camera-sim.1");
  std::set<std::string> names;
  const std::regex option(R"(\\-\\-[a-z0-9]+(\\-[a-z0-9]+)*)");
  bool inOptions = false;
  for (std::string line; std::getline(page, line);) {
    if (line.rfind(".SH ", 0) == 0) inOptions = line == ".SH OPTIONS";
    if (!inOptions) continue;
    for (std::sregex_iterator it(line.begin(), line.end(), option), end; it != end; ++it) {
      names.insert(std::regex_replace(it->str(), std::regex(R"(\\-)"), "-"));
    }
  }
  return names;
}

TEST(SimOptionTable, TheManualPageNamesEveryOptionAndNoOther) {
  const std::set<std::string> page = ManualPageNames();
  ASSERT_FALSE(page.empty()) << "the manual page was not found or has no OPTIONS section";
  EXPECT_EQ(page, TableNames());
}
#endif

TEST(SimOptionTable, TheUsageNamesEveryOptionWithItsValue) {
  const std::string usage = SimUsage();
  for (const SimOption& option : SimOptionTable()) {
    if (option.name == nullptr) continue;
    const std::string typed = std::string(option.name) + (option.value != nullptr ? std::string(" ") + option.value : "");
    EXPECT_NE(usage.find(typed), std::string::npos) << typed;
  }
  EXPECT_NE(usage.find("\n  --baud N               pace both directions at 10 bits a byte (default: no pacing)\n"),
            std::string::npos);
  EXPECT_NE(usage.find("\n  --replies-per-request N\n                         send a read's reply at most N times"),
            std::string::npos);
}

struct Refusal {
  std::vector<const char*> args;
  const char* error;
};

TEST(SimOptionTable, RefusesTheFirstOptionItCannotTake) {
  const Refusal cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"--silent", "--bad-check"}, "bad or missing value for --bad-check"},
      {{"--baud", "0"}, "bad or missing value for --baud"},
      {{"--short-length", "10"}, "bad or missing value for --short-length"},
      {{"--link", ""}, "bad or missing value for --link"},
      {{"--enq-answer", "1G"}, "bad or missing value for --enq-answer"},
      {{"--noise-gap-ms", "-1"}, "bad or missing value for --noise-gap-ms"},
      {{"--spots", "1:2,3"}, "bad or missing value for --spots"},
      {{"--seed", "1", "--seed", "x", "--bogus"}, "bad or missing value for --seed"},
  };
  for (const Refusal& c : cases) {
    SimOptions options;
    std::string error;
    EXPECT_FALSE(Parse(c.args, options, error)) << c.error;
    EXPECT_EQ(error, c.error);
  }
}

TEST(SimOptionTable, StoresWhatEachKindOfOptionTakes) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--silent", "--baud", "9600", "--enq-answer", "41", "--noise-gap-ms", "3", "--no-etx", "-1",
                     "--spots", "1:2,300:4", "--answers-to", "/tmp/a", "--end-with-stdin"},
                    o, error))
      << error;
  EXPECT_TRUE(o.faults.silent);
  EXPECT_EQ(o.baudRate, 9600);
  EXPECT_EQ(o.faults.enquiryAnswer, 0x41);
  EXPECT_EQ(o.faults.noiseGapUs, 3000);
  EXPECT_EQ(o.faults.replyDefect, ReplyDefect::NoEtx);
  EXPECT_EQ(o.faults.defectiveReplies, -1);
  ASSERT_EQ(o.spots.size(), 2u);
  EXPECT_EQ(o.spots[1].x, 300);
  EXPECT_EQ(o.answersPath, "/tmp/a");
  EXPECT_TRUE(o.endWithStdin);
}

}  // namespace
