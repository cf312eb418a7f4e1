// The per-user settings store, looked at before it is read: a FIFO or device in its place would hang
// the first read, so such a store is left alone and the defaults are used.
#pragma once

#include <optional>
#include <string>

// Nothing when the store is a regular file or absent; otherwise the operator's message, after which
// every settings object of this process reads defaults and writes nowhere.
std::optional<std::string> GuardSettingsStore();
