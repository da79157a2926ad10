#include "platform/gui/windows/message_loop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <utility>
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
  // A message held back by a cancelled pump is posted again as a copy.
  TPostedMessage *clone() const override { return new TPostedMessage(*this); }
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

// Input and posted messages: what can start a command. Paints, timers and Qt's own
// bookkeeping go on while a cancelled pump returns.
bool IsCommandEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      return true;
    default:
      return type == kPostedMessageEvent;
  }
}

// Watches every key press while a pump runs; the innermost pump owns what it sees, as a
// key taken from the queue by an inner loop never reaches the outer one. Once the watched
// key has gone to its window, the pump stops there: input and messages queued behind the
// key are held back and queued again after the pump, so no command runs inside the
// computation that the key cancels.
class TKeyWatch final : public QObject {
 public:
  struct THeld {
    QPointer<QObject> receiver;
    QEvent *event;
  };
  struct TWatch {
    UINT key;
    bool seen;
    int loopLevel;  // keys taken by a modal loop opened meanwhile are not the pump's
    std::vector<THeld> held;
  };
  std::vector<TWatch> stack;

  bool eventFilter(QObject *receiver, QEvent *event) override {
    if (stack.empty()) return false;
    TWatch &top = stack.back();
    if (QThread::currentThread()->loopLevel() != top.loopLevel) return false;
    const QEvent::Type type = event->type();
    const bool keyEvent = type == QEvent::KeyPress || type == QEvent::ShortcutOverride ||
                          type == QEvent::KeyRelease;
    const bool watchedKey =
        keyEvent && top.key != 0 &&
        VirtualKeyFromQt(static_cast<QKeyEvent *>(event)->key()) == top.key;
    if (top.seen && !watchedKey && IsCommandEvent(type)) {
      top.held.push_back({QPointer<QObject>(receiver), event->clone()});
      return true;
    }
    if (watchedKey && type != QEvent::KeyRelease) top.seen = true;
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
  watch.stack.push_back({watchedKey, false, QThread::currentThread()->loopLevel(), {}});
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  const bool seen = watch.stack.back().seen;
  const std::vector<TKeyWatch::THeld> held = std::move(watch.stack.back().held);
  watch.stack.pop_back();
  // Queued again in their order, behind whatever was queued meanwhile.
  for (const TKeyWatch::THeld &entry : held) {
    if (entry.receiver.isNull()) {
      delete entry.event;
    } else {
      QCoreApplication::postEvent(entry.receiver.data(), entry.event);
    }
  }
  return seen;
}

int RunMessageLoop() {
  if (QCoreApplication::instance() == nullptr) return -1;
  return QCoreApplication::exec();
}
