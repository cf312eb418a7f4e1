// Notices when the window system destroys a window of ours that nobody asked to close (another
// program destroying it, say): no close event comes, and without this the process would go on,
// windowless, holding the camera's port.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWidget>
#include <functional>

class WindowDestroyedWatch final : public QAbstractNativeEventFilter {
 public:
  // Watches `window`'s native window; `destroyed` runs once, when it is gone.
  WindowDestroyedWatch(QWidget& window, std::function<void()> destroyed);
  ~WindowDestroyedWatch() override;
  WindowDestroyedWatch(const WindowDestroyedWatch&) = delete;
  WindowDestroyedWatch& operator=(const WindowDestroyedWatch&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QPointer<QWidget> window_;
  std::function<void()> destroyed_;
};
