// The merit-function editor's page: units shown and converted, fractional weights kept,
// beams counted from the table and kept beyond it, pages stored on turning and kept after
// Cancel, captions and enabling, "Init parameters", and the file it saves read back equal.

#include "optimization/panels/functions_page.h"

#include <gtest/gtest.h>

#include "foundation/testing/approx.h"
#include "optimization/binding/tests/run_test_support.h"
#include "optimization/system/tests/configuration_snapshots.h"

namespace {

// Degrees shown in arc minutes and back: one multiplication and one division by 60.
constexpr double kUnitTolerance = 1e-12;

class FunctionsPage : public EvaluationTest {
 protected:
  void Open(int configurations) {
    Load(system, "singlet.os");
    configured = std::make_unique<TConfigurationSnapshots>(system, configurations);
    set.Rebuild(configured.get());
    set.SetConfigurations();
  }
  TOpticalSystem system;
  std::unique_ptr<TConfigurationSnapshots> configured;
  TOptimizationFunctions set;
};

}  // namespace

TEST_F(FunctionsPage, HalfADegreeShowsAsThirtyArcMinutesAndBack) {
  Open(1);
  set.Record(0, 0)->Unit = 1;
  set.Record(0, 0)->Ybeam = 0.5;
  set.Record(0, 0)->Wbeam = 1.0;
  TOptimizationFunctionsPage page(set);
  page.Setup();
  EXPECT_EQ(page.unit, 1);
  EXPECT_APPROX(page.beamY[0], 30.0, kUnitTolerance);
  page.SelectUnit(0);  // "grad"
  EXPECT_EQ(page.unit, 0);
  EXPECT_APPROX(page.beamY[0], 0.5, kUnitTolerance);
  EXPECT_APPROX(set.Record(0, 0)->Ybeam, 0.5, kUnitTolerance);
  // "mm" keeps the numbers; it is offered only for an object at a finite distance.
  EXPECT_FALSE(page.millimetresEnabled);
}

TEST_F(FunctionsPage, FractionalWeightsAreShownAndStoredAsTheyAre) {
  Open(1);
  TOptimizationFunctionsPage page(set);
  page.Setup();
  EXPECT_EQ(TOptimizationFunctionsPage::FormatWeight(0.5), "0.5");
  EXPECT_EQ(TOptimizationFunctionsPage::FormatWeight(2.25), "2.25");
  EXPECT_EQ(TOptimizationFunctionsPage::FormatWeight(3.0), "3");
  EXPECT_EQ(TOptimizationFunctionsPage::FormatBeamValue(0.0), "");
  page.weight[TOptimizationFunctionsPage::kRowFocus] = 0.5;
  page.required[TOptimizationFunctionsPage::kRowFocus] = 100.0;
  page.weight[TOptimizationFunctionsPage::kRowTransverse] = 0.25;
  page.StorePage();
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, 0.5);
  EXPECT_EQ(set.Record(0, 0)->AberT.data[0].Weight, 0.25);
  EXPECT_EQ(set.Record(0, 0)->AberT.rows, page.raysPerBeam);
  EXPECT_EQ(TOptimizationFunctionsPage::RowName(7), std::string("Strehl"));
}

TEST_F(FunctionsPage, BeamsAreCountedUpToTheLastRowWithAFieldAndAWeight) {
  Open(1);
  TOptimizationFunctionsPage page(set);
  page.Setup();
  const double rows[3][3] = {{0, 0, 1}, {5, 0, 1}, {0, 0, 0}};
  for (int r = 0; r < TOptimizationFunctionsPage::kBeamRows; ++r)
    page.beamY[r] = page.beamZ[r] = page.beamWeight[r] = 0.0;
  for (int r = 0; r < 3; ++r) {
    page.beamY[r] = rows[r][0];
    page.beamZ[r] = rows[r][1];
    page.beamWeight[r] = rows[r][2];
  }
  page.StorePage();
  ASSERT_EQ(set.Beams(), 2);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 5.0);
  // All rows empty: one beam on the axis without weight.
  for (int r = 0; r < 3; ++r) page.beamY[r] = page.beamWeight[r] = 0.0;
  page.StorePage();
  ASSERT_EQ(set.Beams(), 1);
  EXPECT_EQ(set.Record(0, 0)->Wbeam, 0.0);
}

TEST_F(FunctionsPage, BeamsBeyondTheTablesRowsAreKept) {
  Open(1);
  ASSERT_EQ(set.records.Resize(1, 14), 14);
  for (int r = 0; r < 14; ++r) {
    set.Record(0, r)->Ybeam = r;
    set.Record(0, r)->Wbeam = 1.0;
  }
  set.SetConfigurations();
  TOptimizationFunctionsPage page(set);
  page.Setup();
  EXPECT_EQ(page.beamY[9], 9.0);
  page.beamY[3] = 3.5;
  page.StorePage();
  ASSERT_EQ(set.Beams(), 14);
  EXPECT_EQ(set.Record(0, 3)->Ybeam, 3.5);
  EXPECT_EQ(set.Record(0, 13)->Ybeam, 13.0);
  EXPECT_EQ(set.Record(0, 13)->Wbeam, 1.0);
}

TEST_F(FunctionsPage, PagesTurnedAreStoredAndCancelKeepsThem) {
  Open(3);
  TOptimizationFunctionsPage page(set);
  page.Setup();
  EXPECT_EQ(page.Caption(), "Optimization functions. Configuration 1/3.");
  EXPECT_FALSE(page.previousEnabled);
  EXPECT_TRUE(page.nextEnabled);
  page.required[TOptimizationFunctionsPage::kRowFocus] = 80.0;
  page.weight[TOptimizationFunctionsPage::kRowFocus] = 2.0;
  page.Next();  // stores configuration 1's page
  EXPECT_EQ(page.Caption(), "Optimization functions. Configuration 2/3.");
  page.required[TOptimizationFunctionsPage::kRowFocus] = 90.0;  // then Cancel: not stored
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Target, 80.0);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, 2.0);
  EXPECT_NE(set.Record(1, 0)->Focus.data[0].Target, 90.0);
  page.Next();
  EXPECT_FALSE(page.nextEnabled);
  EXPECT_TRUE(page.previousEnabled);
}

TEST_F(FunctionsPage, ASystemWithoutConfigurationRecordsShowsItsOnePage) {
  Load(system, "singlet.os");
  TConfigurationSnapshots none(system, 0);
  TOptimizationFunctions unconfigured;
  unconfigured.Rebuild(&none);
  TOptimizationFunctionsPage page(unconfigured);
  page.Setup();
  EXPECT_EQ(page.configuration, 0);
  EXPECT_EQ(page.Caption(), "Optimization functions");
  EXPECT_FALSE(page.previousEnabled);
  EXPECT_FALSE(page.nextEnabled);
  page.StorePage();  // no configuration -1 anywhere
  EXPECT_EQ(page.configuration, 0);
}

TEST_F(FunctionsPage, VisibleLightAllowsNoNarcissusAndAMonochromeSystemNoPolychrome) {
  Open(1);
  set.Record(0, 0)->Narciss.Weight = 4.0;
  set.Record(0, 0)->ScannerSurface = 2;
  set.PolychromeOptimization = 1;
  TOptimizationFunctionsPage page(set);
  page.Setup();
  EXPECT_EQ(page.narcissusAllowed, 0);
  EXPECT_FALSE(page.narcissusEnabled);
  EXPECT_EQ(page.narcissusWeight, 0.0);
  EXPECT_EQ(page.scannerSurface, 0);
  EXPECT_FALSE(page.polychromeEnabled);
  EXPECT_EQ(page.polychromeIndex, 0);
  // Stored, the values the greyed group could not show stay as they were.
  page.StorePage();
  EXPECT_EQ(set.Record(0, 0)->Narciss.Weight, 4.0);
  EXPECT_EQ(set.Record(0, 0)->ScannerSurface, 2);
}

TEST_F(FunctionsPage, InitParametersTakesTheFieldsAndTheFocalLength) {
  Open(1);
  ASSERT_TRUE(system.info.AlfaM.Allocate(4, 1));
  const double fields[4] = {0.0, 2.0, 4.0, 6.0};
  for (int k = 0; k < 4; ++k) system.info.AlfaM.data[k] = fields[k];
  TOptimizationFunctionsPage page(set);
  page.Setup();
  page.InitParameters();
  ASSERT_EQ(set.Beams(), 4);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(page.beamY[k], fields[k]);
    EXPECT_EQ(page.beamWeight[k], 1.0);
  }
  EXPECT_EQ(page.beamWeight[4], 0.0);
  // Thick-lens focal length of the singlet: 49.213 mm.
  EXPECT_NEAR(page.required[TOptimizationFunctionsPage::kRowFocus], 49.213, 1e-3);
  EXPECT_EQ(page.weight[TOptimizationFunctionsPage::kRowFocus], 1.0);
  EXPECT_EQ(page.weight[TOptimizationFunctionsPage::kRowSfs], 0.0);
  EXPECT_EQ(page.required[TOptimizationFunctionsPage::kRowStrehl], 1.0);
}

TEST_F(FunctionsPage, TheFileItSavesReadsBackEqual) {
  Open(2);
  TOptimizationFunctionsPage page(set);
  page.Setup();
  page.SelectUnit(1);
  page.beamY[0] = 0.0;
  page.beamY[1] = 30.0;  // arc minutes
  page.beamWeight[0] = page.beamWeight[1] = 1.0;
  page.beamWeight[2] = 0.5;
  page.beamY[2] = 45.0;
  page.required[TOptimizationFunctionsPage::kRowFocus] = 48.5;
  page.weight[TOptimizationFunctionsPage::kRowFocus] = 0.75;
  page.weight[TOptimizationFunctionsPage::kRowWave] = 0.125;
  page.sagittal = 1;
  page.Next();
  page.required[TOptimizationFunctionsPage::kRowLength] = 60.0;
  page.weight[TOptimizationFunctionsPage::kRowLength] = 1.5;
  const std::string file = Scratch("page.fun");
  ASSERT_EQ(page.Save(file), 1);
  // The second page had one beam: the first configuration's three stay.
  ASSERT_EQ(set.Beams(), 3);
  EXPECT_EQ(set.Record(1, 2)->Wbeam, 0.0);

  TOptimizationFunctions again;
  again.Rebuild(configured.get());
  again.Read(file);
  ASSERT_EQ(again.Configurations(), set.Configurations());
  ASSERT_EQ(again.Beams(), set.Beams());
  EXPECT_EQ(again.EnableSagittalRays, 1);
  for (int c = 0; c < set.Configurations(); ++c) {
    for (int r = 0; r < set.Beams(); ++r) {
      const TFunctionsParameters &a = *set.Record(c, r);
      const TFunctionsParameters &b = *again.Record(c, r);
      EXPECT_EQ(a.Ybeam, b.Ybeam) << c << "," << r;
      EXPECT_EQ(a.Wbeam, b.Wbeam) << c << "," << r;
      EXPECT_EQ(a.AberW.data[0].Weight, b.AberW.data[0].Weight);
      if (r != 0) continue;  // the other kinds are beam 0's
      EXPECT_EQ(a.Focus.data[0].Target, b.Focus.data[0].Target);
      EXPECT_EQ(a.Focus.data[0].Weight, b.Focus.data[0].Weight);
      EXPECT_EQ(a.LengthOfSystem.data[0].Target, b.LengthOfSystem.data[0].Target);
      EXPECT_EQ(a.LengthOfSystem.data[0].Weight, b.LengthOfSystem.data[0].Weight);
    }
  }
  EXPECT_EQ(set.Count(), again.Count());
  EXPECT_APPROX(again.Record(0, 1)->Ybeam, 0.5, kUnitTolerance);
}
