// The per-user settings store as the toolkit opens it, looked at before it is read: a FIFO or device
// in its place would hang the first read, so such a store is left alone and the defaults are used.
#pragma once

#include <QSettings>
#include <optional>
#include <string>

#include "camera/UserSettings.h"

// Nothing when the store is a regular file or absent; otherwise the operator's message, after which
// every settings object of this process, and every read without the toolkit, reads defaults and
// writes nowhere.
std::optional<std::string> GuardSettingsStore();

// The format every settings object of the program is made with: the system's own store (an INI file
// on Linux, the registry on Windows), or an INI file once KeepSettingsStoreIn has been called.
QSettings::Format SettingsFormat();

// For tests: the store lives in `folder` from now on, never in the user's own settings, whatever the
// system keeps them in.
void KeepSettingsStoreIn(const QString& folder);
