#include "editor/properties/variables_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "foundation/filewrite/file_replace.h"
#include "optics/model/optical_system.h"
#include "optimization/parameters/optimization_parameters.h"
#include "optimization/system/configured_system.h"

namespace {

// The smallest spans of the bounds a new parameter gets: a curvature of 1/50 mm, a
// distance of 1 mm.
constexpr double kCurvatureSpan = 0.02;
constexpr double kDistanceSpan = 1.0;
// Bounds and values are shown to 6 significant digits, so that a column shows them whole;
// the rows keep every digit typed or read.
constexpr int kShownDigits = 6;

std::string Upper(const std::string &text) {
  std::string upper = TrimProperty(text);
  for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool KnownType(const std::string &type) {
  return type == "R" || type == "T" || TOptimizationParameters::CoefficientIndex(STRING(type)) >= 0;
}

}  // namespace

TVariablesModel::TVariablesModel(const TOptimizationParameters &list, TConfiguredSystem &system) : system_(system) {
  for (int i = 0; i < list.Count(); ++i) rows.push_back(list.Get(i));
}

double TVariablesModel::CurrentValue(int row) const {
  if (row < 0 || row >= Count()) return 0.0;
  TOptimizationParameters one;
  one.SetOwner(&system_);
  one.Add(Row(row));
  one.ReadFromSystem();
  return one.Count() == 1 ? one.Value(0) : 0.0;
}

std::string TVariablesModel::CellText(int column, int row) const {
  if (row < 0 || row >= Count()) return std::string();
  const TParameterDescription &p = Row(row);
  switch (column) {
    case kVariableTypeColumn:
      return p.Type.c_str();
    case kVariableSurfaceColumn:
      return std::to_string(p.Surf + 1);
    case kVariableConfigColumn:
      return std::to_string(p.Config + 1);
    case kVariableLeftColumn:
      return FormatPropertyNumber(p.Left, kShownDigits);
    case kVariableRightColumn:
      return FormatPropertyNumber(p.Right, kShownDigits);
    case kVariableValueColumn:
      return FormatPropertyNumber(CurrentValue(row), kShownDigits);
    default:
      return std::string();
  }
}

int TVariablesModel::Duplicate(const TParameterDescription &p, int except) const {
  for (int r = 0; r < Count(); ++r)
    if (r != except && Row(r).Config == p.Config && Row(r).Surf == p.Surf && Row(r).Type == p.Type) return r;
  return -1;
}

std::string TVariablesModel::Problem(const TParameterDescription &p, int row) const {
  const int surfaces = system_.System().SurfaceCount();
  const std::string type = p.Type.c_str();
  if (!KnownType(type))
    return "Parameter " + std::to_string(row + 1) + ": the type \"" + type +
           "\" is none of R (curvature), T (distance to the next surface), A<k> (aspheric "
           "coefficient k) and H<k> (hologram coefficient k).";
  if (p.Surf < 0 || p.Surf >= surfaces)
    return "Parameter " + std::to_string(row + 1) + ": the system has no surface " + std::to_string(p.Surf + 1) +
           " (surfaces 1 to " + std::to_string(surfaces) + ").";
  if (type == "T" && p.Surf + 1 >= surfaces)
    return "Parameter " + std::to_string(row + 1) + ": surface " + std::to_string(p.Surf + 1) +
           " is the last one; it has no distance to a next surface.";
  if (p.Config < 0 || p.Config >= system_.ConfigurationCount())
    return "Parameter " + std::to_string(row + 1) + ": the system has no configuration " +
           std::to_string(p.Config + 1) + " (configurations 1 to " + std::to_string(system_.ConfigurationCount()) +
           ").";
  if (!(p.Left < p.Right))
    return "Parameter " + std::to_string(row + 1) + ": its left bound must lie below its right bound.";
  const int twin = Duplicate(p, row);
  if (twin >= 0)
    return "Parameter " + std::to_string(row + 1) + " is the same as parameter " + std::to_string(twin + 1) + ".";
  return std::string();
}

std::string TVariablesModel::Check() const {
  for (int r = 0; r < Count(); ++r) {
    const std::string problem = Problem(Row(r), r);
    if (!problem.empty()) return problem;
  }
  return std::string();
}

TPropertyEdit TVariablesModel::Add(const std::string &type, int surf) {
  TParameterDescription p;
  const double unset = 0.0;
  p.Set(std::max(system_.CurrentConfiguration(), 0), surf - 1, STRING(Upper(type)), unset, unset + 1.0);
  std::string problem = Problem(p, Count());
  if (!problem.empty()) {
    // The message names the surface, not a row that is not there yet.
    if (Duplicate(p, -1) >= 0)
      return TPropertyEdit::Refused(std::string(p.Type.c_str()) + " of surface " + std::to_string(surf) +
                                    " is variable already.");
    const std::size_t colon = problem.find(": ");
    if (colon != std::string::npos) problem = problem.substr(colon + 2);
    return TPropertyEdit::Refused(problem);
  }
  rows.push_back(p);
  const double value = CurrentValue(Count() - 1);
  double span = std::fabs(p.Type == "T" ? value / 2.0 : value);
  span = std::max(span, p.Type == "R" ? kCurvatureSpan : kDistanceSpan);
  rows.back().Left = value - span;
  rows.back().Right = value + span;
  // A distance's default bounds never let it cross zero: a thin lens or a narrow gap would
  // otherwise be offered a negative thickness (after a mirror distances run negative).
  if (p.Type == "T") {
    if (value >= 0.0)
      rows.back().Left = std::max(rows.back().Left, 0.0);
    else
      rows.back().Right = std::min(rows.back().Right, 0.0);
  }
  return TPropertyEdit{true, std::string()};
}

void TVariablesModel::Delete(int row) {
  if (row >= 0 && row < Count()) rows.erase(rows.begin() + row);
}

TPropertyEdit TVariablesModel::Edit(int column, int row, const std::string &text) {
  if (row < 0 || row >= Count()) return TPropertyEdit::Refused(std::string());
  TParameterDescription p = Row(row);
  const std::string what = "Parameter " + std::to_string(row + 1);
  switch (column) {
    case kVariableTypeColumn:
      p.Type = STRING(Upper(text));
      break;
    case kVariableSurfaceColumn:
    case kVariableConfigColumn: {
      int number = 0;
      if (!ParsePropertyInteger(text, number))
        return TPropertyEdit::Refused(what + ": \"" + TrimProperty(text) + "\" is not a whole number.");
      (column == kVariableSurfaceColumn ? p.Surf : p.Config) = number - 1;
      break;
    }
    case kVariableLeftColumn:
    case kVariableRightColumn: {
      double bound = 0.0;
      if (!ParsePropertyNumber(text, bound)) return TPropertyEdit::Refused(NotANumberMessage(what, text));
      (column == kVariableLeftColumn ? p.Left : p.Right) = bound;
      break;
    }
    default:
      return TPropertyEdit::Refused(std::string());
  }
  const std::string problem = Problem(p, row);
  if (!problem.empty()) return TPropertyEdit::Refused(problem);
  rows[static_cast<std::size_t>(row)] = p;
  return TPropertyEdit{true, std::string()};
}

TPropertyEdit TVariablesModel::Open(const std::string &fileName) {
  TOptimizationParameters read;
  read.SetOwner(&system_);
  // A refused file has said why; the rows stay.
  if (read.Read(fileName) == TOptimizationParameters::kParameterFileRefused) return TPropertyEdit{false, std::string()};
  if (read.Count() == 0)
    return TPropertyEdit::Refused("The file " + fileName + " holds no variable parameter of this system.");
  rows.clear();
  for (int i = 0; i < read.Count(); ++i) rows.push_back(read.Get(i));
  return TPropertyEdit{true, std::string()};
}

TPropertyEdit TVariablesModel::Save(const std::string &fileName) const {
  TOptimizationParameters written;
  written.SetOwner(&system_);
  Store(written);
  if (written.Count() == 0) return TPropertyEdit::Refused("There is no variable parameter to save.");
  TFileWriteResult why;
  if (written.Write(fileName, &why) == 0)
    return TPropertyEdit::Refused(why.Written() ? "The file " + fileName + " cannot be written."
                                                : FileWriteFaultText(fileName, why));
  return TPropertyEdit{true, std::string()};
}

void TVariablesModel::Store(TOptimizationParameters &list) const {
  // The list keeps no records of its own: each is made invalid through Add (which finds it
  // by configuration, surface and type) and removed, then the rows go in, in table order.
  while (list.Count() > 0) {
    TParameterDescription first = list.Get(0);
    first.Left = first.Right = 0.0;
    list.Add(first);
    list.RemoveInvalid();
  }
  for (const TParameterDescription &p : rows) list.Add(p);
}
