// Reads a fuzzed bitmap picture (*.bmp) as the bitmap test object does. Expectations: a
// refused file says why and leaves no picture; an accepted one has a positive size that
// the file's bytes can hold, the platform's parse of the same bytes agrees, and its pixels
// (all of them, up to a size that keeps every input fast) convert to the scene's picture
// with exactly one colour per pixel.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_scratch.h"
#include "synthesis/objects/scene_picture_file.h"
#include "toolkit/render3d/o_dib.h"

namespace {

constexpr long long kLargestPicture = 1 << 18;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("input.bmp", data, size);
  const std::vector<std::uint8_t> bytes(data, data + size);
  std::vector<std::uint8_t> block;
  std::string parseError;
  const bool parses = TDib::ParseBitmapFile(bytes, block, parseError);
  std::unique_ptr<TODib> dib;
  TScenePicture picture;
  std::string error;
  // Large pictures are only parsed: their pixel conversion is slow, not different.
  if (parses) {
    const TDib parsed(block);
    const long long pixels = parsed.IsOK() ? static_cast<long long>(parsed.Width()) *
                                                 static_cast<long long>(parsed.Height())
                                           : 0;
    if (pixels > kLargestPicture) return 0;
  }
  const bool read = ReadScenePicture(path, dib, picture, error);
  FUZZ_CHECK(read == parses, "the file reader and the parse disagree: " + error + parseError);
  if (!read) {
    FUZZ_CHECK(!error.empty(), "refused without a reason");
    FUZZ_CHECK(dib == nullptr && picture.Empty(), "a refused file left a picture");
    return 0;
  }
  FUZZ_CHECK(dib != nullptr && dib->IsOK(), "accepted without a bitmap");
  FUZZ_CHECK(picture.width == dib->Width() && picture.height == dib->Height(), "size");
  FUZZ_CHECK(picture.width > 0 && picture.height > 0, "empty picture accepted");
  FUZZ_CHECK(picture.bgr.size() ==
                 static_cast<std::size_t>(picture.width) * picture.height * 3,
             "pixel count");
  // The rows the header claims lie inside the file.
  const long long stride = ((static_cast<long long>(dib->Width()) * dib->BitsPixel() + 31) / 32) * 4;
  FUZZ_CHECK(stride * dib->Height() <= static_cast<long long>(size), "rows beyond the file");
  return 0;
}
