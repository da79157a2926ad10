#include "platform/gui/drawing/dc_kinds.h"

#include "platform/gui/drawing/font_map.h"
#include "platform/gui/windows/test_kit.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>

#include <cstring>

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);

class DeviceContextText : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    image_ = QImage(200, 120, QImage::Format_RGB32);
    image_.fill(PixelOfColor(kBackground));
  }

  // Bounding box of the pixels that differ from the background.
  QRect DrawnBox() const {
    QRect box;
    for (int y = 0; y < image_.height(); ++y) {
      for (int x = 0; x < image_.width(); ++x) {
        if (ColorOfPixel(image_.pixel(x, y)) != kBackground) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }

  static LOGFONT Font(const char *face, int height) {
    LOGFONT logFont;
    logFont.lfHeight = height;
    std::strncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    return logFont;
  }

  QImage image_;
};

}  // namespace

TEST_F(DeviceContextText, FamiliesMapToLiberationFaces) {
  EXPECT_STREQ(LiberationFamilyFor("MS Sans Serif", 0x22), "Liberation Sans");
  EXPECT_STREQ(LiberationFamilyFor("Ms Sans Serig", 0x22), "Liberation Sans");
  EXPECT_STREQ(LiberationFamilyFor("MS Serif", 0x22), "Liberation Serif");
  EXPECT_STREQ(LiberationFamilyFor("Arial", 0x12), "Liberation Sans");
  EXPECT_STREQ(LiberationFamilyFor("Courier New", 0), "Liberation Mono");
  EXPECT_STREQ(LiberationFamilyFor("", FF_ROMAN | VARIABLE_PITCH), "Liberation Serif");
  EXPECT_STREQ(LiberationFamilyFor("", FIXED_PITCH), "Liberation Mono");
  EXPECT_STREQ(LiberationFamilyFor(nullptr, 0), "Liberation Sans");
}

TEST_F(DeviceContextText, TheLiberationFacesAreInstalledAndUsed) {
  for (const char *face : {"Arial", "Times New Roman", "Courier New"}) {
    const QFontInfo info(FontFromLogFont(Font(face, 16)));
    EXPECT_TRUE(info.family().startsWith(QLatin1String("Liberation"))) << face;
  }
  LOGFONT bold = Font("Arial", 16);
  bold.lfWeight = FW_BOLD;
  bold.lfItalic = 1;
  const QFontInfo info(FontFromLogFont(bold));
  EXPECT_TRUE(info.bold());
  EXPECT_TRUE(info.italic());
}

TEST_F(DeviceContextText, PositiveHeightIsTheCellHeight) {
  const TEXTMETRIC cell = MetricsOfLogFont(Font("Arial", 20));
  EXPECT_NEAR(cell.tmHeight, 20, 1);
  EXPECT_EQ(cell.tmHeight, cell.tmAscent + cell.tmDescent);
  // A negative height is the em height, so the cell is taller than it.
  const TEXTMETRIC em = MetricsOfLogFont(Font("Arial", -20));
  EXPECT_GT(em.tmHeight, 20);
  EXPECT_GT(em.tmInternalLeading, 0);
}

TEST_F(DeviceContextText, CalcRectMeasuresTheSameTextTheSameWay) {
  TImageDC dc(&image_);
  TFont font(Font("MS Sans Serif", 16));
  dc.SelectObject(font);
  TEXTMETRIC tm;
  dc.GetTextMetrics(tm);
  RECT first{0, 0, 0, 0};
  RECT second{0, 0, 0, 0};
  const int h1 = dc.DrawText("Refresh window", -1, first, DT_CALCRECT | DT_SINGLELINE);
  const int h2 = dc.DrawText("Refresh window", -1, second, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(h1, h2);
  EXPECT_EQ(first.right, second.right);
  EXPECT_EQ(first.bottom, second.bottom);
  EXPECT_EQ(h1, tm.tmHeight);
  EXPECT_EQ(first.right, dc.GetTextExtent("Refresh window").cx);
  RECT lines{10, 20, 10, 20};
  EXPECT_EQ(dc.DrawText("one\ntwo words", -1, lines, DT_CALCRECT), 2 * tm.tmHeight);
  EXPECT_EQ(lines.right - lines.left, dc.GetTextExtent("two words").cx);
  EXPECT_EQ(lines.top, 20);
  // Measuring draws nothing.
  EXPECT_TRUE(DrawnBox().isEmpty());
  dc.RestoreFont();
}

TEST_F(DeviceContextText, TabsExpandToStopsOfEightAverageCharacters) {
  TImageDC dc(&image_);
  TFont font(Font("Courier New", 14));
  dc.SelectObject(font);
  TEXTMETRIC tm;
  dc.GetTextMetrics(tm);
  RECT rect{0, 0, 0, 0};
  dc.DrawText("a\tb", -1, rect, DT_CALCRECT | DT_EXPANDTABS);
  EXPECT_EQ(rect.right, 8 * tm.tmAveCharWidth + dc.GetTextExtent("b").cx);
  // Breaking words, a tab is a place to break as a blank is, and a line is measured with
  // its tabs expanded: "aaaa\tbb" needs 8 + 2 characters, more than 9 allow.
  const int charWidth = dc.GetTextExtent("a").cx;
  ASSERT_EQ(charWidth, tm.tmAveCharWidth);  // a fixed-pitch face
  RECT narrow{0, 0, 9 * charWidth, 0};
  EXPECT_EQ(dc.DrawText("aaaa\tbb", -1, narrow, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS), 2 * tm.tmHeight);
  EXPECT_EQ(narrow.right, 4 * charWidth);
  RECT wide{0, 0, 10 * charWidth, 0};
  EXPECT_EQ(dc.DrawText("aaaa\tbb", -1, wide, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS), tm.tmHeight);
  EXPECT_EQ(wide.right, 10 * charWidth);
  dc.RestoreFont();
}

TEST_F(DeviceContextText, AlignmentModesPlaceTextAroundTheReferencePoint) {
  TImageDC dc(&image_);
  TFont font(Font("Arial", 20));
  dc.SelectObject(font);
  dc.SetBkMode(TRANSPARENT);
  TEXTMETRIC tm;
  dc.GetTextMetrics(tm);
  const int width = dc.GetTextExtent("HHH").cx;

  dc.SetTextAlign(TA_LEFT | TA_TOP);
  dc.TextOut(50, 40, "HHH");
  QRect box = DrawnBox();
  EXPECT_GE(box.left(), 50);
  EXPECT_LE(box.left(), 53);
  EXPECT_GE(box.top(), 40);
  EXPECT_LE(box.bottom(), 40 + tm.tmAscent);

  image_.fill(PixelOfColor(kBackground));
  dc.SetTextAlign(TA_RIGHT | TA_BASELINE);
  dc.TextOut(150, 60, "HHH");
  box = DrawnBox();
  EXPECT_LE(box.right(), 149);
  EXPECT_GE(box.right(), 150 - 4);
  // Capitals sit on the baseline.
  EXPECT_EQ(box.bottom(), 59);

  image_.fill(PixelOfColor(kBackground));
  dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
  dc.TextOut(100, 80, "HHH");
  box = DrawnBox();
  EXPECT_NEAR((box.left() + box.right() + 1) / 2.0, 100.0, 3.0);
  EXPECT_LE(box.bottom(), 80 - tm.tmDescent);
  EXPECT_LE(box.width(), width);
  dc.RestoreFont();
}

TEST_F(DeviceContextText, OpaqueModeFillsTheTextCell) {
  TImageDC dc(&image_);
  dc.SetBkMode(OPAQUE);
  dc.SetBkColor(RGB(0, 0, 255));
  dc.TextOut(10, 10, "ab");
  const SIZE extent = dc.GetTextExtent("ab");
  EXPECT_EQ(ColorOfPixel(image_.pixel(10, 10)), RGB(0, 0, 255));
  EXPECT_EQ(ColorOfPixel(image_.pixel(10 + extent.cx - 1, 10 + extent.cy - 1)), RGB(0, 0, 255));
  EXPECT_EQ(ColorOfPixel(image_.pixel(10 + extent.cx, 10)), kBackground);
}

TEST_F(DeviceContextText, DrawTextCentresASingleLine) {
  TImageDC dc(&image_);
  dc.SetBkMode(TRANSPARENT);
  RECT rect{20, 20, 180, 100};
  dc.DrawText("Centre", -1, rect, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  const QRect box = DrawnBox();
  EXPECT_NEAR((box.left() + box.right()) / 2.0, 100.0, 3.0);
  EXPECT_NEAR((box.top() + box.bottom()) / 2.0, 60.0, 4.0);
}

TEST_F(DeviceContextText, DrawTextClipsToItsRectangleUnlessNoClip) {
  TImageDC dc(&image_);
  dc.SetBkMode(TRANSPARENT);
  RECT rect{10, 10, 20, 40};
  dc.DrawText("Wide text here", -1, rect, DT_SINGLELINE);
  EXPECT_LE(DrawnBox().right(), 19);
  image_.fill(PixelOfColor(kBackground));
  dc.DrawText("Wide text here", -1, rect, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(DrawnBox().right(), 40);
}

TEST_F(DeviceContextText, EscapementTurnsTheText) {
  TImageDC dc(&image_);
  TFont font("Arial", 16, 0, 900);
  dc.SelectObject(font);
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(100, 110, "Vertical");
  dc.RestoreFont();
  const QRect box = DrawnBox();
  EXPECT_GT(box.height(), box.width());
  // Turned counter-clockwise: the text runs upward from the reference point.
  EXPECT_LE(box.bottom(), 110);
}

TEST_F(DeviceContextText, AMnemonicIsUnderlinedUnlessPrefixesAreOffOrHidden) {
  TImageDC dc(&image_);
  TFont font(Font("Arial", 20));
  dc.SelectObject(font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(0, 0, 0));
  TEXTMETRIC tm;
  dc.GetTextMetrics(tm);
  // "L&oad": the underline lies one pixel below the baseline, under the o alone.
  RECT rect{10, 10, 190, 40};
  dc.DrawText("L&oad", -1, rect, DT_LEFT | DT_TOP | DT_SINGLELINE);
  const int underlineRow = 10 + tm.tmAscent + 1;
  const int oLeft = 10 + dc.GetTextExtent("L").cx;
  const int oRight = 10 + dc.GetTextExtent("Lo").cx;
  int dark = 0;
  for (int x = 10; x < 190; ++x) {
    if (ColorOfPixel(image_.pixel(x, underlineRow)) == RGB(0, 0, 0)) {
      ++dark;
      EXPECT_GE(x, oLeft);
      EXPECT_LT(x, oRight);
    }
  }
  EXPECT_GE(dark, oRight - oLeft - 1);
  const QRect drawn = DrawnBox();
  // Hidden or turned off, no line: the ink ends above the underline's row.
  for (const UINT format : {DT_HIDEPREFIX, DT_NOPREFIX}) {
    image_.fill(PixelOfColor(kBackground));
    RECT again{10, 10, 190, 40};
    dc.DrawText(format == DT_NOPREFIX ? "Load" : "L&oad", -1, again, DT_LEFT | DT_TOP | DT_SINGLELINE | format);
    EXPECT_LT(DrawnBox().bottom(), underlineRow);
  }
  EXPECT_EQ(drawn.bottom(), underlineRow);
  // "&&" is one ampersand, no mark.
  image_.fill(PixelOfColor(kBackground));
  RECT amp{10, 10, 190, 40};
  dc.DrawText("A&&B", -1, amp, DT_LEFT | DT_TOP | DT_SINGLELINE);
  EXPECT_LT(DrawnBox().bottom(), underlineRow);
  dc.RestoreFont();
}
