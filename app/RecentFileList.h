// The four most recently used settings files, kept under "Recent File List"/"File1".."File4".
#pragma once

#include <QSettings>
#include <QStringList>

class RecentFileList {
 public:
  static constexpr int Size = 4;

  explicit RecentFileList(QSettings& settings) : settings_(settings) {}
  void Load();
  // Puts path first, dropping an older entry for the same file, and stores the list.
  void Add(const QString& path);
  void Remove(const QString& path);
  const QStringList& Paths() const { return paths_; }

 private:
  void Store();

  QSettings& settings_;
  QStringList paths_;
};
