#pragma once
// Menus: handles and items of our own, the calls that build and walk them, the framework's
// menu classes and menu resources.
//
// How menus are shown, decided once for the whole program: menu bars and pop-ups are drawn
// by us, the bar into its window's image (in the band the window keeps for it above the
// client) and pop-ups into pop-up windows of our own; no Qt menu is used. The reasons:
// - Owner-drawn menus paint their items, and the bar's strip around them, through the DC
//   of WM_DRAWITEM after sizing them with WM_MEASUREITEM. With our own drawing that DC is an
//   ordinary context on an image, so every pixel rule of the drawing layer holds and an
//   owner-drawn bar looks exactly as its code draws it; a Qt menu offers no such DC.
// - WM_INITMENUPOPUP must reach the owner before a pop-up opens, and WM_MENUSELECT as the
//   highlight moves (status-bar hints): our tracking loop sends them at those moments.
// - Tests read menu bars from the window image like any other pixels, and pop-ups run
//   offscreen without a desktop menu service.
// - Check and grey states, system menus of windows with our drawn caption and items
//   changed while a menu is open are all ours to keep, with nothing to mirror.
// Where Qt still takes part: pop-up windows are Qt pop-ups (they take the mouse and close
// on a click outside), and the application's key filter turns accelerator keys into
// WM_COMMAND (accelerators.h).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/types.h"

class TWindow;

struct HMENU__;
using HMENU = HMENU__ *;

// Item flags (AppendMenu, ModifyMenu, GetMenuState) and the ways items are named.
constexpr UINT MF_INSERT = 0x0000;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_END = 0x0080;  // in menu resources: closes the pop-up being described
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_SYSMENU = 0x2000;
constexpr UINT MF_MOUSESELECT = 0x8000;
// GetMenuState's answer for a missing item.
constexpr UINT kMenuStateMissing = 0xFFFFFFFF;

// Menu messages.
constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_MENUSELECT = 0x011F;
constexpr UINT WM_ENTERMENULOOP = 0x0211;
constexpr UINT WM_EXITMENULOOP = 0x0212;

// One item of a menu.
struct TMenuItem {
  UINT Id = 0;          // command id (0 for separators; pop-ups answer -1 to GetMenuItemID)
  UINT Flags = 0;       // MF_* state and kind bits (never MF_BYPOSITION)
  std::string Text;     // "&File", "Undo\tCtrl+Z": '&' marks the mnemonic, '\t' the key text
  HMENU SubMenu = nullptr;      // owned by the item (MF_POPUP)
  std::uintptr_t ItemData = 0;  // MF_OWNERDRAW: handed back in WM_MEASUREITEM / WM_DRAWITEM
};

struct HMENU__ {
  std::vector<TMenuItem> Items;
  bool Popup = false;  // made by CreatePopupMenu (or a resource's pop-up)
  bool System = false;
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its sub-menus; false for an unknown handle.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// newItem is the command id, or the sub-menu (as an integer) with MF_POPUP; text is
// ignored for separators and is the item data (an integer) for MF_OWNERDRAW. ModifyMenu
// that makes an item owner-drawn keeps its text, which GetMenuString still answers.
BOOL AppendMenu(HMENU menu, UINT flags, std::uintptr_t newItem, const char *text);
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, std::uintptr_t newItem, const char *text);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, std::uintptr_t newItem, const char *text);
// DeleteMenu destroys a pop-up item's sub-menu; RemoveMenu gives it back to the caller.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);

// The previous check state (MF_CHECKED or MF_UNCHECKED), -1 when the item is missing.
DWORD CheckMenuItem(HMENU menu, UINT position, UINT flags);
// The previous MF_GRAYED | MF_DISABLED bits, -1 when the item is missing.
BOOL EnableMenuItem(HMENU menu, UINT position, UINT flags);

// -1 for an unknown menu.
int GetMenuItemCount(HMENU menu);
// 0 for a separator, -1 (as UINT) for a pop-up item or a missing one.
UINT GetMenuItemID(HMENU menu, int position);
// Null unless the item at the position opens a sub-menu.
HMENU GetSubMenu(HMENU menu, int position);
// The flags; for a pop-up item the sub-menu's item count in the high byte. Missing items
// give kMenuStateMissing.
UINT GetMenuState(HMENU menu, UINT position, UINT flags);
// Copies at most size - 1 bytes and a zero; returns the text's length (without the zero),
// 0 when the item is missing. A null buffer asks for the length only.
int GetMenuString(HMENU menu, UINT position, char *buffer, int size, UINT flags);
// Width in the low word, height in the high word, of the check-mark bitmap (13 x 13).
LONG GetMenuCheckMarkDimensions();
// The system's check-mark bitmap: LoadBitmap(nullptr, MAKEINTRESOURCE(OBM_CHECK)) gives a
// black mark on white of the size above (white is meant to vanish under SRCAND).
constexpr int OBM_CHECK = 32760;

// The item named by command id (searching sub-menus too, depth first) or by position,
// with the menu that holds it; null when missing.
TMenuItem *FindMenuItem(HMENU menu, UINT position, UINT flags, HMENU *holder = nullptr);

// Menu resources: tables of our own, registered by name. Each row is one item; a row with
// MF_POPUP opens a pop-up that the next row with MF_END closes. Rows with MF_END carry no
// item.
struct TMenuTemplateItem {
  const char *Text;
  UINT Id;
  UINT Flags;
};
void RegisterMenuResource(const char *name, const TMenuTemplateItem *rows, int count);
// A new menu bar built from the resource; null when no resource has that name (compared
// without case) or the rows do not nest.
HMENU LoadMenu(const void *module, const char *name);

// The framework's menu classes. A TMenu wraps a handle, owning it when it made it.
class TMenu {
 public:
  TMenu();  // a new, empty menu bar
  explicit TMenu(HMENU handle, bool autoDelete = false);
  TMenu(const void *module, const char *resourceName);
  virtual ~TMenu();
  TMenu(const TMenu &) = delete;
  TMenu &operator=(const TMenu &) = delete;

  HMENU GetHandle() const { return handle_; }
  operator HMENU() const { return handle_; }
  bool IsOK() const { return handle_ != nullptr; }
  // The handle goes to the caller (SetMenu on a window, a sub-menu): no longer owned.
  HMENU Release();

  bool AppendMenu(UINT flags, std::uintptr_t newItem = 0, const char *text = nullptr);
  bool InsertMenu(UINT position, UINT flags, std::uintptr_t newItem = 0, const char *text = nullptr);
  bool ModifyMenu(UINT position, UINT flags, std::uintptr_t newItem = 0, const char *text = nullptr);
  bool DeleteMenu(UINT position, UINT flags);
  bool RemoveMenu(UINT position, UINT flags);
  UINT CheckMenuItem(UINT position, UINT flags);
  UINT EnableMenuItem(UINT position, UINT flags);
  int GetMenuItemCount() const;
  UINT GetMenuItemID(int position) const;
  UINT GetMenuState(UINT position, UINT flags) const;
  std::string GetMenuString(UINT position, UINT flags) const;
  HMENU GetSubMenu(int position) const;

 protected:
  HMENU handle_;
  bool owned_;
};

// A new pop-up menu (the framework's context menus).
class TPopupMenu : public TMenu {
 public:
  TPopupMenu();
  explicit TPopupMenu(HMENU handle, bool autoDelete = false) : TMenu(handle, autoDelete) {}
  // TrackPopupMenu on this menu (menu_tracker.h); the answer of that call.
  int TrackPopupMenu(UINT flags, int x, int y, int reserved, HWND owner,
                     const RECT *rect = nullptr);
  int TrackPopupMenu(UINT flags, const POINT &point, int reserved, HWND owner,
                     const RECT *rect = nullptr) {
    return TrackPopupMenu(flags, point.x, point.y, reserved, owner, rect);
  }
};

// A window's system menu (GetSystemMenu); never owned.
class TSystemMenu : public TMenu {
 public:
  explicit TSystemMenu(HWND window, bool revert = false);
};
