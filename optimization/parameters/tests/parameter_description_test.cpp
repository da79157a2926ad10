#include "optimization/parameters/parameter_description.h"

#include <gtest/gtest.h>

#include "foundation/containers/mem.h"

namespace {

TEST(TParameterDescription, Defaults) {
  const TParameterDescription parameter;
  EXPECT_EQ(parameter.Type, "");
  EXPECT_EQ(parameter.Left, 0.0);
  EXPECT_EQ(parameter.Right, 0.0);
  EXPECT_EQ(parameter.Value, 0.0);
  EXPECT_EQ(parameter.Surf, -1);
  EXPECT_EQ(parameter.Config, 0);
}

TEST(TParameterDescription, SetLeavesValue) {
  TParameterDescription parameter;
  parameter.Value = 0.02;
  parameter.Set(1, 4, "A3", -0.5, 0.5);
  EXPECT_EQ(parameter.Config, 1);
  EXPECT_EQ(parameter.Surf, 4);
  EXPECT_EQ(parameter.Type, "A3");
  EXPECT_EQ(parameter.Left, -0.5);
  EXPECT_EQ(parameter.Right, 0.5);
  EXPECT_EQ(parameter.Value, 0.02);
}

TEST(TParameterDescription, CopiesAreIndependent) {
  TParameterDescription source;
  source.Set(0, 2, "R", -1.0, 1.0);
  source.Value = 0.1;
  TParameterDescription copy(source);
  TParameterDescription assigned;
  assigned = source;
  source.Type += "-changed";
  source.Value = 9.0;
  EXPECT_EQ(copy.Type, "R");
  EXPECT_EQ(assigned.Type, "R");
  EXPECT_EQ(copy.Value, 0.1);
  EXPECT_EQ(assigned.Surf, 2);
}

TEST(TParameterDescription, ListEditingKeepsTypes) {
  Mem<TParameterDescription> list;
  const char *types[] = {"R", "T", "A2", "H10"};
  for (int k = 0; k < 4; ++k) {
    TParameterDescription parameter;
    parameter.Set(0, k, types[k], 0.0, 1.0);
    list.Append(parameter);
  }
  Mem<TParameterDescription> copy(list);
  list.Delete(1);
  list.data[0].Type = "T";
  ASSERT_EQ(list.cols, 3);
  EXPECT_EQ(list.data[1].Type, "A2");
  EXPECT_EQ(list.data[2].Surf, 3);
  ASSERT_EQ(copy.cols, 4);
  EXPECT_EQ(copy.data[0].Type, "R");
  EXPECT_EQ(copy.data[1].Type, "T");
  list.Insert(0, copy.data[3]);
  EXPECT_EQ(list.data[0].Type, "H10");
  EXPECT_EQ(list.data[1].Type, "T");
}

}  // namespace
