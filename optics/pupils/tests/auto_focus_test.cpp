#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// A paraboloid images an axial point perfectly: only the search tolerance is left.
constexpr double kParabolaFocus = 1e-6;
// The two searches of the singlet's best plane each stop within ~1e-5.
constexpr double kBestPlane = 1e-4;
// The double Gauss's plane found by an outside trace of the same criterion, given to five
// decimals; the searches here stop within 1e-5.
constexpr double kDoubleGaussGap = 62.98291;
constexpr double kDoubleGaussPlane = 1e-4;

// The plane across the axis where the spread (max - min) of y + d k is smallest, by a
// golden-section search of that convex function of d.
double SmallestSpreadShift(const std::vector<double> &y, const std::vector<double> &k) {
  auto spread = [&](double d) {
    double low = 1e300, high = -1e300;
    for (std::size_t i = 0; i < y.size(); ++i) {
      low = std::fmin(low, y[i] + d * k[i]);
      high = std::fmax(high, y[i] + d * k[i]);
    }
    return high - low;
  };
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double a = -100.0, b = 100.0;
  while (b - a > 1e-9) {
    const double c = b - ratio * (b - a), e = a + ratio * (b - a);
    if (spread(c) <= spread(e)) b = e; else a = c;
  }
  return 0.5 * (a + b);
}

class AutoFocusTest : public PupilTest {
 protected:
  // Heights (y) and axial slopes (M/L) of K meridional rays across the pupil, at the
  // image plane, traced to global coordinates.
  static void MeridionalFan(TOpticalSystem &system, int count, std::vector<double> &y,
                            std::vector<double> &k) {
    const double d = system.info.entrancePupilDiameter;
    for (int i = 0; i < count; ++i) {
      TCurrentRay ray = system.MakeRay(0.0, 0.0, d / 2.0 - i * d / (count - 1), 0.0);
      ASSERT_EQ(system.TraceRay(ray, -1, nullptr, 0), 1);
      y.push_back(ray.y);
      k.push_back(ray.M / ray.L);
    }
  }
};

TEST_F(AutoFocusTest, ParabolicMirrorFocusesAtHalfItsRadius) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), 0), 1);
  // Move the image plane 7 away from the focus first; the mirror's vertex is at 150 and its
  // radius 200, so the focus lies at 150 - 100 = 50.
  TSurface &image = *system.Surface(2);
  image.general.vertex[0] = 57.0;
  MarkModelChanged();
  system.AutoFocus(nullptr, nullptr);
  EXPECT_APPROX(image.general.vertex[0], 50.0, kParabolaFocus);
  EXPECT_APPROX(image.general.vertex[1], 0.0, kParabolaFocus);
  // The mirror's image surface keeps its own medium.
  EXPECT_EQ(image.general.materialKind, 0);
  EXPECT_TRUE(system.PupilsNeedSolving());
}

TEST_F(AutoFocusTest, SingletGoesToItsSmallestBlur) {
  // f/2.5: enough spherical aberration to put the smallest blur well inside the paraxial
  // focus. The best plane is found again here by a plain scan of the traced fan.
  TOpticalSystem system;
  BuildSinglet(system, 12.5);
  UserStop(system, 2, 20.0);
  Ready(system);
  const double paraxialFocus = 15.0 + 47.5362;
  system.AutoFocus(nullptr, nullptr);
  const double focused = system.Surface(3)->general.vertex[0];

  MarkModelChanged();
  ASSERT_EQ(system.UpdatePupils(0.0, 0.0), 1);
  std::vector<double> y, k;
  system.Surface(3)->general.vertex[0] = paraxialFocus;
  MeridionalFan(system, 51, y, k);
  double bestPlane = paraxialFocus;
  double bestSpread = 1e300;
  for (double dx = -5.0; dx <= 0.5; dx += 1e-5) {
    double low = 1e300, high = -1e300;
    for (std::size_t i = 0; i < y.size(); ++i) {
      const double h = y[i] + dx * k[i];
      low = std::fmin(low, h);
      high = std::fmax(high, h);
    }
    if (high - low < bestSpread) {
      bestSpread = high - low;
      bestPlane = paraxialFocus + dx;
    }
  }
  EXPECT_LT(bestPlane, paraxialFocus - 0.1);
  EXPECT_APPROX(focused, bestPlane, kBestPlane);
}

TEST_F(AutoFocusTest, TheImageRimDoesNotStopTheRaysThatPlaceIt) {
  // The double Gauss with its last gap opened from 63.2543 to 70: there the image surface's
  // semi-height of 26 stops most rays of the 14 degree beam. The same system without the rim
  // works the criterion out here: each field's meridional and sagittal fans traced, each
  // fan's smallest spread found by a search of its own, the two averaged, the fields averaged.
  TOpticalSystem system, open;
  for (TOpticalSystem *each : {&system, &open}) {
    ASSERT_EQ(each->ReadFile(ExamplePath("double_gauss.os"), 0), 1);
    const int last = each->SurfaceCount() - 1;
    each->Surface(last)->general.vertex[0] = each->Surface(last - 1)->general.vertex[0] + 70.0;
  }
  const int image = system.SurfaceCount() - 1;
  const double lastLens = system.Surface(image - 1)->general.vertex[0];
  open.Surface(image)->general.semiHeightExt = 1e6;
  // A central obscuration of the image stops no ray that places it either.
  system.Surface(image)->general.semiHeightInt = system.Surface(image)->general.semiWidthInt = 2.0;
  // Nor do the 14 degree rays surface 5's rim stops, though DrawAllRays carries them on.
  system.info.DrawAllRays = 1;
  MarkModelChanged();
  ASSERT_GE(system.Prepare(0.0, 1, 0), 0);
  ASSERT_GE(open.Prepare(0.0, 1, 0), 0);
  double sum = 0.0;
  const double fields[3] = {0.0, 10.0, 14.0};
  for (double field : fields) {
    open.SolveChiefRay(field, 0.0);
    const double d = open.info.entrancePupilDiameter;
    std::vector<double> ym, km, zs, ks;
    for (int i = 0; i < 51; ++i) {
      const double h = d / 2.0 - i * d / 50.0;
      TCurrentRay m = open.MakeRay(field, 0.0, h, 0.0), s = open.MakeRay(field, 0.0, 0.0, h);
      if (open.TraceRay(m, 1, nullptr, 0) == 1) ym.push_back(m.y), km.push_back(m.M / m.L);
      if (open.TraceRay(s, 1, nullptr, 0) == 1) zs.push_back(s.z), ks.push_back(s.N / s.L);
    }
    ASSERT_GE(std::min(ym.size(), zs.size()), 2u);
    sum += 0.5 * (SmallestSpreadShift(ym, km) + SmallestSpreadShift(zs, ks));
  }
  const double independent = 70.0 + sum / 3.0;

  // One run puts the plane there, and the rim is the user's again.
  system.AutoFocus(nullptr, nullptr);
  const double gap = system.Surface(image)->general.vertex[0] - lastLens;
  EXPECT_NEAR(gap, kDoubleGaussGap, kDoubleGaussPlane);
  EXPECT_NEAR(gap, independent, kDoubleGaussPlane);
  EXPECT_EQ(system.Surface(image)->general.semiHeightExt, 26.0);
  EXPECT_EQ(system.Surface(image)->general.semiHeightInt, 2.0);
  EXPECT_TRUE(PendingMessage().empty()) << PendingMessage();
}

TEST_F(AutoFocusTest, AFieldWithoutRaysIsLeftOutAndNamed) {
  // At 40 degrees no ray of the double Gauss gets past its lenses: the plane is the one the
  // axis alone gives, and the message names the beam left out.
  auto focused = [](std::initializer_list<double> list) {
    TOpticalSystem system;
    EXPECT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), 0), 1);
    const int image = system.SurfaceCount() - 1;
    system.Surface(image)->general.vertex[0] += 3.0;
    MarkModelChanged();
    EXPECT_GE(system.Prepare(0.0, 1, 0), 0);
    Mem<double> fields(static_cast<int>(list.size()), 1);
    std::copy(list.begin(), list.end(), fields.data);
    TakePendingMessage();
    system.AutoFocus(&fields, nullptr);
    return system.Surface(image)->general.vertex[0];
  };
  const double axisAlone = focused({0.0});
  EXPECT_TRUE(PendingMessage().empty()) << PendingMessage();
  EXPECT_APPROX(focused({0.0, 40.0}), axisAlone, kBestPlane);
  EXPECT_NE(PendingMessage().find("No ray of beam 40 reaches the image surface"), std::string::npos)
      << PendingMessage();
  EXPECT_APPROX(focused({40.0, 0.0, 50.0}), axisAlone, kBestPlane);
  EXPECT_NE(PendingMessage().find("No ray of beams 40, 50 reaches the image surface"), std::string::npos)
      << PendingMessage();
}

TEST_F(AutoFocusTest, FocusingTwiceStaysPut) {
  TOpticalSystem system;
  BuildSinglet(system, 12.5);
  UserStop(system, 2, 20.0);
  Ready(system);
  system.AutoFocus(nullptr, nullptr);
  const double first = system.Surface(3)->general.vertex[0];
  system.AutoFocus(nullptr, nullptr);
  EXPECT_APPROX(system.Surface(3)->general.vertex[0], first, kBestPlane);
}

TEST_F(AutoFocusTest, DegenerateSystemsAreLeftAlone) {
  TOpticalSystem one;
  AddAt(one, 0.0, 0.0, "", 10.0);
  one.AutoFocus(nullptr, nullptr);
  EXPECT_EQ(one.Surface(0)->general.vertex[0], 0.0);

  // Plane surfaces only: parallel light has no focus; the image plane does not run away.
  TOpticalSystem planes;
  AddAt(planes, 0.0, 0.0, "", 10.0);
  AddAt(planes, 10.0, 0.0, "", 5.0);
  AddAt(planes, 20.0, 0.0, "", 10.0);
  Ready(planes);
  Mem<double> fields(1, 1);
  fields.data[0] = 0.0;
  planes.AutoFocus(&fields, nullptr);
  EXPECT_APPROX(planes.Surface(2)->general.vertex[0], 20.0, kParabolaFocus);
}

}  // namespace
