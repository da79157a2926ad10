#include "editor/insert/prism_of_minimum_deviation.h"

#include <cmath>

#include "foundation/numerics/pi.h"

TPrismFaces PrismAtMinimumDeviation(double beamTilt, double relativeIndex, double apex, double face,
                                    const DPOINT3 &at) {
  TPrismFaces prism;
  const double n = relativeIndex;
  if (!std::isfinite(apex) || apex <= 0.0 || apex >= kPi) {
    prism.error = "The apex angle must lie between 0 and 180 degrees";
    return prism;
  }
  if (!std::isfinite(face) || face <= 0.0) {
    prism.error = "The face size must be positive";
    return prism;
  }
  if (!std::isfinite(n) || n <= 1.0) {
    prism.error = "The glass must be denser than the medium around the prism";
    return prism;
  }
  const double s = n * std::sin(0.5 * apex);
  if (s >= 1.0) {
    prism.error = "The apex angle is too large for this glass: the light is reflected inside the prism";
    return prism;
  }
  const double i = std::asin(s);
  prism.incidence = i;
  prism.deviation = 2.0 * i - apex;
  // In the beam's frame (x along the beam, apex towards +y): the entrance normal points
  // at -i, the ray inside at -(i - A/2), the exit normal at A - i.
  prism.entranceTilt = beamTilt - i;
  prism.exitTilt = beamTilt + apex - i;
  // Each face runs from the apex down; its upward direction is its normal turned by +90
  // degrees. The line joining the faces' centres is parallel to the base.
  const double half = 0.5 * face;
  const double apexX = at.x - half * std::sin(prism.entranceTilt);
  const double apexY = at.y + half * std::cos(prism.entranceTilt);
  prism.entrance = at;
  prism.exit = DPOINT3(apexX + half * std::sin(prism.exitTilt), apexY - half * std::cos(prism.exitTilt), at.z);
  return prism;
}
