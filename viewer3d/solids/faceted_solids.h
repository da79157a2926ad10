#pragma once
// The flat-sided rectangular solids, each a fixed set of triangles centred on the z axis
// with its front face in the plane z = 0 and its body towards +z: the chamfered plate
// (scene kind 10400, 28 triangles), the rectangular mirror (10500, 20 triangles) and the
// beam-splitter cube with its diagonal plane (10600, 30 triangles). W and H are the full
// width (x) and height (y); the front and back faces are (W - c) x (H - c), so each
// chamfer is c / 2 wide; e is the chamfer's depth along z (the cube's is c).

#include "foundation/containers/points.h"

class TSolidDrawer;

struct TRectSlab {
  double W = 0.0;
  double H = 0.0;
  double T = 0.0;
  double c = 0.0;
  double e = 0.0;
};

// The plate's back lies at T: front face, front chamfer, side walls, back chamfer, back.
void PaintRectPlate(TSolidDrawer &drawer, const TRectSlab &plate);
// The mirror's T runs from the end of its front chamfer, so its back lies at T + e.
void PaintRectMirror(TSolidDrawer &drawer, const TRectSlab &mirror);
// The cube's chamfers are c deep; its diagonal plane runs from the back edge at x = -W/2
// to the front edge at x = W/2. e is not used.
void PaintSplitterCube(TSolidDrawer &drawer, const TRectSlab &cube);

// Boxes of the three, enclosing every corner the painter draws.
void RectPlateBox(const TRectSlab &plate, DPOINT3 &low, DPOINT3 &high);
void RectMirrorBox(const TRectSlab &mirror, DPOINT3 &low, DPOINT3 &high);
void SplitterCubeBox(const TRectSlab &cube, DPOINT3 &low, DPOINT3 &high);
