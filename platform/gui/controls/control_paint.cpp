#include "platform/gui/controls/control_paint.h"

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"

void FillSolid(TDC &dc, const RECT &rect, COLORREF color) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const TBrush brush(color);
  dc.FillRect(rect, brush);
}

void Frame3d(TDC &dc, const RECT &rect, COLORREF topLeft, COLORREF bottomRight) {
  if (rect.Width() <= 0 || rect.Height() <= 0) return;
  FillSolid(dc, {rect.left, rect.top, rect.right - 1, rect.top + 1}, topLeft);
  FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom - 1}, topLeft);
  FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
  FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
}

void DottedFrame(TDC &dc, const RECT &rect, COLORREF color) {
  for (LONG x = rect.left; x < rect.right; x += 2) {
    dc.SetPixel(x, rect.top, color);
    dc.SetPixel(x, rect.bottom - 1, color);
  }
  for (LONG y = rect.top; y < rect.bottom; y += 2) {
    dc.SetPixel(rect.left, y, color);
    dc.SetPixel(rect.right - 1, y, color);
  }
}

void ControlText(TDC &dc, const std::string &text, RECT rect, UINT format, COLORREF color, bool enabled) {
  if (text.empty()) return;
  dc.SetBkMode(TRANSPARENT);
  if (!enabled) {
    RECT shadow{rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1};
    dc.SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
    dc.DrawText(text.c_str(), -1, shadow, format);
    color = GetSysColor(COLOR_GRAYTEXT);
  }
  dc.SetTextColor(color);
  dc.DrawText(text.c_str(), -1, rect, format);
}
