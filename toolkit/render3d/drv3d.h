#pragma once
// TDrv3D: the depth-buffered software renderer. Points, lines, flat-shaded triangles and
// parametric surfaces are drawn into its own bitmap under a fixed parallel projection,
// with a float depth buffer (larger depth nearer; ties draw). Facet colours come from the
// active run of a palette: by orientation (the fourth power of the cosine to the view
// direction) or by mean height. Uses the program DIB, the palette and the projector of
// this area and foundation's rotator.

#include <cfloat>
#include <memory>

#include "foundation/containers/points.h"
#include "foundation/interfaces/mesh_function.h"
#include "foundation/numerics/rotator.h"
#include "toolkit/render3d/o_dib.h"
#include "toolkit/render3d/proector.h"

class TOPalette;

// A block of T cells for width x height pixels that is used between Lock and Unlock.
template <class T>
class GlbMem {
 public:
  GlbMem(int width, int height) : width_(width), height_(height) {
    if (width > 0 && height > 0)
      block_.reset(new (std::nothrow) T[static_cast<std::size_t>(width) * height]());
  }
  ~GlbMem() { Unlock(); }
  GlbMem(const GlbMem &) = delete;
  GlbMem &operator=(const GlbMem &) = delete;

  bool IsOK() const { return block_ != nullptr; }
  T *Lock() {
    if (block_) ++locks_;
    return block_.get();
  }
  // Unlocks however often it was locked.
  void Unlock() { locks_ = 0; }
  bool Locked() const { return locks_ > 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  T *Data() { return block_.get(); }

 private:
  int width_ = 0;
  int height_ = 0;
  int locks_ = 0;
  std::unique_ptr<T[]> block_;
};

// The point function of a parametric surface: (u, v) in 0..1 to object coordinates.
using TSurfaceFunction = void (*)(double u, double v, double &x, double &y, double &z);

class TDrv3D : public TODib, public TMeshDrawer {
 public:
  // A 24-bit bitmap.
  TDrv3D(int width, int height);
  // A palettised bitmap of colorCount colours holding palette indices.
  TDrv3D(int width, int height, int colorCount);
  ~TDrv3D() override;
  TDrv3D(const TDrv3D &) = delete;
  TDrv3D &operator=(const TDrv3D &) = delete;

  // Drawing needs the depth buffer locked; Clear locks it itself.
  void Lock();
  void Unlock();
  bool HasDepthBuffer() const { return depth_.IsOK(); }

  void SetViewAngles(double a, double b);
  void SetViewCentre(double cx, double cy);
  void SetTransform(const DANGLE3 &angles, const DPOINT3 &offset);
  void SetLocalTransform(const DANGLE3 &angles, const DPOINT3 &offset);
  void SetSecondTransform(const DANGLE3 &angles, const DPOINT3 &offset);
  // The view becomes "the view, then turn" (TRotator::Compose); the current point stays.
  void ComposeTransform(const TRotator &turn) { TRotator::Compose(view_, turn); }
  const TRotator &ViewTransform() const { return view_; }
  const TRotator &SecondTransform() const { return second_; }
  void SetPalette(const TOPalette *palette) { palette_ = palette; }
  void SetHeightRange(double low, double high);
  void SetHeightColoring(bool on) { heightColoring_ = on; }
  // 0 every row, 1 only odd rows, 2 only even rows.
  void SetRowParity(int parity) { rowParity_ = parity; }
  void SetHalfTone(bool on) { halfTone_ = on; }

  // The bitmap filled with the colour (COLORREF, or palette index in a palettised bitmap)
  // and every depth at -FLT_MAX.
  void Clear(COLORREF value);

  void Point3D(const DPOINT3 &p, COLORREF color);
  void PointLocal(const DPOINT3 &p, COLORREF color);
  void MoveTo3D(const DPOINT3 &p);
  void LineTo3D(const DPOINT3 &p, COLORREF color);
  void Line3D(const DPOINT3 &a, const DPOINT3 &b, COLORREF color);
  // The same through the second transform.
  void Point3D2(const DPOINT3 &p, COLORREF color);
  void MoveTo3D2(const DPOINT3 &p);
  void LineTo3D2(const DPOINT3 &p, COLORREF color);

  void Polygon3D(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c, bool halfTone);
  // A triangle of points already in object space after the object transform.
  void ShadedTriangle3D(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c);
  void DrawSurface(TSurfaceFunction f, int nu, int nv, bool halfTone);
  // The optical model's preview surfaces come through here.
  void DrawSurface(TMeshPointFunction function, void *context, int uSteps, int vSteps) override;
  void DrawCurveU(TSurfaceFunction f, double v, COLORREF color, int n);
  void DrawCurveV(TSurfaceFunction f, double u, COLORREF color, int n);

  // A depth-tested triangle between three screen points with their depths.
  void FillTriangle(const double x[3], const double y[3], const float z[3], COLORREF color);
  // The colour of a facet of three transformed points; facetValid() says whether it is
  // drawn at all.
  COLORREF FacetColor(const DPOINT3 &p1, const DPOINT3 &p2, const DPOINT3 &p3);
  bool FacetValid() const { return facetValid_; }

  // The pixels written since the last call (a Clear counts as the whole picture), and
  // forgets them: a window shows a growing picture by copying only what changed. Empty
  // (right <= left) when nothing was drawn.
  RECT TakeDrawnRect();

  // What tests and the paint window read.
  float DepthAt(int x, int y) const;
  const TProector &Projector() const { return projector_; }
  const DPOINT3 &CurrentPoint() const { return current_; }
  int CurrentX() const { return currentX_; }
  int CurrentY() const { return currentY_; }

 private:
  struct TScreenPoint {
    double sx, sy;
    float z;
  };
  TScreenPoint Project(const DPOINT3 &q) const;
  bool RowDrawn(int y) const;
  void WritePixel(int x, int y, float z, COLORREF color);
  void Span(int y, int x1, float z1, int x2, float z2, COLORREF color);
  void LineToTransformed(const DPOINT3 &given, const DPOINT3 &q, COLORREF color);
  COLORREF QuadColor(const DPOINT3 &A, const DPOINT3 &B, const DPOINT3 &C, const DPOINT3 &D);
  template <class Corner>
  void SurfaceMesh(Corner corner, int nu, int nv);

  bool trueColor_;
  TProector projector_;
  TRotator view_;
  TRotator second_;
  TRotator local_;
  bool halfTone_ = false;
  const TOPalette *palette_ = nullptr;
  GlbMem<float> depth_;
  float *lockedDepth_ = nullptr;
  DPOINT3 currentTransformed_;
  int currentX_ = 0;
  int currentY_ = 0;
  DPOINT3 current_;
  bool facetValid_ = false;
  bool heightColoring_ = false;
  double heightLow_ = 0.0;
  double heightHigh_ = 1.0;
  int rowParity_ = 0;
  // Bounds of the pixels written since TakeDrawnRect; left > right when none.
  int drawnLeft_ = 0;
  int drawnTop_ = 0;
  int drawnRight_ = -1;
  int drawnBottom_ = -1;
  void MarkDrawn(int left, int right, int y);
};
