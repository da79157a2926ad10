#include "synthesis/folder/energy_zone_fit.h"

#include <algorithm>
#include <cmath>

#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optics/trace/image_coordinate.h"

namespace {

constexpr double kNoExtent = 1.0e20;

// The ray's place in the image: its height, or its angle in milliradians at infinity.
double ImageY(const TCurrentRay &ray, bool finite) {
  return ray.L != 0.0 || finite ? ImageCoordinate(finite, ray.y, ray.M, ray.L) : 0.0;
}

double ImageZ(const TCurrentRay &ray, bool finite) {
  return ray.L != 0.0 || finite ? ImageCoordinate(finite, ray.z, ray.N, ray.L) : 0.0;
}

}  // namespace

bool FitZoneToImage(TOpticalSystem &system, double fieldA, double fieldB,
                    double objectImageSize, TEnergyZone &zone) {
  if (system.SurfaceCount() < 2) return false;
  if (system.Prepare(system.info.LambdaW, 1, 1) <= 0) return false;
  system.SolveChiefRay(fieldA, fieldB);
  const double a = system.info.entrancePupilDiameter;
  const bool finite = system.info.ImageFinite != 0;
  const int drawAll = system.info.DrawAllRays;

  TCurrentRay fanY[kZoneFitRays];
  TCurrentRay fanZ[kZoneFitRays];
  for (int i = 0; i < kZoneFitRays; ++i) {
    const double pupil = i * a / (kZoneFitRays - 1) - a / 2;
    fanY[i] = system.MakeRay(fieldA, fieldB, pupil, 0.0);
    fanZ[i] = system.MakeRay(fieldA, fieldB, 0.0, pupil);
    fanY[i].traceThrough = drawAll;
    fanZ[i].traceThrough = drawAll;
  }
  int passedY[kZoneFitRays];
  int passedZ[kZoneFitRays];
  // In the image surface's own frame: behind a fold mirror a global y would hold the
  // image plane's place, the same for every ray, rather than the spot's height.
  system.TraceRays(fanY, kZoneFitRays, kTracePlain, passedY);
  system.TraceRays(fanZ, kZoneFitRays, kTracePlain, passedZ);

  double yMin = kNoExtent, yMax = -kNoExtent, zMin = kNoExtent, zMax = -kNoExtent;
  for (int i = 0; i < kZoneFitRays; ++i) {
    // A fan ray the system's DrawAllRays carries past a rim is no light in the zone.
    if (RayWentThrough(fanY[i], passedY[i])) {
      yMin = std::min(yMin, ImageY(fanY[i], finite));
      yMax = std::max(yMax, ImageY(fanY[i], finite));
    }
    if (RayWentThrough(fanZ[i], passedZ[i])) {
      zMin = std::min(zMin, ImageZ(fanZ[i], finite));
      zMax = std::max(zMax, ImageZ(fanZ[i], finite));
    }
  }
  TCurrentRay chief = system.MakeRay(fieldA, fieldB, 0.0, 0.0);
  chief.traceThrough = drawAll;
  double chiefY = 0.0, chiefZ = 0.0;
  if (system.TraceRay(chief, kTracePlain, nullptr, 0) == 1) {
    chiefY = ImageY(chief, finite);
    chiefZ = ImageZ(chief, finite);
  }
  const double s = std::fabs(objectImageSize);
  if (yMax < yMin) {
    zone.height = 0.0;
    zone.y = 0.0;
  } else {
    zone.height = yMax - yMin + s;
    zone.y = (yMax + yMin) / 2 - chiefY;
  }
  if (zMax < zMin) {
    zone.width = 0.0;
    zone.x = 0.0;
  } else {
    zone.width = zMax - zMin + s;
    zone.x = (zMax + zMin) / 2 - chiefZ;
  }
  return true;
}
