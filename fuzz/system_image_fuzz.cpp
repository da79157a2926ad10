// Reads a fuzzed system file, with its configuration sections, into an edited system that
// holds the Cooke triplet in two configurations. Expectations: a refused file leaves the
// loaded system as it was; an accepted one has one position per element in every
// configuration, every configuration can be selected, and the system saves and loads
// again with the same configurations.
#include <cstdint>
#include <string>

#include "document/system/system_image.h"
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

bool PositionsMatchElements(const TSystemImage &image) {
  for (int k = 0; k < image.ConfigurationCount(); ++k) {
    const Mem<DPOINT3> &positions = image.configurations.data[k].positions;
    const int count = positions.Cells();
    if (count != image.ElementCount()) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  Setup();
  const std::string path = WriteFuzzFile("input.os", data, size);
  TSystemImage image;
  if (image.Load(FUZZ_EXAMPLE_DIRECTORY "/cooke_triplet.os", 2) != 1)
    FuzzFailure("the triplet did not read", FUZZ_EXAMPLE_DIRECTORY "/cooke_triplet.os");
  image.InsertConfiguration(0);
  const int surfaces = image.SurfaceCount();
  const TSurface *first = image.Surface(0);
  if (image.Load(path, 2) != 1) {
    // A file read whole whose preparation failed replaces the system; any other refusal
    // leaves it. Either way the elements and configurations describe the surfaces held.
    const bool kept = image.SurfaceCount() == surfaces && image.Surface(0) == first &&
                      image.ConfigurationCount() == 2;
    FUZZ_CHECK(kept || image.Surface(0) != first, "a refused file changed the loaded system");
    FUZZ_CHECK(PositionsMatchElements(image), "positions and elements differ after a refusal");
    for (int e = 0; e < image.ElementCount(); ++e)
      for (int k = 0; k < image.elements.data[e].SurfaceCount(); ++k)
        FUZZ_CHECK(image.IndexOfSurface(image.elements.data[e].surfaces.data[k]) >= 0,
                   "an element refers to a surface the system does not hold");
    return 0;
  }
  FUZZ_CHECK(image.ConfigurationCount() >= 1, "no configuration after a load");
  FUZZ_CHECK(PositionsMatchElements(image), "positions and elements differ in number");
  for (int k = image.ConfigurationCount() - 1; k >= 0; --k)
    FUZZ_CHECK(image.SelectConfiguration(k) == 1, "a configuration could not be selected");
  const int configurations = image.ConfigurationCount();
  const std::string again = FuzzScratchDirectory() + "/again.os";
  if (image.Save(again) == 1) {
    TSystemImage reloaded;
    if (reloaded.Load(again, 2) == 1)
      FUZZ_CHECK(reloaded.ConfigurationCount() == configurations,
                 "saving and loading changed the configurations");
  }
  return 0;
}
