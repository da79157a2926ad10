// The movie files: pictures written and read back (full frames exactly, Motion JPEG within
// the coder's error), the RIFF layout read apart from the program's reader, the samples a
// step leaves, pictures of another size or depth, the size limit, a full disk, damaged and
// foreign files, and a reading by ffprobe where the machine has it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/testing/small_disk.h"
#include "foundation/textfiles/tests/read_nf_test_support.h"
#include "viewer3d/movies/avi_movie_writer.h"
#include "viewer3d/movies/avi_reader.h"
#include "viewer3d/movies/tests/movie_test_support.h"

namespace {

using movie_test::Le16;
using movie_test::Le32;
using movie_test::TChunk;
using movie_test::TPicture;

// Motion JPEG at quality 90 on smooth pictures: the mean error per channel stays below 2
// levels (the coder's quantisation of smooth 8 x 8 blocks). Colour is kept at half the
// resolution, so at the disc's sharp edge (a step of 160 in blue) a pixel may be off by
// about half the step, never by the whole of it.
constexpr double kJpegMeanError = 2.0;
constexpr int kJpegWorstError = 120;

std::vector<TPicture> WriteMovie(const std::string &path, const std::vector<TPicture> &pictures, TAviCodec codec,
                                 int step = 1) {
  TAviMovieWriter writer;
  EXPECT_TRUE(writer.Open(path).Written());
  EXPECT_EQ(writer.Begin(pictures.front().View(), codec), TAviWriteStatus::kWritten);
  for (const TPicture &p : pictures) EXPECT_EQ(writer.Write(p.View(), step), TAviWriteStatus::kWritten);
  EXPECT_TRUE(writer.Finish().Written());
  return pictures;
}

// Mean and largest absolute difference per channel between a written and a read picture.
void Differences(const TPicture &written, const TAviImage &read, double &mean, int &worst) {
  double sum = 0.0;
  worst = 0;
  for (int y = 0; y < written.height; ++y)
    for (int x = 0; x < written.width; ++x) {
      const std::uint32_t a = written.Rgb(x, y), b = read.Rgb(x, y);
      for (int shift : {0, 8, 16}) {
        const int d = std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF));
        sum += d;
        worst = std::max(worst, d);
      }
    }
  mean = sum / (3.0 * written.width * written.height);
}

TEST(AviMovie, FullFramesOf8And24BitsAndMotionJpegComeBackFrameByFrame) {
  TScratchFiles files;
  struct TCase {
    const char *name;
    std::vector<TPicture> pictures;
    TAviCodec codec;
  };
  std::vector<TCase> cases;
  cases.push_back({"rgb.avi", {}, {TAviCodec::kFullFrames, 0}});
  cases.push_back({"indexed.avi", {}, {TAviCodec::kFullFrames, 0}});
  cases.push_back({"jpeg.avi", {}, {TAviCodec::kMotionJpeg, 90}});
  for (int frame = 0; frame < 4; ++frame) {
    // Odd widths: the rows carry padding.
    cases[0].pictures.push_back(movie_test::SmoothPicture(37, 21, frame));
    cases[1].pictures.push_back(movie_test::IndexedPicture(33, 17, frame, 233));
    cases[2].pictures.push_back(movie_test::SmoothPicture(96, 64, frame));
  }
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = files.PathOf(c.name);
    WriteMovie(path, c.pictures, c.codec);
    TAviReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.Error();
    EXPECT_EQ(reader.FrameCount(), 4);
    EXPECT_EQ(reader.Width(), c.pictures[0].width);
    EXPECT_EQ(reader.Height(), c.pictures[0].height);
    EXPECT_NEAR(reader.FramesPerSecond(), 10.0, 1e-12);
    for (int frame = 0; frame < 4; ++frame) {
      TAviImage read;
      ASSERT_TRUE(reader.ReadFrame(frame, read)) << reader.Error();
      double mean = 0.0;
      int worst = 0;
      Differences(c.pictures[static_cast<std::size_t>(frame)], read, mean, worst);
      if (c.codec.kind == TAviCodec::kFullFrames) {
        EXPECT_EQ(worst, 0) << "frame " << frame;
      } else {
        EXPECT_LT(mean, kJpegMeanError) << "frame " << frame;
        EXPECT_LT(worst, kJpegWorstError) << "frame " << frame;
        EXPECT_GT(worst, 0) << "a JPEG picture is not stored as it is";
      }
    }
  }
  // The 8-bit movie keeps its table of 233 colours.
  TAviReader reader;
  ASSERT_TRUE(reader.Open(files.PathOf("indexed.avi")));
  EXPECT_EQ(reader.BitCount(), 8);
  ASSERT_EQ(reader.Colors().size(), 233u);
  EXPECT_EQ(reader.Colors()[200], cases[1].pictures[0].colors[200]);
}

// The file read as RIFF chunks by the test itself: every size adds up, the headers say
// what was written, and every index entry names a chunk of the movie list.
TEST(AviMovie, TheFileIsARiffOfHeadersMovieListAndIndex) {
  TScratchFiles files;
  const std::string path = files.PathOf("layout.avi");
  std::vector<TPicture> pictures;
  for (int frame = 0; frame < 3; ++frame) pictures.push_back(movie_test::IndexedPicture(31, 9, frame, 256));
  WriteMovie(path, pictures, {TAviCodec::kFullFrames, 0}, 2);
  const std::vector<std::uint8_t> b = movie_test::ReadBytes(path);
  std::vector<std::string> faults;
  const TChunk riff = movie_test::WalkRiff(b, faults);
  for (const std::string &fault : faults) ADD_FAILURE() << fault;
  ASSERT_EQ(riff.type, "AVI ");
  ASSERT_EQ(riff.children.size(), 3u);
  const TChunk *hdrl = riff.Child("LIST", "hdrl");
  const TChunk *movi = riff.Child("LIST", "movi");
  const TChunk *idx1 = riff.Child("idx1");
  ASSERT_TRUE(hdrl && movi && idx1);

  const TChunk *avih = hdrl->Child("avih");
  const TChunk *strl = hdrl->Child("LIST", "strl");
  ASSERT_TRUE(avih && strl);
  ASSERT_EQ(avih->size, 56u);
  const std::size_t m = avih->Body();
  const std::uint32_t stride = 32;  // 31 pixels of one byte, rounded up to words
  EXPECT_EQ(Le32(b, m), 100000u);          // a tenth of a second a frame
  EXPECT_EQ(Le32(b, m + 12) & 0x10, 0x10u);  // has an index
  EXPECT_EQ(Le32(b, m + 16), 6u);           // 3 pictures, each held for 2 frames
  EXPECT_EQ(Le32(b, m + 24), 1u);           // one stream
  EXPECT_EQ(Le32(b, m + 32), 31u);
  EXPECT_EQ(Le32(b, m + 36), 9u);

  const TChunk *strh = strl->Child("strh");
  const TChunk *strf = strl->Child("strf");
  ASSERT_TRUE(strh && strf);
  ASSERT_EQ(strh->size, 56u);
  const std::size_t s = strh->Body();
  EXPECT_EQ(movie_test::Tag(b, s), "vids");
  EXPECT_EQ(Le32(b, s + 20), 1u);   // scale
  EXPECT_EQ(Le32(b, s + 24), 10u);  // rate
  EXPECT_EQ(Le32(b, s + 32), 6u);   // length in samples
  EXPECT_EQ(Le32(b, s + 36), stride * 9);
  EXPECT_EQ(Le16(b, s + 52), 31u);  // frame rectangle's right and bottom
  EXPECT_EQ(Le16(b, s + 54), 9u);
  // A 40-byte header and 256 colours.
  ASSERT_EQ(strf->size, 1064u);
  const std::size_t f = strf->Body();
  EXPECT_EQ(Le32(b, f), 40u);
  EXPECT_EQ(Le16(b, f + 14), 8u);
  EXPECT_EQ(Le32(b, f + 20), stride * 9);
  EXPECT_EQ(Le32(b, f + 32), 256u);

  // Samples 0, 2, 4 hold the pictures; 1, 3, 5 are empty.
  ASSERT_EQ(movi->children.size(), 6u);
  ASSERT_EQ(idx1->size, 6u * 16);
  const std::size_t moviTag = movi->at + 8;
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const TChunk &chunk = movi->children[i];
    EXPECT_EQ(chunk.id, "00db");
    EXPECT_EQ(chunk.size, i % 2 == 0 ? stride * 9 : 0u);
    const std::size_t e = idx1->Body() + 16 * i;
    EXPECT_EQ(movie_test::Tag(b, e), "00db");
    EXPECT_EQ(Le32(b, e + 4), i % 2 == 0 ? 0x10u : 0u);  // pictures are key frames
    EXPECT_EQ(moviTag + Le32(b, e + 8), chunk.at);
    EXPECT_EQ(Le32(b, e + 12), chunk.size);
  }
  // The first picture's rows as written.
  const std::vector<std::uint8_t> first(b.begin() + static_cast<long>(movi->children[0].Body()),
                                        b.begin() + static_cast<long>(movi->children[0].Body() + stride * 9));
  EXPECT_EQ(first, pictures[0].bits);
}

TEST(AviMovie, AStepOfThreePutsPicturesAtSamples036AndHoldsEach) {
  TScratchFiles files;
  const std::string path = files.PathOf("step.avi");
  std::vector<TPicture> pictures;
  for (int frame = 0; frame < 3; ++frame) pictures.push_back(movie_test::SmoothPicture(16, 8, frame));
  WriteMovie(path, pictures, {TAviCodec::kMotionJpeg, 75}, 3);
  TAviReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Error();
  ASSERT_EQ(reader.FrameCount(), 9);
  for (int sample = 0; sample < 9; ++sample) EXPECT_EQ(reader.SampleBytes(sample) > 0, sample % 3 == 0) << sample;
  TAviImage atFour, atThree;
  ASSERT_TRUE(reader.ReadFrame(4, atFour));
  ASSERT_TRUE(reader.ReadFrame(3, atThree));
  EXPECT_EQ(atFour.bits, atThree.bits);
  // A step of 0 or below counts as 1.
  const std::string unit = files.PathOf("unit.avi");
  WriteMovie(unit, pictures, {TAviCodec::kFullFrames, 0}, 0);
  ASSERT_TRUE(reader.Open(unit));
  EXPECT_EQ(reader.FrameCount(), 3);
}

TEST(AviMovie, PicturesOfAnotherSizeOrDepthTakeTheFirstPicturesFormat) {
  TScratchFiles files;
  const std::string path = files.PathOf("mixed.avi");
  const TPicture first = movie_test::SmoothPicture(20, 10, 0);
  const TPicture larger = movie_test::SmoothPicture(40, 20, 1);
  const TPicture indexed = movie_test::IndexedPicture(20, 10, 2, 64);
  const TPicture wide = movie_test::SmoothPicture(20, 10, 3, 32);
  TAviMovieWriter writer;
  ASSERT_TRUE(writer.Open(path).Written());
  ASSERT_EQ(writer.Begin(first.View(), {TAviCodec::kFullFrames, 0}), TAviWriteStatus::kWritten);
  for (const TPicture *p : {&first, &larger, &indexed, &wide})
    ASSERT_EQ(writer.Write(p->View(), 1), TAviWriteStatus::kWritten);
  ASSERT_TRUE(writer.Finish().Written());
  TAviReader reader;
  ASSERT_TRUE(reader.Open(path));
  ASSERT_EQ(reader.Width(), 20);
  ASSERT_EQ(reader.Height(), 10);
  TAviImage read;
  // The larger picture is halved: pixel (x, y) is its pixel (2x, 2y).
  ASSERT_TRUE(reader.ReadFrame(1, read));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(read.Rgb(x, y), larger.Rgb(2 * x, 2 * y)) << x << ", " << y;
  ASSERT_TRUE(reader.ReadFrame(2, read));
  EXPECT_EQ(read.Rgb(5, 7), indexed.Rgb(5, 7));
  ASSERT_TRUE(reader.ReadFrame(3, read));
  EXPECT_EQ(read.Rgb(13, 2), wide.Rgb(13, 2));

  // Into an 8-bit movie a true-colour picture goes by the nearest colour of the table.
  const std::string palette = files.PathOf("palette.avi");
  const TPicture grey = movie_test::IndexedPicture(8, 4, 0, 16);
  TPicture colour = movie_test::SmoothPicture(8, 4, 0);
  const TAviColor &third = grey.colors[3];
  colour.bits[0] = static_cast<std::uint8_t>(third.blue + 1);
  colour.bits[1] = third.green;
  colour.bits[2] = third.red;
  TAviMovieWriter paletted;
  ASSERT_TRUE(paletted.Open(palette).Written());
  ASSERT_EQ(paletted.Begin(grey.View(), {TAviCodec::kFullFrames, 0}), TAviWriteStatus::kWritten);
  ASSERT_EQ(paletted.Write(colour.View(), 1), TAviWriteStatus::kWritten);
  ASSERT_TRUE(paletted.Finish().Written());
  ASSERT_TRUE(reader.Open(palette));
  ASSERT_TRUE(reader.ReadFrame(0, read));
  EXPECT_EQ(read.Rgb(0, 3), static_cast<std::uint32_t>(third.red << 16 | third.green << 8 | third.blue));
}

// A movie ends before its file passes its largest size, its index counted; what was
// written is a whole movie. Limits: exactly three frames with their index, one more frame
// (its chunk header, its bytes and its index entry), and one byte short of three, where
// only the index does not fit.
TEST(AviMovie, AMovieStopsBeforeTheLargestSizeAndStaysWhole) {
  TScratchFiles files;
  const TPicture picture = movie_test::SmoothPicture(32, 32, 0);  // 3072 bytes a frame
  const auto record = [&](const std::string &name, std::uint64_t largest, int most) {
    const std::string path = files.PathOf(name);
    TAviMovieWriter writer(largest);
    EXPECT_TRUE(writer.Open(path).Written());
    EXPECT_EQ(writer.Begin(picture.View(), {TAviCodec::kFullFrames, 0}), TAviWriteStatus::kWritten);
    int written = 0;
    while (written < most && writer.Write(picture.View(), 1) == TAviWriteStatus::kWritten) ++written;
    EXPECT_TRUE(writer.Finish().Written());
    TAviReader reader;
    EXPECT_TRUE(reader.Open(path)) << reader.Error();
    EXPECT_EQ(reader.FrameCount(), written);
    return std::pair<int, std::uint64_t>(written, std::filesystem::file_size(path));
  };
  const std::uint64_t threeFrames = record("three.avi", 1u << 30, 3).second;
  const struct {
    std::uint64_t largest;
    int frames;
  } rows[] = {{threeFrames, 3}, {threeFrames + 8 + 3072 + 16, 4}, {threeFrames - 1, 2}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.largest);
    const auto [written, size] = record("limit.avi", row.largest, 100);
    EXPECT_EQ(written, row.frames);
    EXPECT_LE(size, row.largest);
  }
}

// A movie without a picture leaves the old file; a full disk leaves a shorter whole movie
// or none, never a damaged one, and no work file.
TEST(AviMovie, AMovieThatFailsLeavesTheOldFileOrAShorterWholeOne) {
  TScratchFiles files;
  const std::string kept = files.Write("kept.avi", "an older file");
  {
    TAviMovieWriter writer;
    ASSERT_TRUE(writer.Open(kept).Written());
    EXPECT_TRUE(writer.Finish().Written());
  }
  EXPECT_EQ(TScratchFiles::Read(kept), "an older file");

  TSmallDisk disk(64);
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string path = disk.PathOf("full.avi");
  const TPicture picture = movie_test::SmoothPicture(64, 48, 0);  // 9216 bytes a frame
  TAviMovieWriter writer;
  ASSERT_TRUE(writer.Open(path).Written());
  ASSERT_EQ(writer.Begin(picture.View(), {TAviCodec::kFullFrames, 0}), TAviWriteStatus::kWritten);
  TAviWriteStatus status = TAviWriteStatus::kWritten;
  int written = 0;
  for (; written < 100 && (status = writer.Write(picture.View(), 1)) == TAviWriteStatus::kWritten; ++written) {
  }
  EXPECT_EQ(status, TAviWriteStatus::kFailed);
  EXPECT_EQ(writer.Fault().fault, TFileWriteFault::kNoSpace);
  const bool finished = writer.Finish().Written();
  std::size_t entries = 0;
  for (const auto &entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, finished ? 1u : 0u) << "a work file was left";
  if (finished) {
    TAviReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.Error();
    EXPECT_EQ(reader.FrameCount(), written);
    std::vector<std::string> faults;
    movie_test::WalkRiff(movie_test::ReadBytes(path), faults);
    EXPECT_TRUE(faults.empty()) << faults.front();
  } else {
    EXPECT_FALSE(std::filesystem::exists(path));
  }
}

// A recording killed midway leaves "<movie>.avi.saving-XXXXXX"; the next recording of the
// movie and the next playing of it each remove ours, never another file.
TEST(AviMovie, AKilledRecordingsWorkFileGoesAtTheNextUseOfTheMovie) {
  TScratchFiles files;
  const std::string path = files.PathOf("run.avi");
  const std::vector<TPicture> pictures = {movie_test::SmoothPicture(16, 8, 0)};
  for (const bool record : {true, false}) {
    SCOPED_TRACE(record ? "recording" : "playing");
    const std::string stale = files.Write("run.avi.saving-Ab12Cd", std::string(4096, 'm'));
    const std::string other = files.Write("run.avi.keep", "mine");
    TAviReader reader;
    if (record)
      WriteMovie(path, pictures, {TAviCodec::kFullFrames, 0});
    else
      EXPECT_TRUE(reader.Open(path)) << reader.Error();
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(other));
  }
}

TEST(AviReader, DamagedAndForeignFilesAreRefusedWithTheirReason) {
  TScratchFiles files;
  const std::string good = files.PathOf("good.avi");
  std::vector<TPicture> pictures;
  for (int frame = 0; frame < 5; ++frame) pictures.push_back(movie_test::SmoothPicture(12, 6, frame));
  WriteMovie(good, pictures, {TAviCodec::kFullFrames, 0});
  const std::vector<std::uint8_t> bytes = movie_test::ReadBytes(good);
  std::vector<std::string> faults;
  const TChunk riff = movie_test::WalkRiff(bytes, faults);
  const std::size_t strfAt = riff.Child("LIST", "hdrl")->Child("LIST", "strl")->Child("strf")->Body();
  const std::size_t moviAt = riff.Child("LIST", "movi")->at;

  struct TCase {
    const char *name;
    std::vector<std::uint8_t> bytes;
    const char *reason;
  };
  auto patched = [&](std::size_t at, const char (&tag)[5]) {
    std::vector<std::uint8_t> b = bytes;
    std::copy(tag, tag + 4, b.begin() + static_cast<long>(at));
    return b;
  };
  std::vector<std::uint8_t> huge = bytes;
  huge[strfAt + 4] = 0xFF, huge[strfAt + 5] = 0xFF;  // 65535 pixels wide
  const TCase cases[] = {
      {"empty", {}, "too short"},
      {"text", std::vector<std::uint8_t>(40, 'x'), "not an AVI movie"},
      {"xvid", patched(strfAt + 16, "XVID"), "coded as 'XVID'"},
      {"huge", huge, "not a size that can be shown"},
      {"headers only", std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(moviAt)),
       "holds no pictures"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.name);
    TAviReader reader;
    EXPECT_FALSE(reader.OpenBytes(c.bytes));
    EXPECT_NE(reader.Error().find(c.reason), std::string::npos) << reader.Error();
    TAviImage picture;
    EXPECT_FALSE(reader.ReadFrame(0, picture));
  }

  // Cut in the third picture: the index is gone, the list is read for the whole pictures.
  const std::size_t stride = 36;
  std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(moviAt + 12 + 2 * (8 + stride * 6) + 20));
  TAviReader reader;
  ASSERT_TRUE(reader.OpenBytes(cut)) << reader.Error();
  EXPECT_EQ(reader.FrameCount(), 2);
  TAviImage picture;
  ASSERT_TRUE(reader.ReadFrame(1, picture));
  EXPECT_EQ(picture.Rgb(4, 3), pictures[1].Rgb(4, 3));
  EXPECT_FALSE(reader.Open(files.PathOf("missing.avi")));
  EXPECT_NE(reader.Error().find("cannot be opened"), std::string::npos);
}

TEST(AviReader, AMovieCutInsideItsIndexKeepsEveryPictureItsListHolds) {
  TScratchFiles files;
  const std::string path = files.PathOf("cut_index.avi");
  std::vector<TPicture> pictures;
  for (int frame = 0; frame < 36; ++frame) pictures.push_back(movie_test::SmoothPicture(8, 4, frame));
  WriteMovie(path, pictures, {TAviCodec::kFullFrames, 0});
  const std::vector<std::uint8_t> bytes = movie_test::ReadBytes(path);
  std::vector<std::string> faults;
  const TChunk riff = movie_test::WalkRiff(bytes, faults);
  ASSERT_NE(riff.Child("idx1"), nullptr);
  const std::size_t indexAt = riff.Child("idx1")->at;
  ASSERT_EQ(bytes.size(), indexAt + 8 + 36 * 16);
  // Cut at every byte of the index, its header included: all 36 pictures stay.
  for (std::size_t length = indexAt; length < bytes.size(); ++length) {
    SCOPED_TRACE(length - indexAt);
    TAviReader reader;
    ASSERT_TRUE(reader.OpenBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(length))))
        << reader.Error();
    ASSERT_EQ(reader.FrameCount(), 36);
    TAviImage last;
    ASSERT_TRUE(reader.ReadFrame(35, last));
    EXPECT_EQ(last.Rgb(5, 2), pictures[35].Rgb(5, 2));
  }
}

// ffprobe (Debian's ffmpeg) reads our movies as we mean them: size, rate and length.
TEST(AviMovie, FfprobeReadsTheFrameCountSizeAndRate) {
  std::string version;
  if (!movie_test::RunCommand("ffprobe -version 2>/dev/null", version))
    GTEST_SKIP() << "ffprobe is not installed: the independent reading is skipped";
  TScratchFiles files;
  for (const TAviCodec codec : {TAviCodec{TAviCodec::kFullFrames, 0}, TAviCodec{TAviCodec::kMotionJpeg, 90}}) {
    const std::string path = files.PathOf(codec.kind == TAviCodec::kFullFrames ? "probe-rgb.avi" : "probe-jpeg.avi");
    std::vector<TPicture> pictures;
    for (int frame = 0; frame < 4; ++frame) pictures.push_back(movie_test::SmoothPicture(64, 48, frame));
    WriteMovie(path, pictures, codec, 2);
    std::string out;
    ASSERT_TRUE(movie_test::RunCommand("ffprobe -v error -select_streams v:0 -count_packets -show_entries "
                                       "stream=codec_name,width,height,r_frame_rate,nb_frames,nb_read_packets "
                                       "-of default=noprint_wrappers=1 '" + path + "' 2>&1",
                                       out))
        << out;
    SCOPED_TRACE(out);
    EXPECT_NE(out.find(codec.kind == TAviCodec::kFullFrames ? "codec_name=rawvideo" : "codec_name=mjpeg"),
              std::string::npos);
    EXPECT_NE(out.find("width=64"), std::string::npos);
    EXPECT_NE(out.find("height=48"), std::string::npos);
    EXPECT_NE(out.find("r_frame_rate=10/1"), std::string::npos);
    EXPECT_NE(out.find("nb_frames=8"), std::string::npos);
    EXPECT_NE(out.find("nb_read_packets=4"), std::string::npos);
  }
}

}  // namespace
