// File names between the toolkit's text and the bytes the file layer takes.
#include <gtest/gtest.h>

#include "camera/FileNames.h"

TEST(FileNames, NamesInAnyScriptReachTheFileLayerAsUtf8AndComeBack) {
  for (const QString& name : {QStringLiteral("Pr\u00FCfung.vq"), QStringLiteral("Gr\u00F6\u00DFe.vq"),
                              QStringLiteral("\u30AB\u30E1\u30E9.vq"), QStringLiteral("d\u00E9j\u00E0 vu/\u6E2C\u5B9A.vq")}) {
    SCOPED_TRACE(name.toStdString());
    // On Windows the file layer reads UTF-8 and calls the wide functions: the ANSI code page would lose
    // every character it has no byte for.
    EXPECT_EQ(FileNameBytes(name), name.toUtf8());
    EXPECT_EQ(FileNameText(FileNameBytes(name)), name);
  }
}

TEST(FileNames, ADroppedUrlNamesItsLocalFile) {
  EXPECT_EQ(FileNameOfUrl(QUrl(QStringLiteral("https://example.com/a.vq"))), QByteArray());
#ifdef Q_OS_WIN
  const struct {
    const char* url;
    QString name;
  } cases[] = {
      {"file:///C:/Users/op/Gr%C3%B6%C3%9Fe.vq", QStringLiteral("C:/Users/op/Gr\u00F6\u00DFe.vq")},
      {"file://server/share/%E3%82%AB%E3%83%A1%E3%83%A9.vq", QStringLiteral("//server/share/\u30AB\u30E1\u30E9.vq")},
  };
  for (const auto& c : cases) EXPECT_EQ(FileNameOfUrl(QUrl::fromEncoded(c.url)), c.name.toUtf8()) << c.url;
#else
  EXPECT_EQ(FileNameOfUrl(QUrl::fromEncoded("file:///tmp/Gr%C3%B6%C3%9Fe.vq")), QByteArray("/tmp/Gr\xC3\xB6\xC3\x9F" "e.vq"));
  // A Linux name need not be text: its bytes go through unchanged.
  EXPECT_EQ(FileNameOfUrl(QUrl::fromEncoded("file:///tmp/caf%E9.vq")), QByteArray("/tmp/caf\xE9.vq"));
#endif
}
