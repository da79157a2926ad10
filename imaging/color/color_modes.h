#pragma once
// The colour mode word of pictures: one colour kind plus one spectrum flag. Words in use:
// 17 gray, 18 and 34 natural, 20 and 36 TV, 24 and 40 pseudo colours.

#include <cstdint>

enum TColorMode : std::int32_t {
  kGrayScale = 1,
  kNaturalColor = 2,
  kTvColor = 4,
  kPseudoColor = 8,
  kLineSpectrum = 16,
  kContinuousSpectrum = 32,
};

// The word of a new image and of the synthesis record: gray scale with a line spectrum.
constexpr std::int32_t kDefaultColorMode = kGrayScale | kLineSpectrum;
