// Imports a fuzzed DXF file as an emitting mesh. Expectations: the import answers 1 or 0,
// a refused file leaves the source as it was, and a taken one gives triangles whose
// objects are among the imported objects, each at 273 K with a name of at most 30
// characters.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"
#include "platform/core/message_box.h"
#include "synthesis/lightsource/light_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static TQuietBoxes boxes;
  static const bool installed = [] {
    SetMessageBoxProvider(&boxes);
    return true;
  }();
  (void)installed;
  const std::string path = WriteFuzzFile("input.dxf", data, size);
  TLightSource source;
  const int imported = source.ImportDXF(path);
  FUZZ_CHECK(imported == 0 || imported == 1, "import status");
  if (imported == 0) {
    FUZZ_CHECK(source.Triangles.data == nullptr && source.ObjectNames.data == nullptr,
               "a refused file changed the source");
    return 0;
  }
  const int objects = source.ObjectNames.cols;
  FUZZ_CHECK(objects >= 1 && source.ObjectTemperatures.cols == objects, "object lists");
  for (int k = 0; k < objects; ++k) {
    FUZZ_CHECK(source.ObjectNames.data[k].size() <= 30, "object name too long");
    FUZZ_CHECK(source.ObjectTemperatures.data[k] == 273.0f, "object temperature");
  }
  for (int k = 0; k < source.Triangles.cols; ++k)
    FUZZ_CHECK(source.Triangles.data[k].Object >= 0 && source.Triangles.data[k].Object < objects,
               "triangle of no object");
  // Small meshes go through the set-up as well (it is quadratic in the triangles).
  if (source.Triangles.cols <= 64) {
    source.SourceType = kSolidSource;
    source.Prepare();
  }
  return 0;
}
