#pragma once
// What the table pages of the system's properties share without their windows: a page's
// table (its columns, its rows, each cell's text, whether it may be typed into, and an
// edit's checks and effect) and the steps every surface edit takes: the surface is changed
// in place, checked as the trace will meet it, and either taken as one undo step or put
// back as it was with the reason.

#include <functional>
#include <string>
#include <vector>

#include "editor/properties/property_edit.h"

class TOpticalSystem;
class TSurface;
class TSystemImage;

class TGridPageModel {
 public:
  virtual ~TGridPageModel() = default;
  virtual std::vector<std::string> ColumnCaptions() const = 0;
  // Widths in average characters, one per column, then the row captions' width.
  virtual std::vector<int> ColumnWidths() const = 0;
  virtual std::vector<std::string> RowCaptions(const TOpticalSystem &system) const = 0;
  // "" outside the table.
  virtual std::string CellText(const TOpticalSystem &system, int row, int column) const = 0;
  virtual bool CellEditable(const TOpticalSystem &system, int row, int column) const = 0;
  // Checks the text and, when it is sound, changes the system and writes the undo step;
  // a refused edit leaves the system as it was.
  virtual TPropertyEdit EditCell(TSystemImage &system, int row, int column, const std::string &text) const = 0;
  // A line or two under the table that says what the columns hold ("" for none).
  virtual std::string Legend() const { return std::string(); }
};

// The text in lower case, blanks around it trimmed.
std::string LowerProperty(const std::string &text);
// The code 0..count-1 a text names: the code itself, or the name that name(code) gives (any
// case). -1 when it names none.
int ParseCodeOrName(const std::string &text, int count, const char *(*name)(int));
// "1", "2", ... one per surface.
std::vector<std::string> SurfaceRowCaptions(const TOpticalSystem &system);
// "Surface <row + 1>".
std::string SurfaceLabel(int row);
// "<value> of surface <row + 1>": a value's name in a refusal and its edit's undo label.
std::string OfSurface(const std::string &value, int row);
// The message of a cell that cannot be typed into (or of a row past the list).
TPropertyEdit RefuseReadOnly(const TOpticalSystem &system, int row);

// Reads the number typed for `what` (named in the refusal); false with the refusal set.
bool ReadCellNumber(const std::string &what, const std::string &text, double &value, TPropertyEdit &refusal);
// The same for a whole number.
bool ReadCellInteger(const std::string &what, const std::string &text, int &value, TPropertyEdit &refusal);

// The check the trace makes of a surface's shape: "" when its profile reaches every height
// up to its outer bound, else the refusal for the surface of that row.
std::string SurfaceReachCheck(const TSurface &surface, int row);

// "at the height <h> mm in (across) the drawing's plane": the point of the surface's bound
// nearest its centre that the trace does not meet (UntracedPoint); "" when it meets all.
std::string UntracedHeightText(const TSurface &surface);

// Changes surface `row` in place by `change` (which answers a refusal, or "" to go on),
// checks its shape, and takes it as one undo step with the label; a refusal puts the
// surface back as it was. The shape is checked by the trace over the whole bound: a change
// that leaves a height of it unmet is refused naming the height; a surface unmet before the
// change is taken with the height told. regroup as for CommitPropertyEdit.
TPropertyEdit EditSurfaceInPlace(TSystemImage &system, int row, const std::string &label, bool regroup,
                                 const std::function<std::string(TSurface &surface)> &change);
