// The window system: whether there is one to show windows on, and its own events as the toolkit
// hands them over untranslated.
#pragma once

#include <cstdint>
#include <string_view>

// Whether the native event (the toolkit's event type name and message) says that the native window
// `window` has been destroyed: X11's DestroyNotify, Windows' WM_DESTROY.
bool IsWindowDestroyed(std::string_view eventType, const void* message, uintptr_t window);

// Whether windows can be shown: on Linux a display is named (or the toolkit is told to draw without
// one); on Windows there always is a desktop.
bool WindowSystemAvailable();
