// The control bar's tips: shown after the cursor rests on a gadget with a string, never for
// a gadget without one, gone when the cursor moves on or presses; and the bar's etched edge.

#include "toolkit/bars/o_control_bar.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "platform/gui/bars/frame_window.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/bars/show_help_wnd.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// The string table is the program's one: these commands and their hints (25701-25703) are
// this file's alone, so a tip never shows another case's string.
constexpr int kCmOpen = 24701;
constexpr int kCmSave = 24702;
constexpr int kCmSilent = 24703;  // no string: never a tip
constexpr int kHintOffset = 1000;
// Ticks before a tip: one to notice the gadget, five of rest, one to show it.
constexpr int kTicksToTip = 7;

POINT Center(const RECT &rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

class TFrame : public TDecoratedFrame {
 public:
  explicit TFrame(TWindow *clientWindow) : TDecoratedFrame(nullptr, "Frame", clientWindow) {
    Attr.Style = WS_POPUP | WS_BORDER | WS_VISIBLE;
    Attr.X = 40;
    Attr.Y = 40;
    Attr.W = 400;
    Attr.H = 200;
    bar = new TOControlBar(this);
    bar->Insert(*new TButtonGadget(kCmOpen, kCmOpen, TButtonGadget::Command, true));
    bar->Insert(*new TButtonGadget(kCmSave, kCmSave, TButtonGadget::Command, true));
    bar->Insert(*new TButtonGadget(kCmSilent, kCmSilent, TButtonGadget::Command, true));
    Insert(*bar, Top);
  }
  TOControlBar *bar;
};

class OControlBar : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    QImage glyph(16, 15, QImage::Format_RGB32);
    glyph.fill(qRgb(0xC0, 0xC0, 0xC0));
    for (int id : {kCmOpen, kCmSave, kCmSilent}) RegisterBitmapResource(id, glyph);
    RegisterString(kCmOpen + kHintOffset, "Open a system");
    RegisterString(kCmSave + kHintOffset, "Save the system");
    client = new TWindow(nullptr, "client");
    frame = std::make_unique<TFrame>(client);
    ASSERT_TRUE(frame->Create());
    bar = frame->bar;
    bar->EnableHints(1);
    bar->SetHintIdOffset(kHintOffset);
    bar->SetHintMode(1);
    test_kit::RunFor(20);
  }
  // Rests the cursor on the centre of the gadget (or at a screen point).
  void RestOn(int id) { screen.cursor = bar->ClientToScreen(Center(bar->GadgetWithId(id)->GetBounds())); }
  int TicksUntilTip(int most) {
    for (int tick = 1; tick <= most; ++tick) {
      bar->SendMessage(WM_TIMER, kTipTimerId);
      if (bar->TipWindow() != nullptr) return tick;
    }
    return -1;
  }
  TScriptedScreenProvider screen;
  TWindow *client = nullptr;
  std::unique_ptr<TFrame> frame;
  TOControlBar *bar = nullptr;
};

TEST_F(OControlBar, TipOfTheGadgetsStringAppearsAfterTheCursorRests) {
  RestOn(kCmOpen);
  EXPECT_EQ(TicksUntilTip(20), kTicksToTip);
  EXPECT_STREQ(bar->TipText(), "Open a system");
  TShowHelpWnd *tip = bar->TipWindow();
  const RECT expected = TShowHelpWnd::TipRect(screen.cursor, "Open a system");
  EXPECT_EQ(tip->GetWindowRect().left, expected.left);
  EXPECT_EQ(tip->GetWindowRect().top, expected.top);
  // Resting on, the same tip stays.
  for (int k = 0; k < 5; ++k) bar->SendMessage(WM_TIMER, kTipTimerId);
  EXPECT_EQ(bar->TipWindow(), tip);
}

TEST_F(OControlBar, GadgetWithoutStringNeverShowsATip) {
  RestOn(kCmSilent);
  EXPECT_EQ(TicksUntilTip(60), -1);
  // Hints off: nothing either.
  bar->EnableHints(0);
  RestOn(kCmOpen);
  EXPECT_EQ(TicksUntilTip(30), -1);
}

TEST_F(OControlBar, MovingOnRemovesTheTipAndCountsAgain) {
  RestOn(kCmOpen);
  ASSERT_EQ(TicksUntilTip(20), kTicksToTip);
  RestOn(kCmSave);
  bar->SendMessage(WM_TIMER, kTipTimerId);
  EXPECT_EQ(bar->TipWindow(), nullptr);
  EXPECT_EQ(TicksUntilTip(20), kTicksToTip - 1);
  EXPECT_STREQ(bar->TipText(), "Save the system");

  // Off the bar, onto the client below it: the tip goes.
  screen.cursor = client->ClientToScreen(POINT{50, 50});
  bar->SendMessage(WM_TIMER, kTipTimerId);
  EXPECT_EQ(bar->TipWindow(), nullptr);

  // A press takes the tip away at once.
  RestOn(kCmOpen);
  ASSERT_GT(TicksUntilTip(20), 0);
  bar->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(bar->TipWindow(), nullptr);
}

TEST_F(OControlBar, ATipClosedFromOutsideIsForgottenAndComesBackOnTheNextGadget) {
  RestOn(kCmOpen);
  ASSERT_EQ(TicksUntilTip(20), kTicksToTip);
  test_kit::CloseFromOutside(*bar->TipWindow());
  test_kit::FireEveryTimer();
  EXPECT_EQ(bar->TipWindow(), nullptr);
  RestOn(kCmSave);
  EXPECT_GT(TicksUntilTip(20), 0);
  EXPECT_STREQ(bar->TipText(), "Save the system");
}

TEST_F(OControlBar, InFrameModeOnlyAFocusedClientCounts) {
  bar->SetHintMode(0);
  ::SetFocus(nullptr);
  RestOn(kCmOpen);
  EXPECT_EQ(TicksUntilTip(30), -1);
  client->SetFocus();
  EXPECT_EQ(TicksUntilTip(30), kTicksToTip - 1);
}

TEST_F(OControlBar, TheTimerShowsTheTipWithoutHelp) {
  RestOn(kCmOpen);
  EXPECT_TRUE(test_kit::RunUntil([&] { return bar->TipWindow() != nullptr; }, test_kit::kPatienceMs));
}

TEST_F(OControlBar, WithAPaletteTheTipTakesItsNearestColours) {
  // Pure yellow and black only: the tip's 0x40FFFF becomes yellow, its shadow black.
  const PALETTEENTRY entries[] = {{255, 255, 0, 0}, {0, 0, 0, 0}};
  TOPalette palette(entries, 2);
  bar->SetPalette(&palette);
  RestOn(kCmOpen);
  ASSERT_EQ(TicksUntilTip(20), kTicksToTip);
  TShowHelpWnd *tip = bar->TipWindow();
  tip->UpdateWindow();
  tip->Shadow()->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*tip, 0, 0), 0x00FFFFu);
  EXPECT_EQ(test_kit::ClientPixel(*tip->Shadow(), 2, 2), 0u);
  // The tip goes (a press) before the palette it shows.
  bar->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(bar->TipWindow(), nullptr);
  bar->SetPalette(nullptr);
}

TEST_F(OControlBar, BarHasAGreyFaceAndAnEtchedEdge) {
  bar->Invalidate();
  bar->UpdateWindow();
  const RECT area = bar->GetClientRect();
  EXPECT_EQ(test_kit::ClientPixel(*bar, area.right - 3, 0), 0xFFFFFFu);
  EXPECT_EQ(test_kit::ClientPixel(*bar, area.right - 3, area.bottom - 1), 0x808080u);
  EXPECT_EQ(test_kit::ClientPixel(*bar, area.right - 3, area.bottom / 2), 0xC0C0C0u);
}

TEST(OControlBarFont, TextGadgetsDrawAndMeasureInTheBarsFont) {
  test_kit::EnsureApplication();
  // The same pane on a bar without a font and on one given a large font.
  TOControlBar plain(nullptr);
  TOControlBar large(nullptr, TGadgetWindow::Horizontal, new TFont("Arial", -24));
  auto *plainPane = new TTextGadget(1, TGadget::Recessed, TTextGadget::Left, 6, "Ready");
  auto *largePane = new TTextGadget(1, TGadget::Recessed, TTextGadget::Left, 6, "Ready");
  plain.Insert(*plainPane);
  large.Insert(*largePane);
  SIZE plainSize{};
  SIZE largeSize{};
  plainPane->GetDesiredSize(plainSize);
  largePane->GetDesiredSize(largeSize);
  // Heights follow the font: the text's height and the pane's borders.
  EXPECT_GE(largeSize.cy - plainSize.cy, 24 - 13);
  EXPECT_GT(largeSize.cx, plainSize.cx);
  EXPECT_EQ(plain.GetFont(), GadgetFont());
  EXPECT_NE(large.GetFont(), GadgetFont());
}

}  // namespace
