#include "platform/gui/windows/window_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>
#include <memory>

#include "platform/gui/windows/key_codes.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/window.h"

// Reaches the window's internals that only its host may use.
struct TWindowAccess {
  static void Paint(TWindow &window) { window.PaintPending(); }
  static QImage *Image(TWindow &window) { return window.image.get(); }
  static void Resized(TWindow &window) { window.OnHostResized(); }
  static void Moved(TWindow &window) { window.HostMoved(); }
  static void Timer(TWindow &window, int qtId) { window.TimerFired(qtId); }
  static void Scroll(TWindow &window, int bar, UINT code, int pos) {
    window.DispatchScroll(bar, code, pos);
  }
  static void FocusLeft(TWindow &window) { window.FocusLeftProgram(); }
  static POINT Origin(const TWindow &window) { return window.ClientOrigin(); }
  static UINT ClassStyle(const TWindow &window) { return window.windowClass.Style; }
  static std::shared_ptr<bool> Token(const TWindow &window) { return window.alive; }
  static void Report(TWindow &window) { window.ReportGeometry(); }
  static void FollowFrame(TWindow &window) { window.FollowDesktopFrame(); }
  static HWND LastFocus(const TWindow &window) { return window.lastFocus; }
};

namespace {

// How long a maximized or restored window waits for its new size before reporting.
constexpr int kStateSizeWaitMs = 100;

UINT ButtonBase(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return WM_LBUTTONDOWN;
    case Qt::RightButton: return WM_RBUTTONDOWN;
    case Qt::MiddleButton: return WM_MBUTTONDOWN;
    default: return 0;
  }
}

// Qt's focus, wherever it goes, becomes the focus of the window whose host holds it (a
// Qt control inside a window counts for that window); focus leaving our windows (another
// program, a Qt dialog) takes it from the window that had it.
void FollowQtFocus(QWidget *, QWidget *now) {
  TWindowHost *holder = nullptr;
  for (QWidget *widget = now; widget != nullptr && holder == nullptr;
       widget = widget->parentWidget()) {
    holder = dynamic_cast<TWindowHost *>(widget);
  }
  if (holder != nullptr && holder->Owner() != nullptr) {
    // Qt focusing a window that holds our focus window (the desktop activating a dialog
    // whose field has the focus) leaves the focus where it is.
    if (IsChild(holder->Owner()->GetHandle(), GetFocus())) {
      QWidget *target = WindowFromHandle(GetFocus())->NativeWidget();
      if (target == nullptr) target = WindowFromHandle(GetFocus())->HostWidget();
      if (target != nullptr && target != now) target->setFocus(Qt::OtherFocusReason);
      return;
    }
    if (GetFocus() != holder->Owner()->GetHandle()) holder->Owner()->SetFocus();
    return;
  }
  if (TWindow *window = WindowFromHandle(GetFocus())) TWindowAccess::FocusLeft(*window);
}

void WatchQtFocus() {
  static bool watching = false;
  if (watching || qApp == nullptr) return;
  watching = true;
  QObject::connect(qApp, &QApplication::focusChanged, qApp, &FollowQtFocus);
}

}  // namespace

TWindowHost::TWindowHost(TWindow *window, QWidget *parentWidget, Qt::WindowFlags flags)
    : QWidget(parentWidget, flags), owner(window) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  // A click gives no focus by itself: windows take it with SetFocus, and a top-level window
  // takes it when it becomes active, unless one of its children holds it already.
  setFocusPolicy(Qt::NoFocus);
  WatchQtFocus();
  WatchKeyState();
}

TWindowHost::~TWindowHost() = default;

QScrollBar *TWindowHost::ScrollBar(int bar, bool create) {
  QScrollBar *&slot = bar == SB_HORZ ? hBar : vBar;
  if (slot != nullptr || !create) return slot;
  slot = new QScrollBar(bar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, this);
  slot->setFocusPolicy(Qt::NoFocus);
  QScrollBar *scrollBar = slot;
  // The window decides where the box goes: the bar reports and is set back.
  connect(scrollBar, &QAbstractSlider::actionTriggered, this, [this, bar, scrollBar](int action) {
    if (owner == nullptr) return;
    UINT code = SB_ENDSCROLL;
    if (!ScrollCodeOfAction(action, code)) return;
    const int pos = scrollBar->sliderPosition();
    if (code != SB_THUMBTRACK) scrollBar->setSliderPosition(owner->GetScrollPos(bar));
    TWindowAccess::Scroll(*owner, bar, code, pos);
  });
  connect(scrollBar, &QAbstractSlider::sliderReleased, this, [this, bar, scrollBar]() {
    if (owner == nullptr) return;
    const int pos = scrollBar->sliderPosition();
    std::shared_ptr<bool> token = TWindowAccess::Token(*owner);
    TWindowAccess::Scroll(*owner, bar, SB_THUMBPOSITION, pos);
    if (!*token || owner == nullptr) return;
    TWindowAccess::Scroll(*owner, bar, SB_ENDSCROLL, 0);
    if (!*token || owner == nullptr) return;
    const QSignalBlocker blocker(scrollBar);
    scrollBar->setValue(owner->GetScrollPos(bar));  // where the window put it
  });
  return slot;
}

void TWindowHost::BeginCaptionDrag(const QPoint &globalPos) {
  if (owner == nullptr) return;
  const RECT rect = owner->GetWindowRect();
  dragging = true;
  dragOffset = globalPos - QPoint(rect.left, rect.top);
}

bool TWindowHost::event(QEvent *event) {
  const QEvent::Type type = event->type();
  if ((type == QEvent::Show || type == QEvent::ZOrderChange) && isWindow()) {
    static std::uint64_t lastStamp = 0;
    stackStamp = ++lastStamp;
  }
  if (event->type() == QEvent::WindowActivate && owner != nullptr && isWindow()) {
    TWindow *focused = WindowFromHandle(GetFocus());
    bool inside = false;
    for (TWindow *window = focused; window != nullptr; window = window->GetParentO()) {
      if (window == owner) inside = true;
      if (!window->IsChild()) break;
    }
    if (!inside) {
      // The window inside that had the focus last gets it back, else the window itself.
      TWindow *last = WindowFromHandle(TWindowAccess::LastFocus(*owner));
      const bool lastInside = last != nullptr && (last == owner || IsChild(owner->GetHandle(), last->GetHandle()));
      if (lastInside && last->IsWindowEnabled()) {
        last->SetFocus();
      } else {
        owner->SetFocus();
      }
    }
  }
  if (event->type() == QEvent::Show && owner != nullptr && isWindow()) {
    // The desktop frames a window once shown; the frame may come a moment later.
    QMetaObject::invokeMethod(
        this, [this]() {
          if (owner != nullptr) TWindowAccess::FollowFrame(*owner);
        },
        Qt::QueuedConnection);
  }
  // Tab and Backtab are keys of the window, not Qt's focus chain.
  if (event->type() == QEvent::KeyPress && isEnabled()) {
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

bool TWindowHost::focusNextPrevChild(bool) { return false; }

void TWindowHost::paintEvent(QPaintEvent *event) {
  if (owner == nullptr) return;
  TWindow *window = owner;
  TWindowAccess::Paint(*window);
  if (owner == nullptr) return;
  QImage *image = TWindowAccess::Image(*owner);
  if (image == nullptr) return;
  QPainter painter(this);
  painter.drawImage(event->rect(), *image, event->rect());
}

void TWindowHost::resizeEvent(QResizeEvent *) {
  sizePending = false;
  if (owner != nullptr) TWindowAccess::Resized(*owner);
}

void TWindowHost::moveEvent(QMoveEvent *) {
  if (owner != nullptr) TWindowAccess::Moved(*owner);
}

void TWindowHost::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (owner != nullptr && event->type() == QEvent::WindowStateChange) {
    // The new size arrives after the state: WM_SIZE waits for it, so a maximized or
    // restored window reports its new client size, once, with the new kind. A minimized
    // window reports an empty client area at once.
    if (isMinimized()) {
      sizePending = false;
      TWindowAccess::Report(*owner);
      return;
    }
    // A state that keeps the size brings no resize: report it after a while all the same.
    sizePending = true;
    QTimer::singleShot(kStateSizeWaitMs, this, [this]() {
      if (!sizePending) return;
      sizePending = false;
      if (owner != nullptr) TWindowAccess::Report(*owner);
    });
  }
}

void TWindowHost::closeEvent(QCloseEvent *event) {
  // The window decides: SC_CLOSE, then WM_CLOSE, then perhaps its destruction. A disabled
  // window (one resting under a modal box) takes the window manager's close no more than a
  // click: closed, it would take away what the box's caller still works on.
  event->ignore();
  if (owner != nullptr && isEnabled()) owner->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void TWindowHost::SendMouse(QMouseEvent *event, UINT msg) {
  if (owner == nullptr) return;
  const QPoint global = mapToGlobal(event->position().toPoint());
  // While a window holds the capture, every mouse message is its own, in its client
  // coordinates, wherever the cursor is.
  TWindow *target = WindowFromHandle(GetCapture());
  if (target == nullptr || target->HostWidget() == nullptr) target = owner;
  POINT point{global.x(), global.y()};
  target->ScreenToClient(point);
  const UINT keys = MouseKeyState(event->buttons(), event->modifiers());
  target->SendMessage(msg, keys, MAKELPARAM(point.x, point.y));
}

namespace {

// A press at a screen point on `window`: its hit test decides between the client message,
// the non-client one and, for HTTRANSPARENT, the window beneath (the parent).
void DeliverPress(TWindow *window, UINT base, QPoint global, UINT keys, HWND &pressTarget) {
  const LPARAM screen = MAKELPARAM(global.x(), global.y());
  for (int depth = 0; window != nullptr && depth < 64; ++depth) {
    std::shared_ptr<bool> token = TWindowAccess::Token(*window);
    const LRESULT hit = window->SendMessage(WM_NCHITTEST, 0, screen);
    if (!*token || !window->IsWindow()) return;
    if (hit == HTTRANSPARENT && window->IsChild() && window->GetParentO() != nullptr) {
      window = window->GetParentO();
      continue;
    }
    pressTarget = window->GetHandle();
    if (hit == HTCLIENT) {
      POINT point{global.x(), global.y()};
      window->ScreenToClient(point);
      window->SendMessage(base, keys, MAKELPARAM(point.x, point.y));
    } else if (base == WM_LBUTTONDOWN) {
      window->SendMessage(WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), screen);
    } else if (base == WM_RBUTTONDOWN) {
      window->SendMessage(WM_NCRBUTTONDOWN, static_cast<WPARAM>(hit), screen);
    }
    return;
  }
}

}  // namespace

void TWindowHost::mousePressEvent(QMouseEvent *event) {
  const UINT base = ButtonBase(event->button());
  if (owner == nullptr || base == 0) return;
  if (owner->NativeWidget() != nullptr && WindowFromHandle(GetCapture()) == nullptr) return;
  if (WindowFromHandle(GetCapture()) != nullptr) {
    SendMouse(event, base);
    return;
  }
  // Mapped now rather than taken from the event: the window may have moved since.
  const QPoint global = mapToGlobal(event->position().toPoint());
  pressTarget = nullptr;
  DeliverPress(owner, base, global, MouseKeyState(event->buttons(), event->modifiers()), pressTarget);
  ForgetFocusBeforeActivation();
}

void TWindowHost::mouseReleaseEvent(QMouseEvent *event) {
  if (dragging && event->button() == Qt::LeftButton) {
    dragging = false;
    return;
  }
  const UINT base = ButtonBase(event->button());
  if (base == 0 || owner == nullptr) return;
  // The release of a press that fell through to the window beneath goes there too.
  TWindow *beneath = WindowFromHandle(pressTarget);
  if (beneath != nullptr && beneath != owner && WindowFromHandle(GetCapture()) == nullptr) {
    const QPoint global = mapToGlobal(event->position().toPoint());
    POINT point{global.x(), global.y()};
    beneath->ScreenToClient(point);
    beneath->SendMessage(base + 1, MouseKeyState(event->buttons(), event->modifiers()),
                         MAKELPARAM(point.x, point.y));
    return;
  }
  SendMouse(event, base + 1);
}

void TWindowHost::mouseDoubleClickEvent(QMouseEvent *event) {
  const UINT base = ButtonBase(event->button());
  if (owner == nullptr || base == 0) return;
  // Without CS_DBLCLKS the second press of a double click is a plain press.
  const bool doubleClicks = (TWindowAccess::ClassStyle(*owner) & CS_DBLCLKS) != 0;
  if (doubleClicks) {
    SendMouse(event, base + 2);
  } else {
    mousePressEvent(event);
  }
}

void TWindowHost::mouseMoveEvent(QMouseEvent *event) {
  if (owner == nullptr) return;
  if (dragging) {
    if (!(event->buttons() & Qt::LeftButton)) {
      dragging = false;
      return;
    }
    QPoint topLeft = event->globalPosition().toPoint() - dragOffset;
    if (owner->IsChild() && owner->GetParentO() != nullptr) {
      POINT point{topLeft.x(), topLeft.y()};
      owner->GetParentO()->ScreenToClient(point);
      topLeft = QPoint(point.x, point.y);
    }
    const RECT rect = owner->GetWindowRect();
    owner->MoveWindow(topLeft.x(), topLeft.y(), rect.Width(), rect.Height(), false);
    return;
  }
  if (GetCapture() == nullptr) {
    // WM_SETCURSOR first, with the hit-test code in the low word of lParam.
    const QPoint global = mapToGlobal(event->position().toPoint());
    std::shared_ptr<bool> token = TWindowAccess::Token(*owner);
    const LRESULT hit = owner->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(global.x(), global.y()));
    if (!*token || owner == nullptr) return;
    owner->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(owner->GetHandle()),
                       MAKELPARAM(static_cast<int>(hit), WM_MOUSEMOVE));
    if (!*token || owner == nullptr) return;
  }
  SendMouse(event, WM_MOUSEMOVE);
}

void TWindowHost::wheelEvent(QWheelEvent *event) {
  if (owner == nullptr) return;
  const UINT keys = MouseKeyState(event->buttons(), event->modifiers());
  const int delta = event->angleDelta().y();
  const QPoint global = event->globalPosition().toPoint();
  owner->SendMessage(WM_MOUSEWHEEL, (keys & 0xFFFF) | ((static_cast<UINT>(delta) & 0xFFFF) << 16),
                     MAKELPARAM(global.x(), global.y()));
}

void TWindowHost::SendKey(QKeyEvent *event, bool down) {
  if (owner == nullptr) return;
  const UINT virtualKey = VirtualKeyFromQt(event->key());
  const bool alt = (event->modifiers() & Qt::AltModifier) != 0;
  LPARAM lParam = 1;  // repeat count
  if (alt) lParam |= KF_ALTDOWN_BIT;
  if (!down || event->isAutoRepeat()) lParam |= KF_REPEAT_BIT;
  if (!down) lParam |= KF_UP_BIT;
  // Alt turns keys into system keys, and F10 is one on its own.
  const bool system = alt || virtualKey == VK_F10;
  std::shared_ptr<bool> token = TWindowAccess::Token(*owner);
  if (virtualKey != 0) {
    const UINT msg = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    MSG message;
    message.hwnd = owner->GetHandle();
    message.message = msg;
    message.wParam = virtualKey;
    message.lParam = lParam;
    // A dialog (or another window up the chain) may take the key first: then the window
    // sees neither the key nor its character.
    if (PreProcessWindowMessage(*owner, message)) return;
    if (!*token || owner == nullptr) return;
    owner->SendMessage(msg, virtualKey, lParam);
  }
  if (!down || !*token || owner == nullptr) return;
  for (const QChar character : event->text()) {
    if (character.unicode() == 0) continue;
    owner->SendMessage(alt ? WM_SYSCHAR : WM_CHAR, character.unicode(), lParam);
    if (!*token || owner == nullptr) return;
  }
}

// A window shown by a native widget took its keys through the widget already: what the
// widget leaves climbs to the host and stops here.
void TWindowHost::keyPressEvent(QKeyEvent *event) {
  if (owner != nullptr && owner->NativeWidget() != nullptr) return;
  SendKey(event, true);
  ForgetFocusBeforeActivation();
}

void TWindowHost::keyReleaseEvent(QKeyEvent *event) {
  if (owner != nullptr && owner->NativeWidget() != nullptr) return;
  SendKey(event, false);
}

void TWindowHost::timerEvent(QTimerEvent *event) {
  if (owner != nullptr) TWindowAccess::Timer(*owner, event->timerId());
}
