#pragma once
// Small operations on tables of raster-file records.

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"

// Records in the table (columns x rows), 0 for an empty one.
int RecordCount(const Mem<TFileData> &records);

// Orders the records by ascending wavelength in place, whole records moving; records of one
// wavelength keep their order. A wavelength that is not a number stays where it is found.
void SortByWavelength(Mem<TFileData> &records);

// Reads the record's raster and answers true only when it is exactly n x n; a missing file
// or one of another size is reported in a message (a damaged one by the reader itself).
bool ReadSquareRaster(TFileData &record, Mem<float> &raster, int n);
