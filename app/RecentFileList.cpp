// Reading and writing the recent-file list in the settings store.
#include "app/RecentFileList.h"

#include "camera/FileNames.h"
#include "platform/RegularFile.h"

namespace {

QString Key(int i) { return QStringLiteral("Recent File List/File%1").arg(i + 1); }

QByteArray Full(const QByteArray& path) { return QByteArray::fromStdString(RegularFile::FullPath(path.toStdString())); }

// Stored as text, as the list always was, unless the name is no text of the system: text would change it.
QVariant Stored(const QByteArray& path) {
  QString text = FileNameText(path);
  return FileNameBytes(text) == path ? QVariant(text) : QVariant(path);
}

// Text is turned back as a name from a dialog is; a name kept as bytes is taken as it is.
QByteArray Loaded(const QVariant& value) {
  return value.typeId() == QMetaType::QString ? FileNameBytes(value.toString()) : value.toByteArray();
}

}  // namespace

void RecentFileList::Load() {
  paths_.clear();
  for (int i = 0; i < Size; ++i) {
    QByteArray path = Loaded(settings_.value(Key(i)));
    if (!path.isEmpty()) paths_.append(path);
  }
}

void RecentFileList::Add(const QByteArray& path) {
  QByteArray full = Full(path);
  paths_.removeAll(full);
  paths_.prepend(full);
  while (paths_.size() > Size) paths_.removeLast();
  Store();
}

void RecentFileList::Remove(const QByteArray& path) {
  paths_.removeAll(Full(path));
  Store();
}

void RecentFileList::Store() {
  for (int i = 0; i < Size; ++i) {
    if (i < paths_.size()) {
      settings_.setValue(Key(i), Stored(paths_[i]));
    } else {
      settings_.remove(Key(i));
    }
  }
  settings_.sync();
}
