// A service window that only counts what the document asks of it.
#pragma once

#include "camera/ServiceWindow.h"

struct FakeServiceWindow : ServiceWindow {
  struct Log {
    int created = 0, focused = 0, destroyed = 0;
  };
  explicit FakeServiceWindow(Log& events, bool staysHidden = false) : log(events), hidden(staysHidden) {}
  void Create() override {
    ++log.created;
    visible = !hidden;
  }
  bool IsVisible() const override { return visible; }
  void Focus() override { ++log.focused; }
  void Destroy() override { ++log.destroyed; }
  Log& log;
  bool hidden;
  bool visible = false;
};
