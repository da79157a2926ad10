// Window contexts: drawing into a window's image inside and outside its paint message.

#include "platform/gui/drawing/window_dc.h"

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

constexpr COLORREF kInk = RGB(20, 40, 220);
constexpr COLORREF kBackground = RGB(255, 255, 255);

// Fills the whole client area in its paint, whatever rectangle it is asked to paint.
class TFillingWindow : public TWindow {
 public:
  explicit TFillingWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  void Paint(TDC &dc, bool, RECT &) override {
    ++paints;
    TBrush ink(kInk);
    dc.FillRect(RECT{0, 0, 1000, 1000}, ink);
  }
  int paints = 0;
};

class WindowContexts : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    InstallPaintDispatcher();
    frame = new TWindow(nullptr, "frame");
    frame->Attr.Style = WS_POPUP | WS_VISIBLE;
    frame->Attr.W = 300;
    frame->Attr.H = 200;
    ASSERT_TRUE(frame->Create());
  }
  void TearDown() override { delete frame; }

  template <class Window = TWindow>
  Window *MakeChild(DWORD style, int w, int h) {
    auto *child = new Window(frame);
    child->Attr.Style = WS_CHILD | WS_VISIBLE | style;
    child->Attr.W = w;
    child->Attr.H = h;
    child->SetBkgndColor(kBackground);
    EXPECT_TRUE(child->Create());
    child->UpdateWindow();
    return child;
  }

  TWindow *frame = nullptr;
};

}  // namespace

TEST_F(WindowContexts, DrawingOutsidePaintShowsInTheImage) {
  TWindow *child = MakeChild(0, 80, 60);
  {
    TClientDC dc(*child);
    dc.SetPixel(5, 6, kInk);
    dc.MoveTo(0, 10);
    dc.LineTo(30, 10);
  }
  EXPECT_EQ(test_kit::ClientPixel(*child, 5, 6), kInk);
  EXPECT_EQ(test_kit::ClientPixel(*child, 29, 10), RGB(0, 0, 0));
  EXPECT_EQ(test_kit::ClientPixel(*child, 30, 10), kBackground);
}

TEST_F(WindowContexts, ClientAndWholeWindowContextsOfACaptionedChild) {
  TWindow *child = MakeChild(WS_CAPTION, 100, 80);
  const POINT origin = child->ClientOrigin();
  ASSERT_GT(origin.y, 0);
  TClientDC client(*child);
  const RECT clientRect = child->GetClientRect();
  EXPECT_EQ(client.GetDeviceCaps(HORZRES), clientRect.right);
  EXPECT_EQ(client.GetDeviceCaps(VERTRES), clientRect.bottom);
  TPaintDC paint(*child, RECT{5, 5, 10, 10});
  EXPECT_EQ(paint.GetDeviceCaps(HORZRES), clientRect.right);
  client.SetPixel(0, 0, kInk);
  EXPECT_EQ(ColorOfPixel(child->WindowImage().pixel(origin.x, origin.y)), kInk);
  // The client context cannot reach the caption band above it.
  EXPECT_EQ(client.SetPixel(0, -1, kInk), CLR_INVALID);
  TWindowDC whole(*child);
  whole.SetPixel(1, 1, RGB(1, 2, 3));
  EXPECT_EQ(ColorOfPixel(child->WindowImage().pixel(1, 1)), RGB(1, 2, 3));
  EXPECT_EQ(whole.GetPixel(origin.x, origin.y), kInk);
}

TEST_F(WindowContexts, PaintMessagesDrawThroughAPaintContextClippedToTheUpdate) {
  auto *child = MakeChild<TFillingWindow>(0, 80, 60);
  EXPECT_GE(child->paints, 1);
  EXPECT_EQ(test_kit::ClientPixel(*child, 79, 59), kInk);
  {
    TBrush white(kBackground);
    TClientDC dc(*child);
    dc.FillRect(RECT{0, 0, 80, 60}, white);
  }
  child->InvalidateRect({10, 10, 20, 20}, false);
  child->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*child, 10, 10), kInk);
  EXPECT_EQ(test_kit::ClientPixel(*child, 19, 19), kInk);
  EXPECT_EQ(test_kit::ClientPixel(*child, 20, 20), kBackground);
  EXPECT_EQ(test_kit::ClientPixel(*child, 9, 15), kBackground);
}

TEST_F(WindowContexts, AKeptContextFollowsTheWindowThroughResizes) {
  TWindow *child = MakeChild(0, 40, 30);
  TClientDC dc(*child);
  child->MoveWindow(0, 0, 120, 90, true);
  child->UpdateWindow();
  dc.SetPixel(100, 80, kInk);
  EXPECT_EQ(test_kit::ClientPixel(*child, 100, 80), kInk);
  child->MoveWindow(0, 0, 20, 20, true);
  EXPECT_EQ(dc.SetPixel(100, 80, kInk), CLR_INVALID);
  dc.SetPixel(3, 3, kInk);
  EXPECT_EQ(test_kit::ClientPixel(*child, 3, 3), kInk);
}

TEST_F(WindowContexts, AContextOfADestroyedWindowDrawsNothing) {
  TWindow *child = MakeChild(0, 40, 30);
  auto *dc = new TClientDC(*child);
  child->Destroy();
  EXPECT_EQ(dc->SetPixel(1, 1, kInk), CLR_INVALID);
  EXPECT_TRUE(dc->LineTo(10, 10));
  delete dc;
}

TEST_F(WindowContexts, HandleFunctionsMakeAndReleaseContexts) {
  TWindow *child = MakeChild(WS_BORDER, 50, 50);
  HDC client = GetDC(child->GetHandle());
  ASSERT_NE(client, nullptr);
  TDC::FromHandle(client)->SetPixel(2, 2, kInk);
  EXPECT_EQ(ReleaseDC(child->GetHandle(), client), 1);
  EXPECT_EQ(test_kit::ClientPixel(*child, 2, 2), kInk);
  HDC whole = GetWindowDC(child->GetHandle());
  ASSERT_NE(whole, nullptr);
  EXPECT_EQ(TDC::FromHandle(whole)->GetPixel(0, 0), RGB(0, 0, 0));
  ReleaseDC(child->GetHandle(), whole);
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x1234)), nullptr);
  EXPECT_EQ(ReleaseDC(nullptr, nullptr), 0);
}

namespace {

class TOwnContextWindow : public TWindow {
 public:
  explicit TOwnContextWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  void GetWindowClass(TWindowClass &classInfo) override {
    TWindow::GetWindowClass(classInfo);
    classInfo.Style = CS_OWNDC;
  }
};

}  // namespace

TEST_F(WindowContexts, AWindowWithItsOwnContextKeepsItsState) {
  auto *child = MakeChild<TOwnContextWindow>(0, 40, 40);
  HDC first = GetDC(child->GetHandle());
  ASSERT_NE(first, nullptr);
  TDC::FromHandle(first)->SetROP2(R2_XORPEN);
  TDC::FromHandle(first)->SetTextColor(kInk);
  EXPECT_EQ(ReleaseDC(child->GetHandle(), first), 1);
  HDC second = GetDC(child->GetHandle());
  EXPECT_EQ(second, first);
  EXPECT_EQ(TDC::FromHandle(second)->GetROP2(), R2_XORPEN);
  EXPECT_EQ(TDC::FromHandle(second)->GetTextColor(), kInk);
  ReleaseDC(child->GetHandle(), second);
  // An ordinary window gets a fresh context each time.
  TWindow *plain = MakeChild(0, 40, 40);
  HDC fresh = GetDC(plain->GetHandle());
  EXPECT_EQ(TDC::FromHandle(fresh)->GetROP2(), R2_COPYPEN);
  ReleaseDC(plain->GetHandle(), fresh);
}

TEST_F(WindowContexts, ReleasingTheOwnContextOfADestroyedWindowIsSafe) {
  auto *child = MakeChild<TOwnContextWindow>(0, 40, 40);
  const HWND handle = child->GetHandle();
  HDC dc = GetDC(handle);
  ASSERT_NE(dc, nullptr);
  child->Destroy();
  EXPECT_EQ(TDC::FromHandle(dc)->SetPixel(1, 1, kInk), CLR_INVALID);
  EXPECT_EQ(ReleaseDC(handle, dc), 1);
  // The next call drops the dead window's context.
  EXPECT_EQ(GetDC(handle), nullptr);
}

TEST_F(WindowContexts, TheScreenContextShowsTheScreenProvidersPicture) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 64);
  screen.SetMetric(SM_CYSCREEN, 48);
  screen.bitsPerPixel = 8;
  screen.picture = QImage(64, 48, QImage::Format_RGB32);
  screen.picture.fill(PixelOfColor(RGB(200, 10, 10)));
  TScreenProvider *previous = SetScreenProvider(&screen);
  {
    TScreenDC dc;
    EXPECT_EQ(dc.GetPixel(10, 10), RGB(200, 10, 10));
    EXPECT_EQ(dc.GetDeviceCaps(BITSPIXEL), 8);
    EXPECT_NE(dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_EQ(dc.GetDeviceCaps(HORZRES), 64);
  }
  SetScreenProvider(previous);
  EXPECT_FALSE(screen.grabs.empty());
}

TEST_F(WindowContexts, AKeptContextShowsItsDrawingWithoutBeingReleased) {
  TWindow *child = MakeChild(0, 40, 40);
  TClientDC dc(*child);
  dc.SetPixel(4, 4, kInk);
  EXPECT_FALSE(dc.DirtyRect().isEmpty());
  // The next turn of the event loop hands the drawn area to the window to show.
  EXPECT_TRUE(test_kit::RunUntil([&dc] { return dc.DirtyRect().isEmpty(); }, test_kit::kPatienceMs));
  EXPECT_EQ(test_kit::ClientPixel(*child, 4, 4), kInk);
}

TEST_F(WindowContexts, ADeletedContextIgnoresItsPendingFlush) {
  TWindow *child = MakeChild(0, 40, 40);
  {
    TClientDC dc(*child);
    dc.SetPixel(1, 1, kInk);
  }
  test_kit::RunFor(20);
  EXPECT_EQ(test_kit::ClientPixel(*child, 1, 1), kInk);
}
