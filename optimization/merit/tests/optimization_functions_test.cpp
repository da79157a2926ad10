// The merit-function set: the order and content of the flat index, weights, the fault
// record, and building the records for a system of several configurations.

#include "optimization/merit/optimization_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "foundation/testing/approx.h"
#include "optics/model/optical_system.h"
#include "optimization/system/tests/configuration_snapshots.h"
#include "platform/core/recording_providers.h"

namespace {

// Hundredths and sums of a few of them.
constexpr double kHeightTolerance = 1e-12;
// Focal length of a prepared singlet against the thick-lens formula: rounding only.
constexpr double kFocalTolerance = 1e-9;

// Every function of record r weighted (weight = 1 + position in the table), so the index
// holds all of them.
void WeightEverything(TFunctionsParameters &r) {
  double weight = 1.0;
  for (Mem<TFunctionDescription> *table : {&r.Focus, &r.Magnification, &r.Sfs, &r.LengthOfSystem, &r.Distor,
                                           &r.Strehl, &r.AberT, &r.AberTSag, &r.AberW, &r.AberWSag})
    for (int k = 0; k < table->cols * table->rows; ++k) table->data[k].Weight = weight++;
  r.Narciss.Weight = weight;
  r.Wbeam = 1.0;
}

std::vector<int> Kinds(const TOptimizationFunctions &set) {
  std::vector<int> kinds;
  for (int i = 0; i < set.Count(); ++i) kinds.push_back(set.index.data[i].Kind);
  return kinds;
}

// A system without surfaces whose fields and focal data are set by hand.
void SetFields(TOpticalSystem &system, const std::vector<double> &fields) {
  system.info.AlfaM.Clear();
  if (fields.empty()) return;
  system.info.AlfaM.Allocate(static_cast<int>(fields.size()), 1);
  for (std::size_t k = 0; k < fields.size(); ++k) system.info.AlfaM.data[k] = fields[k];
}

}  // namespace

TEST(OptimizationFunctions, IndexOrderOfOneBeamWithEveryWeightSet) {
  TOptimizationFunctions set;
  ASSERT_TRUE(set.records.Allocate(1, 1));
  WeightEverything(set.records.data[0]);
  set.BuildIndex();
  // Beam-0 kinds, the distortion, then per ray the transverse and the wave aberration.
  EXPECT_EQ(Kinds(set), (std::vector<int>{kFunctionFocus, kFunctionSfs, kFunctionLengthOfSystem,
                                          kFunctionMagnification, kFunctionStrehl, kFunctionNarciss,
                                          kFunctionDistor, kFunctionAberT, kFunctionAberW, kFunctionAberT,
                                          kFunctionAberW, kFunctionAberT, kFunctionAberW}));
  for (int i = 7; i < 13; ++i) EXPECT_EQ(set.index.data[i].Ray, (i - 7) / 2) << i;
  EXPECT_EQ(set.index.data[0].Ray, -1);

  // Sagittal kinds take part only while sagittal rays are enabled, after their
  // meridional partner.
  set.EnableSagittalRays = 1;
  set.BuildIndex();
  EXPECT_EQ(set.Count(), 7 + 4 * 3);
  EXPECT_EQ(set.index.data[7].Kind, kFunctionAberT);
  EXPECT_EQ(set.index.data[8].Kind, kFunctionAberTSag);
  EXPECT_EQ(set.index.data[9].Kind, kFunctionAberW);
  EXPECT_EQ(set.index.data[10].Kind, kFunctionAberWSag);
}

TEST(OptimizationFunctions, BeamsBeyondTheFirstCarryDistortionAndRaysOnly) {
  TOptimizationFunctions set;
  ASSERT_TRUE(set.records.Allocate(2, 2));  // two configurations, two beams
  for (int k = 0; k < 4; ++k) WeightEverything(set.records.data[k]);
  set.Record(1, 1)->Wbeam = 0.0;  // configuration 1, beam 1: no ray functions
  set.BuildIndex();
  int distortionsOfTheSilentBeam = 0;
  for (int i = 0; i < set.Count(); ++i) {
    const TIndexOfFunction &e = set.index.data[i];
    if (e.Beam == 1) {
      EXPECT_TRUE(e.Kind == kFunctionDistor || e.Kind == kFunctionAberT || e.Kind == kFunctionAberW) << i;
    }
    if (e.Configuration == 1 && e.Beam == 1) {
      EXPECT_EQ(e.Kind, kFunctionDistor);
      ++distortionsOfTheSilentBeam;
    }
  }
  EXPECT_EQ(distortionsOfTheSilentBeam, 1);
  // Per configuration: 13 for beam 0 and 7 for beam 1, less 6 ray functions of (1, 1).
  EXPECT_EQ(set.Count(), 13 + 7 + 13 + 1);
  // Configurations in order, beams in order within each.
  EXPECT_EQ(set.index.data[0].Configuration, 0);
  EXPECT_EQ(set.index.data[13].Beam, 1);
  EXPECT_EQ(set.index.data[20].Configuration, 1);
}

TEST(OptimizationFunctions, RayWeightsAreScaledByTheBeamWeight) {
  TOptimizationFunctions set;
  ASSERT_TRUE(set.records.Allocate(1, 1));
  TFunctionsParameters &r = set.records.data[0];
  r.AberT.data[1] = TFunctionDescription{0.25, 2.0, 0.75};
  r.Distor.data[0] = TFunctionDescription{0.5, 4.0, 0.125};
  r.Wbeam = 0.5;
  set.BuildIndex();
  ASSERT_EQ(Kinds(set), (std::vector<int>{kFunctionDistor, kFunctionAberT}));
  EXPECT_EQ(set.Weight(1), 1.0);  // 2 x 0.5
  EXPECT_EQ(set.Target(1), 0.25);
  EXPECT_EQ(set.Value(1), 0.75);
  EXPECT_EQ(set.Weight(0), 4.0);  // not a ray function: no beam weight
  EXPECT_EQ(set.Value(0), 0.125);
  // Outside the index nothing is read.
  EXPECT_EQ(set.Weight(2), 0.0);
  EXPECT_EQ(set.Value(-1), 0.0);
}

TEST(OptimizationFunctions, EmptiedTableLeavesNoStaleIndex) {
  TOptimizationFunctions set;
  ASSERT_TRUE(set.records.Allocate(1, 1));
  WeightEverything(set.records.data[0]);
  set.BuildIndex();
  ASSERT_EQ(set.Count(), 13);
  set.fault.missed = 1;
  set.records.Clear();
  set.BuildIndex();
  EXPECT_EQ(set.Count(), 0);
  EXPECT_EQ(set.Value(0), 0.0);
  EXPECT_EQ(set.fault.AnyFlagSet(), 0);

  // An entry whose record went away reads as nothing rather than past the table.
  ASSERT_TRUE(set.records.Allocate(1, 1));
  WeightEverything(set.records.data[0]);
  set.BuildIndex();
  set.records.Resize(1, 1);
  set.records.data[0].AberT.Resize(1, 1);
  EXPECT_EQ(set.Weight(set.Count() - 2), 0.0);  // AberT of ray 2 no longer exists
}

TEST(OptimizationFault, HeightsAreKeptToHundredths) {
  TOptimizationFault fault;
  fault.NoteFailedHeight(2.345);
  EXPECT_EQ(fault.failedHeight, 2.345);  // the first failure unrounded
  fault.NoteFailedHeight(1.239);
  EXPECT_APPROX(fault.failedHeight, 1.23, kHeightTolerance);
  fault.NoteFailedHeight(1.5);  // larger: kept as it was
  EXPECT_APPROX(fault.failedHeight, 1.23, kHeightTolerance);
  fault.NotePassedHeight(-3.999);
  EXPECT_APPROX(fault.passedHeight, 3.99, kHeightTolerance);
  fault.NotePassedHeight(2.0);
  EXPECT_APPROX(fault.passedHeight, 3.99, kHeightTolerance);
  EXPECT_APPROX(fault.SumOfPair(), 5.22, kHeightTolerance);
  EXPECT_EQ(fault.AnyFlagSet(), 0);
  fault.reflected = 1;
  EXPECT_EQ(fault.AnyFlagSet(), 1);
  fault.Reset();
  EXPECT_EQ(fault.AnyFlagSet(), 0);
  EXPECT_EQ(fault.SumOfPair(), 0.0);
}

TEST(OptimizationFunctions, RebuildTakesBeamsAndTargetsOfEveryConfiguration) {
  TRecordingMessageBoxProvider boxes;
  // A singlet: R1 = 50, R2 = -50, 5 thick, n = 1.5168, in front of a plane at 60.
  TOpticalSystem system;
  const double vertices[4] = {0.0, 10.0, 15.0, 60.0};
  const double radii[4] = {0.0, 50.0, -50.0, 0.0};
  const char *glass[4] = {"", "1.5168", "", ""};
  for (int i = 0; i < 4; ++i) {
    TSurface *s = system.AddSurface(new TSurface(vertices[i], 0.0, 0.0));
    s->general.R = radii[i];
    s->general.type = radii[i] == 0.0 ? kSurfacePlane : kSurfaceSphere;
    s->general.glass = glass[i];
    s->general.semiHeightExt = s->general.semiWidthExt = 12.0;
  }
  system.info.Nray = 7;
  system.info.Unit = 0;
  system.info.firstOrderMode = 0;  // paraxial focal data
  system.info.Naper = 2;
  SetFields(system, {0.0, 3.0, 5.0});
  TConfigurationSnapshots configurations(system, 2);
  configurations.SetFields(1, {0.0, 4.0, 6.0, 7.0});
  configurations.SetVertexX(1, 3, 70.0);  // configuration 1: the image plane 10 further

  TOptimizationFunctions set;
  set.Rebuild(&configurations);
  ASSERT_EQ(set.Configurations(), 2);
  ASSERT_EQ(set.Beams(), 4);  // the most beams of any configuration
  EXPECT_EQ(configurations.CurrentConfiguration(), 0);
  EXPECT_EQ(set.Record(1, 3)->Ybeam, 7.0);
  EXPECT_EQ(set.Record(1, 3)->Wbeam, 1.0);
  EXPECT_EQ(set.Record(1, 3)->NrayInBeam, 7);
  EXPECT_EQ(set.Record(0, 2)->Ybeam, 5.0);
  EXPECT_EQ(set.Record(0, 3)->Wbeam, 0.0) << "configuration 0 has three beams";
  // Thick lens: 1/f = (n - 1) (1/R1 - 1/R2 + (n - 1) d / (n R1 R2)).
  const double n = 1.5168;
  const double f = 1.0 / ((n - 1.0) * (1.0 / 50.0 + 1.0 / 50.0 - (n - 1.0) * 5.0 / (n * 50.0 * 50.0)));
  for (int c = 0; c < 2; ++c) {
    const TFunctionsParameters &first = *set.Record(c, 0);
    EXPECT_APPROX(first.Focus.data[0].Target, f, kFocalTolerance) << c;
    EXPECT_EQ(first.Focus.data[0].Weight, 0.0);
    EXPECT_EQ(first.Strehl.data[0].Target, 1.0);
  }
  EXPECT_EQ(set.Record(0, 0)->LengthOfSystem.data[0].Target, 60.0);
  EXPECT_EQ(set.Record(1, 0)->LengthOfSystem.data[0].Target, 70.0);
  EXPECT_EQ(set.footprint.cols, 4);

  // The same system again changes nothing, not even edited beams.
  set.Record(0, 1)->Ybeam = 9.0;
  set.Rebuild(&configurations);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 9.0);

  // Polychrome: one entry per wavelength, each equal to entry 0.
  system.info.Spectrum.Allocate(3, 1);
  set.Record(0, 0)->Focus.data[0].Weight = 2.0;
  set.Record(0, 0)->AberT.data[0].Weight = 5.0;
  set.SetPolychrome(1);
  const TFunctionsParameters &first = *set.Record(0, 0);
  ASSERT_EQ(first.Focus.cols, 3);
  ASSERT_EQ(first.AberT.cols, 3);
  ASSERT_EQ(first.AberT.rows, 7);
  for (int w = 0; w < 3; ++w) {
    EXPECT_EQ(first.Focus.data[w].Weight, 2.0);
    EXPECT_EQ(first.AberT.data[w].Weight, 5.0);
  }

  // RestoreSystem goes back to the configuration the run started in and redraws.
  set.RunStartConfiguration = 1;
  set.RestoreSystem();
  EXPECT_EQ(configurations.CurrentConfiguration(), 1);
  EXPECT_EQ(configurations.refreshes, 1);
}

TEST(OptimizationFunctions, SystemWithoutBeamsGivesAnEmptyTable) {
  TRecordingMessageBoxProvider boxes;
  TOpticalSystem system;
  SetFields(system, {});
  TSingleConfiguration single(system);
  TOptimizationFunctions set;
  set.Rebuild(&single);
  EXPECT_EQ(set.Configurations() * set.Beams(), 0);
  set.SetConfigurations();
  EXPECT_EQ(set.Count(), 0);
}

TEST(OptimizationFunctions, RayCountIsNeverBelowThree) {
  TOptimizationFunctions set;
  ASSERT_TRUE(set.records.Allocate(1, 1));
  set.records.data[0].NrayInBeam = 1;
  set.records.data[0].AberT.data[0].Weight = 1.0;
  set.records.data[0].Wbeam = 1.0;
  set.SetConfigurations();
  EXPECT_EQ(set.records.data[0].NrayInBeam, 3);
  EXPECT_EQ(set.records.data[0].AberT.rows, 3);
  // Cell (0, 0) was copied to nothing else: only ray 0 carries the weight.
  EXPECT_EQ(set.Count(), 1);
}
