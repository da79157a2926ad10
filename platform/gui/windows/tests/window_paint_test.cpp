// The window image: erase and paint through the paint dispatcher, invalidation, scrolling.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr COLORREF kPaintColor = RGB(10, 200, 30);
constexpr COLORREF kBackground = RGB(250, 240, 0);

// Paints the left half of every paint rectangle, so the erased background shows on the right.
struct TPaintLog {
  std::vector<RECT> rects;
  std::vector<bool> erases;
};
TPaintLog *paintLog = nullptr;

void HalfPainter(TWindow &window, const RECT &rect, bool erase) {
  if (paintLog != nullptr) {
    paintLog->rects.push_back(rect);
    paintLog->erases.push_back(erase);
  }
  const POINT origin = window.ClientOrigin();
  QPainter painter(&window.WindowImage());
  painter.fillRect(origin.x + rect.left, origin.y + rect.top, rect.Width() / 2, rect.Height(),
                   QColor(GetRValue(kPaintColor), GetGValue(kPaintColor), GetBValue(kPaintColor)));
}

// Installs the painter and the log for one test.
class WindowPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    previous = SetPaintDispatcher(&HalfPainter);
    paintLog = &log;
    frame = new TWindow(nullptr, "frame");
    frame->Attr.Style = WS_POPUP | WS_VISIBLE;
    frame->Attr.W = 300;
    frame->Attr.H = 200;
    ASSERT_TRUE(frame->Create());
  }
  void TearDown() override {
    delete frame;
    paintLog = nullptr;
    SetPaintDispatcher(previous);
  }
  TWindow *MakeChild(DWORD style, int w, int h) {
    auto *child = new TWindow(frame);
    child->Attr.Style = WS_CHILD | WS_VISIBLE | style;
    child->Attr.W = w;
    child->Attr.H = h;
    child->SetBkgndColor(kBackground);
    EXPECT_TRUE(child->Create());
    return child;
  }
  TPaintDispatcher previous = nullptr;
  TPaintLog log;
  TWindow *frame = nullptr;
};

// Leaves the background to its paint (WM_ERASEBKGND answers 0).
class TNoEraseWindow : public TWindow {
 public:
  explicit TNoEraseWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_ERASEBKGND) return 0;
    return TWindow::WindowProc(msg, wParam, lParam);
  }
};

}  // namespace

TEST_F(WindowPaint, UpdateWindowErasesThenPaintsTheWholeNewClient) {
  TWindow *child = MakeChild(WS_CAPTION, 100, 80);
  child->UpdateWindow();
  ASSERT_EQ(log.rects.size(), 1u);
  const RECT client = child->GetClientRect();
  EXPECT_EQ(log.rects[0].right, client.right);
  EXPECT_EQ(log.rects[0].bottom, client.bottom);
  EXPECT_FALSE(log.erases[0]) << "the default erase did the erasing";
  EXPECT_EQ(test_kit::ClientPixel(*child, 1, 1), kPaintColor);
  EXPECT_EQ(test_kit::ClientPixel(*child, client.right - 1, client.bottom - 1), kBackground);
  // Nothing left to paint: a second update paints nothing.
  child->UpdateWindow();
  EXPECT_EQ(log.rects.size(), 1u);
}

TEST_F(WindowPaint, InvalidatedRectanglesUniteAndAreClippedToTheClient) {
  TWindow *child = MakeChild(0, 100, 80);
  child->UpdateWindow();
  log.rects.clear();
  child->InvalidateRect({10, 10, 20, 20}, false);
  child->InvalidateRect({50, 30, 500, 60}, false);
  RECT pending;
  ASSERT_TRUE(child->GetUpdateRect(pending));
  EXPECT_EQ(pending.left, 10);
  EXPECT_EQ(pending.right, 100);
  child->UpdateWindow();
  ASSERT_EQ(log.rects.size(), 1u);
  EXPECT_EQ(log.rects[0].top, 10);
  EXPECT_EQ(log.rects[0].bottom, 60);
  EXPECT_FALSE(log.erases[0]);
  EXPECT_FALSE(child->GetUpdateRect(pending));
  child->InvalidateRect({200, 200, 300, 300}, true);  // outside: nothing to paint
  EXPECT_FALSE(child->GetUpdateRect(pending));
}

TEST_F(WindowPaint, UnerasedBackgroundIsLeftToThePaint) {
  auto *child = new TNoEraseWindow(frame);
  child->Attr.W = 60;
  child->Attr.H = 40;
  ASSERT_TRUE(child->Create());
  child->UpdateWindow();
  ASSERT_EQ(log.erases.size(), 1u);
  EXPECT_TRUE(log.erases[0]);
}

TEST_F(WindowPaint, QtPaintOfAShownWindowDispatchesPaint) {
  TWindow *child = MakeChild(0, 64, 48);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !log.rects.empty(); }, test_kit::kPatienceMs));
  EXPECT_EQ(test_kit::ClientPixel(*child, 0, 0), kPaintColor);
}

TEST_F(WindowPaint, GrowingPaintsOnlyTheNewStrip) {
  TWindow *child = MakeChild(0, 50, 40);
  child->UpdateWindow();
  log.rects.clear();
  child->MoveWindow(0, 0, 80, 40);
  child->UpdateWindow();
  ASSERT_EQ(log.rects.size(), 1u);
  EXPECT_EQ(log.rects[0].left, 50);
  EXPECT_EQ(log.rects[0].right, 80);
}

TEST_F(WindowPaint, ScrollWindowMovesPixelsAndInvalidatesTheUncoveredStrip) {
  TWindow *child = MakeChild(0, 40, 40);
  child->UpdateWindow();  // left half (0..19) painted, right half background
  log.rects.clear();
  child->ScrollWindow(-10, 0);
  EXPECT_EQ(test_kit::ClientPixel(*child, 9, 5), kPaintColor);
  EXPECT_EQ(test_kit::ClientPixel(*child, 10, 5), kBackground) << "column 20 moved to 10";
  RECT pending;
  ASSERT_TRUE(child->GetUpdateRect(pending));
  EXPECT_EQ(pending.left, 30);
  EXPECT_EQ(pending.right, 40);
}

TEST_F(WindowPaint, ImageCoordinatesHoldTheNonClientBand) {
  TWindow *child = MakeChild(WS_BORDER | WS_VSCROLL, 100, 50);
  QImage &image = child->WindowImage();
  EXPECT_EQ(image.width(), 100);
  EXPECT_EQ(image.height(), 50);
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  const RECT client = child->ClientRectInImage();
  EXPECT_EQ(client.left, 1);
  EXPECT_EQ(client.right, 100 - 1 - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(qRed(image.pixel(0, 25)), 0) << "the 1-pixel border is black";
}

TEST_F(WindowPaint, ScreenGrabSeesAShownWindow) {
  TWindow *child = MakeChild(0, 100, 100);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !log.rects.empty(); }, test_kit::kPatienceMs));
  test_kit::RunFor(20);  // let the host show its image
  POINT topLeft{0, 0};
  child->ClientToScreen(topLeft);
  // Left half painted, right half background: grab one pixel of each.
  const QImage grab = GrabScreen({topLeft.x, topLeft.y, topLeft.x + 100, topLeft.y + 10});
  ASSERT_EQ(grab.width(), 100);
  EXPECT_EQ(grab.pixel(10, 5), qRgb(GetRValue(kPaintColor), GetGValue(kPaintColor), GetBValue(kPaintColor)));
  EXPECT_EQ(grab.pixel(90, 5), qRgb(GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground)));
}
