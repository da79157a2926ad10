#include "toolkit/tables/table_header.h"

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"

TTableHeader::TTableHeader(TWindow *table, int orientationValue, int thicknessValue, std::vector<int> *sizeList,
                           TFont *fontValue)
    : TWindow(table),
      orientation(orientationValue),
      thickness(thicknessValue),
      sizes(sizeList),
      alignment(DT_CENTER),
      textColor(GetSysColor(COLOR_BTNTEXT)),
      backColor(GetSysColor(COLOR_BTNFACE)),
      shadowColor(GetSysColor(COLOR_BTNSHADOW)),
      lightColor(GetSysColor(COLOR_BTNHIGHLIGHT)),
      frameColor(GetSysColor(COLOR_WINDOWFRAME)),
      captions(std::make_unique<TStringTable>(sizeList != nullptr ? static_cast<int>(sizeList->size()) : 0, 1)),
      font(fontValue) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
}

TTableHeader::~TTableHeader() { delete font; }

void TTableHeader::SetFont(TFont *newFont) {
  delete font;
  font = newFont;
  Invalidate();
}

const std::string &TTableHeader::Caption(int i) const {
  static const std::string kEmpty;
  return i >= 0 && i < captions->Columns() && captions->Rows() > 0 ? captions->GetItem(i, 0).text : kEmpty;
}

void TTableHeader::SetCaption(int i, const std::string &text) {
  if (i >= 0 && i < captions->Columns() && captions->Rows() > 0) captions->GetItem(i, 0).text = text;
}

void PaintHeaderButton(TDC &dc, const RECT &box, const char *caption, UINT alignment, const TTableHeader &look) {
  TPen frame(look.frameColor);
  TPen light(look.lightColor);
  TPen shadow(look.shadowColor);
  TBrush back(look.backColor);
  dc.FillRect(box, back);
  dc.SelectObject(frame);
  dc.MoveTo(box.left, box.top);
  dc.LineTo(box.right - 1, box.top);
  dc.LineTo(box.right - 1, box.bottom - 1);
  dc.LineTo(box.left, box.bottom - 1);
  dc.LineTo(box.left, box.top);
  dc.SelectObject(light);
  dc.MoveTo(box.left + 1, box.bottom - 2);
  dc.LineTo(box.left + 1, box.top + 1);
  dc.LineTo(box.right - 2, box.top + 1);
  dc.SelectObject(shadow);
  dc.LineTo(box.right - 2, box.bottom - 2);
  dc.LineTo(box.left + 1, box.bottom - 2);
  if (caption != nullptr && caption[0] != '\0') {
    RECT inner{box.left + 2, box.top + 2, box.right - 2, box.bottom - 2};
    RECT shifted{inner.left + 1, inner.top + 1, inner.right + 1, inner.bottom + 1};
    const UINT format = alignment | DT_SINGLELINE | DT_VCENTER;
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(look.backColor);
    dc.SetTextColor(look.shadowColor);
    dc.DrawText(caption, -1, shifted, format);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(look.textColor);
    dc.DrawText(caption, -1, inner, format);
  }
  dc.RestorePen();
}

void TTableHeader::Paint(TDC &dc, bool, RECT &rect) {
  if (thickness <= 0 || sizes == nullptr) return;
  if (font != nullptr) dc.SelectObject(*font);
  TBrush back(backColor);
  dc.FillRect(rect, back);
  int position = offset;
  for (std::size_t i = 0; i < sizes->size(); ++i) {
    const int size = (*sizes)[i];
    const RECT box = orientation == kColumns ? RECT{position, -1, position + size, thickness - 1}
                                             : RECT{-1, position, thickness - 1, position + size};
    if (dc.RectVisible(box)) PaintHeaderButton(dc, box, Caption(static_cast<int>(i)).c_str(), alignment, *this);
    position += size;
  }
  dc.RestoreObjects();
}
