// The floating palette: layouts from its system menu keep its top-left corner and restore
// the box's own grid; "&Always on top" toggles; buttons by command id; disabled buttons
// refuse presses; hints go to the hint hook and tips appear after the cursor rests.

#include "toolkit/palettes/tool_bar_wnd.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/bars/resources.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/bars/show_help_wnd.h"

namespace {

constexpr int kFirstTool = 24601;
constexpr int kToolCount = 6;
constexpr int kSilentTool = kFirstTool + kToolCount - 1;  // no strings at all
constexpr int kTipOffset = 500;
// The glyph and the room a button adds around it.
constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;
constexpr int kWaitMs = test_kit::kPatienceMs;

// The palette's owner: it receives the buttons' commands.
class TOwner : public TWindow {
 public:
  TOwner() : TWindow(nullptr, "Owner") {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 0;
    Attr.Y = 0;
    Attr.W = 60;
    Attr.H = 40;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND) commands.push_back(static_cast<int>(LOWORD(wParam)));
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  std::vector<int> commands;
};

class TTestPalette : public TToolBarWnd {
 public:
  TTestPalette(TWindow *owner, TOToolBox *box) : TToolBarWnd(owner, "Tools", box) {
    Attr.X = 300;
    Attr.Y = 200;
  }
  void ShowHint(const char *hint) override { hints.emplace_back(hint); }
  void ClosePalette() override { ++closeRequests; }
  std::vector<std::string> hints;
  int closeRequests = 0;
};

class ToolBarWnd : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    QImage glyph(kGlyphWidth, kGlyphHeight, QImage::Format_RGB32);
    glyph.fill(qRgb(0, 0, 0x80));
    for (int id = kFirstTool; id < kFirstTool + kToolCount; ++id) {
      RegisterBitmapResource(id, glyph);
      if (id == kSilentTool) continue;
      RegisterString(static_cast<UINT>(id), ("Hint " + std::to_string(id)).c_str());
      RegisterString(static_cast<UINT>(id + kTipOffset), ("Tip " + std::to_string(id)).c_str());
    }
    owner = std::make_unique<TOwner>();
    ASSERT_TRUE(owner->Create());
    box = new TOToolBox(nullptr, 3, TToolBox::kAsManyAsNeeded);
    for (int id = kFirstTool; id < kFirstTool + kToolCount; ++id) {
      box->Insert(*new TButtonGadget(id, id, TButtonGadget::NonExclusive, true));
    }
    palette = std::make_unique<TTestPalette>(owner.get(), box);
  }
  void TearDown() override {
    palette.reset();
    owner.reset();
  }
  void Create() {
    ASSERT_TRUE(palette->Create());
    test_kit::RunFor(20);
  }
  SIZE Cell() {
    const RECT bounds = box->GadgetWithId(kFirstTool)->GetBounds();
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
  }
  POINT CenterOf(int id) {
    const RECT r = box->GadgetWithId(id)->GetBounds();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Choose(UINT command) { palette->SendMessage(WM_COMMAND, command, 0); }
  void Tick() { palette->SendMessage(WM_TIMER, kPaletteTipTimerId, 0); }

  std::unique_ptr<TOwner> owner;
  TOToolBox *box = nullptr;
  std::unique_ptr<TTestPalette> palette;
};

TEST_F(ToolBarWnd, SystemMenuHoldsTheLayoutsOnTopAndClose) {
  Create();
  HMENU menu = GetSystemMenu(palette->GetHandle(), 0);
  const std::vector<std::string> expected = {"&Always on top", "", "&Horizontal", "&Vertical",
                                             "&Default", "", "&Close"};
  ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(expected.size()));
  for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
    char text[64] = {};
    GetMenuString(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ(text, expected[static_cast<std::size_t>(i)]) << "item " << i;
  }
  EXPECT_EQ(GetMenuItemID(menu, 0), CM_PALETTE_ON_TOP);
  EXPECT_EQ(GetMenuItemID(menu, 6), CM_PALETTE_CLOSE);
  // The tiny caption carries no close box: the whole band right of the menu square is
  // caption, and "&Close" reaches the palette's own close.
  const RECT outer = palette->GetWindowRect();
  const int captionY = outer.top + 1 + palette->CaptionHeight() / 2;
  EXPECT_EQ(palette->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(outer.right - 3, captionY)), HTCAPTION);
  Choose(CM_PALETTE_CLOSE);
  EXPECT_EQ(palette->closeRequests, 1);
}

TEST_F(ToolBarWnd, LayoutsKeepTheTopLeftCornerAndDefaultRestoresTheGrid) {
  Create();
  const RECT start = palette->GetWindowRect();
  const SIZE cell = Cell();
  // Six buttons in three columns: two rows.
  EXPECT_EQ(box->GadgetWithId(kFirstTool + 3)->GetBounds().top, box->GadgetWithId(kFirstTool)->GetBounds().top + cell.cy);

  Choose(CM_PALETTE_HORIZONTAL);
  RECT now = palette->GetWindowRect();
  EXPECT_EQ(palette->GetLayout(), TToolBarWnd::RowLayout);
  EXPECT_EQ(now.left, start.left);
  EXPECT_EQ(now.top, start.top);
  // Three more cells across, one fewer down.
  EXPECT_EQ(now.Width(), start.Width() + 3 * cell.cx);
  EXPECT_EQ(now.Height(), start.Height() - cell.cy);
  EXPECT_EQ(box->GadgetWithId(kFirstTool + 5)->GetBounds().top, box->GadgetWithId(kFirstTool)->GetBounds().top);

  Choose(CM_PALETTE_VERTICAL);
  now = palette->GetWindowRect();
  EXPECT_EQ(palette->GetLayout(), TToolBarWnd::ColumnLayout);
  EXPECT_EQ(now.left, start.left);
  EXPECT_EQ(now.top, start.top);
  EXPECT_EQ(now.Width(), start.Width() - 2 * cell.cx);
  EXPECT_EQ(now.Height(), start.Height() + 4 * cell.cy);
  // The box fills the client exactly: the frame shrank with it.
  EXPECT_EQ(box->GetWindowRect().Height(), palette->GetClientRect().Height());

  Choose(CM_PALETTE_DEFAULT);
  now = palette->GetWindowRect();
  EXPECT_EQ(now.left, start.left);
  EXPECT_EQ(now.top, start.top);
  EXPECT_EQ(now.Width(), start.Width());
  EXPECT_EQ(now.Height(), start.Height());
  EXPECT_EQ(box->GetColumns(), 3);
}

TEST_F(ToolBarWnd, LayoutFromBeforeCreationAppliesAndUnknownValuesMeanDefault) {
  palette->SetLayout(TToolBarWnd::RowLayout);
  Create();
  EXPECT_EQ(box->GetRows(), 1);
  EXPECT_EQ(palette->GetWindowRect().left, 300);
  EXPECT_EQ(palette->GetWindowRect().top, 200);
  palette->SetLayout(7);
  EXPECT_EQ(palette->GetLayout(), TToolBarWnd::DefaultLayout);
  EXPECT_EQ(box->GetColumns(), 3);
}

TEST_F(ToolBarWnd, AlwaysOnTopChosenTwiceIsOffAgain) {
  Create();
  EXPECT_FALSE(palette->IsAlwaysOnTop());
  Choose(CM_PALETTE_ON_TOP);
  EXPECT_TRUE(palette->IsAlwaysOnTop());
  EXPECT_NE(palette->Attr.ExStyle & WS_EX_TOPMOST, 0u);
  Choose(CM_PALETTE_ON_TOP);
  EXPECT_FALSE(palette->IsAlwaysOnTop());
  EXPECT_EQ(palette->Attr.ExStyle & WS_EX_TOPMOST, 0u);
  const UINT state = GetMenuState(GetSystemMenu(palette->GetHandle(), 0), CM_PALETTE_ON_TOP, MF_BYCOMMAND);
  EXPECT_EQ(state & MF_CHECKED, 0u);
}

TEST_F(ToolBarWnd, ButtonsByCommandId) {
  Create();
  EXPECT_EQ(palette->GetButtonState(kFirstTool + 1), TButtonGadget::Up);
  palette->SetButtonState(kFirstTool + 1, TButtonGadget::Down);
  EXPECT_EQ(palette->GetButtonState(kFirstTool + 1), TButtonGadget::Down);
  EXPECT_EQ(palette->GetButtonState(12345), TToolBarWnd::kNoButton);
  palette->SetButtonState(12345, TButtonGadget::Down);  // nothing, and no crash
  palette->SetButtonState(kFirstTool + 1, 9);           // no such state: unchanged
  EXPECT_EQ(palette->GetButtonState(kFirstTool + 1), TButtonGadget::Down);
  palette->ForEachGadget(false);
  for (TGadget *g = box->FirstGadget(); g != nullptr; g = box->NextGadget(*g)) EXPECT_FALSE(g->GetEnabled());
  palette->ForEachGadget(true);
  palette->EnableGadget(kFirstTool + 2, false);
  EXPECT_FALSE(box->GadgetWithId(kFirstTool + 2)->GetEnabled());
  EXPECT_TRUE(box->GadgetWithId(kFirstTool + 3)->GetEnabled());
}

TEST_F(ToolBarWnd, ADisabledButtonCannotBePressedAndAnEnabledOneReachesTheOwner) {
  Create();
  const int tool = kFirstTool + 4;
  palette->EnableGadget(tool, false);
  test_kit::PostMouse(*box, WM_LBUTTONDOWN, CenterOf(tool));
  test_kit::PostMouse(*box, WM_LBUTTONUP, CenterOf(tool));
  test_kit::RunFor(50);
  EXPECT_TRUE(owner->commands.empty());
  EXPECT_EQ(palette->GetButtonState(tool), TButtonGadget::Up);

  palette->EnableGadget(tool, true);
  test_kit::PostMouse(*box, WM_LBUTTONDOWN, CenterOf(tool));
  test_kit::PostMouse(*box, WM_LBUTTONUP, CenterOf(tool));
  ASSERT_TRUE(test_kit::RunUntil([&] { return !owner->commands.empty(); }, kWaitMs));
  EXPECT_EQ(owner->commands.front(), tool);
  EXPECT_EQ(palette->GetButtonState(tool), TButtonGadget::Down);  // a toggle stays down
}

TEST_F(ToolBarWnd, HintOnEveryNewButtonAndATipAfterTheCursorRests) {
  Create();
  TScriptedScreenProvider screen;
  palette->SetHintIdOffset(kTipOffset);
  screen.cursor = box->ClientToScreen(CenterOf(kFirstTool));
  Tick();
  ASSERT_EQ(palette->hints.size(), 1u);
  EXPECT_EQ(palette->hints[0], "Hint " + std::to_string(kFirstTool));
  // Five ticks of rest, then the tip with the offset string.
  int ticks = 0;
  while (palette->TipWindow() == nullptr && ticks < 20) {
    Tick();
    ++ticks;
  }
  EXPECT_EQ(ticks, 6);
  ASSERT_NE(palette->TipWindow(), nullptr);
  EXPECT_EQ(std::string(palette->TipText()), "Tip " + std::to_string(kFirstTool));
  // Just below the cursor (the height of its 16-point square, 21 pixels, below the hot
  // spot), where the control bars put their tips.
  EXPECT_EQ(palette->TipWindow()->GetWindowRect().top, screen.cursor.y + 21);
  const RECT barTip = TShowHelpWnd::TipRect(screen.cursor, palette->TipText());
  EXPECT_EQ(palette->TipWindow()->GetWindowRect().top, barTip.top);
  EXPECT_EQ(palette->TipWindow()->GetWindowRect().left, barTip.left);

  // A button without strings: an empty hint clears the owner's text, and never a tip.
  screen.cursor = box->ClientToScreen(CenterOf(kSilentTool));
  Tick();
  EXPECT_EQ(palette->TipWindow(), nullptr);
  ASSERT_EQ(palette->hints.size(), 2u);
  EXPECT_EQ(palette->hints[1], "");
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(palette->TipWindow(), nullptr);

  // Hints switched off: no tip and no hint.
  screen.cursor = box->ClientToScreen(CenterOf(kFirstTool));
  palette->EnableHints(0);
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(palette->TipWindow(), nullptr);
  EXPECT_EQ(palette->hints.size(), 2u);

  // A window over the palette (a menu opened over it) hides its buttons: no hint and no tip
  // until it goes.
  palette->EnableHints(1);
  const RECT bounds = palette->GetWindowRect();
  auto cover = std::make_unique<TWindow>(owner.get());
  cover->Attr = {WS_POPUP | WS_VISIBLE, 0, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, 0};
  ASSERT_TRUE(cover->Create());
  test_kit::RunFor(20);
  screen.cursor = box->ClientToScreen(CenterOf(kFirstTool + 1));
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(palette->hints.size(), 2u);
  EXPECT_EQ(palette->TipWindow(), nullptr);
  cover.reset();
  test_kit::RunFor(20);
  Tick();
  ASSERT_EQ(palette->hints.size(), 3u);
  EXPECT_EQ(palette->hints[2], "Hint " + std::to_string(kFirstTool + 1));
}

TEST_F(ToolBarWnd, ATipClosedFromOutsideIsForgottenAndTheNextRestShowsANewOne) {
  Create();
  TScriptedScreenProvider screen;
  palette->SetHintIdOffset(kTipOffset);
  screen.cursor = box->ClientToScreen(CenterOf(kFirstTool));
  for (int i = 0; i < 20 && palette->TipWindow() == nullptr; ++i) Tick();
  ASSERT_NE(palette->TipWindow(), nullptr);
  // The window manager's close: the tip deletes itself; the ticks that follow and the
  // palette's own going never touch it again.
  test_kit::CloseFromOutside(*palette->TipWindow());
  test_kit::FireEveryTimer();
  EXPECT_EQ(palette->TipWindow(), nullptr);
  screen.cursor = box->ClientToScreen(CenterOf(kFirstTool + 1));
  for (int i = 0; i < 20 && palette->TipWindow() == nullptr; ++i) Tick();
  ASSERT_NE(palette->TipWindow(), nullptr);
  EXPECT_EQ(std::string(palette->TipText()), "Tip " + std::to_string(kFirstTool + 1));
}

}  // namespace
