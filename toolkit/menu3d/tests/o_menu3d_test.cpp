// The 3-D menus: the empty first item of every pop-up (added once), item sizes, the
// pixels of selected, disabled and checked items, the bar's dark strip, the shared table
// of hooked windows (each attach counted), and the items given back plain on detach.

#include "toolkit/menu3d/o_menu3d.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>

#include "platform/core/recording_providers.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/message_records.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr UINT kOpen = 301;
constexpr UINT kSave = 302;   // grey
constexpr UINT kRed = 311;    // in the Colour pop-up
constexpr UINT kDeep = 321;   // in the Shade pop-up inside Colour
constexpr COLORREF kFace = 0xC0C0C0;
constexpr COLORREF kDarkBlue = 0x800000;
constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr int kCheckMarkWidth = 13;

class TOwner : public TWindow {
 public:
  TOwner() : TWindow(nullptr, "Owner") {
    Attr.Style = WS_POPUP | WS_BORDER | WS_VISIBLE;
    Attr.X = 30;
    Attr.Y = 30;
    Attr.W = 300;
    Attr.H = 160;
  }
};

// Open, Save (grey), separator, Colour > (Red, Shade > (Deep)).
struct TTree {
  TTree() {
    AppendMenu(shade, MF_STRING, kDeep, "&Deep");
    AppendMenu(colour, MF_STRING, kRed, "&Red");
    AppendMenu(colour, MF_POPUP, reinterpret_cast<std::uintptr_t>(shade), "&Shade");
    AppendMenu(menu, MF_STRING, kOpen, "&Open");
    AppendMenu(menu, MF_STRING | MF_GRAYED, kSave, "&Save");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_POPUP, reinterpret_cast<std::uintptr_t>(colour), "&Colour");
  }
  ~TTree() { DestroyMenu(menu); }
  HMENU menu = CreatePopupMenu();
  HMENU colour = CreatePopupMenu();
  HMENU shade = CreatePopupMenu();
};

int LeadItems(HMENU menu) {
  int count = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (GetMenuItemID(menu, i) == kMenu3DLeadItemId) ++count;
    if (HMENU sub = GetSubMenu(menu, i)) count += LeadItems(sub);
  }
  return count;
}

COLORREF Pixel(const QImage &image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return RGB(qRed(p), qGreen(p), qBlue(p));
}

int CountColour(const QImage &image, COLORREF color, int fromX = 0) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = fromX; x < image.width(); ++x) count += Pixel(image, x, y) == color ? 1 : 0;
  }
  return count;
}

class OMenu3D : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    ASSERT_TRUE(owner.Create());
  }
  // Sends the owner the measuring of the item at the position of the menu.
  MEASUREITEMSTRUCT Measure(HMENU menu, int position, LRESULT *answer = nullptr) {
    const TMenuItem *item = FindMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    MEASUREITEMSTRUCT measure;
    measure.CtlType = ODT_MENU;
    measure.itemID = item != nullptr ? item->Id : 0;
    measure.itemData = item != nullptr ? item->ItemData : 0;
    const LRESULT result = owner.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    if (answer != nullptr) *answer = result;
    return measure;
  }
  // Draws the item at the position into a memory bitmap of the given size.
  QImage Draw(HMENU menu, int position, UINT state, int width = 120, int height = 22) {
    const TMenuItem *item = FindMenuItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    EXPECT_NE(item, nullptr);
    TMemoryDC dc;
    HBITMAP bitmap = CreateBitmapOfSize(width, height);
    dc.SelectObject(bitmap);
    HBRUSH magenta = CreateSolidBrush(0xFF00FF);
    dc.FillRect({0, 0, width, height}, magenta);
    DeleteObject(magenta);
    DRAWITEMSTRUCT draw;
    draw.CtlType = ODT_MENU;
    draw.itemID = item != nullptr ? item->Id : 0;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = reinterpret_cast<HWND>(menu);
    draw.hDC = dc.GetHDC();
    draw.rcItem = {0, 0, width, height};
    draw.itemData = item != nullptr ? item->ItemData : 0;
    owner.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    dc.RestoreBitmap();
    const QImage image = bitmap->image.copy();
    DeleteObject(bitmap);
    return image;
  }
  TOwner owner;
};

TEST_F(OMenu3D, EveryPopupGetsOneEmptyFirstItemHoweverOftenAttached) {
  TTree tree;
  TOMenu3D first(&owner);
  ASSERT_EQ(first.AttachMenu(tree.menu), 1);
  // Colour and Shade get one each; the root pop-up itself does not.
  EXPECT_EQ(LeadItems(tree.menu), 2);
  EXPECT_NE(GetMenuItemID(tree.menu, 0), kMenu3DLeadItemId);
  EXPECT_EQ(GetMenuItemID(tree.colour, 0), kMenu3DLeadItemId);
  // 4 + (1 + 2) + (1 + 1) items in the tree, all owner-drawn.
  EXPECT_EQ(first.ItemCount(), 9);
  EXPECT_TRUE(GetMenuState(tree.shade, kDeep, MF_BYCOMMAND) & MF_OWNERDRAW);
  EXPECT_TRUE(GetMenuState(tree.menu, kSave, MF_BYCOMMAND) & MF_GRAYED);  // state kept
  ASSERT_EQ(first.AttachMenu(tree.menu), 1);
  EXPECT_EQ(LeadItems(tree.menu), 2);
  EXPECT_EQ(first.ItemCount(), 9);
  // The captions survive a second attach.
  const QImage open = Draw(tree.menu, 0, 0);
  EXPECT_GT(CountColour(open, 0x000000, kCheckMarkWidth + 3), 10);
  TOMenu3D second(&owner);
  ASSERT_EQ(second.AttachMenu(tree.menu), 1);
  EXPECT_EQ(LeadItems(tree.menu), 2);
  // The empty first item can never be chosen; the items after it can.
  TScriptedMenuTracker tracker;
  tracker.ChooseId(kMenu3DLeadItemId);
  EXPECT_EQ(TrackPopupMenu(tree.menu, TPM_RETURNCMD, 10, 10, 0, owner.GetHandle()), 0);
  tracker.ChooseId(kDeep);
  EXPECT_EQ(TrackPopupMenu(tree.menu, TPM_RETURNCMD, 10, 10, 0, owner.GetHandle()), static_cast<int>(kDeep));
}

TEST_F(OMenu3D, AttachNeedsAWindowAndAMenu) {
  TTree tree;
  TOMenu3D loose;
  EXPECT_EQ(loose.AttachMenu(tree.menu), 0);
  TOMenu3D barless(&owner);
  EXPECT_EQ(barless.AttachMenu(), 0);  // the window has no menu bar
  EXPECT_EQ(TOMenu3D::Windows().cols, 0);
  EXPECT_FALSE(GetMenuState(tree.menu, kOpen, MF_BYCOMMAND) & MF_OWNERDRAW);
}

TEST_F(OMenu3D, WithoutMemoryForItsTableTheMenuStaysAsItWas) {
  TTree tree;
  TRecordingMessageBoxProvider boxes;
  TOMenu3D look(&owner);
  {
    TMemAllocationFaults faults(0);
    EXPECT_EQ(look.AttachMenu(tree.menu), 0);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough memory");
  EXPECT_EQ(boxes.boxes[0].caption, " Memory ");
  EXPECT_EQ(LeadItems(tree.menu), 0);
  EXPECT_FALSE(GetMenuState(tree.menu, kOpen, MF_BYCOMMAND) & MF_OWNERDRAW);
  EXPECT_EQ(TOMenu3D::Windows().cols, 0);  // nothing hooked
  // With memory the same object attaches normally.
  EXPECT_EQ(look.AttachMenu(tree.menu), 1);
  EXPECT_EQ(LeadItems(tree.menu), 2);
}

TEST_F(OMenu3D, SizesOfSeparatorsLeadItemsAndTextItems) {
  TTree tree;
  TOMenu3D raised(&owner, TOMenu3D::Raised);
  ASSERT_EQ(raised.AttachMenu(tree.menu), 1);
  LRESULT answer = 0;
  const MEASUREITEMSTRUCT separator = Measure(tree.menu, 2, &answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(separator.itemWidth, 2u);
  EXPECT_EQ(separator.itemHeight, 5u);
  const MEASUREITEMSTRUCT lead = Measure(tree.colour, 0);
  EXPECT_EQ(lead.itemWidth, 2u);
  EXPECT_EQ(lead.itemHeight, 0u);
  // Text: its box in the bold menu font, the check-mark column and 2 more on the left and
  // room for the frame on the right across; 4 more down for a 3-D item.
  TOFont bold("MS Sans Serif");
  bold.SetWeight(700);
  TMemoryDC dc;
  bold.SelectInto(dc);
  RECT box{0, 0, 0, 0};
  dc.DrawText("Open", 4, box, DT_CALCRECT | DT_SINGLELINE);
  dc.RestoreFont();
  const MEASUREITEMSTRUCT open = Measure(tree.menu, 0);
  EXPECT_GE(static_cast<int>(open.itemWidth), box.Width() + kCheckMarkWidth + 2 + 4);
  EXPECT_LE(static_cast<int>(open.itemWidth), box.Width() + kCheckMarkWidth + 2 + 8);
  EXPECT_EQ(static_cast<int>(open.itemHeight), box.Height() + 4);
  raised.Detach();
  // A flat pop-up item is 1 more than its text, not 4.
  TOMenu3D flat(&owner, TOMenu3D::Flat);
  ASSERT_EQ(flat.AttachMenu(tree.menu), 1);
  EXPECT_EQ(static_cast<int>(Measure(tree.menu, 0).itemHeight), box.Height() + 1);
}

TEST_F(OMenu3D, SelectedItemShowsDarkBlueOnASunkenBevel) {
  TTree tree;
  TOMenu3D look(&owner);
  ASSERT_EQ(look.AttachMenu(tree.menu), 1);
  const QImage selected = Draw(tree.menu, 0, ODS_SELECTED);
  const int right = selected.width() - 1;
  const int bottom = selected.height() - 1;
  // Black edge, then grey top and left, white right and bottom: sunken.
  EXPECT_EQ(Pixel(selected, 0, 10), 0x000000u);
  EXPECT_EQ(Pixel(selected, right, 10), 0x000000u);
  EXPECT_EQ(Pixel(selected, 60, 0), 0x000000u);
  EXPECT_EQ(Pixel(selected, 60, bottom), 0x000000u);
  EXPECT_EQ(Pixel(selected, 1, 10), kGrey);
  EXPECT_EQ(Pixel(selected, 60, 1), kGrey);
  EXPECT_EQ(Pixel(selected, right - 1, 10), kWhite);
  EXPECT_EQ(Pixel(selected, 60, bottom - 1), kWhite);
  EXPECT_GT(CountColour(selected, kDarkBlue), 10);
  EXPECT_GT(CountColour(selected, kFace), 200);
  EXPECT_EQ(CountColour(selected, 0xFF00FF), 0);  // the whole rectangle is the item's
  // Not selected: raised, black text.
  const QImage plain = Draw(tree.menu, 0, 0);
  EXPECT_EQ(Pixel(plain, 1, 10), kWhite);
  EXPECT_EQ(Pixel(plain, right - 1, 10), kGrey);
  EXPECT_EQ(CountColour(plain, kDarkBlue), 0);
}

TEST_F(OMenu3D, TextOfAnItemAtItsMeasuredWidthStaysClearOfTheFrame) {
  TTree tree;
  TOMenu3D look(&owner);
  ASSERT_EQ(look.AttachMenu(tree.menu), 1);
  const MEASUREITEMSTRUCT open = Measure(tree.menu, 0);
  for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
    const QImage image = Draw(tree.menu, 0, state, static_cast<int>(open.itemWidth), static_cast<int>(open.itemHeight));
    const int right = image.width() - 1;
    // Inside the bevel, the last column before it is the item's face on every row.
    for (int y = 2; y < image.height() - 2; ++y) {
      EXPECT_EQ(Pixel(image, right - 2, y), kFace) << "state " << state << " row " << y;
    }
  }
}

TEST_F(OMenu3D, DisabledItemIsGreyEvenUnderTheMouseAndGreyedTextToo) {
  TTree tree;
  TOMenu3D look(&owner);
  ASSERT_EQ(look.AttachMenu(tree.menu), 1);
  const QImage disabled = Draw(tree.menu, 1, ODS_SELECTED | ODS_DISABLED);
  EXPECT_EQ(CountColour(disabled, kDarkBlue), 0);
  EXPECT_EQ(Pixel(disabled, 1, 10), kWhite);  // raised: not drawn as selected
  // Grey text: grey pixels beyond the bevel's column and row.
  int greyText = 0;
  for (int y = 3; y < disabled.height() - 3; ++y) {
    for (int x = 3; x < disabled.width() - 3; ++x) greyText += Pixel(disabled, x, y) == kGrey ? 1 : 0;
  }
  EXPECT_GT(greyText, 10);
}

TEST_F(OMenu3D, CheckMarkSitsLeftOfTheTextWhichNeverOverlapsIt) {
  TTree tree;
  TOMenu3D look(&owner);
  ASSERT_EQ(look.AttachMenu(tree.menu), 1);
  const QImage checked = Draw(tree.menu, 0, ODS_CHECKED);
  const QImage plain = Draw(tree.menu, 0, 0);
  int markPixels = 0;
  for (int y = 2; y < checked.height() - 2; ++y) {
    for (int x = 2; x < kCheckMarkWidth + 2; ++x) {
      markPixels += Pixel(checked, x, y) == 0x000000u ? 1 : 0;
      // Without the check the column is empty: the text starts right of it.
      EXPECT_NE(Pixel(plain, x, y), 0x000000u) << x << "," << y;
    }
  }
  EXPECT_GT(markPixels, 10);
}

TEST_F(OMenu3D, FlatSeparatorIsEtched) {
  TTree tree;
  TOMenu3D flat(&owner, TOMenu3D::Flat);
  ASSERT_EQ(flat.AttachMenu(tree.menu), 1);
  const QImage separator = Draw(tree.menu, 2, 0, 80, 5);
  EXPECT_EQ(Pixel(separator, 40, 0), kFace);
  EXPECT_EQ(Pixel(separator, 40, 1), kGrey);
  EXPECT_EQ(Pixel(separator, 40, 2), kWhite);
  EXPECT_EQ(Pixel(separator, 40, 4), kFace);
}

TEST_F(OMenu3D, DetachingOneMenusObjectLeavesTheOthersHooked) {
  TTree one;
  TTree two;
  auto first = std::make_unique<TOMenu3D>(&owner);
  TOMenu3D second(&owner);
  ASSERT_EQ(first->AttachMenu(one.menu), 1);
  ASSERT_EQ(second.AttachMenu(two.menu), 1);
  ASSERT_EQ(TOMenu3D::Windows().cols, 1);
  EXPECT_EQ(TOMenu3D::Windows().data[0].UseCount, 2);
  first.reset();
  // The second object's items are still measured through the hook.
  LRESULT answer = 0;
  const MEASUREITEMSTRUCT separator = Measure(two.menu, 2, &answer);
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(separator.itemHeight, 5u);
  ASSERT_EQ(TOMenu3D::Windows().cols, 1);
  EXPECT_EQ(TOMenu3D::Windows().data[0].UseCount, 1);
  // The first object's menu is plain again: captions back, no empty first items.
  EXPECT_FALSE(GetMenuState(one.menu, kOpen, MF_BYCOMMAND) & MF_OWNERDRAW);
  EXPECT_EQ(LeadItems(one.menu), 0);
  char caption[32] = {};
  GetMenuString(one.menu, kDeep, caption, sizeof caption, MF_BYCOMMAND);
  EXPECT_STREQ(caption, "&Deep");
  EXPECT_TRUE(GetMenuState(one.menu, kSave, MF_BYCOMMAND) & MF_GRAYED);
  second.Detach();
  EXPECT_EQ(TOMenu3D::Windows().cols, 0);  // the table goes with its last entry
  Measure(two.menu, 2, &answer);
  EXPECT_EQ(answer, 0);  // unhooked
}

TEST_F(OMenu3D, AWindowDestroyedFirstLeavesTheMenusObjectSafeAndANewWindowWorks) {
  TTree tree;
  auto doomed = std::make_unique<TOwner>();
  ASSERT_TRUE(doomed->Create());
  HMENU bar = CreateMenu();
  AppendMenu(bar, MF_STRING, kOpen, "&Open");
  ASSERT_TRUE(SetMenu(doomed->GetHandle(), bar));
  auto early = std::make_unique<TOMenu3D>(doomed.get());
  ASSERT_EQ(early->AttachMenu(), 1);
  doomed.reset();  // takes its bar along
  auto fresh = std::make_unique<TOwner>();
  ASSERT_TRUE(fresh->Create());
  TOMenu3D late(fresh.get());
  ASSERT_EQ(late.AttachMenu(tree.menu), 1);
  early.reset();  // lets go of a window that is gone
  const TMenuItem *item = FindMenuItem(tree.menu, 2, MF_BYPOSITION);
  ASSERT_NE(item, nullptr);
  MEASUREITEMSTRUCT measure;
  measure.CtlType = ODT_MENU;
  measure.itemID = item->Id;
  measure.itemData = item->ItemData;
  EXPECT_EQ(fresh->SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), 1);
  EXPECT_EQ(measure.itemHeight, 5u);
}

TEST_F(OMenu3D, MenuBarStripTurnsDarkGreyAroundItsItems) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenu(file, MF_STRING, kOpen, "&Open");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(file), "&File");
  AppendMenu(bar, MF_STRING, kSave, "&Help");
  ASSERT_TRUE(SetMenu(owner.GetHandle(), bar));
  TOMenu3D look(&owner, TOMenu3D::Flat);
  ASSERT_EQ(look.AttachMenu(), 1);
  DrawMenuBar(owner.GetHandle());
  test_kit::RunFor(20);
  const QImage image = test_kit::WindowPixels(owner);
  const RECT band = owner.MenuBarRect();
  // Right of the two items the strip is dark grey; bar items are framed in 3-D even in a
  // flat menus object.
  EXPECT_EQ(Pixel(image, band.right - 3, (band.top + band.bottom) / 2), kGrey);
  const RECT help = MenuBarItemRect(owner.GetHandle(), 1);
  EXPECT_EQ(Pixel(image, help.left, (help.top + help.bottom) / 2), 0x000000u);
  EXPECT_EQ(Pixel(image, help.left + 1, (help.top + help.bottom) / 2), kWhite);
}

}  // namespace
