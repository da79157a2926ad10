#include <gtest/gtest.h>

#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"

namespace {

std::vector<double> Xs(const Mem<DPOINT3> &list) {
  std::vector<double> xs;
  for (int k = 0; k < list.cols * list.rows; ++k) xs.push_back(list.data[k].x);
  return xs;
}

// Points 10, 20, 30 along x, with y and z telling them apart.
Mem<DPOINT3> ThreePoints() {
  Mem<DPOINT3> list(3);
  for (int k = 0; k < 3; ++k) list.data[k].Set(10.0 * (k + 1), k, -k);
  return list;
}

TEST(PointRecords, NewPointsAreOrigin) {
  const DPOINT plane;
  const DPOINT3 space;
  const DANGLE3 angles;
  EXPECT_EQ(plane.x + plane.y, 0.0);
  EXPECT_EQ(space.x, 0.0);
  EXPECT_EQ(space.y, 0.0);
  EXPECT_EQ(space.z, 0.0);
  EXPECT_EQ(angles.ax + angles.ay + angles.az, 0.0);
  Mem<DPOINT3> list(2);
  EXPECT_EQ(list.data[1].z, 0.0);
}

TEST(PointRecords, ConstructAndSet) {
  DPOINT3 p(1.0, -2.0, 3.5);
  EXPECT_EQ(p.y, -2.0);
  p.Set(4.0, 5.0, 6.0);
  EXPECT_EQ(p.z, 6.0);
  DANGLE3 a(0.1, 0.2, 0.3);
  const DANGLE3 copy(a);
  const DANGLE3 &itself = a;
  a = itself;  // assignment to itself
  EXPECT_EQ(a.ay, 0.2);
  EXPECT_EQ(copy.az, 0.3);
  a.Set(1.0, 2.0, 3.0);
  EXPECT_EQ(a.ax, 1.0);
}

TEST(PointList, InsertInsideKeepsOldPointAtIndex) {
  Mem<DPOINT3> list = ThreePoints();
  EXPECT_EQ(list.InsertAt(1), 1);
  EXPECT_EQ(Xs(list), (std::vector<double>{10, 20, 20, 30}));
  EXPECT_EQ(list.data[3].y, 2.0);
  list.data[1].Set(15, 0, 0);
  EXPECT_EQ(Xs(list), (std::vector<double>{10, 15, 20, 30}));
}

TEST(PointList, InsertAtOrPastEndAppendsOrigin) {
  Mem<DPOINT3> atEnd = ThreePoints();
  Mem<DPOINT3> pastEnd = ThreePoints();
  EXPECT_EQ(atEnd.InsertAt(3), 3);
  EXPECT_EQ(pastEnd.InsertAt(8), 3);
  EXPECT_EQ(Xs(atEnd), (std::vector<double>{10, 20, 30, 0}));
  EXPECT_EQ(Xs(pastEnd), (std::vector<double>{10, 20, 30, 0}));
  EXPECT_EQ(pastEnd.data[3].z, 0.0);
}

TEST(PointList, InsertIntoEmptyMakesOnePoint) {
  Mem<DPOINT3> list;
  EXPECT_EQ(list.InsertAt(0), 0);
  EXPECT_EQ(list.cols, 1);
  EXPECT_EQ(list.data[0].x, 0.0);
}

TEST(PointList, RemoveShiftsTailDown) {
  Mem<DPOINT3> list = ThreePoints();
  list.RemoveAt(0);
  EXPECT_EQ(Xs(list), (std::vector<double>{20, 30}));
  EXPECT_EQ(list.data[0].y, 1.0);
}

TEST(PointList, RemoveLastOnlyShortens) {
  Mem<DPOINT3> list = ThreePoints();
  list.RemoveAt(2);
  EXPECT_EQ(Xs(list), (std::vector<double>{10, 20}));
}

TEST(PointList, RemoveFromEmptyOrNegativeChangesNothing) {
  Mem<DPOINT3> empty;
  empty.RemoveAt(0);
  EXPECT_EQ(empty.data, nullptr);
  Mem<DPOINT3> list = ThreePoints();
  list.RemoveAt(-1);
  EXPECT_EQ(Xs(list), (std::vector<double>{10, 20, 30}));
}

TEST(PointList, FailedInsertKeepsList) {
  Mem<DPOINT3> list = ThreePoints();
  TMemAllocationFaults noMemory(0);
  EXPECT_EQ(list.InsertAt(1), Mem<DPOINT3>::kEditFailed);
  list.RemoveAt(0);
  EXPECT_EQ(Xs(list), (std::vector<double>{10, 20, 30}));
}

TEST(PointList, GridOfPointsFlattensWithoutLoss) {
  Mem<DPOINT3> grid(2, 2);
  for (int k = 0; k < 4; ++k) grid.data[k].x = k + 1;
  EXPECT_EQ(grid.InsertAt(1), 1);
  EXPECT_EQ(Xs(grid), (std::vector<double>{1, 2, 2, 3, 4}));
}

}  // namespace
