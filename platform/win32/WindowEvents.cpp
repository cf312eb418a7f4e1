// Windows: WM_DESTROY reaches the window procedure of the window being destroyed.
#include <windows.h>

#include "platform/WindowEvents.h"

bool IsWindowDestroyed(std::string_view eventType, const void* message, uintptr_t window) {
  if (eventType != "windows_generic_MSG" && eventType != "windows_dispatcher_MSG") return false;
  const auto* msg = static_cast<const MSG*>(message);
  return msg->message == WM_DESTROY && reinterpret_cast<uintptr_t>(msg->hwnd) == window;
}

std::string WhyNoWindowSystem() { return {}; }
