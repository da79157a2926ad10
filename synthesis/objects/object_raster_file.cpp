#include "synthesis/objects/object_raster_file.h"

#include "imaging/testobject/test_object.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

std::string InTempDir(const char *name) { return TempPath(name); }

// The wavelengths of TV colours' records: the CIE 1931 primaries blue, green and red.
constexpr float kTvWavelengths[3] = {0.4358f, 0.5461f, 0.7000f};

}  // namespace

std::string ObjectRasterFileName() { return InTempDir("obj.img"); }
std::string ObjectSpectrumFileName() { return InTempDir("obj.spc"); }

int WriteObjectRaster(TTestObject &object, const Mem<float> &raster) {
  object.rasterFiles.Clear();
  object.frameFiles.Clear();
  if (!object.rasterFiles.Allocate(1, 1)) return 0;
  TFileData &record = object.rasterFiles.data[0];
  record.fileName = ObjectRasterFileName();
  record.wavelength = 0.0f;
  record.weight = 1.0f;
  if (!object.frameFiles.Allocate(1, 1)) {
    object.rasterFiles.Clear();
    return 0;
  }
  // The header fields first, so that the spectrum record copies the written raster's.
  const int written = record.Write(raster);
  object.frameFiles.data[0] = record;
  object.frameFiles.data[0].fileName = ObjectSpectrumFileName();
  if (written == 0) {
    object.rasterFiles.Clear();
    object.frameFiles.Clear();
  }
  return written;
}

std::string BitmapRasterFileName(int k) { return InTempDir(("obj" + std::to_string(k) + ".img").c_str()); }
std::string BitmapSpectrumFileName(int k) {
  return InTempDir(("obj" + std::to_string(k) + ".spc").c_str());
}

int WriteBitmapObjectRasters(TTestObject &object, const Mem<float> rasters[], int count) {
  object.rasterFiles.Clear();
  object.frameFiles.Clear();
  if (count != 1 && count != 3) return 0;
  if (!object.rasterFiles.Allocate(count, 1) || !object.frameFiles.Allocate(count, 1)) {
    object.rasterFiles.Clear();
    object.frameFiles.Clear();
    ShowNotEnoughMemory();
    return 0;
  }
  int written = 1;
  for (int k = 0; k < count; ++k) {
    TFileData &record = object.rasterFiles.data[k];
    record.fileName = BitmapRasterFileName(k);
    record.wavelength = count == 3 ? kTvWavelengths[k] : 0.0f;
    record.weight = 1.0f;
    if (record.Write(rasters[k]) == 0) written = 0;
    object.frameFiles.data[k] = record;
    object.frameFiles.data[k].fileName = BitmapSpectrumFileName(k);
  }
  if (written == 0) {
    object.rasterFiles.Clear();
    object.frameFiles.Clear();
  }
  return written;
}
