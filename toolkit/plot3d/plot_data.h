#pragma once
// TPlotData: what the 3-D plot window knows about its grid of values and how it maps them,
// apart from any window: its own copy of the grid, the value range and value scale, the
// visible index window and zoom, the axis ranges, and the geometry of the axonometric
// views. The window draws through it; benchmarks and tests use it headless.

#include <vector>

#include "foundation/containers/points.h"
#include "foundation/numerics/rotator.h"
#include "platform/gui/drawing/gdi_types.h"
#include "toolkit/render3d/proector.h"

class TDrv3D;
class TODib;
class TOPalette;

enum TValueScaleKind { kLinearScale = 0, kPower2Scale = 1, kPower4Scale = 2, kLogScale = 3 };

enum TPlotKind { kNoPlot = 0, kSolidSurface = 1, kProfilePlot = 2, kColorMap = 3, kContourMap = 4 };

// The rows of a profile drawing in painting order, back to front for the azimuth (degrees):
// from j0 upward for quadrants 0 and 3, from j1 downward for 1 and 2, every step-th row.
std::vector<int> ProfileRows(int j0, int j1, int step, double azimuthDegrees);

class TPlotData {
 public:
  // Copies the grid (value (i, j) at grid[j * cols + i]); the caller may free its own at
  // once. The whole grid becomes visible at zoom 1. A range found from the previous grid is
  // forgotten; one fixed by SetZRange stays. False (and nothing changed) for a null grid
  // or a size below 1.
  bool SetGrid(const float *grid, int cols, int rows);
  bool HasGrid() const { return !grid_.empty(); }
  int Cols() const { return cols_; }
  int Rows() const { return rows_; }
  float Value(int i, int j) const { return grid_[static_cast<std::size_t>(j) * cols_ + i]; }

  // The value range: fixed by SetZRange, else searched on the first need.
  void SetZRange(double zmin, double zmax);
  void ForgetZRange();
  void EnsureRange();
  double ZMin() const { return zmin_; }
  double ZMax() const { return zmax_; }
  bool RangeKnown() const { return rangeKnown_; }
  // zmax - zmin, or 1 when all values are equal, so the scales never divide by zero.
  double SafeSpan() const;

  // The value scale over the current range.
  void SetValueScale(int kind);
  int ValueScale() const { return scaleKind_; }
  double Scaled(double v) const;
  double Unscaled(double scaled) const;
  // (Scaled(v) - zmin) / span limited to 0..1: the colour fraction of a value.
  double Fraction(double v) const;

  // The visible index window and zoom.
  int I0() const { return i0_; }
  int J0() const { return j0_; }
  int I1() const { return i1_; }
  int J1() const { return j1_; }
  int Zoom() const { return zoom_; }
  void ShowWhole();
  // Zooms by a factor about a picture point (pixels, y down) of a width x height picture;
  // factor 1 restores the whole grid.
  void ZoomAt(int factor, double x, double y, int width, int height);
  // Whether "xN" is offered: the visible span must keep 10 steps per factor.
  bool ZoomOffered(int factor) const;

  // Axis ranges in world units.
  void SetRanges(double x1, double x2, double y1, double y2);
  bool RangesSet() const { return rangesSet_; }
  double X1() const { return x1_; }
  double X2() const { return x2_; }
  double Y1() const { return y1_; }
  double Y2() const { return y2_; }

  // Geometry of the axonometric views for a picture of width x height and the azimuth in
  // degrees: the projector, the rotation and the plotted square's scale and offsets.
  void ComputeView(int width, int height, double azimuthDegrees);
  const TProector &Projector() const { return projector_; }
  const TRotator &Rotation() const { return rotation_; }
  DANGLE3 RotationAngles() const { return angles_; }
  double Scale() const { return scale_; }
  double ZScale() const { return zscale_; }
  double ZOffset() const { return zoffset_; }
  double OffsetX() const { return ox_; }
  double OffsetY() const { return oy_; }
  // Height of a value in the plotted box (0 at zmin, 1.1 * scale at zmax).
  double Height(double v) const { return zscale_ * Scaled(v) - zoffset_; }
  // A point of the plotted box to picture pixels (after the rotation).
  void ToScreen(const DPOINT3 &p, double &sx, double &sy) const;

  // The surface point of (u, v) in 0..1: the bilinear value of the visible grid.
  DPOINT3 SurfacePoint(double u, double v) const;
  // The shaded surface into a renderer whose depth buffer is locked: cleared to the
  // background, then meshU x meshV quads. The palette's run must be set by the caller.
  void DrawSurface(TDrv3D &renderer, COLORREF background, int meshU, int meshV) const;
  // The colour map: every pixel of the picture, grid row 0 at the bottom. Colours from
  // the palette's active run (indices when trueColour is false).
  void DrawColorMap(TODib &picture, const TOPalette &palette, bool trueColour) const;

 private:
  std::vector<float> grid_;
  int cols_ = 0;
  int rows_ = 0;
  double zmin_ = 0.0;
  double zmax_ = 0.0;
  bool rangeKnown_ = false;
  bool rangeFixed_ = false;
  int scaleKind_ = kLinearScale;
  double exponent_ = 1.0;
  double powerFactor_ = 1.0;
  double logA_ = 1.0;
  double logB_ = 0.0;
  double logOffset_ = 1e-5;
  int i0_ = 0, j0_ = 0, i1_ = 0, j1_ = 0;
  int zoom_ = 1;
  double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
  double fullX1_ = 0.0, fullX2_ = 0.0, fullY1_ = 0.0, fullY2_ = 0.0;
  bool rangesSet_ = false;
  TProector projector_;
  TRotator rotation_;
  DANGLE3 angles_{};
  double scale_ = 1.0;
  double zscale_ = 1.0;
  double zoffset_ = 0.0;
  double ox_ = 0.0;
  double oy_ = 0.0;
};
