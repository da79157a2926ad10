#pragma once
// TAviMovieWriter: a movie written picture by picture. The first picture fixes the
// stream's format: its size, and for full frames its depth (8 bits with its colour table,
// or 24 bits; a 32-bit picture is stored in 24) or for Motion JPEG 24-bit pictures coded by
// libjpeg-turbo. Later pictures of another size or depth are brought to that format.
//
// A picture that stands for several frame periods (a step above 1) is followed by empty
// samples that hold it: pictures written with step 3 lie at samples 0, 3, 6, and the movie
// is 9 samples long, every picture shown for its own three periods.

#include <cstdint>
#include <string>
#include <vector>

#include "viewer3d/movies/avi_file_writer.h"
#include "viewer3d/movies/jpeg_codec.h"

struct TAviCodec {
  enum TKind { kFullFrames, kMotionJpeg };
  TKind kind = kFullFrames;
  int quality = 90;  // Motion JPEG, 1 to 100
};

class TAviMovieWriter {
 public:
  explicit TAviMovieWriter(std::uint64_t largestFile = kLargestAviFile) : file_(largestFile) {}
  TFileWriteResult Open(const std::string &path) { return file_.Open(path); }
  bool IsOpen() const { return file_.IsOpen(); }
  TAviWriteStatus Begin(const TAviFrameView &first, const TAviCodec &codec);
  bool Begun() const { return file_.Begun(); }
  TAviWriteStatus Write(const TAviFrameView &frame, int step);
  TFileWriteResult Finish() { return file_.Finish(); }
  void Abandon() { file_.Abandon(); }
  bool Supplanted() const { return file_.Supplanted(); }

  const TAviBitmapFormat &Format() const { return format_; }
  int Pictures() const { return file_.Pictures(); }
  std::int64_t Samples() const { return file_.Samples(); }
  const TFileWriteResult &Fault() const { return file_.Fault(); }
  // Why the last picture was refused.
  const std::string &RefusalReason() const { return refusal_; }

 private:
  TAviWriteStatus Refuse(const std::string &reason);

  TAviFileWriter file_;
  TAviCodec codec_;
  TAviBitmapFormat format_;
  TJpegEncoder encoder_;
  std::vector<std::uint8_t> converted_;
  std::vector<std::uint8_t> coded_;
  std::string refusal_;
};
