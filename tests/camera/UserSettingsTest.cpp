// Where the settings store is read without the toolkit: the folders QSettings names, the order of its
// files, and a store that is no file left alone.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "camera/UserSettings.h"

namespace {

// Sets (or, given nullptr, removes) environment variables for one test and puts them back after it.
class Environment {
 public:
  void Set(const char* name, const char* value) {
    if (saved_.count(name) == 0) {
      const char* old = getenv(name);
      saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

void Store(const std::string& path, const std::map<QString, QString>& values) {
  QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
  QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
  for (const auto& [key, value] : values) settings.setValue(key, value);
}

}  // namespace

TEST(UserSettings, NamesTheUsersFolderAsTheToolkitDoes) {
  struct Case {
    const char* xdgConfigHome;  // nullptr: not set
    const char* home;
  };
  const Case cases[] = {
      {nullptr, "/home/op"},      {"", "/home/op"},     {"/cfg", "/home/op"}, {"/cfg//x/../y/", "/home/op"},
      {"relative", "/home/op"},   {nullptr, nullptr},   {nullptr, ""},        {nullptr, "/home//op/../op2/"},
      {nullptr, "relative/home"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("XDG_CONFIG_HOME=") + (c.xdgConfigHome ? c.xdgConfigHome : "(unset)") +
                 " HOME=" + (c.home ? c.home : "(unset)"));
    Environment environment;
    environment.Set("XDG_CONFIG_HOME", c.xdgConfigHome);
    environment.Set("HOME", c.home);
    EXPECT_EQ(UserConfigFolder(), QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString());
  }
}

TEST(UserSettings, CleansPathsAsTheToolkitDoes) {
  for (const char* path : {"/a//b/../c/", "a/./b", "../x", "a/../../x", "/..", "/../x", "//x", "a/..", ".", "./", "/",
                           "a/b/", "./a", "a//", "/a/./../b/.", "x/../..", "..."}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(CleanPath(path), QDir::cleanPath(QString::fromUtf8(path)).toStdString());
  }
}

// QSettings reads the user's application file, the user's company file, then every system folder's
// application file, then every system folder's company file; each key from the first that holds it.
// (Asking QSettings itself is no check here: it fixes its folders once a process.)
TEST(UserSettings, ReadsEachKeyFromTheFirstFileThatHoldsIt) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  Environment environment;
  environment.Set("XDG_CONFIG_HOME", (root + "/user").c_str());
  environment.Set("XDG_CONFIG_DIRS", (root + "/s1:" + root + "/s2").c_str());
  const std::string userApp = root + "/user/Co./App.conf", userCompany = root + "/user/Co..conf",
                    s1App = root + "/s1/Co./App.conf", s2App = root + "/s2/Co./App.conf",
                    s1Company = root + "/s1/Co..conf", s2Company = root + "/s2/Co..conf";
  Store(userApp, {{"Ports/COM1", "user app"}, {"Ports/COM5", ""}});
  Store(userCompany, {{"Ports/COM1", "user company"}, {"Ports/COM2", "user company"}});
  Store(s1App, {{"Ports/COM1", "s1 app"}, {"Ports/COM2", "s1 app"}, {"Ports/COM5", "s1 app"}});
  Store(s2App, {{"Ports/COM3", "s2 app"}});
  Store(s1Company, {{"Ports/COM3", "s1 company"}, {"Ports/COM4", "s1 company"}});
  Store(s2Company, {{"Ports/COM4", "s2 company"}, {"Settings/COM Port", "3"}});

  const UserSettings settings("Co.", "App");
  EXPECT_EQ(settings.Files(), (std::vector<std::string>{userApp, userCompany, s1App, s2App, s1Company, s2Company}));
  const std::pair<const char*, std::optional<std::string>> expected[] = {
      {"COM1", "user app"},   {"COM2", "user company"}, {"COM3", "s2 app"},
      {"COM4", "s1 company"}, {"COM5", ""},  // held, though empty: the files after it are not asked
      {"COM6", std::nullopt},
  };
  for (const auto& [key, text] : expected) EXPECT_EQ(settings.Text("Ports", key), text) << key;
  EXPECT_EQ(settings.Text("Settings", "COM Port"), "3");
}

TEST(UserSettings, SystemFoldersAreEtcXdgOrEveryEntryOfXdgConfigDirs) {
  Environment environment;
  environment.Set("XDG_CONFIG_DIRS", nullptr);
  EXPECT_EQ(SystemConfigFolders(), (std::vector<std::string>{"/etc/xdg"}));
  environment.Set("XDG_CONFIG_DIRS", "");
  EXPECT_EQ(SystemConfigFolders(), (std::vector<std::string>{"/etc/xdg"}));
  // An empty entry is the root folder, as the toolkit reads it; a relative one the current folder's.
  environment.Set("XDG_CONFIG_DIRS", "/a::rel:");
  EXPECT_EQ(SystemConfigFolders(), (std::vector<std::string>{"/a", "", "rel", ""}));
}

// A FIFO where the store belongs would hang its first read for ever: the guard names it once and the
// user's files are left alone; the system's are still read. A FIFO among the others is passed over.
TEST(UserSettings, AStoreThatIsNoFileIsLeftAlone) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  Environment environment;
  environment.Set("XDG_CONFIG_HOME", (root + "/user").c_str());
  environment.Set("XDG_CONFIG_DIRS", (root + "/system").c_str());
  const std::string store = root + "/user/Norvane Imaging Ltd./VQ-R310NTX.conf";
  Store(root + "/system/Norvane Imaging Ltd./VQ-R310NTX.conf", {{"Ports/COM1", "/dev/system"}});
  ASSERT_EQ(GuardSettingsStoreFile(), std::nullopt) << "no store yet";
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + "/user/Norvane Imaging Ltd.")));
  ASSERT_EQ(mkfifo((root + "/user/Norvane Imaging Ltd..conf").c_str(), 0600), 0);
  EXPECT_EQ(UserSettings("Norvane Imaging Ltd.", "VQ-R310NTX").Text("Ports", "COM1"), "/dev/system");

  ASSERT_EQ(mkfifo(store.c_str(), 0600), 0);
  EXPECT_EQ(GuardSettingsStoreFile(),
            "The settings store " + store + " is not a regular file; it is left alone and the default settings are used.");
  const UserSettings guarded("Norvane Imaging Ltd.", "VQ-R310NTX");
  EXPECT_EQ(guarded.Files(), (std::vector<std::string>{root + "/system/Norvane Imaging Ltd./VQ-R310NTX.conf",
                                                       root + "/system/Norvane Imaging Ltd..conf"}));
  EXPECT_EQ(guarded.Text("Ports", "COM1"), "/dev/system");
  KeepSettingsStoreFileIn({});
}

TEST(UserSettings, AKeptFolderStandsInForTheUsersOwn) {
  QTemporaryDir dir;
  const std::string kept = dir.path().toStdString();
  Store(kept + "/Co./App.conf", {{"Ports/COM2", "/dev/kept"}});
  KeepSettingsStoreFileIn(kept);
  const UserSettings settings("Co.", "App");
  KeepSettingsStoreFileIn({});
  EXPECT_EQ(settings.Files().at(0), kept + "/Co./App.conf");
  EXPECT_EQ(settings.Text("Ports", "COM2"), "/dev/kept");
}
