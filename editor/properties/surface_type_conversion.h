#pragma once
// A surface's shape carried from one surface type to another. One table says what each type
// holds (curvature, conic constant, the even powers r^4 ..., a second radius, the powers of
// x of the first high-power form, a torus's third term, the ring torus's ring radius); each
// type's coefficients are read by its own equation; the old surface's shape is read
// through it and written into the new type's coefficients. What the new type cannot hold is
// named; the change of the rim's sag says where the new shape only approximates the old
// one (a sphere written as a power series). The cylinder holds its conic term: the trace
// meets it as the conic of its meridian.

#include <string>
#include <vector>

class TSurface;

struct TTypeConversion {
  // The new type's coefficients, as SetAsphericCoefficients takes them.
  std::vector<double> coefficients;
  // What the new type cannot hold ("conic constant, r^4, r^6 terms"); empty: nothing.
  std::string lost;
};

TTypeConversion ConvertSurfaceType(const TSurface &surface, int type);

// The point of the surface's outer bound nearest its centre, on a grid of 20 heights each
// way over the whole bound (a rectangle's corners too) and along its rim, where a ray along
// the axis is not met by the trace; false when every one is (a surface without a bound has
// none).
bool UntracedPoint(const TSurface &surface, double &y, double &z);

// How far the rim (the outer semi-height, in either section) moves from the surface `before`
// to `after` of the same place: the largest distance between their points there (mm), a
// Fresnel surface taken unfolded; infinite when the new shape does not reach the rim.
double RimShift(const TSurface &before, const TSurface &after);
