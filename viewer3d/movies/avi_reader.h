#pragma once
// TAviReader: reads the AVI movies the program writes (see avi_layout.h), and others of
// their kind: the first video stream, with full frames of 8 bits (with colours), 24 or 32
// bits, or Motion JPEG pictures decoded by libjpeg-turbo. The samples come from the index
// 'idx1', or from the 'movi' list itself when the index is missing or does not fit. An
// empty sample holds the picture before it.
//
// Every size in the file is checked against the file before it is used: a damaged or
// foreign file is refused with a reason, never read past its end.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "viewer3d/movies/avi_picture.h"
#include "viewer3d/movies/jpeg_codec.h"

class TAviReader {
 public:
  TAviReader();
  ~TAviReader();
  TAviReader(const TAviReader &) = delete;
  TAviReader &operator=(const TAviReader &) = delete;

  // Reads the headers and the index; false with Error() saying why.
  bool Open(const std::string &path);
  // The same for a movie held in memory.
  bool OpenBytes(std::vector<std::uint8_t> bytes);
  void Close();
  bool IsOpen() const { return open_; }
  const std::string &Error() const { return error_; }

  int Width() const { return format_.width; }
  int Height() const { return format_.height; }
  int BitCount() const { return format_.bitCount; }
  std::uint32_t Compression() const { return format_.compression; }
  const std::vector<TAviColor> &Colors() const { return format_.colors; }
  // Samples a second, from the stream header (the main header's period when the stream
  // gives no rate).
  double FramesPerSecond() const { return framesPerSecond_; }
  // Samples, empty ones included: the frames a player shows.
  int FrameCount() const { return static_cast<int>(samples_.size()); }
  // Bytes stored for a sample (0 for one that holds the picture before it).
  std::uint32_t SampleBytes(int frame) const;

  // The picture shown at frame: its own sample's, or the last stored one before it (black
  // before the first). False with Error() saying why when it cannot be read or decoded.
  bool ReadFrame(int frame, TAviImage &picture);

 private:
  struct TSample {
    std::uint64_t offset;  // of the chunk's bytes in the file
    std::uint32_t size;
  };
  bool Fail(const std::string &reason);
  bool ReadAt(std::uint64_t offset, std::size_t size, std::uint8_t *out);
  bool Parse();
  bool ParseHeaderList(const std::vector<std::uint8_t> &list);
  bool ParseStreamList(const std::uint8_t *data, std::uint32_t size, int stream);
  bool TakeIndex(const std::vector<std::uint8_t> &index);
  bool ScanMovieList();
  bool ChunkIsOurs(std::uint32_t id) const;
  bool Decode(int sample, TAviImage &picture);

  std::FILE *file_ = nullptr;
  std::vector<std::uint8_t> bytes_;
  bool inMemory_ = false;
  std::uint64_t size_ = 0;
  bool open_ = false;
  std::string error_;

  TAviBitmapFormat format_;
  bool topDown_ = false;
  int streamNumber_ = -1;
  double framesPerSecond_ = 0.0;
  std::uint64_t movieTag_ = 0;  // where the 'movi' tag is
  std::uint64_t movieEnd_ = 0;
  std::vector<TSample> samples_;
  // For every frame, the sample whose picture it shows (-1: none yet).
  std::vector<int> shownSample_;
  std::vector<std::uint8_t> chunk_;
  TJpegDecoder decoder_;
  // The sample whose picture `decoded_` holds, so that playing on decodes each once.
  int decodedSample_ = -1;
  TAviImage decoded_;
};
