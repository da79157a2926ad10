// The narcissus analysis on plane-surface systems worked by hand: paraxial heights grow by
// the slope across air and by the slope over the index across glass, the beam reflected
// back at a surface runs the surfaces before it again (given here by an unfolding done in
// the test, as a straight run of surfaces).

#include "analysis/narcissus/narcissus_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/narcissus/narcissus_radiometry.h"
#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"

namespace {

// The marginal ray is traced at 1e-4 of the aperture and scaled up: sine against tangent
// differ by (5e-4)^2.
constexpr double kParaxial = 1e-6;

struct TPlane {
  double x;           // vertex on the axis
  double index;       // behind the surface
  double semiHeight;  // 0: no aperture
  bool mirror = false;
};

std::unique_ptr<TOpticalSystem> Build(const std::vector<TPlane> &planes) {
  auto system = std::make_unique<TOpticalSystem>();
  double before = 1.0;
  for (const TPlane &p : planes) {
    TSurface *s = system->AddSurface(new TSurface(p.x, 0.0, 0.0));
    s->general.type = kSurfacePlane;
    s->general.nBefore = before;
    s->general.nAfter = p.index;
    s->general.materialKind = p.mirror ? 1 : 0;
    s->general.semiHeightExt = s->general.semiWidthExt = p.semiHeight;
    before = p.index;
  }
  system->info.ObjectFinite = 1;
  system->info.ImageFinite = 1;
  return system;
}

// Object point on the axis at surface 0; the marginal ray passes the edge of surface 1.
// Its paraxial heights on every surface.
std::vector<double> HandHeights(const std::vector<TPlane> &planes) {
  const double slopeInAir = planes[1].semiHeight / (planes[1].x - planes[0].x);
  std::vector<double> y = {0.0};
  double slope = slopeInAir / planes[0].index;
  for (size_t i = 1; i < planes.size(); ++i) {
    y.push_back(y.back() + (planes[i].x - planes[i - 1].x) * slope);
    slope = slopeInAir / planes[i].index;
  }
  return y;
}

double HandLimit(const std::vector<TPlane> &planes, const std::vector<double> &y) {
  double limit = 1e18;
  for (size_t i = 1; i < planes.size(); ++i)
    if (planes[i].semiHeight > 0.0 && std::fabs(y[i]) > 1e-7) limit = std::min(limit, planes[i].semiHeight / std::fabs(y[i]));
  return limit;
}

// Unfolded at j: surfaces 0..j, j passing on in the medium in front of it, then copies of
// j-1..0 at mirrored distances, each followed by the medium in front of the original.
std::vector<TPlane> Unfolded(const std::vector<TPlane> &planes, int j) {
  std::vector<TPlane> u(planes.begin(), planes.begin() + j + 1);
  u[j].index = j > 0 ? planes[j - 1].index : 1.0;
  for (int k = j - 1; k >= 0; --k)
    u.push_back({2.0 * planes[j].x - planes[k].x, k > 0 ? planes[k - 1].index : 1.0, planes[k].semiHeight});
  return u;
}

class TPlaneSystems : public TNarcissusSystems {
 public:
  explicit TPlaneSystems(const std::vector<TPlane> &planes) : planes_(planes) {}
  std::unique_ptr<TOpticalSystem> Copy() override {
    ++copies;
    return failCopy ? nullptr : Build(planes_);
  }
  std::unique_ptr<TOpticalSystem> Unfold(TOpticalSystem &, int j) override {
    unfolded.push_back(j);
    return failUnfold ? nullptr : Build(Unfolded(planes_, j));
  }
  int copies = 0;
  std::vector<int> unfolded;
  bool failCopy = false;
  bool failUnfold = false;

 private:
  std::vector<TPlane> planes_;
};

// Object plane, stop, scanner (a plane in air), then a window of index 1.5 of which
// either face reflects.
const std::vector<TPlane> kWindow = {
    {0.0, 1.0, 20.0}, {10.0, 1.0, 5.0}, {20.0, 1.0, 20.0}, {30.0, 1.5, 6.0}, {35.0, 1.0, 6.0}};

}  // namespace

TEST(NarcissusRays, ChiefAndMarginalRaysMatchParaxialHeights) {
  std::unique_ptr<TOpticalSystem> system = Build(kWindow);
  TNarcissusRays rays;
  ASSERT_EQ(TraceNarcissusRays(*system, rays), 1);
  const std::vector<double> hand = HandHeights(kWindow);
  ASSERT_EQ(rays.marginal.size(), hand.size());
  for (size_t i = 0; i < hand.size(); ++i) {
    EXPECT_NEAR(rays.chief[i], 0.0, 1e-12) << i;
    EXPECT_APPROX(rays.marginal[i], hand[i], kParaxial) << i;
  }
  EXPECT_EQ(rays.scale, 1e4);  // the smallest aperture passed at once
}

TEST(NarcissusAnalysis, WindowFacesMatchAHandComputation) {
  std::unique_ptr<TOpticalSystem> system = Build(kWindow);
  TPlaneSystems systems(kWindow);
  TNarcissusParameters p;
  p.scannerSurface = 2;
  std::vector<int> progress;
  const TNarcissusResult result =
      ComputeNarcissus(*system, systems, p, false, [&](int percent) { progress.push_back(percent); });
  ASSERT_TRUE(result.Ok()) << result.message;
  const double k = HandLimit(kWindow, HandHeights(kWindow));
  EXPECT_APPROX(result.apertureLimit, k, kParaxial);
  EXPECT_APPROX(result.factor, NarcissusRadiometricFactor(p), 1e-15);
  // Rows from the last surface backwards: surfaces 4 and 3, numbered 5 and 4.
  ASSERT_EQ(result.cells.size(), 2u);
  EXPECT_EQ(result.labels, (std::vector<int>{5, 4}));
  EXPECT_EQ(systems.unfolded, (std::vector<int>{4, 3}));
  double sum = 0.0;
  for (int r = 0; r < 2; ++r) {
    const std::vector<TPlane> u = Unfolded(kWindow, 4 - r);
    const double limit = HandLimit(u, HandHeights(u));
    ASSERT_EQ(result.cells[r][0].kind, TNarcissusCell::kValue) << r;
    EXPECT_APPROX(result.cells[r][0].value, result.factor * limit * limit / (k * k), kParaxial) << r;
    sum += limit * limit / (k * k);
  }
  EXPECT_APPROX(result.all[0].value, result.factor * sum, kParaxial);
  EXPECT_EQ(progress, (std::vector<int>{50, 100}));
  EXPECT_EQ(p.positions, 1);
}

// Rows are the refracting surfaces on both sides of the scanner, never the detector, a
// dummy or a mirror. Those between the detector and the scanner return the detector's
// light without meeting the scanner: unfolded once, the same value in every column, marked.
TEST(NarcissusAnalysis, RowsOnBothSidesOfTheScannerAndTheirScanPositions) {
  // Detector, a window between it and the scanner (surfaces 1, 2), the scanner (a plane
  // in air), then a second window (4, 5) and a dummy plane.
  const std::vector<TPlane> planes = {{0.0, 1.0, 20.0}, {5.0, 1.5, 6.0},  {8.0, 1.0, 6.0},
                                      {20.0, 1.0, 20.0}, {30.0, 1.5, 6.0}, {35.0, 1.0, 6.0},
                                      {50.0, 1.0, 8.0}};
  std::unique_ptr<TOpticalSystem> system = Build(planes);
  TPlaneSystems systems(planes);
  TNarcissusParameters p;
  p.scannerSurface = 3;
  p.maxScanAngle = 8.0;
  const TNarcissusResult result = ComputeNarcissus(*system, systems, p, true, {});
  ASSERT_TRUE(result.Ok()) << result.message;
  EXPECT_EQ(p.positions, 5);
  EXPECT_EQ(result.angles, (std::vector<double>{0.0, 2.0, 4.0, 6.0, 8.0}));
  EXPECT_EQ(systems.copies, 5);
  EXPECT_EQ(result.surfaces, (std::vector<int>{5, 4, 2, 1}));
  // A turned system numbers its rows as the unturned one.
  EXPECT_EQ(result.labels, (std::vector<int>{2, 3, 5, 6}));
  EXPECT_EQ(result.unscanned, (std::vector<bool>{false, false, true, true}));
  // The scanned faces are unfolded at every position, the others once.
  EXPECT_EQ(static_cast<int>(std::count(systems.unfolded.begin(), systems.unfolded.end(), 5)), 5);
  EXPECT_EQ(static_cast<int>(std::count(systems.unfolded.begin(), systems.unfolded.end(), 1)), 1);
  const double k = HandLimit(planes, HandHeights(planes));
  for (int r = 0; r < 4; ++r) {
    const std::vector<TPlane> u = Unfolded(planes, result.surfaces[r]);
    const double limit = HandLimit(u, HandHeights(u));
    for (int q = 0; q < 5; ++q) {
      ASSERT_EQ(result.cells[r][q].kind, TNarcissusCell::kValue) << r << " " << q;
      EXPECT_APPROX(result.cells[r][q].value, result.factor * limit * limit / (k * k), kParaxial) << r;
      const std::string text = NarcissusCellText(result.cells[r][q]);
      EXPECT_EQ(text[0] == '=', result.unscanned[r] && q > 0) << text;
    }
  }
  for (int q = 0; q < 5; ++q) {
    double sum = 0.0;
    for (int r = 0; r < 4; ++r) sum += result.cells[r][q].value;
    EXPECT_APPROX(result.all[q].value, sum, 1e-12);
    EXPECT_FALSE(result.all[q].partial);
  }
  // A mirror face is no row.
  std::vector<TPlane> mirrored = planes;
  mirrored[4].mirror = true;
  std::unique_ptr<TOpticalSystem> withMirror = Build(mirrored);
  TPlaneSystems mirrorSystems(mirrored);
  p.maxScanAngle = 0.0;
  const TNarcissusResult m = ComputeNarcissus(*withMirror, mirrorSystems, p, false, {});
  ASSERT_TRUE(m.Ok()) << m.message;
  EXPECT_EQ(m.surfaces, (std::vector<int>{5, 2, 1}));
  EXPECT_EQ(m.labels, (std::vector<int>{6, 3, 2}));
}

TEST(NarcissusAnalysis, InputChecksInTheirOrder) {
  TNarcissusParameters t;
  // Surfaces numbered 1 and 2, and N or more, are refused; 3 .. N-1 pass.
  for (int typed : {0, 1, 2, 5, 6}) EXPECT_EQ(CheckNarcissusInput(typed, 5, 8, 14, t), "Incorrect set of scanner surface...") << typed;
  for (int typed : {3, 4}) EXPECT_EQ(CheckNarcissusInput(typed, 5, 8, 14, t), "") << typed;
  EXPECT_EQ(CheckNarcissusInput(1, 5, 0.5, 0.2, t), "Incorrect set of scanner surface...");
  EXPECT_EQ(CheckNarcissusInput(3, 5, 0.5, 14, t),
            "Incorrect set of spectral band... Minimal wavelength must be greater than 1 µm");
  EXPECT_EQ(CheckNarcissusInput(3, 5, 8, 0.9, t),
            "Incorrect set of spectral band... Maximal wavelength must be greater than 1 µm");
  EXPECT_EQ(CheckNarcissusInput(3, 5, 8, 8, t),
            "Incorrect set of spectral band... Minimal wavelength greater or equal maximal");
  // The fraction of light per surface is a share: outside 0 ... 1 it is refused by name.
  for (double fraction : {-0.5, 1.5}) {
    TNarcissusParameters share;
    share.fraction = fraction;
    EXPECT_EQ(CheckNarcissusInput(3, 5, 8, 14, share), "Incorrect fraction of light per surface... It must lie between 0 and 1");
  }
  // A temperature at or below absolute zero would divide by zero in Planck's law.
  t.detectorTemperature = -273.2;
  EXPECT_EQ(CheckNarcissusInput(3, 5, 8, 14, t).rfind("Incorrect set of temperatures", 0), 0u);
}

TEST(NarcissusAnalysis, FailuresAreReportedNotZero) {
  TNarcissusParameters p;
  p.scannerSurface = 2;
  // The unfolded system cannot be built: the run ends with "System error...".
  {
    std::unique_ptr<TOpticalSystem> system = Build(kWindow);
    TPlaneSystems systems(kWindow);
    systems.failUnfold = true;
    EXPECT_EQ(ComputeNarcissus(*system, systems, p, false, {}).message, "System error...");
  }
  // No copy for a scan position: that column stays empty, the run goes on.
  {
    std::unique_ptr<TOpticalSystem> system = Build(kWindow);
    TPlaneSystems systems(kWindow);
    systems.failCopy = true;
    const TNarcissusResult r = ComputeNarcissus(*system, systems, p, false, {});
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.all[0].kind, TNarcissusCell::kEmpty);
    EXPECT_EQ(NarcissusCellText(r.cells[0][0]), "");
  }
  // No surface has an aperture: the limit K would be a division by zero; refused.
  {
    std::vector<TPlane> open = kWindow;
    for (TPlane &plane : open) plane.semiHeight = 0.0;
    std::unique_ptr<TOpticalSystem> system = Build(open);
    TPlaneSystems systems(open);
    EXPECT_EQ(ComputeNarcissus(*system, systems, p, false, {}).message, "Aperture ray does not passed...");
  }
  // A reflected beam whose rays do not pass gets "-", never a "0" that reads as no
  // narcissus, and adds nothing to the sum.
  {
    std::unique_ptr<TOpticalSystem> system = Build(kWindow);
    struct TBlocked : TPlaneSystems {
      using TPlaneSystems::TPlaneSystems;
      std::unique_ptr<TOpticalSystem> Unfold(TOpticalSystem &, int) override {
        return std::make_unique<TOpticalSystem>();  // an empty system traces nothing
      }
    } failing(kWindow);
    const TNarcissusResult r = ComputeNarcissus(*system, failing, p, false, {});
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.cells[0][0].kind, TNarcissusCell::kFailed);
    EXPECT_EQ(NarcissusCellText(r.cells[1][0]), "-");
    EXPECT_EQ(r.all[0].value, 0.0);
    // The total says it left cells out: it is the least the sum can be.
    EXPECT_TRUE(r.all[0].partial);
    EXPECT_EQ(NarcissusCellText(r.all[0]).substr(0, 2), ">=");
  }
  // A scanner index out of the list is refused rather than read past it.
  {
    std::unique_ptr<TOpticalSystem> system = Build(kWindow);
    TPlaneSystems systems(kWindow);
    p.scannerSurface = 9;
    EXPECT_EQ(ComputeNarcissus(*system, systems, p, false, {}).message, "Incorrect set of scanner surface...");
  }
}

TEST(NarcissusAnalysis, EditorDefaultsFollowTheSystemsWavelengths) {
  std::unique_ptr<TOpticalSystem> system = Build(kWindow);
  TNarcissusParameters p;
  p.fraction = 0.5;
  // Monochromatic at 10 um: the long-wave band; at 4 um the mid-wave band.
  system->info.MonochromeSystem = 1;
  system->info.LambdaW = 10.6;
  EXPECT_EQ(DefaultNarcissusParameters(*system, p), "");
  EXPECT_EQ(p.lambdaMin, 8.0);
  EXPECT_EQ(p.lambdaMax, 14.0);
  EXPECT_EQ(p.fraction, 0.01);
  EXPECT_EQ(p.detectorTemperature, -195.86);
  EXPECT_EQ(p.scannerSurface, 4);
  system->info.LambdaW = 4.0;
  EXPECT_EQ(DefaultNarcissusParameters(*system, p), "");
  EXPECT_EQ(p.lambdaMin, 3.0);
  EXPECT_EQ(p.lambdaMax, 5.0);
  // Between the bands, and at the upper end of either: reported, the record filled with
  // the long-wave band all the same.
  for (const double outside : {6.0, 5.0, 14.0, 0.55}) {
    system->info.LambdaW = outside;
    p = TNarcissusParameters{};
    p.lambdaMin = p.lambdaMax = 0.0;
    EXPECT_EQ(DefaultNarcissusParameters(*system, p), "Incorrect spectral interval.") << outside;
    EXPECT_EQ(p.lambdaMin, 8.0) << outside;
    EXPECT_EQ(p.lambdaMax, 14.0) << outside;
    EXPECT_EQ(p.scannerSurface, 4) << outside;
  }
  system->info.LambdaW = 3.0;
  EXPECT_EQ(DefaultNarcissusParameters(*system, p), "");
  EXPECT_EQ(p.lambdaMax, 5.0);
  // Polychromatic: the smallest and the largest wavelength, in any order.
  system->info.MonochromeSystem = 0;
  system->info.Spectrum.Clear();
  ASSERT_TRUE(system->info.Spectrum.Allocate(3, 1));
  system->info.Spectrum.data[0].lambda = 9.0;
  system->info.Spectrum.data[1].lambda = 7.5;
  system->info.Spectrum.data[2].lambda = 11.0;
  EXPECT_EQ(DefaultNarcissusParameters(*system, p), "");
  EXPECT_EQ(p.lambdaMin, 7.5);
  EXPECT_EQ(p.lambdaMax, 11.0);
}
