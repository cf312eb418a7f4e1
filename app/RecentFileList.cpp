// Reading and writing the recent-file list in the settings store.
#include "app/RecentFileList.h"

#include <QFileInfo>

namespace {
QString Key(int i) { return QStringLiteral("Recent File List/File%1").arg(i + 1); }
}  // namespace

void RecentFileList::Load() {
  paths_.clear();
  for (int i = 0; i < Size; ++i) {
    QString path = settings_.value(Key(i)).toString();
    if (!path.isEmpty()) paths_.append(path);
  }
}

void RecentFileList::Add(const QString& path) {
  QString full = QFileInfo(path).absoluteFilePath();
  paths_.removeAll(full);
  paths_.prepend(full);
  while (paths_.size() > Size) paths_.removeLast();
  Store();
}

void RecentFileList::Remove(const QString& path) {
  paths_.removeAll(path);
  Store();
}

void RecentFileList::Store() {
  for (int i = 0; i < Size; ++i) {
    if (i < paths_.size()) {
      settings_.setValue(Key(i), paths_[i]);
    } else {
      settings_.remove(Key(i));
    }
  }
  settings_.sync();
}
