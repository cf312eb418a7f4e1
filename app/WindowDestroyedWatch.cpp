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
  // Only a window that exists has an id to compare; asking for one would create it.
  if (!window_->testAttribute(Qt::WA_WState_Created)) return false;
  if (!IsWindowDestroyed(std::string_view(eventType.constData(), static_cast<size_t>(eventType.size())), message,
                         static_cast<uintptr_t>(window_->winId()))) {
    return false;
  }
  std::function<void()> destroyed = std::move(destroyed_);
  destroyed_ = nullptr;
  destroyed();
  return false;
}
