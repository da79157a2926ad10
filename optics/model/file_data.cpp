#include "optics/model/file_data.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "raster files are little-endian and written from memory as they are");

namespace {

template <class V>
void Put(unsigned char *header, int offset, V value) {
  std::memcpy(header + offset, &value, sizeof(V));
}

template <class V>
V Take(const unsigned char *header, int offset) {
  V value;
  std::memcpy(&value, header + offset, sizeof(V));
  return value;
}

}  // namespace

TFileData::TFileData(const TFileData &other) { *this = other; }

TFileData &TFileData::operator=(const TFileData &other) {
  if (this == &other) return *this;
  handle = nullptr;
  fileName = other.fileName;
  wavelength = other.wavelength;
  weight = other.weight;
  width = other.width;
  height = other.height;
  originColumn = other.originColumn;
  originRow = other.originRow;
  peakColumn = other.peakColumn;
  peakRow = other.peakRow;
  fieldX = other.fieldX;
  fieldY = other.fieldY;
  sampleStep = other.sampleStep;
  return *this;
}

int TFileData::Write(const Mem<float> &raster) {
  width = raster.data ? raster.cols : 0;
  height = raster.data ? raster.rows : 0;
  return WriteRows(raster.data, width, height);
}

int TFileData::WriteRows(const float *rowData, int columns, int rowCount) {
  if (fileName.empty()) return 0;
  if (rowData == nullptr || columns < 0 || rowCount < 0) columns = rowCount = 0;
  unsigned char header[kFileDataHeaderBytes];
  Put(header, 0, width);
  Put(header, 4, height);
  Put(header, 8, originColumn);
  Put(header, 12, originRow);
  Put(header, 16, peakColumn);
  Put(header, 20, peakRow);
  Put(header, 24, fieldX);
  Put(header, 32, fieldY);
  Put(header, 40, sampleStep);
  Put(header, 44, wavelength);
  Put(header, 48, weight);
  handle = std::fopen(fileName.c_str(), "wb+");
  if (handle == nullptr) return 0;
  bool written = std::fwrite(header, 1, sizeof header, handle) == sizeof header;
  for (int r = 0; written && r < rowCount; ++r) {
    const float *row = rowData + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns);
    written = std::fwrite(row, sizeof(float), static_cast<std::size_t>(columns), handle) ==
              static_cast<std::size_t>(columns);
  }
  written = std::fclose(handle) == 0 && written;
  handle = nullptr;
  return written ? 1 : 0;
}

int TFileData::Read(Mem<float> &raster) {
  std::FILE *file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) return 0;
  unsigned char header[kFileDataHeaderBytes];
  if (std::fread(header, 1, sizeof header, file) != sizeof header) {
    std::fclose(file);
    return 0;
  }
  handle = file;
  width = Take<std::int32_t>(header, 0);
  height = Take<std::int32_t>(header, 4);
  originColumn = Take<std::int32_t>(header, 8);
  originRow = Take<std::int32_t>(header, 12);
  peakColumn = Take<std::int32_t>(header, 16);
  peakRow = Take<std::int32_t>(header, 20);
  fieldX = Take<double>(header, 24);
  fieldY = Take<double>(header, 32);
  sampleStep = Take<float>(header, 40);
  wavelength = Take<float>(header, 44);
  weight = Take<float>(header, 48);
  raster.Clear();
  // A negative size in a broken header reads as an empty raster.
  if (width > 0 && height > 0 && raster.Allocate(width, height)) {
    for (int r = 0; r < height; ++r) {
      float *row = raster.data + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
      // A short file is not an error: the rows it lacks stay zero.
      if (std::fread(row, sizeof(float), static_cast<std::size_t>(width), file) !=
          static_cast<std::size_t>(width))
        break;
    }
  }
  std::fclose(file);
  handle = nullptr;
  return 1;
}
