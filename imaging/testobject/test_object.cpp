#include "imaging/testobject/test_object.h"

#include <cstdio>

#include "foundation/fft/fft.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/rasters/spectrum_file.h"
#include "imaging/testobject/test_image.h"

int SynthesisPixelCount() {
  const TTestImage *image = GetTestImage();
  if (image == nullptr) return 0;
  const int n = image->pixelCount;
  // Only powers of two can be transformed.
  return n > 0 && (n & (n - 1)) == 0 ? n : 0;
}

TTestObject::TTestObject(HWND ownerWindow) : owner(ownerWindow) {}

TTestObject::~TTestObject() {
  for (int k = 0; k < RecordCount(frameFiles); ++k) CloseFrameFile(k);
}

double TTestObject::ValueAt(int, double, double) { return 0.0; }

int TTestObject::Calculate() {
  state = kRastersWritten;
  return 1;
}

std::string TTestObject::ImageCaption() const { return "Image: " + name; }

double TTestObject::RasterPitch() const {
  if (rasterPitch > 0.0) return rasterPitch;
  const TTestImage *image = GetTestImage();
  return image != nullptr ? image->pixelSize : 0.0;
}

TFileData *TTestObject::FrameRecord(int k) {
  const int count = RecordCount(frameFiles);
  if (count == 1) return &frameFiles.data[0];
  return k >= 0 && k < count ? &frameFiles.data[k] : nullptr;
}

void TTestObject::ResponseFiles(std::vector<const TFileData *> &files) const {
  files.clear();
  if (RecordCount(rasterFiles) > 0) files.push_back(&rasterFiles.data[0]);
}

std::string ResponseInputsFile(const std::string &rasterFile) { return rasterFile + ".from"; }

namespace {

// The whole text of a small file; empty when it cannot be read.
std::string FileText(const std::string &path) {
  std::string text;
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return text;
  char buffer[256];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
  std::fclose(file);
  return text;
}

}  // namespace

bool TTestObject::ResponsesStand() const {
  std::vector<std::string> inputs;
  ResponseInputs(inputs);
  if (inputs.empty()) return true;
  std::vector<const TFileData *> files;
  ResponseFiles(files);
  if (files.size() != inputs.size()) return false;
  for (std::size_t i = 0; i < files.size(); ++i)
    if (FileText(ResponseInputsFile(files[i]->fileName)) != inputs[i]) return false;
  return true;
}

int TTestObject::WriteResponse(const Mem<float> &raster, const std::string &inputs) {
  if (RecordCount(rasterFiles) == 0) return 0;
  const std::string beside = ResponseInputsFile(rasterFiles.data[0].fileName);
  std::remove(beside.c_str());
  if (rasterFiles.data[0].Write(raster) == 0) return 0;
  std::FILE *file = std::fopen(beside.c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(inputs.data(), 1, inputs.size(), file) == inputs.size();
  if (std::fclose(file) != 0 || !written) {
    std::remove(beside.c_str());
    return 0;
  }
  return 1;
}

int TTestObject::TransformRasters() {
  // A response made for other settings is made anew, whoever changed them.
  if (state != kNothingComputed && !ResponsesStand()) state = kNothingComputed;
  if (state == kSpectraWritten) return 1;
  if (state == kNothingComputed && Calculate() == 0) return 0;
  const int n = SynthesisPixelCount();
  if (n == 0) return 0;
  Mem<float> real;
  Mem<float> imaginary;
  if (!imaginary.Allocate(n, n)) return 0;
  for (int k = 0; k < RecordCount(rasterFiles); ++k) {
    imaginary.Zero();
    TFileData reader(rasterFiles.data[k]);
    if (!ReadSquareRaster(reader, real, n)) return 0;
    if (FFT2D(n, n, real.data, imaginary.data, 0) == 0) return 0;
    if (WriteFrame(k, real, imaginary) == 0) return 0;
  }
  state = kSpectraWritten;
  return 1;
}

int TTestObject::WriteFrame(int k, Mem<float> &re, Mem<float> &im) {
  const TFileData *record = FrameRecord(k);
  const int n = SynthesisPixelCount();
  if (record == nullptr || n == 0) return 0;
  return WriteSpectrumFile(record->fileName, re, im, n);
}

int TTestObject::ReadFrame(int k, Mem<float> &re, Mem<float> &im) {
  const TFileData *record = FrameRecord(k);
  const int n = SynthesisPixelCount();
  if (record == nullptr || n == 0) return 0;
  return ReadSpectrumFile(record->fileName, re, im, n);
}

int TTestObject::OpenFrameFile(int k) {
  TFileData *record = FrameRecord(k);
  const int n = SynthesisPixelCount();
  if (record == nullptr || n == 0) return 0;
  if (record->handle != nullptr) std::fclose(record->handle);
  record->handle = std::fopen(record->fileName.c_str(), "rb");
  if (record->handle == nullptr) return 0;
  if (!SpectrumFileFits(record->handle, record->fileName, n)) {
    std::fclose(record->handle);
    record->handle = nullptr;
    return 0;
  }
  return 1;
}

void TTestObject::CloseFrameFile(int k) {
  TFileData *record = FrameRecord(k);
  if (record == nullptr || record->handle == nullptr) return;
  std::fclose(record->handle);
  record->handle = nullptr;
}

int TTestObject::ReadFrameStep(int k, Mem<float> &pair, int n) {
  const int side = SynthesisPixelCount();
  if (side == 0) return 0;
  if (pair.data == nullptr || pair.cols != side || pair.rows < 2) {
    if (!pair.Allocate(side, 2)) return 0;
    pair.Zero();
  }
  const TFileData *record = FrameRecord(k);
  const std::size_t count = static_cast<std::size_t>(side);
  const long offset = static_cast<long>(n) * side * 8;
  const bool read = record != nullptr && record->handle != nullptr && n >= 0 && n < side &&
                    std::fseek(record->handle, offset, SEEK_SET) == 0 &&
                    std::fread(pair.data, sizeof(float), count, record->handle) == count &&
                    std::fread(pair.data + side, sizeof(float), count, record->handle) == count;
  if (!read) pair.Zero();
  return read ? 1 : 0;
}
