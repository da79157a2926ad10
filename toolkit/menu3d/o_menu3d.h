#pragma once
// TOMenu3D: turns a window's menu bar with its pop-ups, or a pop-up menu, into owner-drawn
// items painted in a bold font with their own colours and bevelled 3-D frames. It hooks
// the window that owns the menu to answer WM_MEASUREITEM and WM_DRAWITEM; several menus
// objects share one table of hooked windows, each attach counted, so the window stays
// hooked until the last of them lets go.

#include <string>

#include "foundation/containers/mem.h"
#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"
#include "toolkit/graph/o_font.h"

class TMenu;
class TWindow;
class TDC;
struct DRAWITEMSTRUCT;
struct MEASUREITEMSTRUCT;
class TOMenu3D;

// The id of the empty first item every pop-up below the root menu gets (drawn as nothing).
constexpr UINT kMenu3DLeadItemId = static_cast<UINT>(-2);

// One item of the menu tree, handed to the menu as the owner-drawn item's data.
struct TItemInfo {
  std::string Caption;
  // -1 the menu's first item, 1 its last, 0 in between.
  int Position = 0;
  // 1: framed in 3-D (items of a menu bar, or every item in the 3-D style).
  int ThreeD = 0;
  TOMenu3D *Owner = nullptr;
  // What the item was before it became owner-drawn (MF_* state and kind bits), and
  // whether it sits in a menu bar: drawing needs both.
  UINT Flags = 0;
  int InBar = 0;
};

// One hooked window of the shared table; a free entry has a null window.
struct TWindowsInfoMenu3D {
  // How many menus objects are attached to the window.
  int UseCount = 0;
  HWND Window = nullptr;
};

class TOMenu3D {
 public:
  enum TStyle { Flat = 0, Raised = 1 };

  explicit TOMenu3D(int style = Raised);
  TOMenu3D(TWindow *owner, int style = Raised);
  ~TOMenu3D();
  TOMenu3D(const TOMenu3D &) = delete;
  TOMenu3D &operator=(const TOMenu3D &) = delete;

  // Makes the menu owner-drawn for the window; 1 on success, 0 without a window, without a
  // menu (a null menu means the window's menu bar) or when the item table cannot be had.
  int Attach(TWindow *window, TMenu &menu);
  int Attach(TWindow *window, HMENU menu);
  int AttachMenu(HMENU menu = nullptr);
  // Gives the window back (when no other menus object still needs it) and turns the items
  // this object made owner-drawn into plain items again.
  void Detach();

  void SetColors(COLORREF text, COLORREF background);
  void SetSelectedColors(COLORREF text, COLORREF background);
  void SetSpareColor(COLORREF color) { spareColor = color; }
  void SetFont(const TOFont &newFont);

  HWND GetHWnd() const { return ownerHandle; }
  HMENU GetHMenu() const { return menu; }
  int ItemCount() const { return items.cols; }

  // Sizes and paints one item of this object (the hook calls them; tests may too).
  void MeasureItem(MEASUREITEMSTRUCT &measure) const;
  void DrawItem(const DRAWITEMSTRUCT &draw) const;

  // The item of this object's table that the item data names; null when it is not ours.
  const TItemInfo *FindItem(std::uintptr_t data) const;

  // The shared table (tests read it).
  static const Mem<TWindowsInfoMenu3D> &Windows();

 private:
  void DrawFrame(TDC &dc, const RECT &rect, const TItemInfo &info, bool selected) const;
  void RestoreItems(HMENU root);
  void Hook();
  void Unhook();

  int setUp = 0;
  TWindow *owner = nullptr;
  HWND ownerHandle = nullptr;
  HMENU menu = nullptr;
  Mem<TItemInfo> items;
  COLORREF textColor = 0;
  COLORREF backColor = 0xC0C0C0;
  COLORREF selectedTextColor = 0x800000;
  COLORREF selectedBackColor = 0xC0C0C0;
  COLORREF disabledTextColor = 0x808080;
  COLORREF spareColor = 0x00FFFF;
  int style = Raised;
  // Made on first use, also while painting.
  mutable TOFont font;
  // Whether this object holds a count in the shared table for ownerHandle.
  bool hooked = false;
};
