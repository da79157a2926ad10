#include "editor/insert/system_report.h"

#include <cmath>
#include <cstdio>

#include "document/elements/element_grouping.h"
#include "foundation/reports/report_lines.h"
#include "optics/model/optical_system.h"

namespace {

constexpr int kFirstWidth = 4;
constexpr int kCellWidth = 11;
constexpr int kColumns = 8;
constexpr double kRadiansToDegrees = 57.29577951308232;
const char *const kHeaders[kColumns] = {"Radius",  "X",      "Y",     "Z",
                                        "Tilt, deg", "Semi-h", "Glass", "Index"};

std::string Number(double value) {
  if (!std::isfinite(value)) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.5g", value);
  return text;
}

int CellStart(int c) { return kFirstWidth + 1 + c * (kCellWidth + 1); }
int CellEnd(int c) { return CellStart(c) + kCellWidth; }

std::string Blank() { return MakeTableRule(kFirstWidth, kCellWidth, kColumns, ' ', '|'); }

int Count(const Mem<double> &list) { return list.Cells(); }

std::string Line(const std::string &text) { return text + "\n"; }

}  // namespace

std::vector<std::string> SystemReportLines(const TOpticalSystem &system) {
  std::vector<std::string> lines;
  const TOpticalSystemInformation &in = system.info;
  lines.push_back(Line("Optical system: " + (system.name.empty() ? std::string("untitled") : system.name)));
  lines.push_back(Line(""));
  std::string spectrum = "Wavelengths, mkm (weight):";
  const int waves = in.WavelengthCount();
  for (int k = 0; k < waves; ++k)
    spectrum += " " + Number(in.Spectrum.data[k].lambda) + " (" + Number(in.Spectrum.data[k].weight) + ")";
  if (waves == 0) spectrum += " " + Number(in.LambdaW) + " (1)";
  lines.push_back(Line(spectrum));
  std::string fields = in.ObjectFinite ? "Object heights, mm:" : "Field angles, deg:";
  for (int k = 0; k < Count(in.AlfaM); ++k) fields += " " + Number(in.AlfaM.data[k]);
  lines.push_back(Line(fields));
  lines.push_back(Line("Object " + std::string(in.ObjectFinite ? "at a finite distance" : "at infinity") +
                       ", image " + (in.ImageFinite ? "at a finite distance" : "at infinity")));
  lines.push_back(Line("Entrance pupil diameter, mm: " + Number(in.entrancePupilDiameter) +
                       "   Aperture stop: " +
                       (in.stopIndex >= 0 ? "surface " + std::to_string(in.stopIndex) : std::string("none"))));
  lines.push_back(Line("Focal length, mm: " + Number(in.focalLength) +
                       "   Back focal distance, mm: " + Number(in.backFocalDistance)));
  lines.push_back(Line("Temperature, C: " + Number(in.Temperature) + "   Pressure, mm Hg: " + Number(in.Pressure)));
  lines.push_back(Line(""));

  lines.push_back(MakeTableRule(kFirstWidth, kCellWidth, kColumns, '-', '+'));
  std::string header = Blank();
  NumberToFixedText(header, "N", 1, 0);
  for (int c = 0; c < kColumns; ++c) NumberToFixedText(header, kHeaders[c], CellStart(c), CellEnd(c));
  lines.push_back(header);
  lines.push_back(MakeTableRule(kFirstWidth, kCellWidth, kColumns, '=', '+'));
  for (int i = 0; i < system.SurfaceCount(); ++i) {
    const TSurface *s = system.Surface(i);
    if (s == nullptr) continue;
    const TGeneralParameters &g = s->general;
    std::string row = Blank();
    NumberToFixedText(row, std::to_string(i), 1, 0);
    const std::string glass = IsAirGlass(g.glass) ? std::string("air") : g.glass.substr(0, kCellWidth);
    const std::string cells[kColumns] = {
        g.R == 0.0 ? std::string("plane") : Number(g.R), Number(g.vertex[0]), Number(g.vertex[1]),
        Number(g.vertex[2]), Number(g.angles[2] * kRadiansToDegrees), Number(g.semiHeightExt),
        glass, Number(g.nAfter)};
    for (int c = 0; c < kColumns; ++c) NumberToFixedText(row, cells[c], CellStart(c), CellEnd(c));
    lines.push_back(row);
  }
  lines.push_back(MakeTableRule(kFirstWidth, kCellWidth, kColumns, '-', '+'));
  return lines;
}
