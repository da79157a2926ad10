#pragma once
// One float raster file (*.img, *.imc) and its header record: 52 header bytes, then the
// rows of 32-bit floats. The record describes the file; the file on disk outlives it.

#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/containers/mem.h"

class TFileData {
 public:
  TFileData() = default;
  // A copy takes every field and the name; an open stream is never shared.
  TFileData(const TFileData &other);
  TFileData &operator=(const TFileData &other);
  ~TFileData() = default;

  // Takes width and height from the raster's columns and rows and writes the file.
  // 1 when written, 0 when the file cannot be created.
  int Write(const Mem<float> &raster);
  int WriteRows(const float *rowData, int columns, int rowCount);
  // Reads the header into the record and the pixels into the raster (width x height).
  // 0, with record and raster unchanged, when the file cannot be opened; a file whose length
  // is not exactly that of its header and width x height pixels is refused the same way,
  // with a message naming it.
  int Read(Mem<float> &raster);

  std::FILE *handle = nullptr;  // only while one of the operations above has the file open
  std::string fileName;
  float wavelength = 0.0f;      // micrometres
  float weight = 1.0f;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t originColumn = 0;
  std::int32_t originRow = 0;
  std::int32_t peakColumn = 0;
  std::int32_t peakRow = 0;
  double fieldX = 0.0;
  double fieldY = 0.0;
  float sampleStep = 0.0f;      // mm between neighbouring pixels
};

// Size of the header that precedes the pixels.
constexpr int kFileDataHeaderBytes = 52;
