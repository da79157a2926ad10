#include "toolkit/render3d/drv3d.h"

#include <algorithm>
#include <cmath>

#include "platform/core/message_box.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr double kDefaultAzimuth = 0.6108652381980153;    // 35 degrees
constexpr double kDefaultElevation = 1.2217304763960306;  // 70 degrees
// DIB colour mode of a bitmap whose pixels are palette indices.
constexpr UINT kPaletteColors = 1;

double Dot(const double d[3], const DPOINT3 &q) { return d[0] * q.x + d[1] * q.y + d[2] * q.z; }

// Screen coordinates go to pixels by flooring, not by truncation toward zero: a shape
// partly beyond the left or top edge then covers the same pixels, with the same depths, as
// it does where it lies wholly inside, and a point at -0.5 does not land on pixel 0.
int PixelOf(double s) { return static_cast<int>(std::floor(s)); }
int PixelOf(float s) { return static_cast<int>(std::floor(s)); }

void ReportNoDepthBuffer() {
  MessageBox(nullptr, "`Not enough memory", "Global Memory", MB_OK | MB_ICONASTERISK);
}

}  // namespace

TDrv3D::TDrv3D(int width, int height)
    : TODib(width, height), trueColor_(BitsPerPixel() >= 24), depth_(width, height) {
  if (!depth_.IsOK()) ReportNoDepthBuffer();
  projector_.SetAngles(kDefaultAzimuth, kDefaultElevation);
  projector_.cx = width * 0.5;
  projector_.cy = height * 0.5;
  Clear(RGB(0, 0, 0));
}

TDrv3D::TDrv3D(int width, int height, int colorCount)
    : TODib(width, height, colorCount, kPaletteColors),
      trueColor_(BitsPerPixel() >= 24),
      depth_(width, height) {
  if (!depth_.IsOK()) ReportNoDepthBuffer();
  projector_.SetAngles(kDefaultAzimuth, kDefaultElevation);
  projector_.cx = width * 0.5;
  projector_.cy = height * 0.5;
  Clear(0);
}

TDrv3D::~TDrv3D() = default;

void TDrv3D::Lock() { lockedDepth_ = depth_.Lock(); }

void TDrv3D::Unlock() {
  depth_.Unlock();
  lockedDepth_ = nullptr;
}

void TDrv3D::SetViewAngles(double a, double b) { projector_.SetAngles(a, b); }

void TDrv3D::SetViewCentre(double cx, double cy) {
  projector_.cx = cx;
  projector_.cy = cy;
}

void TDrv3D::SetTransform(const DANGLE3 &angles, const DPOINT3 &offset) {
  view_ = TRotator(angles, offset);
  current_ = DPOINT3();
  currentTransformed_ = DPOINT3();
  currentX_ = currentY_ = 0;
}

void TDrv3D::SetLocalTransform(const DANGLE3 &angles, const DPOINT3 &offset) {
  local_ = TRotator(angles, offset);
  current_ = DPOINT3();
  currentTransformed_ = DPOINT3();
  currentX_ = currentY_ = 0;
}

void TDrv3D::SetSecondTransform(const DANGLE3 &angles, const DPOINT3 &offset) {
  second_ = TRotator(angles, offset);
}

void TDrv3D::SetHeightRange(double low, double high) {
  heightColoring_ = true;
  heightLow_ = low;
  heightHigh_ = high;
}

void TDrv3D::MarkDrawn(int left, int right, int y) {
  if (drawnRight_ < drawnLeft_) {
    drawnLeft_ = left, drawnRight_ = right, drawnTop_ = drawnBottom_ = y;
    return;
  }
  drawnLeft_ = std::min(drawnLeft_, left);
  drawnRight_ = std::max(drawnRight_, right);
  drawnTop_ = std::min(drawnTop_, y);
  drawnBottom_ = std::max(drawnBottom_, y);
}

RECT TDrv3D::TakeDrawnRect() {
  RECT drawn{0, 0, 0, 0};
  if (drawnRight_ >= drawnLeft_) drawn = RECT{drawnLeft_, drawnTop_, drawnRight_ + 1, drawnBottom_ + 1};
  drawnLeft_ = drawnTop_ = 0;
  drawnRight_ = drawnBottom_ = -1;
  return drawn;
}

void TDrv3D::Clear(COLORREF value) {
  TODib::Clear(value);
  MarkDrawn(0, Width() - 1, 0);
  MarkDrawn(0, Width() - 1, Height() - 1);
  float *depth = depth_.Lock();
  if (depth != nullptr)
    std::fill(depth, depth + static_cast<std::size_t>(depth_.Width()) * depth_.Height(), -FLT_MAX);
  if (lockedDepth_ == nullptr) depth_.Unlock();
}

float TDrv3D::DepthAt(int x, int y) const {
  if (!depth_.IsOK() || x < 0 || y < 0 || x >= Width() || y >= Height()) return -FLT_MAX;
  return const_cast<GlbMem<float> &>(depth_).Data()[static_cast<std::size_t>(y) * Width() + x];
}

TDrv3D::TScreenPoint TDrv3D::Project(const DPOINT3 &q) const {
  TScreenPoint p;
  projector_.Project(q, p.sx, p.sy);
  p.z = static_cast<float>(Dot(projector_.d, q));
  return p;
}

bool TDrv3D::RowDrawn(int y) const {
  if (rowParity_ == 1) return (y & 1) != 0;
  if (rowParity_ == 2) return (y & 1) == 0;
  return true;
}

void TDrv3D::WritePixel(int x, int y, float z, COLORREF color) {
  if (lockedDepth_ == nullptr || x < 0 || y < 0 || x >= Width() || y >= Height() || !RowDrawn(y))
    return;
  float &stored = lockedDepth_[static_cast<std::size_t>(y) * Width() + x];
  if (!(z >= stored)) return;
  stored = z;
  MarkDrawn(x, x, y);
  if (trueColor_)
    SetPixelRGB(x, y, GetRValue(color), GetGValue(color), GetBValue(color));
  else
    SetPixelIndex(x, y, static_cast<int>(color & 0xFFFF), nullptr);
}

void TDrv3D::Point3D(const DPOINT3 &p, COLORREF color) {
  const TScreenPoint s = Project(view_.Transform(p));
  WritePixel(PixelOf(s.sx), PixelOf(s.sy), s.z, color);
}

void TDrv3D::Point3D2(const DPOINT3 &p, COLORREF color) {
  const TScreenPoint s = Project(second_.Transform(p));
  WritePixel(PixelOf(s.sx), PixelOf(s.sy), s.z, color);
}

void TDrv3D::PointLocal(const DPOINT3 &p, COLORREF color) { Point3D(local_.Transform(p), color); }

void TDrv3D::MoveTo3D(const DPOINT3 &p) {
  current_ = p;
  currentTransformed_ = view_.Transform(p);
  const TScreenPoint s = Project(currentTransformed_);
  currentX_ = PixelOf(s.sx);
  currentY_ = PixelOf(s.sy);
}

void TDrv3D::MoveTo3D2(const DPOINT3 &p) {
  current_ = p;
  currentTransformed_ = second_.Transform(p);
  const TScreenPoint s = Project(currentTransformed_);
  currentX_ = PixelOf(s.sx);
  currentY_ = PixelOf(s.sy);
}

void TDrv3D::LineToTransformed(const DPOINT3 &given, const DPOINT3 &q, COLORREF color) {
  const TScreenPoint end = Project(q);
  const int ex = PixelOf(end.sx), ey = PixelOf(end.sy);
  const int dx = ex - currentX_, dy = ey - currentY_;
  const double z0 = Dot(projector_.d, currentTransformed_);
  const double z1 = end.z;
  if (dx == 0 && dy == 0) {
    // The end falls on the current pixel: only it is tried, and the current point stays.
    WritePixel(ex, ey, static_cast<float>(z1), color);
    return;
  }
  if (std::abs(dx) >= std::abs(dy)) {
    const int step = dx > 0 ? 1 : -1;
    for (int i = 0; i != dx + step; i += step) {
      const int y = currentY_ + PixelOf(static_cast<double>(i) * dy / dx + 0.5);
      WritePixel(currentX_ + i, y, static_cast<float>(z0 + (z1 - z0) * i / dx), color);
    }
  } else {
    const int step = dy > 0 ? 1 : -1;
    for (int i = 0; i != dy + step; i += step) {
      const int x = currentX_ + PixelOf(static_cast<double>(i) * dx / dy + 0.5);
      WritePixel(x, currentY_ + i, static_cast<float>(z0 + (z1 - z0) * i / dy), color);
    }
  }
  current_ = given;
  currentTransformed_ = q;
  currentX_ = ex;
  currentY_ = ey;
}

void TDrv3D::LineTo3D(const DPOINT3 &p, COLORREF color) {
  LineToTransformed(p, view_.Transform(p), color);
}

void TDrv3D::LineTo3D2(const DPOINT3 &p, COLORREF color) {
  LineToTransformed(p, second_.Transform(p), color);
}

void TDrv3D::Line3D(const DPOINT3 &a, const DPOINT3 &b, COLORREF color) {
  const DPOINT3 before = current_;
  MoveTo3D(local_.Transform(a));
  LineTo3D(local_.Transform(b), color);
  MoveTo3D(before);
}

COLORREF TDrv3D::FacetColor(const DPOINT3 &p1, const DPOINT3 &p2, const DPOINT3 &p3) {
  double f;
  if (heightColoring_ && !halfTone_) {
    const double h = (p1.z + p2.z + p3.z) / 3.0;
    const double span = heightHigh_ - heightLow_;
    f = span != 0.0 ? (h - heightLow_) / span : 0.0;
    facetValid_ = true;
  } else {
    // n = (P2 - P1) x (P3 - P2); both sides of a facet shade alike.
    const double ax = p2.x - p1.x, ay = p2.y - p1.y, az = p2.z - p1.z;
    const double bx = p3.x - p2.x, by = p3.y - p2.y, bz = p3.z - p2.z;
    const double nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const double n2 = nx * nx + ny * ny + nz * nz;
    if (n2 < FLT_MIN) {
      facetValid_ = false;
      return 0;
    }
    const double *d = projector_.d;
    const double c = nx * d[0] + ny * d[1] + nz * d[2];
    const double cos2 = c * c / n2;
    f = cos2 * cos2;
    facetValid_ = true;
  }
  if (palette_ == nullptr) {
    const BYTE grey = static_cast<BYTE>(std::clamp(f, 0.0, 1.0) * 255.0);
    return trueColor_ ? RGB(grey, grey, grey) : grey;
  }
  return trueColor_ ? palette_->ValueToColor(f) : palette_->ValueToIndex(f);
}

void TDrv3D::Span(int y, int x1, float z1, int x2, float z2, COLORREF color) {
  if (!RowDrawn(y) || y < 0 || y >= Height() || lockedDepth_ == nullptr) return;
  const int bits = BitsPerPixel();
  if (bits != 8 && bits != 24 && bits != 32) return;
  if (x2 < x1) {
    std::swap(x1, x2);
    std::swap(z1, z2);
  }
  // The depth steps by (right - left) / n from the left end of the whole span, so a span
  // cut at the bitmap's edge keeps the depths it has where it is drawn.
  const int n = x2 - x1 + 1;
  const float step = (z2 - z1) / static_cast<float>(n);
  const int left = std::max(x1, 0), right = std::min(x2, Width() - 1);
  if (left >= Width() || right < 0) return;
  float *depth = lockedDepth_ + static_cast<std::size_t>(y) * Width();
  std::uint8_t *row = Row(y);
  MarkDrawn(left, right, y);
  const BYTE r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  const BYTE index = static_cast<BYTE>(color & 0xFF);
  const int bytes = bits / 8;
  for (int x = left; x <= right; ++x) {
    if (halfTone_ && ((x + y) & 1) == 0) continue;
    const float z = z1 + step * static_cast<float>(x - x1);
    if (!(z >= depth[x])) continue;
    depth[x] = z;
    std::uint8_t *p = row + static_cast<std::ptrdiff_t>(x) * bytes;
    if (bits == 8) {
      *p = index;
    } else {
      p[0] = b;
      p[1] = g;
      p[2] = r;
      if (bits == 32) p[3] = 0;
    }
  }
}

void TDrv3D::FillTriangle(const double x[3], const double y[3], const float z[3], COLORREF color) {
  int order[3] = {0, 1, 2};
  std::sort(order, order + 3, [&](int a, int b) { return y[a] < y[b]; });
  const int tx = PixelOf(x[order[0]]), ty = PixelOf(y[order[0]]);
  const int mx = PixelOf(x[order[1]]), my = PixelOf(y[order[1]]);
  const int bx = PixelOf(x[order[2]]), by = PixelOf(y[order[2]]);
  const float tz = z[order[0]], mz = z[order[1]], bz = z[order[2]];
  if (ty == my) {
    Span(ty, tx, tz, mx, mz, color);
  } else {
    for (int row = ty; row <= my; ++row) {
      const float t1 = static_cast<float>(row - ty) / static_cast<float>(my - ty);
      const float t2 = by != ty ? static_cast<float>(row - ty) / static_cast<float>(by - ty) : 0.0f;
      const int xa = PixelOf(tx + (mx - tx) * t1 + 0.5f);
      const int xb = PixelOf(tx + (bx - tx) * t2 + 0.5f);
      Span(row, xa, tz + (mz - tz) * t1, xb, tz + (bz - tz) * t2, color);
    }
  }
  if (my != by) {
    for (int row = my + 1; row <= by; ++row) {
      const float t1 = static_cast<float>(row - my) / static_cast<float>(by - my);
      const float t2 = static_cast<float>(row - ty) / static_cast<float>(by - ty);
      const int xa = PixelOf(mx + (bx - mx) * t1 + 0.5f);
      const int xb = PixelOf(tx + (bx - tx) * t2 + 0.5f);
      Span(row, xa, mz + (bz - mz) * t1, xb, tz + (bz - tz) * t2, color);
    }
  }
}

void TDrv3D::ShadedTriangle3D(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c) {
  const DPOINT3 q[3] = {view_.Transform(a), view_.Transform(b), view_.Transform(c)};
  const COLORREF color = FacetColor(q[0], q[1], q[2]);
  if (!facetValid_) return;
  double x[3], y[3];
  float z[3];
  for (int k = 0; k < 3; ++k) {
    const TScreenPoint s = Project(q[k]);
    x[k] = s.sx;
    y[k] = s.sy;
    z[k] = s.z;
  }
  FillTriangle(x, y, z, color);
}

void TDrv3D::Polygon3D(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c, bool halfTone) {
  halfTone_ = halfTone;
  ShadedTriangle3D(local_.Transform(a), local_.Transform(b), local_.Transform(c));
}

COLORREF TDrv3D::QuadColor(const DPOINT3 &A, const DPOINT3 &B, const DPOINT3 &C,
                          const DPOINT3 &D) {
  const COLORREF color = FacetColor(A, B, C);
  if (facetValid_) return color;
  // A quad with one edge shrunk to a point (at a pole of a sphere) still has its other
  // triangle: take the colour from that one rather than leave a hole.
  return FacetColor(A, C, D);
}

template <class Corner>
void TDrv3D::SurfaceMesh(Corner corner, int nu, int nv) {
  if (nu <= 0 || nv <= 0) return;
  TRotator T = local_;
  TRotator::Compose(T, view_);
  const double du = 1.0 / nu, dv = 1.0 / nv;
  auto fill = [&](const DPOINT3 &p, const DPOINT3 &q, const DPOINT3 &r, COLORREF color) {
    double x[3], y[3];
    float z[3];
    const DPOINT3 *points[3] = {&p, &q, &r};
    for (int k = 0; k < 3; ++k) {
      const TScreenPoint s = Project(*points[k]);
      x[k] = s.sx;
      y[k] = s.sy;
      z[k] = s.z;
    }
    FillTriangle(x, y, z, color);
  };
  for (int i = 0; i < nu; ++i) {
    const double u = i * du;
    DPOINT3 A = T.Transform(corner(u, 0.0)), B = T.Transform(corner(u + du, 0.0));
    DPOINT3 C = T.Transform(corner(u + du, dv)), D = T.Transform(corner(u, dv));
    COLORREF color = QuadColor(A, B, C, D);
    if (facetValid_) {
      fill(B, A, C, color);
      fill(C, A, D, color);
    }
    for (int j = 1; j < nv; ++j) {
      const double v = j * dv;
      A = D;
      B = C;
      C = T.Transform(corner(u + du, v + dv));
      D = T.Transform(corner(u, v + dv));
      color = QuadColor(A, B, C, D);
      if (!facetValid_) continue;
      fill(A, B, C, color);
      fill(A, C, D, color);
    }
  }
}

void TDrv3D::DrawSurface(TSurfaceFunction f, int nu, int nv, bool halfTone) {
  if (f == nullptr) return;
  halfTone_ = halfTone;
  SurfaceMesh(
      [f](double u, double v) {
        DPOINT3 p;
        f(u, v, p.x, p.y, p.z);
        return p;
      },
      nu, nv);
}

void TDrv3D::DrawSurface(TMeshPointFunction function, void *context, int uSteps, int vSteps) {
  if (function == nullptr) return;
  SurfaceMesh([function, context](double u, double v) { return function(u, v, context); },
              uSteps, vSteps);
}

void TDrv3D::DrawCurveU(TSurfaceFunction f, double v, COLORREF color, int n) {
  if (f == nullptr || n <= 0) return;
  const DPOINT3 before = current_;
  DPOINT3 p;
  f(0.0, v, p.x, p.y, p.z);
  MoveTo3D(local_.Transform(p));
  for (int k = 1; k <= n; ++k) {
    f(static_cast<double>(k) / n, v, p.x, p.y, p.z);
    LineTo3D(local_.Transform(p), color);
  }
  MoveTo3D(before);
}

void TDrv3D::DrawCurveV(TSurfaceFunction f, double u, COLORREF color, int n) {
  if (f == nullptr || n <= 0) return;
  const DPOINT3 before = current_;
  DPOINT3 p;
  f(u, 0.0, p.x, p.y, p.z);
  MoveTo3D(local_.Transform(p));
  for (int k = 1; k <= n; ++k) {
    f(u, static_cast<double>(k) / n, p.x, p.y, p.z);
    LineTo3D(local_.Transform(p), color);
  }
  MoveTo3D(before);
}
