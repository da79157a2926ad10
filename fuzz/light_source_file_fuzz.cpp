// Reads a fuzzed light-source file (*.srl). Expectations: the reader answers 1 or 0, a
// refused file leaves the source as it was, and a file it takes is written again and read
// back to the same bytes.
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
  const std::string path = WriteFuzzFile("input.srl", data, size);
  TLightSource source;
  source.Comment = "untouched";
  const int read = source.ReadFile(path);
  FUZZ_CHECK(read == 0 || read == 1, "read status");
  if (read == 0) {
    FUZZ_CHECK(source.Comment == "untouched" && source.Zones.data == nullptr,
               "a refused file changed the source");
    return 0;
  }
  const std::string first = WriteFuzzFile("first.srl", std::string());
  FUZZ_CHECK(source.WriteFile(first) == 1, "write");
  TLightSource again;
  FUZZ_CHECK(again.ReadFile(first) == 1, "our own file refused");
  const std::string second = WriteFuzzFile("second.srl", std::string());
  FUZZ_CHECK(again.WriteFile(second) == 1, "second write");
  FUZZ_CHECK(ReadFuzzFile(first) == ReadFuzzFile(second), "round trip differs");
  // The set-up and a draw must run on whatever the file held (the mesh set-up is quadratic
  // in the triangles, and limits or screens may refuse a million draws: both are left out).
  if (source.SourceType == kSolidSource && source.Triangles.cols > 64) return 0;
  source.Prepare();
  // A zone thinned to nearly nothing refuses almost every draw: a thousand must do here.
  source.maxDrawAttempts = 1000;
  if (source.CanDrawRays() && source.LocLimits.data == nullptr && source.Screens.data == nullptr) {
    double direction[3], start[3];
    int object = 0;
    source.GetRandomRay(direction, start, object);
  }
  return 0;
}
