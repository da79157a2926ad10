#include "viewer3d/solids/conic_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Radii may pass their surface's reach by this fraction: a rim at exactly the equator,
// computed from other rounded numbers, is still taken as reached.
constexpr double kReachSlack = 1e-12;

}  // namespace

TConicProfile::TConicProfile(double radius, double eccentricity)
    : radius_(radius), eccentricity_(eccentricity) {}

double TConicProfile::Reach() const {
  const double k = 1.0 - ConicTerm();
  if (radius_ == 0.0 || k <= 0.0) return std::numeric_limits<double>::infinity();
  return std::fabs(radius_) / std::sqrt(k);
}

bool TConicProfile::Reaches(double rho) const {
  return std::fabs(rho) <= Reach() * (1.0 + kReachSlack);
}

double TConicProfile::Sag(double rho) const {
  if (radius_ == 0.0) return 0.0;
  const double k = 1.0 - ConicTerm();
  // z = rho^2 / (R + sign(R) sqrt(R^2 - k rho^2)): the quadric's near root, written so
  // that neither a paraboloid (k = 0) nor a small rho loses digits.
  const double discriminant = std::max(0.0, radius_ * radius_ - k * rho * rho);
  const double root = std::sqrt(discriminant);
  const double denominator = radius_ > 0.0 ? radius_ + root : radius_ - root;
  const double rhoReached = std::min(std::fabs(rho), Reach());
  return rhoReached * rhoReached / denominator;
}

double TConicProfile::Parameter(double rho) const {
  if (!AlongRimAngle()) return rho;
  // sin(theta) / (1 + e cos(theta)) = a with a = rho / |R|; with t = a / sqrt(1 + (e a)^2)
  // this is theta = asin(t) + asin(e t). t never exceeds 1 for a reachable rho.
  const double a = std::fabs(rho) / std::fabs(radius_);
  const double e = eccentricity_;
  const double t = std::min(1.0, a / std::sqrt(1.0 + e * e * a * a));
  return std::asin(t) + std::asin(std::min(1.0, e * t));
}

void TConicProfile::PointAt(double parameter, double &rho, double &z) const {
  if (!AlongRimAngle()) {
    rho = parameter;
    z = Sag(parameter);
    return;
  }
  const double e = eccentricity_;
  const double c = std::cos(parameter);
  // The distance from the focus, signed with R so that a concave surface sags backwards.
  const double r = radius_ / (1.0 + e * c);
  rho = std::sin(parameter) * std::fabs(r);
  z = radius_ / (1.0 + e) - c * r;
}

double SphereSagAtDiameter(double radius, double diameter) {
  return TConicProfile(radius, 0.0).Sag(0.5 * diameter);
}
