#pragma once
// A node PSF resampled from the system's PSF sample step to the image grid of the
// synthesis, where one cell is one object pixel imaged: the ".img" file of a node becomes
// a ".imc" file beside it with the same base name.

#include <string>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"

// The ".imc" name of a node's ".img" file: same directory and base name.
std::string ResampledPsfName(const std::string &imgName);

// Resamples `source` (w x h cells, `header` its record) whose samples each cover
// `sampleSize` on the object side, to cells of `objectPixel`. With r = sampleSize /
// objectPixel the result is trunc(w r + 0.5) x trunc(h r + 0.5) cells, at least 1 and
// odd, its origin the cell that holds the old origin cell's centre. Smaller samples than a
// pixel are binned (a sample past the border piles on the border cell); larger ones are
// shared by the cells their footprint overlaps, in proportion to the overlap (what falls
// outside the raster is dropped), so the sum of the PSF is kept either way. The result's record copies `header` with the new size,
// origin, peak (kept when no value is positive) and step. 0 for an unusable size or pixel.
int ResamplePsf(const Mem<float> &source, const TFileData &header, double sampleSize,
                double objectPixel, Mem<float> &result, TFileData &resultHeader);
