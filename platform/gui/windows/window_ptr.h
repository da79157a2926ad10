#pragma once
// TWindowPtr: a holder's pointer to a window that may go without the holder's word. A tip,
// palette, picture or result window closed from outside (the window manager's close, Alt+F4)
// destroys and deletes itself, and a parent deleted takes its children along; the pointer
// reads null from the moment the window object is gone, so its holder neither touches nor
// deletes it a second time. Every holder of a window that can close itself keeps one.

#include <memory>

#include "platform/gui/windows/window.h"

template <class T>
class TWindowPtr {
 public:
  TWindowPtr() = default;
  TWindowPtr(T *window) { Reset(window); }  // NOLINT(google-explicit-constructor): a plain pointer's place
  TWindowPtr &operator=(T *window) {
    Reset(window);
    return *this;
  }

  // The window, or null once it is deleted (or none was given).
  T *Get() const { return life_ != nullptr && *life_ ? window_ : nullptr; }
  operator T *() const { return Get(); }  // NOLINT(google-explicit-constructor)
  T *operator->() const { return Get(); }

  // A window was given and has gone since without this pointer's word (closed from
  // outside): the holder's sign to leave it closed until it forgets it (Reset, Delete).
  bool Gone() const { return window_ != nullptr && Get() == nullptr; }

  void Reset(T *window) {
    window_ = window;
    life_ = window != nullptr ? static_cast<const TWindow *>(window)->LifeToken() : nullptr;
  }
  // Deletes the window when it is still there; the pointer is null before the deletion
  // starts, so a holder asked from inside the window's destruction finds none.
  void Delete() {
    T *going = Get();
    Reset(nullptr);
    delete going;
  }

 private:
  T *window_ = nullptr;
  std::shared_ptr<const bool> life_;
};
