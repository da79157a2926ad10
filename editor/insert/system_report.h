#pragma once
// The system report: the printed description of the edited system as fixed-width text
// lines: its name, the spectrum, the field values, the first-order values as the General
// page shows them ("-" where it has none) and a ruled table of the surfaces (radius,
// vertex, the tilts about x, y and z, semi-height, glass).

#include <string>
#include <vector>

class TSystemImage;

// The report's lines, each ending in "\n". The first-order values are solved for this
// system first when it changed, as the General page solves them.
std::vector<std::string> SystemReportLines(TSystemImage &system, const std::string &shownName = {});
