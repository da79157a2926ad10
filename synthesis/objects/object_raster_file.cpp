#include "synthesis/objects/object_raster_file.h"

#include "optics/model/model_globals.h"
#include "synthesis/testobject/test_object.h"

namespace {

std::string InTempDir(const char *name) {
  std::string path = TempDir();
  if (!path.empty() && path.back() != '/') path += '/';
  return path + name;
}

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
