// Pumping with a cancel key, nested computations, and the stopwatch.

#include "toolkit/pump/message_queue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <limits>

#include "platform/core/recording_providers.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"
#include "toolkit/pump/delay.h"

namespace {

// Counts key-downs and one private message.
class TKeyCounter : public TWindow {
 public:
  explicit TKeyCounter(TWindow *parentWindow) : TWindow(parentWindow) {}
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
      lastKey = static_cast<int>(wParam);
      ++keys;
    }
    if (msg == WM_USER + 5) ++userMessages;
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int keys = 0;
  int lastKey = 0;
  int userMessages = 0;
};

// A frame with one key-counting child for each test.
class MessageQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    frame = new TWindow(nullptr, "frame");
    frame->Attr.Style = WS_POPUP | WS_VISIBLE;
    frame->Attr.W = 200;
    frame->Attr.H = 100;
    ASSERT_TRUE(frame->Create());
    window = new TKeyCounter(frame);
    ASSERT_TRUE(window->Create());
    test_kit::RunFor(10);  // settle the show and first paints
  }
  void TearDown() override { delete frame; }
  TWindow *frame = nullptr;
  TKeyCounter *window = nullptr;
};

// Seconds as the stopwatch counts them; exact in binary for these values.
constexpr double kOneSecond = 1.0;
constexpr double kHalfSecond = 0.5;

}  // namespace

TEST_F(MessageQueue, PumpBeforeEnterReturnsZeroAndDispatchesNothing) {
  TMessageQueue queue;
  window->PostMessage(WM_USER + 5);
  EXPECT_EQ(queue.Pump(), 0);
  EXPECT_EQ(window->userMessages, 0) << "the waiting message stays queued";
  EXPECT_EQ(queue.BusyCount(), 0);
  PumpWaitingMessages();
  EXPECT_EQ(window->userMessages, 1);
}

TEST_F(MessageQueue, PumpDispatchesWaitingMessagesAndKeepsGoing) {
  TMessageQueue queue;
  queue.Enter();
  window->PostMessage(WM_USER + 5);
  test_kit::PostKey(*window, 'A');
  EXPECT_EQ(queue.Pump(), 1);
  EXPECT_EQ(window->userMessages, 1);
  EXPECT_EQ(window->lastKey, 'A');
  EXPECT_EQ(queue.BusyCount(), 1);
}

TEST_F(MessageQueue, EscapeStopsThisPumpAndTheNextWithoutEnter) {
  TMessageQueue queue;
  queue.Enter();
  test_kit::PostKey(*window, VK_ESCAPE);
  EXPECT_EQ(queue.Pump(), 0);
  EXPECT_EQ(window->lastKey, static_cast<int>(VK_ESCAPE)) << "the key reaches its window";
  EXPECT_EQ(queue.BusyCount(), 0);
  EXPECT_EQ(queue.Pump(), 0);
  queue.Enter();
  EXPECT_EQ(queue.Pump(), 1) << "a new computation pumps again";
}

TEST_F(MessageQueue, EscapeStopsBeforeWhatWasQueuedBehindIt) {
  TMessageQueue queue;
  queue.Enter();
  window->PostMessage(WM_USER + 5);
  test_kit::PostKey(*window, VK_ESCAPE);
  window->PostMessage(WM_USER + 5);  // a command chosen after the Escape
  test_kit::PostKey(*window, 'A');
  EXPECT_EQ(queue.Pump(), 0);
  EXPECT_EQ(window->userMessages, 1) << "only the message before the key ran";
  EXPECT_EQ(window->lastKey, static_cast<int>(VK_ESCAPE));
  EXPECT_EQ(window->keys, 1);
  // The rest waits for the loop, in its order.
  PumpWaitingMessages();
  EXPECT_EQ(window->userMessages, 2);
  EXPECT_EQ(window->lastKey, 'A');
  EXPECT_EQ(window->keys, 2);
}

TEST_F(MessageQueue, NestedComputationsLoseOneLevelPerEscape) {
  TMessageQueue queue;
  queue.Enter();
  queue.Enter();
  test_kit::PostKey(*window, VK_ESCAPE);
  EXPECT_EQ(queue.Pump(), 0);
  EXPECT_EQ(queue.BusyCount(), 1);
  EXPECT_EQ(queue.Pump(), 1) << "the outer computation goes on";
  queue.Leave();
  EXPECT_EQ(queue.BusyCount(), 0);
  queue.Leave();
  EXPECT_EQ(queue.BusyCount(), 0) << "never below zero";
  queue.Enter();
  queue.Enter();
  queue.Leave(1);
  EXPECT_EQ(queue.BusyCount(), 0);
}

TEST_F(MessageQueue, AltModifiedCancelKeyCancels) {
  TMessageQueue queue;
  queue.SetCancelKey('Q');
  queue.Enter();
  test_kit::PostKey(*window, VK_ESCAPE);
  EXPECT_EQ(queue.Pump(), 1) << "Escape is no longer the cancel key";
  test_kit::PostKey(*window, 'Q', true);
  EXPECT_EQ(queue.Pump(), 0);
  EXPECT_EQ(window->lastKey, 'Q');
}

TEST_F(MessageQueue, KeyPressOnAQtControlIsSeenToo) {
  QLineEdit edit(frame->HostWidget());
  edit.show();
  TMessageQueue queue;
  queue.Enter();
  QCoreApplication::postEvent(&edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape,
                                                   Qt::NoModifier, QString("\x1b")));
  EXPECT_EQ(queue.Pump(), 0);
}

TEST_F(MessageQueue, InnerPumpTakesTheKeyFromTheOuterOne) {
  // A handler of the outer pump runs its own computation and sees the Escape first.
  TMessageQueue outer;
  TMessageQueue inner;
  int innerResult = -1;
  class TInnerRunner : public TWindow {
   public:
    TInnerRunner(TWindow *parentWindow, TMessageQueue *queue, TWindow *target, int *result)
        : TWindow(parentWindow), innerQueue(queue), keyTarget(target), answer(result) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
      if (msg == WM_USER + 9) {
        innerQueue->Enter();
        test_kit::PostKey(*keyTarget, VK_ESCAPE);
        *answer = innerQueue->Pump();
        return 0;
      }
      return TWindow::WindowProc(msg, wParam, lParam);
    }
    TMessageQueue *innerQueue;
    TWindow *keyTarget;
    int *answer;
  };
  auto *runner = new TInnerRunner(frame, &inner, window, &innerResult);
  ASSERT_TRUE(runner->Create());
  outer.Enter();
  runner->PostMessage(WM_USER + 9);
  EXPECT_EQ(outer.Pump(), 1);
  EXPECT_EQ(innerResult, 0);
  EXPECT_EQ(outer.BusyCount(), 1);
}

TEST_F(MessageQueue, EscapeTakenByAModalLoopDoesNotCancel) {
  // A handler opens a modal loop (as a message box does) and the user presses Escape there.
  class TModalRunner : public TWindow {
   public:
    TModalRunner(TWindow *parentWindow, TWindow *target) : TWindow(parentWindow), keyTarget(target) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
      if (msg == WM_USER + 9) {
        QEventLoop modal;
        test_kit::PostKey(*keyTarget, VK_ESCAPE);
        QTimer::singleShot(30, &modal, &QEventLoop::quit);
        modal.exec();
        return 0;
      }
      return TWindow::WindowProc(msg, wParam, lParam);
    }
    TWindow *keyTarget;
  };
  auto *runner = new TModalRunner(frame, window);
  ASSERT_TRUE(runner->Create());
  TMessageQueue queue;
  queue.Enter();
  runner->PostMessage(WM_USER + 9);
  EXPECT_EQ(queue.Pump(), 1);
  EXPECT_EQ(window->lastKey, static_cast<int>(VK_ESCAPE)) << "the modal loop delivered it";
  EXPECT_EQ(queue.BusyCount(), 1);
}

TEST_F(MessageQueue, DestructorLeavesEverything) {
  TMessageQueue &shared = ProgramMessageQueue();
  shared.Enter();
  EXPECT_EQ(shared.BusyCount(), 1);
  shared.Leave(1);
  auto *queue = new TMessageQueue;
  queue->Enter();
  queue->Enter();
  delete queue;  // nothing to observe but that it ends cleanly under the sanitizers
  EXPECT_EQ(shared.BusyCount(), 0);
}

TEST(Delay, ElapsedZeroIsAlwaysOne) {
  TManualClockProvider clock(5000);
  TDelay stopwatch;
  EXPECT_EQ(stopwatch.Elapsed(0.0), 1);
  EXPECT_EQ(stopwatch.Elapsed(0.0), 1);
  EXPECT_EQ(stopwatch.Elapsed(-3.0), 1);
  EXPECT_EQ(stopwatch.Elapsed(std::numeric_limits<double>::quiet_NaN()), 1);
}

TEST(Delay, ElapsedMarksWhenTheTimeHasPassed) {
  TManualClockProvider clock(1000);
  TDelay stopwatch;
  clock.Advance(400);
  EXPECT_EQ(stopwatch.Elapsed(kHalfSecond), 0);
  clock.Advance(100);
  EXPECT_EQ(stopwatch.Elapsed(kHalfSecond), 1);
  // Marked: the next half second counts from here.
  clock.Advance(499);
  EXPECT_EQ(stopwatch.Elapsed(kHalfSecond), 0);
  clock.Advance(1);
  EXPECT_EQ(stopwatch.Elapsed(kHalfSecond), 1);
}

TEST(Delay, WaitAcrossMidnightAndCounterWrapEnds) {
  // 23:59:59.5 as milliseconds of the day, then a second later.
  TManualClockProvider clock(86399500u);
  TDelay beforeMidnight;
  clock.Advance(1000);
  EXPECT_EQ(beforeMidnight.Elapsed(kOneSecond), 1);
  // The millisecond counter wraps: 0xFFFFFE00 + 0x400 = 0x200.
  clock.now = 0xFFFFFE00u;
  TDelay acrossWrap;
  clock.Advance(0x400);
  EXPECT_EQ(acrossWrap.Elapsed(kOneSecond), 1) << "1.024 s passed, not minus 49 days";
}

TEST(Delay, WaitsTakeTheirTime) {
  test_kit::EnsureApplication();
  QElapsedTimer clock;
  clock.start();
  TDelay::Wait(0.05);
  EXPECT_GE(clock.elapsed(), 49);
  clock.restart();
  TDelay::WaitPumping(0.05);
  EXPECT_GE(clock.elapsed(), 49);
  clock.restart();
  TDelay::Wait(std::numeric_limits<double>::quiet_NaN());  // must not hang
  EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(MessageQueue, WaitPumpingDispatchesWhileWaiting) {
  window->PostMessage(WM_USER + 5);
  TDelay::WaitPumping(0.02);
  EXPECT_EQ(window->userMessages, 1);
}
