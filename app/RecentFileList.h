// The four most recently used settings files, kept under "Recent File List"/"File1".."File4" by their
// names as bytes.
#pragma once

#include <QByteArrayList>
#include <QSettings>

class RecentFileList {
 public:
  static constexpr int Size = 4;

  explicit RecentFileList(QSettings& settings) : settings_(settings) {}
  void Load();
  // Puts path first, dropping an older entry for the same file, and stores the list.
  void Add(const QByteArray& path);
  void Remove(const QByteArray& path);  // relative names are taken from the current folder, as Add takes them
  const QByteArrayList& Paths() const { return paths_; }

 private:
  void Store();

  QSettings& settings_;
  QByteArrayList paths_;
};
