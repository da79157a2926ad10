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

// "obj.img" and "obj.spc" in the temporary directory.
std::string ObjectRasterFileName();
std::string ObjectSpectrumFileName();
