// Movie frames written a second at 800 x 600, as full 24-bit frames and as Motion JPEG
// pictures at quality 90: each frame converted as the writer converts it, coded and
// appended to the movie's work file. A movie is finished every 100 frames (outside the
// timing), so the file stays far below the size limit.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "viewer3d/movies/avi_movie_writer.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFramesPerMovie = 100;
constexpr int kPictures = 8;

// A picture like a rendered scene: a smooth background with a bright disc that moves.
std::vector<std::uint8_t> Picture(int frame) {
  const std::int64_t stride = (kWidth * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> bits(static_cast<std::size_t>(stride * kHeight));
  const int cx = 200 + 50 * frame, cy = 300, radius = 150;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t *p = bits.data() + y * stride + 3 * x;
      const int dx = x - cx, dy = y - cy;
      const bool inside = dx * dx + dy * dy < radius * radius;
      p[0] = static_cast<std::uint8_t>(inside ? 220 : 60 + y / 8);
      p[1] = static_cast<std::uint8_t>(inside ? 180 - dy / 2 : 20);
      p[2] = static_cast<std::uint8_t>(inside ? 120 + dx / 3 : 30 + x / 16);
    }
  return bits;
}

void WriteFrames(benchmark::State &state, TAviCodec codec) {
  std::vector<std::vector<std::uint8_t>> pictures;
  for (int k = 0; k < kPictures; ++k) pictures.push_back(Picture(k));
  const std::string path = (std::filesystem::temp_directory_path() / "movie_bench.avi").string();
  auto view = [&](int k) { return TAviFrameView{kWidth, kHeight, 24, pictures[static_cast<std::size_t>(k)].data(), nullptr, 0}; };
  auto writer = std::make_unique<TAviMovieWriter>();
  writer->Open(path);
  writer->Begin(view(0), codec);
  int frame = 0;
  for (auto _ : state) {
    if (writer->Write(view(frame % kPictures), 1) != TAviWriteStatus::kWritten) {
      state.SkipWithError("the frame was not written");
      break;
    }
    if (++frame % kFramesPerMovie == 0) {
      state.PauseTiming();
      writer->Finish();
      writer = std::make_unique<TAviMovieWriter>();
      writer->Open(path);
      writer->Begin(view(0), codec);
      state.ResumeTiming();
    }
  }
  writer->Finish();
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations());
}

void BM_MovieFullFrames800x600(benchmark::State &state) { WriteFrames(state, {TAviCodec::kFullFrames, 0}); }
void BM_MovieMotionJpeg800x600(benchmark::State &state) { WriteFrames(state, {TAviCodec::kMotionJpeg, 90}); }

BENCHMARK(BM_MovieFullFrames800x600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovieMotionJpeg800x600)->Unit(benchmark::kMillisecond);

}  // namespace
