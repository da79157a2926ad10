#include "editor/insert/system_report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "document/elements/element_grouping.h"
#include "foundation/reports/report_lines.h"
#include "document/system/system_image.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/property_edit.h"
#include "optics/model/optical_system.h"

namespace {

constexpr int kFirstWidth = 4;
constexpr int kCellWidth = 11;
constexpr int kColumns = 10;
constexpr double kRadiansToDegrees = 57.29577951308232;
const char *const kHeaders[kColumns] = {"Radius",      "X",           "Y",           "Z",      "Tilt x, deg",
                                        "Tilt y, deg", "Tilt z, deg", "Semi-h",      "Glass",  "Index"};
// The table's rules: the printer draws them as lines ('=' never stands in a number, as
// the minus sign does).
constexpr char kRule = '=';
constexpr char kCross = '+';
constexpr char kBar = '|';

// Every value to the digits the Surfaces table shows, at least: the listing goes to a shop.
std::string Number(double value) {
  if (!std::isfinite(value)) return "-";
  return FormatPropertyNumber(value);
}

// The widths of the table's columns: the surface number's, then the values', the glass
// column as wide as the longest name it holds, so that every name prints whole.
struct TColumns {
  int widths[kColumns];
  int Start(int c) const {
    int start = kFirstWidth + 1;
    for (int k = 0; k < c; ++k) start += widths[k] + 1;
    return start;
  }
  int End(int c) const { return Start(c) + widths[c]; }
  std::string Rule(char fill, char border) const {
    std::string line(1, border);
    line.append(static_cast<std::size_t>(kFirstWidth), fill);
    line.push_back(border);
    for (int width : widths) {
      line.append(static_cast<std::size_t>(width), fill);
      line.push_back(border);
    }
    return line + "\n";
  }
};

int Count(const Mem<double> &list) { return list.Cells(); }

std::string Line(const std::string &text) { return text + "\n"; }

std::string GlassName(const TGeneralParameters &g) { return IsAirGlass(g.glass) ? std::string("air") : g.glass; }

}  // namespace

std::vector<std::string> SystemReportLines(TSystemImage &system, const std::string &shownName) {
  std::vector<std::string> lines;
  const TOpticalSystemInformation &in = system.info;
  const std::string name = !shownName.empty() ? shownName : system.name.empty() ? std::string("untitled") : system.name;
  lines.push_back(Line("Optical system: " + name));
  lines.push_back(Line(""));
  std::string spectrum = "Wavelengths, µm (weight):";
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
  // The first-order values as the General page shows them, "-" where it has none.
  const std::vector<TGeneralInfoItem> page = GeneralInfoItems(system);
  const auto shown = [&](TGeneralInfoLine line) { return page[line].caption + ": " + page[line].value; };
  lines.push_back(Line(shown(kFocalLengthLine) + "   " + shown(kBackFocalDistanceLine) + "   " + shown(kFNumberLine)));
  lines.push_back(Line(shown(kEntrancePupilLine) + "   " + shown(kExitPupilLine) + "   Aperture stop: " +
                       (page[kStopSurfaceLine].value == "-" ? "-" : "surface " + page[kStopSurfaceLine].value)));
  lines.push_back(Line(shown(kMagnificationLine) + "   " + shown(kTrackLengthLine)));
  lines.push_back(Line("Temperature, C: " + Number(in.Temperature) + "   Pressure, mm Hg: " + Number(in.Pressure)));
  lines.push_back(Line(""));

  // Each row's cells first: every column as wide as its longest cell, so that each prints whole.
  std::vector<std::array<std::string, kColumns>> rows;
  std::vector<int> numbers;
  for (int i = 0; i < system.SurfaceCount(); ++i) {
    const TSurface *s = system.Surface(i);
    if (s == nullptr) continue;
    const TGeneralParameters &g = s->general;
    // Surfaces are numbered from 1, as every window of the program numbers them.
    numbers.push_back(i + 1);
    rows.push_back({g.R == 0.0 ? std::string("plane") : Number(g.R), Number(g.vertex[0]), Number(g.vertex[1]),
                    Number(g.vertex[2]), Number(g.angles[0] * kRadiansToDegrees), Number(g.angles[1] * kRadiansToDegrees),
                    Number(g.angles[2] * kRadiansToDegrees), Number(g.semiHeightExt), GlassName(g), Number(g.nAfter)});
  }
  TColumns columns{};
  for (int &width : columns.widths) width = kCellWidth;
  for (const auto &cells : rows)
    for (int c = 0; c < kColumns; ++c)
      columns.widths[c] = std::max(columns.widths[c], static_cast<int>(cells[c].size()) + 2);
  const std::string blank = columns.Rule(' ', kBar);
  lines.push_back(columns.Rule(kRule, kCross));
  std::string header = blank;
  NumberToFixedText(header, "N", 1, 0);
  for (int c = 0; c < kColumns; ++c) NumberToFixedText(header, kHeaders[c], columns.Start(c), columns.End(c));
  lines.push_back(header);
  lines.push_back(columns.Rule(kRule, kCross));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    std::string row = blank;
    NumberToFixedText(row, std::to_string(numbers[r]), 1, 0);
    for (int c = 0; c < kColumns; ++c) NumberToFixedText(row, rows[r][c], columns.Start(c), columns.End(c));
    lines.push_back(row);
  }
  lines.push_back(columns.Rule(kRule, kCross));
  return lines;
}
