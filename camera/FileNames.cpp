// File names between the toolkit's text and the file layer's bytes.
#include "camera/FileNames.h"

#include <QFile>

#ifdef Q_OS_WIN

// The Windows file layer reads UTF-8; QFile::encodeName would give the ANSI code page.
QByteArray FileNameBytes(const QString& name) { return name.toUtf8(); }

QString FileNameText(const QByteArray& name) { return QString::fromUtf8(name); }

QByteArray FileNameOfUrl(const QUrl& url) {
  // "file:///C:/x" has the path "/C:/x" and "file://server/share/x" keeps the server out of its path:
  // the local file's name has both right.
  return url.isLocalFile() ? FileNameBytes(url.toLocalFile()) : QByteArray();
}

#else

QByteArray FileNameBytes(const QString& name) { return QFile::encodeName(name); }

QString FileNameText(const QByteArray& name) { return QFile::decodeName(name); }

QByteArray FileNameOfUrl(const QUrl& url) {
  // Taken from the URL's encoded form: decoding it to text would alter a name that is not UTF-8.
  return url.isLocalFile() ? QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()) : QByteArray();
}

#endif
