#include "platform/gui/windows/native_input.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "platform/gui/windows/key_codes.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

namespace {

UINT MouseMessage(const QMouseEvent &event) {
  UINT base = 0;
  switch (event.button()) {
    case Qt::LeftButton: base = WM_LBUTTONDOWN; break;
    case Qt::RightButton: base = WM_RBUTTONDOWN; break;
    case Qt::MiddleButton: base = WM_MBUTTONDOWN; break;
    default: break;
  }
  switch (event.type()) {
    case QEvent::MouseButtonPress: return base;
    case QEvent::MouseButtonRelease: return base == 0 ? 0 : base + 1;
    case QEvent::MouseButtonDblClick: return base == 0 ? 0 : base + 2;
    case QEvent::MouseMove: return WM_MOUSEMOVE;
    default: return 0;
  }
}

// The Qt key a typed character stands for (control characters have keys of their own).
int KeyOfCharacter(UINT character) {
  switch (character) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    default: break;
  }
  const QChar upper = QChar(static_cast<char16_t>(character)).toUpper();
  if ((upper >= QLatin1Char('A') && upper <= QLatin1Char('Z')) ||
      (upper >= QLatin1Char('0') && upper <= QLatin1Char('9')) || upper == QLatin1Char(' ')) {
    return upper.unicode();
  }
  return Qt::Key_unknown;
}

Qt::KeyboardModifiers HeldModifiers() {
  Qt::KeyboardModifiers modifiers;
  if (GetKeyState(VK_SHIFT) & 0x8000) modifiers |= Qt::ShiftModifier;
  if (GetKeyState(VK_CONTROL) & 0x8000) modifiers |= Qt::ControlModifier;
  return modifiers;
}

}  // namespace

TNativeInput::TNativeInput(TWindow &window, QWidget *nativeWidget) : owner(&window), widget(nativeWidget) {
  widget->installEventFilter(this);
  if (QWidget *proxy = widget->focusProxy()) proxy->installEventFilter(this);
  if (auto *area = qobject_cast<QAbstractScrollArea *>(widget.data())) {
    area->viewport()->installEventFilter(this);
  }
  widget->setFocusPolicy(Qt::ClickFocus);  // Tab is the dialog's, not Qt's focus chain
  if (QWidget *host = owner->HostWidget()) host->installEventFilter(this);
}

TNativeInput::~TNativeInput() = default;

void TNativeInput::Layout() {
  if (widget == nullptr) return;
  const RECT client = owner->ClientRectInImage();
  widget->setGeometry(client.left, client.top, client.Width(), client.Height());
}

void TNativeInput::Detach() {
  owner = nullptr;
  pending = {};
}

bool TNativeInput::eventFilter(QObject *watched, QEvent *event) {
  if (owner == nullptr || widget == nullptr || delivering) return false;
  if (watched == owner->HostWidget()) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show) Layout();
    return false;
  }
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      return TranslateKey(watched, event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      return TranslateMouse(watched, event);
    case QEvent::ShortcutOverride: {
      // The window's keys are the window's: Qt's shortcuts (Tab, Escape) do not take them.
      auto *key = static_cast<QKeyEvent *>(event);
      if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape) {
        event->accept();
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

bool TNativeInput::TranslateKey(QObject *watched, QEvent *event) {
  auto *key = static_cast<QKeyEvent *>(event);
  const bool down = event->type() == QEvent::KeyPress;
  const UINT virtualKey = VirtualKeyFromQt(key->key());
  const bool alt = (key->modifiers() & Qt::AltModifier) != 0;
  LPARAM lParam = 1;
  if (alt) lParam |= KF_ALTDOWN_BIT;
  if (!down || key->isAutoRepeat()) lParam |= KF_REPEAT_BIT;
  if (!down) lParam |= KF_UP_BIT;
  const TPending saved = pending;
  pending = {watched, event, 0, false};
  if (virtualKey != 0) {
    const UINT msg = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    MSG message;
    message.hwnd = owner->GetHandle();
    message.message = msg;
    message.wParam = virtualKey;
    message.lParam = lParam;
    if (PreProcessWindowMessage(*owner, message)) {
      pending = saved;
      return true;
    }
    if (owner == nullptr) return true;
    pending.msg = msg;
    owner->SendMessage(msg, virtualKey, lParam);
    if (owner == nullptr) return true;
  } else if (!down || key->text().isEmpty()) {
    pending = saved;
    return false;  // a key the window layer has no code for: the widget's
  }
  if (down) {
    for (const QChar character : key->text()) {
      if (character.unicode() == 0) continue;
      pending.msg = alt ? WM_SYSCHAR : WM_CHAR;
      owner->SendMessage(pending.msg, character.unicode(), lParam);
      if (owner == nullptr) return true;
    }
  }
  pending = saved;
  return true;
}

bool TNativeInput::TranslateMouse(QObject *watched, QEvent *event) {
  auto *mouse = static_cast<QMouseEvent *>(event);
  const UINT msg = MouseMessage(*mouse);
  if (msg == 0) return false;
  auto *source = qobject_cast<QWidget *>(watched);
  const QPoint inWidget = source != nullptr ? source->mapTo(widget.data(), mouse->position().toPoint())
                                            : mouse->position().toPoint();
  const TPending saved = pending;
  pending = {watched, event, msg, false};
  owner->SendMessage(msg, MouseKeyState(mouse->buttons(), mouse->modifiers()), MAKELPARAM(inWidget.x(), inWidget.y()));
  pending = saved;
  return true;
}

void TNativeInput::Deliver(QObject *target, QEvent &event) {
  delivering = true;
  QCoreApplication::sendEvent(target, &event);
  delivering = false;
}

bool TNativeInput::Default(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result) {
  result = 0;
  if (widget == nullptr || owner == nullptr) return false;
  QWidget *keyTarget = widget->focusProxy() != nullptr ? widget->focusProxy() : widget.data();
  const bool isPending = pending.event != nullptr && pending.msg == msg && !pending.delivered;
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      if (isPending) {
        auto *original = static_cast<QKeyEvent *>(pending.event);
        // A key that types a character acts when its WM_CHAR is processed.
        if (original->type() == QEvent::KeyPress && !original->text().isEmpty()) return true;
        pending.delivered = true;
        QKeyEvent copy(original->type(), original->key(), original->modifiers(), original->text(),
                       original->isAutoRepeat());
        Deliver(pending.target, copy);
        return true;
      }
      const bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
      QKeyEvent made(down ? QEvent::KeyPress : QEvent::KeyRelease,
                     QtKeyFromVirtualKey(static_cast<UINT>(wParam)), HeldModifiers());
      Deliver(keyTarget, made);
      return true;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
      if (isPending) {
        auto *original = static_cast<QKeyEvent *>(pending.event);
        pending.delivered = true;
        QKeyEvent copy(original->type(), original->key(), original->modifiers(), original->text(),
                       original->isAutoRepeat());
        Deliver(pending.target, copy);
        return true;
      }
      const UINT character = static_cast<UINT>(wParam);
      QKeyEvent made(QEvent::KeyPress, KeyOfCharacter(character), Qt::NoModifier,
                     QString(QChar(static_cast<char16_t>(character))));
      Deliver(keyTarget, made);
      return true;
    }
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: {
      if (isPending) {
        auto *original = static_cast<QMouseEvent *>(pending.event);
        pending.delivered = true;
        QMouseEvent copy(original->type(), original->position(), original->scenePosition(),
                         original->globalPosition(), original->button(), original->buttons(),
                         original->modifiers());
        Deliver(pending.target, copy);
        return true;
      }
      // A message made by the program: the widget is clicked at the point.
      const QPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      const UINT offset = (msg - WM_LBUTTONDOWN) % 3;
      const UINT base = msg - offset;
      const Qt::MouseButton button = base == WM_LBUTTONDOWN ? Qt::LeftButton
                                     : base == WM_RBUTTONDOWN ? Qt::RightButton : Qt::MiddleButton;
      const QEvent::Type type = offset == 0 ? QEvent::MouseButtonPress
                                : offset == 1 ? QEvent::MouseButtonRelease : QEvent::MouseButtonDblClick;
      QWidget *mouseTarget = widget.data();
      QPoint local = point;
      if (auto *area = qobject_cast<QAbstractScrollArea *>(widget.data())) {
        mouseTarget = area->viewport();
        local = area->viewport()->mapFrom(widget.data(), point);
      }
      QMouseEvent made(type, QPointF(local), QPointF(mouseTarget->mapToGlobal(local)), button,
                       offset == 1 ? Qt::MouseButtons() : Qt::MouseButtons(button), HeldModifiers());
      Deliver(mouseTarget, made);
      return true;
    }
    default:
      return false;
  }
}

bool NativeDefault(TNativeInput &input, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result) {
  return input.Default(msg, wParam, lParam, result);
}

void DeleteNativeInput(TNativeInput *input) {
  // It may be inside its own filter (the window destroyed by a key's handler): it goes
  // once the event is done, and takes no more input meanwhile.
  if (input == nullptr) return;
  input->Detach();
  input->deleteLater();
}

void TWindow::SetNativeWidget(QWidget *widget) {
  DeleteNativeInput(native);
  native = nullptr;
  if (widget == nullptr || host == nullptr) return;
  widget->setParent(host);
  native = new TNativeInput(*this, widget);
  native->Layout();
  widget->show();
}

QWidget *TWindow::NativeWidget() const { return native != nullptr ? native->Widget() : nullptr; }
