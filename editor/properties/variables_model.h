#pragma once
// TVariablesModel: what the variables dialog of the system's properties edits, without its
// window: a working copy of the optimizer's variable parameters (curvatures "R", distances
// "T", aspheric "A<k>" and hologram "H<k>" coefficients) in a table of Type, Surface,
// Configuration, Left, Right and the current value. Rows are added with bounds about the
// value the system has now, edited one cell at a time (a bad entry is refused with a
// message that says why), deleted, read from and written to *.par files; the list the
// folder owns changes only when the copy is stored into it.

#include <string>
#include <vector>

#include "editor/properties/property_edit.h"
#include "optimization/parameters/parameter_description.h"

class TConfiguredSystem;
class TOptimizationParameters;

// The columns of the table.
enum TVariablesColumn : int {
  kVariableTypeColumn = 0,
  kVariableSurfaceColumn = 1,
  kVariableConfigColumn = 2,
  kVariableLeftColumn = 3,
  kVariableRightColumn = 4,
  kVariableValueColumn = 5,
  kVariableColumns = 6,
};

class TVariablesModel {
 public:
  // A copy of the list's parameters over the list's system.
  TVariablesModel(const TOptimizationParameters &list, TConfiguredSystem &system);

  int Count() const { return static_cast<int>(rows.size()); }
  const TParameterDescription &Row(int row) const { return rows[static_cast<std::size_t>(row)]; }
  // What a cell shows: surfaces and configurations numbered from 1, as the surfaces table
  // numbers them; bounds and the value (as the system has it now) to 6 significant digits.
  std::string CellText(int column, int row) const;
  // The value of a row's parameter in the system as it is now (0 when it cannot be read).
  double CurrentValue(int row) const;

  // Adds the parameter of that type on surface surf (numbered from 1) in the current
  // configuration, with bounds about its value now: a curvature may go as far again either
  // way (at least 0.02 per mm), a distance half of itself (at least 1 mm) either way.
  // Refused when the surface is missing, a distance has no next surface, or the list
  // already has that parameter.
  TPropertyEdit Add(const std::string &type, int surf);
  void Delete(int row);
  // A typed cell: the type, a surface or configuration number, a bound.
  TPropertyEdit Edit(int column, int row, const std::string &text);

  // The *.par files: Open replaces the rows with the file's (refused, rows kept, when the
  // file holds no parameter of this system); Save writes the rows, keeping the file's other
  // sections.
  TPropertyEdit Open(const std::string &fileName);
  TPropertyEdit Save(const std::string &fileName) const;
  // The message for the first row a run could not use (a file may bring crossed bounds or
  // twins), or "" when every row is sound.
  std::string Check() const;
  // The rows into the folder's list (the list's owner is kept).
  void Store(TOptimizationParameters &list) const;

  // "R of surface 2" ("..., configuration 2" beyond the first).
  std::string Describe(int row) const;

 private:
  // The message for a row that could not be valid, or "".
  std::string Problem(const TParameterDescription &p, int row) const;
  int Duplicate(const TParameterDescription &p, int except) const;

  TConfiguredSystem &system_;
  std::vector<TParameterDescription> rows;
};
