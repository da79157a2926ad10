#include "synthesis/detectors/element_detectors.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"

namespace {

// The integral of the disc's half chord sqrt(r^2 - t^2) from 0 to x, x held in [-r, r].
double HalfChordIntegral(double x, double r) {
  x = std::clamp(x, -r, r);
  return 0.5 * (x * std::sqrt(r * r - x * x) + r * r * std::asin(x / r));
}

// The integral over [a, b] of the disc's half chord capped at h >= 0: min(h, sqrt(r^2 - t^2))
// (0 beyond the disc). The half chord exceeds h for |t| < sqrt(r^2 - h^2).
double CappedChordIntegral(double h, double a, double b, double r) {
  double total = HalfChordIntegral(b, r) - HalfChordIntegral(a, r);
  if (h >= r) return total;
  const double reach = std::sqrt(r * r - h * h);
  const double low = std::max(a, -reach), high = std::min(b, reach);
  if (high > low) total += h * (high - low) - (HalfChordIntegral(high, r) - HalfChordIntegral(low, r));
  return total;
}

// The integral over [a, b] of the disc's chord clamped to [-r, y]: signed, so that the
// difference of two gives the disc's area between two heights.
double DiscBelow(double y, double a, double b, double r) {
  return y >= 0.0 ? CappedChordIntegral(y, a, b, r) : -CappedChordIntegral(-y, a, b, r);
}

// The length of [offset - 1/2, offset + 1/2] within [-half, half] (pixels); a half of 0 is
// the centre pixel alone.
double AxisShare(int offset, double half) {
  if (half == 0.0) return offset == 0 ? 1.0 : 0.0;
  if (!(half > 0.0)) return 0.0;
  const double low = std::max(offset - 0.5, -half);
  const double high = std::min(offset + 0.5, half);
  return high > low ? high - low : 0.0;
}

// The part of the largest field side an element may cover.
constexpr double kElementFieldShare = 0.8;
// An oversized element is cut to just below the limit.
constexpr float kBelowLimit = 0.99999f;

std::string TemporaryFile(const std::string &stem, const char *extension) {
  return TempPath(stem + extension);
}

}  // namespace

bool NameResponseFiles(TTestObject &model, const std::string &stem) {
  model.CloseFrameFile(0);
  if (!model.rasterFiles.Allocate(1, 1) || !model.frameFiles.Allocate(1, 1)) return false;
  TFileData &raster = model.rasterFiles.data[0];
  raster.fileName = TemporaryFile(stem, ".img");
  raster.wavelength = 0.0f;
  raster.weight = 1.0f;
  model.frameFiles.data[0] = raster;
  model.frameFiles.data[0].fileName = TemporaryFile(stem, ".spc");
  return true;
}

std::string ResponseInputsText(const std::string &kind, const std::vector<double> &values) {
  const TTestImage *image = GetTestImage();
  std::string text = kind + " N=" + std::to_string(SynthesisPixelCount());
  char number[48];
  std::snprintf(number, sizeof number, " p=%a", image != nullptr ? image->pixelSize : 0.0);
  text += number;
  for (const double value : values) {
    std::snprintf(number, sizeof number, " %a", value);
    text += number;
  }
  return text;
}

TDetectorNoneModel::TDetectorNoneModel() : TTestObject(nullptr) {
  name = kDetectorNoneName;
  state = kNoDetectorState;
}

int TDetectorNoneModel::MakeResponse() {
  state = kNoDetectorState;
  return 1;
}

TElementDetectorModel::TElementDetectorModel(const char *displayName, const char *fileStem)
    : TTestObject(nullptr), fileStem_(fileStem) {
  name = displayName;
}

float TElementDetectorModel::SizeLimit() {
  const TTestImage *image = GetTestImage();
  if (image == nullptr) return 0.0f;
  return static_cast<float>(image->pixelCount * image->pixelSize * kElementFieldShare);
}

bool TElementDetectorModel::CutToLimit(float &size, float limit) {
  // Without a synthesis record there is no field to measure against.
  if (!(limit > 0.0f) || !(size > limit)) return false;
  size = limit * kBelowLimit;
  return true;
}

void TElementDetectorModel::FillResponse(Mem<float> &raster, int n, double p) const {
  const int centre = n / 2;
  for (int row = 0; row < n; ++row)
    for (int column = 0; column < n; ++column)
      raster.data[row * n + column] = static_cast<float>(CoveredShare(column - centre, centre - row, p));
}

int TElementDetectorModel::MakeResponse() {
  ReadParameters();
  const int n = SynthesisPixelCount();
  const TTestImage *image = GetTestImage();
  if (n == 0 || image == nullptr || !(image->pixelSize > 0.0)) return 0;
  Mem<float> response;
  if (!response.Allocate(n, n)) return 0;
  if (!NameResponseFiles(*this, fileStem_)) return 0;
  FillResponse(response, n, image->pixelSize);
  std::vector<std::string> inputs;
  ResponseInputs(inputs);
  return WriteResponse(response, inputs.front());
}

void TElementDetectorModel::ResponseInputs(std::vector<std::string> &inputs) const {
  inputs.assign(1, ResponseInputsText(name, ResponseSizes()));
}

TDetectorRoundModel::TDetectorRoundModel() : TElementDetectorModel(kDetectorRoundName, "d_round") {}

double DiscShare(int columnOffset, int rowOffset, double p, float d) {
  // A negative diameter draws the disc of its size.
  const double radius = 0.5 * std::fabs(static_cast<double>(d)) / p;
  if (radius == 0.0) return columnOffset == 0 && rowOffset == 0 ? 1.0 : 0.0;
  if (!std::isfinite(radius)) return 0.0;
  // By symmetry in the first quadrant; the pixel spans [x0, x0 + 1] x [y0, y0 + 1].
  const double x0 = std::abs(columnOffset) - 0.5, y0 = std::abs(rowOffset) - 0.5;
  const double nearX = std::max(x0, 0.0), nearY = std::max(y0, 0.0);
  if (nearX * nearX + nearY * nearY >= radius * radius) return 0.0;
  const double farX = x0 + 1.0, farY = y0 + 1.0;
  if (farX * farX + farY * farY <= radius * radius) return 1.0;
  // The disc's area between the pixel's rows over its columns, in closed form.
  return std::clamp(DiscBelow(y0 + 1.0, x0, x0 + 1.0, radius) - DiscBelow(y0, x0, x0 + 1.0, radius), 0.0, 1.0);
}

double TDetectorRoundModel::CoveredShare(int columnOffset, int rowOffset, double p) const {
  return DiscShare(columnOffset, rowOffset, p, Diameter);
}

std::vector<double> TDetectorRoundModel::ResponseSizes() const { return {Diameter}; }

bool TDetectorRoundModel::TakeDiameter(float typed) {
  // "nan" reads as a number but is no size: the diameter stays.
  if (std::isnan(typed)) return false;
  const float kept = Diameter;
  Diameter = typed;
  const bool cut = CutToLimit(Diameter, SizeLimit());
  // Also a kept value cut to a smaller field makes another element.
  if (Diameter != kept) state = kNothingComputed;
  return cut;
}

TDetectorRectangleModel::TDetectorRectangleModel()
    : TElementDetectorModel(kDetectorRectangleName, "d_rect") {}

double RectangleShare(int columnOffset, int rowOffset, double p, float ly, float lz) {
  return AxisShare(columnOffset, 0.5 * lz / p) * AxisShare(rowOffset, 0.5 * ly / p);
}

double TDetectorRectangleModel::CoveredShare(int columnOffset, int rowOffset, double p) const {
  return RectangleShare(columnOffset, rowOffset, p, Ly, Lz);
}

std::vector<double> TDetectorRectangleModel::ResponseSizes() const { return {Ly, Lz}; }

bool TDetectorRectangleModel::TakeSides(float typedLy, float typedLz) {
  const float keptLy = Ly, keptLz = Lz;
  if (!std::isnan(typedLy)) Ly = typedLy;
  if (!std::isnan(typedLz)) Lz = typedLz;
  const float limit = SizeLimit();
  const bool cutLy = CutToLimit(Ly, limit);
  const bool cutLz = CutToLimit(Lz, limit);
  if (Ly != keptLy || Lz != keptLz) state = kNothingComputed;
  return cutLy || cutLz;
}
