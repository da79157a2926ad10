#pragma once
// Geometry of a surface's lens-array zones: where a ray meets the base surface, which
// lattice cells a base-surface point may belong to, and each cell's local frame.
// Everything works in the surface's local frame (x along the axis) and allocates nothing.

class TSurface;

// Lattice types of a zone, in the order the zone page lists them.
enum TLensPacking : int {
  kPackingLineOX = 0,
  kPackingLineOY = 1,
  kPackingRectangle = 2,
  kPackingHexagon = 3,
  kPackingRing = 4,
  kPackingRadial = 5,
  kPackingRadialRing = 6,
};
constexpr int kPackingCount = 7;

// The name the zone page shows for a packing code; "" outside the list.
const char *LensPackingName(int packing);

// A cell is the triple (0, u, w): zone coordinates of its centre (the first entry is unused).
// At most this many cells are tried per ray.
constexpr int kMaxCandidateCells = 4;

// Where the geometry reads R, 0 stands for a flat base of this radius.
constexpr double kLensArrayRadiusLimit = 1e6;
// R with 0 and magnitudes past the limit replaced by +-limit (0 and positive R give +).
double ClampLensArrayRadius(double radius, double limit);

// Sag of the conic (1 - Ex) x^2 - 2 R x + h^2 = 0 at height h; 0 for R = 0.
double ConicSag(double R, double Ex, double h);

// The base surface's gradient, not normalised, at the local point P (c = 1/R): the
// sphere's (1 - c x, -c y, -c z), the conic's with (1 - Ex) c x, the cylinder's with z part
// 0. Every other type takes the sphere's form.
void BaseGradient(int type, double c, double Ex, const double P[3], double n[3]);

// value = sum c[i] x^(i+1), derivative = sum (i+1) c[i] x^i; n >= 1 (n < 1 gives 0, 0).
double EvaluateAxialPolynomial(const double *c, int n, double x, double &derivative);

// The ray P + t D meets the base surface (plane, sphere, conic or cylinder); t on success.
bool IntersectBaseSurface(const TSurface &surface, const double P[3], const double D[3],
                          double &t);
// The ray meets the zone's offset surface, HMikroLens behind the base along the axis.
bool IntersectOffsetSurface(const TSurface &surface, int zoneIndex, const double P[3],
                            const double D[3], double &t);

// Zone coordinates (u, w) of a base-surface point into cell[1], cell[2]; false when the
// point has none (off the base's domain, or a packing the base cannot carry).
bool ComputeZoneCoordinates(const TSurface &surface, int zoneIndex, const double point[3],
                            double cell[3]);

// The cells the point (u, w) of cell may belong to, nearest first in lattice order. False
// (count 0) when the zone's periods are unusable: zero, negative, not finite, or so small
// that the cell index leaves the range a double counts exactly.
bool FindCandidateCells(const TSurface &surface, int zoneIndex, const double cell[3],
                        double candidates[kMaxCandidateCells][3], int &count);

// The cell's frame in the surface's frame: p_local = M (p - O); the local x axis is the
// base normal at O. False when the base and packing define no frame.
bool ComputeCellFrame(const TSurface &surface, int zoneIndex, const double cell[3],
                      double origin[3], double M[9]);

// out = M v and out = M^T v (M row-major 3 x 3); out may not alias v.
void ToCellFrame(const double M[9], const double v[3], double out[3]);
void FromCellFrame(const double M[9], const double v[3], double out[3]);
