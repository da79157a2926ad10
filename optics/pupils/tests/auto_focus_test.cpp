#include <cmath>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/pupils/tests/pupil_test_support.h"

namespace {

// A paraboloid images an axial point perfectly: only the search tolerance is left.
constexpr double kParabolaFocus = 1e-6;
// The two searches of the singlet's best plane each stop within ~1e-5.
constexpr double kBestPlane = 1e-4;

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
