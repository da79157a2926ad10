#pragma once
// The whole area holds operations on a whole system: turning it round, duplicating it,
// fitting semi-heights, Strehl estimates and the density image. It uses optics/model and
// foundation/helpers.
//
// Whole-system helpers that are not members of the system: the largest value of a float
// raster and the density image of a raster.

#include "foundation/containers/mem.h"
#include "platform/core/types.h"

// The largest element, or -1e20 (as a float) for an empty array.
double MaxOfFloats(const Mem<float> &values);

// Writes the raster to the density image's raster file ("~~dens.bak" in the temporary
// directory, which stays as the image's file), and shows it as a colour image in a window
// put on top of all others. The image of an earlier call is destroyed first. Without an
// installed colour image (see color_image_service.h) only the file is written.
// Answers 1 when the file was written.
int ShowDensityImage(const Mem<float> &raster);

// Raises a window above all others without moving or resizing it, and shows it. The window
// layer installs it; null removes it.
using TTopmostRaiser = void (*)(HWND window);
TTopmostRaiser SetTopmostRaiser(TTopmostRaiser raiser);

// Destroys the colour image kept by ShowDensityImage (at program end, and in tests).
void ReleaseDensityImage();
