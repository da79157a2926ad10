#include "platform/gui/windows/test_kit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <clocale>
#include <string>

#include "platform/gui/windows/key_codes.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_host.h"

namespace test_kit {

QApplication &EnsureApplication() {
  static int argc = 1;
  static char name[] = "platform_tests";
  static char *argv[] = {name, nullptr};
  static QApplication *application = nullptr;
  if (application == nullptr) {
    application = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (application == nullptr) application = new QApplication(argc, argv);
    // As the program's application object does: numbers in C form whatever the locale.
    std::setlocale(LC_NUMERIC, "C");
    // As the program's application object does: WM_PAINT comes with a paint context.
    InstallPaintDispatcher();
    InstallMenuHooks();
    InstallAcceleratorFilter();
    InstallCursorHooks();
  }
  return *application;
}

bool RunUntil(const std::function<bool()> &condition, int timeoutMs) {
  EnsureApplication();
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return condition();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::msleep(1);
  }
  return true;
}

namespace {

// A marker queued behind everything else at the lowest priority. A turn of the loop hands
// out only what was queued when it began, so what the messages of one turn queue comes
// after the marker: the marker is queued again until it comes back with no message, input
// or queued call handled since it was last queued.
class TQueueMarker final : public QObject {
 public:
  TQueueMarker() {
    QCoreApplication::instance()->installEventFilter(this);
    Queue();
  }
  ~TQueueMarker() override { QCoreApplication::removePostedEvents(this); }
  bool event(QEvent *e) override {
    if (e->type() != Type()) return QObject::event(e);
    if (handledSince == 0) {
      done = true;
    } else {
      Queue();
    }
    return true;
  }
  bool eventFilter(QObject *, QEvent *e) override {
    switch (e->type()) {
      case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::MetaCall:
        ++handledSince;
        break;
      default:
        if (e->type() >= QEvent::User && e->type() != Type()) ++handledSince;
        break;
    }
    return false;
  }
  bool done = false;

 private:
  static QEvent::Type Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  void Queue() {
    handledSince = 0;
    QCoreApplication::postEvent(this, new QEvent(Type()), Qt::LowEventPriority);
  }
  int handledSince = 0;
};

}  // namespace

bool RunUntilHandled(int timeoutMs) {
  EnsureApplication();
  TQueueMarker marker;
  return RunUntil([&marker] { return marker.done; }, timeoutMs);
}

void CloseFromOutside(TWindow &window) {
  QWidget *host = window.HostWidget();
  if (host == nullptr) return;
  if (!host->isWindow()) {
    window.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    return;
  }
  QCloseEvent close;
  QApplication::sendEvent(host, &close);
}

std::vector<HWND> ClosableWindows() {
  std::vector<HWND> found;
  for (QWidget *widget : QApplication::allWidgets()) {
    const auto *host = dynamic_cast<const TWindowHost *>(widget);
    TWindow *window = host != nullptr ? host->Owner() : nullptr;
    if (window == nullptr || window->GetHandle() == nullptr) continue;
    if (host->isWindow() || (window->GetStyle() & (WS_CAPTION | WS_SYSMENU)) != 0) found.push_back(window->GetHandle());
  }
  return found;
}

void FireEveryTimer() {
  std::vector<std::pair<HWND, UINT>> ticks;
  for (QWidget *widget : QApplication::allWidgets()) {
    const auto *host = dynamic_cast<const TWindowHost *>(widget);
    if (host == nullptr || host->Owner() == nullptr || host->Owner()->GetHandle() == nullptr) continue;
    for (UINT id : host->Owner()->TimerIds()) ticks.emplace_back(host->Owner()->GetHandle(), id);
  }
  for (const auto &[handle, id] : ticks) {
    if (TWindow *window = WindowFromHandle(handle)) window->SendMessage(WM_TIMER, id, 0);
  }
  RunUntilHandled();
}

void RunFor(int milliseconds) {
  EnsureApplication();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThread::msleep(1);
  }
  RunUntilHandled();
}

namespace {

Qt::KeyboardModifiers Modifiers(UINT keys) {
  Qt::KeyboardModifiers modifiers;
  if (keys & MK_SHIFT) modifiers |= Qt::ShiftModifier;
  if (keys & MK_CONTROL) modifiers |= Qt::ControlModifier;
  return modifiers;
}

Qt::MouseButtons Buttons(UINT keys) {
  Qt::MouseButtons buttons;
  if (keys & MK_LBUTTON) buttons |= Qt::LeftButton;
  if (keys & MK_RBUTTON) buttons |= Qt::RightButton;
  if (keys & MK_MBUTTON) buttons |= Qt::MiddleButton;
  return buttons;
}

}  // namespace

void PostMouse(TWindow &window, UINT msg, POINT clientPoint, UINT keys) {
  QWidget *host = window.HostWidget();
  if (host == nullptr) return;
  const POINT origin = window.ClientOrigin();
  const QPointF local(clientPoint.x + origin.x, clientPoint.y + origin.y);
  const QPointF global = host->mapToGlobal(local);
  QEvent::Type type = QEvent::MouseMove;
  Qt::MouseButton button = Qt::NoButton;
  Qt::MouseButtons held = Buttons(keys);
  switch (msg) {
    case WM_LBUTTONDOWN: type = QEvent::MouseButtonPress; button = Qt::LeftButton; break;
    case WM_LBUTTONUP: type = QEvent::MouseButtonRelease; button = Qt::LeftButton; break;
    case WM_LBUTTONDBLCLK: type = QEvent::MouseButtonDblClick; button = Qt::LeftButton; break;
    case WM_RBUTTONDOWN: type = QEvent::MouseButtonPress; button = Qt::RightButton; break;
    case WM_RBUTTONUP: type = QEvent::MouseButtonRelease; button = Qt::RightButton; break;
    case WM_MBUTTONDOWN: type = QEvent::MouseButtonPress; button = Qt::MiddleButton; break;
    case WM_MBUTTONUP: type = QEvent::MouseButtonRelease; button = Qt::MiddleButton; break;
    default: break;
  }
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) held |= button;
  if (type == QEvent::MouseButtonRelease) held &= ~Qt::MouseButtons(button);
  QCoreApplication::postEvent(host, new QMouseEvent(type, local, global, button, held, Modifiers(keys)));
}

namespace {

// Where typed keys go: the native control's widget (its focus proxy) or the host.
QWidget *KeyTarget(TWindow &window) {
  QWidget *target = window.NativeWidget() != nullptr ? window.NativeWidget() : window.HostWidget();
  if (target != nullptr && target->focusProxy() != nullptr) target = target->focusProxy();
  return target;
}

void PostKeyEvent(TWindow &window, UINT virtualKey, bool alt, UINT keys) {
  QWidget *target = KeyTarget(window);
  if (target == nullptr) return;
  const bool shift = (keys & MK_SHIFT) != 0;
  int qtKey = QtKeyFromVirtualKey(virtualKey);
  if (qtKey == Qt::Key_Tab && shift) qtKey = Qt::Key_Backtab;
  Qt::KeyboardModifiers modifiers = Modifiers(keys);
  if (alt) modifiers |= Qt::AltModifier;
  QString text = alt || (keys & MK_CONTROL) ? QString() : QString::fromStdString(TextOfVirtualKey(virtualKey, shift));
  QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, qtKey, modifiers, text));
  QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, qtKey, modifiers, text));
}

}  // namespace

void PostKey(TWindow &window, UINT virtualKey, bool alt) { PostKeyEvent(window, virtualKey, alt, 0); }

void PostKeyWith(TWindow &window, UINT virtualKey, UINT keys) { PostKeyEvent(window, virtualKey, false, keys); }

void PostText(TWindow &window, const char *text) {
  QWidget *target = KeyTarget(window);
  if (target == nullptr || text == nullptr) return;
  for (const QChar character : QString::fromUtf8(text)) {
    const QChar upper = character.toUpper();
    const int qtKey = upper.unicode() < 0x80 && upper.isLetterOrNumber() ? static_cast<int>(upper.unicode())
                                                                       : static_cast<int>(Qt::Key_unknown);
    const Qt::KeyboardModifiers modifiers = character.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, qtKey, modifiers, QString(character)));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, qtKey, modifiers, QString(character)));
  }
}

COLORREF ClientPixel(TWindow &window, int x, int y) {
  const QImage &image = window.WindowImage();
  const POINT origin = window.ClientOrigin();
  const int px = x + origin.x;
  const int py = y + origin.y;
  if (px < 0 || py < 0 || px >= image.width() || py >= image.height()) return 0xFFFFFFFF;
  const QRgb pixel = image.pixel(px, py);
  return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

QImage WindowPixels(TWindow &window) { return window.WindowImage().copy(); }

namespace {

// Every third pixel of the window's own picture outside its shown child and sibling widgets, against
// the grab of `top` where the window lies in it; then the same for its shown child windows.
void CompareWindowIn(TWindow &window, QWidget *top, const QImage &grabbed, TGrabComparison &result) {
  QWidget *host = window.HostWidget();
  if (host == nullptr || !host->isVisible()) return;
  const QImage &image = window.WindowImage();
  const QPoint at = host->mapTo(top, QPoint(0, 0));
  QRegion own(0, 0, std::min(image.width(), host->width()), std::min(image.height(), host->height()));
  for (QWidget *child : host->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
    if (child->isVisible()) own -= child->geometry();
  // Siblings may lie over it (controls on a group box are the box's siblings).
  if (QWidget *parent = host->parentWidget(); parent != nullptr && host != top)
    for (QWidget *sibling : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
      if (sibling != host && sibling->isVisible()) own -= sibling->geometry().translated(-host->pos());
  const QImage shown = grabbed.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) {
      if (!own.contains(QPoint(x, y)) || !shown.rect().contains(at.x() + x, at.y() + y)) continue;
      ++result.compared;
      if ((shown.pixel(at.x() + x, at.y() + y) & 0xFFFFFF) != (image.pixel(x, y) & 0xFFFFFF)) ++result.differing;
    }
  for (TWindow *child : window.GetChildren())
    if (child->IsChild()) CompareWindowIn(*child, top, grabbed, result);
}

}  // namespace

TGrabComparison CompareGrab(TWindow &window, const QImage &grabbed) {
  TGrabComparison result;
  if (window.HostWidget() != nullptr) CompareWindowIn(window, window.HostWidget(), grabbed, result);
  return result;
}

}  // namespace test_kit

TScriptedScreenProvider::TScriptedScreenProvider()
    : metrics(SM_METRIC_COUNT, -1), previous(SetScreenProvider(this)) {}

TScriptedScreenProvider::~TScriptedScreenProvider() { SetScreenProvider(previous); }

int TScriptedScreenProvider::SystemMetric(int index) {
  if (index >= 0 && index < SM_METRIC_COUNT && metrics[static_cast<std::size_t>(index)] >= 0) {
    return metrics[static_cast<std::size_t>(index)];
  }
  if (index == SM_CXSCREEN) return 1024;
  if (index == SM_CYSCREEN) return 768;
  return StandardFrameMetric(index);
}

void TScriptedScreenProvider::SetMetric(int index, int value) {
  if (index >= 0 && index < SM_METRIC_COUNT) metrics[static_cast<std::size_t>(index)] = value;
}

QImage TScriptedScreenProvider::Grab(const RECT &screenRect) {
  grabs.push_back(screenRect);
  if (screenRect.Width() <= 0 || screenRect.Height() <= 0) return {};
  QImage result(screenRect.Width(), screenRect.Height(), QImage::Format_RGB32);
  result.fill(qRgb(128, 128, 128));
  if (!picture.isNull()) {
    QPainter painter(&result);
    painter.drawImage(0, 0, picture, screenRect.left, screenRect.top);
  }
  return result;
}

// The font configuration library keeps caches for the life of the process; the leak
// checker of sanitized test runs is told not to report them. Weak: another test helper
// may say the same.
extern "C" __attribute__((weak)) const char *__lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
