// The system file writer against stored files: each key, its order and its number format.
// A change in the written text shows as a failure naming the line; when the change is
// meant, UPDATE_GOLDEN=1 rewrites the stored files for review.

#include "foundation/testing/golden.h"
#include "optics/model/tests/system_test_support.h"

namespace {

// Written numbers are compared by value: only their last printed digit may move.
constexpr golden::NumberTolerance kPrintedDigits{1e-12, 1e-14};

class SystemFileGolden : public SystemTest {};

}  // namespace

TEST_F(SystemFileGolden, ExampleSystemsAreWrittenAsStored) {
  for (const char *example : {"cooke_triplet", "fold_mirror", "light_pipe"}) {
    SCOPED_TRACE(example);
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath(std::string(example) + ".os"), 0), 1);
    const std::string written = Scratch("written.os");
    ASSERT_EQ(system.WriteFile(written.c_str()), 1);
    EXPECT_GOLDEN_TEXT(ReadText(written),
                       "systemfile/tests/data/" + std::string(example) + "_written.os",
                       kPrintedDigits);
  }
  EXPECT_EQ(BoxCount(), 0u);
}
