// The window core as the dialogs, folders and plot windows use it: the update region seen
// from a paint handler, frame painting through WM_NCPAINT, HTTRANSPARENT fall-through,
// presses outside a window that holds the capture, WM_SIZE on maximize and restore, and a
// top-level window rectangle that does not depend on the desktop having framed it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <memory>
#include <vector>

#include "platform/gui/menus/accelerators.h"
#include "platform/gui/providers/qt_dialogs.h"
#include "platform/gui/windows/qt_providers.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;

struct TSeen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Records messages; optionally paints its own frame and lets its top band through.
class TCoreWindow : public TWindow {
 public:
  explicit TCoreWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_PAINT: {
        RECT update;
        updateSeen = GetUpdateRect(update) ? update : RECT{-1, -1, -1, -1};
        break;
      }
      case WM_NCPAINT:
        ++ncPaints;
        if (ownFrame) {
          QPainter painter(&WindowImage());
          painter.fillRect(WindowImage().rect(), QColor(200, 0, 0));
          return 0;
        }
        break;
      case WM_NCHITTEST:
        if (transparentBand > 0) {
          POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
          const RECT rect = GetWindowRect();
          if (point.y >= rect.top && point.y < rect.top + transparentBand) return HTTRANSPARENT;
        }
        break;
      case WM_SIZE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN:
      case WM_NCLBUTTONDOWN: case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_COMMAND: case WM_CLOSE:
        seen.push_back({msg, wParam, lParam});
        break;
      default:
        break;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  const TSeen *Last(UINT msg) const {
    for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
      if (it->msg == msg) return &*it;
    }
    return nullptr;
  }
  std::vector<TSeen> seen;
  RECT updateSeen{};
  int ncPaints = 0;
  bool ownFrame = false;
  int transparentBand = 0;
};

TCoreWindow *MakeTop(DWORD style, int x, int y, int w, int h) {
  test_kit::EnsureApplication();
  auto *top = new TCoreWindow(nullptr);
  top->Attr.Style = style;
  top->Attr.X = x;
  top->Attr.Y = y;
  top->Attr.W = w;
  top->Attr.H = h;
  EXPECT_TRUE(top->Create());
  return top;
}

TCoreWindow *MakeChild(TWindow *parent, DWORD style, int x, int y, int w, int h) {
  auto *child = new TCoreWindow(parent);
  child->Attr.Style = WS_CHILD | WS_VISIBLE | style;
  child->Attr.X = x;
  child->Attr.Y = y;
  child->Attr.W = w;
  child->Attr.H = h;
  EXPECT_TRUE(child->Create());
  return child;
}

}  // namespace

TEST(WindowCore, PaintHandlerReadsTheUpdateRectangleBeforePainting) {
  TCoreWindow *top = MakeTop(WS_POPUP | WS_VISIBLE, 10, 10, 200, 150);
  top->UpdateWindow();
  top->InvalidateRect({20, 30, 60, 70}, false);
  top->UpdateWindow();
  EXPECT_EQ(top->updateSeen.left, 20);
  EXPECT_EQ(top->updateSeen.top, 30);
  EXPECT_EQ(top->updateSeen.right, 60);
  EXPECT_EQ(top->updateSeen.bottom, 70);
  // Outside a paint, a validated window has nothing to update.
  RECT after;
  EXPECT_FALSE(top->GetUpdateRect(after));
  delete top;
}

TEST(WindowCore, FramePaintingGoesThroughWmNcPaint) {
  TCoreWindow *top = MakeTop(WS_POPUP | WS_VISIBLE, 10, 10, 200, 150);
  auto *page = new TCoreWindow(top);
  page->ownFrame = true;
  page->Attr.Style = WS_CHILD | WS_VISIBLE | WS_CAPTION;
  page->Attr.W = 120;
  page->Attr.H = 90;
  ASSERT_TRUE(page->Create());
  EXPECT_GE(page->ncPaints, 1);
  // The page painted its caption band itself: the default caption colour is gone.
  const QImage pixels = test_kit::WindowPixels(*page);
  EXPECT_EQ(pixels.pixel(5, 5), QColor(200, 0, 0).rgb());
  const int before = page->ncPaints;
  page->MoveWindow(0, 0, 140, 100, true);
  EXPECT_GT(page->ncPaints, before);
  EXPECT_EQ(test_kit::WindowPixels(*page).pixel(135, 5), QColor(200, 0, 0).rgb());
  delete top;
}

TEST(WindowCore, PressOnATransparentBandFallsThroughToTheParent) {
  TCoreWindow *top = MakeTop(WS_POPUP | WS_VISIBLE, 40, 40, 300, 200);
  TCoreWindow *page = MakeChild(top, 0, 20, 30, 200, 120);
  page->transparentBand = 18;
  ASSERT_TRUE(test_kit::RunUntil([&] { return page->IsWindowVisible(); }, kWaitMs));
  test_kit::PostMouse(*page, WM_LBUTTONDOWN, {50, 5});
  test_kit::PostMouse(*page, WM_LBUTTONUP, {50, 5});
  ASSERT_TRUE(test_kit::RunUntil([&] { return top->Last(WM_LBUTTONUP) != nullptr; }, kWaitMs));
  const TSeen *press = top->Last(WM_LBUTTONDOWN);
  ASSERT_NE(press, nullptr);
  EXPECT_EQ(GET_X_LPARAM(press->lParam), 70);  // the parent's client coordinates
  EXPECT_EQ(GET_Y_LPARAM(press->lParam), 35);
  EXPECT_EQ(page->Last(WM_LBUTTONDOWN), nullptr);
  // Below the band the page takes its own presses.
  test_kit::PostMouse(*page, WM_LBUTTONDOWN, {50, 60});
  ASSERT_TRUE(test_kit::RunUntil([&] { return page->Last(WM_LBUTTONDOWN) != nullptr; }, kWaitMs));
  delete top;
}

TEST(WindowCore, PressesOutsideTheCapturingWindowAreItsClientMessages) {
  TCoreWindow *holder = MakeTop(WS_POPUP | WS_VISIBLE, 100, 100, 120, 80);
  TCoreWindow *other = MakeTop(WS_POPUP | WS_VISIBLE, 400, 300, 120, 80);
  ASSERT_TRUE(test_kit::RunUntil([&] { return other->IsWindowVisible(); }, kWaitMs));
  holder->SetCapture();
  test_kit::PostMouse(*other, WM_LBUTTONDOWN, {10, 20});
  test_kit::PostMouse(*other, WM_RBUTTONDOWN, {10, 20});
  ASSERT_TRUE(test_kit::RunUntil([&] { return holder->Last(WM_RBUTTONDOWN) != nullptr; }, kWaitMs));
  const TSeen *left = holder->Last(WM_LBUTTONDOWN);
  ASSERT_NE(left, nullptr);
  const POINT expected = [&] {
    POINT point = other->ClientToScreen(POINT{10, 20});
    holder->ScreenToClient(point);
    return point;
  }();
  EXPECT_EQ(GET_X_LPARAM(left->lParam), expected.x);
  EXPECT_EQ(GET_Y_LPARAM(left->lParam), expected.y);
  EXPECT_GT(expected.x, 120);  // outside the holder's client area
  EXPECT_EQ(holder->Last(WM_NCLBUTTONDOWN), nullptr);
  EXPECT_EQ(other->Last(WM_LBUTTONDOWN), nullptr);
  ReleaseCapture();
  delete other;
  delete holder;
}

TEST(WindowCore, MaximizeAndRestoreReportOnlyTheNewSize) {
  TCoreWindow *top = MakeTop(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 30, 320, 240);
  ASSERT_TRUE(test_kit::RunUntil([&] { return top->IsWindowVisible(); }, kWaitMs));
  test_kit::RunFor(20);
  const RECT normal = top->GetClientRect();
  top->seen.clear();
  top->ShowWindow(SW_SHOWMAXIMIZED);
  ASSERT_TRUE(test_kit::RunUntil([&] {
    const TSeen *size = top->Last(WM_SIZE);
    return size != nullptr && size->wParam == SIZE_MAXIMIZED;
  }, kWaitMs));
  test_kit::RunFor(20);
  const RECT maximized = top->GetClientRect();
  ASSERT_GT(maximized.right, normal.right);
  for (const TSeen &entry : top->seen) {
    if (entry.msg != WM_SIZE || entry.wParam != SIZE_MAXIMIZED) continue;
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(entry.lParam)), maximized.right);
    EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(entry.lParam)), maximized.bottom);
  }
  top->seen.clear();
  top->ShowWindow(SW_RESTORE);
  ASSERT_TRUE(test_kit::RunUntil([&] {
    const TSeen *size = top->Last(WM_SIZE);
    return size != nullptr && size->wParam == SIZE_RESTORED;
  }, kWaitMs));
  for (const TSeen &entry : top->seen) {
    if (entry.msg != WM_SIZE) continue;
    EXPECT_EQ(entry.wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(entry.lParam)), normal.right);
  }
  delete top;
}

TEST(WindowCore, TopLevelWindowRectangleIsTheOneAskedShownOrNot) {
  TCoreWindow *top = MakeTop(WS_OVERLAPPEDWINDOW, 50, 60, 400, 300);
  RECT rect = top->GetWindowRect();
  EXPECT_EQ(rect.Width(), 400);
  EXPECT_EQ(rect.Height(), 300);
  // Before the desktop frames it, the client area is what the frame metrics leave.
  RECT client = top->GetClientRect();
  RECT adjusted = client;
  AdjustWindowRect(&adjusted, WS_OVERLAPPEDWINDOW, 0);
  EXPECT_EQ(adjusted.Width(), 400);
  EXPECT_EQ(adjusted.Height(), 300);
  top->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return top->IsWindowVisible(); }, kWaitMs));
  test_kit::RunFor(20);
  rect = top->GetWindowRect();
  EXPECT_EQ(rect.Width(), 400);
  EXPECT_EQ(rect.Height(), 300);
  // A placement saved and restored into the next session's window keeps its size.
  TCoreWindow *next = MakeTop(WS_OVERLAPPEDWINDOW, rect.left, rect.top, rect.Width(), rect.Height());
  next->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return next->IsWindowVisible(); }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_EQ(next->GetWindowRect().Width(), 400);
  EXPECT_EQ(next->GetWindowRect().Height(), 300);
  delete next;
  delete top;
}

TEST(WindowCore, WhileAModalWindowOrBoxRunsNoOtherWindowTakesInputWhateverItsOwner) {
  const std::unique_ptr<TCoreWindow> main(MakeTop(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200));
  const std::unique_ptr<TCoreWindow> folder(MakeTop(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 340, 20, 200, 150));
  const ACCEL undo{static_cast<BYTE>(FVIRTKEY | FCONTROL), 'Z', 7};
  SetWindowAccelerators(main->GetHandle(), CreateAcceleratorTable(&undo, 1));
  // A key, an accelerator, a menu key and a click at the main window, and while a box is up
  // the window manager's close: what it took of them.
  const auto knock = [&](bool close) {
    main->seen.clear();
    if (close) main->HostWidget()->close();
    test_kit::PostKey(*main, 'A');
    test_kit::PostKeyWith(*main, 'Z', MK_CONTROL);
    test_kit::PostKey(*main, 'P', true);
    test_kit::PostMouse(*main, WM_LBUTTONDOWN, POINT{30, 30});
    test_kit::RunFor(50);
    return main->seen.size();
  };
  TQtMessageBoxProvider boxes;
  TQtFileDialog files;
  TQtColorDialog colours;
  // kBoxOverWindow: a message box opened over the modal window, which rests that window
  // alone and leaves the others rested when it closes.
  enum TBox { kWindow, kMessageBox, kFileBox, kColourBox, kBoxOverWindow };
  struct TRow { const char *name; TBox box; TWindow *owner; };
  for (const TRow &row : {TRow{"window modal over the folder", kWindow, folder.get()}, TRow{"window without owner", kWindow, nullptr},
                          TRow{"message box over the folder", kMessageBox, folder.get()},
                          TRow{"message box without owner", kMessageBox, nullptr}, TRow{"file box without owner", kFileBox, nullptr},
                          TRow{"colour box over the folder", kColourBox, folder.get()},
                          TRow{"box over a window modal over the folder", kBoxOverWindow, folder.get()}}) {
    SCOPED_TRACE(row.name);
    auto *tool = new TCoreWindow(row.owner);
    const std::unique_ptr<TCoreWindow> orphan(row.owner == nullptr ? tool : nullptr);
    tool->Attr.Style = WS_POPUP | WS_CAPTION;
    tool->Attr.W = 120;
    tool->Attr.H = 80;
    std::size_t takenWhileUp = 99;
    bool folderRested = false, restedAfterBox = row.box != kBoxOverWindow;
    const bool ourWindow = row.box == kWindow || row.box == kBoxOverWindow;
    QTimer::singleShot(0, [&]() {
      test_kit::RunUntil([&] { return !ourWindow ? QApplication::activeModalWidget() != nullptr : tool->IsModal() && tool->IsWindowVisible(); },
                         kWaitMs);
      takenWhileUp = knock(true);
      folderRested = !folder->IsWindowEnabled();
      if (row.box == kBoxOverWindow) {
        QTimer::singleShot(0, [&] {
          test_kit::RunUntil([&] { return !tool->IsWindowEnabled() && QApplication::activeModalWidget() != nullptr; }, kWaitMs);
          QApplication::activeModalWidget()->close();
        });
        boxes.ShowMessageBox(tool->GetHandle(), "Over", "", MB_OK);
        restedAfterBox = !main->IsWindowEnabled() && !folder->IsWindowEnabled() && tool->IsWindowEnabled() && knock(false) == 0;
      }
      if (!ourWindow) QApplication::activeModalWidget()->close();
      else tool->EndModal(42);
    });
    const HWND owner = row.owner != nullptr ? row.owner->GetHandle() : nullptr;
    TFileDialogRequest request;
    request.Owner = owner;
    CHOOSECOLOR colour;
    colour.hwndOwner = owner;
    if (row.box == kMessageBox) boxes.ShowMessageBox(owner, "Up", "", MB_OK);
    else if (TFileDialogAnswer answer; row.box == kFileBox) files.Run(request, answer);
    else if (row.box == kColourBox) colours.ChooseColor(colour);
    else EXPECT_EQ(tool->Execute(), 42);
    EXPECT_EQ(takenWhileUp, 0u);
    EXPECT_TRUE(folderRested);
    EXPECT_TRUE(restedAfterBox);
    // Afterwards every window takes its input again: the key, the command, the menu key and the click.
    EXPECT_TRUE(main->IsWindowEnabled() && folder->IsWindowEnabled());
    EXPECT_EQ(knock(false), 4u);
    if (ourWindow) {
      EXPECT_FALSE(tool->IsWindow());  // Execute destroys the window it made
    }
  }
}

TEST(WindowCore, TreeCallsAndKeyStateFollowTheWindowsAndInput) {
  const std::unique_ptr<TCoreWindow> top(MakeTop(WS_POPUP | WS_VISIBLE, 60, 60, 300, 200));
  TCoreWindow *first = MakeChild(top.get(), 0, 10, 10, 50, 40);
  TCoreWindow *second = MakeChild(top.get(), 0, 100, 10, 50, 40);
  first->Attr.Id = 7;
  EXPECT_EQ(GetWindow(top->GetHandle(), GW_CHILD), first->GetHandle());
  EXPECT_EQ(GetWindow(first->GetHandle(), GW_HWNDNEXT), second->GetHandle());
  EXPECT_EQ(GetWindow(second->GetHandle(), GW_HWNDPREV), first->GetHandle());
  EXPECT_EQ(GetWindow(second->GetHandle(), GW_HWNDNEXT), nullptr);
  EXPECT_EQ(GetDlgCtrlID(first->GetHandle()), 7);
  EXPECT_TRUE(IsChild(top->GetHandle(), second->GetHandle()));
  EXPECT_FALSE(IsChild(first->GetHandle(), second->GetHandle()));
  ASSERT_TRUE(test_kit::RunUntil([&] { return second->IsWindowVisible(); }, kWaitMs));
  EXPECT_EQ(WindowFromPoint(second->ClientToScreen(POINT{5, 5})), second->GetHandle());
  EXPECT_EQ(WindowFromPoint(top->ClientToScreen(POINT{80, 150})), top->GetHandle());
  // Shift is down while a shifted key is typed, and up after.
  SHORT during = 0;
  struct TKeyWatcher : TCoreWindow {
    using TCoreWindow::TCoreWindow;
    SHORT *during = nullptr;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
      if (msg == WM_KEYDOWN && wParam == VK_TAB && during != nullptr) *during = GetKeyState(VK_SHIFT);
      return TCoreWindow::WindowProc(msg, wParam, lParam);
    }
  };
  auto *watcher = new TKeyWatcher(top.get());
  watcher->Attr.Style = WS_CHILD | WS_VISIBLE;
  watcher->during = &during;
  ASSERT_TRUE(watcher->Create());
  test_kit::PostKeyWith(*watcher, VK_TAB, MK_SHIFT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return during != 0; }, kWaitMs));
  EXPECT_TRUE(during & 0x8000);
}
