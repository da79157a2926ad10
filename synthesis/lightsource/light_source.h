#pragma once
// The lightsource area holds the extended light source: its model and geometry (this
// header), its set-up and Monte-Carlo ray drawing, its *.srl file, the import of emitting
// meshes from DXF files and the data of its preview. Everything here is free of windows;
// the preview window lives in synthesis_folder. Coordinates are millimetres in the
// source's frame, x along the optical axis.

#include <string>

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"
#include "foundation/numerics/vector.h"
#include "optics/model/spectral_info.h"

// The two kinds of source (`TLightSource::SourceType`).
constexpr int kZoneSource = 0;   // coaxial emitting spheroids, "Zones"
constexpr int kSolidSource = 1;  // emitting triangles grouped into objects, "Solid"

// Longest object name and comment the *.srl file can hold (its 32- and 256-byte buffers).
constexpr int kMaxObjectNameLength = 30;
constexpr int kMaxCommentLength = 255;

// One emitting spheroid: centre (Z + Az/2, 0, 0), semi-axes Az/2 along x and Ay/2 across.
class TLightSourceZone {
 public:
  double Z = 0.0;          // x where the zone begins
  double Az = 0.0;         // length along x
  double Ay = 0.0;         // transverse diameter
  double Bright = 0.0;     // emission per unit volume, relative
  double CumWeight = 0.0;  // cumulative draw weight (set-up), not stored in files

  void Clear() { *this = TLightSourceZone(); }
  // 1 when (x, y, z) lies strictly inside the spheroid.
  int Contains(double x, double y, double z) const;
  // A point uniform in the spheroid, drawn through the program's generator.
  void RandomPoint(double point[3]) const;
};

// One emitting triangle with the geometry its set-up derives from the vertices.
class TTriangle {
 public:
  TTriangle();

  int Object = 0;  // index into the source's object names and temperatures
  Vector A, B, C;  // vertices
  Vector E1, E2;   // B - A, C - A
  Vector N;        // unit normal, normalize(E1 x E2)
  Vector U;        // unit in-plane axis along E1
  Vector V;        // N x U
  double Area = 0.0;
  double CumWeight = 0.0;  // cumulative area weight scaled to 0..32767
  double D11 = 0.0;        // E1 . E1
  double D22 = 0.0;        // E2 . E2
  double D12 = 0.0;        // E1 . E2
  double Det = 0.0;        // D11 D22 - D12^2
  int flag = 0;            // 1 once the mesh set-up has completed

  void ClearGeometry() {
    Area = 0.0;
    flag = 0;
  }
  void SetVertices(const double a[3], const double b[3], const double c[3]);
  // Edges, area, frame and Gram terms from the vertices. A degenerate triangle (area 0)
  // keeps its previous normal and axes.
  void Prepare();
  // 0 when the ray from p along d hits the triangle (edges included), 1 when it misses.
  // A ray parallel to the plane or starting on it (t below 1e-9) misses.
  int Intersects(const double d[3], const double p[3]) const;
  int Intersects(const Vector &d, const Vector &p) const;
  // A point uniform over the triangle.
  void RandomPoint(double point[3]) const;
  // A direction cosine-weighted about the normal (Lambert's law).
  void RandomLambertDirection(double direction[3]) const;
};

// An opaque disc of radius H centred on the axis in the plane x = Z.
class TLimitDir {
 public:
  double Z = 0.0;
  double H = 0.0;
  double HSquared = 0.0;  // H^2, set by the set-up; not stored in files

  void Clear() { *this = TLimitDir(); }
  // 1 when the ray from p along d is not stopped by the disc: a screen behind the start
  // point, or one the ray runs parallel to, never stops it; a ray crossing the plane at
  // exactly radius H passes.
  int Passes(const double d[3], const double p[3]) const;
  int Passes(const Vector &d, const Vector &p) const;
};

// A bound on one quantity of a ray's start point; the list index says which (x, y, z,
// distance from the axis, distance from the origin).
class TLimitLoc {
 public:
  int Active = 0;
  double Min = -1e20;
  double Max = 1e20;

  void Reset() { *this = TLimitLoc(); }
  // 1 when Min <= v <= Max.
  int Contains(double v) const { return Min <= v && v <= Max ? 1 : 0; }
};

// Location-limit indices, in list order.
enum TLocLimitIndex { kLimitX = 0, kLimitY, kLimitZ, kLimitAxisDistance, kLimitRadius,
                      kLocLimitCount };

// The extended light source.
class TLightSource {
 public:
  TLightSource() = default;

  int SourceType = kZoneSource;
  Mem<STRING> ObjectNames;
  Mem<float> ObjectTemperatures;  // kelvin; 0 means no thermal spectrum
  Mem<TTriangle> Triangles;
  Mem<TTriangle> VisibleTriangles;  // mesh triangles seen from +x, rebuilt by the set-up
  Mem<TLightSourceZone> Zones;      // outermost first
  Mem<TLimitLoc> LocLimits;
  Mem<TLimitDir> Screens;
  Mem<TSpectralInfo> Spectrum;  // ascending wavelengths, micrometres
  std::string Comment;
  int MeshPrepared = 0;
  double CosMin = -1.0;  // bounds of the x direction cosine of zone rays
  double CosMax = 1.0;

  // Bounding box: zone 0 alone (centred, its Z ignored) for a zone source, every vertex
  // for a solid source, all zero otherwise.
  void GetBounds(double &xMin, double &xMax, double &yMin, double &yMax, double &zMin,
                 double &zMax) const;
  void GetBoundingBox(double minimum[3], double maximum[3]) const;

  // Set-up and drawing (light_source_sampling.cpp). Prepare answers 1 when rays can be
  // drawn: a zone source needs a positive total zone weight, a solid source a positive
  // emitting area.
  int Prepare();
  int PrepareZones();
  int PrepareMesh();
  // One ray that satisfies the location limits and passes every screen; object is -1 for
  // zones, the triangle's object for meshes. 0 (outputs untouched) when the source is not
  // prepared or no ray was accepted within maxDrawAttempts draws.
  int GenerateRay(Vector &direction, Vector &start, int &object);
  int GetRandomRay(double direction[3], double start[3], int &object);
  // A point on the visible triangles inside the location limits, with the triangle's
  // normal and object; 0 after "Incorrect limitations!!" when none is found.
  int GenerateVisiblePoint(const Vector &unused, Vector &point, Vector &normal, int &object);
  // A point of the zones inside the location limits and the innermost zone holding it
  // (-1 when none does); 0 when no point could be drawn.
  int SampleZonePoint(const Vector &unused, Vector &point, int &zone);
  double SpectralWeight(double wavelengthUm, int object) const;
  // The source's emission at a wavelength, relative as SpectralWeight: a zone source's
  // spectrum, or the triangles' spectral weights averaged by their area (after Prepare).
  double EmissionAt(double wavelengthUm) const;
  // Narrows the rays' cone about +x to reach the disc of radius r about (x, y, z): zone
  // rays and, from then on, mesh rays are drawn uniformly over the cone's directions.
  void AimAtAperture(double x, double y, double z, double r);
  // What the direction of the ray drawn last stands for, against a draw over all of the
  // source's emission: 1 for a mesh ray drawn by Lambert's law; the cone's share of the
  // sphere, (CosMax - CosMin) / 2, for a zone ray (zones emit alike in every direction);
  // cos(theta) x (the cone's solid angle) / pi for a mesh ray drawn in the cone, theta its
  // angle to the triangle's normal (0 behind the triangle). Sums of these weights over
  // many draws estimate the share of the emission the drawn directions carry.
  double RayWeight() const { return rayWeight_; }
  int InsideLocLimits(const double p[3]) const;
  int InsideLocLimits(const Vector &p) const;
  int PassesScreens(const double d[3], const double p[3]) const;
  int PassesScreens(const Vector &d, const Vector &p) const;
  // Whether the last Prepare left weights to draw rays and visible points from.
  bool CanDrawRays() const { return raysReady_; }
  bool CanDrawVisiblePoints() const { return visibleReady_; }

  // Files (light_source_file.cpp, light_source_dxf.cpp).
  int WriteFile(const std::string &path) const;
  int ReadFile(const std::string &path);
  int ImportDXF(const std::string &path);

  // Draws in one draw call before giving up (the limits, screens or a zone's thinning
  // exclude nearly every ray); a caller that must answer quickly may lower it.
  static constexpr int kMaxDrawAttempts = 1000000;
  int maxDrawAttempts = kMaxDrawAttempts;

 private:
  int DrawZoneRay(double direction[3], double start[3]);
  // Thins the points of zones darker than the zone around them to their own brightness.
  bool AcceptZonePoint(const double p[3]) const;
  int DrawMeshRay(double direction[3], double start[3], int &object);
  void MeshAreaWeights(Mem<TTriangle> &list, bool completed);
  void MarkReplaced();

  bool raysReady_ = false;
  bool zonesThinned_ = false;  // some zone is darker than the one before it
  bool visibleReady_ = false;
  bool meshAimed_ = false;     // mesh rays are drawn in the aimed cone
  double rayWeight_ = 1.0;
};

// Element chosen by weight: the first whose CumWeight exceeds r (0..32767), else the last.
template <class T>
int ChooseByWeight(const T *elements, int count, double r) {
  int lo = -1;
  int hi = count - 1;
  while (hi > lo + 1) {
    const int mid = (lo + hi) / 2;
    if (r < elements[mid].CumWeight)
      hi = mid;
    else
      lo = mid;
  }
  return hi;
}
