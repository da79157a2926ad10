#pragma once
// Button pictures drawn by the window code without Qt: a small picture on a face colour,
// painted with pens, brushes, lines, shapes and curves in the manner of a vector painter
// (no antialiasing; coordinates in pixels, y down), then registered as a bitmap resource.

#include <initializer_list>
#include <memory>

#include "platform/core/types.h"
#include "platform/gui/bars/resources.h"

// True when a bitmap is registered under the name.
bool HasBitmapResource(TResId name);

class TGlyphPainter {
 public:
  enum class TLineStyle { kSolid, kDash, kDot };
  struct TGradientStop {
    double at;  // 0 at the gradient's start, 1 at its end
    COLORREF color;
  };

  // A width x height picture filled with the face colour; the pen is black, 1 pixel, and
  // there is no brush.
  TGlyphPainter(int width, int height, COLORREF face);
  ~TGlyphPainter();
  TGlyphPainter(const TGlyphPainter &) = delete;
  TGlyphPainter &operator=(const TGlyphPainter &) = delete;

  void SetPen(COLORREF color, int width = 1, TLineStyle style = TLineStyle::kSolid);
  void SetNoPen();
  void SetBrush(COLORREF color);
  void SetNoBrush();

  void Line(int x1, int y1, int x2, int y2);
  void Point(int x, int y);
  // Outline with the pen and inside with the brush; the outline spans width + 1 pixels.
  void Rectangle(int x, int y, int width, int height);
  void Ellipse(int x, int y, int width, int height);
  void Polygon(std::initializer_list<POINT> corners);
  // An arc of the ellipse in the box, from startAngle over spanAngle, in sixteenths of a
  // degree counter-clockwise from three o'clock.
  void Arc(int x, int y, int width, int height, int startAngle, int spanAngle);
  // A path of curves, stroked with the pen and filled with the brush when closed.
  void MoveTo(double x, double y);
  void QuadTo(double controlX, double controlY, double x, double y);
  void CubicTo(double x1, double y1, double x2, double y2, double x, double y);
  void StrokePath();
  // Plain fills, without pen or brush.
  void FillRect(int x, int y, int width, int height, COLORREF color);
  void FillGradient(int x, int y, int width, int height, int fromX, int toX,
                    std::initializer_list<TGradientStop> stops);
  void SetPixel(int x, int y, COLORREF color);
  // The text centred in the picture, in the painter's default font and pen colour.
  void CenteredText(const char *text);

  // Registers the picture under the name; the painter is done after it.
  void Register(TResId name);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};
