#pragma once
// The aberrations report: the curves of the last computation as a fixed-width text table
// (the abscissa, then per curve the meridional and sagittal value, or the absolute and
// relative distortion), headed by the system, the view and the choice. The window hands in
// the texts its lists show; the report itself needs no window.

#include <cstdio>
#include <string>
#include <vector>

class TAberrationComputation;

// What the window's lists and the system say about the curves.
struct TAberrationReportLabels {
  std::string systemName;              // the file-name part of the system's name
  bool turned = false;                 // the system is turned round
  bool allWavelengths = false;         // the wavelength list shows "All"
  std::string wavelengthText;          // the one wavelength shown, as the list writes it
  std::string beamText;                // the beam list's text
  bool curvesAreWavelengths = false;   // curves are labelled by wavelength, else by beam
  std::vector<std::string> curveLabels;  // one list text per curve
  int unit = 0;                        // 0 degrees, 1 minutes, 2 millimetres
  int objectFinite = 0;
  int imageFinite = 1;
};

// The report's lines, each ending in "\n"; the table lines all have the same length.
std::vector<std::string> AberrationReportLines(const TAberrationComputation &run,
                                               const TAberrationReportLabels &labels);

// Writes the lines to an open file; 1 when every byte was written.
int WriteAberrationReport(std::FILE *file, const TAberrationComputation &run,
                          const TAberrationReportLabels &labels);
