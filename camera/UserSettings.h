// The per-user settings store read without the toolkit, from the places QSettings reads it for the
// same company and application: on Linux its INI files (the user's, then the system's folders), on
// Windows the registry. Writing stays with QSettings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "camera/IniSettings.h"

class UserSettings {
 public:
  UserSettings(const std::string& company, const std::string& application);

  // What QSettings' value("group/key").toString() gives, or nothing when no place holds the key.
  std::optional<std::string> Text(const std::string& group, const std::string& key) const;

  // The files read, most specific first, as their names are opened; empty where the registry serves.
  const std::vector<std::string>& Files() const { return files_; }

 private:
  std::string company_, application_;
  std::vector<std::string> files_;
  std::vector<IniSettings> read_;  // those of files_ that could be read, in the same order
};

// The user's folder of settings files as the toolkit names it: $XDG_CONFIG_HOME, else $HOME/.config.
std::string UserConfigFolder();
// The system's folders of settings files, as the toolkit reads them after the user's: the entries of
// $XDG_CONFIG_DIRS (empty ones included), else /etc/xdg.
std::vector<std::string> SystemConfigFolders();
// A path without "." and ".." steps or repeated slashes, as the toolkit cleans it.
std::string CleanPath(const std::string& path);

// The program's own store (company "Norvane Imaging Ltd.", application "VQ-R310NTX"), looked at before
// anything reads it: a FIFO or device in its place would hang the first read. Nothing when it is a
// regular file or absent (or the system keeps the store); otherwise the operator's message, after which
// every store read in this process leaves the user's files alone.
std::optional<std::string> GuardSettingsStoreFile();

// For tests: the user's files are those in `folder` from now on, whatever the system keeps them in;
// an empty folder puts them back where the system has them (and forgets a guard's refusal).
void KeepSettingsStoreFileIn(const std::string& folder);
