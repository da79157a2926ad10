#include "toolkit/menu3d/o_menu3d.h"

#include <algorithm>
#include <vector>

#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/message_records.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_handles.h"

namespace {

constexpr UINT_PTR kHookId = 0x3D3D;
constexpr int kBoldWeight = 700;
constexpr COLORREF kBarStripColor = 0x808080;
constexpr COLORREF kLight = 0xFFFFFF;
constexpr COLORREF kShadow = 0x808080;
constexpr COLORREF kBlack = 0x000000;
// Room above and below an item's text: 3-D items carry a frame and a bevel.
constexpr int kThreeDPadding = 4;
constexpr int kFlatPadding = 1;
constexpr int kSeparatorWidth = 2;
constexpr int kSeparatorHeight = 5;
constexpr int kLeadItemWidth = 2;
// Room right of an item's text: the frame, the bevel and a gap, so that neither touches
// the text (even moved a pixel right while selected) in the widest item or on the bar.
constexpr int kTextRightRoom = 5;
// The state and kind bits an item keeps through being owner-drawn and back.
constexpr UINT kKeptFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR |
                            MF_MENUBREAK | MF_MENUBARBREAK;

Mem<TWindowsInfoMenu3D> &Table() {
  static Mem<TWindowsInfoMenu3D> table;
  return table;
}

std::vector<const TOMenu3D *> &LiveMenus() {
  static std::vector<const TOMenu3D *> live;
  return live;
}

int FindEntry(HWND window) {
  const Mem<TWindowsInfoMenu3D> &table = Table();
  for (int i = 0; i < table.cols; ++i) {
    if (table.data[i].Window == window && window != nullptr) return i;
  }
  return -1;
}

// What an item shows: '&' marks a mnemonic ("&&" is one '&'), and the key text after a
// tab follows the caption after a gap.
std::string DisplayText(const std::string &caption) {
  std::string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const char c = caption[i];
    if (c == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        shown += '&';
        ++i;
      }
      continue;
    }
    if (c == '\t') {
      shown += "   ";
      continue;
    }
    shown += c;
  }
  return shown;
}

int CheckMarkWidth() { return LOWORD(static_cast<std::uintptr_t>(GetMenuCheckMarkDimensions())); }

void Fill(TDC &dc, const RECT &rect, COLORREF color) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  HBRUSH brush = CreateSolidBrush(color);
  dc.FillRect(rect, brush);
  DeleteObject(brush);
}
void HLine(TDC &dc, int left, int right, int y, COLORREF color) { Fill(dc, {left, y, right, y + 1}, color); }
void VLine(TDC &dc, int x, int top, int bottom, COLORREF color) { Fill(dc, {x, top, x + 1, bottom}, color); }

// The menus object whose table holds the item data; null for data that is not ours (another
// owner-drawn menu of the same window, or an item of a menus object that is gone).
const TItemInfo *LiveItem(std::uintptr_t data, const TOMenu3D **owner) {
  for (const TOMenu3D *menu : LiveMenus()) {
    if (const TItemInfo *info = menu->FindItem(data)) {
      *owner = menu;
      return info;
    }
  }
  return nullptr;
}

LRESULT Menu3DHook(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (FindEntry(window) < 0) {
    // Our hook on a window the table does not know: say so and let the window answer.
    MessageBox(window, "Menu3D -> Error in DefWindowProc", "Error !", MB_OK | MB_ICONSTOP);
    return DefSubclassProc(window, msg, wParam, lParam);
  }
  const TOMenu3D *owner = nullptr;
  if (msg == WM_MEASUREITEM && lParam != 0) {
    auto &measure = *reinterpret_cast<MEASUREITEMSTRUCT *>(lParam);
    if (measure.CtlType == ODT_MENU && LiveItem(measure.itemData, &owner) != nullptr) {
      owner->MeasureItem(measure);
      return 1;
    }
  } else if (msg == WM_DRAWITEM && lParam != 0) {
    const auto &draw = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
    if (draw.CtlType == ODT_MENU && LiveItem(draw.itemData, &owner) != nullptr) {
      owner->DrawItem(draw);
      return 1;
    }
  }
  return DefSubclassProc(window, msg, wParam, lParam);
}

bool HasLeadItem(HMENU popup) {
  return GetMenuItemCount(popup) > 0 && GetMenuItemID(popup, 0) == kMenu3DLeadItemId;
}

// The items of the tree once every pop-up below `menu` has its empty first item.
int CountWithLeadItems(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  int total = std::max(0, count);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) total += (HasLeadItem(sub) ? 0 : 1) + CountWithLeadItems(sub);
  }
  return total;
}

// Gives every pop-up below `menu` its empty first item, once: an item with the lead id is
// recognised. It is disabled: a sub-menu opened by a key highlights its first item, and
// Enter there must not send the lead id as a command.
void AddLeadItems(HMENU menu) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    HMENU sub = GetSubMenu(menu, i);
    if (sub == nullptr) continue;
    if (!HasLeadItem(sub)) InsertMenu(sub, 0, MF_BYPOSITION | MF_STRING | MF_DISABLED, kMenu3DLeadItemId, "");
    AddLeadItems(sub);
  }
}

}  // namespace

TOMenu3D::TOMenu3D(int menuStyle) : TOMenu3D(nullptr, menuStyle) {}

TOMenu3D::TOMenu3D(TWindow *ownerWindow, int menuStyle)
    : owner(ownerWindow), style(menuStyle == Flat ? Flat : Raised), font(kFaceSansSerif) {
  font.SetWeight(kBoldWeight);
  if (style == Flat) {
    selectedTextColor = 0x00FFFF;
    selectedBackColor = 0x800000;
  }
  LiveMenus().push_back(this);
}

TOMenu3D::~TOMenu3D() {
  Detach();
  auto &live = LiveMenus();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

const Mem<TWindowsInfoMenu3D> &TOMenu3D::Windows() { return Table(); }

void TOMenu3D::SetColors(COLORREF text, COLORREF background) {
  textColor = text;
  backColor = background;
}

void TOMenu3D::SetSelectedColors(COLORREF text, COLORREF background) {
  selectedTextColor = text;
  selectedBackColor = background;
}

void TOMenu3D::SetFont(const TOFont &newFont) { font = newFont; }

const TItemInfo *TOMenu3D::FindItem(std::uintptr_t data) const {
  if (items.data == nullptr || items.cols <= 0) return nullptr;
  const auto first = reinterpret_cast<std::uintptr_t>(items.data);
  const auto end = reinterpret_cast<std::uintptr_t>(items.data + items.cols);
  if (data < first || data >= end || (data - first) % sizeof(TItemInfo) != 0) return nullptr;
  return reinterpret_cast<const TItemInfo *>(data);
}

int TOMenu3D::Attach(TWindow *window, TMenu &menuObject) { return Attach(window, menuObject.GetHandle()); }

int TOMenu3D::Attach(TWindow *window, HMENU newMenu) {
  if (window != owner) {
    Detach();
    owner = window;
  }
  return AttachMenu(newMenu);
}

void TOMenu3D::Hook() {
  if (hooked) return;
  Mem<TWindowsInfoMenu3D> &table = Table();
  int entry = FindEntry(ownerHandle);
  if (entry < 0) {
    for (int i = 0; i < table.cols && entry < 0; ++i) {
      if (table.data[i].Window == nullptr) entry = i;
    }
    if (entry < 0) {
      if (table.Resize(table.cols + 1, 1) <= 0) return;
      entry = table.cols - 1;
    }
    table.data[entry].Window = ownerHandle;
    table.data[entry].UseCount = 0;
  }
  // Hooked on every attach (a second time changes nothing): an entry may outlive a window
  // that was destroyed while attached, and a new window may come with the same handle.
  SetWindowSubclass(ownerHandle, &Menu3DHook, kHookId, 0);
  // Every menus object counts, so that the window stays hooked until the last one goes.
  ++table.data[entry].UseCount;
  hooked = true;
}

void TOMenu3D::Unhook() {
  if (!hooked) return;
  hooked = false;
  Mem<TWindowsInfoMenu3D> &table = Table();
  const int entry = FindEntry(ownerHandle);
  if (entry < 0) return;
  if (--table.data[entry].UseCount <= 0) {
    if (::IsWindow(ownerHandle)) RemoveWindowSubclass(ownerHandle, &Menu3DHook, kHookId);
    table.data[entry] = TWindowsInfoMenu3D{};
  }
  bool inUse = false;
  for (int i = 0; i < table.cols; ++i) inUse = inUse || table.data[i].Window != nullptr;
  if (!inUse) table.Clear();
}

int TOMenu3D::AttachMenu(HMENU newMenu) {
  if (owner == nullptr || !owner->IsWindow()) return 0;
  const HWND handle = owner->GetHandle();
  HMENU root = newMenu != nullptr ? newMenu : GetMenu(handle);
  if (root == nullptr || !IsMenu(root)) return 0;
  // The table first: when it cannot be had, the menu, the window and what this object
  // held before all stay as they were.
  const int count = CountWithLeadItems(root);
  Mem<TItemInfo> table;
  if (count > 0 && table.Allocate(count, 1) == 0) return 0;  // "Not enough memory" shown
  // A menu attached before (another one, or the window changed) gets its own items back
  // first: they would otherwise point into the table about to be replaced.
  if (menu != nullptr && menu != root && IsMenu(menu)) RestoreItems(menu);
  if (hooked && ownerHandle != handle) Unhook();
  ownerHandle = handle;
  Hook();
  AddLeadItems(root);

  const bool isBar = !root->Popup;
  int next = 0;
  // Depth first in menu order; the old table lives until every item points into the new.
  const auto walk = [&](auto &&self, HMENU level, bool inBar) -> void {
    const int levelCount = GetMenuItemCount(level);
    for (int i = 0; i < levelCount && next < count; ++i) {
      const UINT state = GetMenuState(level, static_cast<UINT>(i), MF_BYPOSITION);
      if (state == kMenuStateMissing) continue;
      HMENU sub = GetSubMenu(level, i);
      const UINT flags = (sub != nullptr ? (state & 0xFF) : state) & kKeptFlags;
      TItemInfo &info = items.data[next++];
      char caption[256] = {};
      GetMenuString(level, static_cast<UINT>(i), caption, static_cast<int>(sizeof caption), MF_BYPOSITION);
      info.Caption = caption;
      info.Position = i == 0 ? -1 : (i == levelCount - 1 ? 1 : 0);
      info.ThreeD = inBar ? 1 : style;
      info.Owner = this;
      info.Flags = flags;
      info.InBar = inBar ? 1 : 0;
      const std::uintptr_t newItem = sub != nullptr ? reinterpret_cast<std::uintptr_t>(sub)
                                                    : static_cast<std::uintptr_t>(GetMenuItemID(level, i));
      ModifyMenu(level, static_cast<UINT>(i), MF_BYPOSITION | MF_OWNERDRAW | flags, newItem,
                 reinterpret_cast<const char *>(&info));
      if (sub != nullptr) self(self, sub, false);
    }
  };
  menu = root;
  items.Swap(table);
  walk(walk, root, isBar);
  setUp = 1;
  if (isBar && GetMenu(handle) == root) DrawMenuBar(handle);
  return 1;
}

void TOMenu3D::RestoreItems(HMENU root) {
  const auto walk = [&](auto &&self, HMENU level) -> void {
    for (int i = 0; i < GetMenuItemCount(level); ++i) {
      const TMenuItem *item = FindMenuItem(level, static_cast<UINT>(i), MF_BYPOSITION);
      if (item == nullptr) continue;
      HMENU sub = item->SubMenu;
      if (sub != nullptr) self(self, sub);
      const TItemInfo *info = FindItem(item->ItemData);
      if (info == nullptr || !(item->Flags & MF_OWNERDRAW)) continue;
      if (sub != nullptr && GetMenuItemCount(sub) > 0 && GetMenuItemID(sub, 0) == kMenu3DLeadItemId) {
        DeleteMenu(sub, 0, MF_BYPOSITION);
      }
      const std::uintptr_t newItem = sub != nullptr ? reinterpret_cast<std::uintptr_t>(sub) : item->Id;
      const std::string caption = info->Caption;
      ModifyMenu(level, static_cast<UINT>(i), MF_BYPOSITION | MF_STRING | info->Flags, newItem, caption.c_str());
    }
  };
  walk(walk, root);
}

void TOMenu3D::Detach() {
  if (setUp) {
    font.DeleteFont();
    // The items become plain again: their data would point into a table that is going.
    if (menu != nullptr && IsMenu(menu)) RestoreItems(menu);
    setUp = 0;
  }
  Unhook();
  items.Clear();
  menu = nullptr;
}

void TOMenu3D::MeasureItem(MEASUREITEMSTRUCT &measure) const {
  const TItemInfo *info = FindItem(measure.itemData);
  if (info == nullptr) return;
  if (info->Flags & MF_SEPARATOR) {
    measure.itemWidth = kSeparatorWidth;
    measure.itemHeight = kSeparatorHeight;
    return;
  }
  if (measure.itemID == kMenu3DLeadItemId) {
    measure.itemWidth = kLeadItemWidth;
    measure.itemHeight = 0;
    return;
  }
  const std::string shown = DisplayText(info->Caption);
  TMemoryDC dc;
  font.SelectInto(dc);
  RECT box{0, 0, 0, 0};
  dc.DrawText(shown.c_str(), static_cast<int>(shown.size()), box,
              DT_CALCRECT | DT_SINGLELINE | DT_CENTER | DT_NOPREFIX);
  dc.RestoreFont();
  measure.itemWidth = static_cast<UINT>(box.Width() + CheckMarkWidth() + 2 + kTextRightRoom);
  measure.itemHeight = static_cast<UINT>(box.Height() + (info->ThreeD ? kThreeDPadding : kFlatPadding));
}

void TOMenu3D::DrawItem(const DRAWITEMSTRUCT &draw) const {
  const TItemInfo *info = FindItem(draw.itemData);
  if (info == nullptr || draw.hDC == nullptr) return;
  TDC &dc = *TDC::FromHandle(draw.hDC);
  const RECT &rect = draw.rcItem;
  const bool threeD = info->ThreeD != 0;
  if (info->InBar && info->Position == -1 && (draw.itemAction & ODA_DRAWENTIRE)) {
    // The bar's whole strip goes dark grey around its items.
    if (TWindow *window = WindowFromHandle(ownerHandle)) {
      Fill(dc, {0, 0, static_cast<int>(window->GetWindowRect().Width()), static_cast<int>(window->ClientOrigin().y)},
           kBarStripColor);
    }
  }
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  COLORREF text = selected ? selectedTextColor : textColor;
  COLORREF back = selected ? selectedBackColor : backColor;
  if (draw.itemState & ODS_DISABLED) {
    selected = false;
    text = disabledTextColor;
    back = backColor;
  } else if (draw.itemState & ODS_GRAYED) {
    text = disabledTextColor;
  }
  if (draw.itemID == kMenu3DLeadItemId && !(info->Flags & MF_SEPARATOR)) return;
  if (info->Flags & MF_SEPARATOR) {
    Fill(dc, rect, back);
    if (!threeD) {
      HLine(dc, rect.left, rect.right, rect.top + 1, kShadow);
      HLine(dc, rect.left, rect.right, rect.top + 2, kLight);
      DrawFrame(dc, rect, *info, false);
    }
    return;
  }
  const int padding = threeD ? kThreeDPadding : kFlatPadding;
  int x = rect.left + CheckMarkWidth() + 2;
  int y = rect.top + padding / 2;
  if (selected && threeD) {
    ++x;
    ++y;
  }
  const std::string shown = DisplayText(info->Caption);
  font.SelectInto(dc);
  dc.SetTextColor(text);
  dc.SetBkColor(back);
  dc.ExtTextOut(x, y, ETO_OPAQUE, &rect, shown.c_str(), static_cast<int>(shown.size()));
  dc.RestoreFont();
  if (draw.itemState & ODS_CHECKED) {
    if (HBITMAP check = LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECK))) {
      TMemoryDC picture(dc);
      picture.SelectObject(check);
      const LONG size = GetMenuCheckMarkDimensions();
      // White vanishes under SRCAND: only the black mark lands on the item.
      dc.BitBlt(rect.left + 1, y, LOWORD(static_cast<std::uintptr_t>(size)),
                HIWORD(static_cast<std::uintptr_t>(size)), picture, 0, 0, SRCAND);
      picture.RestoreBitmap();
      DeleteObject(check);
    }
  }
  DrawFrame(dc, rect, *info, selected);
}

void TOMenu3D::DrawFrame(TDC &dc, const RECT &rect, const TItemInfo &info, bool selected) const {
  const int left = rect.left;
  const int top = rect.top;
  const int right = rect.right - 1;  // the last column and row inside the item
  const int bottom = rect.bottom - 1;
  if (info.ThreeD) {
    HLine(dc, left, right + 1, top, kBlack);
    HLine(dc, left, right + 1, bottom, kBlack);
    VLine(dc, left, top, bottom + 1, kBlack);
    VLine(dc, right, top, bottom + 1, kBlack);
    // Raised: light from the top left; sunken (selected): the other way round.
    const COLORREF topLeft = selected ? kShadow : kLight;
    const COLORREF bottomRight = selected ? kLight : kShadow;
    HLine(dc, left + 1, right, top + 1, topLeft);
    VLine(dc, left + 1, top + 1, bottom, topLeft);
    HLine(dc, left + 1, right, bottom - 1, bottomRight);
    VLine(dc, right - 1, top + 1, bottom, bottomRight);
    return;
  }
  // A flat pop-up: the items together show one raised border around the pop-up.
  const int extend = info.Position == 0 ? 1 : 0;
  VLine(dc, left, top - extend, bottom + 1 + extend, kLight);
  VLine(dc, right, top - extend, bottom + 1 + extend, kShadow);
  if (info.Position == -1) HLine(dc, left, right + 1, top, kLight);
  if (info.Position == 1) HLine(dc, left, right + 1, bottom, kShadow);
}
