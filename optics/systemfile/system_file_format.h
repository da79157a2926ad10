#pragma once
// The systemfile area holds the optical system file: its reader, writer, checker and
// materials. It uses foundation/textfiles, foundation/tokenizer, optics/glass and
// optics/model.
//
// Shared details of the optical system file: capacities, section names and number texts
// that read back exactly (the keys are in system_file_keys.h).

#include <charconv>
#include <system_error>
#include <cmath>
#include <string>
#include <string_view>

// Degrees per radian of the angles in the file.
constexpr double kFileDegreesPerRadian = 57.29577951308232;
// The file holds field values x 60 when Unit is 1.
constexpr double kFileUnitFactor = 60.0;

// More is not an optical system but a broken file. Preparing a system searches its stop by
// imaging every surface back to the object, a time that grows with the square of the count:
// a thousand surfaces take a fraction of a second, ten thousand took minutes.
constexpr int kFileMaxSurfaces = 1000;
constexpr int kFileWavelengths = 20;
constexpr int kFileFieldValues = 100;
constexpr int kFileShapeCoefficients = 200;
constexpr int kFilePhaseCoefficients = 20;
constexpr int kFileMaxZones = 1000;
constexpr int kFileNameLength = 256;
constexpr int kFileMinNd = 64;
constexpr int kFileMaxNd = 2048;
// The diameter (mm) a surface gets when its file gives none or a negative one.
constexpr double kFileLeastDiameter = 0.00001;
// Offsets beyond a million kilometres are no system's: positions summed from them keep no
// digit of a lens's thickness, and at 1e308 the sums overflow.
constexpr double kFileLargestOffset = 1.0e12;
// A glass given as its index names one from 1 to 10 (mirrors aside); no medium's index
// passes 10.
constexpr double kFileLeastIndex = 1.0;
constexpr double kFileLargestIndex = 10.0;
// Offsets and angles (radians) at or below this are not written.
constexpr double kFileNegligible = 1e-10;

// The shortest text that reads back as exactly the same double.
inline std::string FormatNumber(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// A value the file stores through a conversion (degrees, x 60, an offset from a running
// sum): the shortest text that readsBack accepts, so saving and loading again gives the
// same value; guess when none does. The candidates are the doubles next to guess and guess
// rounded to each number of digits: an offset read from the file and added to a running
// sum comes back as a difference some ulps away from what was read (0.99997 read after
// 19.26651 comes back as 0.9999700000000011), yet the text read still gives the same sum.
template <class ReadsBack>
double WritableNumber(double guess, ReadsBack readsBack) {
  if (!std::isfinite(guess)) return guess;
  constexpr int kMostDigits = 17;
  for (int digits = 1; digits < kMostDigits; ++digits) {
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, guess, std::chars_format::general, digits);
    double rounded = 0.0;
    if (std::from_chars(text, written.ptr, rounded).ec != std::errc() || !readsBack(rounded)) continue;
    // The first number of digits that reads back is the shortest text unless the doubles
    // next to guess hold a shorter one (a rounding that lands on fewer digits).
    guess = rounded;
    break;
  }
  constexpr int kSteps = 8;
  double best = guess;
  std::size_t bestLength = 0;
  bool found = false;
  double below = guess;
  double above = guess;
  for (int step = 0; step <= kSteps; ++step) {
    for (double candidate : {below, above}) {
      if (!readsBack(candidate)) continue;
      const std::size_t length = FormatNumber(candidate).size();
      if (!found || length < bestLength) {
        best = candidate;
        bestLength = length;
        found = true;
      }
    }
    below = std::nextafter(below, -INFINITY);
    above = std::nextafter(above, INFINITY);
  }
  return best;
}

// Positions the program placed by sums (every surface after an edited gap moved by the
// change) carry the rounding of those sums: some units in the last place of the largest
// term. Within that rounding two positions are the same, and a position or a gap is written
// with the fewest digits that give it: a move leaves the text of an untouched gap as it was
// (0.99997, never 0.999970000000005).
inline constexpr double kPlacementUlps = 2.0;
inline bool SamePlacement(double a, double b, double scale) {
  scale = std::fabs(scale);
  return std::fabs(a - b) <= kPlacementUlps * (std::nextafter(scale, INFINITY) - scale);
}
// The shortest text of a position within that rounding.
inline std::string FormatPlacement(double value) {
  return FormatNumber(WritableNumber(value, [value](double d) { return SamePlacement(d, value, value); }));
}

// Names in the file (the system's, the glasses'): a double quote, a semicolon, a line end
// or a percent sign would end or split the item, so they are written as %22, %3B, %0A,
// %0D and %25 and read back. Any other percent sign reads as itself.
std::string EncodeFileName(const std::string &text);
std::string DecodeFileName(const std::string &text);
// The encoded name cut to at most `limit` characters, never inside an escape or inside a
// UTF-8 character.
std::string EncodeFileName(const std::string &text, std::size_t limit);

// The empty section the writer puts last, so a file cut at any line end is known; [Common]
// promises it with "EndSection=1" (files written before it promise nothing).
inline constexpr char kSystemFileEndSection[] = "[End]";

std::string SurfaceSectionHeader(int surfaceNumber);
std::string ZoneSectionHeader(int surfaceNumber, int zoneNumber);
