// Reads a fuzzed image-synthesis settings file (*.tti). Expectations: a file that is not
// read leaves the settings as they were and says why, naming the file; a file that is read
// gives finite numbers and paths that fit, and written and read back it gives the same
// settings and, written again, the same bytes.
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "synthesis/folder/tti_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("input.tti", data, size);
  TTtiSettings start;
  start.fileFon = "/start/fon.bmp";
  start.distance = 321.0;
  TTtiSettings values = start;
  unsigned sections = 0;
  std::string problem;
  const TTtiReadResult result = ReadTtiFile(path, values, sections, problem);
  if (result != TTtiReadResult::Read) {
    FUZZ_CHECK(values == start && sections == 0, "a refused file changed the settings");
    FUZZ_CHECK(problem.find(path) != std::string::npos, problem);
    return 0;
  }
  FUZZ_CHECK(std::isfinite(values.distance) && std::isfinite(values.tau), "a number not finite");
  FUZZ_CHECK(values.fileFon.size() <= kTtiMaxPath && values.transformerFile.size() <= kTtiMaxPath,
             "a path too long");
  std::string text;
  // A path the writer cannot hold (a leading blank or quote) is refused, not written.
  if (!FormatTtiFile(values, true, true, text, problem)) return 0;
  const std::string copy = WriteFuzzFile("copy.tti", text);
  TTtiSettings again;
  unsigned againSections = 0;
  FUZZ_CHECK(ReadTtiFile(copy, again, againSections, problem) == TTtiReadResult::Read, problem);
  std::string second;
  FUZZ_CHECK(FormatTtiFile(again, true, true, second, problem), problem);
  FUZZ_CHECK(second == text, "a second save differs");
  return 0;
}
