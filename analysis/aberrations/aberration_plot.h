#pragma once
// The plotting rules of the aberration graphs that do not need a window: the plotted
// ranges made from the computed bounds, which points are too far out to draw, and the
// colour each curve takes. The aberrations window and its report apply them.

#include <cstdint>

// The six fixed curve colours (COLORREF 0x00BBGGRR): yellow, green, red, cyan, magenta,
// light blue.
constexpr std::uint32_t kAberrationColorTable[6] = {0x00FFFF, 0x00FF00, 0x0000FF,
                                                    0xFFFF00, 0xFF00FF, 0xFF8080};

// A curve's colour: a fixed one from the table, or a fraction of the shared palette's
// active range.
struct TCurveColor {
  bool fromTable = true;
  std::uint32_t color = kAberrationColorTable[0];
  double paletteFraction = 0.0;
};

// The colour of curve c of `curves`. Curves of one wavelength (one chosen, or a system with
// only one) take the fixed colours in turn; curves over several wavelengths take palette
// fractions (c + 2) / (curves + 1). The legend asks the same function, so it always shows
// the colours the curves have.
TCurveColor AberrationCurveColor(int curve, int curves, bool singleWavelength);

// The plotted y range of a fan graph from its bounds: a margin of a fifteenth of the span
// on both sides; a transverse range wholly below 0 is drawn up to 0 and one wholly above 0
// from -10 % of its top (wave ranges keep their margins only).
void FanPlotRange(double min, double max, bool transverse, double &lo, double &hi);

// Whether a value lies so far outside the plotted range (more than five spans from its
// middle, ten times its half-width) that it is not drawn. A range on one side of 0 still
// draws its own points.
bool FarOutsidePlot(double value, double lo, double hi);

// The plotted relative-distortion range: a range of no width becomes (min - 1, max + 1);
// a range on one side of 0 is extended to 0 from the bound nearer to it.
void AdjustDistortionRange(double &min, double &max);
