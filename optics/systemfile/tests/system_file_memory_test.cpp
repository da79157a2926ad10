// The system file reader when memory runs out part way: the loaded system stays, the user
// sees "Not enough memory" and no read fault about memory, and where the reader's own
// stages run out (the spectrum, the fields, the surfaces) the box comes once, not twice.

#include <gtest/gtest.h>

#include "foundation/containers/mem.h"
#include "optics/model/tests/system_test_support.h"

namespace {

class SystemFileMemory : public SystemTest {};

}  // namespace

TEST_F(SystemFileMemory, ARefusedBlockStopsTheReadWithOneBox) {
  int refusedReads = 0, singleBoxReads = 0;
  // Every count of blocks the read may have before the next one is refused, up to a read
  // that needs no more.
  for (int allowed = 0; allowed < 400; ++allowed) {
    SCOPED_TRACE(allowed);
    TOpticalSystem system;
    ASSERT_EQ(system.ReadFile(ExamplePath("singlet.os"), kNameFromFile), 1);
    const std::size_t boxesBefore = BoxCount();
    int result = 0;
    {
      const TMemAllocationFaults faults(allowed);
      result = system.ReadFile(ExamplePath("cooke_triplet.os"), kNameFromFile);
    }
    int memoryBoxes = 0, otherBoxes = 0;
    for (std::size_t b = boxesBefore; b < BoxCount(); ++b)
      (Boxes().boxes[b].text == "Not enough memory" ? memoryBoxes : otherBoxes) += 1;
    if (result == 1) {
      if (memoryBoxes == 0) break;  // the read had all the memory it needed
      continue;                     // a refusal the reader could live with
    }
    ++refusedReads;
    // The singlet that was loaded is still there, whole.
    EXPECT_EQ(system.SurfaceCount(), 4);
    EXPECT_EQ(system.info.LambdaW, 0.5875618);
    EXPECT_GE(memoryBoxes, 1);
    EXPECT_EQ(otherBoxes, 0);
    singleBoxReads += memoryBoxes == 1 ? 1 : 0;
  }
  EXPECT_GT(refusedReads, 0);
  // The file's own blocks come first (each refusal there is shown by the layer that asked);
  // the reader's stages after them show exactly one box each.
  EXPECT_GE(singleBoxReads, refusedReads - 4);
}
