// The drawn controls: their pixels follow the parent's WM_CTLCOLOR answer, clicks check and
// tell the parent, radio groups keep one checked, the gauge's bar and text follow its value.

#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "platform/gui/controls/button.h"
#include "platform/gui/controls/gauge.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/font_map.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr COLORREF kGrey = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kDarkRed = RGB(0x80, 0, 0);
constexpr int kRedStatic = 10000;

// A parent coloured as the program's dialogs are: grey for statics and buttons, dark red
// text for one static; it records the commands it hears.
class TColoredParent : public TWindow {
 public:
  TColoredParent() : TWindow(nullptr), grey(kGrey) {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 30;
    Attr.Y = 30;
    Attr.W = 320;
    Attr.H = 240;
  }
  bool Find(TEventInfo &info) override;
  HBRUSH EvCtlColor(HDC dc, HWND control, UINT kind) {
    kinds.push_back(kind);
    TDC *context = TDC::FromHandle(dc);
    context->SetBkColor(kGrey);
    context->SetTextColor(GetDlgCtrlID(control) == kRedStatic ? kDarkRed : RGB(0, 0, 0));
    return grey;
  }
  void EvCommand(UINT id, HWND, UINT code) { commands.push_back({id, code}); }
  TBrush grey;
  std::vector<UINT> kinds;
  std::vector<std::pair<UINT, UINT>> commands;
};

const TResponseTableEntry kColoredParentTable[] = {
    EvMessage<WM_CTLCOLOR, &TColoredParent::EvCtlColor>(),
    EvMessage<WM_COMMAND, &TColoredParent::EvCommand>(),
};

bool TColoredParent::Find(TEventInfo &info) {
  return SearchResponseTable(kColoredParentTable, info) || TWindow::Find(info);
}

// Pixels of the window's client area that have exactly the colour.
int CountColor(TWindow &window, COLORREF color) {
  const RECT client = window.GetClientRect();
  int count = 0;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) count += test_kit::ClientPixel(window, x, y) == color ? 1 : 0;
  }
  return count;
}

struct DrawnControls : ::testing::Test {
  void SetUp() override {
    test_kit::EnsureApplication();
    parent = new TColoredParent;
  }
  void TearDown() override { delete parent; }
  void CreateAll() {
    ASSERT_TRUE(parent->Create());
    ASSERT_TRUE(test_kit::RunUntil([&] { return parent->IsWindowVisible(); }, kWaitMs));
    for (TWindow *child : parent->GetChildren()) child->UpdateWindow();
  }
  TColoredParent *parent = nullptr;
};

}  // namespace

TEST_F(DrawnControls, StaticTextTakesTheParentsColours) {
  auto *red = new TStatic(parent, kRedStatic, "Warning text", 10, 10, 150, 20);
  auto *plain = new TStatic(parent, 5, "Plain text", 10, 40, 150, 20);
  CreateAll();
  EXPECT_EQ(test_kit::ClientPixel(*red, 148, 18), kGrey);  // the parent's brush behind the text
  EXPECT_GT(CountColor(*red, kDarkRed), 20);
  EXPECT_EQ(CountColor(*plain, kDarkRed), 0);
  EXPECT_GT(CountColor(*plain, RGB(0, 0, 0)), 20);
  ASSERT_FALSE(parent->kinds.empty());
  EXPECT_EQ(parent->kinds.front(), CTLCOLOR_STATIC);
  // A disabled text is etched: white under grey, no black left.
  plain->EnableWindow(false);
  plain->UpdateWindow();
  EXPECT_EQ(CountColor(*plain, RGB(0, 0, 0)), 0);
  EXPECT_GT(CountColor(*plain, GetSysColor(COLOR_GRAYTEXT)), 20);
  EXPECT_GT(CountColor(*plain, RGB(255, 255, 255)), 20);
}

TEST_F(DrawnControls, CheckBoxClickTogglesShowsTheTickAndTellsTheParent) {
  auto *box = new TCheckBox(parent, 301, "Show rays", 10, 10, 120, 20);
  CreateAll();
  const int blackBefore = CountColor(*box, RGB(0, 0, 0));
  test_kit::PostMouse(*box, WM_LBUTTONDOWN, {5, 10});
  test_kit::PostMouse(*box, WM_LBUTTONUP, {5, 10});
  ASSERT_TRUE(test_kit::RunUntil([&] { return !parent->commands.empty(); }, kWaitMs));
  EXPECT_EQ(parent->commands.front(), (std::pair<UINT, UINT>{301, BN_CLICKED}));
  EXPECT_EQ(box->GetCheck(), BST_CHECKED);
  box->UpdateWindow();
  // The tick: 7 columns of 3 pixels, black, inside the box (and the focus frame appears).
  EXPECT_GE(CountColor(*box, RGB(0, 0, 0)), blackBefore + 21);
  box->Click();
  EXPECT_EQ(box->GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(parent->commands.size(), 2u);
}

TEST_F(DrawnControls, RadioButtonsOfAGroupKeepOneChecked) {
  auto *first = new TRadioButton(parent, 401, "Sagittal", 10, 10, 100, 18);
  first->Attr.Style |= WS_GROUP;
  auto *second = new TRadioButton(parent, 402, "Tangential", 10, 30, 100, 18);
  auto *otherGroup = new TRadioButton(parent, 403, "Both", 10, 50, 100, 18);
  otherGroup->Attr.Style |= WS_GROUP;
  CreateAll();
  first->Click();
  otherGroup->Click();
  EXPECT_EQ(first->GetCheck(), BST_CHECKED);
  second->Click();
  EXPECT_EQ(first->GetCheck(), BST_UNCHECKED);
  EXPECT_EQ(second->GetCheck(), BST_CHECKED);
  EXPECT_EQ(otherGroup->GetCheck(), BST_CHECKED);  // another group
  // The dot: black pixels at the circle's centre only when checked.
  first->UpdateWindow();
  second->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*second, 5, 8), RGB(0, 0, 0));
  EXPECT_EQ(test_kit::ClientPixel(*first, 5, 8), RGB(255, 255, 255));
}

TEST_F(DrawnControls, PushButtonClicksByMouseAndSpaceAndShowsItsState) {
  auto *ok = new TButton(parent, IDOK, "OK", 10, 10, 75, 23, true);
  auto *other = new TButton(parent, 120, "&Apply", 100, 10, 75, 23);
  CreateAll();
  EXPECT_EQ(test_kit::ClientPixel(*ok, 0, 0), RGB(0, 0, 0));  // the default button's ring
  EXPECT_EQ(test_kit::ClientPixel(*other, 0, 0), RGB(255, 255, 255));  // a raised edge
  test_kit::PostMouse(*other, WM_LBUTTONDOWN, {30, 10});
  ASSERT_TRUE(test_kit::RunUntil([&] { return (other->GetState() & BST_PUSHED) != 0; }, kWaitMs));
  other->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*other, 0, 0), RGB(0, 0, 0));  // focused: ringed
  EXPECT_EQ(test_kit::ClientPixel(*other, 1, 1), GetSysColor(COLOR_BTNSHADOW));  // pushed in
  test_kit::PostMouse(*other, WM_LBUTTONUP, {30, 10});
  ASSERT_TRUE(test_kit::RunUntil([&] { return !parent->commands.empty(); }, kWaitMs));
  EXPECT_EQ(parent->commands.back(), (std::pair<UINT, UINT>{120, BN_CLICKED}));
  // Released outside, a press is no click.
  test_kit::PostMouse(*other, WM_LBUTTONDOWN, {30, 10});
  test_kit::PostMouse(*other, WM_MOUSEMOVE, {300, 10}, MK_LBUTTON);
  test_kit::PostMouse(*other, WM_LBUTTONUP, {300, 10});
  test_kit::RunFor(50);
  EXPECT_EQ(parent->commands.size(), 1u);
  test_kit::PostKey(*other, VK_SPACE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent->commands.size() == 2; }, kWaitMs));
}

TEST_F(DrawnControls, GaugeBarAndPercentFollowTheValue) {
  auto *gauge = new TGauge(parent, nullptr, 500, 10, 10, 202, 22);
  CreateAll();
  gauge->SetRange(0, 200);
  gauge->SetValue(75);  // 37.5 % shows as 37 %
  EXPECT_EQ(gauge->Percent(), 37);
  gauge->UpdateWindow();
  // Frame 1, margin 1: the bar spans 198 pixels from x = 2, so 75 of 200 fill 74 of them.
  const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 2, 3), bar);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 75, 3), bar);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 76, 3), kGrey);
  EXPECT_GT(CountColor(*gauge, RGB(0, 0, 0)), 10);  // "37 %" over the background
  gauge->SetValue(500);  // kept within the range
  EXPECT_EQ(gauge->GetValue(), 200);
  gauge->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 198, 3), bar);
  EXPECT_EQ(CountColor(*gauge, RGB(0, 0, 0)), 0);  // the text is light over the full bar
}

TEST_F(DrawnControls, LedGaugeLightsWholeSegmentsAndShowsNoText) {
  // A well of 200 pixels (202 less the frame): range 0..100 in segments of 4 units, 80 %
  // lit: a segment every 8 pixels, 6 of them lit (4 x 0.8 x 2 = 6.4).
  auto *gauge = new TGauge(parent, nullptr, 501, 10, 10, 202, 22, true, 0);
  CreateAll();
  gauge->SetLed(4, 80);
  gauge->SetValue(10);  // segments at 0 and 4 units, and the one at 8 started
  gauge->UpdateWindow();
  const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 1, 5), bar);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 6, 5), bar);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 7, 5), kGrey);  // the gap after the first
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 8, 5), kGrey);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 9, 5), bar);
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 17, 5), bar);  // third segment, begun below 10
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 25, 5), kGrey);  // the fourth starts at 12 units
  EXPECT_EQ(CountColor(*gauge, RGB(0, 0, 0)), 0);  // no percentage text
  gauge->SetValue(100);
  gauge->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 193, 5), bar);  // the last segment, at 96 units
  EXPECT_EQ(test_kit::ClientPixel(*gauge, 199, 5), kGrey);
}

TEST_F(DrawnControls, GroupBoxFramesItsAreaBelowItsTitle) {
  auto *group = new TGroupBox(parent, 600, "Field", 10, 10, 200, 100);
  CreateAll();
  const TEXTMETRIC metrics = MetricsOfLogFont(DefaultControlFont()->logFont);
  const int lineTop = metrics.tmHeight / 2;
  EXPECT_EQ(test_kit::ClientPixel(*group, 0, 60), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(test_kit::ClientPixel(*group, 1, 60), RGB(255, 255, 255));
  EXPECT_EQ(test_kit::ClientPixel(*group, 150, lineTop), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(test_kit::ClientPixel(*group, 150, lineTop + 20), kGrey);
  // The title interrupts the top line.
  EXPECT_EQ(test_kit::ClientPixel(*group, 7, lineTop), kGrey);
  EXPECT_EQ(group->SendMessage(WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

namespace {

constexpr COLORREF kUpColor = RGB(0xFF, 0xFF, 0x00);
constexpr COLORREF kDownColor = RGB(0x00, 0x00, 0xFF);
constexpr COLORREF kOffColor = RGB(0x80, 0x80, 0x80);

// A parent that paints its owner-drawn buttons: yellow when up, blue while pushed, grey
// when disabled; it records what it was asked to draw.
class TDrawingParent : public TWindow {
 public:
  TDrawingParent() : TWindow(nullptr) {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 30;
    Attr.Y = 30;
    Attr.W = 240;
    Attr.H = 120;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_DRAWITEM) {
      const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
      drawn.push_back(item);
      const COLORREF color = (item.itemState & ODS_DISABLED)   ? kOffColor
                             : (item.itemState & ODS_SELECTED) ? kDownColor
                                                               : kUpColor;
      TBrush brush(color);
      TDC::FromHandle(item.hDC)->FillRect(item.rcItem, brush);
      return 1;
    }
    if (msg == WM_COMMAND) commands.push_back({LOWORD(wParam), HIWORD(wParam)});
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  std::vector<DRAWITEMSTRUCT> drawn;
  std::vector<std::pair<UINT, UINT>> commands;
};

}  // namespace

TEST(OwnerDrawnButton, ItsParentPaintsEachStateAndItClicksAsAPushButton) {
  test_kit::EnsureApplication();
  TDrawingParent parent;
  auto *button = new TButton(&parent, 13321, "", 10, 10, 60, 30);
  button->Attr.Style = (button->Attr.Style & ~BS_TYPEMASK) | BS_OWNERDRAW;
  ASSERT_TRUE(parent.Create());
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent.IsWindowVisible(); }, kWaitMs));
  button->UpdateWindow();
  ASSERT_FALSE(parent.drawn.empty());
  const DRAWITEMSTRUCT first = parent.drawn.back();
  EXPECT_EQ(first.CtlType, ODT_BUTTON);
  EXPECT_EQ(first.CtlID, 13321u);
  EXPECT_EQ(first.hwndItem, button->GetHandle());
  EXPECT_EQ(first.rcItem.right, 60);
  EXPECT_EQ(first.rcItem.bottom, 30);
  // Only the parent's paint shows: no frame of a drawn push button is left.
  EXPECT_EQ(test_kit::ClientPixel(*button, 0, 0), kUpColor);
  EXPECT_EQ(test_kit::ClientPixel(*button, 59, 29), kUpColor);

  test_kit::PostMouse(*button, WM_LBUTTONDOWN, {20, 10});
  ASSERT_TRUE(test_kit::RunUntil([&] { return (button->GetState() & BST_PUSHED) != 0; }, kWaitMs));
  button->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*button, 30, 15), kDownColor);
  EXPECT_TRUE(parent.drawn.back().itemState & ODS_FOCUS);
  test_kit::PostMouse(*button, WM_LBUTTONUP, {20, 10});
  ASSERT_TRUE(test_kit::RunUntil([&] { return !parent.commands.empty(); }, kWaitMs));
  EXPECT_EQ(parent.commands.front(), (std::pair<UINT, UINT>{13321, BN_CLICKED}));
  button->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*button, 30, 15), kUpColor);

  button->EnableWindow(false);
  button->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*button, 30, 15), kOffColor);
}
