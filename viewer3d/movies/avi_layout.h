#pragma once
// The layout of the AVI movies the program writes and reads. A movie is a RIFF file of
// form 'AVI ':
//
//   RIFF <size> 'AVI '
//     LIST <size> 'hdrl'
//       'avih' 56 bytes: the main header (frame period, totals, size)
//       LIST <size> 'strl'
//         'strh' 56 bytes: the video stream's header (rate, length, frame rectangle)
//         'strf' <40 + 4 x colours>: a bitmap-information header and its colour table
//     LIST <size> 'movi'
//       '00db' or '00dc' <size> <bytes> [a pad byte to an even size]  one chunk a sample
//     'idx1' <16 x samples>: one entry a sample (chunk id, flags, offset, size)
//
// '00db' holds a full frame (the bitmap's rows as stored), '00dc' a compressed one (a
// Motion JPEG picture). A sample whose chunk is empty holds the picture before it. Index
// offsets count from the 'movi' tag. Numbers are little-endian.

#include <cstdint>
#include <string>

namespace avi {

constexpr std::uint32_t FourCC(const char (&code)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

constexpr std::uint32_t kRiff = FourCC("RIFF");
constexpr std::uint32_t kAviForm = FourCC("AVI ");
constexpr std::uint32_t kList = FourCC("LIST");
constexpr std::uint32_t kHeaderList = FourCC("hdrl");
constexpr std::uint32_t kMainHeader = FourCC("avih");
constexpr std::uint32_t kStreamList = FourCC("strl");
constexpr std::uint32_t kStreamHeader = FourCC("strh");
constexpr std::uint32_t kStreamFormat = FourCC("strf");
constexpr std::uint32_t kMovieList = FourCC("movi");
constexpr std::uint32_t kRecordList = FourCC("rec ");
constexpr std::uint32_t kIndex = FourCC("idx1");
constexpr std::uint32_t kVideoStream = FourCC("vids");
constexpr std::uint32_t kMotionJpeg = FourCC("MJPG");
constexpr std::uint32_t kMotionJpegLower = FourCC("mjpg");
// Chunk ids of stream 0: a full frame, a compressed frame.
constexpr std::uint32_t kFullFrameChunk = FourCC("00db");
constexpr std::uint32_t kCompressedChunk = FourCC("00dc");

// The bitmap header's compression field for uncompressed rows.
constexpr std::uint32_t kUncompressed = 0;
// Main header flag: the file has an index.
constexpr std::uint32_t kHasIndex = 0x10;
// Index flag: the sample is a key frame (every picture is; an empty sample is not).
constexpr std::uint32_t kKeyFrame = 0x10;

constexpr std::uint32_t kMainHeaderBytes = 56;
constexpr std::uint32_t kStreamHeaderBytes = 56;
constexpr std::uint32_t kBitmapHeaderBytes = 40;
constexpr std::uint32_t kIndexEntryBytes = 16;
constexpr std::uint32_t kChunkHeaderBytes = 8;
constexpr std::uint32_t kListHeaderBytes = 12;

// The movies play ten frames a second.
constexpr std::uint32_t kFramesPerSecond = 10;

// Bytes of a bitmap row: width x bits, rounded up to whole 32-bit words.
constexpr std::int64_t RowStride(std::int64_t width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }

// Little-endian reading from bytes known to be there.
inline std::uint32_t Get32(const std::uint8_t *p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t Get16(const std::uint8_t *p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Little-endian writing onto the end of a byte string.
inline void Put32(std::string &out, std::uint32_t value) {
  const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF),
                         static_cast<char>(value >> 16 & 0xFF), static_cast<char>(value >> 24 & 0xFF)};
  out.append(bytes, 4);
}
inline void Put16(std::string &out, std::uint16_t value) {
  const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8 & 0xFF)};
  out.append(bytes, 2);
}

}  // namespace avi
