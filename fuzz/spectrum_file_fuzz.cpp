// Reads a fuzzed spectrum file (*.spc) whole and row by row, as a test object reads its
// spectra, for synthesis pixel counts 1, 2, 4 and 8. Expectations: the file is taken only
// when it is exactly 8 n^2 bytes long, and then whole and row-by-row reads agree.
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/containers/mem.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"
#include "imaging/rasters/spectrum_file.h"
#include "imaging/testobject/test_image.h"
#include "imaging/testobject/test_object.h"
#include "platform/core/message_box.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static TQuietBoxes boxes;
  static TTestImage record;
  static const bool installed = [] {
    SetMessageBoxProvider(&boxes);
    SetTestImage(&record);
    return true;
  }();
  (void)installed;
  const std::string path = WriteFuzzFile("input.spc", data, size);
  for (const int n : {1, 2, 4, 8}) {
    record.pixelCount = n;
    const bool fits = static_cast<std::int64_t>(size) == SpectrumFileBytes(n);
    Mem<float> re(n, n), im(n, n);
    re.Zero();
    im.Zero();
    const int read = ReadSpectrumFile(path, re, im, n);
    FUZZ_CHECK(read == (fits ? 1 : 0), "whole read");
    TTestObject object(nullptr);
    object.frameFiles.Allocate(1, 1);
    object.frameFiles.data[0].fileName = path;
    FUZZ_CHECK(object.OpenFrameFile(3) == (fits ? 1 : 0), "frame opened");
    Mem<float> pair;
    for (int row = -1; row <= n; ++row) {
      const int step = object.ReadFrameStep(0, pair, row);
      FUZZ_CHECK(step == (fits && row >= 0 && row < n ? 1 : 0), "row read");
      if (step == 1)
        FUZZ_CHECK(std::memcmp(pair.data, re.data + row * n, sizeof(float) * n) == 0 &&
                       std::memcmp(pair.data + n, im.data + row * n, sizeof(float) * n) == 0,
                   "rows differ from the whole read");
    }
    object.CloseFrameFile(0);
  }
  return 0;
}
