// Window and client rectangles, the drawn frame, scroll bars, moves and z-order.

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/scroller.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

// Records WM_SIZE and WM_MOVE as they arrive.
class TSizeWatcher : public TWindow {
 public:
  explicit TSizeWatcher(TWindow *parentWindow) : TWindow(parentWindow) {}
  bool Find(TEventInfo &info) override;
  void EvSize(UINT sizeType, const SIZE &size) {
    sizes.push_back(size);
    lastSizeType = sizeType;
    TWindow::EvSize(sizeType, size);
  }
  void EvMove(const POINT &origin) { moves.push_back(origin); }
  std::vector<SIZE> sizes;
  std::vector<POINT> moves;
  UINT lastSizeType = 99;
};

const TResponseTableEntry kSizeWatcherTable[] = {
    EvMessage<WM_SIZE, &TSizeWatcher::EvSize>(),
    EvMessage<WM_MOVE, &TSizeWatcher::EvMove>(),
};

bool TSizeWatcher::Find(TEventInfo &info) {
  return SearchResponseTable(kSizeWatcherTable, info) || TWindow::Find(info);
}

TWindow *MakeFrame() {
  test_kit::EnsureApplication();
  auto *frame = new TWindow(nullptr, "frame");
  frame->Attr.Style = WS_POPUP | WS_VISIBLE;
  frame->Attr.X = 100;
  frame->Attr.Y = 50;
  frame->Attr.W = 400;
  frame->Attr.H = 300;
  EXPECT_TRUE(frame->Create());
  return frame;
}

TSizeWatcher *MakeChild(TWindow *frame, DWORD style, int x, int y, int w, int h) {
  auto *child = new TSizeWatcher(frame);
  child->Attr.Style = WS_CHILD | WS_VISIBLE | style;
  child->Attr.X = x;
  child->Attr.Y = y;
  child->Attr.W = w;
  child->Attr.H = h;
  EXPECT_TRUE(child->Create());
  return child;
}

}  // namespace

TEST(WindowGeometry, PlainChildClientIsItsWindow) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *child = MakeChild(frame, 0, 10, 20, 120, 80);
  const RECT client = child->GetClientRect();
  EXPECT_EQ(client.right, 120);
  EXPECT_EQ(client.bottom, 80);
  EXPECT_EQ(child->ClientOrigin().x, 0);
  const RECT window = child->GetWindowRect();
  EXPECT_EQ(window.left, 110);  // frame at 100 on the screen, child 10 inside it
  EXPECT_EQ(window.top, 70);
  ASSERT_FALSE(child->sizes.empty());
  EXPECT_EQ(child->sizes.back().cx, 120);
  EXPECT_EQ(child->sizes.back().cy, 80);
  ASSERT_FALSE(child->moves.empty());
  EXPECT_EQ(child->moves.back().x, 10);  // parent's client coordinates
  delete frame;
}

TEST(WindowGeometry, CaptionedChildDrawsItsFrameAndCaption) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CYCAPTION, 20);
  TWindow *frame = MakeFrame();
  // WS_CAPTION gives the dialog frame (3) on every side and the caption (20) on top.
  TSizeWatcher *child = MakeChild(frame, WS_CAPTION, 0, 0, 200, 150);
  const RECT client = child->GetClientRect();
  EXPECT_EQ(client.right, 200 - 2 * 3);
  EXPECT_EQ(client.bottom, 150 - 2 * 3 - 20);
  EXPECT_EQ(child->ClientOrigin().x, 3);
  EXPECT_EQ(child->ClientOrigin().y, 23);
  const RECT inImage = child->ClientRectInImage();
  EXPECT_EQ(inImage.left, 3);
  EXPECT_EQ(inImage.bottom, 147);
  POINT point{0, 0};
  child->ClientToScreen(point);
  EXPECT_EQ(point.x, 100 + 3);
  EXPECT_EQ(point.y, 50 + 23);
  child->ScreenToClient(point);
  EXPECT_EQ(point.x, 0);
  EXPECT_EQ(point.y, 0);
  // The caption band is drawn into the image, the client is not part of it.
  const QImage image = test_kit::WindowPixels(*child);
  EXPECT_NE(image.pixel(50, 10), image.pixel(50, 100));
  delete frame;
}

TEST(WindowGeometry, BorderAndThickFrameWidths) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *bordered = MakeChild(frame, WS_BORDER, 0, 0, 100, 100);
  EXPECT_EQ(bordered->GetClientRect().right, 98);
  TSizeWatcher *thick = MakeChild(frame, WS_THICKFRAME, 0, 0, 100, 100);
  EXPECT_EQ(thick->GetClientRect().right, 92);
  EXPECT_EQ(thick->GetClientRect().bottom, 92);
  delete frame;
}

TEST(WindowGeometry, ScrollBarsTakeTheirWidthFromTheClient) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *child = MakeChild(frame, WS_HSCROLL | WS_VSCROLL | WS_BORDER, 0, 0, 200, 100);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(child->GetClientRect().right, 200 - 2 - bar);
  EXPECT_EQ(child->GetClientRect().bottom, 100 - 2 - GetSystemMetrics(SM_CYHSCROLL));
  // An empty range takes the vertical bar away: the client widens and WM_SIZE says so.
  child->sizes.clear();
  child->SetScrollRange(SB_VERT, 0, 0);
  EXPECT_EQ(child->GetStyle() & WS_VSCROLL, 0u);
  EXPECT_EQ(child->GetClientRect().right, 198);
  ASSERT_EQ(child->sizes.size(), 1u);
  EXPECT_EQ(child->sizes[0].cx, 198);
  // A real range brings it back.
  child->SetScrollRange(SB_VERT, 0, 50);
  EXPECT_NE(child->GetStyle() & WS_VSCROLL, 0u);
  EXPECT_EQ(child->GetClientRect().right, 198 - bar);
  EXPECT_EQ(child->SetScrollPos(SB_VERT, 80), 0);
  EXPECT_EQ(child->GetScrollPos(SB_VERT), 50) << "position clamped to the range";
  delete frame;
}

TEST(WindowGeometry, MoveWindowAndSetWindowPosFlags) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *child = MakeChild(frame, 0, 0, 0, 50, 40);
  child->sizes.clear();
  child->moves.clear();
  EXPECT_TRUE(child->MoveWindow(30, 35, 60, 70, true));
  ASSERT_EQ(child->sizes.size(), 1u);
  EXPECT_EQ(child->sizes[0].cx, 60);
  ASSERT_EQ(child->moves.size(), 1u);
  EXPECT_EQ(child->moves[0].y, 35);
  // SWP_NOSIZE keeps the size, SWP_NOMOVE the place.
  EXPECT_TRUE(child->SetWindowPos(nullptr, 5, 6, 999, 999, SWP_NOSIZE | SWP_NOZORDER));
  RECT rect = child->GetWindowRect();
  EXPECT_EQ(rect.left, 105);
  EXPECT_EQ(rect.Width(), 60);
  EXPECT_TRUE(child->SetWindowPos(nullptr, 77, 77, 20, 10, SWP_NOMOVE | SWP_NOZORDER));
  rect = child->GetWindowRect();
  EXPECT_EQ(rect.left, 105);
  EXPECT_EQ(rect.Height(), 10);
  // Hide and show through the flags.
  child->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_HIDEWINDOW);
  EXPECT_FALSE(child->IsWindowVisible());
  child->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  EXPECT_TRUE(child->IsWindowVisible());
  // A negative size is an empty window, not a crash.
  EXPECT_TRUE(child->MoveWindow(0, 0, -5, -5));
  EXPECT_EQ(child->GetClientRect().right, 0);
  delete frame;
}

TEST(WindowGeometry, ZOrderAmongSiblings) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *lower = MakeChild(frame, 0, 0, 0, 50, 50);
  TSizeWatcher *upper = MakeChild(frame, 0, 0, 0, 50, 50);
  QWidget *parentHost = frame->HostWidget();
  auto order = [&] { return parentHost->children().indexOf(lower->HostWidget()) <
                            parentHost->children().indexOf(upper->HostWidget()); };
  EXPECT_TRUE(order()) << "the later sibling is on top";
  lower->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_FALSE(order());
  lower->SetWindowPos(upper->GetHandle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(order()) << "placed behind the given window";
  delete frame;
}

TEST(WindowGeometry, TopLevelMinimizeIsIconicAndReportsIt) {
  test_kit::EnsureApplication();
  auto *top = new TSizeWatcher(nullptr);
  top->Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  top->Attr.X = top->Attr.Y = 20;
  top->Attr.W = 300;
  top->Attr.H = 200;
  ASSERT_TRUE(top->Create());
  EXPECT_FALSE(top->IsIconic());
  top->ShowWindow(SW_MINIMIZE);
  EXPECT_TRUE(test_kit::RunUntil([&] { return top->IsIconic(); }, test_kit::kPatienceMs));
  EXPECT_TRUE(IsIconic(top->GetHandle()));
  EXPECT_EQ(top->lastSizeType, SIZE_MINIMIZED);
  top->ShowWindow(SW_RESTORE);
  EXPECT_TRUE(test_kit::RunUntil([&] { return !top->IsIconic(); }, test_kit::kPatienceMs));
  delete top;
}

TEST(WindowGeometry, AHiddenFramedWindowKeepsItsOuterRectangle) {
  // A window that stores its place as it goes hides first: its rectangle read then must be
  // the one it had on the screen, or it comes back shifted by its frame every time.
  test_kit::EnsureApplication();
  auto *top = new TSizeWatcher(nullptr);
  top->Attr.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  top->Attr.X = 60;
  top->Attr.Y = 40;
  top->Attr.W = 240;
  top->Attr.H = 160;
  ASSERT_TRUE(top->Create());
  test_kit::RunFor(30);
  top->MoveWindow(97, 63, 240, 160, false);
  test_kit::RunFor(30);
  const RECT shown = top->GetWindowRect();
  EXPECT_EQ(shown.left, 97);
  EXPECT_EQ(shown.top, 63);
  top->ShowWindow(SW_HIDE);
  const RECT hidden = top->GetWindowRect();
  EXPECT_EQ(hidden.left, shown.left);
  EXPECT_EQ(hidden.top, shown.top);
  EXPECT_EQ(hidden.right, shown.right);
  EXPECT_EQ(hidden.bottom, shown.bottom);
  delete top;
}

TEST(Scroller, LinePageAndThumbCodesMoveWithinTheRange) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *child = MakeChild(frame, WS_VSCROLL | WS_HSCROLL, 0, 0, 116, 116);
  child->Scroller = new TScroller(child, 10, 10, 30, 20);
  child->Scroller->SetPageSize();
  child->Scroller->SetSBarRange();
  EXPECT_EQ(child->Scroller->YPage, 10);  // 100 client pixels / 10
  child->SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(child->Scroller->YPos, 1);
  child->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(child->Scroller->YPos, 11);
  child->SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(child->Scroller->YPos, 20);
  child->SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(child->Scroller->YPos, 20) << "never past the range";
  child->SendMessage(WM_HSCROLL, SB_THUMBTRACK | (7u << 16), 0);
  EXPECT_EQ(child->Scroller->XPos, 7);
  EXPECT_EQ(child->GetScrollPos(SB_HORZ), 7);
  child->SendMessage(WM_HSCROLL, SB_LINEUP, 0);
  child->Scroller->ScrollTo(-50, -50);
  EXPECT_EQ(child->Scroller->XPos, 0);
  EXPECT_EQ(child->Scroller->YPos, 0);
  delete frame;
}

TEST(WindowGeometry, AdjustWindowRectAddsTheFrameOfTheStyle) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CYCAPTION, 18);
  screen.SetMetric(SM_CYMENU, 20);
  RECT rect{10, 10, 110, 60};
  ASSERT_TRUE(AdjustWindowRect(&rect, WS_CAPTION | WS_THICKFRAME, 1));
  EXPECT_EQ(rect.left, 10 - 4);
  EXPECT_EQ(rect.top, 10 - 4 - 18 - 20);
  EXPECT_EQ(rect.right, 110 + 4);
  EXPECT_EQ(rect.bottom, 60 + 4);
  RECT bordered{0, 0, 10, 10};
  AdjustWindowRect(&bordered, WS_BORDER, 0);
  EXPECT_EQ(bordered.Width(), 12);
  EXPECT_FALSE(AdjustWindowRect(nullptr, WS_BORDER, 0));
}

TEST(WindowGeometry, WindowLongsReadAndChangeStyleAndId) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *child = MakeChild(frame, 0, 0, 0, 80, 60);
  child->Attr.Id = 55;
  const HWND handle = child->GetHandle();
  EXPECT_EQ(GetWindowLong(handle, GWL_ID), 55);
  const LONG style = GetWindowLong(handle, GWL_STYLE);
  EXPECT_NE(static_cast<DWORD>(style) & WS_CHILD, 0u);
  SetWindowLong(handle, GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(style) | WS_BORDER));
  EXPECT_EQ(child->GetClientRect().right, 78) << "the new border takes its place";
  EXPECT_EQ(GetWindowLong(nullptr, GWL_STYLE), 0);
  delete frame;
}

TEST(WindowGeometry, AbsurdSizesAreCut) {
  TWindow *frame = MakeFrame();
  TSizeWatcher *child = MakeChild(frame, 0, 0, 0, 80, 60);
  EXPECT_TRUE(child->MoveWindow(0, 0, 1000000, 20));
  EXPECT_EQ(child->GetClientRect().right, kMaxWindowExtent);
  EXPECT_EQ(child->WindowImage().width(), kMaxWindowExtent);
  delete frame;
}

namespace {

// A top-level window owned by `owner`, shown at the rectangle.
TWindow *MakeOwned(TWindow *owner, const RECT &at) {
  auto *window = new TWindow(owner, "owned");
  window->Attr.Style = WS_POPUP | WS_VISIBLE;
  window->Attr.X = at.left;
  window->Attr.Y = at.top;
  window->Attr.W = at.right - at.left;
  window->Attr.H = at.bottom - at.top;
  EXPECT_TRUE(window->Create());
  return window;
}

std::string Corners(const RECT &r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

}  // namespace

TEST(WindowGeometry, AWindowOpeningOnAnotherCornerStepsAsideByACaption) {
  TScriptedScreenProvider screen;
  std::unique_ptr<TWindow> frame(MakeFrame());
  const int step = GetSystemMetrics(SM_CYCAPTION);
  ASSERT_GT(step, 0);
  const RECT corner{40, 40, 240, 190};
  MakeOwned(frame.get(), corner);
  MakeOwned(frame.get(), RECT{40 + step, 40 + step, 240 + step, 190 + step});
  TWindow *third = MakeOwned(frame.get(), RECT{500, 400, 600, 500});
  // Two windows down the cascade already: the third takes the next step, keeping its size.
  EXPECT_EQ(Corners(PlaceCascaded(*third, corner, SIZE{0, 0})),
            Corners(RECT{40 + 2 * step, 40 + 2 * step, 240 + 2 * step, 190 + 2 * step}));
  // A free corner is kept, and the window's own corner does not push it away.
  EXPECT_EQ(Corners(PlaceCascaded(*third, RECT{500, 400, 600, 500}, SIZE{0, 0})), Corners(RECT{500, 400, 600, 500}));
  // Against the screen's bottom right corner there is no step left: it stays on the screen.
  const RECT last{1024 - 200, 768 - 150, 1024, 768};
  MakeOwned(frame.get(), last);
  EXPECT_EQ(Corners(PlaceCascaded(*third, last, SIZE{0, 0})), Corners(last));
}
