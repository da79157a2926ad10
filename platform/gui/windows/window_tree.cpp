// The window tree by handle (GetWindow, WindowFromPoint, ...), and the state of the keys
// and mouse buttons (GetKeyState).

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <array>

#include "platform/gui/windows/key_codes.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

namespace {

const std::vector<TWindow *> *Siblings(const TWindow &window) {
  return window.GetParentO() != nullptr ? &window.GetParentO()->GetChildren() : nullptr;
}

// Only windows with a handle count as the tree's members.
HWND FirstLive(const std::vector<TWindow *> &list, bool forward, std::size_t from) {
  if (forward) {
    for (std::size_t i = from; i < list.size(); ++i) {
      if (list[i]->IsWindow()) return list[i]->GetHandle();
    }
  } else {
    for (std::size_t i = from + 1; i-- > 0;) {
      if (i < list.size() && list[i]->IsWindow()) return list[i]->GetHandle();
    }
  }
  return nullptr;
}

// Keys and buttons held now, as the program's own input events tell them.
class TKeyState final : public QObject {
 public:
  std::array<bool, 256> down{};

  bool eventFilter(QObject *, QEvent *event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        const UINT code = VirtualKeyFromQt(key->key());
        if (code != 0 && code < down.size() && !key->isAutoRepeat()) {
          down[code] = event->type() == QEvent::KeyPress;
        }
        Modifiers(key->modifiers(), code);
        break;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        down[VK_LBUTTON] = (mouse->buttons() & Qt::LeftButton) != 0;
        down[VK_RBUTTON] = (mouse->buttons() & Qt::RightButton) != 0;
        down[VK_MBUTTON] = (mouse->buttons() & Qt::MiddleButton) != 0;
        Modifiers(mouse->modifiers(), 0);
        break;
      }
      default:
        break;
    }
    return false;
  }

 private:
  // The modifiers an event carries are the truth for them (a modifier key's own event
  // set it above already).
  void Modifiers(Qt::KeyboardModifiers modifiers, UINT ownKey) {
    if (ownKey != VK_SHIFT) down[VK_SHIFT] = (modifiers & Qt::ShiftModifier) != 0;
    if (ownKey != VK_CONTROL) down[VK_CONTROL] = (modifiers & Qt::ControlModifier) != 0;
    if (ownKey != VK_MENU) down[VK_MENU] = (modifiers & Qt::AltModifier) != 0;
  }
};

TKeyState *keyState = nullptr;

}  // namespace

void WatchKeyState() {
  if (keyState != nullptr || qApp == nullptr) return;
  keyState = new TKeyState;  // lives as long as the program
  qApp->installEventFilter(keyState);
}

void ForgetKeyState() {
  if (keyState != nullptr) keyState->down.fill(false);
}

SHORT GetKeyState(int virtualKey) {
  if (keyState == nullptr || virtualKey <= 0 || virtualKey >= 256) return 0;
  return keyState->down[static_cast<std::size_t>(virtualKey)] ? static_cast<SHORT>(-0x8000) : 0;
}

SHORT GetAsyncKeyState(int virtualKey) { return GetKeyState(virtualKey); }

HWND GetWindow(HWND handle, UINT relation) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return nullptr;
  switch (relation) {
    case GW_CHILD:
      return FirstLive(window->GetChildren(), true, 0);
    case GW_OWNER:
      return window->IsChild() ? nullptr : window->GetParent();
    default:
      break;
  }
  const std::vector<TWindow *> *siblings = Siblings(*window);
  if (siblings == nullptr || !window->IsChild()) return nullptr;
  const auto place = static_cast<std::size_t>(std::find(siblings->begin(), siblings->end(), window) - siblings->begin());
  switch (relation) {
    case GW_HWNDFIRST: return FirstLive(*siblings, true, 0);
    case GW_HWNDLAST: return FirstLive(*siblings, false, siblings->size() - 1);
    case GW_HWNDNEXT: return FirstLive(*siblings, true, place + 1);
    case GW_HWNDPREV: return place == 0 ? nullptr : FirstLive(*siblings, false, place - 1);
    default: return nullptr;
  }
}

HWND GetParent(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr ? window->GetParent() : nullptr;
}

HWND GetTopWindow(HWND handle) { return GetWindow(handle, GW_CHILD); }

BOOL IsChild(HWND parentHandle, HWND handle) {
  TWindow *parent = WindowFromHandle(parentHandle);
  for (TWindow *window = WindowFromHandle(handle); window != nullptr && window->IsChild();
       window = window->GetParentO()) {
    if (window->GetParentO() == parent && parent != nullptr) return 1;
  }
  return 0;
}

BOOL EnableWindow(HWND handle, BOOL enable) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->EnableWindow(enable != 0) ? 1 : 0;
}

BOOL IsWindowEnabled(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->IsWindowEnabled() ? 1 : 0;
}

BOOL IsWindowVisible(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr && window->IsWindowVisible() ? 1 : 0;
}

int GetDlgCtrlID(HWND handle) {
  TWindow *window = WindowFromHandle(handle);
  return window != nullptr ? window->GetId() : 0;
}

HWND WindowFromPoint(POINT screenPoint) {
  QWidget *widget = QApplication::widgetAt(screenPoint.x, screenPoint.y);
  for (; widget != nullptr; widget = widget->parentWidget()) {
    if (auto *host = dynamic_cast<TWindowHost *>(widget); host != nullptr && host->Owner() != nullptr) {
      return host->Owner()->GetHandle();
    }
  }
  return nullptr;
}
