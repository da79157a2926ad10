#pragma once
// The meridian of a conic surface of revolution about z with its vertex at the origin, as
// the element solids draw it. The optical model's conic term Ex gives the quadric
// (1 - Ex) z^2 - 2 R z + rho^2 = 0: Ex = e^2 for the eccentricity e (a sphere is 0, a
// paraboloid 1, a hyperboloid above 1), and an oblate ellipsoid has Ex < 0 and no real
// eccentricity. The scene carries it as a negative e standing for Ex = -e^2, so one signed
// number holds every conic: Ex = e |e|.
//
// Points are placed along the rim angle theta of the focal-polar form when e >= 0 (the
// conic r = R / (1 + e cos theta) about its focus at z = R / (1 + e)), which spaces them
// evenly along a steep surface; an oblate surface is drawn along its radius. Either way
// every point lies on the quadric above, the model's own sag.

class TConicProfile {
 public:
  // A radius of 0 is a plane.
  TConicProfile(double radius, double eccentricity);

  double Radius() const { return radius_; }
  double ConicTerm() const { return eccentricity_ * (eccentricity_ < 0.0 ? -eccentricity_ : eccentricity_); }
  // The largest radius the surface reaches: |R| / sqrt(1 - Ex) for Ex < 1 (a sphere's
  // equator), unbounded for a plane, a paraboloid and a hyperboloid.
  double Reach() const;
  // Whether the surface reaches radius rho (a rounding's worth beyond its reach passes).
  bool Reaches(double rho) const;
  // The model's sag at radius rho, the root of the quadric nearer the vertex; a radius
  // beyond the reach is taken at the reach, so the result is always finite.
  double Sag(double rho) const;
  // The drawing parameter at radius rho (the rim angle theta, or rho for an oblate surface
  // and a plane), and the radius and sag at a parameter.
  double Parameter(double rho) const;
  void PointAt(double parameter, double &rho, double &z) const;

 private:
  bool AlongRimAngle() const { return radius_ != 0.0 && eccentricity_ >= 0.0; }

  double radius_;
  double eccentricity_;
};

// The sag of a sphere of radius R at its rim of diameter D: R - R cos(asin(D / 2|R|)),
// taken at the equator when D exceeds 2|R|, and 0 for R = 0.
double SphereSagAtDiameter(double radius, double diameter);
