#include "optimization/merit/functions_parameters.h"

#include <gtest/gtest.h>

namespace {

// Marks every table of a record so that a shared block or a lost cell shows up.
void Mark(TFunctionsParameters &record, double base) {
  record.Unit = 1;
  record.NrayInBeam = 5;
  record.ScannerSurface = 4;
  record.Focus.data[0].Target = base + 1;
  record.Magnification.data[0].Target = base + 2;
  record.Sfs.data[0].Target = base + 3;
  record.LengthOfSystem.data[0].Target = base + 4;
  record.Narciss.Target = base + 5;
  record.AberT.data[2].Target = base + 6;
  record.AberTSag.data[2].Target = base + 7;
  record.AberW.data[2].Target = base + 8;
  record.AberWSag.data[2].Target = base + 9;
  record.Distor.data[0].Target = base + 10;
  record.Strehl.data[0].Target = base + 11;
  record.Ybeam = base + 12;
  record.Zbeam = base + 13;
  record.Wbeam = base + 14;
}

// Checks the marks of Mark(record, base) table by table.
void ExpectMarked(const TFunctionsParameters &record, double base) {
  EXPECT_EQ(record.Unit, 1);
  EXPECT_EQ(record.NrayInBeam, 5);
  EXPECT_EQ(record.ScannerSurface, 4);
  EXPECT_EQ(record.Focus.data[0].Target, base + 1);
  EXPECT_EQ(record.Magnification.data[0].Target, base + 2);
  EXPECT_EQ(record.Sfs.data[0].Target, base + 3);
  EXPECT_EQ(record.LengthOfSystem.data[0].Target, base + 4);
  EXPECT_EQ(record.Narciss.Target, base + 5);
  EXPECT_EQ(record.AberT.data[2].Target, base + 6);
  EXPECT_EQ(record.AberTSag.data[2].Target, base + 7);
  EXPECT_EQ(record.AberW.data[2].Target, base + 8);
  EXPECT_EQ(record.AberWSag.data[2].Target, base + 9);
  EXPECT_EQ(record.Distor.data[0].Target, base + 10);
  EXPECT_EQ(record.Strehl.data[0].Target, base + 11);
  EXPECT_EQ(record.Ybeam, base + 12);
  EXPECT_EQ(record.Zbeam, base + 13);
  EXPECT_EQ(record.Wbeam, base + 14);
}

TEST(TFunctionDescription, StartsAtZero) {
  Mem<TFunctionDescription> list(3);
  EXPECT_EQ(list.data[2].Target, 0.0);
  EXPECT_EQ(list.data[2].Weight, 0.0);
  EXPECT_EQ(list.data[2].Value, 0.0);
}

TEST(TFunctionsParameters, DefaultTables) {
  const TFunctionsParameters record;
  EXPECT_EQ(record.Unit, 0);
  EXPECT_EQ(record.NrayInBeam, 3);
  EXPECT_EQ(record.ScannerSurface, 0);
  ASSERT_EQ(record.Focus.cols * record.Focus.rows, 1);
  // A new record (a configuration or beam added later) drives nothing: a Focus weight of
  // 1 on its target 0 would pull the focal length of that configuration to 0.
  for (const Mem<TFunctionDescription> *table :
       {&record.Focus, &record.Magnification, &record.Sfs, &record.LengthOfSystem, &record.Distor,
        &record.Strehl}) {
    ASSERT_EQ(table->cols, 1);
    ASSERT_EQ(table->rows, 1);
    EXPECT_EQ(table->data[0].Weight, 0.0);
  }
  for (const Mem<TFunctionDescription> *rays :
       {&record.AberT, &record.AberTSag, &record.AberW, &record.AberWSag}) {
    EXPECT_EQ(rays->cols, 1) << "one wavelength";
    EXPECT_EQ(rays->rows, 3) << "three rays";
    EXPECT_EQ(rays->data[2].Weight, 0.0);
  }
  EXPECT_EQ(record.Narciss.Weight, 0.0);
  EXPECT_EQ(record.Wbeam, 0.0);
}

TEST(TFunctionsParameters, CopyConstructionIsDeep) {
  TFunctionsParameters source;
  Mark(source, 100);
  const TFunctionsParameters copy(source);
  ExpectMarked(copy, 100);
  Mark(source, 500);
  ExpectMarked(copy, 100);
  EXPECT_NE(copy.AberW.data, source.AberW.data);
}

TEST(TFunctionsParameters, AssignmentIsDeepAndTakesShapes) {
  TFunctionsParameters source;
  source.AberT.Resize(2, 5);
  Mark(source, 10);
  TFunctionsParameters target;
  target = source;
  EXPECT_EQ(target.AberT.cols, 2);
  EXPECT_EQ(target.AberT.rows, 5);
  Mark(source, 20);
  ExpectMarked(target, 10);
  TFunctionsParameters &alias = target;
  target = alias;
  ExpectMarked(target, 10);
}

// Records per configuration (columns) and beam (rows), as the merit set keeps them.
TEST(TFunctionsParameters, RecordTableCopiesAndGrowsWithoutSharing) {
  Mem<TFunctionsParameters> records(2, 2);
  Mark(records.data[3], 40);
  Mem<TFunctionsParameters> copy;
  copy = records;
  Mark(records.data[3], 70);
  ExpectMarked(copy.data[3], 40);

  EXPECT_EQ(copy.Resize(2, 3), 6) << "a third beam";
  ExpectMarked(copy.data[3], 40);
  EXPECT_EQ(copy.data[5].NrayInBeam, 3) << "the new beam has default tables";
  EXPECT_EQ(copy.data[5].Focus.data[0].Weight, 0.0);
  copy.DeleteRow(0);
  ExpectMarked(copy.data[1], 40);
}

TEST(TIndexOfFunction, DefaultsAndCopies) {
  Mem<TIndexOfFunction> index(2);
  EXPECT_EQ(index.data[1].Configuration, 0);
  EXPECT_EQ(index.data[1].Beam, 0);
  EXPECT_EQ(index.data[1].Kind, -1);
  EXPECT_EQ(index.data[1].Ray, 0);
  EXPECT_EQ(index.data[1].Wavelength, 0);
  index.data[0] = TIndexOfFunction{1, 2, 3, 4, 5};
  index.Append(index.data[0]);
  EXPECT_EQ(index.data[2].Wavelength, 5);
  index.Resize(4, 1);
  EXPECT_EQ(index.data[3].Kind, -1);
}

}  // namespace
