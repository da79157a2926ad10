// The narcissus table of a scanner with a window beyond it, on the editor's own system
// copies (the scanner turned in a copy, the copy unfolded at each surface), against a
// plane-by-plane trace done here in the scan plane: the detector's light goes out through
// the surfaces to the reflecting one and back the same way, turned by the scanner mirror
// twice when the surface lies beyond it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/narcissus/narcissus_analysis.h"
#include "analysis/narcissus/narcissus_radiometry.h"
#include "analysis/narcissus/narcissus_systems.h"
#include "document/system/tests/editor_test_support.h"

namespace {

// The rays are traced, not approximated, on both sides; what is left is rounding, raised
// by the scale (10^4) at which the marginal ray's offset from the chief ray is taken.
constexpr double kTraced = 1e-9;
constexpr double kPi = 3.14159265358979323846;

// The system as the analysis sees it: the detector first (a finite object at surface 0),
// the stop, a window between the detector and the scanner, the scanner (a plane mirror at
// 45 degrees turning the beam onto -y), a window beyond it and the plane where the scene
// would be. Global coordinates; every face plane.
constexpr const char *kScanner =
    "[Common]\nName=Plane scanner between two windows\nMonochromeSystem=1\nLambdaW=10\n"
    "Lambda=10\nWeight=1\nTemperature=20; Pressure=760\nN1=1\nCoord=1\nAlfaM=0,1;\n"
    "Nsurf=8\nObjectFinite=1\nImageFinite=1\nAutoSetPupilParameters=0\nNaper=2; Dentr=10\n\n"
    "[Surfaces]\n"
    "{ R=0; Glass=\"1.000000 \"; DextY=20; }\n"
    "{ R=0; Glass=\"1.000000 \"; Dx=10; DextY=10; }\n"
    "{ R=0; Glass=\"1.500000 \"; Dx=14; DextY=30; }\n"
    "{ R=0; Glass=\"1.000000 \"; Dx=17; DextY=30; }\n"
    "{ R=0; Glass=\"refl\"; Dx=30; AlfaZ=45; DextY=80; }\n"
    "{ R=0; Glass=\"1.500000 \"; Dx=30; Dy=-20; AlfaZ=90; DextY=80; }\n"
    "{ R=0; Glass=\"1.000000 \"; Dx=30; Dy=-25; AlfaZ=90; DextY=80; }\n"
    "{ R=0; Glass=\"1.000000 \"; Dx=30; Dy=-40; AlfaZ=90; DextY=100; }\n";

constexpr int kScannerSurface = 4;

// A plane face in the scan plane: its vertex, the angle of its axis from +x (the file's
// AlfaZ), the medium behind it (a mirror keeps the one in front) and its semi-height.
struct TFace {
  double x, y;
  double angleDeg;
  double indexAfter;
  bool mirror;
  double semiHeight;
};

std::vector<TFace> Faces(double scanDeg) {
  return {{0, 0, 0, 1.0, false, 10},        {10, 0, 0, 1.0, false, 5},
          {14, 0, 0, 1.5, false, 15},       {17, 0, 0, 1.0, false, 15},
          {30, 0, 45 + scanDeg, 1.0, true, 40}, {30, -20, 90, 1.5, false, 40},
          {30, -25, 90, 1.0, false, 40},    {30, -40, 90, 1.0, false, 50}};
}

struct TVec {
  double x, y;
};
double Dot(TVec a, TVec b) { return a.x * b.x + a.y * b.y; }

// The ray from the detector's centre aimed at height aim on the stop's plane, through the
// faces of path (indices into faces; a face's medium behind it is given per step): its
// height on each face in that face's frame, along the face (axis turned by +90 degrees).
struct TStep {
  int face;
  bool reflect;
  double indexAfter;
};

std::vector<double> Heights(const std::vector<TFace> &faces, const std::vector<TStep> &path, double aim) {
  TVec p{faces[0].x, faces[0].y};
  TVec d{faces[1].x - p.x, aim};
  const double length = std::hypot(d.x, d.y);
  d = {d.x / length, d.y / length};
  double index = 1.0;
  std::vector<double> heights;
  for (const TStep &step : path) {
    const TFace &f = faces[step.face];
    const double a = f.angleDeg * kPi / 180.0;
    TVec normal{std::cos(a), std::sin(a)};
    const TVec along{-normal.y, normal.x};
    const TVec toVertex{f.x - p.x, f.y - p.y};
    if (&step != &path.front()) {
      const double t = Dot(toVertex, normal) / Dot(d, normal);
      p = {p.x + t * d.x, p.y + t * d.y};
    }
    heights.push_back(Dot(TVec{p.x - f.x, p.y - f.y}, along));
    if (Dot(d, normal) < 0.0) normal = {-normal.x, -normal.y};
    const double cosIn = Dot(d, normal);
    if (step.reflect) {
      d = {d.x - 2.0 * cosIn * normal.x, d.y - 2.0 * cosIn * normal.y};
    } else {
      // Snell's law as vectors: d' = mu d + (cos t - mu cos i) n, mu = n / n'.
      const double mu = index / step.indexAfter;
      const double cosOut = std::sqrt(1.0 - mu * mu * (1.0 - cosIn * cosIn));
      d = {mu * d.x + (cosOut - mu * cosIn) * normal.x, mu * d.y + (cosOut - mu * cosIn) * normal.y};
      index = step.indexAfter;
    }
  }
  return heights;
}

// Out to face j, reflected there, back to the detector; the medium passed into on the way
// back through face k is the one in front of it.
std::vector<TStep> Unfolded(const std::vector<TFace> &faces, int j) {
  std::vector<TStep> path;
  for (int i = 0; i <= j; ++i) path.push_back({i, i == j || faces[i].mirror, faces[i].indexAfter});
  for (int k = j - 1; k >= 0; --k) {
    double before = 1.0;
    for (int m = k - 1; m >= 0; --m)
      if (!faces[m].mirror) {
        before = faces[m].indexAfter;
        break;
      }
    path.push_back({k, faces[k].mirror, before});
  }
  return path;
}

// The marginal ray is aimed at 10^-4 of the stop's semi-height and its offset from the
// chief ray scaled back up; the smallest ratio of semi-height to the full beam's reach over
// every surface after the first: the footprint |y_chief| + |offset| of the returned beam,
// or the marginal ray's own height.
double HandLimit(const std::vector<TFace> &faces, const std::vector<TStep> &path, bool footprint) {
  constexpr double kScale = 1e4;
  const std::vector<double> chief = Heights(faces, path, 0.0);
  const std::vector<double> marginal = Heights(faces, path, faces[1].semiHeight / kScale);
  double limit = 1e18;
  for (size_t i = 1; i < path.size(); ++i) {
    const double offset = (marginal[i] - chief[i]) * kScale;
    const double reach = footprint ? std::fabs(chief[i]) + std::fabs(offset) : std::fabs(chief[i] + offset);
    if (reach > 1e-7) limit = std::min(limit, faces[path[i].face].semiHeight / reach);
  }
  return limit;
}

class NarcissusScan : public EditorTest {};

TEST_F(NarcissusScan, AWindowBeyondTheScannerChangesAcrossTheScanAsTracedByHand) {
  WriteText(Scratch("scanner.os"), kScanner);
  TSystemImage system;
  ASSERT_EQ(system.Load(Scratch("scanner.os"), 2), 1);
  system.Update();
  TSystemImageNarcissus systems(system);
  TNarcissusParameters p;
  p.scannerSurface = kScannerSurface;
  // Up to 1 degree the returned chief ray, turned by four times the scan angle, still
  // passes the stop; further out the table marks those cells "-".
  p.maxScanAngle = 1.0;
  const TNarcissusResult result = ComputeNarcissus(system, systems, p, false, {});
  ASSERT_TRUE(result.Ok()) << result.message;
  ASSERT_EQ(result.angles, (std::vector<double>{0.0, 0.25, 0.5, 0.75, 1.0}));
  // The faces of both windows; the stop, the scanner and the scene plane are no rows.
  ASSERT_EQ(result.surfaces, (std::vector<int>{6, 5, 3, 2}));
  EXPECT_EQ(result.unscanned, (std::vector<bool>{false, false, true, true}));

  std::vector<TStep> straight;
  const std::vector<TFace> still = Faces(0.0);
  for (int i = 0; i < 8; ++i) straight.push_back({i, still[i].mirror, still[i].indexAfter});
  const double k = HandLimit(still, straight, false);
  EXPECT_APPROX(result.apertureLimit, k, kTraced);
  const double g = NarcissusRadiometricFactor(p);
  for (size_t r = 0; r < result.surfaces.size(); ++r) {
    SCOPED_TRACE(result.surfaces[r]);
    for (int q = 0; q < 5; ++q) {
      const std::vector<TFace> faces = Faces(result.angles[q]);
      const double limit = HandLimit(faces, Unfolded(faces, result.surfaces[r]), true);
      ASSERT_EQ(result.cells[r][q].kind, TNarcissusCell::kValue) << q;
      EXPECT_APPROX(result.cells[r][q].value, g * limit * limit / (k * k), kTraced) << q;
    }
    // Beyond the scanner the return comes back off the axis, its footprint on the stop
    // grows and less of it reaches the detector at every step of the scan; between the
    // detector and the scanner it stays.
    for (int q = 1; q < 5; ++q) {
      if (result.unscanned[r])
        EXPECT_EQ(result.cells[r][q].value, result.cells[r][0].value);
      else
        EXPECT_LT(result.cells[r][q].value, result.cells[r][q - 1].value * (1.0 - 1e-3)) << q;
    }
  }
  for (int q = 0; q < 5; ++q) {
    double sum = 0.0;
    for (size_t r = 0; r < result.surfaces.size(); ++r) sum += result.cells[r][q].value;
    EXPECT_APPROX(result.all[q].value, sum, kTraced);
  }
}

}  // namespace
