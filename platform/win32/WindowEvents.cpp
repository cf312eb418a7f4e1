// Windows: WM_DESTROY reaches the window procedure of the window being destroyed.
#include <windows.h>

#include "platform/WindowEvents.h"

bool IsWindowDestroyed(std::string_view eventType, const void* message, uintptr_t window) {
  if (eventType != "windows_generic_MSG" && eventType != "windows_dispatcher_MSG") return false;
  const auto* msg = static_cast<const MSG*>(message);
  return msg->message == WM_DESTROY && reinterpret_cast<uintptr_t>(msg->hwnd) == window;
}

std::string WhyNoWindowSystem() { return {}; }

bool NativeWindowFrame(uintptr_t window, WindowFrame& frame) {
  const HWND hwnd = reinterpret_cast<HWND>(window);
  RECT outer, client;
  POINT origin{0, 0};
  if (!GetWindowRect(hwnd, &outer) || !GetClientRect(hwnd, &client) || !ClientToScreen(hwnd, &origin)) return false;
  frame.left = origin.x - outer.left;
  frame.top = origin.y - outer.top;
  frame.right = outer.right - (origin.x + client.right);
  frame.bottom = outer.bottom - (origin.y + client.bottom);
  return true;
}
