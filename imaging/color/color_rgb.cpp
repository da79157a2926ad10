#include "imaging/color/color_rgb.h"

#include <algorithm>
#include <cmath>

const TColorMatchingRow kColorMatching[] = {
    {380.0, 0.0000, 0.0000, 0.0012},
    {390.0, 0.0001, 0.0000, 0.0036},
    {400.0, 0.0003, -0.0001, 0.0121},
    {410.0, 0.0008, -0.0004, 0.0371},
    {420.0, 0.0021, -0.0011, 0.1154},
    {430.0, 0.0022, -0.0012, 0.2477},
    {440.0, -0.0026, 0.0015, 0.3123},
    {450.0, -0.0121, 0.0068, 0.3167},
    {460.0, -0.0261, 0.0149, 0.2982},
    {470.0, -0.0393, 0.0254, 0.2299},
    {480.0, -0.0494, 0.0391, 0.1449},
    {490.0, -0.0581, 0.0569, 0.0826},
    {500.0, -0.0717, 0.0854, 0.0478},
    {510.0, -0.0890, 0.1286, 0.0270},
    {520.0, -0.0926, 0.1747, 0.0122},
    {530.0, -0.0710, 0.2032, 0.0055},
    {540.0, -0.0315, 0.2147, 0.0015},
    {550.0, 0.0228, 0.2118, -0.0006},
    {560.0, 0.0906, 0.1970, -0.0013},
    {570.0, 0.1677, 0.1709, -0.0014},
    {580.0, 0.2453, 0.1361, -0.0011},
    {590.0, 0.3093, 0.0975, -0.0008},
    {600.0, 0.3443, 0.0625, -0.0005},
    {610.0, 0.3397, 0.0356, -0.0003},
    {620.0, 0.2971, 0.0183, -0.0002},
    {630.0, 0.2268, 0.0083, -0.0001},
    {640.0, 0.1597, 0.0033, 0.0000},
    {650.0, 0.1017, 0.0012, 0.0000},
    {660.0, 0.0593, 0.0004, 0.0000},
    {670.0, 0.0315, 0.0001, 0.0000},
    {680.0, 0.0169, 0.0000, 0.0000},
    {690.0, 0.0082, 0.0000, 0.0000},
    {700.0, 0.0041, 0.0000, 0.0000},
    {710.0, 0.0021, 0.0000, 0.0000},
    {720.0, 0.0011, 0.0000, 0.0000},
    {730.0, 0.0005, 0.0000, 0.0000},
    {740.0, 0.0003, 0.0000, 0.0000},
    {750.0, 0.0001, 0.0000, 0.0000},
    {760.0, 0.0001, 0.0000, 0.0000},
    {770.0, 0.0000, 0.0000, 0.0000},
    {780.0, 0.0000, 0.0000, 0.0000},
};
const int kColorMatchingRows = static_cast<int>(sizeof kColorMatching / sizeof kColorMatching[0]);
static_assert(sizeof kColorMatching / sizeof kColorMatching[0] == 41);

namespace {

void TakeRow(const TColorMatchingRow &row, float rgb[3]) {
  rgb[0] = static_cast<float>(row.red);
  rgb[1] = static_cast<float>(row.green);
  rgb[2] = static_cast<float>(row.blue);
}

}  // namespace

int TColorRGB::SetGamma(int flag) {
  const int previous = gammaFlag;
  gammaFlag = flag;
  return previous;
}

double TColorRGB::Interpolate3(double x, double x0, double y0, double x1, double y1, double x2,
                               double y2) {
  return y0 * (x - x1) * (x - x2) / ((x0 - x1) * (x0 - x2)) +
         y1 * (x - x0) * (x - x2) / ((x1 - x0) * (x1 - x2)) +
         y2 * (x - x0) * (x - x1) / ((x2 - x0) * (x2 - x1));
}

int TColorRGB::WavelengthToRGB(float wavelengthNm, float rgb[3]) {
  const double lambda = wavelengthNm;
  const TColorMatchingRow &first = kColorMatching[0];
  const TColorMatchingRow &last = kColorMatching[kColorMatchingRows - 1];
  // Outside the table (a NaN too) there is no colour.
  if (!(lambda >= first.wavelength && lambda <= last.wavelength)) {
    if (std::fabs(lambda - first.wavelength) <= kColorTableEndTolerance) {
      TakeRow(first, rgb);
      return 0;
    }
    if (std::fabs(lambda - last.wavelength) <= kColorTableEndTolerance) {
      TakeRow(last, rgb);
      return 0;
    }
    rgb[0] = rgb[1] = rgb[2] = 0.0f;
    return 1;
  }
  int lo = 0;
  int hi = kColorMatchingRows - 1;
  while (hi - lo > 1) {
    const int mid = lo + (hi - lo) / 2;
    if (kColorMatching[mid].wavelength == lambda) {
      TakeRow(kColorMatching[mid], rgb);
      return 0;
    }
    if (kColorMatching[mid].wavelength < lambda)
      lo = mid;
    else
      hi = mid;
  }
  // The parabola takes the rows lo .. lo + 2; at the top end the last three rows.
  if (hi == kColorMatchingRows - 1) lo = kColorMatchingRows - 3;
  const TColorMatchingRow &a = kColorMatching[lo];
  const TColorMatchingRow &b = kColorMatching[lo + 1];
  const TColorMatchingRow &c = kColorMatching[lo + 2];
  rgb[0] = static_cast<float>(
      Interpolate3(lambda, a.wavelength, a.red, b.wavelength, b.red, c.wavelength, c.red));
  rgb[1] = static_cast<float>(Interpolate3(lambda, a.wavelength, a.green, b.wavelength,
                                           b.green, c.wavelength, c.green));
  rgb[2] = static_cast<float>(
      Interpolate3(lambda, a.wavelength, a.blue, b.wavelength, b.blue, c.wavelength, c.blue));
  return 0;
}

float TColorRGB::Luminance(float r, float g, float b) {
  const float luminance = r + 4.5907f * g + 0.0601f * b;
  return luminance > 0.0f ? luminance : kNoLight;
}

void TColorRGB::ToDisplay(float level, float channels[3], int fixedScale) const {
  if (!(level > 0.0f)) {
    channels[0] = channels[1] = channels[2] = 0.0f;
  }
  float reference = 0.0f;
  for (int k = 0; k < 3; ++k) {
    if (!(channels[k] > 0.0f)) channels[k] = 0.0f;
    reference = std::max(reference, channels[k]);
  }
  if (fixedScale != 0) reference = 255.0f;
  if (reference < 1e-10f) reference = 1.0f;
  const float black = static_cast<float>(blackLevel);
  for (int k = 0; k < 3; ++k) {
    double v = static_cast<double>(channels[k]) / reference * (level > 0.0f ? level : 0.0f);
    if (gammaFlag != 0) v = std::pow(v, kDisplayExponent);
    const float display = static_cast<float>(v * (255.0 - black) + black);
    // Infinite light gives inf / inf here: shown as no light rather than as a NaN.
    channels[k] = display >= 255.0f ? 255.0f : (display >= black ? display : black);
  }
}
