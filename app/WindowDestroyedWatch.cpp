// The X11 form: a DestroyNotify for the watched window. Other window systems tell nothing here.
#include "app/WindowDestroyedWatch.h"

#include <QCoreApplication>
#include <xcb/xcb.h>

WindowDestroyedWatch::WindowDestroyedWatch(QWidget& window, std::function<void()> destroyed)
    : window_(&window), destroyed_(std::move(destroyed)) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowDestroyedWatch::~WindowDestroyedWatch() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowDestroyedWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || window_ == nullptr || !destroyed_) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
  const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
  // Only a window that exists has an id to compare; asking for one would create it.
  if (!window_->testAttribute(Qt::WA_WState_Created) || destroy->window != window_->winId()) return false;
  std::function<void()> destroyed = std::move(destroyed_);
  destroyed_ = nullptr;
  destroyed();
  return false;
}
