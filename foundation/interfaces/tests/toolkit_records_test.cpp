#include "foundation/interfaces/toolkit_records.h"

#include <gtest/gtest.h>

#include "foundation/interfaces/mesh_function.h"
#include "foundation/testing/approx.h"

namespace {

constexpr double kExact = 1e-15;

// Restores the program-wide tab settings a test changed.
class TabSettings {
 public:
  TabSettings() : color_(BookMarkDefaultColor()), flag_(BookMarkDefaultFlag()) {}
  ~TabSettings() {
    SetBookMarkDefaultColor(color_);
    SetBookMarkDefaultFlag(flag_);
  }

 private:
  COLORREF color_;
  int flag_;
};

TEST(ToolkitRecords, NewTabTakesTheProgramWideColourAndFlagOfItsMoment) {
  TabSettings keep;
  SetBookMarkDefaultColor(RGB(10, 20, 30));
  SetBookMarkDefaultFlag(3);
  Mem<TBookMarkInfo> tabs(2, 1);
  ASSERT_NE(tabs.data, nullptr);
  SetBookMarkDefaultColor(RGB(1, 2, 3));
  const TBookMarkInfo later;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(tabs.data[i].colors[0], RGB(10, 20, 30));
    EXPECT_EQ(tabs.data[i].colors[1], RGB(10, 20, 30));
    EXPECT_EQ(tabs.data[i].flag, 3);
    EXPECT_EQ(tabs.data[i].enabled, 1);
    EXPECT_EQ(tabs.data[i].page, nullptr);
    EXPECT_EQ(tabs.data[i].title, nullptr);
    EXPECT_EQ(tabs.data[i].tab.right, 0);
  }
  EXPECT_EQ(later.colors[0], RGB(1, 2, 3));
}

TEST(ToolkitRecords, BindingsStoreTheirArgumentsInFieldOrder) {
  const ValueParameters plain;
  EXPECT_EQ(plain.edit, nullptr);
  EXPECT_EQ(plain.id, 0);
  EXPECT_EQ(plain.isActive, 1);

  double column[3] = {1.0, 2.0, 3.0};
  // The type code is a signed character: a negative one stays negative when widened.
  const WinTableValueParameters table(7, column, 3, static_cast<signed char>(-5), "%g", 9);
  EXPECT_EQ(table.value, column);
  EXPECT_EQ(table.type, -5);
  EXPECT_STREQ(table.printFormat, "%g");
  EXPECT_EQ(table.count, 3);
  EXPECT_EQ(table.index, 7);
  EXPECT_EQ(table.columnWidth, 9);
  const WinTableValueParameters empty;
  EXPECT_EQ(empty.value, nullptr);
  EXPECT_EQ(empty.count, 0);

  TEditCollection fields(kMultiEditCapacity);
  EXPECT_EQ(fields.capacity, 5);
  EXPECT_EQ(fields.count, 0);
  EXPECT_EQ(fields.items.data, nullptr);
  int variable = 0;
  ASSERT_GT(fields.items.Append(ValueParameters(nullptr, 101, &variable, 'i', "%d", 0)), 0);
  EXPECT_EQ(fields.items.data[0].id, 101);
  EXPECT_EQ(fields.items.data[0].type, 'i');
  EXPECT_EQ(fields.items.data[0].isActive, 0);

  // Set fills every field of a record built elsewhere.
  double other = 0.0;
  fields.items.data[0].Set(nullptr, 202, &other, 'd', "%g", 1);
  EXPECT_EQ(fields.items.data[0].id, 202);
  EXPECT_EQ(fields.items.data[0].value, &other);
  EXPECT_EQ(fields.items.data[0].type, 'd');
  EXPECT_STREQ(fields.items.data[0].printFormat, "%g");
  EXPECT_EQ(fields.items.data[0].isActive, 1);
}

TEST(ToolkitRecords, GraphWindowListStartsEmptyAndNeverOwnsItsWindows) {
  Mem<TGraphWindow *> &windows = GraphWindows();
  EXPECT_EQ(windows.cols * windows.rows, 0);
  EXPECT_EQ(&windows, &GraphWindows());
}

DPOINT3 Saddle(double u, double v, void *context) {
  const double scale = *static_cast<double *>(context);
  return DPOINT3(u, v, scale * (u - 0.5) * (v - 0.5));
}

TEST(MeshFunction, GridReachesBothEndsOfEachParameter) {
  double scale = 4.0;
  DPOINT3 nodes[21 * 21];
  ASSERT_EQ(EvaluateMeshGrid(Saddle, &scale, 20, 20, nodes), 1);
  EXPECT_APPROX(nodes[0].z, 1.0, kExact);
  EXPECT_APPROX(nodes[20].x, 1.0, kExact);
  EXPECT_APPROX(nodes[20].z, -1.0, kExact);
  EXPECT_APPROX(nodes[20 * 21 + 20].y, 1.0, kExact);
  EXPECT_APPROX(nodes[10 * 21 + 10].z, 0.0, kExact);
  // Column 5 of row 3 is u = 0.25, v = 0.15.
  EXPECT_APPROX(nodes[3 * 21 + 5].z, 4.0 * (0.25 - 0.5) * (0.15 - 0.5), kExact);
  EXPECT_EQ(EvaluateMeshGrid(Saddle, &scale, 0, 20, nodes), 0);
  EXPECT_EQ(EvaluateMeshGrid(nullptr, &scale, 20, 20, nodes), 0);
}

}  // namespace
