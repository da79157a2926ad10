// Message crackers bound to their messages, command and notification entries, command
// enablers.

#include "platform/gui/windows/response_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

// The shapes a guessing cracker used to accept are refused at compile time now: a
// one-pointer handler of WM_DRAWITEM would have been given wParam (the control id).
static_assert(!response_detail::Matches<WM_DRAWITEM, std::tuple<DRAWITEMSTRUCT *>>());
static_assert(!response_detail::Matches<WM_GETMINMAXINFO, std::tuple<MINMAXINFO *>>());
static_assert(!response_detail::Matches<WM_SETTEXT, std::tuple<WPARAM>>());
static_assert(!response_detail::Matches<WM_USER + 3, std::tuple<UINT>>());
static_assert(response_detail::Matches<WM_DRAWITEM, std::tuple<UINT, DRAWITEMSTRUCT>>());
static_assert(response_detail::Matches<WM_GETDLGCODE, std::tuple<const MSG *>>());

class TCrackedWindow : public TWindow {
 public:
  explicit TCrackedWindow(TWindow *parentWindow) : TWindow(parentWindow) {}
  bool Find(TEventInfo &info) override;

  bool EvDrawItem(UINT id, const DRAWITEMSTRUCT &item) {
    seen.push_back("draw " + std::to_string(id) + " item " + std::to_string(item.itemID) + " w " +
                   std::to_string(item.rcItem.Width()));
    return true;
  }
  void EvMeasureItem(UINT, MEASUREITEMSTRUCT &item) { item.itemHeight = 21; }
  void EvGetMinMaxInfo(MINMAXINFO &info) { info.ptMinTrackSize = {150, 90}; }
  UINT EvGetDlgCode(const MSG *message) {
    return message != nullptr && message->wParam == VK_TAB ? DLGC_WANTTAB : DLGC_WANTCHARS;
  }
  bool EvSetText(const char *text) {
    seen.push_back(std::string("text ") + text);
    return true;
  }
  HBRUSH EvCtlColor(HDC, HWND control, UINT kind) {
    seen.push_back("color kind " + std::to_string(kind) + (control == controlHandle ? " of control" : ""));
    return reinterpret_cast<HBRUSH>(std::uintptr_t{0x5000});
  }
  void EvKeyDown(UINT key, UINT repeat, UINT flags) {
    seen.push_back("key " + std::to_string(key) + " x" + std::to_string(repeat) + " f" + std::to_string(flags));
  }
  void CmApply() { seen.push_back("apply"); }
  void UnitChanged() { seen.push_back("unit changed"); }
  void CeApply(TCommandEnabler &enabler) { enabler.Enable(applyEnabled); }

  std::vector<std::string> seen;
  HWND controlHandle = reinterpret_cast<HWND>(std::uintptr_t{0x7770});
  bool applyEnabled = false;
};

constexpr UINT kApply = 120;
constexpr UINT kUnitBox = 115;
constexpr UINT kSelChange = 1;  // the combo box's selection-change code

const TResponseTableEntry kCrackedTable[] = {
    EvMessage<WM_DRAWITEM, &TCrackedWindow::EvDrawItem>(),
    EvMessage<WM_MEASUREITEM, &TCrackedWindow::EvMeasureItem>(),
    EvMessage<WM_GETMINMAXINFO, &TCrackedWindow::EvGetMinMaxInfo>(),
    EvMessage<WM_GETDLGCODE, &TCrackedWindow::EvGetDlgCode>(),
    EvMessage<WM_SETTEXT, &TCrackedWindow::EvSetText>(),
    EvMessage<WM_CTLCOLOR, &TCrackedWindow::EvCtlColor>(),
    EvMessage<WM_KEYDOWN, &TCrackedWindow::EvKeyDown>(),
    EvCommand<&TCrackedWindow::CmApply>(kApply),
    EvChildNotify<&TCrackedWindow::UnitChanged>(kUnitBox, kSelChange),
    EvCommandEnable<&TCrackedWindow::CeApply>(kApply),
};

bool TCrackedWindow::Find(TEventInfo &info) {
  return SearchResponseTable(kCrackedTable, info) || TWindow::Find(info);
}

struct TCrackerFixture : ::testing::Test {
  void SetUp() override {
    test_kit::EnsureApplication();
    window.Attr.Style = WS_POPUP;
    window.Attr.W = 100;
    window.Attr.H = 80;
    ASSERT_TRUE(window.Create());
  }
  TCrackedWindow window{nullptr};
};

TEST_F(TCrackerFixture, RecordMessagesReachHandlersThroughLParam) {
  DRAWITEMSTRUCT item;
  item.itemID = 4;
  item.rcItem = {0, 0, 33, 10};
  EXPECT_EQ(window.SendMessage(WM_DRAWITEM, 9, reinterpret_cast<LPARAM>(&item)), 1);
  MEASUREITEMSTRUCT measure;
  window.SendMessage(WM_MEASUREITEM, 9, reinterpret_cast<LPARAM>(&measure));
  EXPECT_EQ(measure.itemHeight, 21u);
  MINMAXINFO limits;
  window.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 150);
  EXPECT_EQ(limits.ptMinTrackSize.y, 90);
  MSG tab;
  tab.message = WM_KEYDOWN;
  tab.wParam = VK_TAB;
  EXPECT_EQ(window.SendMessage(WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)),
            static_cast<LRESULT>(DLGC_WANTTAB));
  EXPECT_EQ(window.SendMessage(WM_GETDLGCODE, 0, 0), static_cast<LRESULT>(DLGC_WANTCHARS));
  window.SetWindowText("Spot");
  window.SendMessage(WM_KEYDOWN, VK_RETURN, MAKELPARAM(3, 0x1C));
  ASSERT_EQ(window.seen.size(), 3u);
  EXPECT_EQ(window.seen[0], "draw 9 item 4 w 33");
  EXPECT_EQ(window.seen[1], "text Spot");
  EXPECT_EQ(window.seen[2], "key 13 x3 f28");
}

TEST_F(TCrackerFixture, EveryControlColourMessageFindsTheColourEntryWithItsKind) {
  const LRESULT brush = window.SendMessage(WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(window.controlHandle));
  window.SendMessage(WM_CTLCOLORSTATIC, 0, 0);
  window.SendMessage(WM_CTLCOLORDLG, 0, 0);
  EXPECT_EQ(brush, 0x5000);
  ASSERT_EQ(window.seen.size(), 3u);
  EXPECT_EQ(window.seen[0], "color kind 1 of control");
  EXPECT_EQ(window.seen[1], "color kind 6");
  EXPECT_EQ(window.seen[2], "color kind 4");
}

TEST_F(TCrackerFixture, CommandsAndNotificationsAreToldApartByTheirCode) {
  const LPARAM control = reinterpret_cast<LPARAM>(window.controlHandle);
  window.SendMessage(WM_COMMAND, kApply, 0);                    // menu
  window.SendMessage(WM_COMMAND, MAKELPARAM(kApply, 1), 0);     // accelerator
  window.SendMessage(WM_COMMAND, MAKELPARAM(kApply, 0), control);  // button click
  window.SendMessage(WM_COMMAND, MAKELPARAM(kApply, 0x300), control);  // an edit's change: not a command
  window.SendMessage(WM_COMMAND, MAKELPARAM(kUnitBox, 0x300), control);
  window.SendMessage(WM_COMMAND, MAKELPARAM(kUnitBox, kSelChange), control);
  const std::vector<std::string> expected{"apply", "apply", "apply", "unit changed"};
  EXPECT_EQ(window.seen, expected);
}

TEST(CommandEnabler, AnswersFromTheWindowWithTheEntryOrTravelsToTheParent) {
  test_kit::EnsureApplication();
  TCrackedWindow frame(nullptr);
  frame.Attr.Style = WS_POPUP;
  TWindow *child = new TWindow(&frame);
  ASSERT_TRUE(frame.Create());
  TCommandEnabler fromChild(kApply);
  child->SendMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&fromChild));
  EXPECT_TRUE(fromChild.GetHandled());
  EXPECT_FALSE(fromChild.IsEnabled());
  frame.applyEnabled = true;
  TCommandEnabler again(kApply);
  frame.SendMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&again));
  EXPECT_TRUE(again.IsEnabled());
  TCommandEnabler unknown(999);
  child->SendMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&unknown));
  EXPECT_FALSE(unknown.GetHandled());
}

}  // namespace
