// Menu handles and their items, menu resources, menu bars in the window image and the
// system menu.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gui/bars/resources.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_look.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;

// File: Open (1), Save (2, grey), separator, Recent > (One (11), Two (12)).
struct TFileMenu {
  TFileMenu() {
    AppendMenu(recent, MF_STRING, 11, "&One");
    AppendMenu(recent, MF_STRING, 12, "&Two");
    AppendMenu(file, MF_STRING, 1, "&Open\tCtrl+O");
    AppendMenu(file, MF_STRING | MF_GRAYED, 2, "&Save");
    AppendMenu(file, MF_SEPARATOR, 0, nullptr);
    AppendMenu(file, MF_POPUP, reinterpret_cast<std::uintptr_t>(recent), "&Recent");
  }
  ~TFileMenu() { DestroyMenu(file); }
  HMENU file = CreatePopupMenu();
  HMENU recent = CreatePopupMenu();
};

TEST(Menu, WalkCallsDescribeItemsAndSubMenus) {
  TFileMenu menu;
  EXPECT_EQ(GetMenuItemCount(menu.file), 4);
  EXPECT_EQ(GetMenuItemID(menu.file, 0), 1u);
  EXPECT_EQ(GetMenuItemID(menu.file, 2), 0u);                      // separator
  EXPECT_EQ(GetMenuItemID(menu.file, 3), static_cast<UINT>(-1));   // pop-up
  EXPECT_EQ(GetMenuItemID(menu.file, 9), static_cast<UINT>(-1));   // missing
  EXPECT_EQ(GetSubMenu(menu.file, 3), menu.recent);
  EXPECT_EQ(GetSubMenu(menu.file, 0), nullptr);

  EXPECT_EQ(GetMenuState(menu.file, 2, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(GetMenuState(menu.file, 2, MF_BYPOSITION), MF_SEPARATOR);
  // A pop-up item gives its sub-menu's item count in the high byte.
  EXPECT_EQ(GetMenuState(menu.file, 3, MF_BYPOSITION), (2u << 8) | MF_POPUP);
  EXPECT_EQ(GetMenuState(menu.file, 99, MF_BYCOMMAND), kMenuStateMissing);
  // By command the sub-menus are searched too.
  EXPECT_EQ(GetMenuState(menu.file, 12, MF_BYCOMMAND), MF_STRING);

  char buffer[5];
  EXPECT_EQ(GetMenuString(menu.file, 1, nullptr, 0, MF_BYCOMMAND), 12);
  EXPECT_EQ(GetMenuString(menu.file, 1, buffer, sizeof buffer, MF_BYCOMMAND), 4);
  EXPECT_STREQ(buffer, "&Ope");
  EXPECT_EQ(GetMenuString(menu.file, 77, buffer, sizeof buffer, MF_BYCOMMAND), 0);
  EXPECT_STREQ(buffer, "");
}

TEST(Menu, CheckAndEnableReturnThePreviousState) {
  TFileMenu menu;
  EXPECT_EQ(CheckMenuItem(menu.file, 11, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(CheckMenuItem(menu.file, 11, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(menu.file, 0, MF_BYPOSITION | MF_CHECKED), MF_UNCHECKED);
  EXPECT_EQ(GetMenuState(menu.file, 1, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(menu.file, 404, MF_BYCOMMAND), static_cast<DWORD>(-1));

  EXPECT_EQ(EnableMenuItem(menu.file, 2, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(menu.file, 2, MF_BYCOMMAND | MF_DISABLED), static_cast<BOOL>(MF_ENABLED));
  EXPECT_EQ(GetMenuState(menu.file, 2, MF_BYCOMMAND), MF_DISABLED);
  EXPECT_EQ(EnableMenuItem(menu.file, 404, MF_BYCOMMAND), -1);
}

TEST(Menu, ModifyToOwnerDrawKeepsIdAndCarriesItemData) {
  TFileMenu menu;
  const std::uintptr_t data = 0x5150;
  ASSERT_TRUE(ModifyMenu(menu.file, 0, MF_BYPOSITION | MF_OWNERDRAW | MF_CHECKED, 1,
                         reinterpret_cast<const char *>(data)));
  const TMenuItem *item = FindMenuItem(menu.file, 1, MF_BYCOMMAND);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->ItemData, data);
  EXPECT_EQ(GetMenuState(menu.file, 1, MF_BYCOMMAND), MF_OWNERDRAW | MF_CHECKED);
  // A pop-up item stays a pop-up on its own sub-menu.
  ASSERT_TRUE(ModifyMenu(menu.file, 3, MF_BYPOSITION | MF_POPUP | MF_OWNERDRAW,
                         reinterpret_cast<std::uintptr_t>(menu.recent), nullptr));
  EXPECT_TRUE(IsMenu(menu.recent));
  EXPECT_EQ(GetSubMenu(menu.file, 3), menu.recent);
}

TEST(Menu, DeleteDestroysTheSubMenuRemoveHandsItBack) {
  TFileMenu menu;
  HMENU kept = menu.recent;
  ASSERT_TRUE(RemoveMenu(menu.file, 3, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(kept));
  EXPECT_EQ(GetMenuItemCount(menu.file), 3);
  ASSERT_TRUE(AppendMenu(menu.file, MF_POPUP, reinterpret_cast<std::uintptr_t>(kept), "&Recent"));
  ASSERT_TRUE(DeleteMenu(menu.file, 3, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(kept));
  // Stale handles are refused everywhere, never followed.
  EXPECT_EQ(GetMenuItemCount(kept), -1);
  EXPECT_FALSE(AppendMenu(kept, MF_STRING, 5, "x"));
  EXPECT_FALSE(AppendMenu(menu.file, MF_POPUP, reinterpret_cast<std::uintptr_t>(kept), "y"));
  EXPECT_FALSE(DestroyMenu(kept));
}

TEST(Menu, InsertByCommandGoesBeforeThatItem) {
  TFileMenu menu;
  ASSERT_TRUE(InsertMenu(menu.file, 12, MF_BYCOMMAND | MF_STRING, 15, "One and a &half"));
  EXPECT_EQ(GetMenuItemID(menu.recent, 1), 15u);
  EXPECT_EQ(GetMenuItemID(menu.recent, 2), 12u);
  ASSERT_TRUE(InsertMenu(menu.file, 0, MF_BYPOSITION | MF_STRING, 16, "&New"));
  EXPECT_EQ(GetMenuItemID(menu.file, 0), 16u);
}

TEST(Menu, ResourcesBuildNestedMenusAndRejectBadNesting) {
  const TMenuTemplateItem rows[] = {
      {"&File", 0, MF_POPUP},    {"&New", 100, 0},   {"&Export", 0, MF_POPUP},
      {"&Text", 110, 0},         {nullptr, 0, MF_END}, {nullptr, 0, MF_SEPARATOR},
      {"E&xit", 101, 0},         {nullptr, 0, MF_END}, {"&Settings", 200, 0},
  };
  RegisterMenuResource("TestMenu", rows, static_cast<int>(std::size(rows)));
  TMenu bar(nullptr, "TESTMENU");  // names compare without case
  ASSERT_TRUE(bar.IsOK());
  ASSERT_EQ(bar.GetMenuItemCount(), 2);
  HMENU file = bar.GetSubMenu(0);
  ASSERT_EQ(GetMenuItemCount(file), 4);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(file, 1), 0), 110u);
  EXPECT_EQ(GetMenuState(file, 2, MF_BYPOSITION), MF_SEPARATOR);
  EXPECT_EQ(bar.GetMenuString(200, MF_BYCOMMAND), "&Settings");

  const TMenuTemplateItem unclosed[] = {{"&File", 0, MF_POPUP}, {"&New", 100, 0}};
  RegisterMenuResource("Unclosed", unclosed, 2);
  EXPECT_EQ(LoadMenu(nullptr, "Unclosed"), nullptr);
  const TMenuTemplateItem extraEnd[] = {{"&New", 100, 0}, {nullptr, 0, MF_END}};
  RegisterMenuResource("ExtraEnd", extraEnd, 2);
  EXPECT_EQ(LoadMenu(nullptr, "ExtraEnd"), nullptr);
  EXPECT_EQ(LoadMenu(nullptr, "NoSuchMenu"), nullptr);
}

TEST(Menu, APopupIsWideEnoughForItsLongestItemAndItsMargin) {
  test_kit::EnsureApplication();
  // Items of a view menu, the longest in the middle, one checked and one grey.
  const char *const texts[] = {"&Refresh (ctrl-R)", "Actual &size", "&General parameters of system",
                               "&Real beams", "&Properties of selected elements", "&Base Configuration"};
  HMENU view = CreatePopupMenu();
  for (int i = 0; i < 6; ++i) AppendMenu(view, MF_STRING | (i == 3 ? MF_CHECKED : 0) | (i == 5 ? MF_GRAYED : 0), 100 + i, texts[i]);
  const TMenuLayout layout = LayoutPopupMenu(nullptr, view);
  ASSERT_EQ(layout.Items.size(), 6u);
  QImage picture(layout.Size.cx, layout.Size.cy, QImage::Format_RGB32);
  TImageDC dc(&picture);
  PaintPopupMenu(dc, nullptr, view, layout, -1);
  const COLORREF face = GetSysColor(COLOR_MENU);
  const COLORREF white = RGB(255, 255, 255);
  // Right of every item's text the pop-up keeps the room a sub-menu arrow takes (14
  // pixels) before its border; the text begins past the check-mark column.
  constexpr int kRightRoom = 14;
  int widestInk = 0;
  for (int i = 0; i < 6; ++i) {
    const RECT &item = layout.Items[static_cast<std::size_t>(i)];
    int left = item.right, right = item.left - 1;
    for (int y = item.top; y < item.bottom; ++y)
      for (int x = item.left; x < item.right; ++x) {
        const COLORREF pixel = ColorOfPixel(picture.pixel(x, y));
        if (pixel == face || pixel == white) continue;
        if (i == 3 && x < item.left + kMenuCheckMarkSize + 2) continue;  // the check mark
        left = std::min(left, x);
        right = std::max(right, x);
      }
    ASSERT_GT(right, left) << texts[i];
    EXPECT_GE(left, item.left + kMenuCheckMarkSize + 2) << texts[i];
    EXPECT_GE(layout.Size.cx - kMenuPopupBorder - (right + 1), kRightRoom) << texts[i];
    widestInk = std::max(widestInk, right + 1 - left);
  }
  // No wider than that needs: the longest text fills the pop-up but for its margins.
  EXPECT_LE(layout.Size.cx - widestInk, 2 * kMenuPopupBorder + kMenuCheckMarkSize + 6 + kRightRoom + 2);
  dc.RestoreObjects();
  DestroyMenu(view);
}

TEST(Menu, CheckMarkIsThirteenPixelsSquare) {
  const LONG dimensions = GetMenuCheckMarkDimensions();
  EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(dimensions)), 13);
  EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(dimensions)), 13);
}

TEST(Menu, SystemCheckMarkBitmapIsABlackMarkOnWhiteOfTheCheckMarkSize) {
  HBITMAP check = LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECK));
  ASSERT_NE(check, nullptr);
  const QImage &picture = check->image;
  const LONG dimensions = GetMenuCheckMarkDimensions();
  EXPECT_EQ(picture.width(), LOWORD(static_cast<std::uintptr_t>(dimensions)));
  EXPECT_EQ(picture.height(), HIWORD(static_cast<std::uintptr_t>(dimensions)));
  int black = 0;
  int white = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb pixel = picture.pixel(x, y) & 0xFFFFFFu;
      black += pixel == 0 ? 1 : 0;
      white += pixel == 0xFFFFFFu ? 1 : 0;
    }
  }
  // Two colours only; the mark is a thin stroke, far less than half the square.
  EXPECT_EQ(black + white, picture.width() * picture.height());
  EXPECT_GT(black, 10);
  EXPECT_LT(black, picture.width() * picture.height() / 3);
  // A tick, not a V: the right arm rises above the left one (its top is higher up).
  const auto topOfColumn = [&](int x) {
    for (int y = 0; y < picture.height(); ++y) {
      if ((picture.pixel(x, y) & 0xFFFFFFu) == 0) return y;
    }
    return picture.height();
  };
  int leftmost = 0;
  while (leftmost < picture.width() && topOfColumn(leftmost) == picture.height()) ++leftmost;
  int rightmost = picture.width() - 1;
  while (rightmost > 0 && topOfColumn(rightmost) == picture.height()) --rightmost;
  ASSERT_LT(leftmost, rightmost);
  EXPECT_LT(topOfColumn(rightmost), topOfColumn(leftmost));
  // Corners stay white, so SRCAND leaves the item's background there.
  EXPECT_EQ(picture.pixel(0, 0) & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(picture.pixel(12, 12) & 0xFFFFFFu, 0xFFFFFFu);
  DeleteObject(check);
}

TEST(Menu, AnItemMadeOwnerDrawnKeepsItsTextForTheWalk) {
  TFileMenu menu;
  char before[32] = {};
  GetMenuString(menu.file, 0, before, sizeof before, MF_BYPOSITION);
  ASSERT_NE(before[0], '\0');
  ASSERT_TRUE(ModifyMenu(menu.file, 0, MF_BYPOSITION | MF_OWNERDRAW, GetMenuItemID(menu.file, 0),
                         reinterpret_cast<const char *>(std::uintptr_t{9})));
  char after[32] = {};
  GetMenuString(menu.file, 0, after, sizeof after, MF_BYPOSITION);
  EXPECT_STREQ(after, before);
  // Back to a plain string: the new text wins.
  ASSERT_TRUE(ModifyMenu(menu.file, 0, MF_BYPOSITION | MF_STRING, GetMenuItemID(menu.file, 0), "&Other"));
  GetMenuString(menu.file, 0, after, sizeof after, MF_BYPOSITION);
  EXPECT_STREQ(after, "&Other");
}

TEST(Menu, MnemonicsSkipDoubledAmpersands) {
  TMenuItem item;
  item.Text = "Save && E&xit";
  EXPECT_EQ(MenuMnemonic(item), 'x');
  item.Text = "Plain";
  EXPECT_EQ(MenuMnemonic(item), 0);
}

class TSizeWindow : public TWindow {
 public:
  TSizeWindow() : TWindow(nullptr, "Bar") {
    Attr.Style = WS_POPUP | WS_BORDER;  // a drawn frame: the bar lies inside the image
    Attr.X = 10;
    Attr.Y = 10;
    Attr.W = 300;
    Attr.H = 120;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_SIZE) lastClientHeight = HIWORD(static_cast<std::uintptr_t>(lParam));
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int lastClientHeight = -1;
};

int CountPixels(const QImage &image, const RECT &rect, COLORREF color) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      const QRgb pixel = image.pixel(x, y);
      count += RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)) == color ? 1 : 0;
    }
  }
  return count;
}

TEST(MenuBar, TakesItsBandFromTheClientAndIsDrawnInTheImage) {
  test_kit::EnsureApplication();
  TSizeWindow window;
  ASSERT_TRUE(window.Create());
  const int clientBefore = window.GetClientRect().bottom;
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenu(file, MF_STRING, 1, "&Open");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(file), "&File");
  AppendMenu(bar, MF_STRING | MF_GRAYED, 2, "&Help");
  ASSERT_TRUE(SetMenu(window.GetHandle(), bar));
  EXPECT_EQ(GetMenu(window.GetHandle()), bar);

  const int band = GetSystemMetrics(SM_CYMENU);
  EXPECT_EQ(window.GetClientRect().bottom, clientBefore - band);
  EXPECT_EQ(window.lastClientHeight, clientBefore - band);
  // The band sits inside the border, and the client starts below it.
  const RECT barRect = window.MenuBarRect();
  EXPECT_EQ(barRect.top, 1);
  EXPECT_EQ(barRect.bottom, 1 + band);
  EXPECT_EQ(window.ClientOrigin().y, 1 + band);

  const QImage image = test_kit::WindowPixels(window);
  const RECT fileRect = MenuBarItemRect(window.GetHandle(), 0);
  const RECT helpRect = MenuBarItemRect(window.GetHandle(), 1);
  ASSERT_GT(fileRect.Width(), 0);
  EXPECT_EQ(helpRect.left, fileRect.right);
  // Menu-coloured band, black text on "File", grey text on the grey "Help".
  EXPECT_GT(CountPixels(image, barRect, GetSysColor(COLOR_MENU)), barRect.Width() * band / 2);
  EXPECT_GT(CountPixels(image, fileRect, GetSysColor(COLOR_MENUTEXT)), 10);
  EXPECT_GT(CountPixels(image, helpRect, GetSysColor(COLOR_GRAYTEXT)), 10);
  EXPECT_EQ(CountPixels(image, helpRect, GetSysColor(COLOR_MENUTEXT)), 0);

  // Changing an item repaints the bar: Help enabled is drawn black.
  EnableMenuItem(bar, 2, MF_BYCOMMAND | MF_ENABLED);
  EXPECT_GT(CountPixels(test_kit::WindowPixels(window), helpRect, GetSysColor(COLOR_MENUTEXT)), 10);

  // Taking the bar away gives the band back; the bar is the caller's again.
  ASSERT_TRUE(SetMenu(window.GetHandle(), nullptr));
  EXPECT_EQ(window.GetClientRect().bottom, clientBefore);
  EXPECT_TRUE(IsMenu(bar));
  DestroyMenu(bar);
}

TEST(MenuBar, WrapsToASecondLineWhenTheWindowIsNarrow) {
  test_kit::EnsureApplication();
  TSizeWindow window;
  window.Attr.W = 90;
  ASSERT_TRUE(window.Create());
  HMENU bar = CreateMenu();
  for (UINT id = 1; id <= 4; ++id) AppendMenu(bar, MF_STRING, id, "&Command");
  ASSERT_TRUE(SetMenu(window.GetHandle(), bar));
  const int line = GetSystemMetrics(SM_CYMENU);
  EXPECT_GE(window.MenuBarHeight(), 2 * line);
  EXPECT_GT(MenuBarItemRect(window.GetHandle(), 3).top, MenuBarItemRect(window.GetHandle(), 0).top);
  // Wide enough again: one line.
  window.MoveWindow(10, 10, 600, 120);
  ASSERT_TRUE(test_kit::RunUntil([&] { return window.MenuBarHeight() == line; }, kWaitMs));
}

TEST(MenuBar, RefusesPopupsAndSharedBarsAndGoesWithItsWindow) {
  test_kit::EnsureApplication();
  TSizeWindow first;
  TSizeWindow second;
  ASSERT_TRUE(first.Create());
  ASSERT_TRUE(second.Create());
  HMENU popup = CreatePopupMenu();
  EXPECT_FALSE(SetMenu(first.GetHandle(), popup));
  DestroyMenu(popup);
  HMENU bar = CreateMenu();
  AppendMenu(bar, MF_STRING, 1, "&Go");
  ASSERT_TRUE(SetMenu(first.GetHandle(), bar));
  EXPECT_FALSE(SetMenu(second.GetHandle(), bar));
  first.Destroy();
  EXPECT_FALSE(IsMenu(bar));
  // A destroyed bar leaves its window without one.
  HMENU other = CreateMenu();
  AppendMenu(other, MF_STRING, 1, "&Go");
  ASSERT_TRUE(SetMenu(second.GetHandle(), other));
  const int client = second.GetClientRect().bottom;
  DestroyMenu(other);
  EXPECT_EQ(GetMenu(second.GetHandle()), nullptr);
  EXPECT_EQ(second.GetClientRect().bottom, client + GetSystemMetrics(SM_CYMENU));
}

TEST(SystemMenu, FollowsTheStyleAndRevertsToTheStandardItems) {
  test_kit::EnsureApplication();
  TWindow palette(nullptr, "Palette");
  palette.Attr.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  palette.Attr.W = 120;
  palette.Attr.H = 80;
  ASSERT_TRUE(palette.Create());
  HMENU menu = GetSystemMenu(palette.GetHandle(), 0);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetSystemMenu(palette.GetHandle(), 0), menu);  // made once
  // No sizing frame, no boxes: Move, separator, Close.
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(GetMenuItemID(menu, 0), SC_MOVE);
  EXPECT_EQ(GetMenuItemID(menu, 2), SC_CLOSE);
  // A palette rebuilds it with commands of its own.
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  AppendMenu(menu, MF_STRING, 1003, "&Always on top");
  EXPECT_EQ(GetMenuItemCount(GetSystemMenu(palette.GetHandle(), 0)), 1);
  EXPECT_EQ(GetSystemMenu(palette.GetHandle(), 1), nullptr);
  EXPECT_FALSE(IsMenu(menu));
  EXPECT_EQ(GetMenuItemCount(GetSystemMenu(palette.GetHandle(), 0)), 3);

  TWindow frame(nullptr, "Frame");  // WS_OVERLAPPEDWINDOW
  ASSERT_TRUE(frame.Create());
  HMENU full = GetSystemMenu(frame.GetHandle(), 0);
  EXPECT_EQ(GetMenuItemCount(full), 7);
  EXPECT_EQ(GetMenuState(full, SC_RESTORE, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_NE(GetMenuState(full, SC_SIZE, MF_BYCOMMAND), kMenuStateMissing);
}

}  // namespace

namespace {

TEST(Menu, IdsAreKeptWholeSoAMarkerIdOfMinusTwoIsFound) {
  HMENU popup = CreatePopupMenu();
  AppendMenu(popup, MF_STRING, 10, "&Item");
  ASSERT_TRUE(InsertMenu(popup, 0, MF_BYPOSITION | MF_STRING, static_cast<std::uintptr_t>(-2), ""));
  EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, 0)), -2);
  EXPECT_NE(GetMenuState(popup, static_cast<UINT>(-2), MF_BYCOMMAND), kMenuStateMissing);
  // 0xFFFE is another id.
  EXPECT_EQ(GetMenuState(popup, 0xFFFE, MF_BYCOMMAND), kMenuStateMissing);
  DestroyMenu(popup);
}

}  // namespace
