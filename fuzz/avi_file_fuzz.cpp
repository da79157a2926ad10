// Reads a fuzzed movie (*.avi). Expectations: a refused file says why; an accepted one has
// at least one frame, a picture size that can be shown and a rate a player can keep; its
// frames are read from the file and from memory alike: both refuse the same frames, and
// the pictures they give are of the movie's size and equal.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_scratch.h"
#include "viewer3d/movies/avi_reader.h"

namespace {

// Frames are decoded only for pictures up to this many pixels, and only the first few and
// the last, to keep every input fast.
constexpr std::int64_t kLargestDecoded = 1 << 16;
constexpr int kFramesRead = 6;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("input.avi", data, size);
  TAviReader fromFile;
  TAviReader fromMemory;
  const bool opened = fromFile.Open(path);
  FUZZ_CHECK(opened == fromMemory.OpenBytes(std::vector<std::uint8_t>(data, data + size)), path);
  if (!opened) {
    FUZZ_CHECK(!fromFile.Error().empty(), "refused without a reason");
    return 0;
  }
  FUZZ_CHECK(fromFile.FrameCount() >= 1, "a movie without frames");
  FUZZ_CHECK(fromFile.FrameCount() == fromMemory.FrameCount(), "frame counts differ");
  FUZZ_CHECK(PictureSizeAllowed(fromFile.Width(), fromFile.Height()), "picture size");
  FUZZ_CHECK(fromFile.FramesPerSecond() >= 0.1 && fromFile.FramesPerSecond() <= 1000.0, "rate");
  if (static_cast<std::int64_t>(fromFile.Width()) * fromFile.Height() > kLargestDecoded) return 0;
  std::vector<int> frames;
  for (int k = 0; k < kFramesRead && k < fromFile.FrameCount(); ++k) frames.push_back(k);
  frames.push_back(fromFile.FrameCount() - 1);
  for (const int frame : frames) {
    TAviImage a, b;
    const bool readA = fromFile.ReadFrame(frame, a);
    FUZZ_CHECK(readA == fromMemory.ReadFrame(frame, b), "the readers disagree on a frame");
    if (!readA) {
      FUZZ_CHECK(!fromFile.Error().empty(), "a frame refused without a reason");
      continue;
    }
    FUZZ_CHECK(a.width == fromFile.Width() && a.height == fromFile.Height(), "frame size");
    FUZZ_CHECK(static_cast<std::int64_t>(a.bits.size()) == a.Stride() * a.height, "frame bytes");
    FUZZ_CHECK(a.bits == b.bits, "the readers give other pictures");
  }
  return 0;
}
