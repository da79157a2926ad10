#include "platform/gui/windows/modal_scope.h"

#include <QApplication>
#include <QWidget>

#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

namespace {

// The window of ours a top-level widget hosts, or null.
TWindow *HostedWindow(QWidget *widget) {
  auto *host = dynamic_cast<TWindowHost *>(widget);
  return host != nullptr ? host->Owner() : nullptr;
}

// Whether the window is the box or one the box owns (its parents lead to the box).
bool OwnedByBox(TWindow *window, TWindow *box) {
  for (TWindow *w = window; w != nullptr; w = w->GetParentO())
    if (w == box) return true;
  return false;
}

}  // namespace

TModalScope::TModalScope(QWidget *box) {
  TWindow *boxWindow = box != nullptr ? HostedWindow(box->window()) : nullptr;
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    TWindow *window = HostedWindow(widget);
    if (window == nullptr || window->IsChild() || !window->IsWindowEnabled()) continue;
    if (boxWindow != nullptr && OwnedByBox(window, boxWindow)) continue;
    if (box != nullptr && widget == box->window()) continue;
    window->EnableWindow(false);
    disabled_.emplace_back(window, window->alive);
  }
  // Qt disables the windows a disabled window holds: the box stays as it was.
  if (box != nullptr) box->window()->setEnabled(boxWindow == nullptr || boxWindow->IsWindowEnabled());
}

TModalScope::~TModalScope() {
  for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it)
    if (*it->second) it->first->EnableWindow(true);
}

bool BlockedByModalBox(const TWindow &window) {
  const TWindow *top = &window;
  while (top->IsChild() && top->GetParentO() != nullptr) top = top->GetParentO();
  return !top->IsWindowEnabled();
}
