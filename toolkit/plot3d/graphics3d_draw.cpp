// The plot window's axonometric views and colour map: the shaded surface drawn by the
// renderer, the hidden-line profile drawing painted back to front on a memory bitmap, the
// colour map computed pixel by pixel, and the axes box over the axonometric views.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/core/cursor.h"
#include "platform/core/font_faces.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/plot3d/graphics3d.h"
#include "toolkit/plot3d/number_text.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// Turns and restores the wait cursor around a drawing.
class TWaitCursor {
 public:
  TWaitCursor() { SetCursorShape(TCursorShape::Wait); }
  ~TWaitCursor() { SetCursorShape(TCursorShape::Arrow); }
  TWaitCursor(const TWaitCursor &) = delete;
  TWaitCursor &operator=(const TWaitCursor &) = delete;
};

POINT Pixel(const TPlotData &plot, const DPOINT3 &p) {
  double sx, sy;
  plot.ToScreen(p, sx, sy);
  return POINT{static_cast<LONG>(sx), static_cast<LONG>(sy)};
}

// The quadrant of the azimuth: which corner of the box faces the viewer.
int Quadrant(double azimuth) { return std::abs(static_cast<int>(azimuth) % 360) / 90; }

}  // namespace

COLORREF TGraphics3D::Standard(int i) const {
  if (trueColour_ || Palette() == nullptr) return TOPalette::StandardColor(i);
  return Palette()->PaletteIndex(i);
}

COLORREF TGraphics3D::RampColour(double fraction) const {
  if (Palette() == nullptr) {
    const BYTE grey = static_cast<BYTE>(std::clamp(fraction, 0.0, 1.0) * 255.0);
    return RGB(grey, grey, grey);
  }
  return trueColour_ ? Palette()->ValueToColor(fraction) : Palette()->ValueToIndex(fraction);
}

void TGraphics3D::SelectSurfaceRamps() {
  if (surfaceRamps_[0] != -1 && Palette() != nullptr)
    Palette()->SetRange(surfaceRamps_[0], surfaceRamps_[1]);
}

void TGraphics3D::SelectMapRamps() {
  if (mapRamps_[0] != -1 && Palette() != nullptr) Palette()->SetRange(mapRamps_[0], mapRamps_[1]);
}

void TGraphics3D::DrawSolid() {
  if (!plot_.HasGrid() || Renderer() == nullptr) return;
  TWaitCursor wait;
  plot_.ComputeView(width_, height_, azimuth_);
  SelectSurfaceRamps();
  TDrv3D *renderer = LockRenderer();
  plot_.DrawSurface(*renderer, Background(), meshU_, meshV_);
  GrabClient(true);
  if (plot_.RangesSet()) DrawAxesBox();
  kind_ = kSolidSurface;
}

void TGraphics3D::DrawProfile() {
  if (!plot_.HasGrid() || Renderer() == nullptr) return;
  TWaitCursor wait;
  plot_.ComputeView(width_, height_, azimuth_);
  TDrv3D *renderer = LockRenderer();
  renderer->Clear(Background());
  GrabClient(false);
  TDC *dc = UpdateBitmap();
  if (dc == nullptr) return;
  const int i0 = plot_.I0(), i1 = plot_.I1(), j0 = plot_.J0(), j1 = plot_.J1();
  const double scale = plot_.Scale();
  std::vector<POINT> points(static_cast<std::size_t>(i1 - i0 + 3));
  TBrush fill(Background());
  TPen outline(Standard(15), 1);
  TPen erase(Background(), 1);
  dc->SelectObject(fill);
  if (profileStep_ < 1) {
    const int n = j1 - j0 + 1;
    profileStep_ = n <= 32 ? 1 : n <= 64 ? 2 : n <= 128 ? 4 : n <= 512 ? 8 : n <= 1024 ? 16 : 32;
  }
  const double columnStep = scale / std::max(1, i1 - i0);
  const double rowStep = scale / std::max(1, j1 - j0);
  const double base = plot_.Height(plot_.ZMin());
  for (int j : ProfileRows(j0, j1, profileStep_, azimuth_)) {
    const double rowY = (j - j0) * rowStep;
    std::size_t k = 0;
    points[k++] = Pixel(plot_, DPOINT3(0.0, rowY, base));
    for (int i = i0; i <= i1; ++i)
      points[k++] = Pixel(plot_, DPOINT3((i - i0) * columnStep, rowY, plot_.Height(plot_.Value(i, j))));
    points[k++] = Pixel(plot_, DPOINT3(scale, rowY, base));
    dc->SelectObject(outline);
    dc->Polygon(points.data(), static_cast<int>(k));
    // Only the profile line shows: the base edge is drawn over in the background.
    dc->SelectObject(erase);
    dc->MoveTo(points[0].x, points[0].y);
    dc->LineTo(points[k - 1].x, points[k - 1].y);
    ShowBitmap();
  }
  dc->RestoreObjects();
  GrabClient(true);
  if (plot_.RangesSet()) DrawAxesBox();
  kind_ = kProfilePlot;
}

void TGraphics3D::DrawColorMap() {
  if (!plot_.HasGrid() || Renderer() == nullptr || Palette() == nullptr) return;
  TWaitCursor wait;
  plot_.EnsureRange();
  SelectMapRamps();
  TDrv3D *renderer = LockRenderer();
  renderer->TODib::Clear(trueColour_ ? TOPalette::StandardColor(0) : 0);
  plot_.DrawColorMap(*renderer, *Palette(), trueColour_);
  GrabClient(true);
  kind_ = kColorMap;
  if (gridSet_) DrawCoordinateGrid();
}

void TGraphics3D::DrawAxesBox() {
  TDC *dc = UpdateBitmap();
  if (dc == nullptr) return;
  const int S = static_cast<int>(plot_.Scale());
  const int H = static_cast<int>(plot_.Height(plot_.ZMax()));
  const int q = Quadrant(azimuth_);
  struct TBox {
    DPOINT3 p[5];
    bool xFromEnd;  // X value at P0 is x2 (else x1)
    bool yFromEnd;  // Y value at P0 is y2
  };
  const double s = S, h = H;
  const TBox boxes[4] = {
      {{{s, s, 0}, {0, s, 0}, {s, 0, 0}, {s, 0, 0}, {s, 0, h}}, true, true},
      {{{s, 0, 0}, {0, 0, 0}, {s, s, 0}, {0, 0, 0}, {0, 0, h}}, true, false},
      {{{0, 0, 0}, {s, 0, 0}, {0, s, 0}, {0, s, 0}, {0, s, h}}, false, false},
      {{{0, s, 0}, {s, s, 0}, {0, 0, 0}, {s, s, 0}, {s, s, h}}, false, true},
  };
  const TBox &box = boxes[q];
  POINT P[5];
  for (int k = 0; k < 5; ++k) P[k] = Pixel(plot_, box.p[k]);
  const double xAt0 = box.xFromEnd ? plot_.X2() : plot_.X1();
  const double xAt1 = box.xFromEnd ? plot_.X1() : plot_.X2();
  const double yAt0 = box.yFromEnd ? plot_.Y2() : plot_.Y1();
  const double yAt2 = box.yFromEnd ? plot_.Y1() : plot_.Y2();

  TPen pen(Standard(axesColour_), 1);
  dc->SelectObject(pen);
  dc->SetTextColor(Standard(axesColour_));
  dc->SetBkColor(Standard(0));
  auto line = [dc](POINT a, POINT b) {
    dc->MoveTo(a.x, a.y);
    dc->LineTo(b.x, b.y);
  };
  auto middle = [](POINT a, POINT b) { return POINT{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
  line(P[0], P[1]);
  line(P[0], P[2]);
  line(P[3], P[4]);
  const POINT m01 = middle(P[0], P[1]), m02 = middle(P[0], P[2]), m34 = middle(P[3], P[4]);
  for (POINT t : {P[0], P[1], m01, P[2], m02}) line(t, POINT{t.x, t.y + 5});
  for (POINT t : {P[4], m34}) line(t, POINT{t.x + 5, t.y});

  TOFont font(kFaceArial, fontSize_, 0, true);
  font.SelectInto(*dc);
  auto label = [&](const std::string &text, auto place) {
    const SIZE extent = dc->GetTextExtent(text.c_str());
    const int d = std::max(static_cast<int>(0.3 * extent.cx), 6);
    const POINT at = place(extent.cx, extent.cy, d);
    dc->TextOut(at.x, at.y, text.c_str());
  };
  auto number = [this](double v) { return FormatNumber(v, numberWidth_, numberPrecision_); };
  const bool evenQuadrant = q == 0 || q == 2;
  label(number(xAt0), [&](int cx, int, int) {
    return evenQuadrant ? POINT{P[0].x + 5, P[0].y + 5} : POINT{P[0].x - cx - 5, P[0].y + 5};
  });
  label(number((xAt0 + xAt1) / 2), [&](int cx, int, int d) { return POINT{m01.x - cx / 2, m01.y + d}; });
  label(number(xAt1), [&](int cx, int, int d) { return POINT{P[1].x - cx / 2, P[1].y + d}; });
  label("X", [&](int cx, int cy, int d) { return POINT{P[1].x - cx / 2, P[1].y + d + 2 * cy}; });
  label(number(yAt0), [&](int cx, int, int) {
    return evenQuadrant ? POINT{P[0].x - cx - 5, P[0].y + 5} : POINT{P[0].x + 5, P[0].y + 5};
  });
  label(number((yAt0 + yAt2) / 2), [&](int cx, int, int d) { return POINT{m02.x - cx / 2, m02.y + d}; });
  label(number(yAt2), [&](int cx, int, int d) { return POINT{P[2].x - cx / 2, P[2].y + d}; });
  label("Y", [&](int cx, int cy, int d) { return POINT{P[2].x - cx / 2, P[2].y + d + 2 * cy}; });
  const double middleValue = plot_.Unscaled((plot_.ZMin() + plot_.ZMax()) / 2);
  label(number(middleValue), [&](int, int cy, int) { return POINT{m34.x + 9, m34.y - cy / 2}; });
  label(number(plot_.ZMax()), [&](int, int cy, int) { return POINT{P[4].x + 9, P[4].y - cy / 2}; });
  dc->RestoreObjects();
  GrabClient(true);
}
