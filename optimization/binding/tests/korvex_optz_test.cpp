// The engine bound to the optical system and the run: a singlet's curvature driven to a
// focal length, a doublet's transverse aberrations lowered, a stop keeping the last
// accepted step, failures and refusals reported, the progress window's texts and gauge,
// and the derivative-step rule.

#include "optimization/binding/korvex_optz.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "foundation/filewrite/file_replace.h"
#include "foundation/testing/approx.h"
#include "optimization/binding/optimization_progress.h"
#include "optimization/binding/parameter_file_write.h"
#include "optimization/binding/tests/run_test_support.h"

namespace {

// The focal length the run must reach: the merit tolerance 1e-16 is a squared residual.
constexpr double kFocalTolerance = 1e-6;
// A thickness against the difference of two vertices some 40 mm from the origin: rounding.
constexpr double kVertexTolerance = 1e-12;
// One trace of the same prescription in two systems: the merits agree to rounding.
constexpr double kSameTrace = 1e-9;
// Moves of the simplex search: enough to settle the shipped lenses' three and five
// variables to a few parts in a million of their minimum merit.
constexpr int kSimplexMoves = 400;
// The progress window writes a merit with three digits: its last one, relative and absolute.
constexpr double kShownMerit = 5e-3;
constexpr double kShownMeritDigit = 1e-3;

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

// An engine bound to a run's variables and functions, with a pump published, that only
// evaluates: Merit gives the merit at the variables' present values (a huge one when the
// rays fail).
class TMeritProbe {
 public:
  TMeritProbe(TOptimizationParameters &parameters, TOptimizationFunctions &functions)
      : optz(parameters.Count(), functions.Count()), functions_(functions) {
    optz.Parameters = &parameters;
    optz.Functions = &functions;
    functions.runPump = &pump;
  }
  ~TMeritProbe() { functions_.runPump = nullptr; }
  double Merit() { return optz.Start() == 1 ? optz.Merit : 1e30; }

  TKorvexOptz optz;

 private:
  TCountingPump pump;
  TOptimizationFunctions &functions_;
};

// The least of f found by a Nelder-Mead simplex, which uses no derivatives: from x0 with
// the first simplex's edges size x0_i along each axis, for the given number of moves.
double SimplexMinimum(const std::function<double(const std::vector<double> &)> &f, const std::vector<double> &x0,
                      double size, int moves) {
  const std::size_t n = x0.size();
  std::vector<std::vector<double>> x(n + 1, x0);
  for (std::size_t i = 0; i < n; ++i) x[i + 1][i] *= 1.0 + size;
  std::vector<double> fx(n + 1);
  for (std::size_t k = 0; k <= n; ++k) fx[k] = f(x[k]);
  for (int move = 0; move < moves; ++move) {
    std::vector<std::size_t> order(n + 1);
    for (std::size_t k = 0; k <= n; ++k) order[k] = k;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return fx[a] < fx[b]; });
    const std::size_t best = order[0], worst = order[n], second = order[n - 1];
    std::vector<double> centre(n, 0.0);
    for (std::size_t k = 0; k < n; ++k)
      for (std::size_t i = 0; i < n; ++i) centre[i] += x[order[k]][i] / static_cast<double>(n);
    auto along = [&](double t) {
      std::vector<double> p(n);
      for (std::size_t i = 0; i < n; ++i) p[i] = centre[i] + t * (x[worst][i] - centre[i]);
      return p;
    };
    auto take = [&](const std::vector<double> &p, double fp) { x[worst] = p, fx[worst] = fp; };
    const std::vector<double> reflected = along(-1.0);
    const double fr = f(reflected);
    if (fr < fx[best]) {
      const std::vector<double> expanded = along(-2.0);
      const double fe = f(expanded);
      fe < fr ? take(expanded, fe) : take(reflected, fr);
    } else if (fr < fx[second]) {
      take(reflected, fr);
    } else {
      const std::vector<double> contracted = along(fr < fx[worst] ? -0.5 : 0.5);
      const double fc = f(contracted);
      if (fc < std::min(fr, fx[worst])) {
        take(contracted, fc);
      } else {
        for (std::size_t k = 0; k <= n; ++k) {
          if (k == best) continue;
          for (std::size_t i = 0; i < n; ++i) x[k][i] = x[best][i] + 0.5 * (x[k][i] - x[best][i]);
          fx[k] = f(x[k]);
        }
      }
    }
  }
  return *std::min_element(fx.begin(), fx.end());
}

}  // namespace

TEST_F(KorvexOptz, OneCurvatureDrivesTheSingletToAFocalLengthOf100) {
  SetUpSinglet();
  TTestRunHost host;
  // The default file is replaced once, whole: a stop leaves the old one or the new one.
  static int replaced = 0;
  const TReplaceWatcher before = SetReplaceWatcher([](const std::string &path) { replaced += path.ends_with("/default.par"); });
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, Scratch("default.par")), kRunCompleted);
  SetReplaceWatcher(before);
  EXPECT_EQ(replaced, 1);
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

// A list emptied by the user clears the file's variables (a count of 0, no record) in the
// same one write that keeps its merit functions.
TEST_F(KorvexOptz, AnEmptiedListClearsTheFilesVariablesAndKeepsItsFunctions) {
  SetUpSinglet();
  const std::string path = Scratch("emptied.par");
  ASSERT_TRUE(WriteParameterFile(path, path, &parameters, set).Written());
  ASSERT_NE(ReadText(path).find("Surf="), std::string::npos);
  TOptimizationParameters none;
  ASSERT_TRUE(WriteParameterFile(path, path, &none, set).Written());
  const std::string text = ReadText(path);
  EXPECT_TRUE(text.find("[Common]\nNumPar=0\n") != std::string::npos && text.find("Surf=") == std::string::npos &&
              text.find("[Functions]") != std::string::npos)
      << text;
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

TEST_F(KorvexOptz, AFlatSurfaceWhoseCurvatureIsAVariableHasTheMeritOfItsSavedFile) {
  // The achromat read with its rear face flat (a plane by its R 0), focal length 100 and the
  // transverse aberrations weighted: the curvature of the rear face, or of the image
  // surface, must bend it in the run's trace as it does in the file saved and read again.
  std::string text = ReadText(ExamplePath("achromat.os"));
  text.replace(text.find("R=-2132.4"), 9, "R=0");
  WriteText(Scratch("flat.os"), text);
  for (const int flat : {3, 4}) {
    SCOPED_TRACE(flat);
    TOpticalSystem lens[2];
    TSingleConfiguration owner[2] = {TSingleConfiguration{lens[0]}, TSingleConfiguration{lens[1]}};
    TOptimizationFunctions functions[2];
    TOptimizationParameters variables[2];
    double merit[2];
    for (int k = 0; k < 2; ++k) {
      ASSERT_EQ(lens[k].ReadFile(Scratch(k == 0 ? "flat.os" : "saved.os"), 0), 1);
      functions[k].Rebuild(&owner[k]);
      ClearWeights(functions[k]);
      Weigh(functions[k].Record(0, 0)->Focus, 100.0, 1.0);
      for (int r = 0; r < functions[k].Beams(); ++r) Weigh(functions[k].Record(0, r)->AberT, 0.0, 10.0);
      functions[k].SetConfigurations();
      variables[k].SetOwner(&owner[k]);
      const std::pair<int, const char *> list[] = {{1, "R"}, {2, "R"}, {3, "R"}, {flat, flat == 3 ? "T" : "R"}};
      for (const auto &[surface, type] : list) {
        TParameterDescription p;
        p.Set(0, surface, type, std::string(type) == "T" ? 80.0 : -0.1, std::string(type) == "T" ? 120.0 : 0.1);
        variables[k].Add(p);
      }
      if (k == 0) {
        ASSERT_EQ(lens[0].Surface(flat)->GetType(), kSurfacePlane);
        TTestRunHost host;
        ASSERT_EQ(RunOptimization(owner[0], variables[0], functions[0], host, ""), kRunCompleted);
        ASSERT_NE(lens[0].Surface(flat)->general.R, 0.0);
        ASSERT_EQ(lens[0].WriteFile(Scratch("saved.os").c_str()), 1);
      }
      variables[k].ReadFromSystem();
      merit[k] = TMeritProbe(variables[k], functions[k]).Merit();
    }
    EXPECT_APPROX(merit[1], merit[0], kSameTrace);
  }
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

// A chief ray stopped at a rim is named with that surface and its distance from the rim's
// centre, and a field that no aim takes through the stop's centre is called too wide; neither
// is offered a smaller pupil, which moves no chief ray.
struct TStoppedChiefRow {
  const char *name, *example;
  double field;
  int surface;        // the index of the surface that stops the chief ray; -1: no chief ray at all
  double semiHeight;  // the rim given to that surface, centred rimCentre across the axis (0: its own)
  double rimCentre;
  double lastGap;     // the gap before the image (0: the file's)
};

class StoppedChiefReport : public KorvexOptz, public testing::WithParamInterface<TStoppedChiefRow> {};

TEST_P(StoppedChiefReport, NamesTheSurfaceAndTheLandingFromTheRimCentre) {
  const TStoppedChiefRow &row = GetParam();
  Load(system, row.example);
  const int image = system.SurfaceCount() - 1;
  if (row.semiHeight > 0.0) {
    TGeneralParameters &g = system.Surface(row.surface)->general;
    g.semiHeightExt = g.semiWidthExt = row.semiHeight;
    g.boundPosYExt = row.rimCentre;
  }
  if (row.lastGap > 0.0) system.Surface(image)->general.vertex[0] = system.Surface(image - 1)->general.vertex[0] + row.lastGap;
  MarkModelChanged();
  char said[320];
  std::snprintf(said, sizeof said, "No chief ray of beam %g reaches the centre of the stop: the field is too wide "
                "for the system.\n\n1. Set beam %g nearer the axis\n2. Repeat", row.field, row.field);
  if (row.surface >= 0) {
    // Where the chief ray meets the surface, traced on through every rim.
    system.Prepare(0.0, 1, 0);
    ASSERT_EQ(system.SolveChiefRay(row.field, 0.0), 1);
    TCurrentRay chief = system.MakeRay(row.field, 0.0, 0.0, 0.0);
    chief.traceThrough = 1;
    Mem<TIntersectionPoint> hits;
    system.TraceRay(chief, kTracePlainGlobal, &hits, 0);
    const TIntersectionPoint &hit = hits.data[row.surface];
    const double p[3] = {hit.x, hit.y, hit.z}, d[3] = {hit.L, hit.M, hit.N};
    const TIntersectionPoint local = system.ToSurfaceFrame(row.surface, p, d);
    const TGeneralParameters &g = system.Surface(row.surface)->general;
    const double landed = std::hypot(local.y - g.boundPosYExt, local.z - g.boundPosXExt);
    ASSERT_GT(landed, g.semiHeightExt);
    std::snprintf(said, sizeof said, "meets surface %d%s %.4g mm from the centre of its rim, outside its semi-height "
                  "of %g mm.\n\n1. Raise the semi-height of surface %d above %.4g mm, or set beam %g nearer the axis\n"
                  "2. Repeat", row.surface + 1, row.surface == image ? " (the image surface)" : "", landed,
                  g.semiHeightExt, row.surface + 1, landed, row.field);
  }
  set.Rebuild(&configured);
  ClearWeights(set);
  TFunctionsParameters &beam = *set.Record(0, 0);
  beam.Ybeam = row.field;
  Weigh(beam.AberT, 0.0, 1.0);
  set.SetConfigurations();
  parameters.SetOwner(&configured);
  TParameterDescription gap;
  gap.Set(0, image - 1, "T", 1.0, 100.0);
  parameters.Add(gap);
  TTestRunHost host;
  EXPECT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunFailed);
  ASSERT_EQ(BoxCount(), 1u);
  const std::string &text = Boxes().boxes[0].text;
  EXPECT_NE(text.find("1. Chief ray does not pass\n\n"), std::string::npos) << text;
  EXPECT_NE(text.find(said), std::string::npos) << said << "\nin:\n" << text;
  EXPECT_EQ(text.find("pupil"), std::string::npos) << text;
}

// The double Gauss's 14 degree chief ray crosses the plane before the lenses 11 mm low, the
// front lens 8.6 mm low (beyond a rim of 8, the search's former reach), and with the last gap
// at 70 lands outside the image's 26. At 45 degrees no ray of the triplet reaches its stop.
INSTANTIATE_TEST_SUITE_P(Stops, StoppedChiefReport,
                         testing::Values(TStoppedChiefRow{"FirstSurface", "double_gauss.os", 14.0, 0, 2.0, 0.0, 0.0},
                                         TStoppedChiefRow{"FrontLens", "double_gauss.os", 14.0, 1, 8.0, 0.0, 0.0},
                                         TStoppedChiefRow{"MiddleSurface", "double_gauss.os", 14.0, 3, 3.0, 0.0, 0.0},
                                         TStoppedChiefRow{"DecentredRim", "double_gauss.os", 20.0, 11, 14.0, -3.0, 0.0},
                                         TStoppedChiefRow{"Image", "double_gauss.os", 14.0, 12, 0.0, 0.0, 70.0},
                                         TStoppedChiefRow{"FieldTooWide", "cooke_triplet.os", 45.0, -1, 0.0, 0.0, 0.0}),
                         [](const testing::TestParamInfo<TStoppedChiefRow> &row) { return std::string(row.param.name); });

TEST_F(KorvexOptz, TheProgressWindowShowsTheWeightedMerit) {
  // Focal length (target 100, weight 1) and back focal distance (target 90, weight 3) pull
  // the one curvature two ways: the window's merit is the sum of (W (T - F))^2.
  SetUpSinglet();
  Weigh(set.Record(0, 0)->Sfs, 90.0, 3.0);
  set.SetConfigurations();
  TRecordingViewer viewer;
  TTestRunHost host;
  ASSERT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunCompleted);
  const double focal = FocalLengthNow(), back = system.info.backFocalDistance;
  const double weighted = std::pow(100.0 - focal, 2) + std::pow(3.0 * (90.0 - back), 2);
  const double unweighted = std::pow(100.0 - focal, 2) + std::pow(90.0 - back, 2);
  ASSERT_GT(std::fabs(weighted - unweighted), 0.01 * weighted);
  const double shown = std::stod(viewer.fields[kViewerCurrentMerit]);
  EXPECT_NEAR(shown, weighted, std::max(kShownMerit * weighted, kShownMeritDigit));
  const std::string bracketed = viewer.fields[kViewerCurrentUnweighted];
  EXPECT_NEAR(std::stod(bracketed.substr(2)), unweighted, std::max(kShownMerit * unweighted, kShownMeritDigit));
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
  // One ray of the merit's fans meets a rim (as a plain trace of each alone finds), at the
  // start and at the end: a gap moves no rim across the beams.
  EXPECT_EQ(viewer.fields[kViewerStoppedRays], "1 -> 1");
  // A minimum indeed: a hundredth of a millimetre either way raises the merit.
  TMeritProbe probe(parameters, set);
  auto meritAt = [&](double t) {
    parameters.SetValue(0, t);
    return probe.Merit();
  };
  const double atMinimum = meritAt(thickness);
  EXPECT_LT(atMinimum, 1e30);
  EXPECT_GT(meritAt(thickness - 0.01), atMinimum);
  EXPECT_GT(meritAt(thickness + 0.01), atMinimum);
}

// The singlet defocused by a flatter back face, its image plane narrowed to 2 mm: the axial
// fan's outer rays land beyond that rim at the start, and the run that brings the focus back
// onto the plane frees every one of them, which the progress window counts down to 0.
TEST_F(KorvexOptz, ARunThatFreesEveryStoppedRayCountsThemDownToNothing) {
  SetUpSinglet();
  ClearWeights(set);
  Weigh(set.Record(0, 0)->AberT, 0.0, 1.0);
  set.SetConfigurations();
  system.Surface(3)->general.semiHeightExt = 2.0;
  parameters.SetValue(0, -0.005);
  TRecordingViewer viewer;
  TTestRunHost host;
  ASSERT_EQ(RunOptimization(configured, parameters, set, host, ""), kRunCompleted);
  const std::string counts = viewer.fields[kViewerStoppedRays];
  const std::size_t arrow = counts.find(" -> ");
  ASSERT_NE(arrow, std::string::npos) << counts;
  EXPECT_GT(std::stoi(counts.substr(0, arrow)), 0) << counts;
  EXPECT_EQ(counts.substr(arrow), " -> 0");
}

TEST_F(KorvexOptz, AStopForWantOfGainIsWithinTheGainOfAnIndependentMinimum) {
  // The runs a designer makes on the shipped lenses with the default merit functions (the
  // focal length held, the transverse aberrations of every beam) and the bounds the
  // variables page gives. A search without derivatives from the same start finds no point
  // the damped steps should have reached: none lower than the stop by the 1 % a step must
  // gain.
  // The triplet again with its last gap bounded from its own value (the merit falls below
  // it) or from above it (the start is clamped to 45): that variable stands on its bound,
  // and the others must still reach the minimum under the same bounds.
  struct TCase {
    const char *example;
    std::vector<std::pair<int, const char *>> variables;  // surface as numbered on screen, type
    double lastLower = 0.0, lastUpper = 0.0;              // bounds of the last variable; -1: its value
  };
  const std::vector<std::pair<int, const char *>> outer = {{2, "R"}, {3, "R"}, {6, "R"}, {7, "R"}, {7, "T"}};
  const TCase cases[] = {{"cooke_triplet.os", outer},
                         {"double_gauss.os", {{11, "R"}, {12, "R"}, {12, "T"}}},
                         {"cooke_triplet.os", outer, -1.0, 60.0},
                         {"cooke_triplet.os", outer, 45.0, 60.0}};
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.example);
    TOpticalSystem lens;
    TSingleConfiguration owner{lens};
    TOptimizationFunctions functions;
    TOptimizationParameters variables;
    Load(lens, c.example);
    functions.Rebuild(&owner);
    functions.Read(Scratch("no-such.fun"));  // the defaults of a system without a file
    variables.SetOwner(&owner);
    for (const auto &[surface, type] : c.variables) {
      TParameterDescription p;
      p.Set(0, surface - 1, type, 0.0, 1.0);
      variables.Add(p);
    }
    variables.ReadFromSystem();
    std::vector<double> start;
    for (int i = 0; i < variables.Count(); ++i) {
      TParameterDescription p = variables.Get(i);
      const double value = variables.Value(i);
      const double span = std::max(std::fabs(p.Type == "T" ? value / 2.0 : value), p.Type == "T" ? 1.0 : 0.02);
      const bool last = i + 1 == variables.Count() && c.lastUpper != 0.0;
      const double lower = last ? (c.lastLower < 0.0 ? value : c.lastLower) : value - span;
      p.Set(0, p.Surf, p.Type, lower, last ? c.lastUpper : value + span);
      variables.Add(p);
      start.push_back(std::max(value, lower));
    }
    TRecordingViewer viewer;
    TTestRunHost host;
    ASSERT_EQ(RunOptimization(owner, variables, functions, host, ""), kRunCompleted);
    EXPECT_EQ(viewer.fields[kViewerStage], "Done: no step gains 1 %");
    TMeritProbe probe(variables, functions);
    auto merit = [&](const std::vector<double> &x) {
      for (std::size_t i = 0; i < x.size(); ++i) {
        const TParameterDescription p = variables.Get(static_cast<int>(i));
        if (x[i] < p.Left || x[i] > p.Right) return 1e30;
        variables.SetValue(static_cast<int>(i), x[i]);
      }
      return probe.Merit();
    };
    std::vector<double> stop;
    for (int i = 0; i < variables.Count(); ++i) stop.push_back(variables.Value(i));
    const double atStart = merit(start), atStop = merit(stop);
    const double independent = SimplexMinimum(merit, start, 0.1, kSimplexMoves);
    EXPECT_LT(atStop, atStart);
    EXPECT_GE(independent, atStop * (1.0 - probe.optz.GainThreshold))
        << atStart << " -> " << atStop << " in " << host.accepted.size() << " iterations; independent minimum "
        << independent;
  }
}
