// Opens a fuzzed component library and takes every element out of it into an edited system
// that holds the singlet. Expectations: a library that opens lists as many names as it has
// elements; an element that cannot be taken leaves the target as it was; one that can be
// taken is a system with an object surface, at least one element surface and an image
// surface, which saves and reads back with as many surfaces.
#include <cstdint>
#include <string>

#include "document/system/system_image.h"
#include "editor/library/component_library.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

void Setup() {
  static TGlassCatalog catalogs(FUZZ_GLASS_DIRECTORY, "schott");
  static TQuietBoxes boxes;
  static bool done = false;
  if (done) return;
  done = true;
  SetGlassCatalog(&catalogs);
  SetMessageBoxProvider(&boxes);
  SetTempDir(FuzzScratchDirectory());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  Setup();
  const std::string path = WriteFuzzFile("input.lct", data, size);
  TComponentLibrary library;
  if (library.Open(path) != 1) {
    FUZZ_CHECK(!library.ErrorText().empty(), "a refused library gave no reason");
    return 0;
  }
  FUZZ_CHECK(static_cast<int>(library.Names().size()) == library.Count(), "names and elements differ");
  TSystemImage target;
  if (target.Load(FUZZ_EXAMPLE_DIRECTORY "/singlet.os", 2) != 1)
    FuzzFailure("the singlet did not read", FUZZ_EXAMPLE_DIRECTORY "/singlet.os");
  // Takes are bounded: a library may list thousands of records.
  const int takes = library.Count() < 8 ? library.Count() : 8;
  for (int i = 0; i < takes; ++i) {
    const int surfaces = target.SurfaceCount();
    const TSurface *first = target.Surface(0);
    if (library.Take(i, target) != 1) {
      FUZZ_CHECK(target.SurfaceCount() == surfaces && target.Surface(0) == first,
                 "a refused element changed the target");
      continue;
    }
    FUZZ_CHECK(target.SurfaceCount() >= 3, "a taken element has no surfaces of its own");
    const std::string again = FuzzScratchDirectory() + "/taken.os";
    if (target.Save(again) == 1) {
      TSystemImage reread;
      reread.Load(again, 2);
      FUZZ_CHECK(reread.SurfaceCount() == target.SurfaceCount(), "a taken element does not read back whole");
    }
  }
  return 0;
}
