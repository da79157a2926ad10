#pragma once
// Spectrum files (*.spc): the forward 2-D Fourier transform of an n x n raster, without a
// header. Row r of the file holds n float32 real parts, then n float32 imaginary parts of
// row r of the transform, so row pair r starts at byte 8 n r and the file is 8 n^2 bytes.

#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/containers/mem.h"

// 8 n^2: the exact length of the spectrum file of an n x n raster (0 for n <= 0).
std::int64_t SpectrumFileBytes(int n);

// Writes the first n rows of n cells of re and im as a spectrum file. The file is written
// beside under a temporary name and renamed into place, so a failed write keeps the old
// file. 1 when written; 0 when the rasters are smaller than n x n or the file cannot be
// written.
int WriteSpectrumFile(const std::string &path, const Mem<float> &re, const Mem<float> &im,
                      int n);

// Reads a spectrum file into the first n rows of n cells of re and im, which must already
// hold at least n x n cells (they are not resized). 1 when read; 0 when the file cannot be
// opened or the rasters are too small; a file of any length other than 8 n^2 bytes is
// refused with a message. Nothing is read unless all of it can be.
int ReadSpectrumFile(const std::string &path, Mem<float> &re, Mem<float> &im, int n);

// True when the open stream is exactly as long as the spectrum of an n x n raster; else
// shows the message that names the file and the two lengths. The stream position is lost.
bool SpectrumFileFits(std::FILE *file, const std::string &path, int n);

// The length of an open stream in bytes, -1 when it cannot be told. The position is lost.
std::int64_t StreamLength(std::FILE *file);
