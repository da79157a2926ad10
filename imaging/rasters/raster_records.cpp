#include "imaging/rasters/raster_records.h"

#include <string>
#include <utility>

#include "platform/core/message_box.h"
#include "platform/core/paths.h"

int RecordCount(const Mem<TFileData> &records) {
  return records.data != nullptr && records.cols > 0 && records.rows > 0
             ? records.cols * records.rows
             : 0;
}

void SortByWavelength(Mem<TFileData> &records) {
  const int count = RecordCount(records);
  for (int i = 1; i < count; ++i)
    for (int j = i; j > 0 && records.data[j].wavelength < records.data[j - 1].wavelength; --j)
      std::swap(records.data[j], records.data[j - 1]);
}

bool ReadSquareRaster(TFileData &record, Mem<float> &raster, int n) {
  if (record.Read(raster) == 0) {
    // A damaged file has been reported by the reader; a missing one is reported here.
    if (!FileExists(record.fileName))
      MessageBox(nullptr, "The raster file \"" + record.fileName + "\" is missing.", "Warning",
                 MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (raster.data != nullptr && raster.cols == n && raster.rows == n) return true;
  // A right-sized raster without pixels could not be allocated: that has been shown.
  if (record.width == n && record.height == n) return false;
  const std::string size = std::to_string(n) + " x " + std::to_string(n);
  MessageBox(nullptr,
             "The raster file \"" + record.fileName + "\" holds " + std::to_string(record.width) +
                 " x " + std::to_string(record.height) + " pixels; the synthesis works on " +
                 size + ".",
             "Warning", MB_OK | MB_ICONEXCLAMATION);
  return false;
}
