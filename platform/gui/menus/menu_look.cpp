#include "platform/gui/menus/menu_look.h"

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/core/font_faces.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/message_records.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr int kSeparatorHeight = 8;
constexpr int kTextPadding = 3;        // above and below a pop-up item's text
constexpr int kCheckColumn = 2 + kMenuCheckMarkSize + 3;  // left of every pop-up item's text
constexpr int kKeyGap = 16;            // between an item's text and its key text
constexpr int kArrowColumn = 14;       // right of every pop-up item: the sub-menu arrow
constexpr int kBarItemPadding = 7;     // left and right of a bar item's text
constexpr COLORREF kLightColor = 0xFFFFFF;
constexpr COLORREF kDarkColor = 0x000000;

// The menu font: the classic 8-point sans face.
HFONT MenuFont() {
  static HFONT font = [] {
    LOGFONT logFont{};
    logFont.lfHeight = -11;
    logFont.lfWeight = FW_NORMAL;
    std::snprintf(logFont.lfFaceName, sizeof(logFont.lfFaceName), "%s", kFaceSansSerif);
    return CreateFontIndirect(logFont);
  }();
  return font;
}

// The text before and after the tab (the key text is shown right-aligned).
std::pair<std::string, std::string> SplitText(const std::string &text) {
  const std::size_t tab = text.find('\t');
  if (tab == std::string::npos) return {text, {}};
  return {text.substr(0, tab), text.substr(tab + 1)};
}

SIZE TextSize(TDC &dc, const std::string &text) {
  RECT rect{0, 0, 0, 0};
  dc.DrawText(text.c_str(), static_cast<int>(text.size()), rect, DT_SINGLELINE | DT_CALCRECT);
  return {rect.Width(), rect.Height()};
}

bool Measure(HWND owner, HMENU, const TMenuItem &item, SIZE &size) {
  MEASUREITEMSTRUCT measure;
  measure.CtlType = ODT_MENU;
  measure.itemID = item.Id;
  measure.itemData = item.ItemData;
  if (::SendMessage(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)) == 0 &&
      measure.itemWidth == 0 && measure.itemHeight == 0) {
    return false;
  }
  size = {static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
  return true;
}

UINT OwnerState(const TMenuItem &item, bool selected) {
  UINT state = 0;
  if (selected) state |= ODS_SELECTED;
  if (item.Flags & MF_GRAYED) state |= ODS_GRAYED;
  if (item.Flags & MF_DISABLED) state |= ODS_DISABLED;
  if (item.Flags & MF_CHECKED) state |= ODS_CHECKED;
  return state;
}

void OwnerDraw(TDC &dc, HWND owner, HMENU menu, const TMenuItem &item, const RECT &rect,
               bool selected, UINT action = ODA_DRAWENTIRE) {
  DRAWITEMSTRUCT draw;
  draw.CtlType = ODT_MENU;
  draw.itemID = item.Id;
  draw.itemAction = action;
  draw.itemState = OwnerState(item, selected);
  draw.hwndItem = reinterpret_cast<HWND>(menu);
  draw.hDC = dc.GetHDC();
  draw.rcItem = rect;
  draw.itemData = item.ItemData;
  ::SendMessage(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
}

void Fill(TDC &dc, const RECT &rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  dc.FillRect(rect, brush);
  DeleteObject(brush);
}

void HLine(TDC &dc, int left, int right, int y, COLORREF color) { Fill(dc, {left, y, right, y + 1}, color); }
void VLine(TDC &dc, int x, int top, int bottom, COLORREF color) { Fill(dc, {x, top, x + 1, bottom}, color); }

// A check mark of 7 x 7 pixels centred in the box.
void DrawCheck(TDC &dc, int left, int top, int height, COLORREF color) {
  const int x = left + (kMenuCheckMarkSize - 7) / 2;
  const int y = top + (height - 7) / 2;
  for (int i = 0; i < 7; ++i) {
    // A short arm down for three columns, then a long one up for four: a tick, inside
    // the 7 x 7 square with its 3-pixel stroke.
    const int dy = i < 3 ? 2 + i : 3 - (i - 3);
    Fill(dc, {x + i, y + dy, x + i + 1, y + dy + 3}, color);
  }
}

// A small right-pointing triangle.
void DrawArrow(TDC &dc, int right, int top, int height, COLORREF color) {
  const int x = right - kArrowColumn + 4;
  const int y = top + height / 2;
  for (int i = 0; i < 4; ++i) Fill(dc, {x + i, y - 3 + i, x + i + 1, y + 4 - i}, color);
}

void DrawItemText(TDC &dc, const std::string &text, RECT rect, UINT format, COLORREF color,
                  bool embossed) {
  dc.SetBkMode(TRANSPARENT);
  if (embossed) {
    // Grey items carry a white shadow one pixel down and right, as classic menus do.
    RECT shadow{rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1};
    dc.SetTextColor(kLightColor);
    dc.DrawText(text.c_str(), static_cast<int>(text.size()), shadow, format);
  }
  dc.SetTextColor(color);
  dc.DrawText(text.c_str(), static_cast<int>(text.size()), rect, format);
}

void PaintPopupItem(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout, int index,
                    bool isSelected, UINT action) {
  const TMenuItem &item = menu->Items[static_cast<std::size_t>(index)];
  const RECT &rect = layout.Items[static_cast<std::size_t>(index)];
  dc.SelectObject(MenuFont());
  if (item.Flags & MF_OWNERDRAW) {
    OwnerDraw(dc, owner, menu, item, rect, isSelected, action);
    // The arrow of a sub-menu is ours, in the text colour the owner left in the context.
    if (item.SubMenu != nullptr) DrawArrow(dc, rect.right, rect.top, rect.Height(), dc.GetTextColor());
    return;
  }
  if (item.Flags & MF_SEPARATOR) {
    const int middle = (rect.top + rect.bottom) / 2;
    HLine(dc, rect.left + 1, rect.right - 1, middle - 1, GetSysColor(COLOR_BTNSHADOW));
    HLine(dc, rect.left + 1, rect.right - 1, middle, kLightColor);
    return;
  }
  const bool grey = (item.Flags & (MF_GRAYED | MF_DISABLED)) != 0;
  const bool highlighted = isSelected;
  // The item's own rectangle is painted whole: a highlight that moves away leaves nothing.
  Fill(dc, rect, highlighted ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_MENU));
  const COLORREF textColor = grey ? GetSysColor(COLOR_GRAYTEXT)
                                  : (highlighted ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                 : GetSysColor(COLOR_MENUTEXT));
  if (item.Flags & MF_CHECKED) DrawCheck(dc, rect.left + 2, rect.top, rect.Height(), textColor);
  const auto [text, keys] = SplitText(item.Text);
  const RECT textRect{rect.left + kCheckColumn, rect.top, rect.right - kArrowColumn, rect.bottom};
  const UINT format = DT_SINGLELINE | DT_VCENTER;
  DrawItemText(dc, text, textRect, format | DT_LEFT, textColor, grey && !highlighted);
  if (!keys.empty()) DrawItemText(dc, keys, textRect, format | DT_RIGHT, textColor, grey && !highlighted);
  if (item.SubMenu != nullptr) DrawArrow(dc, rect.right, rect.top, rect.Height(), textColor);
}

void PaintBarItem(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout, int index,
                  bool isSelected, UINT action) {
  const TMenuItem &item = menu->Items[static_cast<std::size_t>(index)];
  const RECT &rect = layout.Items[static_cast<std::size_t>(index)];
  dc.SelectObject(MenuFont());
  if (item.Flags & MF_OWNERDRAW) {
    OwnerDraw(dc, owner, menu, item, rect, isSelected, action);
    return;
  }
  if (item.Flags & MF_SEPARATOR) return;
  const bool grey = (item.Flags & (MF_GRAYED | MF_DISABLED)) != 0;
  Fill(dc, rect, isSelected && !grey ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_MENU));
  const COLORREF textColor = grey ? GetSysColor(COLOR_GRAYTEXT)
                                  : (isSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                : GetSysColor(COLOR_MENUTEXT));
  const std::string text = SplitText(item.Text).first;
  DrawItemText(dc, text, rect, DT_SINGLELINE | DT_VCENTER | DT_CENTER, textColor, grey);
}

}  // namespace

QImage MenuCheckMarkPicture() {
  QImage picture(kMenuCheckMarkSize, kMenuCheckMarkSize, QImage::Format_RGB32);
  picture.fill(qRgb(0xFF, 0xFF, 0xFF));
  QImage *target = &picture;
  TDC dc(target, {0, 0}, {0, 0, kMenuCheckMarkSize, kMenuCheckMarkSize});
  DrawCheck(dc, 0, 0, kMenuCheckMarkSize, 0x000000);
  return picture;
}

char MenuMnemonic(const TMenuItem &item) {
  const std::string &text = item.Text;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    const char c = text[i + 1];
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return 0;
}

bool MenuItemSelectable(const TMenuItem &item) {
  return (item.Flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) == 0;
}

TMenuLayout LayoutPopupMenu(HWND owner, HMENU menu) {
  TMenuLayout layout;
  if (!IsMenu(menu)) return layout;
  QImage scratch(1, 1, QImage::Format_RGB32);
  TDC dc(&scratch, {0, 0}, {0, 0, 1, 1});
  dc.SelectObject(MenuFont());
  int width = 0;
  int keyWidth = 0;
  std::vector<SIZE> sizes;
  for (const TMenuItem &item : menu->Items) {
    SIZE size{};
    if ((item.Flags & MF_OWNERDRAW) && Measure(owner, menu, item, size)) {
      // Room for the sub-menu arrow right of what the owner draws, as for every item.
      size.cx += kArrowColumn;
      width = std::max<int>(width, size.cx);
    } else if (item.Flags & MF_SEPARATOR) {
      size = {0, kSeparatorHeight};
    } else {
      const auto [text, keys] = SplitText(item.Text);
      const SIZE textSize = TextSize(dc, text);
      size = {kCheckColumn + textSize.cx + kArrowColumn, textSize.cy + 2 * kTextPadding};
      if (!keys.empty()) keyWidth = std::max<int>(keyWidth, TextSize(dc, keys).cx + kKeyGap);
      width = std::max<int>(width, size.cx);
    }
    sizes.push_back(size);
  }
  width += keyWidth;
  int y = kMenuPopupBorder;
  for (const SIZE &size : sizes) {
    layout.Items.push_back({kMenuPopupBorder, y, kMenuPopupBorder + width, y + size.cy});
    y += size.cy;
  }
  layout.Size = {width + 2 * kMenuPopupBorder, y + kMenuPopupBorder};
  return layout;
}

TMenuLayout LayoutMenuBar(HWND owner, HMENU menu, const RECT &band) {
  TMenuLayout layout;
  if (!IsMenu(menu)) return layout;
  QImage scratch(1, 1, QImage::Format_RGB32);
  TDC dc(&scratch, {0, 0}, {0, 0, 1, 1});
  dc.SelectObject(MenuFont());
  const int lineHeight = GetSystemMetrics(SM_CYMENU);
  int x = band.left;
  int y = band.top;
  for (const TMenuItem &item : menu->Items) {
    SIZE size{};
    if (!((item.Flags & MF_OWNERDRAW) && Measure(owner, menu, item, size))) {
      size = {TextSize(dc, SplitText(item.Text).first).cx + 2 * kBarItemPadding, lineHeight};
    }
    size.cy = std::min<LONG>(std::max<LONG>(size.cy, 1), lineHeight);
    // A new line when the item does not fit (but never for the first item of a line).
    if (x > band.left && x + size.cx > band.right) {
      x = band.left;
      y += lineHeight;
    }
    layout.Items.push_back({x, y, x + size.cx, y + size.cy});
    x += size.cx;
  }
  layout.Size = {band.right - band.left, y + lineHeight - band.top};
  return layout;
}

void PaintPopupMenu(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout, int selected) {
  if (!IsMenu(menu)) return;
  const RECT whole{0, 0, layout.Size.cx, layout.Size.cy};
  const COLORREF face = GetSysColor(COLOR_MENU);
  Fill(dc, whole, face);
  // Raised border: face and white outside-in on the top and left, black and grey on the
  // bottom and right.
  HLine(dc, 0, whole.right, 0, face);
  VLine(dc, 0, 0, whole.bottom, face);
  HLine(dc, 1, whole.right - 1, 1, kLightColor);
  VLine(dc, 1, 1, whole.bottom - 1, kLightColor);
  HLine(dc, 0, whole.right, whole.bottom - 1, kDarkColor);
  VLine(dc, whole.right - 1, 0, whole.bottom, kDarkColor);
  HLine(dc, 1, whole.right - 1, whole.bottom - 2, GetSysColor(COLOR_BTNSHADOW));
  VLine(dc, whole.right - 2, 1, whole.bottom - 1, GetSysColor(COLOR_BTNSHADOW));
  const int count = static_cast<int>(std::min(menu->Items.size(), layout.Items.size()));
  for (int i = 0; i < count; ++i) PaintPopupItem(dc, owner, menu, layout, i, i == selected, ODA_DRAWENTIRE);
}

void PaintPopupSelectionChange(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout,
                               int previous, int selected) {
  if (!IsMenu(menu) || previous == selected) return;
  const int count = static_cast<int>(std::min(menu->Items.size(), layout.Items.size()));
  for (int index : {previous, selected}) {
    if (index >= 0 && index < count) PaintPopupItem(dc, owner, menu, layout, index, index == selected, ODA_SELECT);
  }
}

void PaintMenuBar(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout, const RECT &band,
                  int selected) {
  Fill(dc, band, GetSysColor(COLOR_MENU));
  if (!IsMenu(menu)) return;
  const int count = static_cast<int>(std::min(menu->Items.size(), layout.Items.size()));
  for (int i = 0; i < count; ++i) PaintBarItem(dc, owner, menu, layout, i, i == selected, ODA_DRAWENTIRE);
}

void PaintMenuBarSelectionChange(TDC &dc, HWND owner, HMENU menu, const TMenuLayout &layout,
                                 int previous, int selected) {
  if (!IsMenu(menu) || previous == selected) return;
  const int count = static_cast<int>(std::min(menu->Items.size(), layout.Items.size()));
  for (int index : {previous, selected}) {
    if (index >= 0 && index < count) PaintBarItem(dc, owner, menu, layout, index, index == selected, ODA_SELECT);
  }
}
