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

bool WindowSystemAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && *platform != '\0' && std::strncmp(platform, "xcb", 3) != 0) return true;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}
