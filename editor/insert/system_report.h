#pragma once
// The system report: the printed description of the edited system as fixed-width text
// lines: its name, the spectrum, the field values, the pupil and first-order constants and
// a ruled table of the surfaces (radius, vertex, tilt, semi-height, glass).

#include <string>
#include <vector>

class TOpticalSystem;

// The report's lines, each ending in "\n".
std::vector<std::string> SystemReportLines(const TOpticalSystem &system, const std::string &shownName = {});
