// The variables of the optimizer as the properties edit them: new rows get bounds about the
// system's values (curvature 1/R, the vertex distance), bad entries are refused with a
// message and leave the row as it was, the rows go into the folder's list in table order,
// and a parameter file written from the rows reads back equal.

#include "editor/properties/variables_model.h"

#include <filesystem>
#include <fstream>

#include "document/system/tests/editor_test_support.h"
#include "editor/optimize/edited_configurations.h"
#include "foundation/testing/approx.h"
#include "optimization/parameters/optimization_parameters.h"

namespace {

constexpr double kValueTolerance = 1e-9;

class VariablesModelTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Open(image, "cooke_triplet.os");
    list.SetOwner(&system);
  }
  TSystemImage image;
  TEditedConfigurations system{image};
  TOptimizationParameters list;
};

TEST_F(VariablesModelTest, NewRowsGetBoundsAboutTheValuesTheSystemHas) {
  TVariablesModel model(list, system);
  ASSERT_TRUE(model.Add("R", 2).accepted);
  ASSERT_TRUE(model.Add("t", 2).accepted);
  ASSERT_EQ(model.Count(), 2);
  // The first face: R = 22.01359, so the curvature may go from flat to twice as strong.
  const double curvature = 1.0 / 22.01359;
  EXPECT_EQ(model.Row(0).Surf, 1);
  EXPECT_EQ(model.Row(0).Config, 0);
  EXPECT_APPROX(model.CurrentValue(0), curvature, kValueTolerance);
  EXPECT_APPROX(model.Row(0).Left, 0.0, kValueTolerance);
  EXPECT_APPROX(model.Row(0).Right, 2.0 * curvature, kValueTolerance);
  // The lens is 3.25896 thick: half of it either way.
  EXPECT_EQ(model.Row(1).Type, "T");
  EXPECT_APPROX(model.CurrentValue(1), 3.25896, kValueTolerance);
  EXPECT_APPROX(model.Row(1).Left, 3.25896 / 2.0, kValueTolerance);
  EXPECT_APPROX(model.Row(1).Right, 3.25896 * 1.5, kValueTolerance);
  EXPECT_EQ(model.CellText(kVariableSurfaceColumn, 1), "2");
  EXPECT_EQ(model.CellText(kVariableConfigColumn, 1), "1");
  EXPECT_EQ(model.CellText(kVariableValueColumn, 1), "3.25896");
  // The flat object surface still gets a span to move in.
  ASSERT_TRUE(model.Add("R", 1).accepted);
  EXPECT_APPROX(model.Row(2).Left, -0.02, kValueTolerance);
  EXPECT_APPROX(model.Row(2).Right, 0.02, kValueTolerance);
  // The F2 lens, 0.99997 thick, gets the 1 mm span upwards but no negative thickness.
  ASSERT_TRUE(model.Add("T", 4).accepted);
  EXPECT_APPROX(model.Row(3).Left, 0.0, kValueTolerance);
  EXPECT_APPROX(model.Row(3).Right, 1.99997, kValueTolerance);

  EXPECT_EQ(model.Add("R", 2).message, "R of surface 2 is variable already.");
  EXPECT_EQ(model.Add("R", 9).message, "the system has no surface 9 (surfaces 1 to 8).");
  EXPECT_EQ(model.Add("T", 8).message, "surface 8 is the last one; it has no distance to a next surface.");
  EXPECT_FALSE(model.Add("R", 0).accepted);
  EXPECT_EQ(model.Count(), 4);
  // Adding reads the system and changes nothing in it.
  EXPECT_EQ(image.Surface(1)->general.R, 22.01359);
}

TEST_F(VariablesModelTest, BadEntriesAreRefusedAndTheRowStaysAsItWas) {
  TVariablesModel model(list, system);
  ASSERT_TRUE(model.Add("R", 2).accepted);
  ASSERT_TRUE(model.Add("R", 3).accepted);
  const TParameterDescription before = model.Row(1);
  auto unchanged = [&] {
    return model.Row(1).Type == before.Type && model.Row(1).Surf == before.Surf &&
           model.Row(1).Config == before.Config && model.Row(1).Left == before.Left &&
           model.Row(1).Right == before.Right;
  };
  EXPECT_EQ(model.Edit(kVariableTypeColumn, 1, "X").message,
            "Parameter 2: the type \"X\" is none of R (curvature), T (distance to the next surface), A<k> "
            "(aspheric coefficient k) and H<k> (hologram coefficient k).");
  EXPECT_EQ(model.Edit(kVariableSurfaceColumn, 1, "2.5").message, "Parameter 2: \"2.5\" is not a whole number.");
  EXPECT_EQ(model.Edit(kVariableSurfaceColumn, 1, "2").message, "Parameter 2 is the same as parameter 1.");
  EXPECT_EQ(model.Edit(kVariableConfigColumn, 1, "2").message,
            "Parameter 2: the system has no configuration 2 (configurations 1 to 1).");
  EXPECT_FALSE(model.Edit(kVariableLeftColumn, 1, "abc").accepted);
  EXPECT_EQ(model.Edit(kVariableLeftColumn, 1, "1").message,
            "Parameter 2: its left bound must lie below its right bound.");
  EXPECT_FALSE(model.Edit(kVariableRightColumn, 1, FormatPropertyNumber(before.Left, 17)).accepted);
  EXPECT_FALSE(model.Edit(kVariableValueColumn, 1, "1").accepted);
  EXPECT_TRUE(unchanged());

  ASSERT_TRUE(model.Edit(kVariableTypeColumn, 1, " a4 ").accepted);
  EXPECT_EQ(model.Row(1).Type, "A4");
  ASSERT_TRUE(model.Edit(kVariableLeftColumn, 1, "-0,5").accepted);
  EXPECT_EQ(model.Row(1).Left, -0.5);
  ASSERT_TRUE(model.Edit(kVariableSurfaceColumn, 1, "7").accepted);
  EXPECT_EQ(model.Row(1).Surf, 6);
  model.Delete(0);
  model.Delete(5);
  ASSERT_EQ(model.Count(), 1);
  EXPECT_EQ(model.Row(0).Type, "A4");
}

TEST_F(VariablesModelTest, TheRowsReplaceTheListInTableOrderAndAFileReadsBackEqual) {
  // The list holds a parameter the table no longer has.
  TParameterDescription old;
  old.Set(0, 4, "R", -0.1, 0.1);
  list.Add(old);
  TVariablesModel model(list, system);
  ASSERT_EQ(model.Count(), 1);
  model.Delete(0);
  ASSERT_TRUE(model.Add("R", 6).accepted);
  ASSERT_TRUE(model.Add("T", 5).accepted);
  ASSERT_TRUE(model.Add("R", 2).accepted);
  ASSERT_TRUE(model.Edit(kVariableLeftColumn, 2, "0.0123456789012345").accepted);
  // Nothing reaches the list before Store.
  ASSERT_EQ(list.Count(), 1);
  model.Store(list);
  ASSERT_EQ(list.Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list.Get(i).Surf, model.Row(i).Surf);
    EXPECT_EQ(list.Get(i).Type, model.Row(i).Type);
    EXPECT_EQ(list.Get(i).Left, model.Row(i).Left);
  }
  EXPECT_EQ(list.Find(0, 4, "R"), -1);

  const std::string file = Scratch("triplet.par");
  ASSERT_TRUE(model.Save(file).accepted);
  TVariablesModel read(TOptimizationParameters(), system);
  ASSERT_TRUE(read.Open(file).accepted);
  ASSERT_EQ(read.Count(), model.Count());
  for (int i = 0; i < read.Count(); ++i) {
    EXPECT_EQ(read.Row(i).Type, model.Row(i).Type);
    EXPECT_EQ(read.Row(i).Surf, model.Row(i).Surf);
    EXPECT_EQ(read.Row(i).Config, model.Row(i).Config);
    EXPECT_EQ(read.Row(i).Left, model.Row(i).Left);
    EXPECT_EQ(read.Row(i).Right, model.Row(i).Right);
  }

  // A file without parameters of this system is refused and the rows stay.
  std::ofstream(Scratch("other.par")) << "[Common]\nNumPar=1\n\n[Parameters]\n"
                                         "{ Config=0; Surf=40; Left=0; Right=1; Type=\"R\" }\n";
  EXPECT_FALSE(read.Open(Scratch("other.par")).accepted);
  EXPECT_EQ(read.Check(), "");
  // Twins from a file are taken, and named by the check.
  std::ofstream(Scratch("twins.par")) << "[Common]\nNumPar=3\n\n[Parameters]\n"
                                         "{ Config=0; Surf=1; Left=0; Right=1; Type=\"R\" }\n"
                                         "{ Config=0; Surf=1; Left=0; Right=1; Type=\"T\" }\n"
                                         "{ Config=0; Surf=1; Left=0; Right=2; Type=\"R\" }\n";
  TVariablesModel twins(TOptimizationParameters(), system);
  ASSERT_TRUE(twins.Open(Scratch("twins.par")).accepted);
  ASSERT_EQ(twins.Count(), 3);
  EXPECT_EQ(twins.Check(), "Parameter 1 is the same as parameter 3.");
  twins.Delete(2);
  EXPECT_EQ(twins.Check(), "");
  // Crossed bounds refuse the file, as the table refuses them typed: the reader says why,
  // once, and the rows stay.
  std::ofstream(Scratch("crossed.par")) << "[Common]\nNumPar=1\n\n[Parameters]\n"
                                           "{ Config=0; Surf=1; Left=1; Right=0; Type=\"T\" }\n";
  const TPropertyEdit refused = twins.Open(Scratch("crossed.par"));
  EXPECT_FALSE(refused.accepted);
  EXPECT_EQ(refused.message, "");
  EXPECT_EQ(twins.Count(), 2);
  EXPECT_FALSE(read.Open(Scratch("missing.par")).accepted);
  EXPECT_EQ(read.Count(), 3);
  // An empty table writes nothing: the file keeps the rows saved before.
  TVariablesModel empty(TOptimizationParameters(), system);
  EXPECT_EQ(empty.Save(file).message, "There is no variable parameter to save.");
  ASSERT_TRUE(read.Open(file).accepted);
  EXPECT_EQ(read.Count(), 3);
  // A file that may not be written is kept, and the refusal says why.
  const std::string before = ReadText(file);
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  EXPECT_EQ(read.Save(file).message, "File \"" + file + "\" is marked as read-only!");
  EXPECT_EQ(ReadText(file), before);
  const std::string nowhere = Scratch("missing/triplet.par");
  EXPECT_EQ(read.Save(nowhere).message, "File \"" + nowhere + "\" cannot be written: its directory does not exist.");
}

}  // namespace
