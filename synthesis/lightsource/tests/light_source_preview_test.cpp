// The light-source preview window: the zone cloud in its zones' colours, the shaded mesh,
// and the message of a source without zones.

#include "synthesis/lightsource/light_source_preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "foundation/numerics/random.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/lightsource/light_source.h"
#include "toolkit/plot3d/paint3d.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 64);

class LightSourcePreview : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    CreateSharedPalette();
    SeedRandom(7);
  }
  void TearDown() override {
    window.reset();
    DestroySharedPalette();
    SeedRandom(1);
  }
  // Counts the picture's pixels of one colour, and those that are not the background.
  void Count(COLORREF color, int &matching, int &drawn) const {
    matching = drawn = 0;
    const TDrv3D &picture = *window->Renderer();
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = 0; x < picture.Width(); ++x) {
        const RGBTRIPLE t = picture.GetPixelColor(x, y);
        const COLORREF pixel = RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue);
        if (pixel == color) ++matching;
        if (pixel != kBackground) ++drawn;
      }
  }
  TRecordingMessageBoxProvider boxes;
  std::unique_ptr<TPaint3D> window;
};

TEST_F(LightSourcePreview, ZonesAreCloudsInTheirColours) {
  TLightSource source;
  source.Zones.Allocate(2, 1);
  source.Zones.data[0] = {-50.0, 100.0, 60.0, 1.0, 0.0};
  source.Zones.data[1] = {-20.0, 40.0, 20.0, 4.0, 0.0};
  window.reset(PaintLightSource(nullptr, source));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetWindowText(), "Light Source");
  EXPECT_EQ(window->GetClientRect().right, 300);
  int red = 0, drawn = 0, orange = 0;
  Count(RGB(255, 0, 0), red, drawn);
  Count(RGB(255, 63, 0), orange, drawn);
  EXPECT_GT(red, 1000);
  // The inner zone shows through the outer one's cloud where it is thin.
  EXPECT_GT(orange, 0);
  EXPECT_LT(drawn, 300 * 300);
  EXPECT_TRUE(boxes.boxes.empty());
  // A second zone that reaches past the first's end shows there in its own colour.
  source.Zones.data[1] = {30.0, 60.0, 20.0, 4.0, 0.0};
  window.reset(PaintLightSource(nullptr, source));
  ASSERT_NE(window, nullptr);
  Count(RGB(255, 0, 0), red, drawn);
  Count(RGB(255, 63, 0), orange, drawn);
  EXPECT_GT(red, 1000);
  EXPECT_GT(orange, 1000);
}

TEST_F(LightSourcePreview, AZoneSourceOffTheOriginIsFittedAndCentredInThePicture) {
  // A zone 100 mm long from x = 0 and 80 mm across: its cloud lies wholly inside the
  // picture, clear of every edge, about the picture's centre.
  TLightSource source;
  source.Zones.Allocate(1, 1);
  source.Zones.data[0] = {0.0, 100.0, 80.0, 1.0, 0.0};
  window.reset(PaintLightSource(nullptr, source));
  ASSERT_NE(window, nullptr);
  const TDrv3D &picture = *window->Renderer();
  int left = picture.Width(), right = -1, top = picture.Height(), bottom = -1;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const RGBTRIPLE t = picture.GetPixelColor(x, y);
      if (RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue) != RGB(255, 0, 0)) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  ASSERT_GE(right, left);
  EXPECT_GT(left, 3);
  EXPECT_GT(top, 3);
  EXPECT_LT(right, picture.Width() - 4);
  EXPECT_LT(bottom, picture.Height() - 4);
  EXPECT_NEAR(0.5 * (left + right), 0.5 * picture.Width(), 0.1 * picture.Width());
  EXPECT_NEAR(0.5 * (top + bottom), 0.5 * picture.Height(), 0.1 * picture.Height());
  // It fills the picture: more than half its width or height.
  EXPECT_GT(std::max(right - left, bottom - top), picture.Width() / 2);
}

TEST_F(LightSourcePreview, MeshIsShadedAndAZonelessSourceOnlySpeaks) {
  TLightSource source;
  source.SourceType = kSolidSource;
  source.Triangles.Allocate(1, 1);
  const double a[3] = {0, -10, -10}, b[3] = {0, 10, -10}, c[3] = {0, 0, 10};
  source.Triangles.data[0].SetVertices(a, b, c);
  window.reset(PaintLightSource(nullptr, source));
  ASSERT_NE(window, nullptr);
  int white = 0, drawn = 0;
  Count(RGB(255, 255, 255), white, drawn);
  // The axes are white; the triangle fills far more than the axes' pixels.
  EXPECT_GT(white, 50);
  EXPECT_GT(drawn - white, 2000);
  window.reset();

  TLightSource empty;
  EXPECT_EQ(PaintLightSource(nullptr, empty), nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Quantity zones equal zerro!!");
}

// Six triangles facing +x: three unit squares one behind the other.
TLightSource ThreeSquares() {
  TLightSource source;
  source.SourceType = kSolidSource;
  source.Triangles.Allocate(6, 1);
  for (int k = 0; k < 3; ++k) {
    const double x = 2.0 * k;
    const double a[3] = {x, 0, 0}, b[3] = {x, 1, 0}, c[3] = {x, 0, 1}, d[3] = {x, 1, 1};
    source.Triangles.data[2 * k].SetVertices(a, b, c);
    source.Triangles.data[2 * k + 1].SetVertices(b, d, c);
  }
  return source;
}

TEST(LightSourceGauge, MeshSetUpShowsItsTimesAndStopsAtEscape) {
  test_kit::EnsureApplication();
  constexpr int kEscape = 27;
  auto frame = std::make_unique<TWindow>(nullptr, "frame");
  frame->Attr.Style = WS_POPUP | WS_VISIBLE;
  frame->Attr.W = 320;
  frame->Attr.H = 120;
  ASSERT_TRUE(frame->Create());
  auto *line = new TStatic(frame.get(), kProgressTextControl, "", 10, 80, 300, 16);
  ASSERT_TRUE(line->Create());
  auto *gauge = new TOGauge(frame.get(), "", 300, 10, 10, 200, 24);
  ASSERT_TRUE(gauge->Create());
  TGaugeSourceProgress progress(*gauge);
  SetLightSourceProgress(&progress);

  TLightSource source = ThreeSquares();
  EXPECT_EQ(source.Prepare(), 1);
  EXPECT_EQ(source.MeshPrepared, 1);
  EXPECT_EQ(gauge->Maximum(), 6);
  EXPECT_EQ(gauge->GetPosition(), 6.0);
  EXPECT_EQ(gauge->Queue().BusyCount(), 0);
  EXPECT_EQ(line->GetWindowText().rfind("Source init. Times: elapsed- 00:0", 0), 0u);
  // Only the front square is seen from +x.
  EXPECT_EQ(source.VisibleTriangles.cols, 2);

  TLightSource cancelled = ThreeSquares();
  test_kit::PostKey(*frame, kEscape);
  EXPECT_EQ(cancelled.Prepare(), 1);
  EXPECT_EQ(cancelled.MeshPrepared, 0);
  EXPECT_FALSE(cancelled.CanDrawVisiblePoints());
  EXPECT_EQ(gauge->GetPosition(), 1.0);
  EXPECT_EQ(gauge->Queue().BusyCount(), 0);
  SetLightSourceProgress(nullptr);
}

}  // namespace
