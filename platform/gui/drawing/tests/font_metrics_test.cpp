// The average character width of the mapped faces: the classic faces' own figure, which
// tab stops, dialog units and character-counted widths are built on.

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/gui/drawing/font_map.h"
#include "platform/gui/windows/test_kit.h"

namespace {

LOGFONT Face(const char *name, LONG height) {
  LOGFONT logFont{};
  logFont.lfHeight = height;
  std::snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s", name);
  return logFont;
}

}  // namespace

// The classic faces give their average width per em in their own tables: 904/2048 for the
// sans face, 821/2048 for the serif face, 1229/2048 for the mono face; the Liberation
// families match their advances, so the widths follow at any em height (rounded).
TEST(FontMetrics, AverageCharWidthIsTheClassicFacesOwn) {
  test_kit::EnsureApplication();
  struct TCase {
    const char *face;
    LONG emHeight;
    LONG expected;
  };
  const TCase cases[] = {
      {"Arial", 16, 7},             // 16 * 904 / 2048 = 7.06
      {"MS Sans Serif", 32, 14},    // 14.1
      {"Times New Roman", 16, 6},   // 16 * 821 / 2048 = 6.41
      {"Times New Roman", 40, 16},  // 16.0
      {"Courier New", 20, 12},      // 20 * 1229 / 2048 = 12.0
  };
  for (const TCase &item : cases) {
    const TEXTMETRIC metrics = MetricsOfLogFont(Face(item.face, -item.emHeight));
    // One pixel either way: the figures above are exact, the glyph advances are hinted.
    EXPECT_NEAR(metrics.tmAveCharWidth, item.expected, 1) << item.face << " at " << item.emHeight;
  }
}

TEST(FontMetrics, AverageWidthStaysBelowTheWidestGlyph) {
  test_kit::EnsureApplication();
  const TEXTMETRIC sans = MetricsOfLogFont(Face("MS Sans Serif", -11));
  EXPECT_GT(sans.tmAveCharWidth, 0);
  EXPECT_LT(sans.tmAveCharWidth, sans.tmMaxCharWidth);
}
