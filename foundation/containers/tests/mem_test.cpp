#include "foundation/containers/mem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/containers/string_class.h"
#include "foundation/containers/tests/mem_test_support.h"
#include "platform/core/recording_providers.h"

namespace {

using Strings = std::vector<std::string>;

class MemLifetime : public ::testing::Test {
 protected:
  void SetUp() override { TCountedCell::ResetCounts(); }
  void TearDown() override { EXPECT_EQ(TCountedCell::Alive(), 0) << "cells leaked or freed twice"; }
};

TEST(MemStorage, DefaultContainerIsEmptyAndOwning) {
  Mem<double> m;
  EXPECT_EQ(m.owns, 1);
  EXPECT_EQ(m.cols, 0);
  EXPECT_EQ(m.rows, 0);
  EXPECT_EQ(m.data, nullptr);
}

TEST(MemStorage, ZeroSizeGivesEmptyContainer) {
  TRecordingMessageBoxProvider boxes;
  Mem<int> noRows(5, 0);
  Mem<int> noCols(0, 5);
  EXPECT_EQ(noRows.data, nullptr);
  EXPECT_EQ(noRows.cols * 10 + noRows.rows, 0);
  EXPECT_EQ(noCols.data, nullptr);
  EXPECT_EQ(noCols.cols * 10 + noCols.rows, 0);
  EXPECT_EQ(noCols.owns, 1);
  EXPECT_TRUE(boxes.boxes.empty()) << "a zero size is no failure";
}

TEST(MemStorage, SingleSizeIsOneRowList) {
  Mem<int> m(4);
  EXPECT_EQ(m.cols, 4);
  EXPECT_EQ(m.rows, 1);
  ASSERT_NE(m.data, nullptr);
  EXPECT_EQ(CellsOf(m), (std::vector<int>{0, 0, 0, 0})) << "plain cells start at zero";
}

TEST(MemStorage, ZeroClearsNumbersAndResetsStrings) {
  Mem<double> numbers(3, 2);
  for (int k = 0; k < 6; ++k) numbers.data[k] = 1.5 * (k + 1);
  numbers.Zero();
  EXPECT_EQ(CellsOf(numbers), (std::vector<double>(6, 0.0)));

  Mem<STRING> texts(2);
  texts.data[0] = "lens";
  texts.data[1] = std::string(100, 'x');
  texts.Zero();
  EXPECT_EQ(texts.data[0], "");
  EXPECT_EQ(texts.data[1], "");

  Mem<int> empty;
  empty.Zero();
  EXPECT_EQ(empty.data, nullptr);
}

// A swap hands over blocks, shapes and ownership without building or freeing a cell.
TEST_F(MemLifetime, SwapExchangesBlocksWithoutTouchingCells) {
  {
    Mem<TCountedCell> a(3, 2), b(4);
    const TCountedCell *blockA = a.data, *blockB = b.data;
    const int built = TCountedCell::Alive();
    b.owns = 0;
    swap(a, b);
    EXPECT_EQ(TCountedCell::Alive(), built);
    EXPECT_EQ(a.data, blockB);
    EXPECT_EQ(b.data, blockA);
    EXPECT_EQ(a.cols * a.rows, 4);
    EXPECT_EQ(b.cols, 3);
    EXPECT_EQ(b.rows, 2);
    EXPECT_EQ(a.owns, 0);
    EXPECT_EQ(b.owns, 1);
    a.Swap(b);  // back, so that each block is freed by the container that owns it
    EXPECT_EQ(a.data, blockA);
    EXPECT_EQ(b.owns, 0);
    b.owns = 1;
  }
  EXPECT_EQ(TCountedCell::Alive(), 0);
}

TEST_F(MemLifetime, SizedConstructionBuildsAndDestroysEveryCell) {
  {
    Mem<TCountedCell> m(3, 4);
    EXPECT_EQ(TCountedCell::constructed, 12);
    EXPECT_EQ(m.data[11].Value(), "default");
  }
  EXPECT_EQ(TCountedCell::destroyed, 12);
}

TEST_F(MemLifetime, AllocateDiscardsOldContent) {
  Mem<TCountedCell> m(2);
  m.data[0] = TCountedCell("old");
  EXPECT_EQ(m.Allocate(3, 2), 1);
  EXPECT_EQ(m.cols, 3);
  EXPECT_EQ(m.rows, 2);
  EXPECT_EQ(ValuesOf(m), Strings(6, "default"));
  EXPECT_EQ(TCountedCell::Alive(), 6);
  EXPECT_EQ(m.Allocate(0, 2), 0);
  EXPECT_EQ(m.data, nullptr);
  EXPECT_EQ(TCountedCell::Alive(), 0);
}

TEST_F(MemLifetime, ClearReleasesOnceAndEmpties) {
  Mem<TCountedCell> m(4);
  m.Clear();
  EXPECT_EQ(m.data, nullptr);
  EXPECT_EQ(m.cols + m.rows, 0);
  EXPECT_EQ(TCountedCell::destroyed, 4);
  m.Clear();
  EXPECT_EQ(TCountedCell::destroyed, 4);
}

TEST(MemStorage, ContainerThatDoesNotOwnNeverReleases) {
  auto *block = new int[3]{7, 8, 9};
  {
    Mem<int> view;
    view.owns = 0;
    view.data = block;
    view.cols = 3;
    view.rows = 1;
    view.Clear();
    EXPECT_EQ(view.data, block) << "Clear must leave a borrowed block alone";
    EXPECT_EQ(view.cols, 3);
    view.data = nullptr;  // the destructor would not free it either; keep the test tidy
  }
  EXPECT_EQ(block[2], 9);
  delete[] block;
}

// Growth and shrinking of a grid keep each surviving cell at its (column, row).
TEST(MemResize, GrowingKeepsCellsAtTheirPositions) {
  Mem<STRING> grid(2, 2);
  grid.data[0] = "a";
  grid.data[1] = "b";
  grid.data[2] = "c";
  grid.data[3] = "d";
  EXPECT_EQ(grid.Resize(3, 3), 9);
  ASSERT_EQ(grid.cols, 3);
  ASSERT_EQ(grid.rows, 3);
  const std::vector<STRING> expected{"a", "b", "", "c", "d", "", "", "", ""};
  EXPECT_EQ(CellsOf(grid), expected);
}

TEST(MemResize, NewPlainCellsAreZero) {
  Mem<int> grid(2, 2);
  FillCounting(grid);
  grid.Resize(3, 3);
  EXPECT_EQ(CellsOf(grid), (std::vector<int>{1, 2, 0, 3, 4, 0, 0, 0, 0}));
}

TEST(MemResize, ShrinkingKeepsOnlyTheOverlap) {
  Mem<int> grid(3, 3);
  FillCounting(grid);
  EXPECT_EQ(grid.Resize(2, 1), 2);
  EXPECT_EQ(CellsOf(grid), (std::vector<int>{1, 2}));
  EXPECT_EQ(grid.rows, 1);
}

TEST(MemResize, ReshapingIsNotReinterpreting) {
  Mem<int> list(4);
  FillCounting(list);
  EXPECT_EQ(list.Resize(1, 4), 4);
  EXPECT_EQ(list.cols, 1);
  EXPECT_EQ(CellsOf(list), (std::vector<int>{1, 0, 0, 0}));
}

TEST(MemResize, SameShapeBuildsNewBlockWithSameCells) {
  Mem<int> grid(3, 2);
  FillCounting(grid);
  const int *oldBlock = grid.data;
  EXPECT_EQ(grid.Resize(3, 2), 6);
  EXPECT_NE(grid.data, oldBlock);
  EXPECT_EQ(CellsOf(grid), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(MemResize, ZeroSizeEmpties) {
  Mem<int> grid(3, 2);
  EXPECT_EQ(grid.Resize(0, 2), 0);
  EXPECT_EQ(grid.data, nullptr);
  EXPECT_EQ(grid.cols + grid.rows, 0);
  EXPECT_EQ(grid.Resize(4, 0), 0);
  EXPECT_EQ(grid.data, nullptr);
  EXPECT_EQ(grid.owns, 1);
}

TEST_F(MemLifetime, ResizeDestroysDroppedCellsAndDefaultsNewOnes) {
  Mem<TCountedCell> m(2, 2);
  m.data[3] = TCountedCell("kept");
  m.Resize(2, 3);
  EXPECT_EQ(ValuesOf(m), (Strings{"default", "default", "default", "kept", "default", "default"}));
  EXPECT_EQ(TCountedCell::Alive(), 6);
  m.Resize(1, 1);
  EXPECT_EQ(TCountedCell::Alive(), 1);
}

TEST(MemResize, FailureKeepsEverythingAndShowsNothing) {
  TRecordingMessageBoxProvider boxes;
  Mem<STRING> grid(2, 1);
  grid.data[0] = "first";
  grid.data[1] = "second";
  const STRING *oldBlock = grid.data;
  {
    TMemAllocationFaults noMemory(0);
    EXPECT_EQ(grid.Resize(5, 5), 0);
  }
  EXPECT_EQ(grid.data, oldBlock);
  EXPECT_EQ(grid.cols, 2);
  EXPECT_EQ(grid.rows, 1);
  EXPECT_EQ(grid.data[1], "second");
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(MemResize, ImpossibleSizeFailsWithoutChange) {
  Mem<int> list(3);
  FillCounting(list);
  EXPECT_EQ(list.Resize(-2, 4), 0);
  EXPECT_EQ(list.Resize(100000, 100000), 0) << "10^10 cells cannot be counted in an int";
  EXPECT_EQ(CellsOf(list), (std::vector<int>{1, 2, 3}));
}

TEST(MemAssign, CopyIsDeepAndIndependent) {
  Mem<STRING> source(3, 4);
  for (int k = 0; k < 12; ++k) source.data[k] = "cell " + std::to_string(k);
  Mem<STRING> target(1);
  target = source;
  ASSERT_EQ(target.cols, 3);
  ASSERT_EQ(target.rows, 4);
  EXPECT_EQ(CellsOf(target), CellsOf(source));
  EXPECT_NE(target.data, source.data);
  source.data[5] = "changed";
  target.data[6] = "also changed";
  EXPECT_EQ(target.data[5], "cell 5");
  EXPECT_EQ(source.data[6], "cell 6");
}

TEST(MemAssign, CopyConstructionIsIndependent) {
  Mem<double> source(2, 2);
  for (int k = 0; k < 4; ++k) source.data[k] = 0.25 * k;
  Mem<double> copy(source);
  EXPECT_EQ(copy.owns, 1);
  EXPECT_EQ(CellsOf(copy), (std::vector<double>{0.0, 0.25, 0.5, 0.75}));
  copy.data[0] = 9.0;
  EXPECT_EQ(source.data[0], 0.0);
}

TEST(MemAssign, EmptySourceEmptiesTarget) {
  Mem<int> target(5, 5);
  const Mem<int> empty;
  target = empty;
  EXPECT_EQ(target.data, nullptr);
  EXPECT_EQ(target.cols + target.rows, 0);
}

TEST(MemAssign, SelfAssignmentKeepsContent) {
  Mem<STRING> names(2);
  names.data[0] = "crown";
  names.data[1] = "flint";
  Mem<STRING> &alias = names;
  names = alias;
  EXPECT_EQ(names.cols, 2);
  EXPECT_EQ(CellsOf(names), (std::vector<STRING>{"crown", "flint"}));
}

TEST_F(MemLifetime, AssignmentDestroysOldCellsAndCopiesThroughAssignment) {
  Mem<TCountedCell> source(3);
  source.data[2] = TCountedCell("third");
  Mem<TCountedCell> target(5);
  TCountedCell::assigned = 0;
  target = source;
  EXPECT_EQ(TCountedCell::assigned, 3);
  EXPECT_EQ(TCountedCell::Alive(), 6);
  EXPECT_EQ(ValuesOf(target), (Strings{"default", "default", "third"}));
}

TEST(MemFailure, FailedAssignmentEmptiesTargetAndShowsOneBox) {
  TRecordingMessageBoxProvider boxes;
  Mem<int> source(4);
  Mem<int> target(2);
  {
    TMemAllocationFaults noMemory(0);
    Mem<int> &result = (target = source);
    EXPECT_EQ(&result, &target);
  }
  EXPECT_EQ(target.data, nullptr);
  EXPECT_EQ(target.cols + target.rows, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough memory");
  EXPECT_EQ(boxes.boxes[0].caption, " Memory ");
  EXPECT_EQ(boxes.boxes[0].flags, MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(boxes.boxes[0].owner, nullptr);
}

TEST(MemFailure, FailedAllocateLeavesEmptyAndReturnsZero) {
  TRecordingMessageBoxProvider boxes;
  Mem<double> m(3);
  {
    TMemAllocationFaults noMemory(0);
    EXPECT_EQ(m.Allocate(10, 10), 0);
  }
  EXPECT_EQ(m.data, nullptr);
  EXPECT_EQ(m.cols + m.rows, 0);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST(MemFailure, FailedSizedConstructionIsEmpty) {
  TRecordingMessageBoxProvider boxes;
  TMemAllocationFaults noMemory(0);
  Mem<STRING> m(8, 2);
  EXPECT_EQ(m.data, nullptr);
  EXPECT_EQ(m.owns, 1);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST(MemFailure, ImpossibleSizesAreAllocationFailures) {
  TRecordingMessageBoxProvider boxes;
  Mem<float> negative(-3, 2);
  Mem<float> huge(70000, 70000);
  Mem<float> bothNegative;
  EXPECT_EQ(bothNegative.Allocate(-1, -1), 0) << "(-1) x (-1) is no shape";
  EXPECT_EQ(negative.data, nullptr);
  EXPECT_EQ(huge.data, nullptr);
  EXPECT_EQ(bothNegative.data, nullptr);
  EXPECT_EQ(boxes.boxes.size(), 3u);
}

TEST(MemFailure, FaultScopeCountsAllowedBlocks) {
  TRecordingMessageBoxProvider boxes;
  TMemAllocationFaults oneBlock(1);
  Mem<int> first(2);
  Mem<int> second(2);
  EXPECT_NE(first.data, nullptr);
  EXPECT_EQ(second.data, nullptr);
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

// A cell type that holds containers, as the configurations and merit records do.
struct TRecordWithLists {
  Mem<double> values;
  Mem<STRING> names;
  int tag = 0;
};

TEST(MemNested, CellsHoldingContainersCopyDeeply) {
  Mem<TRecordWithLists> records(2);
  records.data[1].values.Allocate(3);
  records.data[1].values.data[2] = 2.5;
  records.data[1].names.Append(STRING("surface"));
  records.data[1].tag = 7;

  Mem<TRecordWithLists> copy;
  copy = records;
  ASSERT_EQ(copy.cols, 2);
  EXPECT_NE(copy.data[1].values.data, records.data[1].values.data);
  EXPECT_EQ(copy.data[1].values.data[2], 2.5);
  EXPECT_EQ(copy.data[1].names.data[0], "surface");
  EXPECT_EQ(copy.data[1].tag, 7);
  records.data[1].values.data[2] = -1.0;
  EXPECT_EQ(copy.data[1].values.data[2], 2.5);

  // Growing the outer list moves the inner lists by their own assignment.
  copy.Resize(4, 1);
  EXPECT_EQ(copy.data[1].names.data[0], "surface");
  EXPECT_EQ(copy.data[3].values.data, nullptr);
}

TEST(MemNested, RasterSetsCopyEveryRaster) {
  Mem<Mem<float>> rasters(2);
  rasters.data[0].Allocate(2, 2);
  rasters.data[0].data[3] = 4.0f;
  Mem<Mem<float>> copy(rasters);
  EXPECT_EQ(copy.data[0].cols, 2);
  EXPECT_EQ(copy.data[0].rows, 2);
  EXPECT_EQ(copy.data[0].data[3], 4.0f);
  EXPECT_NE(copy.data[0].data, rasters.data[0].data);
  EXPECT_EQ(copy.data[1].data, nullptr);
}

// A cell type that holds a list of its own kind, as nested element groups do.
struct TTreeNode {
  Mem<TTreeNode> children;
  int id = 0;
};

TEST(MemNested, AssignFromListInsideOwnCell) {
  Mem<TTreeNode> tree(2);
  tree.data[1].id = 1;
  tree.data[1].children.Allocate(3);
  tree.data[1].children.data[2].id = 12;
  tree = tree.data[1].children;
  ASSERT_EQ(tree.cols, 3);
  EXPECT_EQ(tree.data[2].id, 12);
  EXPECT_EQ(tree.data[0].children.data, nullptr);
}

}  // namespace
