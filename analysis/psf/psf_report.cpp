#include "analysis/psf/psf_report.h"

#include <cmath>
#include <cstdio>

#include "analysis/psf/psf_maths.h"
#include "foundation/reports/report_lines.h"

namespace {

constexpr int kColumnsPerBlock = 5;
constexpr int kCellWidth = 10;

std::string Format(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%8.3g", value);
  return text;
}

// A ruled blank line of the table with a label field of `labelWidth` characters.
std::string Blank(int labelWidth) {
  return MakeTableRule(labelWidth, kCellWidth, kColumnsPerBlock, ' ', ' ');
}

std::string Labelled(int labelWidth, const std::string &text) {
  std::string line = Blank(labelWidth);
  NumberToFixedText(line, text, 1, 0);
  return line;
}

// The line that tells the light the PSF left out, when it left any out.
// It may run past the table's rule, so it is a line of its own, not a labelled one.
void TellLightLeftOut(std::vector<std::string> &lines, const std::string &leftOut) {
  if (!leftOut.empty()) lines.push_back(" Light beyond the grid, left out: " + leftOut + "\n");
}

int CellStart(int labelWidth, int j) { return labelWidth + 2 + (kCellWidth + 1) * j; }
int CellEnd(int labelWidth, int j) { return CellStart(labelWidth, j) + kCellWidth - 1; }

}  // namespace

std::vector<std::string> EnergyReportLines(const std::string &systemName,
                                           const Mem<DPOINT3> &curve, double pixel, double step,
                                           const std::string &leftOut) {
  constexpr int kLabel = 10;
  std::vector<std::string> lines;
  lines.push_back(Labelled(kLabel, "System: " + systemName));
  lines.push_back(Labelled(kLabel, "Energy concentration in square"));
  TellLightLeftOut(lines, leftOut);
  const int N = curve.Cells();
  if (!(pixel > 0.0) || !(step > 0.0) || N == 0) return lines;
  // Entry k stands for the side (2k + 1) pixel; the table reaches one entry past the last.
  const int columns = ReportColumns((2.0 * N + 1.0) * pixel / step + 1.0);
  for (int first = 0; first < columns; first += kColumnsPerBlock) {
    std::string sizes = Labelled(kLabel, "Size"), energies = Labelled(kLabel, "E, %");
    for (int j = 0; j < kColumnsPerBlock && first + j < columns; ++j) {
      const double size = (first + j) * step;
      const double t = (size - pixel) / (2.0 * pixel);
      if (t >= 0.0 && static_cast<int>(t) >= N) continue;
      NumberToFixedText(sizes, Format(size), CellStart(kLabel, j), CellEnd(kLabel, j));
      NumberToFixedText(energies, Format(100.0 * EnergyAtSize(curve, size, pixel)),
                        CellStart(kLabel, j), CellEnd(kLabel, j));
    }
    lines.push_back(Blank(kLabel));
    lines.push_back(sizes);
    lines.push_back(Blank(kLabel));
    lines.push_back(energies);
    lines.push_back(Blank(kLabel));
  }
  return lines;
}

std::vector<std::string> MtfSectionReportLines(const std::string &systemName, int n,
                                               const float *psf, double pixel, double step,
                                               double Y, double X, const std::string &leftOut) {
  constexpr int kLabel = 12;
  std::vector<std::string> lines;
  lines.push_back(Labelled(kLabel, "System: " + systemName));
  lines.push_back(Labelled(kLabel, "MTF sections"));
  TellLightLeftOut(lines, leftOut);
  if (psf == nullptr || n < 2 || !(pixel > 0.0) || !(step > 0.0)) return lines;
  TSectionDirection tangential, across;
  MtfSectionDirections(Y, X, tangential, across);
  TMtfSection meridional, sagittal;
  meridional.Project(n, psf, tangential);
  sagittal.Project(n, psf, across);
  const int c = n / 2;
  const double f = 1.0 / (n * pixel);
  const int columns = ReportColumns(std::ceil(c * f / step));
  for (int first = 0; first < columns; first += kColumnsPerBlock) {
    std::string frequencies = Labelled(kLabel, "Frequency");
    std::string alongLine = Labelled(kLabel, "Meridional"), acrossLine = Labelled(kLabel, "Sagittal");
    for (int j = 0; j < kColumnsPerBlock && first + j < columns; ++j) {
      const double nu = (first + j) * step;
      const double t = nu / f;
      if (static_cast<int>(t) >= c) continue;
      NumberToFixedText(frequencies, Format(nu), CellStart(kLabel, j), CellEnd(kLabel, j));
      const int from = CellStart(kLabel, j), to = CellEnd(kLabel, j);
      NumberToFixedText(alongLine, Format(meridional.Value(t)), from, to);
      NumberToFixedText(acrossLine, Format(sagittal.Value(t)), from, to);
    }
    lines.push_back(Blank(kLabel));
    lines.push_back(frequencies);
    lines.push_back(Blank(kLabel));
    lines.push_back(alongLine);
    lines.push_back(Blank(kLabel));
    lines.push_back(acrossLine);
    lines.push_back(Blank(kLabel));
  }
  return lines;
}
