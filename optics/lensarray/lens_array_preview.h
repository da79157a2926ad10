#pragma once
// The relief a lens-array page previews in 3-D: a point function over the unit parameter
// square that the toolkit's mesh builder samples, each node found by a probe ray through
// the real lens-array geometry.

class TSurface;

// The mesh grid the preview registers the point function with.
constexpr int kLensArrayPreviewGrid = 20;
// The outer semi-height maps to this many display units.
constexpr double kLensArrayPreviewScale = 180.0;

// Chooses the surface the point function draws (null: none, every node at the origin).
// The two flags have no effect. Returns 1. The surface must outlive the mesh build.
int SetRasterSurfaceContext(const TSurface *surface, int flag1, int flag2);

// u, v in [0, 1] -> display coordinates: X along the surface's z, Y along y, Z the height
// towards the viewer, centred on half the rim sag.
void LensArrayPreviewPoint(double u, double v, double &X, double &Y, double &Z);
