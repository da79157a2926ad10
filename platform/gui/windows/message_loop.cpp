#include "platform/gui/windows/message_loop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QThread>
#include <vector>

#include "platform/gui/windows/key_codes.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/window.h"

namespace {

const QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class TPostedMessage final : public QEvent {
 public:
  TPostedMessage(HWND target, UINT message, WPARAM first, LPARAM second)
      : QEvent(kPostedMessageEvent), handle(target), msg(message), wParam(first), lParam(second) {}
  HWND handle;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Receives posted messages; the target is looked up on delivery, so a message for a window
// destroyed meanwhile is dropped.
class TMessageSink final : public QObject {
 public:
  bool event(QEvent *event) override {
    if (event->type() != kPostedMessageEvent) return QObject::event(event);
    const auto *posted = static_cast<TPostedMessage *>(event);
    if (posted->handle == nullptr) {
      if (posted->msg == WM_QUIT) QCoreApplication::exit(static_cast<int>(posted->wParam));
      return true;
    }
    if (TWindow *window = WindowFromHandle(posted->handle)) {
      window->SendMessage(posted->msg, posted->wParam, posted->lParam);
    }
    return true;
  }
};

TMessageSink &Sink() {
  static TMessageSink *sink = new TMessageSink;  // lives as long as the program
  return *sink;
}

// Watches every key press while a pump runs; the innermost pump owns what it sees, as a
// key taken from the queue by an inner loop never reaches the outer one.
class TKeyWatch final : public QObject {
 public:
  struct TWatch {
    UINT key;
    bool seen;
    int loopLevel;  // keys taken by a modal loop opened meanwhile are not the pump's
  };
  std::vector<TWatch> stack;

  bool eventFilter(QObject *, QEvent *event) override {
    if (stack.empty()) return false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
      const auto *key = static_cast<QKeyEvent *>(event);
      TWatch &top = stack.back();
      if (top.key != 0 && VirtualKeyFromQt(key->key()) == top.key &&
          QThread::currentThread()->loopLevel() == top.loopLevel) {
        top.seen = true;
      }
    }
    return false;
  }
};

TKeyWatch &KeyWatch() {
  static TKeyWatch *watch = nullptr;
  if (watch == nullptr) {
    watch = new TKeyWatch;
    QCoreApplication::instance()->installEventFilter(watch);
  }
  return *watch;
}

}  // namespace

bool PostWindowMessage(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (QCoreApplication::instance() == nullptr) return false;
  QCoreApplication::postEvent(&Sink(), new TPostedMessage(handle, msg, wParam, lParam));
  return true;
}

bool ProcessWaitingMessages(UINT watchedKey) {
  if (QCoreApplication::instance() == nullptr) return false;
  TKeyWatch &watch = KeyWatch();
  watch.stack.push_back({watchedKey, false, QThread::currentThread()->loopLevel()});
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  const bool seen = watch.stack.back().seen;
  watch.stack.pop_back();
  return seen;
}

int RunMessageLoop() {
  if (QCoreApplication::instance() == nullptr) return -1;
  return QCoreApplication::exec();
}
