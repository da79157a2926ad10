#include "synthesis/detectors/transformer_detectors.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "foundation/fft/fft.h"
#include "imaging/rasters/linear_convolution.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/message_box.h"
#include "synthesis/detectors/element_detectors.h"
#include "synthesis/detectors/matrix_detector.h"

namespace {

// The FFT's direction code of the inverse transform (scaled by 1/n per axis).
constexpr int kInverse = 1;

// The usable pixel size of the synthesis record, 0 without one.
double PixelSize() {
  const TTestImage *image = GetTestImage();
  return image != nullptr && image->pixelSize > 0.0 && std::isfinite(image->pixelSize) ? image->pixelSize : 0.0;
}

// A digest of a file's bytes (64-bit FNV-1a), "-" when it cannot be read.
std::string FileDigest(const std::string &path) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "-";
  std::uint64_t hash = 1469598103934665603ull;
  unsigned char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    for (std::size_t i = 0; i < got; ++i) hash = (hash ^ buffer[i]) * 1099511628211ull;
  std::fclose(file);
  char text[24];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace

TDetectorOpticalTransformerModel::TDetectorOpticalTransformerModel() : TTestObject(nullptr) {
  name = kDetectorTransformerName;
}

float TDetectorOpticalTransformerModel::RasterFrequencyStep() {
  const int n = SynthesisPixelCount();
  const double p = PixelSize();
  return n > 0 && p > 0.0 ? static_cast<float>(1.0 / (n * p)) : 0.0f;
}

int TDetectorOpticalTransformerModel::ReadParameters() {
  TTransformerTable read;
  std::string problem;
  // A file that cannot be read leaves no response: the one made before belongs to a file
  // that is no longer there, and a run must stop with the file's problem, not use it.
  if (FileName.empty() || FileName == kUntitledTransformerFile) {
    problem_ = "No optical transformer data file (*.otd) is chosen.";
    state = kNothingComputed;
    return 0;
  }
  if (!ReadTransformerFile(FileName, RasterFrequencyStep(), read, problem)) {
    problem_ = problem;
    state = kNothingComputed;
    return 0;
  }
  // Another table (another file, an edited one), another raster step or another raster
  // makes another response: the table is laid on the raster's frequencies.
  const float rasterStep = RasterFrequencyStep();
  const int rasterCount = SynthesisPixelCount();
  if (read.F != table_.F || read.G != table_.G || rasterStep != rasterStep_ || rasterCount != rasterCount_)
    state = kNothingComputed;
  table_ = std::move(read);
  rasterStep_ = rasterStep;
  rasterCount_ = rasterCount;
  problem_.clear();
  return 1;
}

int TDetectorOpticalTransformerModel::TransformRasters() {
  ReadParameters();
  return TTestObject::TransformRasters();
}

void TDetectorOpticalTransformerModel::ResponseInputs(std::vector<std::string> &inputs) const {
  inputs.assign(1, ResponseInputsText(name, {}) + " file=" + FileName + " " + FileDigest(FileName));
}

void TDetectorOpticalTransformerModel::ShowProblem() const {
  MessageBox(owner, problem_, "Warning", MB_OK | MB_ICONEXCLAMATION);
}

bool TDetectorOpticalTransformerModel::FillResponse(Mem<float> &raster, int n) const {
  Mem<float> imaginary;
  if (!raster.Allocate(n, n) || !imaginary.Allocate(n, n)) return false;
  imaginary.Zero();
  // The gain over the raster's frequency grid with frequency 0 in cell (0, 0), as the
  // transform holds it: a gain laid about the centre cell would come back multiplied by a
  // checkerboard. The grid's step is the raster's own, 1/(n p), whatever step the file
  // gives: the file's dF only spaces its own samples, and taken as the grid's step it
  // would read every frequency dF n p times too high.
  const double p = PixelSize();
  if (n <= 0 || p == 0.0) return false;
  const float step = static_cast<float>(1.0 / (n * p));
  for (int b = 0; b < n; ++b)
    for (int a = 0; a < n; ++a) {
      const float u = static_cast<float>(a < n / 2 ? a : a - n) * step;
      const float v = static_cast<float>(b < n / 2 ? b : b - n) * step;
      raster.data[static_cast<std::size_t>(b) * n + a] = TransformerGain(table_, std::sqrt(u * u + v * v));
    }
  // The inverse transform (1/n per axis) of a real gain even in u and v is real: the
  // signed point response, whose cells sum to G(0), so that its spectrum is the table
  // itself. Its negative rings stay negative.
  if (FFT2D(n, n, raster.data, imaginary.data, kInverse) == 0) return false;
  FFTSwapHalves(n, n, raster.data);
  return true;
}

int TDetectorOpticalTransformerModel::MakeResponse() {
  if (ReadParameters() == 0) {
    MessageBeep(MB_OK);
    ShowProblem();
    return 0;
  }
  const int n = SynthesisPixelCount();
  if (n == 0 || PixelSize() == 0.0) return 0;
  Mem<float> response;
  if (!FillResponse(response, n)) return 0;
  if (!NameResponseFiles(*this, "d_trans")) return 0;
  std::vector<std::string> inputs;
  ResponseInputs(inputs);
  if (WriteResponse(response, inputs.front()) == 0) return 0;
  state = kRastersWritten;
  return 1;
}

TDetectorMatrixTransformerModel::TDetectorMatrixTransformerModel() : TTestObject(nullptr) {
  name = kDetectorMatrixTransformerName;
}

void TDetectorMatrixTransformerModel::Attach(TDetectorMatrixModel *matrix,
                                             TDetectorOpticalTransformerModel *transformer) {
  matrix_ = matrix;
  transformer_ = transformer;
}

int TDetectorMatrixTransformerModel::ReadParameters() {
  if (matrix_ == nullptr || transformer_ == nullptr) return 1;
  matrix_->ReadParameters();
  transformer_->ReadParameters();
  // The combined response stands only while both of its parts stand.
  if (matrix_->state == kNothingComputed || transformer_->state == kNothingComputed) state = kNothingComputed;
  return 1;
}

int TDetectorMatrixTransformerModel::TransformRasters() {
  ReadParameters();
  return TTestObject::TransformRasters();
}

void TDetectorMatrixTransformerModel::ResponseFiles(std::vector<const TFileData *> &files) const {
  files.clear();
  if (matrix_ == nullptr || transformer_ == nullptr) return;
  std::vector<const TFileData *> part;
  matrix_->ResponseFiles(part);
  files.insert(files.end(), part.begin(), part.end());
  transformer_->ResponseFiles(part);
  files.insert(files.end(), part.begin(), part.end());
}

void TDetectorMatrixTransformerModel::ResponseInputs(std::vector<std::string> &inputs) const {
  inputs.clear();
  if (matrix_ == nullptr || transformer_ == nullptr) return;
  std::vector<std::string> part;
  matrix_->ResponseInputs(part);
  inputs.insert(inputs.end(), part.begin(), part.end());
  transformer_->ResponseInputs(part);
  inputs.insert(inputs.end(), part.begin(), part.end());
}

void TDetectorMatrixTransformerModel::CalcSignal(Mem<float> &raster, int mode) {
  if (matrix_ != nullptr) matrix_->CalcSignal(raster, mode);
}

int TDetectorMatrixTransformerModel::MakeResponse() {
  const int n = SynthesisPixelCount();
  if (matrix_ == nullptr || transformer_ == nullptr || n == 0 || PixelSize() == 0.0) return 0;
  matrix_->ReadParameters();
  // A transformer whose file went missing or broke has no response to combine: the old
  // response would belong to another file.
  if (transformer_->ReadParameters() == 0) return transformer_->MakeResponse();
  if (matrix_->MakeResponse() == 0 || transformer_->MakeResponse() == 0) return 0;
  // The element was written anew (perhaps for another raster); its spectrum is not.
  matrix_->state = kRastersWritten;
  if (!NameResponseFiles(*this, "d_m_tran")) return 0;
  Mem<float> combined, element;
  TFileData transformerFile(transformer_->rasterFiles.data[0]), matrixFile(matrix_->rasterFiles.data[0]);
  if (!ReadSquareRaster(transformerFile, combined, n) || !ReadSquareRaster(matrixFile, element, n)) return 0;
  // The element seen through the transformer as the picture sees them, one after the
  // other: light the transformer's rings carry past an edge is lost there, never shown at
  // the opposite edge.
  const TLinearResponse through{element.data, ResponseReach(element.data, n)};
  if (!ConvolveLinear(combined.data, n, &through, 1, 1.0)) {
    ShowNotEnoughMemory();
    return 0;
  }
  if (rasterFiles.data[0].Write(combined) == 0) return 0;
  state = kRastersWritten;
  return 1;
}
