// Watching the native events for the main window's destruction.
#include "app/WindowDestroyedWatch.h"

#include <QCoreApplication>

#include "platform/WindowEvents.h"

WindowDestroyedWatch::WindowDestroyedWatch(QWidget& window, std::function<void()> destroyed)
    : window_(&window), destroyed_(std::move(destroyed)) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowDestroyedWatch::~WindowDestroyedWatch() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowDestroyedWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (window_ == nullptr || !destroyed_) return false;
  // Only the id of a native window that exists already: asking winId() for one would create it, and
  // on Windows that can happen inside the creation of another, which the platform does not survive.
  const WId id = window_->internalWinId();
  if (id == 0) return false;
  const std::string_view type(eventType.constData(), static_cast<size_t>(eventType.size()));
  if (!IsWindowDestroyed(type, message, static_cast<uintptr_t>(id))) return false;
  std::function<void()> destroyed = std::move(destroyed_);
  destroyed_ = nullptr;
  destroyed();
  return false;
}
