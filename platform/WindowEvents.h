// The window system: whether there is one to show windows on, and its own events as the toolkit
// hands them over untranslated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Whether the native event (the toolkit's event type name and message) says that the native window
// `window` has been destroyed: X11's DestroyNotify, Windows' WM_DESTROY.
bool IsWindowDestroyed(std::string_view eventType, const void* message, uintptr_t window);

// Why windows cannot be shown, in a few words for the operator ("DISPLAY is not set"); empty when they
// can. On Linux a display must be named (or the toolkit told to draw without one) and, for X11, take a
// connection; on Windows there always is a desktop.
std::string WhyNoWindowSystem();

// The frame and caption around a native window's client area, in device pixels, as the system
// counts the window's outer size (on Windows its window rectangle, invisible resize borders
// included). False where the system leaves the frame to a window manager (X11): the toolkit's own
// estimate is all there is then.
struct WindowFrame {
  int left = 0, top = 0, right = 0, bottom = 0;
};
bool NativeWindowFrame(uintptr_t window, WindowFrame& frame);
