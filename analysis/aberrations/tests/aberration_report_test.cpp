#include "analysis/aberrations/aberration_report.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/aberrations/aberration_computation.h"
#include "foundation/testing/golden.h"

namespace {

// The golden was laid out by a separate script from the report's written rules; the values
// are the test's own, so the comparison is of the layout and the number formats only.
constexpr golden::NumberTolerance kExactText{0.0, 0.0};

TAberrationComputation TwoBeams() {
  TAberrationComputation run;
  run.ViewMode = kViewTransverse;
  run.curveCount = 2;
  const double abscissae[3] = {1.5, 0.0, -1.5};
  const double first[2][3] = {{0.001234, 0.0, -0.001234}, {0.0125, -0.0003, -0.0131}};
  const double second[2][3] = {{0.0005, 0.0, -0.0005}, {0.002, 1e-5, -0.002}};
  run.Abscissae.Allocate(2, 3);
  run.FirstValues.Allocate(2, 3);
  run.SecondValues.Allocate(2, 3);
  run.PointCounts.Allocate(2, 1);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 2; ++c) {
      run.Abscissae.data[r * 2 + c] = abscissae[r];
      run.FirstValues.data[r * 2 + c] = first[c][r];
      run.SecondValues.data[r * 2 + c] = second[c][r];
    }
  // The second beam kept two points: its last row is blank.
  run.PointCounts.data[0] = 3;
  run.PointCounts.data[1] = 2;
  return run;
}

TEST(AberrationReport, TwoBeamsAtOneWavelengthMatchTheGolden) {
  TAberrationReportLabels labels;
  labels.systemName = "mirror pair.os";
  labels.wavelengthText = "0.5876";
  labels.curveLabels = {"0", "7"};
  std::string text;
  for (const std::string &line : AberrationReportLines(TwoBeams(), labels)) text += line;
  EXPECT_GOLDEN_TEXT(text, "aberrations/tests/data/aberrat_two_beams.txt", kExactText);
}

TEST(AberrationReport, TableLinesShareOneLengthAndDistortionHeadsByUnit) {
  TAberrationComputation run = TwoBeams();
  run.ViewMode = kViewDistortion;
  run.curveCount = 1;
  TAberrationReportLabels labels;
  labels.systemName = "lens.os";
  labels.turned = true;
  labels.wavelengthText = "0.55";
  labels.unit = 1;
  labels.imageFinite = 0;
  const std::vector<std::string> lines = AberrationReportLines(run, labels);
  EXPECT_NE(lines[0].find("System: lens.os, turned"), std::string::npos);
  // One wavelength in distortion: no curve rule; the choice line names the wavelength.
  EXPECT_EQ(lines[2], "Lambda: 0.55 µm\n");
  EXPECT_EQ(lines[3][0], '+');
  EXPECT_NE(lines[4].find("Ybeam,min"), std::string::npos);
  EXPECT_NE(lines[4].find("d, mrad"), std::string::npos);
  EXPECT_NE(lines[4].find("d, %"), std::string::npos);
  const std::size_t width = 1 + 9 + 1 + 2 * 1 * 11 + 1;
  for (std::size_t k = 3; k < lines.size(); ++k) EXPECT_EQ(lines[k].size(), width) << k;
}

TEST(AberrationReport, AllWavelengthsNameTheBeamInItsUnit) {
  TAberrationComputation run = TwoBeams();
  TAberrationReportLabels labels;
  labels.systemName = "lens.os";
  labels.allWavelengths = true;
  labels.curvesAreWavelengths = true;
  labels.curveLabels = {"0.486", "0.656"};
  labels.beamText = "30";
  labels.unit = 1;
  const std::vector<std::string> lines = AberrationReportLines(run, labels);
  // A beam shown in minutes is not called "grad".
  EXPECT_EQ(lines[2], "Ybeam: 30 min\n");
  labels.unit = 0;
  EXPECT_EQ(AberrationReportLines(run, labels)[2], "Ybeam: 30 deg\n");
  EXPECT_NE(lines[4].find("Lambda"), std::string::npos);
  EXPECT_NE(lines[4].find("0.486"), std::string::npos);
}

TEST(AberrationReport, StoppedRaysAreMarkedInTheirOwnCells) {
  // Each view and each of the two cells of a curve: the ray stopped before the image gives
  // "stopped" in its cell, the other cells keep their numbers, every line its length.
  struct TCase {
    int view;
    int stoppedFirst;   // row whose first (meridional) value is of a stopped ray, -1: none
    int stoppedSecond;  // row whose second value is of a stopped ray
  };
  TAberrationReportLabels labels;
  labels.systemName = "array.os";
  labels.wavelengthText = "0.5876";
  labels.curveLabels = {"0", "7"};
  for (const TCase &test : {TCase{kViewTransverse, 0, 2}, TCase{kViewWave, 2, -1}, TCase{kViewDistortion, 1, 1}}) {
    TAberrationComputation run = TwoBeams();
    run.ViewMode = test.view;
    run.PassFlags.Allocate(2, 3);
    run.FirstPassFlags.Allocate(2, 3);
    for (int k = 0; k < 6; ++k) run.PassFlags.data[k] = run.FirstPassFlags.data[k] = 1;
    // Curve 0 only; curve 1 keeps every ray.
    if (test.stoppedFirst >= 0) run.FirstPassFlags.data[test.stoppedFirst * 2] = 0;
    if (test.stoppedSecond >= 0) run.PassFlags.data[test.stoppedSecond * 2] = 0;
    const std::vector<std::string> lines = AberrationReportLines(run, labels);
    ASSERT_GE(lines.size(), 4u);
    const std::size_t firstRow = lines.size() - 4, width = lines[firstRow - 1].size();
    for (int r = 0; r < 3; ++r) {
      SCOPED_TRACE(testing::Message() << "view " << test.view << " row " << r);
      const std::string &line = lines[firstRow + static_cast<std::size_t>(r)];
      EXPECT_EQ(line.size(), width);
      // Cells of curve 0: columns 10..19 and 21..30; curve 1's from 32 on.
      EXPECT_EQ(line.substr(10, 10).find("stopped") != std::string::npos, r == test.stoppedFirst) << line;
      EXPECT_EQ(line.substr(21, 10).find("stopped") != std::string::npos, r == test.stoppedSecond) << line;
      EXPECT_EQ(line.substr(32).find("stopped"), std::string::npos) << line;
    }
  }
}

}  // namespace
