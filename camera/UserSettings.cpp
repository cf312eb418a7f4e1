// Where QSettings keeps a store and in which order it reads its places, followed without the toolkit.
#include "camera/UserSettings.h"

#include <cstdlib>

#include "camera/SettingsText.h"
#include "platform/RegularFile.h"
#include "platform/SystemSettings.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

// The user's files: where the toolkit has them, in a folder tests chose, or nowhere once a store that
// is no file has been found there.
enum class UserPlace { System, Kept, Nowhere };
UserPlace userPlace = UserPlace::System;
std::string keptFolder;

// A store is a few kilobytes; a larger one is read again whole.
constexpr size_t UsualStoreLimit = 64 * 1024;
constexpr size_t LargestStore = 64 * 1024 * 1024;

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string HomeFolder() {
  std::string home = Environment("HOME");
  return CleanPath(home.empty() ? "/" : home);
}

std::optional<IniSettings> ReadStore(const std::string& path) {
  std::vector<uint8_t> bytes;
  // A FIFO or device is refused unopened; an absent or unreadable file holds nothing.
  if (RegularFile::Read(path, UsualStoreLimit, bytes) != 0) return std::nullopt;
  if (bytes.size() == UsualStoreLimit && RegularFile::Read(path, LargestStore, bytes) != 0) return std::nullopt;
  return IniSettings(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace

std::string UserConfigFolder() {
  const std::string configHome = Environment("XDG_CONFIG_HOME");
  return configHome.empty() ? HomeFolder() + "/.config" : configHome;
}

std::vector<std::string> SystemConfigFolders() {
  const std::string dirs = Environment("XDG_CONFIG_DIRS");
  if (dirs.empty()) return {"/etc/xdg"};
  std::vector<std::string> folders;
  for (size_t start = 0;;) {
    const size_t colon = dirs.find(':', start);
    folders.push_back(dirs.substr(start, colon - start));
    if (colon == std::string::npos) return folders;
    start = colon + 1;
  }
}

std::string CleanPath(const std::string& path) {
  if (path.empty()) return path;
  const bool absolute = path.front() == '/';
  std::vector<std::string> steps;
  for (size_t start = 0; start <= path.size();) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string step = path.substr(start, slash - start);
    if (step == "..") {
      // A ".." with nothing before it to take back stays, even after the root.
      if (!steps.empty() && steps.back() != "..") {
        steps.pop_back();
      } else {
        steps.push_back(step);
      }
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    start = slash + 1;
  }
  std::string clean = absolute ? "/" : "";
  for (size_t i = 0; i < steps.size(); ++i) clean += (i > 0 ? "/" : "") + steps[i];
  return clean.empty() ? "." : clean;
}

UserSettings::UserSettings(const std::string& company, const std::string& application)
    : company_(company), application_(application) {
  const bool systemStore = SystemSettings::Kept();
  // Where the system keeps the store itself, nothing but a kept folder is read as files; there the
  // toolkit's INI format stands in for the system's store.
  if (systemStore && userPlace != UserPlace::Kept) return;
  const char* extension = systemStore ? ".ini" : ".conf";
  auto add = [&](const std::string& folder, bool applicationFile) {
    files_.push_back(CleanPath(applicationFile ? folder + "/" + company + "/" + application + extension
                                               : folder + "/" + company + extension));
  };
  if (userPlace != UserPlace::Nowhere) {
    const std::string folder = userPlace == UserPlace::Kept ? keptFolder : UserConfigFolder();
    add(folder, true);
    add(folder, false);
  }
  // The system's folders after the user's, all application files before the company files.
  if (!systemStore) {
    const std::vector<std::string> system = SystemConfigFolders();
    for (const std::string& folder : system) add(folder, true);
    for (const std::string& folder : system) add(folder, false);
  }
  for (const std::string& file : files_) {
    if (std::optional<IniSettings> read = ReadStore(file)) read_.push_back(std::move(*read));
  }
}

std::optional<std::string> UserSettings::Text(const std::string& group, const std::string& key) const {
  if (SystemSettings::Kept() && userPlace != UserPlace::Kept) {
    std::optional<SystemSettingValue> value = SystemSettings::Read(company_, application_, group, key);
    if (!value) return std::nullopt;
    switch (value->kind) {
      case SystemSettingValue::Kind::Text: return SettingsText::FromStored(value->text);
      case SystemSettingValue::Kind::TextList: return SettingsText::FromStoredList(std::move(value->list));
      case SystemSettingValue::Kind::Number: return std::to_string(value->number);
      case SystemSettingValue::Kind::Other: break;
    }
    return std::string();
  }
  // Each key from the first place that holds it, even when what it holds is no text.
  for (const IniSettings& file : read_) {
    if (std::optional<std::string> text = file.Text(group, key)) return text;
  }
  return std::nullopt;
}

std::optional<std::string> GuardSettingsStoreFile() {
  if (SystemSettings::Kept() && userPlace != UserPlace::Kept) return std::nullopt;
  // Named as the toolkit names it, uncleaned, as the operator would look for it.
  const std::string folder = userPlace == UserPlace::Kept ? keptFolder : UserConfigFolder();
  const std::string path = folder + "/" + LoadString(StringIds::CompanyKey) + "/" +
                           LoadString(StringIds::ApplicationTitle) + (SystemSettings::Kept() ? ".ini" : ".conf");
  if (RegularFile::RegularOrAbsent(path)) return std::nullopt;
  userPlace = UserPlace::Nowhere;
  return "The settings store " + path + " is not a regular file; it is left alone and the default settings are used.";
}

void KeepSettingsStoreFileIn(const std::string& folder) {
  userPlace = folder.empty() ? UserPlace::System : UserPlace::Kept;
  keptFolder = folder;
}
