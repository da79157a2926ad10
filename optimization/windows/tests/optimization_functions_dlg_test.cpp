// The merit-function editor over the achromat with three configurations, offscreen: what
// its cells show (arc minutes, fractional weights), what Ok, Cancel and the page turns
// store, numbers that do not read, and Save and Load through the file dialog.

#include "optimization/windows/optimization_functions_dlg.h"

#include <gtest/gtest.h>

#include "optimization/binding/tests/run_test_support.h"
#include "optimization/system/tests/configuration_snapshots.h"
#include "optimization/windows/functions_tables.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/windows/test_kit.h"

namespace {

class FunctionsDlg : public EvaluationTest {
 protected:
  void SetUp() override {
    EvaluationTest::SetUp();
    test_kit::EnsureApplication();
    Load(system, "achromat.os");
    system.name = Scratch("achromat.os");
    configured = std::make_unique<TConfigurationSnapshots>(system, 3);
    set.Rebuild(configured.get());
    set.Read(Scratch("none.fun"));  // the defaults of a missing file
    set.Record(0, 0)->Unit = 1;
    set.Record(0, 1)->Ybeam = 0.5;
    set.Record(0, 0)->Focus.data[0].Weight = 0.5;
    set.SetConfigurations();
    dlg = new TOptimizationFunctionsDlg(nullptr, &set);
    ASSERT_TRUE(dlg->Create());
    beams = static_cast<TCellGrid *>(dlg->ChildWithId(kBeamsTableId));
    table = static_cast<TCellGrid *>(dlg->ChildWithId(kFunctionsTableId));
  }
  void TearDown() override {
    if (dlg->IsWindow()) dlg->Destroy();
    delete dlg;
    EvaluationTest::TearDown();
  }
  void Command(int id) { dlg->SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }

  TOpticalSystem system;
  std::unique_ptr<TConfigurationSnapshots> configured;
  TOptimizationFunctions set;
  TOptimizationFunctionsDlg *dlg = nullptr;
  TCellGrid *beams = nullptr;
  TCellGrid *table = nullptr;
};

}  // namespace

TEST_F(FunctionsDlg, HalfADegreeShowsAsThirtyMinutesAndAFractionalWeightAsItIs) {
  EXPECT_EQ(dlg->GetWindowText(), "Optimization functions. Configuration 1/3.");
  EXPECT_EQ(beams->GetCell(0, 1), "30");
  EXPECT_EQ(beams->GetCell(2, 1), "1");
  EXPECT_EQ(beams->GetCell(0, 3), "");  // an empty row shows no zeros
  EXPECT_EQ(table->GetCell(1, 0), "0.5");
  EXPECT_FALSE(dlg->ChildWithId(kPreviousId)->IsWindowEnabled());
  EXPECT_FALSE(dlg->ChildWithId(kUnitMillimetresId)->IsWindowEnabled());  // object at infinity
  Command(kUnitDegreesId);
  EXPECT_EQ(beams->GetCell(0, 1), "0.5");
  table->SetCell(1, 0, "0.25");
  Command(IDOK);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, 0.25);
  EXPECT_EQ(set.Record(0, 0)->Unit, 0);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 0.5);
}

TEST_F(FunctionsDlg, CancelKeepsWhatThePageTurnsStored) {
  table->SetCell(0, 0, "80");
  Command(kNextId);
  EXPECT_EQ(dlg->GetWindowText(), "Optimization functions. Configuration 2/3.");
  table->SetCell(0, 0, "90");
  Command(IDCANCEL);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Target, 80.0);
  EXPECT_NE(set.Record(1, 0)->Focus.data[0].Target, 90.0);
}

TEST_F(FunctionsDlg, TextThatIsNoNumberKeepsTheValue) {
  table->SetCell(1, 0, "half");
  beams->SetCell(0, 1, "12abc");
  Command(IDOK);
  EXPECT_EQ(set.Record(0, 0)->Focus.data[0].Weight, 0.5);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 0.5);
}

TEST_F(FunctionsDlg, TheFileItSavesLoadsBackEqual) {
  TScriptedFileDialog files;
  const std::string path = Scratch("saved.fun");
  table->SetCell(0, 3, "120.5");
  table->SetCell(1, 3, "0.75");
  files.Choose({path});
  Command(kSaveId);
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_TRUE(files.asked[0].Save);
  EXPECT_EQ(files.asked[0].FileName, "achromat.fun");
  EXPECT_EQ(files.asked[0].DefaultExt, "fun");
  // Spoil the set, then load the file back through the dialog.
  set.Record(0, 0)->LengthOfSystem.data[0].Weight = 9.0;
  set.Record(0, 1)->Ybeam = 7.0;
  files.Choose({path});
  Command(kLoadId);
  EXPECT_EQ(set.Record(0, 0)->LengthOfSystem.data[0].Target, 120.5);
  EXPECT_EQ(set.Record(0, 0)->LengthOfSystem.data[0].Weight, 0.75);
  EXPECT_EQ(set.Record(0, 1)->Ybeam, 0.5);
  EXPECT_EQ(table->GetCell(1, 3), "0.75");
  EXPECT_EQ(table->GetCell(1, 0), "0.5");
}
