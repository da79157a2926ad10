#include "synthesis/objects/object_distance.h"

#include <cmath>

#include "foundation/containers/points.h"
#include "optics/model/optical_system.h"

namespace {

constexpr int kGlobal = 1;
constexpr int kThroughTheLast = 1;
constexpr double kMillimetresPerMetre = 1000.0;

double Length(const DPOINT3 &d) { return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z); }

}  // namespace

double ObjectDistanceOf(const TOpticalSystem &system) {
  if (system.SurfaceCount() < 2) return 0.0;
  return Length(system.GetSurfacePosition(1, 0, 0)) / kMillimetresPerMetre;
}

int PlaceObjectAt(TOpticalSystem &system, double metres) {
  const int count = system.SurfaceCount();
  if (count < 2 || !std::isfinite(metres)) return 0;
  const DPOINT3 first = system.GetSurfacePosition(1, 0, kGlobal);
  const DPOINT3 object = system.GetSurfacePosition(0, 0, kGlobal);
  const DPOINT3 d(first.x - object.x, first.y - object.y, first.z - object.z);
  const double length = Length(d);
  const DPOINT3 u = length > 0.0 ? DPOINT3(d.x / length, d.y / length, d.z / length)
                                 : DPOINT3(1.0, 0.0, 0.0);
  // One shift from the old place to the new one: the surfaces keep their spacing exactly.
  const double target = metres * kMillimetresPerMetre;
  const DPOINT3 shift(u.x * target - d.x, u.y * target - d.y, u.z * target - d.z);
  system.ShiftSurfaces(1, count - 1, shift, kThroughTheLast);
  return 1;
}
