#include <gtest/gtest.h>

#include "optics/model/configuration_parameters.h"
#include "optics/model/element_animation_info.h"
#include "optics/model/surface_edit_data.h"

namespace {

// A region that counts how many of its kind are alive, so leaks and double deletes show.
class CountedRegion : public TEditRegion {
 public:
  explicit CountedRegion(int tag) : tag_(tag) { ++alive; }
  CountedRegion(const CountedRegion &other) : TEditRegion(), tag_(other.tag_) { ++alive; }
  ~CountedRegion() override { --alive; }
  TEditRegion *Clone() const override { return new CountedRegion(*this); }
  int Tag() const { return tag_; }
  static int alive;

 private:
  int tag_;
};
int CountedRegion::alive = 0;

TEST(ConfigurationParameters, CopiesOwnTheirLists) {
  TConfigurationParameters source;
  EXPECT_EQ(source.positions.data, nullptr);
  EXPECT_EQ(source.Naper, 0);
  EXPECT_EQ(source.Dzr, 0.0);
  ASSERT_TRUE(source.positions.Allocate(2, 1));
  source.positions.data[1] = DPOINT3(1.0, 2.0, 3.0);
  ASSERT_TRUE(source.AlfaM.Allocate(1, 1));
  source.AlfaM.data[0] = 0.5;
  source.Naper = 2;
  source.Unit = 1;
  source.Dzr = 0.25;
  TConfigurationParameters copy(source);
  TConfigurationParameters assigned;
  ASSERT_TRUE(assigned.AlfaM.Allocate(5, 1));
  assigned = source;
  source.positions.data[1].y = -9.0;
  source.AlfaM.data[0] = 7.0;
  EXPECT_EQ(copy.positions.data[1].y, 2.0);
  EXPECT_EQ(assigned.positions.data[1].z, 3.0);
  EXPECT_EQ(assigned.AlfaM.cols, 1);
  EXPECT_EQ(assigned.AlfaM.data[0], 0.5);
  EXPECT_EQ(assigned.Naper, 2);
  EXPECT_EQ(assigned.Unit, 1);
  EXPECT_EQ(assigned.Dzr, 0.25);
  TConfigurationParameters empty;
  assigned = empty;  // an empty source empties the lists
  EXPECT_EQ(assigned.positions.data, nullptr);
  EXPECT_EQ(assigned.AlfaM.data, nullptr);
}

TEST(EditSurfaceData, DeletesAndCopiesItsRegion) {
  CountedRegion::alive = 0;
  {
    TEditSurfaceData data;
    EXPECT_EQ(data.flag, 1);
    data.region = new CountedRegion(3);
    TEditSurfaceData copy(data);
    EXPECT_EQ(CountedRegion::alive, 2);
    copy = TEditSurfaceData();
    EXPECT_EQ(CountedRegion::alive, 1);
  }
  EXPECT_EQ(CountedRegion::alive, 0);
}

TEST(ElementAnimationInfo, NewRecordHasTwoZeroValuesPerRangeAndNoOrigin) {
  const TElementAnimationInfo info;
  EXPECT_EQ(info.elementIndex, 0);
  EXPECT_EQ(info.GoBack, 0);
  for (const Mem<double> &range : info.ranges) {
    ASSERT_EQ(range.cols * range.rows, 2);
    EXPECT_EQ(range.data[0], 0.0);
    EXPECT_EQ(range.data[1], 0.0);
  }
  EXPECT_EQ(info.rotationOrigin.x, 2147483647.0);
  EXPECT_EQ(info.motion[5][2], 0.0);
  EXPECT_EQ(info.steps[3], 0.0);
}

TEST(ElementAnimationInfo, CopiesOwnTheirRanges) {
  TElementAnimationInfo source;
  source.elementIndex = 4;
  source.ranges[2].data[1] = 12.0;
  source.motion[1][0] = 0.5;
  TElementAnimationInfo copy(source);
  TElementAnimationInfo assigned;
  assigned = source;
  source.ranges[2].data[1] = -1.0;
  EXPECT_EQ(copy.ranges[2].data[1], 12.0);
  EXPECT_EQ(assigned.ranges[2].data[1], 12.0);
  EXPECT_NE(assigned.ranges[2].data, source.ranges[2].data);
  EXPECT_EQ(assigned.elementIndex, 4);
  EXPECT_EQ(copy.motion[1][0], 0.5);
}

}  // namespace
