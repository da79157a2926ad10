// Reads a fuzzed raster file (*.img). Expectations: a refused file leaves record and raster
// as they were; an accepted one is exactly 52 + 4 x width x height bytes long, writing it
// back gives the same bytes, and a colour picture built from it in every colour mode holds
// display values between 0 and 255.
#include <cmath>
#include <cstdint>
#include <string>

#include "foundation/containers/mem.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"
#include "imaging/color/color_image.h"
#include "optics/model/file_data.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

// Pictures are built only for rasters up to this many pixels, to keep every input fast.
constexpr std::int64_t kLargestPicture = 1 << 16;
const int kModes[] = {17, 18, 34, 20, 24, 40, 0, 48};

void CheckPicture(const TFileData &record, int mode, int scale, const std::string &path) {
  TColorImage image(0.4f, 0.7f, 0.001f, 0.01f);
  image.SetScaleMode(scale);
  image.WriteComponents(record);
  TFileData second(record);
  second.wavelength = record.wavelength + 0.05f;
  image.WriteComponents(second);
  TFileData third(record);
  third.wavelength = record.wavelength * 0.5f;
  image.WriteComponents(third);
  if (image.BuildFromComponents(mode) == 0) return;
  const int cells = image.pixels.cols * image.pixels.rows;
  for (int i = 0; i < cells; ++i) {
    const COLORVECTOR &pixel = image.pixels.data[i];
    for (const float value : {pixel.red, pixel.green, pixel.blue})
      FUZZ_CHECK(value >= 0.0f && value <= 255.0f, path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static TQuietBoxes boxes;
  static const bool installed = [] {
    SetMessageBoxProvider(&boxes);
    SetTempDir(FuzzScratchDirectory());
    return true;
  }();
  (void)installed;
  const std::string path = WriteFuzzFile("input.img", data, size);
  TFileData record;
  record.fileName = path;
  record.wavelength = 0.25f;
  record.width = 3;
  Mem<float> raster(1, 1);
  raster.data[0] = 7.0f;
  if (record.Read(raster) == 0) {
    FUZZ_CHECK(record.wavelength == 0.25f && record.width == 3,
               "a refused file changed the record");
    FUZZ_CHECK(raster.cols == 1 && raster.rows == 1 && raster.data[0] == 7.0f,
               "a refused file changed the raster");
    return 0;
  }
  const std::int64_t pixels = static_cast<std::int64_t>(record.width) * record.height;
  FUZZ_CHECK(record.width >= 0 && record.height >= 0, "negative size accepted");
  FUZZ_CHECK(static_cast<std::int64_t>(size) == 52 + 4 * pixels, "length does not match");
  FUZZ_CHECK(pixels == 0 ? raster.data == nullptr
                         : (raster.cols == record.width && raster.rows == record.height),
             "raster shape");
  const std::string copy = path + ".copy";
  TFileData writer(record);
  writer.fileName = copy;
  FUZZ_CHECK(writer.Write(raster) == 1, "written back");
  FUZZ_CHECK(ReadFuzzFile(copy) == ReadFuzzFile(path), "written back differently");
  if (pixels > 0 && pixels <= kLargestPicture)
    for (const int mode : kModes)
      for (const int scale : {0, 1}) CheckPicture(record, mode, scale, path);
  return 0;
}
