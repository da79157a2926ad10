#pragma once
// Golden files for tests: a text or a picture that a test compares with a stored one under
// the folder's source tree (<folder>/<area>/tests/data/...). Text is compared line by line
// with numbers taken by value, so a last-digit rounding difference passes and a changed
// key or word does not; pictures are compared per channel with a cap on differing pixels.
// A failure writes the actual file into the build tree (golden_actual/<same path>) and
// prints both paths. UPDATE_GOLDEN=1 in the environment rewrites the goldens instead, for
// review in the diff.
//
// Paths are relative to the folder's source directory (TEST_SOURCE_DIR, compiled into every
// test program): EXPECT_GOLDEN_TEXT(text, "systemfile/tests/data/singlet.os", kTolerance).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace golden {

// Numbers in a text match when |actual - golden| <= absolute + relative * max(|a|, |g|).
struct NumberTolerance {
  double relative = 0.0;
  double absolute = 0.0;
};

// Pixels match when every channel differs by at most channelTolerance; the picture
// matches when at most maxDifferingPixels pixels do not (anti-aliased edges, fonts).
struct PixelTolerance {
  int channelTolerance = 0;
  int maxDifferingPixels = 0;
};

// An RGB picture, rows top-down, three bytes a pixel; stored as binary PPM (P6).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0) {}
  unsigned char *Pixel(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
  const unsigned char *Pixel(int x, int y) const {
    return &rgb[(static_cast<size_t>(y) * width + x) * 3];
  }
};

inline bool UpdateRequested() {
  const char *value = std::getenv("UPDATE_GOLDEN");
  return value != nullptr && std::string_view(value) == "1";
}

inline bool ReadWholeFile(const std::filesystem::path &path, std::string &bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream out;
  out << in.rdbuf();
  bytes = out.str();
  return true;
}

inline bool WriteWholeFile(const std::filesystem::path &path, const std::string &bytes) {
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

inline std::string EncodePpm(const Image &image) {
  std::string bytes = "P6\n" + std::to_string(image.width) + " " +
                      std::to_string(image.height) + "\n255\n";
  bytes.append(reinterpret_cast<const char *>(image.rgb.data()), image.rgb.size());
  return bytes;
}

// Reads a binary PPM with maxval 255 (the only kind EncodePpm writes).
inline bool DecodePpm(const std::string &bytes, Image &image) {
  std::istringstream in(bytes);
  std::string magic;
  int width = 0, height = 0, maxValue = 0;
  if (!(in >> magic >> width >> height >> maxValue) || magic != "P6" || maxValue != 255 ||
      width <= 0 || height <= 0 || width > 1 << 14 || height > 1 << 14)
    return false;
  in.get();  // the single white space before the samples
  const size_t offset = static_cast<size_t>(in.tellg());
  const size_t size = static_cast<size_t>(width) * height * 3;
  if (offset > bytes.size() || bytes.size() - offset != size) return false;
  image = Image(width, height);
  std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end(), image.rgb.begin());
  return true;
}

// The compared files of one check: the golden in the source tree, the actual in the build.
struct Paths {
  std::filesystem::path golden;
  std::filesystem::path actual;
};

inline Paths PathsFor(const std::string &relative) {
  return {std::filesystem::path(TEST_SOURCE_DIR) / relative,
          std::filesystem::path(TEST_BINARY_DIR) / "golden_actual" / relative};
}

// Rewrites the golden (UPDATE_GOLDEN=1) or, on a mismatch, saves the actual file and says
// where both are. `mismatch` is empty when the contents match.
inline ::testing::AssertionResult Conclude(const Paths &paths, const std::string &actualBytes,
                                           const std::string &mismatch) {
  if (UpdateRequested()) {
    if (!WriteWholeFile(paths.golden, actualBytes))
      return ::testing::AssertionFailure() << "cannot rewrite golden " << paths.golden;
    std::cerr << "[ golden   ] rewrote " << paths.golden.string() << "\n";
    return ::testing::AssertionSuccess();
  }
  if (mismatch.empty()) return ::testing::AssertionSuccess();
  WriteWholeFile(paths.actual, actualBytes);
  return ::testing::AssertionFailure()
         << mismatch << "\n  golden: " << paths.golden.string()
         << "\n  actual: " << paths.actual.string()
         << "\n  (UPDATE_GOLDEN=1 rewrites the golden from the actual output)";
}

// True where a number may start: a digit, or a sign or point before one, not inside a
// name ("S12" is a word, "=12" and "-.5" are numbers).
inline bool NumberStartsAt(std::string_view line, size_t i) {
  if (i > 0) {
    const unsigned char before = static_cast<unsigned char>(line[i - 1]);
    if (std::isalnum(before) || before == '_' || before == '.') return false;
  }
  size_t j = i;
  if (j < line.size() && (line[j] == '-' || line[j] == '+')) ++j;
  if (j < line.size() && line[j] == '.') ++j;
  return j < line.size() && std::isdigit(static_cast<unsigned char>(line[j]));
}

// Reads the number at line[i]; returns its length (0 when none).
inline size_t ReadNumber(std::string_view line, size_t i, double &value) {
  size_t start = i;
  if (line[start] == '+') ++start;  // from_chars takes '-' but not '+'
  const auto result = std::from_chars(line.data() + start, line.data() + line.size(), value);
  if (result.ec != std::errc()) return 0;
  return static_cast<size_t>(result.ptr - line.data()) - i;
}

inline bool NumbersMatch(double actual, double expected, NumberTolerance tolerance) {
  if (actual == expected) return true;
  if (!std::isfinite(actual) || !std::isfinite(expected)) return false;
  const double allowed =
      tolerance.absolute + tolerance.relative * std::max(std::fabs(actual), std::fabs(expected));
  return std::fabs(actual - expected) <= allowed;
}

// Compares one line; returns an explanation when it differs.
inline std::string CompareLine(std::string_view actual, std::string_view expected,
                               NumberTolerance tolerance) {
  size_t a = 0, e = 0;
  while (a < actual.size() && e < expected.size()) {
    if (NumberStartsAt(actual, a) && NumberStartsAt(expected, e)) {
      double actualValue = 0.0, expectedValue = 0.0;
      const size_t actualLength = ReadNumber(actual, a, actualValue);
      const size_t expectedLength = ReadNumber(expected, e, expectedValue);
      if (actualLength > 0 && expectedLength > 0) {
        if (!NumbersMatch(actualValue, expectedValue, tolerance)) {
          std::ostringstream out;
          out.precision(17);
          out << "number " << actualValue << " differs from golden " << expectedValue;
          return out.str();
        }
        a += actualLength;
        e += expectedLength;
        continue;
      }
    }
    if (actual[a] != expected[e]) return "text differs at column " + std::to_string(a + 1);
    ++a;
    ++e;
  }
  if (a != actual.size() || e != expected.size()) return "line lengths differ";
  return {};
}

inline std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The first difference between two texts, or an empty string.
inline std::string TextMismatch(const std::string &actual, const std::string &expected,
                                NumberTolerance tolerance) {
  const auto actualLines = SplitLines(actual);
  const auto expectedLines = SplitLines(expected);
  const size_t common = std::min(actualLines.size(), expectedLines.size());
  for (size_t i = 0; i < common; ++i) {
    const std::string why = CompareLine(actualLines[i], expectedLines[i], tolerance);
    if (!why.empty())
      return "line " + std::to_string(i + 1) + ": " + why + "\n  actual: " +
             std::string(actualLines[i]) + "\n  golden: " + std::string(expectedLines[i]);
  }
  if (actualLines.size() != expectedLines.size())
    return "the actual text has " + std::to_string(actualLines.size()) +
           " lines, the golden " + std::to_string(expectedLines.size());
  return {};
}

// The difference between two pictures beyond the tolerance, or an empty string.
inline std::string ImageMismatch(const Image &actual, const Image &expected,
                                 PixelTolerance tolerance) {
  if (actual.width != expected.width || actual.height != expected.height)
    return "size " + std::to_string(actual.width) + "x" + std::to_string(actual.height) +
           " differs from golden " + std::to_string(expected.width) + "x" +
           std::to_string(expected.height);
  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < actual.height; ++y)
    for (int x = 0; x < actual.width; ++x) {
      const unsigned char *p = actual.Pixel(x, y);
      const unsigned char *q = expected.Pixel(x, y);
      for (int c = 0; c < 3; ++c)
        if (std::abs(int(p[c]) - int(q[c])) > tolerance.channelTolerance) {
          if (differing++ == 0) firstX = x, firstY = y;
          break;
        }
    }
  if (differing <= tolerance.maxDifferingPixels) return {};
  const unsigned char *p = actual.Pixel(firstX, firstY);
  const unsigned char *q = expected.Pixel(firstX, firstY);
  std::ostringstream out;
  out << differing << " pixels differ (at most " << tolerance.maxDifferingPixels
      << " allowed); first at (" << firstX << ", " << firstY << "): actual " << int(p[0])
      << "," << int(p[1]) << "," << int(p[2]) << " golden " << int(q[0]) << "," << int(q[1])
      << "," << int(q[2]);
  return out.str();
}

inline ::testing::AssertionResult MatchesText(const char *actualText, const char *pathText,
                                              const char * /*toleranceText*/,
                                              const std::string &actual,
                                              const std::string &relative,
                                              NumberTolerance tolerance) {
  const Paths paths = PathsFor(relative);
  std::string expected;
  std::string mismatch;
  if (!ReadWholeFile(paths.golden, expected))
    mismatch = std::string("no golden file for ") + actualText + " (" + pathText + ")";
  else
    mismatch = TextMismatch(actual, expected, tolerance);
  return Conclude(paths, actual, mismatch);
}

inline ::testing::AssertionResult MatchesImage(const char *actualText, const char *pathText,
                                               const char * /*toleranceText*/,
                                               const Image &actual, const std::string &relative,
                                               PixelTolerance tolerance) {
  const Paths paths = PathsFor(relative);
  std::string bytes;
  Image expected;
  std::string mismatch;
  if (!ReadWholeFile(paths.golden, bytes))
    mismatch = std::string("no golden picture for ") + actualText + " (" + pathText + ")";
  else if (!DecodePpm(bytes, expected))
    mismatch = "the golden is not a binary PPM with 255 levels";
  else
    mismatch = ImageMismatch(actual, expected, tolerance);
  return Conclude(paths, EncodePpm(actual), mismatch);
}

}  // namespace golden

// EXPECT_GOLDEN_TEXT(text, "area/tests/data/name.txt", golden::NumberTolerance{...})
#define EXPECT_GOLDEN_TEXT(actual, relativePath, tolerance) \
  EXPECT_PRED_FORMAT3(::golden::MatchesText, actual, relativePath, tolerance)
// EXPECT_GOLDEN_IMAGE(image, "area/tests/data/name.ppm", golden::PixelTolerance{...})
#define EXPECT_GOLDEN_IMAGE(actual, relativePath, tolerance) \
  EXPECT_PRED_FORMAT3(::golden::MatchesImage, actual, relativePath, tolerance)
