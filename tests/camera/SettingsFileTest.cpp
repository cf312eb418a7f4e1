// The settings file's bytes: layout, header variants, stored-text length forms and short files.
#include <gtest/gtest.h>

#include "camera/SettingsFile.h"

namespace {

const char* const Header = "VQ-S90 Data Version1.00";

std::vector<uint8_t> FromString(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> HeaderBytes(const std::string& text) {
  return FromString(std::string(1, static_cast<char>(text.size())) + text);
}

void AppendValues(std::vector<uint8_t>& bytes, int count, int32_t first = 0) {
  for (int i = 0; i < count; ++i) {
    uint32_t v = static_cast<uint32_t>(first + i);
    for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
  }
}

}  // namespace

TEST(SettingsFile, EncodesHeaderThenFortySevenLittleEndianValues) {
  SettingsFile::Values values{};
  values[0] = 2;
  values[5] = 168;
  values[46] = -2;
  auto bytes = SettingsFile::Encode(values);
  ASSERT_EQ(bytes.size(), 212u);
  EXPECT_EQ(bytes[0], 0x17);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 24), Header);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 24, bytes.begin() + 28), (std::vector<uint8_t>{2, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 44, bytes.begin() + 48), (std::vector<uint8_t>{168, 0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(SettingsFile, RoundTripsAndIgnoresTrailingBytes) {
  SettingsFile::Values values{};
  for (int i = 0; i < ParameterCount; ++i) values[static_cast<size_t>(i)] = i * 1000 - 7;
  auto bytes = SettingsFile::Encode(values);
  bytes.push_back(0xAA);
  SettingsFile::Values back{};
  EXPECT_EQ(SettingsFile::Decode(bytes, back), SettingsFile::Decoded::Loaded);
  EXPECT_EQ(back, values);
}

TEST(SettingsFile, AnyOtherHeaderIsAMismatch) {
  for (const std::string& header : {std::string("VQ-S90 Data Version1.01"), std::string("vq-s90 data version1.00"),
                                    std::string("VQ-S90 Data Version1.0"), std::string("VQ-S90 Data Version1.000"),
                                    std::string()}) {
    auto bytes = HeaderBytes(header);
    AppendValues(bytes, 47);
    SettingsFile::Values values{};
    values[3] = 99;
    EXPECT_EQ(SettingsFile::Decode(bytes, values), SettingsFile::Decoded::HeaderMismatch) << header;
    EXPECT_EQ(values[3], 99);
  }
}

TEST(SettingsFile, ReadsAllThreeLengthForms) {
  auto sixteen = FromString(std::string("\xFF\x17\x00", 3) + Header);
  auto thirtyTwo = FromString(std::string("\xFF\xFF\xFF\x17\x00\x00\x00", 7) + Header);
  for (auto bytes : {sixteen, thirtyTwo}) {
    AppendValues(bytes, 47, 5);
    SettingsFile::Values values{};
    EXPECT_EQ(SettingsFile::Decode(bytes, values), SettingsFile::Decoded::Loaded);
    EXPECT_EQ(values[0], 5);
    EXPECT_EQ(values[46], 51);
  }
  // The writer picks the shortest form.
  std::vector<uint8_t> written;
  SettingsFile::WriteStoredText(written, std::string(300, 'x'));
  EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 3), (std::vector<uint8_t>{0xFF, 0x2C, 0x01}));
  size_t offset = 0;
  std::string text;
  EXPECT_TRUE(SettingsFile::ReadStoredText(written, offset, text));
  EXPECT_EQ(text, std::string(300, 'x'));
  EXPECT_EQ(offset, written.size());
}

TEST(SettingsFile, ShortFilesChangeNothing) {
  auto full = HeaderBytes(Header);
  AppendValues(full, 47);
  const std::vector<std::vector<uint8_t>> shortFiles = {
      std::vector<uint8_t>(full.begin(), full.end() - 1),  // ends inside the 47th value
      std::vector<uint8_t>(full.begin(), full.begin() + 24),
      std::vector<uint8_t>(full.begin(), full.begin() + 10),  // ends inside the header
      {0xFF, 0x17},                                           // ends inside a 16-bit length
      {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80},             // announces two gigabytes
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
  };
  for (const auto& bytes : shortFiles) {
    SettingsFile::Values values{};
    values[0] = 42;
    EXPECT_EQ(SettingsFile::Decode(bytes, values), SettingsFile::Decoded::Truncated) << bytes.size();
    EXPECT_EQ(values[0], 42);
  }
  SettingsFile::Values values{};
  EXPECT_EQ(SettingsFile::Decode({}, values), SettingsFile::Decoded::Empty);
}
