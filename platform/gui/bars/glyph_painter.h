#pragma once
// Button pictures drawn by the window code without Qt: a small picture on a face colour,
// painted with pens, brushes, lines, shapes and curves in the manner of a vector painter
// (coordinates in pixels, y down; aliased unless asked otherwise), then registered as a
// bitmap resource.

#include <initializer_list>
#include <memory>
#include <vector>

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
  // A point between pixels, for smoothed drawing.
  struct TSpot {
    double x;
    double y;
  };

  // A width x height picture filled with the face colour; the pen is black, 1 pixel, and
  // there is no brush.
  TGlyphPainter(int width, int height, COLORREF face);
  ~TGlyphPainter();
  TGlyphPainter(const TGlyphPainter &) = delete;
  TGlyphPainter &operator=(const TGlyphPainter &) = delete;

  // Smoothed edges for what is drawn from now on.
  void SetAntialiased(bool on);
  void SetPen(COLORREF color, double width = 1.0, TLineStyle style = TLineStyle::kSolid);
  void SetNoPen();
  void SetBrush(COLORREF color);
  // A brush shading from the first stop at the centre to the last at the radius.
  void SetRadialBrush(TSpot centre, double radius, std::initializer_list<TGradientStop> stops);
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
  // The arc closed through the box's centre, filled with the brush.
  void Pie(int x, int y, int width, int height, int startAngle, int spanAngle);
  // The same shapes between pixels.
  void Line(TSpot from, TSpot to);
  void Ellipse(TSpot corner, double width, double height);
  void PolygonThrough(const std::vector<TSpot> &corners);
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
  // The text centred in a box, in the pen colour and a bold sans face of the pixel size.
  void BoldTextIn(int x, int y, int width, int height, int pixelSize, const char *text);

  // Registers the picture under the name; the painter is done after it.
  void Register(TResId name);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};
