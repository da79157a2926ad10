#pragma once
// TGraphTracer: a drawing cursor with its own pen and last point, so that several
// polylines can be drawn into one graph interleaved.

#include "platform/gui/drawing/gdi_types.h"

class TGraph;

struct TGraphTracer {
  TGraphTracer(TGraph *graph, COLORREF color, int sizeX = 1, int style = PS_SOLID);
  // Each returns the previous value.
  COLORREF SetColor(COLORREF color);
  int SetWidth(int sizeX);
  int SetStyle(int style);
  // Continues the polyline from the last point to (x, y), drawn or not.
  void LineTo(double atX, double atY, bool draw = true);
  // Starts a new polyline at (x, y) without drawing.
  void MoveTo(double atX, double atY) { LineTo(atX, atY, false); }

  TGraph *Graph;
  COLORREF Color;
  int Style;
  int Width;
  double LastX = 0.0;
  double LastY = 0.0;
};
