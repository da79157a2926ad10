#pragma once
// The stored state of the aberrations window: its place, the graphs' background, the scale
// mode and the twelve plotted bounds, kept in the "[Aberrations Window]" section of the
// editor's settings file. No window code: the window fills and reads the record.

#include <string>

#include "analysis/ranges/plot_range.h"

struct TAberrationsSettings {
  int position[4] = {-1, -1, -1, -1};  // left, top, width, height; -1: the dialog's own
  int bkColor[3] = {0, 0, 0};          // red, green, blue of both graphs' background
  int scale = 0;                       // 0 Auto, 1 Keep, 2 Fixed
  double TransMmin = kEmptyRangeMin, TransMmax = kEmptyRangeMax;
  double TransSmin = kEmptyRangeMin, TransSmax = kEmptyRangeMax;
  double WaveMmin = kEmptyRangeMin, WaveMmax = kEmptyRangeMax;
  double WaveSmin = kEmptyRangeMin, WaveSmax = kEmptyRangeMax;
  double DistorMin = kEmptyRangeMin, DistorMax = kEmptyRangeMax;
  double DistorRMin = kEmptyRangeMin, DistorRMax = kEmptyRangeMax;
};

constexpr const char *kAberrationsSection = "[Aberrations Window]";

// Reads the section into the record; a missing file or section leaves the record as it
// was. A scale outside 0..2 becomes 0. Answers 1 when the section was read.
int ReadAberrationsSettings(const std::string &path, TAberrationsSettings &settings);

// Replaces the section in place, keeping the rest of the file; 1 when it reached the file.
int WriteAberrationsSettings(const std::string &path, const TAberrationsSettings &settings);
