#pragma once
// Parallel (axonometric) projection fixed by two view angles: a 3-D point goes to screen
// coordinates, and the view direction serves depth sorting and shading.

#include <cfloat>

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
  template <class Point3>
  void Project(const Point3 &q, double &sx, double &sy) const {
    Project(q.x, q.y, q.z, sx, sy);
  }

  // Bounds (min sx, min sy, max sx, max sy) of the axis-parallel box between two corners
  // after the rigid transform q = m p + offset (m row-major).
  static void BoxBounds(const TProector &projector, const double corner1[3],
                        const double corner2[3], const double m[3][3], const double offset[3],
                        double bounds[4]);
  // The same for a rotator with a row-major matrix `m` and an `offset` point, and corners
  // with x, y, z members.
  template <class Point3, class Rotator>
  static void BoxBounds(const TProector &projector, const Point3 &corner1, const Point3 &corner2,
                        const Rotator &rotator, double bounds[4]) {
    const double c1[3] = {corner1.x, corner1.y, corner1.z};
    const double c2[3] = {corner2.x, corner2.y, corner2.z};
    double m[3][3];
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) m[r][c] = rotator.m[r][c];
    }
    const double offset[3] = {rotator.offset.x, rotator.offset.y, rotator.offset.z};
    BoxBounds(projector, c1, c2, m, offset, bounds);
  }
  // Bounds of the unit cube (0, 0, 0) .. (1, 1, 1).
  template <class Rotator>
  static void UnitBoxBounds(const TProector &projector, const Rotator &rotator,
                            double bounds[4]) {
    struct Corner {
      double x, y, z;
    };
    BoxBounds(projector, Corner{0, 0, 0}, Corner{1, 1, 1}, rotator, bounds);
  }

  double a = 0.0;
  double b = 0.0;
  double d[3] = {0.0, 0.0, 1.0};
  double V[3] = {0.0, 1.0, 0.0};
  double U[3] = {1.0, 0.0, 0.0};
  double cx = 0.0;
  double cy = 0.0;
};
