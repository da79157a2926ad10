#include "toolkit/graph/o_pen.h"

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"

TOPen::TOPen(int style, int sizeX, COLORREF color) {
  logPen_.lopnStyle = static_cast<UINT>(style);
  logPen_.lopnWidth = POINT{sizeX, 0};
  logPen_.lopnColor = color;
}

TOPen::~TOPen() { DeletePen(); }

void TOPen::Set(int style, int sizeX, COLORREF color) {
  DeletePen();
  logPen_.lopnStyle = static_cast<UINT>(style);
  logPen_.lopnWidth.x = sizeX;
  logPen_.lopnColor = color;
}

void TOPen::SetStyle(int style) { Set(style, GetWidth(), GetColor()); }
void TOPen::SetWidth(int sizeX) { Set(GetStyle(), sizeX, GetColor()); }
void TOPen::SetColor(COLORREF color) { Set(GetStyle(), GetWidth(), color); }

HPEN TOPen::GetPen() {
  if (pen_ == nullptr) pen_ = CreatePenIndirect(logPen_);
  return pen_;
}

void TOPen::SelectInto(TDC &dc) {
  dc.RestorePen();
  if (HPEN pen = GetPen()) dc.SelectObject(pen);
}

void TOPen::DeletePen() {
  if (pen_ == nullptr) return;
  // The graph puts its contexts' own pens back before it changes a pen, so the object is
  // free here; a pen still selected elsewhere is left to the context (DeleteObject refuses).
  DeleteObject(pen_);
  pen_ = nullptr;
}
