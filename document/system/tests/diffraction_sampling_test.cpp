#include "optics/psf/diffraction_sampling.h"
#include "document/system/tests/editor_test_support.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// Results are a mantissa times a power of ten: a few units in the last place.
constexpr double kRoundOff = 1e-14;
// An interval from the direction cosines of the paraboloid's real rim rays, against the
// sine of the hand-made rim ray: round-off of the trace.
constexpr double kApertureModel = 1e-12;
// Two intervals of one system, each from its rim rays and a quotient.
constexpr double kApertureRatio = 1e-12;

TEST(RoundSignificant, PicksTheNearestRoundMantissaAndTheNextOne) {
  struct TCase {
    double value, first, second;
  };
  const TCase cases[] = {
      {1.25, 1.0, 1.5},       // a tie goes to the first
      {0.9, 0.8, 1.0},        // past 8 the next is 10
      {3.0, 2.5, 4.0},        //
      {3.25, 2.5, 4.0},       // a tie between 2.5 and 4.0
      {0.0032, 0.0025, 0.004},
      {470.0, 500.0, 800.0},
      {7.0, 8.0, 10.0},
  };
  for (const TCase &c : cases) {
    double first = 0.0, second = 0.0;
    RoundSignificant(c.value, first, second);
    EXPECT_APPROX(first, c.first, kRoundOff) << c.value;
    EXPECT_APPROX(second, c.second, kRoundOff) << c.value;
  }
  double first = 1.0, second = 1.0;
  RoundSignificant(0.0, first, second);
  EXPECT_EQ(first, 0.0);
  RoundSignificant(-2.0, first, second);
  EXPECT_EQ(second, -2.0);
}

TEST(ShareAsPercent, TwoSignificantDigitsWithoutAnExponent) {
  const struct {
    double share;
    const char *said;
  } rows[] = {{1.0, "100"}, {0.553, "55"}, {0.055, "5.5"}, {0.0055, "0.55"}, {0.00123, "0.12"}};
  for (const auto &row : rows) EXPECT_EQ(ShareAsPercent(row.share), row.said) << row.share;
}

using DiffractionSamplingTest = EditorTest;

TEST_F(DiffractionSamplingTest, APerfectMirrorIsSampledAtTheDiffractionInterval) {
  TSystemImage mirror;
  Open(mirror, "parabolic_mirror.os");
  const double ownDiscrete = mirror.info.Discrete;
  double discrete = 0.0;
  int difrac = 0;
  ASSERT_EQ(EstimateDiffractionSampling(mirror, discrete, difrac), 1);
  EXPECT_EQ(difrac, 1);
  // 0.5 lambda / NA in mm, NA = 20 / 101 for the marginal ray of the paraboloid.
  const double lambdaMm = 0.5875618e-3;
  EXPECT_APPROX(discrete, 0.5 * lambdaMm / (20.0 / 101.0), kApertureModel);
  EXPECT_EQ(mirror.info.Discrete, ownDiscrete);
}

TEST_F(DiffractionSamplingTest, AnAberratedSpotIsSampledGeometrically) {
  // The singlet at full aperture and 20 degrees off axis: a spot far wider than the
  // diffraction interval.
  TSystemImage singlet;
  Open(singlet, "singlet.os");
  ASSERT_TRUE(singlet.info.AlfaM.Allocate(1, 1));
  singlet.info.AlfaM.data[0] = 10.0;
  singlet.info.Dentr = 24.0;
  double discrete = 0.0;
  int difrac = 1;
  ASSERT_EQ(EstimateDiffractionSampling(singlet, discrete, difrac), 1);
  EXPECT_EQ(difrac, 0);
  // NA of f/2: the diffraction interval is about 0.5 lambda / 0.25 = 1.2 micrometres.
  EXPECT_GT(discrete, 4.0 * 0.0012);
}

TEST_F(DiffractionSamplingTest, TheDefaultIntervalRaisesNoQuestionEitherWay) {
  // The perfect mirror with no interval of the user's: the one the preparation chooses is
  // what the check would recommend, with diffraction on and with it off.
  for (int difrac : {1, 0}) {
    TSystemImage mirror;
    Open(mirror, "parabolic_mirror.os");
    mirror.info.Discrete = 0.0;
    mirror.info.Difrac = difrac;
    mirror.Update();
    EXPECT_EQ(mirror.info.Discrete, 0.0);
    ASSERT_GT(mirror.info.discreteInEffect, 0.0);
    double discrete = mirror.info.discreteInEffect;
    int chosen = difrac;
    EXPECT_EQ(CheckDiscreteParameter(nullptr, mirror, 1, discrete, chosen), 0) << difrac;
    EXPECT_EQ(BoxCount(), 0u) << difrac;
    EXPECT_EQ(chosen, difrac);
  }
}

TEST_F(DiffractionSamplingTest, AnAutomaticIntervalStaysAutomaticThroughEditsUndoCopiesAndSaves) {
  TSystemImage mirror;
  Open(mirror, "parabolic_mirror.os");
  mirror.DeleteUndoFiles();
  ASSERT_EQ(mirror.SaveUndo(""), 1);
  EXPECT_EQ(mirror.info.Discrete, 0.0);
  const double wide = mirror.info.discreteInEffect;
  // Half the pupil: the interval in effect grows as 1 / NA. The rim ray from height h
  // meets the focus at the sine h / (f + h^2 / 4f): 20 / 101, then 10 / 100.25.
  mirror.info.Dentr = 20.0;
  mirror.Update();
  ASSERT_EQ(mirror.SaveUndo("aperture"), 1);
  EXPECT_EQ(mirror.info.Discrete, 0.0);
  const double ratio = (20.0 / 101.0) / (10.0 / 100.25);
  EXPECT_APPROX(mirror.info.discreteInEffect / wide, ratio, kApertureRatio);
  ASSERT_EQ(mirror.Undo(-1), 1);
  mirror.Update();
  EXPECT_EQ(mirror.info.Dentr, 40.0);
  EXPECT_EQ(mirror.info.Discrete, 0.0);
  EXPECT_APPROX(mirror.info.discreteInEffect / wide, 1.0, kApertureRatio);
  ASSERT_EQ(mirror.Redo(), 1);
  EXPECT_EQ(mirror.info.Dentr, 20.0);
  EXPECT_EQ(mirror.info.Discrete, 0.0);
  TSystemImage copy;
  copy.Assign(mirror, 1);
  EXPECT_EQ(copy.info.Discrete, 0.0);
  const std::string path = Scratch("mirror.os");
  ASSERT_EQ(copy.Save(path), 1);
  EXPECT_NE(ReadText(path).find("\nDiscrete=0\n"), std::string::npos);
}

TEST_F(DiffractionSamplingTest, AFarTooLargeValueIsQuestionedAndReplacedOnYes) {
  TSystemImage mirror;
  Open(mirror, "parabolic_mirror.os");
  double discrete = 0.1;
  int difrac = 0;
  EXPECT_EQ(CheckDiscreteParameter(nullptr, mirror, 0, discrete, difrac), 0);
  EXPECT_EQ(BoxCount(), 0u);
  const_cast<TRecordingMessageBoxProvider &>(Boxes()).QueueAnswer(IDYES);
  EXPECT_EQ(CheckDiscreteParameter(nullptr, mirror, 1, discrete, difrac), 1);
  ASSERT_EQ(BoxCount(), 1u);
  EXPECT_EQ(Boxes().boxes[0].text.rfind("Parameter Discrete=0.1 is too large.", 0), 0u);
  // Diffraction stays off as the user chose it.
  EXPECT_EQ(difrac, 0);
  // 1.5 um rounds to the round step 1.5 um.
  EXPECT_APPROX(discrete, 0.0015, kRoundOff);
  discrete = 1e-5;
  const_cast<TRecordingMessageBoxProvider &>(Boxes()).QueueAnswer(IDNO);
  EXPECT_EQ(CheckDiscreteParameter(nullptr, mirror, 1, discrete, difrac), 0);
  EXPECT_EQ(Boxes().boxes[1].text.rfind("Parameter Discrete=1e-05 is too small.", 0), 0u);
  EXPECT_EQ(discrete, 1e-5);
}

TEST_F(DiffractionSamplingTest, TakingTheRecommendationKeepsTheUsersDiffractionChoice) {
  // The singlet at f/2 and 10 degrees: its spot asks for geometric work at a coarse
  // interval, its aperture for a diffraction interval of 0.5 lambda / NA.
  TSystemImage singlet;
  Open(singlet, "singlet.os");
  ASSERT_TRUE(singlet.info.AlfaM.Allocate(1, 1));
  singlet.info.AlfaM.data[0] = 10.0;
  singlet.info.Dentr = 24.0;
  double geometric = 0.0, diffraction = 0.0;
  int needed = 1;
  ASSERT_EQ(EstimateDiffractionSampling(singlet, geometric, needed), 1);
  ASSERT_EQ(needed, 0);
  const double lambdaMm = 0.5875618e-3;
  diffraction = 0.5 * lambdaMm / 0.25;  // NA of about 0.25
  ASSERT_GT(geometric, 4.0 * diffraction);

  // Diffraction on, an interval far too fine: the proposal is one that diffraction work can
  // use (its whole pupil on 40 % of the grid, 2.5 nodes to the interval), and the tick
  // stays.
  auto &boxes = const_cast<TRecordingMessageBoxProvider &>(Boxes());
  double discrete = 1e-6;
  int difrac = 1;
  boxes.QueueAnswer(IDYES);
  EXPECT_EQ(CheckDiscreteParameter(nullptr, singlet, 1, discrete, difrac), 1);
  EXPECT_EQ(difrac, 1);
  EXPECT_GT(discrete, 0.5 * diffraction / 2.5);
  EXPECT_LT(discrete, 2.0 * diffraction / 2.5);

  // Diffraction off: the geometric interval, and the tick stays off.
  discrete = 1e-6;
  difrac = 0;
  boxes.QueueAnswer(IDYES);
  EXPECT_EQ(CheckDiscreteParameter(nullptr, singlet, 1, discrete, difrac), 1);
  EXPECT_EQ(difrac, 0);
  double first = 0.0, second = 0.0;
  RoundSignificant(geometric, first, second);
  EXPECT_APPROX(discrete, first, kRoundOff);
}

}  // namespace

namespace {

// The largest PSF value on the grid's outer rows and columns against the largest of all.
double EdgeToPeak(const TOpticalSystem &system) {
  const int nd = system.info.Nd;
  const float *psf = system.workArray1.data;
  double peak = 0.0, edge = 0.0;
  for (int r = 0; r < nd; ++r) {
    for (int c = 0; c < nd; ++c) {
      const double value = psf[static_cast<long>(r) * nd + c];
      peak = std::fmax(peak, value);
      if (r == 0 || c == 0 || r == nd - 1 || c == nd - 1) edge = std::fmax(edge, value);
    }
  }
  return peak > 0.0 ? edge / peak : 1.0;
}

double PsfEdgeToPeak(TSystemImage &system, int nodes, double field) {
  system.info.Nd = nodes;
  system.Prepare(system.info.LambdaW, 1, 0);
  if (system.ComputePSFNodes(field, 0.0, 1) != 1) return -1.0;
  return EdgeToPeak(system);
}

// What "does not wrap" means: the PSF at the grid's edge under this share of its peak.
constexpr double kEdgeShare = 1e-3;
// The spread of the defocused paraboloid's rays comes from its rim rays, traced: round-off.
constexpr double kSpreadModel = 1e-9;

TEST_F(DiffractionSamplingTest, TheGridRecommendedForADefocusedMirrorHoldsItsBlur) {
  // The paraboloid with its image plane 0.15 mm behind the focus: the rim ray from height 20
  // meets the focus at the sine 20 / 101 and, behind it, lies delta tan u off the axis.
  constexpr double kDefocus = 0.15;
  std::string text = ReadText(ExamplePath("parabolic_mirror.os"));
  const std::string thickness = "Dx=-100;";
  ASSERT_NE(text.find(thickness), std::string::npos);
  text.replace(text.find(thickness), thickness.size(), "Dx=-100.15;");
  const std::string path = Scratch("defocused.os");
  WriteText(path, text);
  TSystemImage mirror;
  ASSERT_EQ(mirror.Load(path, 2), 1);
  const double sine = 20.0 / 101.0;
  const double blur = kDefocus * sine / std::sqrt(1.0 - sine * sine);
  const double lambdaMm = 0.5875618e-3;
  const double diffraction = 0.5 * lambdaMm / sine;
  // Diffraction on and an automatic interval: 2.5 nodes to the diffraction interval.
  const double interval = diffraction / 2.5;
  // The Airy rings fall under 1e-3 of the peak 2.17 lambda / NA = 4.35 intervals out.
  const double reachByHand = blur + 4.35 * diffraction;
  int handNodes = 64;
  while (0.5 * handNodes * interval < reachByHand) handNodes *= 2;
  double reach = 0.0;
  const int nodes = RecommendedPsfGrid(mirror, 0.0, 1, reach);
  EXPECT_APPROX(reach, reachByHand, kSpreadModel);
  // The search starts from the grid that holds the hand's radius; the defocused disc's
  // rings take it further.
  EXPECT_GE(nodes, handNodes);
  // The PSF on that grid keeps clear of its edge; on half of it the blur wraps round.
  EXPECT_LT(PsfEdgeToPeak(mirror, nodes, 0.0), kEdgeShare);
  EXPECT_GT(PsfEdgeToPeak(mirror, nodes / 2, 0.0), kEdgeShare);
}

TEST_F(DiffractionSamplingTest, TheDoubleGaussAsksForAGridItsPsfDoesNotWrapOn) {
  TSystemImage lens;
  Open(lens, "double_gauss.os");
  ASSERT_EQ(lens.info.Nd, 64);
  const int fields = lens.info.AlfaM.cols * lens.info.AlfaM.rows;
  ASSERT_GT(fields, 1);
  const double widest = lens.info.AlfaM.data[fields - 1];
  double reach = 0.0;
  const int nodes = RecommendedPsfGrid(lens, lens.info.Discrete, lens.info.Difrac, reach);
  EXPECT_GT(nodes, 64);
  // At the default 64 nodes the blur of the widest field wraps round; on the recommended
  // grid no field's PSF comes near the edge.
  EXPECT_GT(PsfEdgeToPeak(lens, 64, widest), kEdgeShare);
  for (int k = 0; k < fields; ++k)
    EXPECT_LT(PsfEdgeToPeak(lens, nodes, lens.info.AlfaM.data[k]), kEdgeShare) << lens.info.AlfaM.data[k];

  // The check asks, and on Yes the grid takes the recommendation.
  auto &boxes = const_cast<TRecordingMessageBoxProvider &>(Boxes());
  int asked = 64;
  EXPECT_EQ(CheckPsfGridSize(nullptr, lens, 0, lens.info.Discrete, lens.info.Difrac, asked), 0);
  EXPECT_EQ(BoxCount(), 0u);
  boxes.QueueAnswer(IDYES);
  EXPECT_EQ(CheckPsfGridSize(nullptr, lens, 1, lens.info.Discrete, lens.info.Difrac, asked), 1);
  EXPECT_EQ(asked, nodes);
  ASSERT_EQ(BoxCount(), 1u);
  // It names the figure that decided: the first beam whose PSF is too bright at the edge of
  // 64 nodes, and that PSF's edge as a share of its peak.
  int first = 0;
  while (first + 1 < fields && PsfEdgeToPeak(lens, 64, lens.info.AlfaM.data[first]) < kEdgeShare) ++first;
  char said[160];
  std::snprintf(said, sizeof said, "In this system the PSF of the beam at Y=%g keeps %.2g %% of its peak on the edge of the 64 x 64 grid",
                lens.info.AlfaM.data[first], 100.0 * PsfEdgeToPeak(lens, 64, lens.info.AlfaM.data[first]));
  EXPECT_EQ(Boxes().boxes[0].text.rfind(said, 0), 0u) << Boxes().boxes[0].text << "\n" << said;
  // A grid large enough is not questioned; a No leaves the grid as it was.
  EXPECT_EQ(CheckPsfGridSize(nullptr, lens, 1, lens.info.Discrete, lens.info.Difrac, asked), 0);
  EXPECT_EQ(BoxCount(), 1u);
  int small = 64;
  boxes.QueueAnswer(IDNO);
  EXPECT_EQ(CheckPsfGridSize(nullptr, lens, 1, lens.info.Discrete, lens.info.Difrac, small), -1);
  EXPECT_EQ(small, 64);
}

}  // namespace
