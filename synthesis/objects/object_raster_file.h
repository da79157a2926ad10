#pragma once
// The raster file of a generated test object: one raster "obj.img" in the temporary
// directory, its spectrum file "obj.spc" beside it (written later by TransformRasters).

#include <string>

#include "foundation/containers/mem.h"

class TTestObject;

// Gives the object fresh one-record file tables (wavelength 0, weight 1, the spectrum
// record a copy of the raster record but for its name) and writes the raster. 1 when
// written; 0 when a table could not be allocated or the file not written (the tables then
// stay as far as they were made, with nothing claiming a file that is not there).
int WriteObjectRaster(TTestObject &object, const Mem<float> &raster);

// The bitmap object's records: one ("obj0.img", wavelength 0, the luminance) or, for TV
// colours, three: "obj0.img" blue at 0.4358, "obj1.img" green at 0.5461 and "obj2.img" red at
// 0.7000 micrometres; weight 1 each, spectrum files "obj<k>.spc". Raster k goes to record k.
// 1 when every file was written; 0 otherwise, with both tables empty.
int WriteBitmapObjectRasters(TTestObject &object, const Mem<float> rasters[], int count);
// "obj<k>.img" and "obj<k>.spc" in the temporary directory.
std::string BitmapRasterFileName(int k);
std::string BitmapSpectrumFileName(int k);

// "obj.img" and "obj.spc" in the temporary directory.
std::string ObjectRasterFileName();
std::string ObjectSpectrumFileName();
