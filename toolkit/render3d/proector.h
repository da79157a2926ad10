#pragma once
// Parallel (axonometric) projection fixed by two view angles: a 3-D point goes to screen
// coordinates, and the view direction serves depth sorting and shading.

#include "foundation/containers/points.h"
#include "foundation/numerics/rotator.h"

class TProector {
 public:
  // Angles 35 and 70 degrees, centre (0, 0).
  TProector();
  // a: azimuth of the view direction about z; b: its angle from the z axis (radians).
  TProector(double a, double b);
  ~TProector() = default;

  // Stores the angles and recomputes d, V and U.
  void SetAngles(double a, double b);

  // sx = U . q + cx, sy = V . q + cy for a point already transformed.
  void Project(double x, double y, double z, double &sx, double &sy) const {
    sx = U[0] * x + U[1] * y + U[2] * z + cx;
    sy = V[0] * x + V[1] * y + V[2] * z + cy;
  }
  void Project(const DPOINT3 &q, double &sx, double &sy) const { Project(q.x, q.y, q.z, sx, sy); }

  // Bounds (min sx, min sy, max sx, max sy) of the axis-parallel box between two opposite
  // corners after the rotator's transform; an empty box starts at +-DBL_MAX.
  static void BoxBounds(const TProector &projector, const DPOINT3 &corner1, const DPOINT3 &corner2,
                        const TRotator &rotator, double bounds[4]);
  // Bounds of the unit cube (0, 0, 0) .. (1, 1, 1).
  static void UnitBoxBounds(const TProector &projector, const TRotator &rotator, double bounds[4]);

  double a = 0.0;
  double b = 0.0;
  double d[3] = {0.0, 0.0, 1.0};
  double V[3] = {0.0, 1.0, 0.0};
  double U[3] = {1.0, 0.0, 0.0};
  double cx = 0.0;
  double cy = 0.0;
};
