// The light source imaged through the system: a Lambertian disc 1 m before the Cooke
// triplet gives an image that holds the share of the disc's emission the system passes
// (the view factor of the first surface's aperture, less what the stop takes, found again
// by a quadrature of traced rays) and has the disc's size times the magnification; the
// ideal image at the same scale; a stopped run.
#include "synthesis/lightsource/light_source_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "foundation/interfaces/progress.h"
#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optics/model/tests/system_test_support.h"
#include "synthesis/lightsource/light_source.h"

namespace {

constexpr double kPi = std::numbers::pi;
// The disc: radius 10 mm in the object plane, 1000 mm before the triplet's first vertex.
constexpr double kDiscRadius = 10.0;
constexpr double kObjectDistance = 1000.0;
constexpr int kDiscTriangles = 256;
// Monte-Carlo shares from some 20000 landed rays (about 0.7 % standard error) against a
// quadrature of some 10^6 traced rays: three standard errors and the quadrature's own.
constexpr double kShareTolerance = 0.03;
// The image's radius from its second moment: its sampling error, the aberrations' blur and
// the principal plane's distance from the first vertex (a few mm of the 1000).
constexpr double kRadiusTolerance = 0.02;
// Against the system's paraxial magnification only the sampling error and the blur remain.
constexpr double kParaxialRadiusTolerance = 0.01;

// The disc as a fan of triangles facing +x (towards the system), or -x.
TLightSource Disc(bool facingTheSystem = true) {
  TLightSource source;
  source.SourceType = kSolidSource;
  source.ObjectNames.Allocate(1, 1);
  source.ObjectNames.data[0] = "disc";
  source.ObjectTemperatures.Allocate(1, 1);
  source.ObjectTemperatures.data[0] = 0.0f;
  source.Triangles.Allocate(kDiscTriangles, 1);
  const double centre[3] = {0.0, 0.0, 0.0};
  for (int k = 0; k < kDiscTriangles; ++k) {
    const double a = 2.0 * kPi * k / kDiscTriangles, b = 2.0 * kPi * (k + 1) / kDiscTriangles;
    const double first[3] = {0.0, kDiscRadius * std::cos(a), kDiscRadius * std::sin(a)};
    const double second[3] = {0.0, kDiscRadius * std::cos(b), kDiscRadius * std::sin(b)};
    if (facingTheSystem)
      source.Triangles.data[k].SetVertices(centre, first, second);
    else
      source.Triangles.data[k].SetVertices(centre, second, first);
    source.Triangles.data[k].Object = 0;
  }
  return source;
}

// The share of a Lambertian disc's emission that reaches a coaxial disc: the view factor
// F = (X - sqrt(X^2 - 4 (R2 / R1)^2)) / 2, X = 1 + (1 + R2^2) / R1^2, Ri = ri / L.
double DiscViewFactor(double emitter, double receiver, double distance) {
  const double r1 = emitter / distance, r2 = receiver / distance;
  const double x = 1.0 + (1.0 + r2 * r2) / (r1 * r1);
  return 0.5 * (x - std::sqrt(x * x - 4.0 * (r2 / r1) * (r2 / r1)));
}

// A gauge that asks to stop at its third step.
class TStopAtThird final : public TProgressGauge {
 public:
  int StepAndPump(double) override { return ++steps < 3 ? 1 : 0; }
  int Maximum() const override { return 100; }
  void SetText(const char *text) override { last = text; }
  int steps = 0;
  std::string last;
};

class LightSourceImage : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    // The triplet with its object 1000 mm before the first vertex, refocused there.
    std::string text = ReadText(ExamplePath("cooke_triplet.os"));
    text.replace(text.find("ObjectFinite=0"), 14, "ObjectFinite=1");
    text.replace(text.find("{ R=0; Glass=\"\"; Dx=10;"), 23, "{ R=0; Glass=\"\"; Dx=1000;");
    // Stopped down at its stop (the negative lens's rear face) to about f/8, where the
    // blur of its aberrations is small against the image.
    text.replace(text.find("Dx=4.75041; DextY=16;"), 21, "Dx=4.75041; DextY=6; ");
    WriteText(Scratch("triplet_1m.os"), text);
    ASSERT_EQ(system_.ReadFile(Scratch("triplet_1m.os"), 0), 1);
    Mem<double> axis(1, 1);
    axis.data[0] = 0.0;
    system_.AutoFocus(&axis, nullptr);
    system_.Prepare(0.0, 1, 0);
    ASSERT_EQ(system_.GetSurfacePosition(1, 0, 1).x, kObjectDistance);
  }
  TOpticalSystem system_;
};

TEST_F(LightSourceImage, ALambertianDiscsImageHoldsThePassedShareOfItsEmissionAtItsImageSize) {
  TLightSource source = Disc();
  ASSERT_EQ(source.Prepare(), 1);
  double apertureRadius = 0.0;
  const DPOINT3 aim = system_.surfaces.data[1]->LocalFrame(apertureRadius);
  source.AimAtAperture(aim.x, aim.y, aim.z, apertureRadius);
  system_.ComputeIndices(0.55, 0.0, 0.0);
  const TSourceRaster grid{256, 0.01};
  Mem<float> raster;
  TSourceImageTally tally;
  ASSERT_EQ(TraceSourceImage(source, system_, 0.55, 20000, 10000000, grid, nullptr, raster, tally),
            TSourceImageResult::kDone);
  EXPECT_EQ(tally.landed, 20000);
  // Every passed ray lands: the raster holds the whole image.
  EXPECT_EQ(tally.passed, tally.landed);

  // The quadrature: rays from rings of the disc to rings of a disc just wider than the
  // aperture before the first surface, each with the kernel cos1 cos2 / d^2 dA1 dA2, those
  // that pass counted; over pi A1 it is the share of the emission passed.
  const int sourceRings = 12, sourceSectors = 24, apertureRings = 30, apertureSectors = 60;
  const double receiver = apertureRadius;
  const double plane = aim.x;
  double kernel = 0.0, passedKernel = 0.0;
  for (int i = 0; i < sourceRings; ++i) {
    const double r1 = kDiscRadius * std::sqrt((i + 0.5) / sourceRings);
    for (int j = 0; j < sourceSectors; ++j) {
      const double p1 = 2.0 * kPi * (j + 0.5) / sourceSectors;
      const double y1 = r1 * std::cos(p1), z1 = r1 * std::sin(p1);
      for (int k = 0; k < apertureRings; ++k) {
        const double r2 = receiver * std::sqrt((k + 0.5) / apertureRings);
        for (int m = 0; m < apertureSectors; ++m) {
          const double p2 = 2.0 * kPi * (m + 0.5) / apertureSectors;
          const double dx = plane, dy = r2 * std::cos(p2) - y1, dz = r2 * std::sin(p2) - z1;
          const double d2 = dx * dx + dy * dy + dz * dz;
          const double d = std::sqrt(d2);
          const double w = (dx / d) * (dx / d) / d2;  // both cosines are dx / d
          kernel += w;
          TCurrentRay ray;
          ray.x = 0.0;
          ray.y = y1;
          ray.z = z1;
          ray.L = dx / d;
          ray.M = dy / d;
          ray.N = dz / d;
          if (system_.TraceRay(ray, kTracePlain, nullptr, 1) == 1) passedKernel += w;
        }
      }
    }
  }
  const double cells = static_cast<double>(sourceRings) * sourceSectors * apertureRings * apertureSectors;
  const double area1 = kPi * kDiscRadius * kDiscRadius, area2 = kPi * receiver * receiver;
  const double toShare = area1 * area2 / cells / (kPi * area1);
  // The quadrature's view factor is the closed form's.
  EXPECT_APPROX(kernel * toShare, DiscViewFactor(kDiscRadius, receiver, plane), 2e-3 * kernel * toShare);
  const double passedShare = passedKernel * toShare;
  ASSERT_GT(passedShare, 0.0);

  // The image's sum times the cell area: the passed share of the emission.
  double sum = 0.0, moment = 0.0;
  for (int r = 0; r < grid.n; ++r)
    for (int c = 0; c < grid.n; ++c) {
      const double v = raster.data[r * grid.n + c];
      const double y = (grid.n / 2 - r) * grid.pixel, z = (c - grid.n / 2) * grid.pixel;
      sum += v;
      moment += v * (y * y + z * z);
    }
  EXPECT_APPROX(sum * grid.pixel * grid.pixel, passedShare, kShareTolerance * passedShare);
  // A uniform disc of radius rho has <r^2> = rho^2 / 2; its radius is the source's times
  // the magnification f / (L - f) of the 50 mm triplet at L = 1000 mm.
  const double radius = std::sqrt(2.0 * moment / sum);
  const double magnification = 50.0 / (kObjectDistance - 50.0);
  EXPECT_APPROX(radius, kDiscRadius * magnification, kRadiusTolerance * kDiscRadius * magnification);
  // Closer still to the system's own paraxial magnification.
  ASSERT_EQ(system_.FirstOrderParaxial(), 1);
  EXPECT_APPROX(radius, kDiscRadius * std::fabs(system_.info.magnification),
                kParaxialRadiusTolerance * kDiscRadius * std::fabs(system_.info.magnification));
}

TEST_F(LightSourceImage, TheIdealImageShowsTheSourceAtTheImagesScaleAndEscapeStopsARun) {
  TLightSource source = Disc();
  ASSERT_EQ(source.Prepare(), 1);
  const TSourceRaster grid{64, 0.02};
  Mem<float> ideal;
  // At magnification -0.05 the disc of radius 10 covers a radius of 0.5 mm: 25 cells.
  ASSERT_EQ(IdealSourceImage(source, 0.55, 20000, -0.05, grid, nullptr, ideal), TSourceImageResult::kDone);
  double sum = 0.0, outside = 0.0;
  for (int r = 0; r < grid.n; ++r)
    for (int c = 0; c < grid.n; ++c) {
      const double v = ideal.data[r * grid.n + c];
      sum += v;
      if (std::hypot(r - grid.n / 2, c - grid.n / 2) > 26.0) outside += v;
    }
  // All of the source lands: the sum times the cell area is 1; nothing beyond the disc.
  EXPECT_APPROX(sum * grid.pixel * grid.pixel, 1.0, 1e-4);
  EXPECT_EQ(outside, 0.0);
  // A run stopped at Escape says so.
  double apertureRadius = 0.0;
  const DPOINT3 aim = system_.surfaces.data[1]->LocalFrame(apertureRadius);
  source.AimAtAperture(aim.x, aim.y, aim.z, apertureRadius);
  TStopAtThird gauge;
  TSourceRunClock clock(&gauge, "Image", 60000.0);
  Mem<float> raster;
  TSourceImageTally tally;
  EXPECT_EQ(TraceSourceImage(source, system_, 0.55, 20000, 10000000, grid, &clock, raster, tally),
            TSourceImageResult::kStopped);
  EXPECT_EQ(gauge.steps, 3);
  EXPECT_EQ(tally.drawn, 1500);
  EXPECT_EQ(gauge.last.rfind("Image. Times: elapsed- 00:00, estimated- ", 0), 0u);
  // A disc turned away from the system sends nothing into the aimed cone: after the draws
  // allowed there is no image.
  TLightSource away = Disc(false);
  ASSERT_EQ(away.Prepare(), 1);
  away.AimAtAperture(aim.x, aim.y, aim.z, apertureRadius);
  EXPECT_EQ(TraceSourceImage(away, system_, 0.55, 100, 5000, grid, nullptr, raster, tally),
            TSourceImageResult::kNoRay);
  EXPECT_EQ(tally.drawn, 5000);
  EXPECT_EQ(tally.passed, 0);
}

}  // namespace
