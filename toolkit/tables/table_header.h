#pragma once
// TTableHeader: the caption strip along the top (columns) or the left (rows) of a table,
// drawn as raised buttons. Its entry sizes are the grid's own column widths or row
// heights, so it always lines up with the cells; its offset follows the grid's scrolling.

#include <memory>
#include <vector>

#include "platform/gui/windows/window.h"
#include "toolkit/tables/table2.h"

class TFont;

class TTableHeader : public TWindow {
 public:
  static constexpr int kColumns = 0;
  static constexpr int kRows = 1;

  // sizes: the grid's list (shared, not owned); font: owned.
  TTableHeader(TWindow *table, int orientationValue, int thicknessValue, std::vector<int> *sizeList, TFont *fontValue);
  ~TTableHeader() override;

  void Paint(TDC &dc, bool erase, RECT &rect) override;

  // Caption i ("" past the end).
  const std::string &Caption(int i) const;
  void SetCaption(int i, const std::string &text);
  TStringTable &Captions() { return *captions; }
  // Replaces (and deletes) the font.
  void SetFont(TFont *newFont);
  TFont *Font() const { return font; }

  int orientation;
  int thickness;
  std::vector<int> *sizes;
  int offset = 0;
  UINT alignment;
  COLORREF textColor;
  COLORREF backColor;
  COLORREF shadowColor;
  COLORREF lightColor;
  COLORREF frameColor;

 private:
  std::unique_ptr<TStringTable> captions;
  TFont *font;
};

// Paints one raised button with a centred caption (headers and the table's corner box).
void PaintHeaderButton(TDC &dc, const RECT &box, const char *caption, UINT alignment, const TTableHeader &look);
