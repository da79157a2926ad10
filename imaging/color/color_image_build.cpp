// Building the colour pixels of a TColorImage from its component rasters.

#include <algorithm>
#include <cmath>

#include "imaging/color/color_image.h"
#include "imaging/color/color_modes.h"

namespace {

// Pseudo colours stretch the component wavelengths over this band (blue .. red, nm); equal
// shortest and longest wavelengths all show as its middle.
constexpr double kPseudoBlueNm = 460.0;
constexpr double kPseudoRedNm = 670.0;
constexpr double kPseudoMiddleNm = 565.0;
// Continuous spectra are summed in steps of this many nanometres.
constexpr double kSpectrumStepNm = 2.0;
// Slack for the last step of a band, whose end is reached by repeated float additions.
constexpr double kStepSlack = 1e-9;
constexpr float kNanometresPerMicrometre = 1000.0f;
// The band a continuous spectrum can colour: the table with its end tolerance, nm.
constexpr double kTableFirstNm = kColorTableFirstNm - kColorTableEndTolerance;
constexpr double kTableLastNm = kColorTableLastNm + kColorTableEndTolerance;
// Starting values of the running extremes.
constexpr float kSmallestStart = 1e10f;
constexpr float kLargestStart = -1e20f;

int CellCount(const Mem<float> &raster) { return raster.cols * raster.rows; }

}  // namespace

int TColorImage::BuildFromComponents(int mode) {
  const int count = ComponentCount();
  if (count == 0) return 0;
  if ((mode & (kLineSpectrum | kContinuousSpectrum)) == 0) mode |= kLineSpectrum;
  // Components without a wavelength have no colour to show.
  if (components.data[0].wavelength == 0.0f) mode = kGrayScale | kLineSpectrum;
  modeWord = mode;
  modeCopy = mode;
  const int kind = (mode & kLineSpectrum) != 0 ? mode - kLineSpectrum : mode - kContinuousSpectrum;
  // TV colours take the components in the order they came: blue, green, red.
  if (kind != kTvColor) SortComponentsByWavelength();
  const bool continuous = (mode & kLineSpectrum) == 0;
  switch (kind) {
    case kGrayScale:
      return BuildGray();
    case kNaturalColor:
      if (components.data[0].wavelength == 0.0f) return BuildGray();
      wavelengthSlope = 1.0f;
      wavelengthOffset = 0.0f;
      return BuildSpectral(continuous);
    case kPseudoColor: {
      const double span = static_cast<double>(longestWavelength) - shortestWavelength;
      if (span == 0.0) {
        wavelengthSlope = 0.0f;
        wavelengthOffset = static_cast<float>(kPseudoMiddleNm);
      } else {
        wavelengthSlope = static_cast<float>((kPseudoRedNm - kPseudoBlueNm) / span);
        wavelengthOffset = static_cast<float>(
            (kPseudoBlueNm * longestWavelength - shortestWavelength * kPseudoRedNm) / span);
      }
      return BuildSpectral(continuous);
    }
    case kTvColor:
      return BuildTv();
    default:
      return 0;
  }
}

bool TColorImage::ReadComponent(int k, Mem<float> &raster) {
  // A copy reads the file, so the component keeps the wavelength and weight it was given.
  TFileData reader(components.data[k]);
  return reader.Read(raster) != 0 && raster.data != nullptr && pixels.data != nullptr &&
         raster.cols == pixels.cols && raster.rows == pixels.rows;
}

int TColorImage::BuildGray() {
  if (pixels.data == nullptr) return 0;
  pixels.Zero();
  Mem<float> raster;
  const int n = pixels.cols * pixels.rows;
  for (int k = 0; k < ComponentCount(); ++k) {
    if (!ReadComponent(k, raster)) return 0;
    const float weight = components.data[k].weight;
    for (int i = 0; i < n; ++i) {
      const float light = weight * raster.data[i];
      pixels.data[i].red += light;
      pixels.data[i].green += light;
      pixels.data[i].blue += light;
    }
  }
  RasterToColors(false);
  return 1;
}

void TColorImage::AddLine(const Mem<float> &raster, float weight, float wavelengthNm) {
  float rgb[3];
  // A wavelength outside the table has no colour and adds nothing.
  if (WavelengthToRGB(wavelengthNm, rgb) != 0) return;
  const int n = CellCount(raster);
  for (int i = 0; i < n; ++i) {
    const float light = weight * raster.data[i];
    pixels.data[i].red += light * rgb[0];
    pixels.data[i].green += light * rgb[1];
    pixels.data[i].blue += light * rgb[2];
  }
}

int TColorImage::BuildSpectral(bool continuous) {
  if (pixels.data == nullptr) return 0;
  pixels.Zero();
  const int count = ComponentCount();
  auto mapped = [this](int k) {
    return static_cast<double>(wavelengthSlope) *
               (components.data[k].wavelength * kNanometresPerMicrometre) +
           wavelengthOffset;
  };
  if (!continuous || count < 2) {
    Mem<float> raster;
    for (int k = 0; k < count; ++k) {
      if (!ReadComponent(k, raster)) return 0;
      AddLine(raster, components.data[k].weight, static_cast<float>(mapped(k)));
    }
    RasterToColors(false);
    return 1;
  }
  // Between neighbours k and k + 1 both light and weight go linearly with the wavelength;
  // each file is read once, the later raster of one pair being the earlier of the next.
  Mem<float> rasters[2];
  if (!ReadComponent(0, rasters[0])) return 0;
  const int n = pixels.cols * pixels.rows;
  for (int k = 0; k + 1 < count; ++k) {
    const Mem<float> &a = rasters[k % 2];
    Mem<float> &b = rasters[(k + 1) % 2];
    if (!ReadComponent(k + 1, b)) return 0;
    const double la = mapped(k);
    const double lb = mapped(k + 1);
    const double wa = components.data[k].weight;
    const double wb = components.data[k + 1].weight;
    // Every pair but the last stops a step short of its end, which the next pair begins.
    const double limit = k + 2 == count ? lb : lb - kSpectrumStepNm;
    if (!std::isfinite(la) || !std::isfinite(lb) || !(limit >= la)) continue;
    // Steps outside the colour-matching table add nothing, so only those inside are taken:
    // a band of any width costs at most the table's 200 steps.
    const double lastStep =
        std::min(std::floor((limit - la) / kSpectrumStepNm + kStepSlack),
                 std::floor((kTableLastNm - la) / kSpectrumStepNm + kStepSlack));
    const double firstStep =
        std::max(0.0, std::ceil((kTableFirstNm - la) / kSpectrumStepNm - kStepSlack));
    if (!(lastStep >= firstStep)) continue;
    const int steps = static_cast<int>(lastStep - firstStep) + 1;
    for (int step = 0; step < steps; ++step) {
      const double l = la + (firstStep + step) * kSpectrumStepNm;
      // Two components at one shown wavelength: the sample there is their mean.
      const double t = lb > la ? (l - la) / (lb - la) : 0.5;
      float rgb[3];
      if (WavelengthToRGB(static_cast<float>(l), rgb) != 0) continue;
      const float weight = static_cast<float>(wa + (wb - wa) * t);
      const float share = static_cast<float>(t);
      for (int i = 0; i < n; ++i) {
        const float light = (a.data[i] + (b.data[i] - a.data[i]) * share) * weight;
        pixels.data[i].red += light * rgb[0];
        pixels.data[i].green += light * rgb[1];
        pixels.data[i].blue += light * rgb[2];
      }
    }
  }
  RasterToColors(false);
  return 1;
}

int TColorImage::BuildTv() {
  constexpr int kTvComponents = 3;
  if (ComponentCount() != kTvComponents || pixels.data == nullptr) return 0;
  const int n = pixels.cols * pixels.rows;
  Mem<float> raster;
  for (int k = 0; k < kTvComponents; ++k) {
    if (!ReadComponent(k, raster)) return 0;
    const float weight = components.data[k].weight;
    for (int i = 0; i < n; ++i) {
      const float value = weight * raster.data[i];
      // Component 0 is blue, 1 green, 2 red.
      if (k == 0) pixels.data[i].blue = value;
      if (k == 1) pixels.data[i].green = value;
      if (k == 2) pixels.data[i].red = value;
    }
  }
  float largest = kLargestStart;
  for (int i = 0; i < n; ++i)
    largest = std::fmax(largest, std::fmax(pixels.data[i].red,
                                           std::fmax(pixels.data[i].green, pixels.data[i].blue)));
  // A picture without any positive value has nothing to scale: it shows the black level.
  if (largest > 0.0f) {
    const float scale = 255.0f / largest;
    for (int i = 0; i < n; ++i) {
      pixels.data[i].red *= scale;
      pixels.data[i].green *= scale;
      pixels.data[i].blue *= scale;
    }
  }
  scaleMode = 0;
  RasterToColors(true);
  return 1;
}

void TColorImage::RasterToColors(bool tvColors) {
  const int n = pixels.Cells();
  Mem<float> luminance;
  if (n == 0 || !luminance.Allocate(n, 1)) return;
  const bool logarithmic = scaleMode != 0;
  float smallest = kSmallestStart;
  float largest = kLargestStart;
  for (int i = 0; i < n; ++i) {
    const COLORVECTOR &pixel = pixels.data[i];
    float y = Luminance(pixel.red, pixel.green, pixel.blue);
    if (logarithmic && y > kNoLightLimit) y = std::log10(y);
    if (y > kNoLightLimit && y < smallest) smallest = y;
    if (y > largest) largest = y;
    luminance.data[i] = y;
  }
  if (logarithmic) {
    // The range shown: dynamicRange (0.001 for three decades) below the brightest pixel.
    if (dynamicRange > 0.0f) smallest = largest - std::fabs(std::log10(dynamicRange));
    largest = kLargestStart;
    for (int i = 0; i < n; ++i) {
      if (luminance.data[i] > kNoLightLimit) luminance.data[i] -= smallest;
      if (luminance.data[i] > largest) largest = luminance.data[i];
    }
  }
  float divisor = largest;
  if (!logarithmic) divisor = tvColors ? gain : largest / gain;
  // A divisor of 0 (every pixel at the bottom of the range) leaves the levels at 0.
  const bool divide = divisor != 0.0f;
  for (int i = 0; i < n; ++i) {
    if (divide && luminance.data[i] > kNoLightLimit) luminance.data[i] /= divisor;
    COLORVECTOR &pixel = pixels.data[i];
    float channels[3] = {pixel.red, pixel.green, pixel.blue};
    if (tvColors)
      ToDisplay(divisor, channels, 1);
    else
      ToDisplay(luminance.data[i], channels, 0);
    pixel.red = channels[0];
    pixel.green = channels[1];
    pixel.blue = channels[2];
  }
}
