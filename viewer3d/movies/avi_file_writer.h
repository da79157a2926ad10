#pragma once
// TAviFileWriter: the RIFF container of a movie (see avi_layout.h), written sample by
// sample into a work file beside the movie's file and put in its place by Finish, so a
// movie that fails half-way leaves the old file, or a shorter movie that is whole.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/filewrite/file_replace.h"
#include "viewer3d/movies/avi_picture.h"

// A RIFF file's sizes are 32-bit, and readers of the first AVI form take no file above
// 1 GiB.
constexpr std::uint64_t kLargestAviFile = std::uint64_t{1} << 30;

enum class TAviWriteStatus {
  kWritten,
  kFailed,  // the file could not be written: the file result says why
  kFull,    // the file would grow past its largest size
  kRefused, // the picture cannot be stored (no usable bitmap, or the coder refused it)
};

class TAviFileWriter {
 public:
  // A movie ends before its file would pass largestFile bytes (the RIFF limit; tests give
  // less).
  explicit TAviFileWriter(std::uint64_t largestFile = kLargestAviFile) : largestFile_(largestFile) {}
  // Opens the work file for the movie at path.
  TFileWriteResult Open(const std::string &path);
  bool IsOpen() const { return file_.IsOpen(); }
  // Fixes the stream's format (the first frame's) and writes the headers. `handler` is the
  // stream's codec tag: 0 for full frames, avi::kMotionJpeg for JPEG pictures.
  TAviWriteStatus Begin(const TAviBitmapFormat &format, std::uint32_t handler);
  bool Begun() const { return begun_; }
  // Appends one picture as the next sample, then `held` empty samples that hold it.
  TAviWriteStatus Append(std::string_view picture, int held);
  // Fills in the headers' totals, adds the index and puts the movie in place of the file.
  // A movie without a picture is dropped and the file is left as it was (kNone then means
  // nothing was written).
  TFileWriteResult Finish();
  // Drops the movie; the file stays as it was.
  void Abandon();
  // Whether a file not there when the movie began (or another one) stands in its place.
  bool Supplanted() const { return pictures_ > 0 && file_.Supplanted(); }

  const TFileWriteResult &Fault() const { return fault_; }
  int Pictures() const { return pictures_; }
  std::int64_t Samples() const { return static_cast<std::int64_t>(index_.size()); }

 private:
  struct TIndexEntry {
    std::uint32_t offset;  // from the 'movi' tag
    std::uint32_t size;
  };
  // The headers with the totals known so far; their length depends on the format only.
  std::string Headers() const;
  TAviWriteStatus Fail(const TFileWriteResult &result);

  std::uint64_t largestFile_;
  TFileReplacement file_;
  TAviBitmapFormat format_;
  std::uint32_t handler_ = 0;
  std::uint32_t chunkId_ = 0;
  bool begun_ = false;
  std::uint64_t moviTag_ = 0;  // where the 'movi' tag is
  std::uint64_t moviEnd_ = 0;  // where the last whole sample ends
  std::vector<TIndexEntry> index_;
  std::uint32_t largestChunk_ = 0;
  int pictures_ = 0;
  TFileWriteResult fault_;
};
