// X11 through xcb: a DestroyNotify names the destroyed window.
#include "platform/WindowEvents.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

bool IsWindowDestroyed(std::string_view eventType, const void* message, uintptr_t window) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
  return static_cast<const xcb_destroy_notify_event_t*>(message)->window == window;
}

std::string WhyNoWindowSystem() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const bool xcbNamed = platform != nullptr && std::strncmp(platform, "xcb", 3) == 0;
  if (platform != nullptr && *platform != '\0' && !xcbNamed) return {};
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!xcbNamed && wayland != nullptr && *wayland != '\0') return {};
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return "DISPLAY is not set";
  // The toolkit aborts the process when its own connection fails, so the display is tried first. A
  // platform named with options of its own ("xcb:...") is left to the toolkit.
  if (xcbNamed && platform[3] != '\0') return {};
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  return failed ? std::string("the display ") + display + " in DISPLAY does not answer" : std::string();
}

bool NativeWindowFrame(uintptr_t, WindowFrame&) { return false; }
