#pragma once
// The rasters and brightness functions of the generated test objects: the diffraction disc,
// the radial bar target (a star of bright and dark sectors) and the square bar target (a
// grid of groups of bars in four directions, finer from group to group). Cells are 0.0 or
// 1.0, no anti-aliasing. Cell (c, r) of an n-column raster lies at r x n + c, the centre
// cell is (n/2, n/2) and rows grow downwards, so the upward coordinate of row r is n/2 - r.

#include "foundation/containers/mem.h"

// The disc: n x n cells of pitch pixelSize, a cell bright when its centre lies within
// diameter / 2 of the centre cell's (a cell on the circle counts as inside). A diameter
// below the pitch leaves the centre cell alone. 0 when the raster cannot be allocated.
int FillDiffractionDisc(Mem<float> &raster, int n, double pixelSize, double diameter);

// The diffraction point as the field-node synthesis samples it: a centre dot and three
// rings, each one object pixel (objectStep) wide, at 25 %, 50 % and 80 % of the half object
// field. (x, y) in the unit of the field.
double DiffractionPointValue(double x, double y, double halfField, double objectStep);

// True when the direction `angle` (radians, any turn) falls in a bright sector of a star of
// `strokes` bright sectors, the first centred on angle 0; a direction on a border between
// sectors counts as bright. Fewer than one stroke counts as one.
bool RadialMiraBright(double angle, int strokes);

// The star: n x n cells, radius 0.8 x n/2 cells about the centre cell, which is bright.
int FillRadialMira(Mem<float> &raster, int n, int strokes);

// The star as the field-node synthesis samples it: radius 0.8 of the half object field.
double RadialMiraValue(double x, double y, double halfField, int strokes);

// The layout of the square bar target on an n x n raster; lengths in cells.
struct TSquareMiraLayout {
  int groups = 1;           // per row and per column
  int groupSide = 0;        // C, the side of one group
  int quadrant = 0;         // C / 2, the side of one quadrant
  int margin = 0;           // cells left free on the top and left
  int end = 0;              // where the grid ends (exclusive)
  double widestBar = 0.0;   // bar width of the first group
  double finestBar = 0.0;   // bar width of the last group
  double widthStep = 0.0;   // the width lost from one group to the next
};
// groups, strokesMin and strokesMax as corrected by the page (>= 1, max >= min).
TSquareMiraLayout SquareMiraLayout(int n, int groups, int strokesMin, int strokesMax);
// The bar width of group g (counted row by row), whole cells, at least 1.
double SquareMiraBarWidth(const TSquareMiraLayout &layout, int group);
int FillSquareMira(Mem<float> &raster, int n, int groups, int strokesMin, int strokesMax);

// The square target's raster `plane` sampled at the field point (x, y): objectStep is the
// object pixel, the raster's centre cell the field's origin. 0.0 outside the raster.
double SquareMiraValue(const Mem<float> &plane, double objectStep, double x, double y);
