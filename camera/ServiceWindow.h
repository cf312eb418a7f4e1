// What the document needs of a modeless service window it owns.
#pragma once

class ServiceWindow {
 public:
  virtual ~ServiceWindow() = default;
  // Creates the window (running its opening steps) and shows it.
  virtual void Create() = 0;
  virtual bool IsVisible() const = 0;
  virtual void Focus() = 0;
  // Destroys the window; the object is deleted after this.
  virtual void Destroy() = 0;
};
