// The light source imaged through the system: a Lambertian disc 1 m before the Cooke
// triplet gives an image that holds the share of the disc's emission the system passes
// (the view factor of the first surface's aperture, less what the stop takes, found again
// by a quadrature of traced rays) and has the disc's size times the magnification; the
// ideal image at the same scale; a stopped run.
#include "synthesis/lightsource/light_source_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>
#include <utility>
#include <set>
#include <random>
#include <array>
#include <string>

#include "foundation/interfaces/progress.h"
#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optics/model/tests/system_test_support.h"
#include "synthesis/lightsource/diffraction_blur.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/tests/source_test_support.h"

namespace {

using source_test::PassedShare;
using source_test::Rectangle;
using source_test::TQuadrature;

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
  TLightSource source = source_test::SolidSource("disc", kDiscTriangles);
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

// The raster's sum and its first moments in y (up the rows) and z, in the raster's unit.
struct TMoments {
  double sum = 0.0, y = 0.0, z = 0.0;
};
TMoments Moments(const Mem<float> &raster, const TSourceRaster &grid) {
  TMoments m;
  for (int r = 0; r < grid.n; ++r)
    for (int c = 0; c < grid.n; ++c) {
      const double v = raster.data[r * grid.n + c];
      m.sum += v;
      m.y += v * (grid.n / 2 - r) * grid.pixel;
      m.z += v * (c - grid.n / 2) * grid.pixel;
    }
  return m;
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

// The equiconvex singlet with its object in its front focal plane (the image at infinity),
// stopped down by its rims to 4 mm clear, where the coma of its beams is small.
void ReadCollimatingSinglet(TOpticalSystem &system, const std::string &scratch) {
  std::string text = ReadText(ExamplePath("singlet.os"));
  text.replace(text.find("ObjectFinite=0"), 14, "ObjectFinite=1");
  text.replace(text.find("ImageFinite=1"), 13, "ImageFinite=0");
  text.replace(text.find("Dx=10;"), 6, "Dx=47.5362;");
  for (int k = 0; k < 2; ++k) text.replace(text.find("DextY=25"), 8, "DextY=4 ");
  WriteText(scratch, text);
  ASSERT_EQ(system.ReadFile(scratch, 0), 1);
  system.Prepare(0.0, 1, 0);
}

// The aperture of the bundle from the source's axial point, found by bisection on the
// height at the first surface's plane of the last ray that passes: its image-side
// direction cosine (the NA), or its height after the system for an image at infinity.
double MarginalAperture(TOpticalSystem &system) {
  double apertureRadius = 0.0;
  const DPOINT3 aim = system.surfaces.data[1]->LocalFrame(apertureRadius);
  double inside = 0.0, outside = 2.0 * apertureRadius, aperture = 0.0;
  for (int step = 0; step < 50; ++step) {
    const double h = 0.5 * (inside + outside), d = std::hypot(aim.x, h);
    TCurrentRay ray(0.0, 0.0, 0.0);
    ray.L = aim.x / d;
    ray.M = h / d;
    ray.N = 0.0;
    if (system.TraceRay(ray, kTracePlain, nullptr, 1) == 1) {
      inside = h;
      aperture = std::fabs(system.info.ImageFinite != 0 ? ray.M : ray.y);
    } else {
      outside = h;
    }
  }
  return aperture;
}

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

  // The quadrature over the disc's rings and sectors: its view factor is the closed form's.
  std::vector<std::array<double, 2>> points;
  const int sourceRings = 12, sourceSectors = 24;
  for (int i = 0; i < sourceRings; ++i)
    for (int j = 0; j < sourceSectors; ++j) {
      const double r1 = kDiscRadius * std::sqrt((i + 0.5) / sourceRings), p1 = 2.0 * kPi * (j + 0.5) / sourceSectors;
      points.push_back({r1 * std::cos(p1), r1 * std::sin(p1)});
    }
  const TQuadrature quadrature = PassedShare(system_, points, apertureRadius, aim.x);
  EXPECT_APPROX(quadrature.viewFactor, DiscViewFactor(kDiscRadius, apertureRadius, aim.x),
                2e-3 * quadrature.viewFactor);
  const double passedShare = quadrature.passed;
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
  // Rays the stop stops are no light even where DrawAllRays carries them on to the image.
  system_.info.DrawAllRays = 1;
  TraceSourceImage(source, system_, 0.55, 20000, 10000000, grid, nullptr, raster, tally);
  EXPECT_APPROX(Moments(raster, grid).sum * grid.pixel * grid.pixel, passedShare, kShareTolerance * passedShare);
}

TEST_F(LightSourceImage, SourcesMirroredAboutTheAxisGiveMirroredImagesOfTheShareTheSystemPasses) {
  // Squares 10 mm across centred 10 mm below, above and beside the axis, and strips thin in
  // y and wide in z below and above it: each passes the share an independent quadrature
  // gives (the squares share one by the system's symmetry) and is imaged, inverted, where
  // the paraxial magnification puts its centre.
  struct TCase {
    double y0, y1, z0, z1;
    int quadrature;  // 0 the squares', 1 the strips'
  };
  const TCase cases[] = {{-15, -5, -5, 5, 0}, {5, 15, -5, 5, 0}, {-5, 5, 5, 15, 0},
                         {-10.5, -9.5, -15, 15, 1}, {9.5, 10.5, -15, 15, 1}};
  double apertureRadius = 0.0;
  const DPOINT3 aim = system_.surfaces.data[1]->LocalFrame(apertureRadius);
  std::vector<std::array<double, 2>> square, strip;
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) square.push_back({-15.0 + 10.0 * (i + 0.5) / 8, -5.0 + 10.0 * (j + 0.5) / 8});
  for (int j = 0; j < 60; ++j) strip.push_back({-10.0, -15.0 + 30.0 * (j + 0.5) / 60});
  const double expected[2] = {PassedShare(system_, square, apertureRadius, aim.x).passed,
                              PassedShare(system_, strip, apertureRadius, aim.x).passed};
  ASSERT_EQ(system_.FirstOrderParaxial(), 1);
  const double m = system_.info.magnification;
  system_.ComputeIndices(0.55, 0.0, 0.0);
  const TSourceRaster grid{256, 0.01};
  for (const TCase &c : cases) {
    TLightSource source = Rectangle(c.y0, c.y1, c.z0, c.z1);
    ASSERT_EQ(source.Prepare(), 1);
    source.AimAtAperture(aim.x, aim.y, aim.z, apertureRadius);
    Mem<float> raster;
    TSourceImageTally tally;
    ASSERT_EQ(TraceSourceImage(source, system_, 0.55, 10000, 10000000, grid, nullptr, raster, tally),
              TSourceImageResult::kDone);
    const auto [sum, y, z] = Moments(raster, grid);
    const double share = expected[c.quadrature];
    EXPECT_APPROX(sum * grid.pixel * grid.pixel, share, 0.04 * share) << c.y0 << " " << c.z0;
    // The centres within four standard errors of 10000 rays over the strips' 1.6 mm image.
    EXPECT_APPROX(y / sum, m * 0.5 * (c.y0 + c.y1), 0.02) << c.y0 << " " << c.z0;
    EXPECT_APPROX(z / sum, m * 0.5 * (c.z0 + c.z1), 0.02) << c.y0 << " " << c.z0;
  }
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
  AimAtFirstAperture(source, system_);
  TStopAtThird gauge;
  TSourceRunClock clock(&gauge, "Image", 60000.0);
  Mem<float> raster;
  TSourceImageTally tally;
  EXPECT_EQ(TraceSourceImage(source, system_, 0.55, 20000, 10000000, grid, &clock, raster, tally),
            TSourceImageResult::kStopped);
  EXPECT_EQ(gauge.steps, 3);
  EXPECT_EQ(tally.drawn, 1500);
  EXPECT_EQ(gauge.last.rfind("Image. Times: elapsed- 00:00, estimated- ", 0), 0u);
  // A raster memory cannot hold stops the run (its box has told it) rather than say no ray came.
  {
    TMemAllocationFaults none(0);
    EXPECT_EQ(TraceSourceImage(source, system_, 0.55, 20000, 10000000, grid, nullptr, raster, tally),
              TSourceImageResult::kStopped);
  }
  // A disc turned away from the system sends nothing into the aimed cone: after the draws
  // allowed there is no image.
  TLightSource away = Disc(false);
  ASSERT_EQ(away.Prepare(), 1);
  AimAtFirstAperture(away, system_);
  EXPECT_EQ(TraceSourceImage(away, system_, 0.55, 100, 5000, grid, nullptr, raster, tally),
            TSourceImageResult::kNoRay);
  EXPECT_EQ(tally.drawn, 5000);
  EXPECT_EQ(tally.passed, 0);
}

}  // namespace

namespace {

TEST_F(SystemTest, ASourceInTheFrontFocalPlaneIsImagedAtInfinityInMilliradians) {
  // The equiconvex singlet (f = 49.213, its focal points 47.536 from its vertices) with the
  // object in its front focal plane and the image at infinity: a source centred 2 mm below
  // the axis sends out beams at 2 / f rad above it, on a raster of 0.5 mrad cells.
  constexpr double kFocalLength = 49.213;
  TOpticalSystem system;
  ReadCollimatingSinglet(system, Scratch("singlet_collimating.os"));
  EXPECT_APPROX(SourceImageScale(system), -1000.0 / kFocalLength, 0.01);
  TLightSource source = Rectangle(-2.5, -1.5, -0.5, 0.5);
  ASSERT_EQ(source.Prepare(), 1);
  AimAtFirstAperture(source, system);
  system.ComputeIndices(0.5875618, 0.0, 0.0);
  const TSourceRaster grid{256, 0.5};
  Mem<float> raster;
  TSourceImageTally tally;
  ASSERT_EQ(TraceSourceImage(source, system, 0.5875618, 5000, 10000000, grid, nullptr, raster, tally),
            TSourceImageResult::kDone);
  const auto [sum, y, z] = Moments(raster, grid);
  EXPECT_APPROX(y / sum, 2000.0 / kFocalLength, 0.02);
  EXPECT_APPROX(z / sum, 0.0, 0.5);
}

TEST_F(LightSourceImage, TheBlurIsThatOfThePupilTheTracedBundleFills) {
  // Squares of 0.01 and 1 mm on the axis, through the triplet stopped at its stop and
  // through the singlet stopped by its rims with its image at infinity: the cutoff of the
  // blur is 2 NA / lambda (D / lambda) of the axial bundle's marginal ray.
  // Variance of some 20000 rays over a filled disc: 0.4 % on the radius; the 1 mm square's
  // rims shift its off-axis bundles a little.
  constexpr double kCutoffTolerance = 0.01;
  TOpticalSystem collimating;
  ReadCollimatingSinglet(collimating, Scratch("singlet_collimating.os"));
  TOpticalSystem *systems[] = {&system_, &collimating};
  for (TOpticalSystem *system : systems)
    for (const double half : {0.005, 0.5}) {
      SCOPED_TRACE(half);
      const double wavelength = 0.55;
      TLightSource source = Rectangle(-half, half, -half, half);
      ASSERT_EQ(source.Prepare(), 1);
      AimAtFirstAperture(source, *system);
      system->ComputeIndices(wavelength, 0.0, 0.0);
      const TSourceRaster grid{64, system->info.ImageFinite != 0 ? 0.01 : 1.0};
      Mem<float> raster;
      TSourceImageTally tally;
      ASSERT_EQ(TraceSourceImage(source, *system, wavelength, 20000, 10000000, grid, nullptr, raster, tally),
                TSourceImageResult::kDone);
      const double aperture = MarginalAperture(*system);
      const double expected = system->info.ImageFinite != 0 ? 2.0 * aperture / (1e-3 * wavelength)
                                                            : 2.0 * aperture / wavelength;
      ASSERT_GT(aperture, 0.0);
      EXPECT_APPROX(DiffractionCutoff(system->info.ImageFinite, tally.bundle.PupilRadius(), wavelength), expected,
                    kCutoffTolerance * expected);
    }
}

// The count the progress shows is of the rays that landed on the picture: a source wholly
// inside it lands every ray that passes there, none in the surround the blur reaches, and
// the probe that found the bundle's pupil is not among them.
TEST_F(LightSourceImage, TheProgressCountsTheRaysLandedOnThePicture) {
  struct TLastCount final : TProgressGauge {
    int StepAndPump(double position) override { return last = position, 1; }
    int Maximum() const override { return 1 << 30; }
    void SetText(const char *) override {}
    double last = -1.0;
  } gauge;
  TLightSource source = Rectangle(-0.5, 0.5, -0.5, 0.5);  // an image some 0.05 mm wide
  ASSERT_EQ(source.Prepare(), 1);
  AimAtFirstAperture(source, system_);
  system_.ComputeIndices(0.55, 0.0, 0.0);
  const TSourceRaster picture{128, 0.002};
  constexpr int kRays = 6000;
  TSourceRunClock clock(&gauge, "Image", kRays);
  Mem<float> raster;
  TSourceImageTally tally;
  TSourceBlur blur;
  ASSERT_EQ(TraceBlurredSourceImage(source, system_, 0.55, kRays, 100 * kRays, picture, &clock, raster, tally, blur),
            TSourceImageResult::kDone);
  EXPECT_EQ(tally.landed, kRays);
  EXPECT_EQ(tally.passed, kRays);
  // The clock steps every 500 draws with the rays landed so far.
  EXPECT_TRUE(gauge.last <= kRays && gauge.last > kRays - 500) << gauge.last;
}

// The Airy pattern's light over the square [y0, y1] x [z0, z1] round a point at the origin,
// by the light within radius t, 1 - J0(pi c t)^2 - J1(pi c t)^2, along each direction
// between where it enters the square and where it leaves.
double AiryOverSquare(double cutoff, double y0, double y1, double z0, double z1) {
  const auto within = [cutoff](double t) {
    const double v = kPi * cutoff * t;
    return 1.0 - std::pow(std::cyl_bessel_j(0.0, v), 2) - std::pow(std::cyl_bessel_j(1.0, v), 2);
  };
  double airy = 0.0;
  constexpr int kDirections = 20000;
  for (int k = 0; k < kDirections; ++k) {
    const double t = 2.0 * kPi * (k + 0.5) / kDirections, uz = std::cos(t), uy = std::sin(t);
    const double az = z0 / uz, bz = z1 / uz, ay = y0 / uy, by = y1 / uy;
    const double enter = std::max({std::min(az, bz), std::min(ay, by), 0.0});
    const double leave = std::min(std::max(az, bz), std::max(ay, by));
    if (leave > enter) airy += (within(leave) - within(enter)) / kDirections;
  }
  return airy;
}

// A small square whose image lies beside the picture, beyond the surround the blur
// reaches: its rays pass, none lands on the picture, and the picture holds the share of
// the passed light the Airy pattern about the image point (the chief ray's, traced here)
// brings into it.
TEST_F(LightSourceImage, ASourceBesideThePictureLendsItTheAiryIntegralOverIt) {
  constexpr double kWavelength = 0.55;
  // The rings taken by their mean over cells of half a ring, the cutoff within 1 %.
  constexpr double kAiryTolerance = 0.03;
  const TSourceRaster picture{64, 0.002};
  const double cutoff = 2.0 * MarginalAperture(system_) / (1e-3 * kWavelength);
  for (const double height : {3.0, 6.0}) {
    SCOPED_TRACE(height);
    TLightSource source = Rectangle(height - 0.005, height + 0.005, -0.005, 0.005);
    ASSERT_EQ(source.Prepare(), 1);
    AimAtFirstAperture(source, system_);
    system_.ComputeIndices(kWavelength, 0.0, 0.0);
    Mem<float> raster;
    TSourceImageTally tally;
    TSourceBlur blur;
    ASSERT_EQ(TraceBlurredSourceImage(source, system_, kWavelength, 2000, 20000, picture, nullptr, raster, tally, blur),
              TSourceImageResult::kDone);
    EXPECT_EQ(tally.landed, 0);
    EXPECT_EQ(tally.landing, 0.0);
    double apertureRadius = 0.0;
    const DPOINT3 aim = system_.surfaces.data[1]->LocalFrame(apertureRadius);
    const double d = std::hypot(aim.x, aim.y - height);
    TCurrentRay chief(0.0, height, 0.0);
    chief.L = aim.x / d;
    chief.M = (aim.y - height) / d;
    chief.N = 0.0;
    ASSERT_EQ(system_.TraceRay(chief, kTracePlain, nullptr, 1), 1);
    const double half = 0.5 * picture.n * picture.pixel, edge = 0.5 * picture.pixel;
    ASSERT_GT(std::fabs(chief.y) - half, half);
    const double airy = AiryOverSquare(cutoff, -half + edge - chief.y, half + edge - chief.y, -half - edge, half - edge);
    double held = 0.0;
    for (int i = 0; i < picture.n * picture.n; ++i) held += raster.data[i];
    EXPECT_APPROX(held / blur.passed, airy, kAiryTolerance * airy);
  }
}

// The pattern against its formula, pi c^2 / 4 (2 J1(v) / v)^2 with v = pi c r, J1 by the
// library's series: within 1e-9 of its peak at every radius, through the rings and beyond.
TEST(DiffractionBlur, TheAiryPatternIsItsBesselFormulaAtEveryRadius) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (const double cutoff : {0.37, 250.0}) {
    const double peak = kPi * cutoff * cutoff / 4.0;
    EXPECT_NEAR(AiryIntensity(0.0, cutoff), peak, 1e-12 * peak);
    for (int i = 0; i < 20000; ++i) {
      const double v = 40.0 * unit(random), r = (i % 2 == 0 ? v : -v) / (kPi * cutoff);
      const double j = 2.0 * std::cyl_bessel_j(1.0, v) / v;
      ASSERT_NEAR(AiryIntensity(r, cutoff), peak * j * j, 1e-9 * peak) << "v " << v;
    }
  }
}

// Light on the far grid in bins of its own at random places round pictures of several
// sizes, close to an edge or far off: each cell of the picture gains, from each light alone
// and from all together, the pattern's ring mean at the cell times the cell's area and the
// light, within the 0.6 % the interpolation between far tiles' corners may miss; the sum
// told is the cells' gain.
TEST(FarLight, EveryCellGainsTheRingMeanOfEveryLightBeyondThePicture) {
  std::mt19937 random(20261210);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  // A pattern whose rings reach past the picture (a slow system), and one within a few cells.
  for (const auto &shape : std::vector<std::pair<int, double>>{{1, 2}, {7, 300}, {64, 1}, {64, 300}, {100, 2}, {255, 100}}) {
    const int n = shape.first;
    const double rings = shape.second;
    const double pixel = 0.001 * (1.0 + unit(random)), cutoff = rings * (1.0 + unit(random)) / (n * pixel);
    const double half = 6.0 * n * pixel, binSide = 2.0 * half / kFarLightBins;
    SCOPED_TRACE(testing::Message() << "n " << n << ", cutoff " << cutoff << ", pixel " << pixel);
    TFarLight all;
    ASSERT_TRUE(all.Reserve(kFarLightBins, half));
    std::vector<double> expected(static_cast<std::size_t>(n) * n, 0.0);
    std::set<std::pair<int, int>> taken;
    const auto check = [n](const Mem<float> &picture, const std::vector<double> &sums, double told) {
      double gained = 0.0, sum = 0.0;
      for (std::size_t i = 0; i < sums.size(); ++i) {
        ASSERT_NEAR(picture.data[i], sums[i], 0.006 * sums[i]) << "row " << i / n << ", column " << i % n;
        gained += picture.data[i];
        sum += sums[i];
      }
      EXPECT_NEAR(told, gained, 1e-5 * gained);
      EXPECT_NEAR(told, sum, 0.006 * sum);
    };
    const auto ringMeans = [&](double y, double z, double weight) {
      std::vector<double> sums(expected.size());
      for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column) {
          const double d = std::hypot((n / 2 - row) * pixel - y, (column - n / 2) * pixel - z);
          sums[static_cast<std::size_t>(row) * n + column] = weight * pixel * pixel * AiryRingMean(d, cutoff);
        }
      return sums;
    };
    for (int lights = 0; lights < 16;) {
      // Beyond the picture's edge by half a cell to four of its widths, on a random side.
      const double beyond = 0.5 * n * pixel + pixel * std::pow(8.0 * n, unit(random)) * 0.5;
      const double along = (unit(random) - 0.5) * 2.0 * beyond, weight = 0.5 + unit(random);
      const int side = static_cast<int>(4.0 * unit(random));
      const double y = side < 2 ? (side == 0 ? beyond : -beyond) : along;
      const double z = side < 2 ? along : (side == 2 ? beyond : -beyond);
      if (!taken.emplace(static_cast<int>(std::floor((half - y) / binSide)), static_cast<int>(std::floor((z + half) / binSide))).second)
        continue;
      ++lights;
      TFarLight one;
      ASSERT_TRUE(one.Reserve(kFarLightBins, half));
      ASSERT_TRUE(one.Add(y, z, weight));
      ASSERT_TRUE(all.Add(y, z, weight));
      const std::vector<double> sums = ringMeans(y, z, weight);
      Mem<float> alone(n, n);
      alone.Zero();
      check(alone, sums, one.BringInto(alone, n, pixel, cutoff));
      for (std::size_t i = 0; i < sums.size(); ++i) expected[i] += sums[i];
    }
    Mem<float> picture(n, n);
    picture.Zero();
    check(picture, expected, all.BringInto(picture, n, pixel, cutoff));
    // A light fifty pictures away: the whole picture is one tile between its corners.
    TFarLight distant;
    ASSERT_TRUE(distant.Reserve(1, 100.0 * n * pixel));
    ASSERT_TRUE(distant.Add(-40.0 * n * pixel, 30.0 * n * pixel, 1.0));
    picture.Zero();
    check(picture, ringMeans(-40.0 * n * pixel, 30.0 * n * pixel, 1.0), distant.BringInto(picture, n, pixel, cutoff));
  }
}

// Without a cutoff nothing is blurred: the picture is cut from the middle of the raster and
// the share of the light it keeps is told.
TEST(DiffractionBlur, WithoutACutoffThePictureIsCutAndTheShareItKeepsTold) {
  Mem<float> raster(8, 8);
  raster.Zero();
  raster.data[0] = 1.0f;          // in the surround
  raster.data[3 * 8 + 3] = 3.0f;  // in the picture, rows and columns 2 to 5
  EXPECT_DOUBLE_EQ(BlurByRoundPupil(raster, 4, 0.01, 0.0), 0.75);
  ASSERT_EQ(raster.cols, 4);
  EXPECT_EQ(raster.data[1 * 4 + 1], 3.0f);
}

// One lit cell of the picture or its surround, blurred: the picture holds the Airy integral
// over it, less at most the share told as beyond the blur's reach; fine cells, coarse ones,
// and cells so coarse that the pattern is summed directly over a few cells of surround.
TEST(DiffractionBlur, APictureHoldsTheAiryIntegralOverItLessAtMostTheShareTold) {
  constexpr int n = 64;
  constexpr double kSampling = 5e-3;  // the pattern's cells against its integral
  for (const double cellsPerCutoff : {0.4, 3.0, 80.0}) {
    const double pixel = 0.01, cutoff = cellsPerCutoff / pixel;
    const int reach = BlurReach(n, pixel, cutoff);
    const double told = BlurLeftOut(reach, pixel, cutoff);
    // What is told is the pattern's light beyond the circle of the reach's radius.
    const double v = kPi * cutoff * pixel * reach;
    EXPECT_NEAR(told, std::pow(std::cyl_bessel_j(0.0, v), 2) + std::pow(std::cyl_bessel_j(1.0, v), 2), 1e-9);
    // A reach short of half the picture keeps its promise of no more than kBlurLeftOut.
    EXPECT_LE(told, reach < n / 2 ? kBlurLeftOut : 1.0) << reach;
    EXPECT_EQ(reach > kDirectBlurReach, cellsPerCutoff < 50.0);
    const int side = n + 2 * reach;
    for (const int offset : {0, n / 2, reach + n - 1, reach + n + reach / 2, side - 1}) {
      SCOPED_TRACE(cellsPerCutoff * 1000 + offset);
      TBlurWork work;
      ASSERT_TRUE(work.Reserve(n, reach));
      EXPECT_EQ(work.side, reach > kDirectBlurReach ? 2 * n : 0);
      Mem<float> raster(side, side);
      raster.Zero();
      raster.data[(side / 2) * side + offset] = 2.0f;
      const double kept = BlurByRoundPupil(raster, pixel, cutoff, work);
      ASSERT_EQ(raster.cols, n);
      // The pattern's light over the picture, by the light within radius v / (pi c),
      // E(v) = 1 - J0(v)^2 - J1(v)^2, along each direction from the lit cell's centre
      // between where it enters the picture and where it leaves (cells of the raster).
      const double x0 = reach - 0.5 - offset, x1 = reach + n - 0.5 - offset, y0 = reach - 0.5 - side / 2,
                   y1 = reach + n - 0.5 - side / 2;
      const double airy = AiryOverSquare(cutoff * pixel, y0, y1, x0, x1);
      // From the picture's cells the integral, within the sampling, beside what is told.
      if (cellsPerCutoff > 1.0 && offset >= reach && offset < reach + n) {
        EXPECT_APPROX(kept, airy, kSampling + told);
      } else {
        EXPECT_LE(kept, airy + kSampling);
        EXPECT_GE(kept + told, airy - kSampling);
      }
    }
  }
}

// The share the Energy page tells: of the light passed, averaged over wavelength as the
// picture is (trapezoids with unequal weights, the components in any order), what the
// picture lacks; one wavelength's picture nearly empty, another's nearly full.
TEST(PictureLight, TheShareOutsideAveragesTheWavelengthsWithTheirWeights) {
  const std::vector<TPictureLight> components = {{0.65, 0.5, 0.9, 1.0}, {0.45, 3.0, 0.1, 2.0}, {0.55, 1.0, 0.5, 1.0}};
  // Weight times the half-steps either side: 3 x 0.05, 1 x (0.05 + 0.05), 0.5 x 0.05.
  const double held = 0.15 * 0.1 + 0.1 * 0.5 + 0.025 * 0.9, passed = 0.15 * 2.0 + 0.1 * 1.0 + 0.025 * 1.0;
  EXPECT_NEAR(ShareOutsidePicture(components), 1.0 - held / passed, 1e-12);
}

}  // namespace
