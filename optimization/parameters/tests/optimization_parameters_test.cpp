// The variable parameters: list rules, validity, and how each type reads from and applies
// to the surfaces of every type code, in one configuration or several.

#include "optimization/parameters/optimization_parameters.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optimization/engine/tests/test_problem.h"
#include "optimization/system/tests/configuration_snapshots.h"
#include "platform/core/recording_providers.h"

namespace {

// Vertices moved by sums and products of a few numbers near 10.
constexpr double kPositionTolerance = 1e-12;

TParameterDescription Parameter(int config, int surf, const char *type, double left, double right) {
  TParameterDescription p;
  p.Set(config, surf, type, left, right);
  return p;
}

// Five surfaces on the axis at x = 0, 10, 15, 30, 40, all in air, planes unless changed.
class ParametersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (double x : {0.0, 10.0, 15.0, 30.0, 40.0}) {
      TSurface *s = system_.AddSurface(new TSurface(x, 0.0, 0.0));
      s->general.type = kSurfacePlane;
      s->general.semiHeightExt = s->general.semiWidthExt = 10.0;
    }
    system_.info.Coord = 1;
  }
  TSurface &S(int i) { return *system_.Surface(i); }
  double X(int i) { return S(i).general.vertex[0]; }

  TRecordingMessageBoxProvider boxes_;
  TOpticalSystem system_;
};

}  // namespace

TEST(OptimizationParameters, AddReplacesTheSameParameterFillsADefaultOrAppends) {
  TOptimizationParameters list;
  list.Add(Parameter(0, 1, "R", -0.1, 0.1));
  list.Add(Parameter(0, 2, "T", 1.0, 20.0));
  ASSERT_EQ(list.Count(), 2);
  list.Add(Parameter(0, 1, "R", -0.5, 0.5));  // same configuration, surface and type
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Left(0), -0.5);
  EXPECT_EQ(list.Find(0, 2, "T"), 1);
  EXPECT_EQ(list.Find(1, 2, "T"), -1);
  // A default record in the list is taken before the list grows.
  list.Add(TParameterDescription());
  list.Add(Parameter(0, 3, "A4", 0.0, 1.0));
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(2).Type, "A4");
  EXPECT_EQ(list.Get(7).Surf, -1) << "outside the list: a default record";
}

TEST(OptimizationParameters, Validity) {
  TOptimizationParameters list;
  const char *valid[] = {"R", "T", "A", "A0", "A12", "A199", "H", "H19"};
  const char *invalid[] = {"", "X", "RR", "A-1", "Ax", "A1.5", "A200", "H20", "A\"", "A99999999999"};
  for (const char *type : valid) list.Add(Parameter(0, 1, type, 0.0, 1.0));
  for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.IsValid(i), 1) << list.Get(i).Type;
  TOptimizationParameters bad;
  for (const char *type : invalid) bad.Add(Parameter(0, 1, type, 0.0, 1.0));
  bad.Add(Parameter(0, 1, "R", 1.0, 1.0));   // equal bounds
  bad.Add(Parameter(0, -1, "T", 0.0, 1.0));  // no surface
  bad.Add(Parameter(-1, 1, "T", 0.0, 1.0));  // a configuration below 0
  for (int i = 0; i < bad.Count(); ++i) EXPECT_EQ(bad.IsValid(i), 0) << i << " " << bad.Get(i).Type;
  EXPECT_EQ(bad.IsValid(bad.Count()), 0);
  bad.RemoveInvalid();
  EXPECT_EQ(bad.Count(), 0);

  // Crossed bounds stay valid, and the list names the parameter that blocks a run.
  list.Add(Parameter(1, 3, "T", 5.0, 2.0));
  const int crossed = list.Count() - 1;
  EXPECT_EQ(list.IsValid(crossed), 1);
  EXPECT_EQ(list.FirstCrossedBounds(), crossed);
  const std::string message = list.CrossedBoundsMessage(crossed);
  // The surface of index 3 is the fourth row of the surfaces table.
  EXPECT_NE(message.find("Parameter 9 (T of surface 4, configuration 2)"), std::string::npos) << message;
  list.RemoveInvalid();
  EXPECT_EQ(list.Get(0).Type, "R") << "order kept";
  EXPECT_EQ(list.Count(), 9);
}

TEST(OptimizationParameters, CrossedBoundsStopTheEngineAndItNamesTheVariable) {
  // The engine sees the parameter's bounds: every trial is withdrawn, and it says which
  // variable left it no room.
  TTestProblem problem({1.0, 2.0}, 2, AtAnyStage([](const std::vector<double> &x, std::vector<double> &f) {
                         f[0] = x[0];
                         f[1] = x[1];
                       }));
  problem.target = {3.0, 3.0};
  problem.lower = {0.0, 5.0};
  problem.upper = {10.0, 2.0};
  ASSERT_EQ(problem.Start(), 1);
  EXPECT_EQ(problem.Iterate(), 0);
  EXPECT_EQ(problem.StopReason, TOptzStop::kCrossedBounds);
  EXPECT_EQ(problem.BlockingVariable, 1);
  EXPECT_EQ(problem.Count(TOptz::kStageTrial), 0);
}

TEST_F(ParametersTest, CurvatureReadsAndSetsTheRadius) {
  TSingleConfiguration single(system_);
  TOptimizationParameters list;
  list.SetOwner(&single);
  S(1).SetRadius(40.0);
  S(1).general.type = kSurfaceSphere;
  list.Add(Parameter(0, 1, "R", -0.1, 0.1));
  list.Add(Parameter(0, 2, "R", -0.1, 0.1));
  list.ReadFromSystem();
  EXPECT_EQ(list.Value(0), 1.0 / 40.0);
  EXPECT_EQ(list.Value(1), 0.0) << "a plane surface";
  EXPECT_EQ(list.SetValue(0, 0.02), 1);
  EXPECT_EQ(S(1).general.R, 50.0);
  EXPECT_EQ(list.SetValue(0, 1e-40), 1);
  EXPECT_EQ(S(1).general.R, 0.0) << "a curvature below 8.43e-37 is a plane";
  // The value it already has: nothing to do.
  S(1).SetRadius(33.0);
  EXPECT_EQ(list.SetValue(0, 1e-40), 1);
  EXPECT_EQ(S(1).general.R, 33.0);
}

TEST_F(ParametersTest, AsphericCoefficientsFollowTheTypeCodeTable) {
  TSingleConfiguration single(system_);
  TOptimizationParameters list;
  list.SetOwner(&single);
  auto set = [&](int type, const char *parameter, double v) {
    S(1).general.type = type;
    TOptimizationParameters one;
    one.SetOwner(&single);
    one.Add(Parameter(0, 1, parameter, -1.0, 1.0));
    one.StoreValue(0, 12345.0);
    return one.SetValue(0, v);
  };
  // Codes 1 and 6: the radius, whatever k.
  EXPECT_EQ(set(kSurfaceSphere, "A3", 25.0), 1);
  EXPECT_EQ(S(1).general.R, 25.0);
  EXPECT_EQ(set(kSurfaceCylinder, "A", 26.0), 1);
  EXPECT_EQ(S(1).general.R, 26.0);
  // Code 2: k = 0 the radius, k = 1 the conic term, other k nothing.
  EXPECT_EQ(set(kSurfaceAspheric2, "A0", 30.0), 1);
  EXPECT_EQ(S(1).general.R, 30.0);
  EXPECT_EQ(set(kSurfaceAspheric2, "A1", -1.5), 1);
  EXPECT_EQ(S(1).general.Ex, -1.5);
  EXPECT_EQ(set(kSurfaceAspheric2, "A2", 7.0), 1);
  EXPECT_EQ(S(1).general.R, 30.0);
  EXPECT_EQ(S(1).general.Ex, -1.5);
  // Code 3: coefficient 0 is -2R; 0 makes the surface plane and answers 0.
  EXPECT_EQ(set(kSurfaceAsphericHigh1, "A0", 0.04), 1);
  EXPECT_EQ(S(1).general.R, -0.02);
  EXPECT_EQ(S(1).AsCoef.data[0], 0.04);
  EXPECT_EQ(S(1).hasAsCoef, 1);
  EXPECT_EQ(set(kSurfaceAsphericHigh1, "A0", 0.0), 0);
  EXPECT_EQ(S(1).general.R, 0.0);
  // Code 4: coefficient 0 is 1/(2R); 0 is stored, the radius stays, the answer is 0.
  EXPECT_EQ(set(kSurfaceAsphericHigh2, "A0", 0.01), 1);
  EXPECT_EQ(S(1).general.R, 50.0);
  EXPECT_EQ(set(kSurfaceAsphericHigh2, "A0", 0.0), 0);
  EXPECT_EQ(S(1).AsCoef.data[0], 0.0);
  EXPECT_EQ(S(1).general.R, 50.0);
  // Codes 5 and 9: coefficient 0 is 1/R; 0 answers 0 and leaves the radius.
  EXPECT_EQ(set(kSurfaceAsphericStandard, "A0", 0.025), 1);
  EXPECT_EQ(S(1).general.R, 40.0);
  EXPECT_EQ(set(kSurfaceFresnel, "A0", 0.0), 0);
  EXPECT_EQ(S(1).general.R, 40.0);
  // Higher coefficients grow the list, keeping what it held.
  EXPECT_EQ(set(kSurfaceAsphericStandard, "A5", 3e-7), 1);
  ASSERT_EQ(S(1).AsCoef.cols * S(1).AsCoef.rows, 6);
  EXPECT_EQ(S(1).AsCoef.data[5], 3e-7);
  EXPECT_EQ(S(1).AsCoef.data[0], 0.0);
  EXPECT_EQ(S(1).general.R, 40.0);
  // Codes 7 and 8: coefficient 0 is R itself.
  EXPECT_EQ(set(kSurfaceTor, "A0", -60.0), 1);
  EXPECT_EQ(S(1).general.R, -60.0);
  // A plane takes nothing.
  S(1).AsCoef.Clear();
  EXPECT_EQ(set(kSurfacePlane, "A0", 5.0), 1);
  EXPECT_EQ(S(1).AsCoef.data, nullptr);
}

TEST_F(ParametersTest, ReadingAsphericValuesLeavesTheSurfaceFlags) {
  TSingleConfiguration single(system_);
  TOptimizationParameters list;
  list.SetOwner(&single);
  S(1).general.type = kSurfaceAspheric2;
  S(1).SetRadius(80.0);
  S(1).general.Ex = -0.5;
  S(1).hasAsCoef = 1;
  S(2).general.type = kSurfaceAsphericStandard;
  const double coefficients[3] = {0.0125, 0.0, 2e-6};
  S(2).AsCoef.Allocate(3, 1);
  for (int k = 0; k < 3; ++k) S(2).AsCoef.data[k] = coefficients[k];
  S(2).hasAsCoef = 0;
  S(3).general.type = kSurfaceSphere;
  list.Add(Parameter(0, 1, "A0", -1.0, 1.0));
  list.Add(Parameter(0, 1, "A1", -1.0, 1.0));
  list.Add(Parameter(0, 1, "A2", -1.0, 1.0));  // code 2 has no coefficient 2: dropped
  list.Add(Parameter(0, 2, "A2", -1.0, 1.0));
  list.Add(Parameter(0, 2, "A7", -1.0, 1.0));  // beyond the list: 0
  list.Add(Parameter(0, 3, "A0", -1.0, 1.0));  // a sphere has none: dropped
  list.ReadFromSystem();
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Value(0), 80.0);
  EXPECT_EQ(list.Value(1), -0.5);
  EXPECT_EQ(list.Value(2), 2e-6);
  EXPECT_EQ(list.Value(3), 0.0);
  EXPECT_EQ(S(1).hasAsCoef, 1);
  EXPECT_EQ(S(2).hasAsCoef, 0);
}

TEST_F(ParametersTest, HologramCoefficients) {
  TSingleConfiguration single(system_);
  TOptimizationParameters list;
  list.SetOwner(&single);
  THOEParameters hoe;
  hoe.Vh.Allocate(2, 1);
  hoe.Vh.data[0] = -1e-3;
  hoe.Vh.data[1] = 2e-5;
  S(2).SetHOE(hoe, 0);
  list.Add(Parameter(0, 2, "H1", -1.0, 1.0));
  list.Add(Parameter(0, 2, "H4", -1.0, 1.0));
  list.Add(Parameter(0, 1, "H0", -1.0, 1.0));  // no hologram on surface 1
  list.ReadFromSystem();
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Value(0), 2e-5);
  EXPECT_EQ(list.Value(1), 0.0);
  EXPECT_EQ(list.Value(2), 0.0);
  EXPECT_EQ(list.SetValue(1, 7e-9), 1);
  ASSERT_EQ(S(2).hoe->Vh.cols * S(2).hoe->Vh.rows, 5);
  EXPECT_EQ(S(2).hoe->Vh.data[4], 7e-9);
  EXPECT_EQ(S(2).hoe->Vh.data[1], 2e-5);
  EXPECT_EQ(list.SetValue(2, 1.0), 1);
  EXPECT_EQ(S(1).hoe, nullptr);
}

TEST_F(ParametersTest, DistanceMovesTheNextSurfaceAlongTheAxialRay) {
  TSingleConfiguration single(system_);
  TOptimizationParameters list;
  list.SetOwner(&single);
  list.Add(Parameter(0, 1, "T", 1.0, 20.0));
  list.Add(Parameter(0, 4, "T", 1.0, 20.0));  // the last surface: nothing follows it
  list.ReadFromSystem();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Value(0), 5.0);
  // Global positions: only surface 2 moves, so the gap after it shrinks.
  EXPECT_EQ(list.SetValue(0, 8.0), 1);
  EXPECT_APPROX(X(2), 18.0, kPositionTolerance);
  EXPECT_APPROX(X(3), 30.0, kPositionTolerance);
  // Positions relative to the previous surface: every later surface follows.
  system_.info.Coord = 0;
  EXPECT_EQ(list.SetValue(0, 6.0), 1);
  EXPECT_APPROX(X(2), 16.0, kPositionTolerance);
  EXPECT_APPROX(X(3), 28.0, kPositionTolerance);
  EXPECT_APPROX(X(4), 38.0, kPositionTolerance);
  EXPECT_EQ(list.SetValue(1, 3.0), 0);
}

TEST_F(ParametersTest, DecentredSurfaceKeepsItsOffset) {
  TSingleConfiguration single(system_);
  TOptimizationParameters list;
  list.SetOwner(&single);
  S(2).SetPosition(15.0, 2.0, 0.0);  // 2 off the axis
  S(3).SetPosition(12.0, 0.0, 0.0);  // behind surface 2 along the ray
  list.Add(Parameter(0, 1, "T", 1.0, 20.0));
  list.Add(Parameter(0, 2, "T", -20.0, 20.0));
  list.ReadFromSystem();
  // Distances along the axial ray, signed: not the vertex distances sqrt(29) and 3.6.
  EXPECT_APPROX(list.Value(0), 5.0, kPositionTolerance);
  EXPECT_APPROX(list.Value(1), -3.0, kPositionTolerance);
  // Setting the distance it has moves nothing; a new one keeps the offset.
  EXPECT_EQ(list.SetValue(0, list.Value(0)), 1);
  EXPECT_EQ(S(2).general.vertex[1], 2.0);
  EXPECT_EQ(list.SetValue(0, 7.0), 1);
  EXPECT_APPROX(X(2), 17.0, kPositionTolerance);
  EXPECT_APPROX(S(2).general.vertex[1], 2.0, kPositionTolerance);
}

TEST_F(ParametersTest, OtherConfigurationsAreSelectedStoredAndLeft) {
  TConfigurationSnapshots configurations(system_, 2);
  configurations.SetVertexX(1, 2, 20.0);  // configuration 1: surface 2 at 20
  TOptimizationParameters list;
  list.SetOwner(&configurations);
  list.Add(Parameter(1, 1, "T", 1.0, 20.0));
  list.Add(Parameter(0, 1, "T", 1.0, 20.0));
  list.ReadFromSystem();
  EXPECT_EQ(list.Value(0), 10.0);
  EXPECT_EQ(list.Value(1), 5.0);
  EXPECT_EQ(configurations.CurrentConfiguration(), 0) << "the current configuration comes back";
  // In configuration 1 every later surface follows surface 2, and the configuration is
  // stored back.
  const int stores = configurations.stores;
  EXPECT_EQ(list.SetValue(0, 12.0), 1);
  EXPECT_EQ(configurations.CurrentConfiguration(), 1);
  EXPECT_EQ(configurations.stores, stores + 1);
  EXPECT_APPROX(X(2), 22.0, kPositionTolerance);
  EXPECT_APPROX(X(3), 32.0, kPositionTolerance);
  configurations.SelectConfiguration(0);
  EXPECT_EQ(X(2), 15.0);
  configurations.SelectConfiguration(1);
  EXPECT_APPROX(X(2), 22.0, kPositionTolerance);
}

TEST_F(ParametersTest, ParametersOutsideTheSystemAreLeftAlone) {
  TSingleConfiguration single(system_);
  TOptimizationParameters list;
  list.SetOwner(&single);
  list.Add(Parameter(0, 9, "R", -1.0, 1.0));
  list.Add(Parameter(3, 1, "R", -1.0, 1.0));  // no such configuration
  list.ReadFromSystem();
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.SetValue(0, 0.5), 0);
  EXPECT_EQ(list.Value(0), 0.5) << "stored all the same";
  EXPECT_EQ(list.SetValue(1, 0.5), 0);
  EXPECT_EQ(S(1).general.R, 0.0);
}
