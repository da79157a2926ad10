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

int TTestObject::TransformRasters() {
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
