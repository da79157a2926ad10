#pragma once
// Plain point records of the geometry: plane points, space points and angle triples.
// They are the cells of the point lists (Mem<DPOINT>, Mem<DPOINT3>) and are copied as
// their doubles.

// A point of the plane; a new one is the origin.
struct DPOINT {
  double x = 0.0;
  double y = 0.0;
};

// A point (or vector) in space; a new one is the origin.
struct DPOINT3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  DPOINT3() = default;
  DPOINT3(double xValue, double yValue, double zValue) : x(xValue), y(yValue), z(zValue) {}

  void Set(double xValue, double yValue, double zValue) {
    x = xValue;
    y = yValue;
    z = zValue;
  }
};

// Three rotation angles in radians, about the x, y and z axes, applied as Rx(ax)Ry(ay)Rz(az).
struct DANGLE3 {
  double ax = 0.0;
  double ay = 0.0;
  double az = 0.0;

  DANGLE3() = default;
  DANGLE3(double aboutX, double aboutY, double aboutZ) : ax(aboutX), ay(aboutY), az(aboutZ) {}

  void Set(double aboutX, double aboutY, double aboutZ) {
    ax = aboutX;
    ay = aboutY;
    az = aboutZ;
  }
};
