#pragma once
// How menus look: the layout of a menu bar's items in its band and of a pop-up's items,
// and their painting (our classic look, or the owner's through WM_MEASUREITEM and
// WM_DRAWITEM for MF_OWNERDRAW items). Shared by the bar and the pop-up windows.

#include <QImage>
#include <vector>

#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"

class TDC;

constexpr int kMenuCheckMarkSize = 13;
// The raised border around a pop-up's items.
constexpr int kMenuPopupBorder = 3;

// Item rectangles in the coordinates of the DC that paints them.
struct TMenuLayout {
  std::vector<RECT> Items;
  SIZE Size{};  // a pop-up's whole size, borders included
};

// Pop-up items top to bottom; owner-drawn items are measured by the owner window.
TMenuLayout LayoutPopupMenu(HWND owner, HMENU menu);
// Bar items left to right inside the band (image coordinates), wrapping to a new line
// when the band is too narrow; Size.cy is the height the bar needs.
TMenuLayout LayoutMenuBar(HWND owner, HMENU menu, const RECT &band);

// Paints the whole pop-up (border and every item) with the item at `selected` highlighted
// (-1: none).
void PaintPopupMenu(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout, int selected);
// Repaints only the two items whose highlight changed (either may be -1): owner-drawn
// items are asked with ODA_SELECT, as a moving highlight does.
void PaintPopupSelectionChange(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout,
                               int previous, int selected);
// Paints the band and its items.
void PaintMenuBar(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout, const RECT &band,
                  int selected);

// The bar's two items whose highlight changed; the band around them is left alone.
void PaintMenuBarSelectionChange(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout,
                                 int previous, int selected);

// The picture of OBM_CHECK: a black check mark on white, kMenuCheckMarkSize square.
QImage MenuCheckMarkPicture();

// The item's mnemonic letter (after a single '&'), lower-cased; 0 when none.
char MenuMnemonic(const TMenuItem &item);
// True when the item can be chosen: not a separator, not grey, not disabled.
bool MenuItemSelectable(const TMenuItem &item);
