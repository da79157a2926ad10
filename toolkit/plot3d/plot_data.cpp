#include "toolkit/plot3d/plot_data.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "foundation/numerics/pi.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_dib.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr double kDefaultAzimuth = 0.6108652381980153;    // 35 degrees
constexpr double kDefaultElevation = 1.2217304763960306;  // 70 degrees

DPOINT3 MeshPoint(double u, double v, void *context) {
  return static_cast<const TPlotData *>(context)->SurfacePoint(u, v);
}

}  // namespace

std::vector<int> ProfileRows(int j0, int j1, int step, double azimuthDegrees) {
  std::vector<int> rows;
  step = std::max(1, step);
  const int q = std::abs(static_cast<int>(azimuthDegrees) % 360) / 90;
  if (q == 0 || q == 3) {
    for (int j = j0; j <= j1; j += step) rows.push_back(j);
  } else {
    for (int j = j1; j >= j0; j -= step) rows.push_back(j);
  }
  return rows;
}

bool TPlotData::SetGrid(const float *grid, int cols, int rows) {
  if (grid == nullptr || cols < 1 || rows < 1) return false;
  std::vector<float> copy;
  try {
    copy.assign(grid, grid + static_cast<std::size_t>(cols) * rows);
  } catch (const std::bad_alloc &) {
    return false;
  }
  grid_.swap(copy);
  cols_ = cols;
  rows_ = rows;
  if (!rangeFixed_) rangeKnown_ = false;
  ShowWhole();
  return true;
}

void TPlotData::SetZRange(double zmin, double zmax) {
  zmin_ = std::min(zmin, zmax);
  zmax_ = std::max(zmin, zmax);
  rangeKnown_ = true;
  rangeFixed_ = true;
  SetValueScale(scaleKind_);
}

void TPlotData::ForgetZRange() {
  rangeKnown_ = false;
  rangeFixed_ = false;
}

void TPlotData::EnsureRange() {
  if (rangeKnown_) return;
  double low = 1e20, high = -1e20;
  for (float v : grid_) {
    if (!std::isfinite(v)) continue;
    low = std::min(low, static_cast<double>(v));
    high = std::max(high, static_cast<double>(v));
  }
  if (low > high) low = high = 0.0;
  zmin_ = low;
  zmax_ = high;
  rangeKnown_ = true;
  SetValueScale(scaleKind_);
}

double TPlotData::SafeSpan() const {
  const double span = zmax_ - zmin_;
  return span > 0.0 && std::isfinite(span) ? span : 1.0;
}

void TPlotData::SetValueScale(int kind) {
  scaleKind_ = std::clamp(kind, 0, 3);
  const double span = SafeSpan();
  exponent_ = scaleKind_ == kPower2Scale ? 0.5 : scaleKind_ == kPower4Scale ? 0.25 : 1.0;
  powerFactor_ = span / std::pow(span, exponent_);
  logOffset_ = 1e-5;
  logA_ = span / std::log((span + logOffset_) / logOffset_);
  logB_ = zmin_ - logA_ * std::log(logOffset_);
}

double TPlotData::Scaled(double v) const {
  // A sample that is not a number (a failed computation) sits at the bottom of the range.
  if (!std::isfinite(v)) return zmin_;
  switch (scaleKind_) {
    case kPower2Scale:
    case kPower4Scale:
      return std::pow(std::fabs(v - zmin_), exponent_) * powerFactor_ + zmin_;
    case kLogScale:
      // Values below zmin (only possible with a fixed range) take the lowest height.
      return std::log(std::max(v - zmin_, 0.0) + logOffset_) * logA_ + logB_;
    default:
      return v;
  }
}

double TPlotData::Unscaled(double scaled) const {
  switch (scaleKind_) {
    case kPower2Scale:
    case kPower4Scale:
      return std::pow(std::max(scaled - zmin_, 0.0) / powerFactor_, 1.0 / exponent_) + zmin_;
    case kLogScale:
      return std::exp((scaled - logB_) / logA_) + zmin_ - logOffset_;
    default:
      return scaled;
  }
}

double TPlotData::Fraction(double v) const {
  if (!(zmax_ > zmin_)) return 0.0;
  const double t = (Scaled(v) - zmin_) / (zmax_ - zmin_);
  return std::isfinite(t) ? std::clamp(t, 0.0, 1.0) : 0.0;
}

void TPlotData::ShowWhole() {
  zoom_ = 1;
  i0_ = j0_ = 0;
  i1_ = std::max(0, cols_ - 1);
  j1_ = std::max(0, rows_ - 1);
  x1_ = fullX1_;
  x2_ = fullX2_;
  y1_ = fullY1_;
  y2_ = fullY2_;
}

void TPlotData::ZoomAt(int factor, double x, double y, int width, int height) {
  if (factor <= 1 || cols_ < 2 || rows_ < 2) {
    ShowWhole();
    return;
  }
  zoom_ *= factor;
  const int ci = static_cast<int>(x / std::max(1, width) * (i1_ - i0_) + i0_);
  const int cj = static_cast<int>((height - y) / std::max(1, height) * (j1_ - j0_) + j0_);
  auto window = [this](int centre, int count, int &first, int &last) {
    const int span = std::max(1, count / zoom_);
    first = std::max(0, centre - span / 2);
    last = first + span;
    if (last > count - 1) {
      last = count - 1;
      first = std::max(0, last - span);
    }
  };
  window(ci, cols_, i0_, i1_);
  window(cj, rows_, j0_, j1_);
  x1_ = i0_ * (fullX2_ - fullX1_) / (cols_ - 1) + fullX1_;
  x2_ = i1_ * (fullX2_ - fullX1_) / (cols_ - 1) + fullX1_;
  y1_ = j0_ * (fullY2_ - fullY1_) / (rows_ - 1) + fullY1_;
  y2_ = j1_ * (fullY2_ - fullY1_) / (rows_ - 1) + fullY1_;
}

bool TPlotData::ZoomOffered(int factor) const {
  return std::min(i1_ - i0_, j1_ - j0_) / factor >= 10;
}

void TPlotData::SetRanges(double x1, double x2, double y1, double y2) {
  x1_ = fullX1_ = x1;
  x2_ = fullX2_ = x2;
  y1_ = fullY1_ = y1;
  y2_ = fullY2_ = y2;
  rangesSet_ = true;
}

void TPlotData::ComputeView(int width, int height, double azimuthDegrees) {
  EnsureRange();
  projector_.SetAngles(kDefaultAzimuth, kDefaultElevation);
  // The bounds are those of the bare projection; the centre is placed afterwards.
  projector_.cx = projector_.cy = 0.0;
  angles_ = DANGLE3(0.0, 0.0, azimuthDegrees * kPi / 180.0);
  rotation_ = TRotator(angles_, DPOINT3());
  double bounds[4];
  TProector::UnitBoxBounds(projector_, rotation_, bounds);
  const double bw = std::max(bounds[2] - bounds[0], 1e-9);
  const double bh = std::max(bounds[3] - bounds[1], 1e-9);
  scale_ = 0.85 * std::min(width / bw, height / bh);
  const double span = SafeSpan();
  zscale_ = 1.1 * scale_ / span;
  zoffset_ = 1.1 * scale_ * zmin_ / span;
  ox_ = 0.5 * width - 0.5 * (bounds[0] + bounds[2]) * scale_;
  oy_ = 0.47 * height - 0.5 * (bounds[1] + bounds[3]) * scale_;
  projector_.cx = ox_;
  projector_.cy = oy_;
}

void TPlotData::ToScreen(const DPOINT3 &p, double &sx, double &sy) const {
  projector_.Project(rotation_.Transform(p), sx, sy);
}

DPOINT3 TPlotData::SurfacePoint(double u, double v) const {
  const double gx = i0_ + (i1_ + 1 - i0_) * u;
  const double gy = j0_ + (j1_ + 1 - j0_) * v;
  int ix = static_cast<int>(gx), iy = static_cast<int>(gy);
  float fx = static_cast<float>(gx - ix), fy = static_cast<float>(gy - iy);
  if (ix >= cols_) {
    ix = cols_ - 1;
    fx = 0.0f;
  }
  if (iy >= rows_) {
    iy = rows_ - 1;
    fy = 0.0f;
  }
  const bool right = ix < cols_ - 1, up = iy < rows_ - 1;
  const float a = Value(ix, iy);
  const float b = right ? Value(ix + 1, iy) : a;
  const float c = up ? Value(ix, iy + 1) : a;
  const float d = right && up ? Value(ix + 1, iy + 1) : a;
  const float low = a + (b - a) * fx, high = c + (d - c) * fx;
  const float value = low + (high - low) * fy;
  return DPOINT3(scale_ * u, scale_ * v, Height(value));
}

void TPlotData::DrawSurface(TDrv3D &renderer, COLORREF background, int meshU, int meshV) const {
  renderer.Clear(background);
  if (!HasGrid()) return;
  renderer.SetTransform(angles_, DPOINT3());
  renderer.SetViewCentre(ox_, oy_);
  renderer.SetHalfTone(false);
  renderer.DrawSurface(MeshPoint, const_cast<TPlotData *>(this), meshU, meshV);
}

void TPlotData::DrawColorMap(TODib &picture, const TOPalette &palette, bool trueColour) const {
  const int width = picture.Width(), height = picture.Height();
  if (!HasGrid() || width < 1 || height < 1) return;
  // Per column: the cell and the fraction across it, the cell limited to the last one so
  // that the far edge takes the last grid column.
  std::vector<int> cellX(static_cast<std::size_t>(width));
  std::vector<float> fracX(static_cast<std::size_t>(width));
  const int lastCellX = std::max(0, cols_ - 2), lastCellY = std::max(0, rows_ - 2);
  for (int c = 0; c < width; ++c) {
    const double gx = i0_ + (i1_ - i0_) * (width > 1 ? static_cast<double>(c) / (width - 1) : 0.0);
    const int ix = std::min(static_cast<int>(gx), lastCellX);
    cellX[c] = ix;
    fracX[c] = cols_ > 1 ? static_cast<float>(gx - ix) : 0.0f;
  }
  const bool rgb = trueColour && picture.BitsPerPixel() >= 24;
  for (int r = 0; r < height; ++r) {
    const double gy = j0_ + (j1_ - j0_) * (height > 1 ? static_cast<double>(r) / (height - 1) : 0.0);
    const int iy = std::min(static_cast<int>(gy), lastCellY);
    const float fy = rows_ > 1 ? static_cast<float>(gy - iy) : 0.0f;
    const int iyUp = rows_ > 1 ? iy + 1 : iy;
    const int y = height - 1 - r;
    for (int c = 0; c < width; ++c) {
      const int ix = cellX[c], ixRight = cols_ > 1 ? ix + 1 : ix;
      const float fx = fracX[c];
      const float a = Value(ix, iy), b = Value(ixRight, iy);
      const float cc = Value(ix, iyUp), d = Value(ixRight, iyUp);
      const float low = a + (b - a) * fx, high = cc + (d - cc) * fx;
      const double t = Fraction(low + (high - low) * fy);
      if (rgb) {
        const COLORREF color = palette.ValueToColor(t);
        picture.SetPixelRGB(c, y, GetRValue(color), GetGValue(color), GetBValue(color));
      } else {
        picture.SetPixelIndex(c, y, static_cast<int>(palette.ValueToIndex(t) & 0xFFFF), nullptr);
      }
    }
  }
}
