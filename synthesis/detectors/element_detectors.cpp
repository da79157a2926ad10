#include "synthesis/detectors/element_detectors.h"

#include <cmath>
#include <cstdlib>

#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"

namespace {

// Sizes are typed into float fields: a size meant as a whole number of pixels (4 p) is
// stored a float rounding (6e-8 relative) away from it, and its square twice that. A pixel
// that lies on the element's edge within two such roundings counts as on it.
constexpr double kFloatSizeTolerance = 2.5e-7;

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
      raster.data[row * n + column] = Covers(column - centre, centre - row, p) ? 1.0f : 0.0f;
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
  return rasterFiles.data[0].Write(response);
}

TDetectorRoundModel::TDetectorRoundModel() : TElementDetectorModel(kDetectorRoundName, "d_round") {}

bool TDetectorRoundModel::Covers(int columnOffset, int rowOffset, double p) const {
  // x^2 + y^2 <= (D/2)^2 in pixels: a negative diameter draws the disc of its size.
  const double radius = 0.5 * Diameter / p;
  const double squared = static_cast<double>(columnOffset) * columnOffset +
                         static_cast<double>(rowOffset) * rowOffset;
  return squared <= radius * radius * (1.0 + kFloatSizeTolerance);
}

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

bool RectangleCovers(int columnOffset, int rowOffset, double p, float ly, float lz) {
  const double halfColumns = 0.5 * lz / p * (1.0 + kFloatSizeTolerance);
  const double halfRows = 0.5 * ly / p * (1.0 + kFloatSizeTolerance);
  return std::abs(columnOffset) <= halfColumns && std::abs(rowOffset) <= halfRows;
}

bool TDetectorRectangleModel::Covers(int columnOffset, int rowOffset, double p) const {
  return RectangleCovers(columnOffset, rowOffset, p, Ly, Lz);
}

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
