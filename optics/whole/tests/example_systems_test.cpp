// The double Gauss, prism, lens array and infrared scanner examples, each checked against
// optics worked out here without the program: a paraxial y-nu trace, the prism equation,
// the lenslet focal length and the reflection law. Indices come from the makers' dispersion
// formulas written out below, not from the catalogs.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "optics/model/tests/system_test_support.h"

namespace {

// Real rays of 1e-3 height against the paraxial trace: aberrations enter at ~1e-7 relative.
constexpr double kParaxialTolerance = 1e-6;
// Catalog coefficients against the formulas below, and round-off through a few surfaces.
constexpr double kIndexTolerance = 1e-9;
constexpr double kRoundOff = 1e-9;
// Rays of 0.01 height in a lenslet of focal length ~10: spherical aberration ~1e-5.
constexpr double kLensletFocusTolerance = 1e-4;
// The objective's distortion: at 2 degrees the chief ray lands within 0.2 % of f tan 2a.
constexpr double kDistortionAllowance = 2e-3;
// Pupils found with rays 0.001 of a semi-height apart: first-order to ~1e-6 of the lens.
constexpr double kPupilTolerance = 1e-4;
// Positions and angles of the files carry six significant digits.
constexpr double kWrittenDigits = 1e-4;
constexpr double kWrittenAngleDegrees = 1e-3;
// How near the design focal lengths (100) the rounded prescriptions stay.
constexpr double kDesignFocalTolerance = 0.1;
constexpr double kRadian = kPi / 180.0;

int HitCount(const Mem<TIntersectionPoint> &hits) { return hits.cols * hits.rows; }

// Sellmeier form of the glass makers: B1 C1 B2 C2 B3 C3, poles in square micrometres.
struct TSellmeier {
  double B1, C1, B2, C2, B3, C3;
  double operator()(double lambda) const {
    const double l2 = lambda * lambda;
    return std::sqrt(1.0 + B1 * l2 / (l2 - C1) + B2 * l2 / (l2 - C2) + B3 * l2 / (l2 - C3));
  }
};
constexpr TSellmeier kNBK7{1.03961212, 0.00600069867, 0.231792344,
                           0.0200179144, 1.01046945, 103.560653};
constexpr TSellmeier kNLAK9{1.46231905, 0.00724270156, 0.344399589,
                            0.0243353131, 1.15508372, 85.4686868};
constexpr TSellmeier kSF5{1.46141885, 0.0111826126, 0.247713019,
                          0.0508594669, 0.949995832, 112.041888};
constexpr TSellmeier kF2{1.34533359, 0.00997743871, 0.209073176,
                         0.0470450767, 0.937357162, 111.886764};
// Germanium (Burnett), same form with the poles as written in the source.
constexpr TSellmeier kGermanium{0.4886331, 1.393959, 14.5142535, 0.1626427, 0.0091224, 752.190};

// Silicon (Edwards), Herzberger form.
double SiliconIndex(double lambda) {
  const double l2 = lambda * lambda;
  const double a = 1.0 / (l2 - 0.028);
  return 3.41983 + 0.159906 * a - 0.123109 * a * a + 1.26878e-6 * l2 - 1.95104e-9 * l2 * l2;
}

// One refracting surface of a centred system: radius (0 = plane), the index after it and
// the axial distance to the next surface.
struct TParaxialSurface {
  double R;
  double nAfter;
  double thickness;
};

// The y-nu trace of a ray parallel to the axis: focal length and back focal distance from
// the last surface.
void ParaxialFirstOrder(const std::vector<TParaxialSurface> &surfaces, double &efl,
                        double &bfd) {
  double y = 1.0, nu = 0.0, nBefore = 1.0;
  for (std::size_t i = 0; i < surfaces.size(); ++i) {
    const TParaxialSurface &s = surfaces[i];
    const double power = s.R == 0.0 ? 0.0 : (s.nAfter - nBefore) / s.R;
    nu -= y * power;
    if (i + 1 < surfaces.size()) y += s.thickness * nu / s.nAfter;
    nBefore = s.nAfter;
  }
  const double u = nu / nBefore;
  efl = -1.0 / u;
  bfd = -y / u;
}

// The double Gauss of double_gauss.os, written out from its design notes.
std::vector<TParaxialSurface> DoubleGauss(double lambda) {
  const double lak9 = kNLAK9(lambda);
  const double sf5 = kSF5(lambda);
  return {{54.7296, lak9, 8.0},  {214.281, 1.0, 0.5},    {34.8725, lak9, 9.0},
          {349.945, sf5, 3.0},   {23.6001, 1.0, 9.0},    {0.0, 1.0, 9.0},
          {-30.7164, sf5, 3.0},  {-41.2734, lak9, 10.0}, {-38.7016, 1.0, 0.5},
          {-2196.09, lak9, 7.0}, {-88.6421, 1.0, 0.0}};
}

// Where a paraxial ray entering surfaces[first] at height y with slope u (in air) stands
// when it reaches surfaces[last] (before refracting there), and its slope there.
void ParaxialRay(const std::vector<TParaxialSurface> &surfaces, std::size_t first,
                 std::size_t last, double nBefore, double &y, double &u) {
  double nu = nBefore * u;
  for (std::size_t i = first; i < last; ++i) {
    const TParaxialSurface &s = surfaces[i];
    if (s.R != 0.0) nu -= y * (s.nAfter - nBefore) / s.R;
    y += s.thickness * nu / s.nAfter;
    nBefore = s.nAfter;
  }
  u = nu / nBefore;
}

class ExampleSystemsTest : public SystemTest {
 protected:
  void Open(TOpticalSystem &system, const char *name) {
    ASSERT_EQ(system.ReadFile(ExamplePath(name), 0), 1) << name;
    EXPECT_EQ(BoxCount(), 0u) << name;
  }
};

TEST_F(ExampleSystemsTest, DoubleGaussFocalLengthMatchesAParaxialTrace) {
  TOpticalSystem system;
  Open(system, "double_gauss.os");
  ASSERT_EQ(system.SurfaceCount(), 13);
  constexpr int kLastLens = 11;
  for (double lambda : {0.4861327, 0.5875618, 0.6562725}) {
    SCOPED_TRACE(lambda);
    double efl = 0.0, bfd = 0.0;
    ParaxialFirstOrder(DoubleGauss(lambda), efl, bfd);

    ASSERT_EQ(system.Prepare(lambda, 1, 0), 1);
    EXPECT_APPROX(system.surfaces.data[1]->general.nAfter, kNLAK9(lambda), kIndexTolerance);
    EXPECT_APPROX(system.surfaces.data[4]->general.nAfter, kSF5(lambda), kIndexTolerance);
    constexpr double h = 1e-3;
    TCurrentRay ray = RayAlong(-1.0, h, 0.0, 1.0, 0.0, 0.0);
    Mem<TIntersectionPoint> hits;
    ASSERT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
    ASSERT_GT(HitCount(hits), kLastLens);
    const TIntersectionPoint &out = hits.data[kLastLens];
    EXPECT_APPROX(-h * out.L / out.M, efl, kParaxialTolerance * efl);
    const double crossing = out.x - out.y * out.L / out.M;
    EXPECT_APPROX(crossing - system.surfaces.data[kLastLens]->general.vertex[0], bfd,
                  kParaxialTolerance * efl);
  }
  // The image plane stands at the d-line paraxial focus of a lens of about 100.
  ASSERT_EQ(system.Prepare(0.5875618, 1, 0), 1);
  double efl = 0.0, bfd = 0.0;
  ParaxialFirstOrder(DoubleGauss(0.5875618), efl, bfd);
  EXPECT_APPROX(efl, 100.0, kDesignFocalTolerance);
  const double *last = system.surfaces.data[kLastLens]->general.vertex;
  EXPECT_APPROX(system.surfaces.data[12]->general.vertex[0] - last[0], bfd, kWrittenDigits);

  // The pupils are the images of the central stop (list entry 5): the entrance pupil where
  // the chief ray's object-space line crosses the axis, the exit pupil where its image-space
  // line does, measured from the image plane.
  const std::vector<TParaxialSurface> lens = DoubleGauss(0.5875618);
  constexpr std::size_t kStop = 5;
  constexpr double kSlope = 0.01;
  double y0 = 0.0, u0 = kSlope, y1 = 1.0, u1 = kSlope;
  ParaxialRay(lens, 0, kStop, 1.0, y0, u0);
  ParaxialRay(lens, 0, kStop, 1.0, y1, u1);
  const double entryHeight = -y0 / (y1 - y0);  // the chief ray meets the stop centre
  const double entrance = -entryHeight / kSlope;
  double y = 0.0, u = kSlope;
  ParaxialRay(lens, kStop, lens.size(), 1.0, y, u);
  const double exitPupil = -y / u - bfd;
  ASSERT_EQ(system.SolveChiefRay(0.0, 0.0), 1);
  EXPECT_EQ(system.info.stopIndex, 6);
  EXPECT_APPROX(system.info.entrancePupilPoint[0] - system.surfaces.data[1]->general.vertex[0],
                entrance, kPupilTolerance);
  EXPECT_APPROX(system.info.exitPupilPoint[0], exitPupil, kPupilTolerance);
}

TEST_F(ExampleSystemsTest, PrismDeviationFollowsThePrismEquation) {
  TOpticalSystem system;
  Open(system, "prism.os");
  ASSERT_EQ(system.SurfaceCount(), 4);
  constexpr double kApex = 60.0 * kRadian;
  constexpr double kIncidence = 54.0 * kRadian;
  double previous = 1e9;
  for (double lambda : {0.4861327, 0.5875618, 0.6562725}) {
    SCOPED_TRACE(lambda);
    ASSERT_EQ(system.Prepare(lambda, 1, 0), 1);
    const double n = kF2(lambda);
    const double inside = std::asin(std::sin(kIncidence) / n);
    const double leaving = std::asin(n * std::sin(kApex - inside));
    const double deviation = kIncidence + leaving - kApex;
    for (double y : {-1.5, 0.0, 2.0}) {
      for (double z : {0.0, 1.0}) {
        TCurrentRay ray = RayAlong(-5.0, y, z, 1.0, 0.0, 0.0);
        ASSERT_EQ(system.TraceRay(ray, -1, nullptr, 0), 1) << y << " " << z;
        EXPECT_APPROX(std::atan2(-ray.M, ray.L), deviation, kRoundOff) << y << " " << z;
        EXPECT_APPROX(ray.N, 0.0, kRoundOff);
        EXPECT_EQ(ray.z, z);
      }
    }
    EXPECT_LT(deviation, previous);  // blue is bent most
    previous = deviation;
  }
  // The last plane stands across the d-line beam, 50 beyond the exit face.
  ASSERT_EQ(system.Prepare(0.5875618, 1, 0), 1);
  Mem<TIntersectionPoint> hits;
  TCurrentRay ray = RayAlong(-5.0, 0.0, 0.0, 1.0, 0.0, 0.0);
  ASSERT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
  ASSERT_EQ(HitCount(hits), 5);
  EXPECT_APPROX(std::hypot(ray.x - hits.data[2].x, ray.y - hits.data[2].y), 50.0,
                kWrittenDigits);
  EXPECT_APPROX(std::atan2(ray.M, ray.L) / kRadian, -48.196, kWrittenAngleDegrees);
}

TEST_F(ExampleSystemsTest, LensletsFocusTheirSubBeamsAtTheLensletFocalLength) {
  TOpticalSystem system;
  Open(system, "lens_array.os");
  ASSERT_EQ(system.SurfaceCount(), 4);
  ASSERT_EQ(system.surfaces.data[2]->zones.cols * system.surfaces.data[2]->zones.rows, 1);
  // A plano-convex lenslet met on its flat side focuses 5 / (n - 1) behind its vertex.
  const double n = kNBK7(0.5875618);
  const double focal = 5.0 / (n - 1.0);
  const double plate = system.surfaces.data[2]->general.vertex[0];
  EXPECT_APPROX(system.surfaces.data[3]->general.vertex[0] - plate, focal, kWrittenDigits);
  constexpr double kOffset = 0.01;
  for (const auto &cell : {std::pair{0.0, 0.0}, std::pair{2.0, 0.0}, std::pair{-2.0, 4.0},
                           std::pair{4.0, -4.0}, std::pair{-4.0, -2.0}}) {
    const double cy = cell.first, cz = cell.second;
    SCOPED_TRACE(std::to_string(cy) + " " + std::to_string(cz));
    for (const auto &offset : {std::pair{kOffset, 0.0}, std::pair{0.0, -kOffset}}) {
      TCurrentRay ray = RayAlong(-1.0, cy + offset.first, cz + offset.second, 1.0, 0.0, 0.0);
      Mem<TIntersectionPoint> hits;
      ASSERT_EQ(system.TraceRay(ray, -1, &hits, 0), 1);
      ASSERT_EQ(HitCount(hits), 5);
      const TIntersectionPoint &out = hits.data[2];
      // Where the ray crosses its lenslet's axis, measured from the plate's rear face.
      const double lateral = offset.first != 0.0 ? out.y - cy : out.z - cz;
      const double slope = offset.first != 0.0 ? out.M / out.L : out.N / out.L;
      EXPECT_APPROX(out.x - lateral / slope - plate, focal, kLensletFocusTolerance);
      EXPECT_APPROX(ray.y, cy, kLensletFocusTolerance * kOffset);
      EXPECT_APPROX(ray.z, cz, kLensletFocusTolerance * kOffset);
    }
  }
  // The lenslets are round: light in the corners between four of them meets no lenslet.
  TCurrentRay corner = RayAlong(-1.0, 0.95, 0.95, 1.0, 0.0, 0.0);
  EXPECT_EQ(system.TraceRay(corner, -1, nullptr, 0), 0);
  EXPECT_EQ(corner.firstFailure, 2);
}

// The scanner file with its mirror turned by tilt degrees from 45; airWindow: the window in
// front of the mirror made of air, so that a ray crossing it slantwise is not shifted.
std::string ScannerWithMirrorAt(double tilt, bool airWindow = false) {
  std::string text = ReadText(ExamplePath("infrared_scanner.os"));
  const std::string window = "Glass=\"si_crystal\"; Dx=10;";
  if (const std::size_t front = text.find(window); airWindow && front != std::string::npos)
    text.replace(front, window.size(), "Glass=\"1.000000 \"; Dx=10;");
  const std::string key = "AlfaZ=45;";
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return text;
  char angle[64];
  std::snprintf(angle, sizeof angle, "AlfaZ=%.17g;", 45.0 + tilt);
  return text.replace(at, key.size(), angle);
}

TEST_F(ExampleSystemsTest, ScannerImageMovesByTwiceTheMirrorTilt) {
  TOpticalSystem fixed;
  Open(fixed, "infrared_scanner.os");
  ASSERT_EQ(fixed.SurfaceCount(), 9);
  // A silicon window, then the mirror.
  EXPECT_APPROX(fixed.surfaces.data[1]->general.nAfter, SiliconIndex(4.0), kIndexTolerance);
  EXPECT_LT(fixed.surfaces.data[3]->general.nAfter, 0.0);
  // The objective's focal length at 4 um from its own y-nu trace.
  const double si = SiliconIndex(4.0);
  const double ge = kGermanium(4.0);
  EXPECT_APPROX(std::fabs(fixed.surfaces.data[4]->general.nAfter), si, kIndexTolerance);
  EXPECT_APPROX(std::fabs(fixed.surfaces.data[6]->general.nAfter), ge, kIndexTolerance);
  double efl = 0.0, bfd = 0.0;
  ParaxialFirstOrder({{90.55, si, 6.0}, {284.3, 1.0, 3.0}, {386.32, ge, 4.0}, {167.8, 1.0, 0.0}},
                     efl, bfd);
  EXPECT_APPROX(efl, 100.0, kDesignFocalTolerance);

  const double mirror[3] = {30.0, 0.0, 0.0};
  const double normal0[3] = {std::sqrt(0.5), std::sqrt(0.5), 0.0};
  TOpticalSystem fixedInAir;
  WriteText(Scratch("scanner_air.os"), ScannerWithMirrorAt(0.0, true));
  ASSERT_EQ(fixedInAir.ReadFile(Scratch("scanner_air.os"), 0), 1);
  for (double tilt : {0.0, 0.25, -0.5, 1.0}) {
    SCOPED_TRACE(tilt);
    WriteText(Scratch("scanner.os"), ScannerWithMirrorAt(tilt));
    TOpticalSystem turned;
    ASSERT_EQ(turned.ReadFile(Scratch("scanner.os"), 0), 1);
    WriteText(Scratch("scanner_air.os"), ScannerWithMirrorAt(tilt, true));
    TOpticalSystem turnedInAir;
    ASSERT_EQ(turnedInAir.ReadFile(Scratch("scanner_air.os"), 0), 1);
    const double twice = 2.0 * tilt * kRadian;

    // The beam along the axis crosses the window square on, is turned onto -y and then by
    // twice the tilt towards +x.
    TCurrentRay chief = RayAlong(-5.0, 0.0, 0.0, 1.0, 0.0, 0.0);
    Mem<TIntersectionPoint> hits;
    ASSERT_EQ(turned.TraceRay(chief, -1, &hits, 0), 1);
    ASSERT_EQ(HitCount(hits), 10);
    EXPECT_APPROX(hits.data[3].x, mirror[0], kRoundOff);
    EXPECT_APPROX(hits.data[3].y, 0.0, kRoundOff);
    EXPECT_APPROX(std::atan2(hits.data[3].L, -hits.data[3].M), twice, kRoundOff);
    // The image plane lies at the objective's focus: image height f tan 2a along x.
    EXPECT_APPROX(chief.y, fixed.surfaces.data[8]->general.vertex[1], kRoundOff);
    EXPECT_APPROX(chief.x - mirror[0], efl * std::tan(twice),
                  kDistortionAllowance * std::fabs(efl * std::tan(twice)) + kRoundOff);

    // The same light meets the fixed mirror as a field of 2a: mirror the reflected ray
    // back through the untilted mirror plane and trace that (with a window of air, which
    // the slanting field ray crosses without being shifted).
    for (const auto &start : {std::pair{0.0, 0.0}, std::pair{6.0, -4.0}, std::pair{-9.0, 3.0}}) {
      TCurrentRay ray = RayAlong(-5.0, start.first, start.second, 1.0, 0.0, 0.0);
      ASSERT_EQ(turnedInAir.TraceRay(ray, -1, &hits, 0), 1);
      const TIntersectionPoint q = hits.data[3];
      const double out[3] = {q.L, q.M, q.N};
      const double point[3] = {q.x, q.y, q.z};
      const double dOut = out[0] * normal0[0] + out[1] * normal0[1];
      const double dPoint =
          (point[0] - mirror[0]) * normal0[0] + (point[1] - mirror[1]) * normal0[1];
      double in[3], image[3];
      for (int k = 0; k < 3; ++k) {
        in[k] = out[k] - 2.0 * dOut * normal0[k];
        image[k] = point[k] - 2.0 * dPoint * normal0[k];
      }
      TCurrentRay field = RayAlong(image[0] - 40.0 * in[0], image[1] - 40.0 * in[1],
                                   image[2] - 40.0 * in[2], in[0], in[1], in[2]);
      ASSERT_EQ(fixedInAir.TraceRay(field, -1, nullptr, 0), 1);
      EXPECT_APPROX(field.x, ray.x, kRoundOff);
      EXPECT_APPROX(field.y, ray.y, kRoundOff);
      EXPECT_APPROX(field.z, ray.z, kRoundOff);
    }
  }
}

TEST_F(ExampleSystemsTest, ExamplesAreWrittenBackToTheSameText) {
  for (const char *example :
       {"double_gauss.os", "prism.os", "lens_array.os", "infrared_scanner.os"}) {
    SCOPED_TRACE(example);
    const std::string original = ReadText(ExamplePath(example));
    ASSERT_FALSE(original.empty());
    // Writing over a copy keeps its remark: the whole text must come back unchanged.
    const std::string copy = Scratch("copy.os");
    WriteText(copy, original);
    TOpticalSystem first;
    ASSERT_EQ(first.ReadFile(ExamplePath(example), 0), 1);
    ASSERT_EQ(first.WriteFile(copy.c_str()), 1);
    EXPECT_EQ(ReadText(copy), original);
    TOpticalSystem second;
    ASSERT_EQ(second.ReadFile(copy, 0), 1);
    ASSERT_EQ(second.SurfaceCount(), first.SurfaceCount());
    ASSERT_EQ(second.WriteFile(copy.c_str()), 1);
    EXPECT_EQ(ReadText(copy), original);
  }
  EXPECT_EQ(BoxCount(), 0u);
}

}  // namespace
