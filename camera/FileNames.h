// A file's name as the toolkit holds it (text) and as the file layer takes it (the system's bytes: the
// locale's bytes on Linux, UTF-8 on Windows, where the file layer calls the wide functions). Every name
// that passes between a dialog, a drop, the settings store or a window title and the files is turned
// here, so a name in any script reaches the disk and comes back as it was typed.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The name as the file layer takes it.
QByteArray FileNameBytes(const QString& name);
// The name to show or to hand the toolkit. On Linux bytes that are no text in the locale come back
// with replacement characters: keep the bytes, not this text, where the name is used again.
QString FileNameText(const QByteArray& name);
// The local file a dropped URL names, as the file layer takes it; empty when it is no local file.
// On Linux the URL's encoded bytes are taken as they are, so a name that is not UTF-8 stays unchanged.
QByteArray FileNameOfUrl(const QUrl& url);
