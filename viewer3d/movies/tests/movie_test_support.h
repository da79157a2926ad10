#pragma once
// For the movie tests: pictures of our own in a bitmap's layout, and a reading of a movie
// file's RIFF structure written apart from the program's reader, strict about every size,
// so a writer's fault is not hidden by the reader's tolerance.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "viewer3d/movies/avi_picture.h"

namespace movie_test {

inline std::uint32_t Le32(const std::vector<std::uint8_t> &b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
inline std::uint16_t Le16(const std::vector<std::uint8_t> &b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
inline std::string Tag(const std::vector<std::uint8_t> &b, std::size_t at) {
  return std::string(reinterpret_cast<const char *>(b.data() + at), 4);
}

inline std::vector<std::uint8_t> ReadBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One chunk: its tag, for RIFF and LIST its type, where its header starts, its declared
// size, and the chunks inside a RIFF or LIST.
struct TChunk {
  std::string id;
  std::string type;
  std::size_t at = 0;
  std::uint32_t size = 0;
  std::vector<TChunk> children;
  std::size_t Body() const { return at + 8; }
  const TChunk *Child(const std::string &childId, const std::string &childType = "") const {
    for (const TChunk &c : children)
      if (c.id == childId && (childType.empty() || c.type == childType)) return &c;
    return nullptr;
  }
};

// Reads the chunks from `from` to `to` exactly: each must fit, padded to an even size, and
// together they must fill the range to the byte. Failures are added to `faults`.
inline void WalkChunks(const std::vector<std::uint8_t> &b, std::size_t from, std::size_t to,
                       std::vector<TChunk> &out, std::vector<std::string> &faults) {
  std::size_t at = from;
  while (at < to) {
    if (to - at < 8) {
      faults.push_back("stray bytes at " + std::to_string(at));
      return;
    }
    TChunk chunk;
    chunk.id = Tag(b, at);
    chunk.at = at;
    chunk.size = Le32(b, at + 4);
    if (chunk.size > to - at - 8) {
      faults.push_back(chunk.id + " at " + std::to_string(at) + " overruns its parent");
      return;
    }
    if (chunk.id == "LIST") {
      chunk.type = Tag(b, at + 8);
      WalkChunks(b, at + 12, at + 8 + chunk.size, chunk.children, faults);
    }
    at += 8 + chunk.size + (chunk.size & 1);
    out.push_back(chunk);
  }
  if (at != to) faults.push_back("the last chunk's pad runs past its parent");
}

// The whole file: one RIFF 'AVI ' chunk whose size is the file's less 8.
inline TChunk WalkRiff(const std::vector<std::uint8_t> &b, std::vector<std::string> &faults) {
  TChunk riff;
  if (b.size() < 12 || Tag(b, 0) != "RIFF") {
    faults.push_back("no RIFF header");
    return riff;
  }
  riff.id = "RIFF";
  riff.type = Tag(b, 8);
  riff.size = Le32(b, 4);
  if (riff.size != b.size() - 8) faults.push_back("the RIFF size is not the file's size less 8");
  WalkChunks(b, 12, b.size(), riff.children, faults);
  return riff;
}

// A picture of our own in a bitmap's layout, bottom-up rows.
struct TPicture {
  int width = 0;
  int height = 0;
  int bitCount = 24;
  std::vector<std::uint8_t> bits;
  std::vector<TAviColor> colors;
  std::int64_t Stride() const { return (static_cast<std::int64_t>(width) * bitCount + 31) / 32 * 4; }
  TAviFrameView View() const {
    return TAviFrameView{width, height, bitCount, bits.data(), colors.empty() ? nullptr : colors.data(),
                         static_cast<int>(colors.size())};
  }
  // Colour at (x, y) counted from the top, as 0x00RRGGBB.
  std::uint32_t Rgb(int x, int y) const {
    const std::uint8_t *p = bits.data() + (height - 1 - y) * Stride() + x * (bitCount / 8);
    if (bitCount == 8) {
      const TAviColor &c = colors[*p];
      return static_cast<std::uint32_t>(c.red) << 16 | c.green << 8 | c.blue;
    }
    return static_cast<std::uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
  }
};

// A smooth picture that differs from frame to frame: ramps in red and green, a disc whose
// place moves with the frame in blue (its edge the one sharp step).
inline TPicture SmoothPicture(int width, int height, int frame, int bitCount = 24) {
  TPicture p{width, height, bitCount, {}, {}};
  p.bits.assign(static_cast<std::size_t>(p.Stride() * height), 0);
  const int cx = width / 4 + frame * width / 8, cy = height / 2, radius = height / 4;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t *q = p.bits.data() + (height - 1 - y) * p.Stride() + x * (bitCount / 8);
      const int dx = x - cx, dy = y - cy;
      q[0] = static_cast<std::uint8_t>(dx * dx + dy * dy < radius * radius ? 200 : 40);
      q[1] = static_cast<std::uint8_t>(y * 255 / height);
      const int ramp = (x * 255 / width + 30 * frame) % 510;  // up and down again
      q[2] = static_cast<std::uint8_t>(ramp < 256 ? ramp : 509 - ramp);
    }
  return p;
}

// An 8-bit picture over a table of `colors` entries whose indices run by pixel and frame.
inline TPicture IndexedPicture(int width, int height, int frame, int colors) {
  TPicture p{width, height, 8, {}, {}};
  for (int i = 0; i < colors; ++i)
    p.colors.push_back(TAviColor{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                 static_cast<std::uint8_t>(i * 7 % 256), 0});
  p.bits.assign(static_cast<std::size_t>(p.Stride() * height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      p.bits[static_cast<std::size_t>(y * p.Stride() + x)] = static_cast<std::uint8_t>((x + 3 * y + 11 * frame) % colors);
  return p;
}

// Runs a command and gives what it printed; false when it cannot be run.
inline bool RunCommand(const std::string &command, std::string &output) {
  std::FILE *pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  return ::pclose(pipe) == 0;
}

}  // namespace movie_test
