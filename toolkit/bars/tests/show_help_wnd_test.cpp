// The tip window: its size from the text, its place at the cursor and inside the screen,
// its colours, its text and its shadow.

#include "toolkit/bars/show_help_wnd.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/graph/o_font.h"

namespace {

constexpr COLORREF kTipYellow = 0x40FFFF;
constexpr COLORREF kShadowGrey = 0x404040;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
// The cursor's square, 16 points at 96 pixels an inch: 21.3 pixels. The tip starts below it.
constexpr int kCursorHeight = 21;

SIZE MeasureTipText(const char *text) {
  TScreenDC screen;
  TOFont font("MS Sans Serif", 12);
  font.SelectInto(screen);
  const SIZE extent = screen.GetTextExtent(text);
  screen.RestoreFont();
  return extent;
}

class ShowHelpWnd : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    screen.SetMetric(SM_CXSCREEN, kScreenWidth);
    screen.SetMetric(SM_CYSCREEN, kScreenHeight);
  }
  TScriptedScreenProvider screen;
};

TEST_F(ShowHelpWnd, TipIsOneCharacterWiderOnEachSideAndSitsBelowRightOfTheCursor) {
  const char *text = "Open system";
  const SIZE extent = MeasureTipText(text);
  ASSERT_GT(extent.cx, 0);
  const int n = static_cast<int>(std::strlen(text));
  const int width = extent.cx * (n + 2) / n;
  const RECT tip = TShowHelpWnd::TipRect(POINT{300, 200}, text);
  // The text's box and a one-pixel border around it.
  EXPECT_EQ(tip.right - tip.left, width + 2);
  EXPECT_EQ(tip.bottom - tip.top, extent.cy + 2 + 2);
  EXPECT_EQ(tip.left, 300 - width / 2 + 13);
  EXPECT_EQ(tip.top, 200 + kCursorHeight);
}

TEST_F(ShowHelpWnd, TipStaysInsideTheScreen) {
  const char *text = "Zoom rectangle";
  const RECT nearLeft = TShowHelpWnd::TipRect(POINT{0, 0}, text);
  EXPECT_EQ(nearLeft.left, 0);
  EXPECT_EQ(nearLeft.top, kCursorHeight);
  const RECT corner = TShowHelpWnd::TipRect(POINT{kScreenWidth - 1, kScreenHeight - 1}, text);
  EXPECT_EQ(corner.right, kScreenWidth);
  EXPECT_EQ(corner.bottom, kScreenHeight);
  // Near the bottom the tip is kept on the screen, its top still below the cursor's point.
  const RECT low = TShowHelpWnd::TipRect(POINT{400, kScreenHeight - 30}, text);
  EXPECT_EQ(low.bottom, kScreenHeight);
  EXPECT_LT(low.top, kScreenHeight - 30 + kCursorHeight);
  // An empty text gets a small box, not a division by zero.
  const RECT empty = TShowHelpWnd::TipRect(POINT{100, 100}, "");
  EXPECT_GT(empty.right - empty.left, 0);
}

TEST_F(ShowHelpWnd, TipShowsBlackTextOnItsColourOverItsShadow) {
  TWindow owner(nullptr, "owner");
  owner.Attr.Style = WS_POPUP | WS_VISIBLE;
  owner.Attr.W = 200;
  owner.Attr.H = 100;
  ASSERT_TRUE(owner.Create());
  const char *text = "Spot diagram";
  auto *tip = new TShowHelpWnd(&owner, POINT{200, 150}, text, kTipYellow, kShadowGrey, nullptr);
  ASSERT_TRUE(tip->Create());
  EXPECT_STREQ(tip->GetClassName(), "TShowHelpWnd");
  const RECT expected = TShowHelpWnd::TipRect(POINT{200, 150}, text);
  const RECT window = tip->GetWindowRect();
  EXPECT_EQ(window.left, expected.left);
  EXPECT_EQ(window.top, expected.top);
  EXPECT_EQ(window.right, expected.right);
  EXPECT_EQ(window.bottom, expected.bottom);
  const RECT client = tip->GetClientRect();
  EXPECT_EQ(client.right, expected.right - expected.left - 2);
  EXPECT_EQ(client.bottom, expected.bottom - expected.top - 2);

  ASSERT_NE(tip->Shadow(), nullptr);
  const RECT shadow = tip->Shadow()->GetWindowRect();
  EXPECT_EQ(shadow.left, window.left + 4);
  EXPECT_EQ(shadow.top, window.top + 4);
  EXPECT_EQ(shadow.right, window.right + 4);
  EXPECT_EQ(shadow.bottom, window.bottom + 4);

  test_kit::RunFor(50);
  tip->UpdateWindow();
  tip->Shadow()->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*tip, 0, 0), kTipYellow);
  EXPECT_EQ(test_kit::ClientPixel(*tip->Shadow(), 2, 2), kShadowGrey);
  // Black text across the middle, none in the first and last columns.
  int black = 0;
  int blackAtEdge = 0;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) {
      if (test_kit::ClientPixel(*tip, x, y) != 0) continue;
      ++black;
      if (x < 2 || x >= client.right - 2) ++blackAtEdge;
    }
  EXPECT_GT(black, 20);
  EXPECT_EQ(blackAtEdge, 0);

  // The tip takes its shadow with it.
  delete tip;
  EXPECT_TRUE(owner.GetChildren().empty());
}

TEST_F(ShowHelpWnd, OwnerDeletesTipAndShadowTogether) {
  auto *owner = new TWindow(nullptr, "owner");
  owner->Attr.Style = WS_POPUP | WS_VISIBLE;
  owner->Attr.W = 200;
  owner->Attr.H = 100;
  ASSERT_TRUE(owner->Create());
  auto *tip = new TShowHelpWnd(owner, POINT{50, 50}, "Tip", kTipYellow, kShadowGrey, nullptr);
  ASSERT_TRUE(tip->Create());
  EXPECT_EQ(owner->GetChildren().size(), 2u);
  delete owner;  // ASan watches that neither is freed twice
}

}  // namespace
