#pragma once
// Display settings and the conversions of one colour: a wavelength to the CIE 1931 RGB
// colour-matching values (2-degree observer, primaries 700.0, 546.1 and 435.8 nm), the
// luminance of an RGB sum and its mapping to display values.

#include <cstdint>

// One row of the colour-matching table: wavelength (nm) and r, g, b values.
struct TColorMatchingRow {
  double wavelength;
  double red;
  double green;
  double blue;
};

// 380 to 780 nm in steps of 10 nm, to four places; negative where the standard is.
extern const TColorMatchingRow kColorMatching[];
extern const int kColorMatchingRows;
// Its first and last wavelengths, nm; a wavelength this close to an end counts as that end.
constexpr double kColorTableFirstNm = 380.0;
constexpr double kColorTableLastNm = 780.0;
constexpr double kColorTableEndTolerance = 1e-5;

// Luminance marker of a pixel without light; any value not above kNoLightLimit is no light.
constexpr float kNoLight = -1e18f;
constexpr float kNoLightLimit = -1e17f;

// The exponent applied to display levels while the gamma flag is set.
constexpr double kDisplayExponent = 0.3;

class TColorRGB {
 public:
  TColorRGB() = default;

  // Sets the gamma flag and answers the previous one.
  int SetGamma(int flag);

  // The colour-matching values at a wavelength in nm into rgb: 0 inside 380 .. 780 nm (a
  // parabola through the three nearest rows), 1 with zeros outside.
  static int WavelengthToRGB(float wavelengthNm, float rgb[3]);
  // The value at x of the parabola through (x0, y0), (x1, y1), (x2, y2) (Lagrange form).
  static double Interpolate3(double x, double x0, double y0, double x1, double y1, double x2,
                             double y2);
  // r + 4.5907 g + 0.0601 b: the luminance of the three primaries relative to red; a sum
  // not above 0 answers kNoLight.
  static float Luminance(float r, float g, float b);
  // Maps a colour to display values: the strongest channel (or 255 with fixedScale) takes
  // the level, the others keep their ratio to it; with the gamma flag the level is raised
  // to kDisplayExponent; then scaled onto black level .. 255. A level not above 0 (or not
  // a number) shows the black level.
  void ToDisplay(float level, float channels[3], int fixedScale) const;

  std::int32_t scaleMode = 0;   // 0 linear, 1 logarithmic
  std::int32_t blackLevel = 0;  // display value of no light, 0 .. 200
  std::int32_t gammaFlag = 1;   // 1 applies the display exponent
};
