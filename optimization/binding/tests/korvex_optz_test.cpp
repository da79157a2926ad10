// The engine bound to the optical system and the run: a singlet's curvature driven to a
// focal length, a doublet's transverse aberrations lowered, a stop keeping the last
// accepted step, failures and refusals reported, the progress window's texts and gauge,
// and the derivative-step rule.

#include "optimization/binding/korvex_optz.h"

#include <gtest/gtest.h>

#include <map>

#include "foundation/testing/approx.h"
#include "optimization/binding/optimization_progress.h"
#include "optimization/binding/tests/run_test_support.h"

namespace {

// The focal length the run must reach: the merit tolerance 1e-16 is a squared residual.
constexpr double kFocalTolerance = 1e-6;
// A thickness against the difference of two vertices some 40 mm from the origin: rounding.
constexpr double kVertexTolerance = 1e-12;

// A progress window that keeps what it was told.
class TRecordingViewer : public TOptimizationProgress {
 public:
  TRecordingViewer() { SetCurrentOptimizationViewer(this); }
  ~TRecordingViewer() override { SetCurrentOptimizationViewer(nullptr); }
  void SetFieldText(int id, const std::string &text) override {
    fields[id] = text;
    if (id == kViewerStage) stages.push_back(text);
  }
  void SetGaugePosition(int position) override { gauge.push_back(position); }
  std::map<int, std::string> fields;
  std::vector<std::string> stages;
  std::vector<int> gauge;
};

class KorvexOptz : public EvaluationTest {
 protected:
  // The singlet with only its focal length weighted (target 100) and the curvature of its
  // back face variable.
  void SetUpSinglet() {
    Load(system, "singlet.os");
    set.Rebuild(&configured);
    ClearWeights(set);
    Weigh(set.Record(0, 0)->Focus, 100.0, 1.0);
    set.SetConfigurations();
    parameters.SetOwner(&configured);
    TParameterDescription back;
    back.Set(0, 2, "R", -0.05, 0.05);
    parameters.Add(back);
  }
  double FocalLengthNow() {
    system.Prepare(0.0, 1, 0);
    return system.info.focalLength;
  }

  TOpticalSystem system;
  TSingleConfiguration configured{system};
  TOptimizationFunctions set;
  TOptimizationParameters parameters;
};

}  // namespace

TEST_F(KorvexOptz, OneCurvatureDrivesTheSingletToAFocalLengthOf100) {
  SetUpSinglet();
  TTestRunHost host;
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, Scratch("default.par")), kRunCompleted);
  EXPECT_EQ(host.begun, 1);
  EXPECT_EQ(host.ended, 1);
  ASSERT_FALSE(host.accepted.empty());
  EXPECT_NEAR(FocalLengthNow(), 100.0, kFocalTolerance);
  // The thin-lens estimate of the back face: 1/f = (n - 1)(1/50 - c2), n of N-BK7 at d.
  const double c2 = 1.0 / 50.0 - 1.0 / (100.0 * 0.5168);
  EXPECT_NEAR(1.0 / system.Surface(2)->general.R, c2, 2e-3);
  EXPECT_EQ(BoxCount(), 0u);
  // The parameters and the functions went to the default file first.
  const std::string written = ReadText(Scratch("default.par"));
  EXPECT_NE(written.find("[Parameters]"), std::string::npos);
  EXPECT_NE(written.find("[Functions]"), std::string::npos);
}

TEST_F(KorvexOptz, ADoubletsTransverseAberrationMeritFallsTenfold) {
  Load(system, "achromat.os");
  system.Surface(1)->SetRadius(47.0);  // spoil the cemented doublet
  set.Rebuild(&configured);
  ClearWeights(set);
  TFunctionsParameters &beam = *set.Record(0, 0);
  beam.NrayInBeam = 7;
  Weigh(beam.AberT, 0.0, 1.0);
  for (int r = 1; r < set.Beams(); ++r) set.Record(0, r)->Wbeam = 0.0;
  set.SetConfigurations();
  parameters.SetOwner(&configured);
  for (int s = 1; s <= 3; ++s) {
    TParameterDescription p;
    p.Set(0, s, "R", -0.1, 0.1);
    parameters.Add(p);
  }
  TTestRunHost host;
  double firstMerit = -1.0;
  host.onAccepted = [&](TTestRunHost &) {};
  ASSERT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunCompleted);
  ASSERT_GE(host.accepted.size(), 1u);
  // The merit of the start against that of the end, each from a fresh evaluation.
  TKorvexOptz check(parameters.Count(), set.Count());
  check.Parameters = &parameters;
  check.Functions = &set;
  TCountingPump pump;
  set.runPump = &pump;
  ASSERT_EQ(check.Start(), 1);
  const double finalMerit = check.Merit;
  std::vector<double> start = {1.0 / 47.0, -1.0 / 43.02, -1.0 / 2132.4};
  for (int i = 0; i < 3; ++i) parameters.SetValue(i, start[static_cast<std::size_t>(i)]);
  ASSERT_EQ(check.Start(), 1);
  firstMerit = check.Merit;
  set.runPump = nullptr;
  EXPECT_LE(finalMerit, firstMerit / 10.0) << firstMerit << " -> " << finalMerit;
}

TEST_F(KorvexOptz, StopKeepsTheVariablesOfTheLastAcceptedStep) {
  SetUpSinglet();
  TTestRunHost host;
  // After the first accepted step the run is stopped two pumps later: inside the next
  // iteration, whose evaluations then fail.
  host.onAccepted = [](TTestRunHost &h) {
    if (h.stopAt == 0) h.stopAt = h.pumps + 3;
  };
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunStopped);
  ASSERT_EQ(host.accepted.size(), 1u);
  const double accepted = host.accepted[0][0];
  EXPECT_EQ(1.0 / system.Surface(2)->general.R, accepted);
  EXPECT_EQ(parameters.Value(0), accepted);
  EXPECT_EQ(BoxCount(), 0u);  // a stop is the user's own: nothing to report
  EXPECT_EQ(host.ended, 1);
}

TEST_F(KorvexOptz, AFailedStartIsReportedToTheUser) {
  SetUpSinglet();
  system.Surface(1)->general.glass = "NO-SUCH-GLASS";
  TTestRunHost host;
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunFailed);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes[0].caption, "Optimization fault");
  EXPECT_NE(Boxes().boxes[0].text.find("NO-SUCH-GLASS"), std::string::npos);
  EXPECT_TRUE(host.accepted.empty());
  EXPECT_EQ(host.ended, 1);
  EXPECT_EQ(set.runPump, nullptr);  // the pump is withdrawn with the run
}

TEST_F(KorvexOptz, RefusalsComeInTheirOrderWithWarnings) {
  SetUpSinglet();
  TTestRunHost host;
  // Placing the image surface while the last gap is a variable.
  set.SettingImageSurfaceType = kImageSurfaceAtBackFocus;
  TParameterDescription gap;
  gap.Set(0, 2, "T", 1.0, 100.0);
  parameters.Add(gap);
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunRefused);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes[0].caption, "Warning");
  EXPECT_NE(Boxes().boxes[0].text.find("Discrepancy between functions and parameters!"), std::string::npos);
  set.SettingImageSurfaceType = kImageSurfaceStays;
  // No function.
  ClearWeights(set);
  set.SetConfigurations();
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunRefused);
  EXPECT_EQ(Boxes().boxes.back().text, "It is necessary to set though one function!");
  EXPECT_EQ(host.begun, 0);
}

TEST_F(KorvexOptz, TheFaultReportNamesEveryMotiveAndTheAdvice) {
  TOptimizationFunctions faulty;
  faulty.fault.chief = 1;
  faulty.fault.reflected = 1;
  faulty.fault.NotePassedHeight(3.456);
  faulty.fault.NoteFailedHeight(4.0);
  EXPECT_EQ(FaultReport(faulty),
            "System optimization is fault!\n\n       Motive:\n1. Chief ray does not pass\n"
            "2. There are rays with internal reflection\n\n1. Decrease pupil diameter by value 7.45 mm\n"
            "2. Repeat the optimization process again");
}

TEST_F(KorvexOptz, TheProgressWindowFollowsStagesGaugeAndIterations) {
  SetUpSinglet();
  TRecordingViewer viewer;
  TTestRunHost host;
  ASSERT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunCompleted);
  ASSERT_GE(viewer.stages.size(), 3u);
  EXPECT_EQ(viewer.stages[0], "Computing 1-st step");
  EXPECT_EQ(viewer.stages[1], "Computing iteration init. data");
  EXPECT_EQ(viewer.stages[2], "Computing derivatives");
  EXPECT_EQ(TKorvexOptz::StageText(4), std::string("Constraints violation"));
  // The first evaluation fills the gauge; each iteration starts it again from its share
  // of (n + 35 + 2) m evaluations.
  ASSERT_GE(viewer.gauge.size(), 2u);
  EXPECT_EQ(viewer.gauge[0], 100);
  EXPECT_EQ(viewer.gauge[1], static_cast<int>(100.0 / 38.0 + 0.5));
  EXPECT_EQ(viewer.fields[kViewerIteration], std::to_string(host.accepted.size()));
  EXPECT_EQ(viewer.fields[kViewerCurrentUnweighted].substr(0, 2), "( ");
  EXPECT_EQ(viewer.fields[kViewerTime], "00:00");
}

TEST_F(KorvexOptz, AWindowClosedDuringTheRunIsNotReached) {
  SetUpSinglet();
  TTestRunHost host;
  auto viewer = std::make_unique<TRecordingViewer>();
  host.onAccepted = [&viewer](TTestRunHost &) { viewer.reset(); };
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunCompleted);
  EXPECT_EQ(CurrentOptimizationViewer(), nullptr);
  EXPECT_NEAR(FocalLengthNow(), 100.0, kFocalTolerance);
}

TEST(KorvexOptzText, ElapsedTimeDropsTheHours) {
  EXPECT_EQ(TKorvexOptz::ElapsedText(0), "00:00");
  EXPECT_EQ(TKorvexOptz::ElapsedText(61499), "01:01");
  EXPECT_EQ(TKorvexOptz::ElapsedText(3599000), "59:59");
  EXPECT_EQ(TKorvexOptz::ElapsedText(3600000), "00:00");
}

TEST_F(KorvexOptz, SmallValuesTakeTheirStepFromTheFootprint) {
  SetUpSinglet();
  TParameterDescription gap;
  gap.Set(0, 1, "T", 1.0, 10.0);
  parameters.Add(gap);
  TKorvexOptz optz(parameters.Count(), set.Count());
  optz.Parameters = &parameters;
  optz.Functions = &set;
  ASSERT_TRUE(set.footprint.Allocate(system.SurfaceCount(), 1));
  set.footprint.data[2] = DPOINT3(0.5, 10.0, 0.0);
  // 0.001 of a value wherever that is at least 1e-9.
  EXPECT_EQ(optz.DerivativeStep(0, -0.02), 0.001 * -0.02);
  // A plane curvature: 0.001 (1 - c a) / b^2 with the largest sag a and height b.
  EXPECT_APPROX(optz.DerivativeStep(0, 0.0), 0.001 / 100.0, 1e-15);
  // Any other parameter, and a curvature on a surface no ray reached: 1e-9.
  EXPECT_EQ(optz.DerivativeStep(1, 0.0), 1e-9);
  set.footprint.data[2] = DPOINT3();
  EXPECT_EQ(optz.DerivativeStep(0, 0.0), 1e-9);
}

TEST_F(KorvexOptz, AThicknessOfTheDoubleGaussKeepsItCentredAndEndsAtItsMinimumInWords) {
  // The gap in front of the stop against the transverse aberrations of all three beams.
  // The beams solve their chief rays off the axis; the thickness must still move the
  // following surfaces along the axis, and the run ends at the minimum along it, which the
  // window names (not the restoring stage's "Constraints violation" and a damping of
  // "Infinity").
  Load(system, "double_gauss.os");
  set.Rebuild(&configured);
  for (int r = 0; r < set.Beams(); ++r) Weigh(set.Record(0, r)->AberT, 0.0, 1.0);
  set.SetConfigurations();
  parameters.SetOwner(&configured);
  TParameterDescription gap;
  gap.Set(0, 5, "T", 1.0, 20.0);
  parameters.Add(gap);
  TRecordingViewer viewer;
  TTestRunHost host;
  ASSERT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunCompleted);
  ASSERT_GE(host.accepted.size(), 1u);
  for (int s = 0; s < system.SurfaceCount(); ++s) {
    const DPOINT3 vertex = system.GetSurfacePosition(s, 0, kGlobalFrame);
    EXPECT_EQ(vertex.y, 0.0) << "surface " << s;
    EXPECT_EQ(vertex.z, 0.0) << "surface " << s;
  }
  const double thickness = parameters.Value(0);
  EXPECT_NEAR(system.GetSurfacePosition(6, 0, kGlobalFrame).x - system.GetSurfacePosition(5, 0, kGlobalFrame).x,
              thickness, kVertexTolerance);
  EXPECT_EQ(viewer.fields[kViewerStage], "Done: no step gains 1 %");
  EXPECT_EQ(viewer.fields[kViewerParameter], "");
  // A minimum indeed: a hundredth of a millimetre either way raises the merit.
  TKorvexOptz check(parameters.Count(), set.Count());
  check.Parameters = &parameters;
  check.Functions = &set;
  TCountingPump pump;
  set.runPump = &pump;
  auto meritAt = [&](double t) {
    parameters.SetValue(0, t);
    EXPECT_EQ(check.Start(), 1);
    return check.Merit;
  };
  const double atMinimum = meritAt(thickness);
  EXPECT_GT(meritAt(thickness - 0.01), atMinimum);
  EXPECT_GT(meritAt(thickness + 0.01), atMinimum);
  set.runPump = nullptr;
}
