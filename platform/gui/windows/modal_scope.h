#pragma once
// TModalScope: while a modal box runs, no other window of the program takes a command, a
// key or a click, whatever the box's owner. The box's own owner alone is not enough: a box
// made without one, or one modal over a tool window, would leave the main window's menu
// and keys live, and a command there could pull the ground from under the code that waits
// for the box's answer. So every enabled top-level window but the box (and the windows it
// owns) is disabled for the scope's life and enabled again after it, as far as it still
// lives; a window disabled before stays disabled.

#include <memory>
#include <utility>
#include <vector>

class QWidget;
class TWindow;

class TModalScope {
 public:
  // The box's top-level widget; a box that is one of our windows passes its host.
  explicit TModalScope(QWidget *box);
  ~TModalScope();
  TModalScope(const TModalScope &) = delete;
  TModalScope &operator=(const TModalScope &) = delete;

 private:
  std::vector<std::pair<TWindow *, std::shared_ptr<bool>>> disabled_;
};

// Whether the window stands inside a window disabled by a running modal box (its top-level
// window is disabled): keys meant for it are dropped.
bool BlockedByModalBox(const TWindow &window);
