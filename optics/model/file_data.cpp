#include "optics/model/file_data.h"

#include <bit>
#include <cstring>
#include <string>

#include "platform/core/message_box.h"

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

// The length of an open file, -1 when it cannot be told; the stream is left at its start.
std::int64_t FileLength(std::FILE *file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long length = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return length;
}

void ReportDamagedRaster(const std::string &path, const std::string &why) {
  MessageBox(nullptr, "The raster file \"" + path + "\" is damaged: " + why + ".", "Warning",
             MB_OK | MB_ICONEXCLAMATION);
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
  const std::int64_t length = FileLength(file);
  unsigned char header[kFileDataHeaderBytes];
  if (length < kFileDataHeaderBytes ||
      std::fread(header, 1, sizeof header, file) != sizeof header) {
    std::fclose(file);
    ReportDamagedRaster(fileName, "it holds " + std::to_string(length < 0 ? 0 : length) +
                                      " bytes, less than its 52-byte header");
    return 0;
  }
  const std::int32_t columns = Take<std::int32_t>(header, 0);
  const std::int32_t rowCount = Take<std::int32_t>(header, 4);
  // The file must be exactly as long as its header says: a short file would leave rows
  // unread, a longer one holds something else after the raster.
  const std::string sizeText = std::to_string(columns) + " x " + std::to_string(rowCount);
  // An empty raster is written 0 x 0; a size with one side 0 comes from no writer.
  if (columns < 0 || rowCount < 0 || (columns == 0) != (rowCount == 0)) {
    std::fclose(file);
    ReportDamagedRaster(fileName, "its header gives " + sizeText + " pixels");
    return 0;
  }
  const std::uint64_t pixelBytes = static_cast<std::uint64_t>(length - kFileDataHeaderBytes);
  // columns * rowCount < 2^62 cannot overflow; the comparison is done on the pixel count.
  const std::uint64_t pixels =
      static_cast<std::uint64_t>(columns) * static_cast<std::uint64_t>(rowCount);
  if (pixelBytes % sizeof(float) != 0 || pixelBytes / sizeof(float) != pixels) {
    std::fclose(file);
    ReportDamagedRaster(fileName, "a " + sizeText + " raster needs " +
                                      std::to_string(kFileDataHeaderBytes + 4 * pixels) +
                                      " bytes, the file holds " + std::to_string(length));
    return 0;
  }
  handle = file;
  raster.Clear();
  // An allocation that fails has shown "Not enough memory"; the raster stays empty and the
  // header is still taken.
  if (columns > 0 && rowCount > 0 && raster.Allocate(columns, rowCount)) {
    const std::size_t count =
        static_cast<std::size_t>(columns) * static_cast<std::size_t>(rowCount);
    if (std::fread(raster.data, sizeof(float), count, file) != count) {
      raster.Clear();
      std::fclose(file);
      handle = nullptr;
      ReportDamagedRaster(fileName, "its pixels cannot be read");
      return 0;
    }
  }
  width = columns;
  height = rowCount;
  originColumn = Take<std::int32_t>(header, 8);
  originRow = Take<std::int32_t>(header, 12);
  peakColumn = Take<std::int32_t>(header, 16);
  peakRow = Take<std::int32_t>(header, 20);
  fieldX = Take<double>(header, 24);
  fieldY = Take<double>(header, 32);
  sampleStep = Take<float>(header, 40);
  wavelength = Take<float>(header, 44);
  weight = Take<float>(header, 48);
  std::fclose(file);
  handle = nullptr;
  return 1;
}
