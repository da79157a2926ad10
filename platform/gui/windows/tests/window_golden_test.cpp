// A painted window against a stored picture: the erase, filled and framed rectangles, a
// polygon, dashed and wide lines, pixels and an inverted area, as the paint message draws
// them through a window's context. UPDATE_GOLDEN=1 rewrites the picture for review.

#include <gtest/gtest.h>

#include <QImage>

#include "foundation/testing/golden.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr COLORREF kBackground = RGB(250, 248, 240);
// Figures are drawn without smoothing, so every pixel is decided; none may move.
constexpr golden::PixelTolerance kExactPixels{0, 0};

// Draws a fixed figure whenever it is asked to paint.
class TFigureWindow : public TWindow {
 public:
  explicit TFigureWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  void Paint(TDC &dc, bool, RECT &) override {
    TBrush fill(RGB(30, 110, 200));
    dc.FillRect(RECT{10, 10, 70, 50}, fill);
    TBrush frame(RGB(200, 30, 30));
    dc.FrameRect(RECT{80, 10, 150, 60}, frame);
    TPen wide(RGB(0, 140, 60), 3);
    dc.SelectObject(wide);
    dc.MoveTo(10, 70);
    dc.LineTo(150, 110);
    TPen dashed(RGB(90, 0, 120), 1, PS_DASH);
    dc.SelectObject(dashed);
    dc.MoveTo(10, 120);
    dc.LineTo(150, 120);
    TPen outline(RGB(0, 0, 0));
    TBrush inside(RGB(240, 200, 40));
    dc.SelectObject(outline);
    dc.SelectObject(inside);
    const POINT triangle[3] = {{160, 20}, {190, 90}, {165, 100}};
    dc.Polygon(triangle, 3);
    dc.Rectangle(20, 130, 60, 150);
    dc.RestoreObjects();
    for (int i = 0; i < 20; ++i) dc.SetPixel(100 + 2 * i, 140, RGB(255, 0, 255));
    dc.InvertRect(RECT{120, 60, 140, 100});
  }
};

}  // namespace

TEST(WindowGolden, PaintedFiguresMatchTheStoredPicture) {
  test_kit::EnsureApplication();
  InstallPaintDispatcher();
  TWindow frame(nullptr, "frame");
  frame.Attr.Style = WS_POPUP | WS_VISIBLE;
  frame.Attr.W = 220;
  frame.Attr.H = 180;
  ASSERT_TRUE(frame.Create());
  auto *child = new TFigureWindow(&frame);
  child->Attr.Style = WS_CHILD | WS_VISIBLE;
  child->Attr.W = 200;
  child->Attr.H = 160;
  child->SetBkgndColor(kBackground);
  ASSERT_TRUE(child->Create());
  child->UpdateWindow();

  golden::Image image(200, 160);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const COLORREF c = test_kit::ClientPixel(*child, x, y);
      unsigned char *p = image.Pixel(x, y);
      p[0] = GetRValue(c);
      p[1] = GetGValue(c);
      p[2] = GetBValue(c);
    }
  // A few pixels known without the stored picture: the fill, the background, an inverted one.
  EXPECT_EQ(test_kit::ClientPixel(*child, 30, 30), RGB(30, 110, 200));
  EXPECT_EQ(test_kit::ClientPixel(*child, 195, 150), kBackground);
  EXPECT_EQ(test_kit::ClientPixel(*child, 125, 62), RGB(5, 7, 15));
  EXPECT_GOLDEN_IMAGE(image, "windows/tests/data/painted_figures.ppm", kExactPixels);
}
