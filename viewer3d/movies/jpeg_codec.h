#pragma once
// Motion JPEG pictures through libjpeg-turbo: a 24-bit picture in a bitmap's layout (rows
// bottom-up, blue-green-red) to a baseline JPEG with its Huffman tables, and back. The
// library's errors end the call with false and a reason, never the program.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TJpegEncoderState;
struct TJpegDecoderState;

class TJpegEncoder {
 public:
  TJpegEncoder();
  ~TJpegEncoder();
  TJpegEncoder(const TJpegEncoder &) = delete;
  TJpegEncoder &operator=(const TJpegEncoder &) = delete;

  // Quality from 1 (smallest) to 100 (best); others are brought into that range.
  void SetQuality(int quality);
  int Quality() const { return quality_; }
  // Encodes width x height pixels, rows `stride` bytes apart from the bottom one up.
  bool Encode(const std::uint8_t *bits, int width, int height, std::int64_t stride, std::vector<std::uint8_t> &jpeg);
  const std::string &Error() const { return error_; }

 private:
  std::unique_ptr<TJpegEncoderState> state_;
  int quality_ = 90;
  std::string error_;
};

class TJpegDecoder {
 public:
  TJpegDecoder();
  ~TJpegDecoder();
  TJpegDecoder(const TJpegDecoder &) = delete;
  TJpegDecoder &operator=(const TJpegDecoder &) = delete;

  // Decodes a JPEG of exactly width x height pixels into rows `stride` bytes apart, from
  // the bottom one up; false with a reason when the bytes are no such picture.
  bool Decode(const std::uint8_t *data, std::size_t size, int width, int height, std::int64_t stride,
              std::uint8_t *bits);
  const std::string &Error() const { return error_; }

 private:
  std::unique_ptr<TJpegDecoderState> state_;
  std::string error_;
};
