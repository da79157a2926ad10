#pragma once
// Small drawing steps the drawn controls share: solid fills, 3-D edges, the dotted focus
// frame, text in a rectangle.

#include <string>

#include "platform/core/types.h"

class TDC;

void FillSolid(TDC &dc, const RECT &rect, COLORREF color);
// A one-pixel frame: top and left edges in one colour, bottom and right in the other.
void Frame3d(TDC &dc, const RECT &rect, COLORREF topLeft, COLORREF bottomRight);
// A dotted frame one pixel wide (every other pixel), as the focus is shown.
void DottedFrame(TDC &dc, const RECT &rect, COLORREF color);
// Text in the context's font, transparent; DT_* format (without DT_NOPREFIX a mnemonic
// "&x" is drawn as x underlined). A disabled control's text is etched: white one pixel
// down and right, then grey.
void ControlText(TDC &dc, const std::string &text, RECT rect, UINT format, COLORREF color, bool enabled);
