// Reads a fuzzed settings file for the properties folder's place, and a fuzzed cell text as
// the properties' pages read numbers. Expectations: a place read is a rectangle, written
// back it reads the same and the rest of the file is kept; a number read is finite, and its
// text as the cells show it reads back to within the digits shown.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "editor/properties/properties_settings.h"
#include "editor/properties/property_edit.h"
#include "fuzz/fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string cell = input.ConsumeRandomLengthString(128);
  const std::string path = WriteFuzzFile("RodIru2Z.ini", input.ConsumeRemainingBytesAsString());

  int position[4] = {0, 0, 0, 0};
  if (ReadPropertiesPosition(path, position) == 1) {
    FUZZ_CHECK(position[2] > position[0] && position[3] > position[1], "not a rectangle");
    if (WritePropertiesPosition(path, position) == 1) {
      int again[4] = {0, 0, 0, 0};
      FUZZ_CHECK(ReadPropertiesPosition(path, again) == 1, "written place not read back");
      for (int k = 0; k < 4; ++k) FUZZ_CHECK(again[k] == position[k], "place changed by " + std::to_string(k));
    }
  }

  double value = 0.0;
  if (ParsePropertyNumber(cell, value)) {
    FUZZ_CHECK(std::isfinite(value), cell);
    double shown = 0.0;
    const std::string text = FormatPropertyNumber(value);
    FUZZ_CHECK(ParsePropertyNumber(text, shown), text);
    // Half a unit in the last digit shown, relative to a mantissa of at least 1, and the
    // rounding of the text read back.
    const double halfUnit = 0.5 * std::pow(10.0, 1 - kShownPropertyDigits);
    FUZZ_CHECK(std::fabs(shown - value) <= (halfUnit + 1e-15) * std::fabs(value) + 1e-300, text);
  }
  return 0;
}
