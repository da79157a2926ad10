#include "analysis/aberrations/aberration_report.h"

#include <cstdio>

#include "analysis/aberrations/aberration_computation.h"
#include "foundation/reports/report_lines.h"

namespace {

constexpr int kFirstWidth = 9;
constexpr int kCellWidth = 10;

std::string Format(const char *format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Field of value cell j and of curve cell c (two value cells wide).
int CellStart(int j) { return 10 + 11 * j; }
int CellEnd(int j) { return 19 + 11 * j; }
int CurveStart(int c) { return 10 + 22 * c; }
int CurveEnd(int c) { return 30 + 22 * c; }

// A line of two value cells per curve; curveCells gives one wide cell per curve instead.
std::string Pattern(int curves, char fill, char border, bool curveCells) {
  return curveCells ? MakeTableRule(kFirstWidth, 2 * kCellWidth + 1, curves, fill, border)
                    : MakeTableRule(kFirstWidth, kCellWidth, 2 * curves, fill, border);
}

std::string Centred(int curves, const std::string &text) {
  std::string line = Pattern(curves, ' ', ' ', false);
  NumberToFixedText(line, text, 0, static_cast<int>(line.size()));
  return line;
}

// What a cell of a stopped ray says: it fits the cell's ten characters.
constexpr const char *kStopped = "stopped";

// Flags that were not computed (a table made without them) count every ray as passed.
bool Passed(const Mem<int> &flags, int curve, int row) {
  if (flags.data == nullptr || row >= flags.rows || curve >= flags.cols) return true;
  return flags.data[row * flags.cols + curve] != 0;
}

// The field of a beam in the unit its values are in: degrees, minutes or (an object height) mm.
const char *UnitWord(int unit) { return unit == 1 ? "min" : unit == 2 ? "mm" : "deg"; }

}  // namespace

std::vector<std::string> AberrationReportLines(const TAberrationComputation &run,
                                               const TAberrationReportLabels &labels) {
  std::vector<std::string> lines;
  const int K = run.curveCount > 0 ? run.curveCount : 1;
  const bool distortion = run.ViewMode == kViewDistortion;

  std::string title = "System: " + labels.systemName;
  if (labels.turned) title += ", turned";
  lines.push_back(Centred(K, title) + "\n");
  const char *view = run.ViewMode == kViewWave      ? "Wave aberration"
                     : run.ViewMode == kViewDistortion ? "Distortion"
                                                       : "Transverse aberration";
  lines.push_back(Centred(K, view) + "\n");
  if (!labels.allWavelengths) {
    lines.push_back("Lambda: " + labels.wavelengthText + " µm\n");
  } else if (!distortion) {
    // The beam's coordinate in the unit the list shows it in.
    const char *word = labels.objectFinite ? "mm" : UnitWord(labels.unit == 2 ? 0 : labels.unit);
    lines.push_back("Ybeam: " + labels.beamText + " " + word + "\n");
  }

  if (!distortion || labels.allWavelengths) {
    lines.push_back(Pattern(K, '=', '+', true));
    std::string header = Pattern(K, ' ', '|', true);
    NumberToFixedText(header, labels.curvesAreWavelengths ? "Lambda" : "Y beam", 1, 8);
    for (int c = 0; c < K; ++c) {
      std::string label = c < static_cast<int>(labels.curveLabels.size()) ? labels.curveLabels[c] : "";
      if (!labels.curvesAreWavelengths) label += std::string(" ") + UnitWord(labels.unit);
      NumberToFixedText(header, label, CurveStart(c), CurveEnd(c));
    }
    lines.push_back(header);
  }
  const std::string rule = Pattern(K, '=', '+', false);
  lines.push_back(rule);
  std::string columns = Pattern(K, ' ', '|', false);
  if (distortion) {
    const char *first = labels.unit == 1 ? "Ybeam,min" : labels.unit == 2 ? "Ybeam,mm" : "Ybeam,gr";
    NumberToFixedText(columns, first, 1, 8);
  } else {
    NumberToFixedText(columns, "H", 1, 8);
  }
  for (int c = 0; c < K; ++c) {
    const char *a = distortion ? (labels.imageFinite ? "d, mm" : "d, mrad") : "y'-y0'";
    const char *b = distortion ? "d, %" : "z'-z0'";
    NumberToFixedText(columns, a, CellStart(2 * c), CellEnd(2 * c));
    NumberToFixedText(columns, b, CellStart(2 * c + 1), CellEnd(2 * c + 1));
  }
  lines.push_back(columns);
  lines.push_back(rule);

  const int rows = run.Abscissae.data ? run.Abscissae.rows : 0;
  const int stored = run.Abscissae.data ? run.Abscissae.cols : 0;
  for (int r = 0; r < rows; ++r) {
    std::string line = Pattern(K, ' ', '|', false);
    NumberToFixedText(line, Format("%8.3g", TAberrationComputation::At(run.Abscissae, 0, r)), 1, 8);
    for (int c = 0; c < K && c < stored; ++c) {
      // Rows past a curve's stored points hold nothing computed: their cells stay blank.
      const int count = run.PointCounts.data ? run.PointCounts.data[c] : rows;
      if (r >= count) continue;
      // A ray stopped before the image has no aberration: its cell says so, as the graph
      // marks the point.
      const bool firstPassed = Passed(run.FirstPassFlags.data ? run.FirstPassFlags : run.PassFlags, c, r);
      const bool secondPassed = Passed(run.PassFlags, c, r);
      NumberToFixedText(line,
                        firstPassed ? Format("%8.3g", TAberrationComputation::At(run.FirstValues, c, r)) : kStopped,
                        CellStart(2 * c), CellEnd(2 * c));
      NumberToFixedText(line,
                        secondPassed ? Format("%8.3g", TAberrationComputation::At(run.SecondValues, c, r)) : kStopped,
                        CellStart(2 * c + 1), CellEnd(2 * c + 1));
    }
    lines.push_back(line);
  }
  lines.push_back(rule);
  return lines;
}

int WriteAberrationReport(std::FILE *file, const TAberrationComputation &run,
                          const TAberrationReportLabels &labels) {
  if (file == nullptr) return 0;
  for (const std::string &line : AberrationReportLines(run, labels))
    if (std::fputs(line.c_str(), file) < 0) return 0;
  return std::fflush(file) == 0 ? 1 : 0;
}
