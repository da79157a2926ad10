#pragma once
// The surfaces page's table without its window: one row per surface (numbered from 1, the
// object surface first, as the aperture stop is numbered), one column each for radius,
// thickness to the next surface, glass, semi-height and conic term; what each cell shows,
// whether it can be edited, and an edit's checks and its effect on the system.

#include <string>

#include "editor/properties/property_edit.h"

class TOpticalSystem;
class TSystemImage;

enum TSurfaceColumn : int {
  kRadiusColumn = 0,
  kThicknessColumn = 1,
  kGlassColumn = 2,
  kSemiHeightColumn = 3,
  kConicColumn = 4,
  kSurfaceColumnCount = 5,
};

// "Radius", "Thickness", "Glass", "Semi-height", "Conic"; "" outside the table.
const char *SurfaceColumnCaption(int column);

// The signed distance from the vertex of surface i to that of surface i + 1: its sign is
// that of the step along surface i's axis (negative where the light runs back behind a
// mirror). 0 for the last surface or an index outside the list.
double SurfaceThickness(const TOpticalSystem &system, int i);

// The cell's text; "" outside the table and for the last surface's thickness.
std::string SurfaceCellText(const TOpticalSystem &system, int row, int column);
// False for the last surface's thickness, and for the radius and conic term of the shapes
// whose own coefficients hold them (toroids), and the conic term of the shapes that have
// none.
bool SurfaceCellEditable(const TOpticalSystem &system, int row, int column);

// Checks the text and, when it is sound, changes the system and writes the undo step.
TPropertyEdit EditSurfaceCell(TSystemImage &system, int row, int column, const std::string &text);
