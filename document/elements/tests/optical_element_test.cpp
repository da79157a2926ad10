#include <gtest/gtest.h>

#include "document/elements/optical_element.h"
#include "optics/model/edit_region.h"

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

TEST(OpticalElement, CopiesShareSurfacesButOwnTheirRegion) {
  CountedRegion::alive = 0;
  {
    TOpticalElement element;
    EXPECT_EQ(element.region, nullptr);
    EXPECT_EQ(element.mark, 0);
    ASSERT_TRUE(element.surfaces.Allocate(2, 1));
    auto *surface = reinterpret_cast<TEditSurface *>(&element);  // only the pointer matters
    element.surfaces.data[0] = surface;
    element.region = new CountedRegion(7);
    element.mark = 1;
    element.referencePoint = DPOINT3(1.0, 2.0, 3.0);

    TOpticalElement copy(element);
    EXPECT_EQ(CountedRegion::alive, 2);
    ASSERT_NE(copy.region, element.region);
    EXPECT_EQ(static_cast<CountedRegion *>(copy.region)->Tag(), 7);
    EXPECT_EQ(copy.surfaces.data[0], surface);
    EXPECT_NE(copy.surfaces.data, element.surfaces.data);
    EXPECT_EQ(copy.mark, 1);
    EXPECT_EQ(copy.referencePoint.z, 3.0);

    TOpticalElement plain;
    copy = plain;  // the old region goes, none comes
    EXPECT_EQ(copy.region, nullptr);
    EXPECT_EQ(CountedRegion::alive, 1);
    copy = element;
    const TOpticalElement &itself = copy;
    copy = itself;  // assignment to itself
    EXPECT_EQ(CountedRegion::alive, 2);
  }
  EXPECT_EQ(CountedRegion::alive, 0);
}

}  // namespace
