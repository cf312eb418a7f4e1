// X11 through xcb: a DestroyNotify names the destroyed window.
#include "platform/WindowEvents.h"

#include <xcb/xcb.h>

bool IsWindowDestroyed(std::string_view eventType, const void* message, uintptr_t window) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
  return static_cast<const xcb_destroy_notify_event_t*>(message)->window == window;
}
