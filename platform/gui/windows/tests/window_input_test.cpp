// Mouse and key input from Qt as window messages, timers, focus and capture.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QWidget>
#include <vector>

#include "platform/core/recording_providers.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;

struct TSeen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Records every message of interest with its raw parameters.
class TInputWindow : public TWindow {
 public:
  explicit TInputWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR:
      case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_SYSCHAR: case WM_TIMER: case WM_SETFOCUS:
      case WM_KILLFOCUS: case WM_VSCROLL: case WM_HSCROLL: case WM_DESTROY:
        seen.push_back({msg, wParam, lParam});
        break;
      default:
        break;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  void GetWindowClass(TWindowClass &classInfo) override {
    TWindow::GetWindowClass(classInfo);
    if (doubleClicks) classInfo.Style |= CS_DBLCLKS;
  }
  int Count(UINT msg) const {
    int count = 0;
    for (const TSeen &entry : seen) count += entry.msg == msg ? 1 : 0;
    return count;
  }
  const TSeen *Last(UINT msg) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
      if (it->msg == msg) return &*it;
    }
    return nullptr;
  }
  std::vector<TSeen> seen;
  bool doubleClicks = false;
};

TWindow *MakeFrame() {
  test_kit::EnsureApplication();
  auto *frame = new TWindow(nullptr, "frame");
  frame->Attr.Style = WS_POPUP | WS_VISIBLE;
  frame->Attr.W = 300;
  frame->Attr.H = 200;
  EXPECT_TRUE(frame->Create());
  return frame;
}

TInputWindow *MakeChild(TWindow *frame, DWORD style = 0, bool doubleClicks = false) {
  auto *child = new TInputWindow(frame);
  child->doubleClicks = doubleClicks;
  child->Attr.Style = WS_CHILD | WS_VISIBLE | style;
  child->Attr.X = 20;
  child->Attr.Y = 10;
  child->Attr.W = 150;
  child->Attr.H = 120;
  EXPECT_TRUE(child->Create());
  return child;
}

}  // namespace

TEST(WindowInput, MouseButtonsArriveInClientCoordinatesWithKeyState) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame, WS_CAPTION);
  test_kit::PostMouse(*child, WM_LBUTTONDOWN, {7, 9}, MK_SHIFT);
  test_kit::PostMouse(*child, WM_MOUSEMOVE, {-3, 40}, MK_LBUTTON);
  test_kit::PostMouse(*child, WM_LBUTTONUP, {12, 40});
  test_kit::PostMouse(*child, WM_RBUTTONDOWN, {1, 2}, MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return child->Count(WM_RBUTTONDOWN) == 1; }, kWaitMs))
      << [&] { std::string t; for (auto &e : child->seen) t += std::to_string(e.msg) + " "; return t; }();
  const TSeen *down = child->Last(WM_LBUTTONDOWN);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(GET_X_LPARAM(down->lParam), 7);
  EXPECT_EQ(GET_Y_LPARAM(down->lParam), 9);
  EXPECT_EQ(down->wParam, MK_LBUTTON | MK_SHIFT);
  const TSeen *move = child->Last(WM_MOUSEMOVE);
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(GET_X_LPARAM(move->lParam), -3) << "negative client coordinates keep their sign";
  EXPECT_EQ(move->wParam, MK_LBUTTON);
  const TSeen *up = child->Last(WM_LBUTTONUP);
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(up->wParam, 0u);
  EXPECT_EQ(child->Last(WM_RBUTTONDOWN)->wParam, MK_RBUTTON | MK_CONTROL);
  delete frame;
}

// The case above ends on a control-click, the hand still on the key: whatever ran before,
// a case starts with no key and no button held (in this file's order, run whole, it follows).
TEST(WindowInput, EachCaseStartsWithNothingHeld) {
  test_kit::EnsureApplication();
  for (int key = 1; key < 256; ++key) EXPECT_EQ(GetKeyState(key), 0) << "key " << key;
}

TEST(WindowInput, DoubleClickNeedsTheClassStyle) {
  TWindow *frame = MakeFrame();
  TInputWindow *plain = MakeChild(frame);
  TInputWindow *doubling = MakeChild(frame, 0, true);
  for (TInputWindow *window : {plain, doubling}) {
    test_kit::PostMouse(*window, WM_LBUTTONDOWN, {5, 5});
    test_kit::PostMouse(*window, WM_LBUTTONUP, {5, 5});
    test_kit::PostMouse(*window, WM_LBUTTONDBLCLK, {5, 5});
    test_kit::PostMouse(*window, WM_LBUTTONUP, {5, 5});
  }
  ASSERT_TRUE(test_kit::RunUntil([&] { return doubling->Count(WM_LBUTTONUP) == 2; }, kWaitMs));
  EXPECT_EQ(plain->Count(WM_LBUTTONDOWN), 2);
  EXPECT_EQ(plain->Count(WM_LBUTTONDBLCLK), 0);
  EXPECT_EQ(doubling->Count(WM_LBUTTONDOWN), 1);
  EXPECT_EQ(doubling->Count(WM_LBUTTONDBLCLK), 1);
  delete frame;
}

TEST(WindowInput, KeysBecomeVirtualKeyCodesAndCharacters) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame);
  test_kit::PostKey(*child, 'A');
  test_kit::PostKey(*child, VK_ESCAPE);
  test_kit::PostKey(*child, VK_TAB);
  test_kit::PostKey(*child, VK_F5);
  test_kit::PostKey(*child, 'X', true);
  ASSERT_TRUE(test_kit::RunUntil([&] { return child->Count(WM_SYSKEYUP) == 1; }, kWaitMs));
  std::vector<WPARAM> downs;
  std::vector<WPARAM> chars;
  for (const TSeen &entry : child->seen) {
    if (entry.msg == WM_KEYDOWN) downs.push_back(entry.wParam);
    if (entry.msg == WM_CHAR) chars.push_back(entry.wParam);
  }
  EXPECT_EQ(downs, (std::vector<WPARAM>{'A', VK_ESCAPE, VK_TAB, 0x74}));
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 27, 9}));
  const TSeen *alt = child->Last(WM_SYSKEYDOWN);
  ASSERT_NE(alt, nullptr);
  EXPECT_EQ(alt->wParam, static_cast<WPARAM>('X'));
  EXPECT_NE(alt->lParam & KF_ALTDOWN_BIT, 0);
  const TSeen *up = child->Last(WM_KEYUP);
  ASSERT_NE(up, nullptr);
  EXPECT_NE(up->lParam & KF_UP_BIT, 0);
  delete frame;
}

TEST(WindowTimer, TicksEveryPeriodAndStopsWhenKilled) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame);
  ASSERT_EQ(child->SetTimer(10000, 100), 10000u);
  test_kit::RunFor(550);
  const int ticks = child->Count(WM_TIMER);
  EXPECT_GE(ticks, 4);
  EXPECT_LE(ticks, 6);
  EXPECT_EQ(child->Last(WM_TIMER)->wParam, 10000u);
  EXPECT_TRUE(child->KillTimer(10000));
  EXPECT_FALSE(child->KillTimer(10000)) << "a timer is killed once";
  test_kit::RunFor(250);
  EXPECT_EQ(child->Count(WM_TIMER), ticks);
  delete frame;
}

TEST(WindowTimer, BusyLoopCoalescesTicksIntoOne) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame);
  child->SetTimer(1, 10);
  QElapsedTimer busy;
  busy.start();
  while (busy.elapsed() < 200) {
  }
  // Twenty periods passed without a loop: only one tick may be waiting.
  QCoreApplication::processEvents();
  EXPECT_LE(child->Count(WM_TIMER), 1);
  child->KillTimer(1);
  delete frame;
}

TEST(WindowTimer, DestroyingTheWindowStopsItsTimers) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame);
  child->SetTimer(3, 5);
  child->Destroy();
  test_kit::RunFor(50);
  EXPECT_EQ(child->Count(WM_TIMER), 0);
  EXPECT_EQ(child->SetTimer(3, 5), 0u) << "no timers without a window";
  delete frame;
}

TEST(WindowFocus, SetFocusTellsBothWindows) {
  TWindow *frame = MakeFrame();
  TInputWindow *first = MakeChild(frame);
  TInputWindow *second = MakeChild(frame);
  first->SetFocus();
  EXPECT_EQ(GetFocus(), first->GetHandle());
  const HWND previous = second->SetFocus();
  EXPECT_EQ(previous, first->GetHandle());
  EXPECT_EQ(GetFocus(), second->GetHandle());
  const TSeen *kill = first->Last(WM_KILLFOCUS);
  ASSERT_NE(kill, nullptr);
  EXPECT_EQ(kill->wParam, reinterpret_cast<WPARAM>(second->GetHandle()));
  const TSeen *set = second->Last(WM_SETFOCUS);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->wParam, reinterpret_cast<WPARAM>(first->GetHandle()));
  second->Destroy();
  EXPECT_EQ(GetFocus(), nullptr) << "a destroyed window holds no focus";
  delete frame;
}

TEST(WindowFocus, ActivatedTopLevelWindowTakesFocusUnlessAChildHasIt) {
  TWindow *first = MakeFrame();
  TInputWindow *child = MakeChild(first);
  TWindow *second = MakeFrame();
  child->SetFocus();
  second->HostWidget()->activateWindow();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == second->GetHandle(); }, kWaitMs));
  EXPECT_EQ(child->Last(WM_KILLFOCUS)->wParam, reinterpret_cast<WPARAM>(second->GetHandle()));
  // Clicking a child window gives it no focus by itself.
  test_kit::PostMouse(*child, WM_LBUTTONDOWN, {3, 3});
  test_kit::PostMouse(*child, WM_LBUTTONUP, {3, 3});
  ASSERT_TRUE(test_kit::RunUntil([&] { return child->Count(WM_LBUTTONUP) == 1; }, kWaitMs));
  EXPECT_NE(GetFocus(), child->GetHandle());
  delete second;
  delete first;
}

TEST(WindowFocus, QtControlInsideAWindowGivesThatWindowTheFocus) {
  TWindow *frame = MakeFrame();
  TInputWindow *first = MakeChild(frame);
  TInputWindow *second = MakeChild(frame);
  frame->HostWidget()->activateWindow();
  first->SetFocus();
  QLineEdit edit(second->HostWidget());
  edit.show();
  edit.setFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == second->GetHandle(); }, kWaitMs));
  EXPECT_TRUE(edit.hasFocus()) << "the control keeps Qt's focus";
  EXPECT_EQ(first->Last(WM_KILLFOCUS)->wParam, reinterpret_cast<WPARAM>(second->GetHandle()));
  delete frame;
}

TEST(WindowFocus, CaptureIsHeldAndReleased) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame);
  EXPECT_EQ(child->SetCapture(), nullptr);
  EXPECT_EQ(GetCapture(), child->GetHandle());
  ReleaseCapture();
  EXPECT_EQ(GetCapture(), nullptr);
  child->SetCapture();
  delete frame;
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST(MessageBoxProvider, RecordingProviderReadsBackABoxFromAHandler) {
  TRecordingMessageBoxProvider boxes;
  boxes.QueueAnswer(IDNO);
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame);
  int answer = 0;
  // The box is asked for from inside a dispatched message, as window code does.
  class TAsking : public TWindow {
   public:
    TAsking(TWindow *parentWindow, int *result) : TWindow(parentWindow), answer(result) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
      if (msg == WM_USER + 1) {
        *answer = MessageBox(GetHandle(), "Save changes?", "Warning", MB_YESNO | MB_ICONQUESTION);
        MessageBeep(MB_SIMPLEBEEP);
        return 0;
      }
      return TWindow::WindowProc(msg, wParam, lParam);
    }
    int *answer;
  };
  auto *asking = new TAsking(child, &answer);
  ASSERT_TRUE(asking->Create());
  asking->PostMessage(WM_USER + 1);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !boxes.boxes.empty(); }, kWaitMs));
  EXPECT_EQ(boxes.boxes[0].text, "Save changes?");
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_EQ(boxes.boxes[0].flags, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(boxes.boxes[0].owner, asking->GetHandle());
  EXPECT_EQ(answer, IDNO);
  ASSERT_EQ(boxes.beeps.size(), 1u);
  EXPECT_EQ(boxes.beeps[0], MB_SIMPLEBEEP);
  delete frame;
}

TEST(WindowInput, ScrollBarActionsReportCodesAndWaitForSetScrollPos) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame, WS_VSCROLL);
  child->SetScrollRange(SB_VERT, 0, 40);
  child->SetScrollPos(SB_VERT, 10);
  QScrollBar *bar = child->HostWidget()->findChild<QScrollBar *>();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->value(), 10);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  std::vector<WPARAM> codes;
  for (const TSeen &entry : child->seen) {
    if (entry.msg == WM_VSCROLL) codes.push_back(LOWORD(entry.wParam));
  }
  EXPECT_EQ(codes, (std::vector<WPARAM>{SB_LINEDOWN, SB_PAGEUP, SB_BOTTOM}));
  EXPECT_EQ(bar->value(), 10) << "the box moves only when the window says";
  child->SetScrollPos(SB_VERT, 25);
  EXPECT_EQ(bar->value(), 25);
  // Dragging the box reports its place.
  bar->setSliderPosition(33);
  const TSeen *track = child->Last(WM_VSCROLL);
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(LOWORD(track->wParam), SB_THUMBTRACK);
  EXPECT_EQ(HIWORD(track->wParam), 33);
  delete frame;
}

TEST(WindowInput, ClosingTheDesktopWindowDestroysIt) {
  test_kit::EnsureApplication();
  auto *top = new TInputWindow(nullptr);
  top->Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  top->Attr.W = 200;
  top->Attr.H = 100;
  ASSERT_TRUE(top->Create());
  top->HostWidget()->close();
  EXPECT_FALSE(top->IsWindow());
  EXPECT_EQ(top->Count(WM_DESTROY), 1);
  delete top;
}

TEST(WindowInput, DraggingADrawnCaptionMovesTheWindow) {
  TWindow *frame = MakeFrame();
  TInputWindow *child = MakeChild(frame, WS_CAPTION);
  const RECT before = child->GetWindowRect();
  // The caption lies above the client area: negative client y.
  test_kit::PostMouse(*child, WM_LBUTTONDOWN, {10, -8});
  test_kit::PostMouse(*child, WM_MOUSEMOVE, {30, -3}, MK_LBUTTON);
  test_kit::PostMouse(*child, WM_LBUTTONUP, {30, -3});
  ASSERT_TRUE(test_kit::RunUntil([&] { return child->GetWindowRect().left != before.left; }, kWaitMs));
  test_kit::RunFor(10);
  const RECT after = child->GetWindowRect();
  EXPECT_EQ(after.left - before.left, 20);
  EXPECT_EQ(after.top - before.top, 5);
  EXPECT_EQ(child->Count(WM_LBUTTONDOWN), 0) << "a caption press is no client press";
  delete frame;
}
