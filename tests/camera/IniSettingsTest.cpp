// The settings store's INI file read without the toolkit: what QSettings writes reads back unchanged,
// and files written by hand read as QSettings itself reads them.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "camera/IniSettings.h"

namespace {

std::string Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

struct Written {
  const char* name;
  QString value;
};

}  // namespace

TEST(IniSettings, ReadsBackEveryTextQSettingsWrote) {
  const Written cases[] = {
      {"plain", "/dev/ttyUSB0"},
      {"blanks inside", "/dev/serial/by-id/usb-FTDI  Cable 1-if00"},
      {"blanks at the ends", " /dev/ttyS1 "},
      {"tabs at the ends", "\t/dev/ttyS1\t"},
      {"comma", "/dev/a,b"},
      {"comma then blank", "/dev/a, b"},
      {"semicolon", "/dev/a;b"},
      {"equals sign", "/dev/a=b"},
      {"double quotes", "/dev/\"quoted\""},
      {"backslashes", "C:\\dev\\x\\"},
      {"non-ASCII", QString::fromUtf8("/dev/caméra/日本/\xF0\x9F\x98\x80")},
      {"control characters", "a\tb\nc\rd\x01" "e\x1F" "f\x7F"},
      {"hex digit after a control character", QString("\x01") + "ab12"},
      {"NUL", QString("a") + QChar(0) + "1"},
      {"at sign first", "@dev"},
      {"two at signs", "@@"},
      {"a byte-array mark as text", "@ByteArray(/dev/x)"},
      {"an invalid mark as text", "@Invalid()"},
      {"a rectangle mark as text", "@Rect(1 2 3 4)"},
      {"empty", ""},
      {"only blanks", "   "},
  };
  QTemporaryDir dir;
  const QString path = dir.filePath("written.conf");
  {
    QSettings settings(path, QSettings::IniFormat);
    for (size_t i = 0; i < std::size(cases); ++i) settings.setValue(QStringLiteral("Ports/K%1").arg(i), cases[i].value);
    settings.sync();
    ASSERT_EQ(settings.status(), QSettings::NoError);
  }
  const IniSettings read(Contents(path));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(read.Text("Ports", "K" + std::to_string(i)), cases[i].value.toStdString());
  }
  EXPECT_EQ(read.Text("Ports", "K99"), std::nullopt);
  EXPECT_EQ(read.Text("Settings", "K0"), std::nullopt) << "a key of another group";
}

// Files as a person or another tool may leave them: the reader must agree with QSettings, which is
// asked here for each file, rather than with expectations of our own.
TEST(IniSettings, ReadsWhatIsWrittenByHandAsQSettingsDoes) {
  struct HandWritten {
    const char* name;
    const char* text;
  };
  const HandWritten cases[] = {
      {"CRLF line ends", "[Ports]\r\nCOM1=/dev/ttyUSB0\r\nCOM2=x\r\n"},
      {"byte order mark", "\xEF\xBB\xBF[Ports]\nCOM1=/dev/ttyUSB0\n"},
      {"comment lines", "; written by hand\n[Ports]\n; the adapter\n  COM1=/dev/ttyUSB0\n"},
      {"comment after the value", "[Ports]\nCOM1=/dev/ttyUSB0 ; the adapter\n"},
      {"blanks around the equals sign", "[Ports]\n  COM1  =   /dev/ttyUSB0   \n"},
      {"tab before the value", "[Ports]\nCOM1=\t/dev/ttyUSB0\n"},
      {"the last of repeated keys", "[Ports]\nCOM1=/dev/a\nCOM1=/dev/b\n"},
      {"repeated groups", "[Ports]\nCOM1=/dev/a\n[Settings]\nCOM%20Port=3\n[Ports]\nCOM1=/dev/b\n"},
      {"group name in other letter case", "[ports]\nCOM1=/dev/a\n"},
      {"group name with blanks", "[ Ports ]\nCOM1=/dev/a\n"},
      {"escaped group name", "[%50orts]\nCOM1=/dev/a\n"},
      {"key in the root group", "[General]\nPorts\\COM1=/dev/a\n"},
      {"key before any group", "Ports\\COM1=/dev/a\n"},
      {"escaped key name", "[Ports]\nC%4FM1=/dev/a\n"},
      {"a subgroup sorting before the key", "[Ports]\nCOM1=/dev/a\n[Ports\\A]\nx=1\n"},
      {"quoted, over two lines", "[Ports]\nCOM1=\"/dev/a\nb\"\n"},
      {"escaped line end", "[Ports]\nCOM1=/dev/\\\nttyS0\n"},
      {"unquoted list", "[Ports]\nCOM1=/dev/a, /dev/b\n"},
      {"list with a trailing comma", "[Ports]\nCOM1=/dev/a,\n"},
      {"quoted comma", "[Ports]\nCOM1=\"/dev/a, b\"\n"},
      {"half quoted", "[Ports]\nCOM1=/dev/\"a b\"  c  \n"},
      {"unterminated quote", "[Ports]\nCOM1=\"/dev/a\n"},
      {"hex and octal escapes", "[Ports]\nCOM1=\\x2f\\x64ev/\\101\\x263a\\1234\n"},
      {"escaped surrogate pair", "[Ports]\nCOM1=\\xd83d\\xde00\n"},
      {"lone escaped surrogate", "[Ports]\nCOM1=a\\xd800\n"},
      {"hex escape without digits", "[Ports]\nCOM1=a\\xg\n"},
      {"escape at the end", "[Ports]\nCOM1=a\\\n"},
      {"unknown escape", "[Ports]\nCOM1=a\\qb\n"},
      {"byte array", "[Ports]\nCOM1=@ByteArray(/dev/\\xc3\\xa9)\n"},
      {"string mark", "[Ports]\nCOM1=@String(/dev/a)\n"},
      {"rectangle", "[Ports]\nCOM1=@Rect(1 2 3 4)\n"},
      {"rectangle with too few numbers", "[Ports]\nCOM1=@Rect(1 2)\n"},
      {"size", "[Ports]\nCOM1=@Size(1 2)\n"},
      {"invalid", "[Ports]\nCOM1=@Invalid()\n"},
      {"two at signs", "[Ports]\nCOM1=@@dev\n"},
      {"at sign list", "[Ports]\nCOM1=@@a,b\n"},
      {"an empty value", "[Ports]\nCOM1=\n"},
      {"no equals sign", "[Ports]\nCOM1\n"},
      {"a byte that is no UTF-8", "[Ports]\nCOM1=/dev/a\xFF" "b\n"},
      {"an overlong sequence", "[Ports]\nCOM1=/dev/\xC0\x80" "b\n"},
      {"an encoded surrogate", "[Ports]\nCOM1=/dev/\xED\xA0\x80" "b\n"},
      {"group header without its bracket", "[Ports\nCOM1=/dev/a\n"},
  };
  QTemporaryDir dir;
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    // A name of its own each: the toolkit keeps what it read of a file by its name.
    const QString path = dir.filePath(QStringLiteral("hand%1.conf").arg(i));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_GT(file.write(cases[i].text), 0);
    file.close();
    const QSettings settings(path, QSettings::IniFormat);
    std::optional<std::string> expected;
    if (settings.contains("Ports/COM1")) expected = settings.value("Ports/COM1").toString().toStdString();
    EXPECT_EQ(IniSettings(cases[i].text).Text("Ports", "COM1"), expected);
  }
}
