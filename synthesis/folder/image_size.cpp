#include "synthesis/folder/image_size.h"

#include <algorithm>
#include <cmath>

#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optics/trace/image_coordinate.h"

namespace {

// The rays give a scale only when both of their values are usable and not zero: a zero dh
// would turn every size into 0, a zero du every field into a division by zero.
bool ScaleDefined(const TImageSizeInputs &in) {
  return std::isfinite(in.du) && std::isfinite(in.dh) && in.du != 0.0 && in.dh != 0.0;
}

bool AngularScaleDefined(const TImageSizeInputs &in) {
  return std::isfinite(in.angularScale) && in.angularScale != 0.0;
}

// Division by a magnification that may be 0: such a system has none to divide by.
double OverMagnification(double value, double m) { return m != 0.0 ? value / m : value; }

}  // namespace

TSizeConversion ImageFieldFromObjectSize(const TImageSizeInputs &in, double &field) {
  const double s = std::fabs(in.size);
  const double d = in.distance;
  const double m = in.magnification;
  const bool objectSpace = in.objectSpace != 0;
  if (in.imageFinite == 0) {
    switch (in.unit) {
      case 0:
        // A finite object's height turns into the image's angle by the traced scale (its
        // magnification is 0); an object at infinity subtends its angle at the distance.
        if (in.objectFinite != 0 && objectSpace) {
          if (!AngularScaleDefined(in)) return kSizeScaleUndefined;
          field = s * 1000.0 * std::fabs(in.angularScale);
          return kSizeConverted;
        }
        field = std::atan((s / 2.0) / d) * 2000.0 * m;
        return kSizeConverted;
      case 1:
        field = s * 1000.0 * kArcMinute * (objectSpace ? m : 1.0);
        return kSizeConverted;
      default:
        field = s * 1000.0 * kDegree * (objectSpace ? m : 1.0);
        return kSizeConverted;
    }
  }
  if (in.unit == 0 && !objectSpace) {
    field = s * 1000.0;
    return kSizeConverted;
  }
  if (in.unit == 0 && in.objectFinite != 0) {
    field = s * m * 1000.0;
    return kSizeConverted;
  }
  if (!ScaleDefined(in)) return kSizeScaleUndefined;
  const double angle = in.unit == 0 ? std::atan((s / 2.0) / d) * 2.0
                       : in.unit == 1 ? s * kArcMinute
                                      : s * kDegree;
  field = angle / in.du * in.dh;
  return kSizeConverted;
}

TSizeConversion ObjectSizeFromImageField(const TImageSizeInputs &in, double &objectSize) {
  const double s = std::fabs(in.size);
  const double d = in.distance;
  const double m = in.magnification;
  const bool objectSpace = in.objectSpace != 0;
  // Each rule undoes its own in ImageFieldFromObjectSize exactly, so that reading a size
  // and showing it again (every synthesis does) gives the size back instead of moving it.
  const bool byMagnification = objectSpace;
  if (in.imageFinite == 0) {
    switch (in.unit) {
      case 0:
        if (!objectSpace) {
          objectSize = 0.0;
        } else if (in.objectFinite != 0) {
          if (!AngularScaleDefined(in)) return kSizeScaleUndefined;
          objectSize = 0.001 * s / std::fabs(in.angularScale);
        } else {
          objectSize = std::tan(OverMagnification(0.0005 * s, m)) * 2.0 * d;
        }
        return kSizeConverted;
      case 1: {
        const double size = 0.001 * s / kArcMinute;
        objectSize = byMagnification ? OverMagnification(size, m) : size;
        return kSizeConverted;
      }
      default: {
        const double size = kDegreesPerRadian * 0.001 * s;
        objectSize = byMagnification ? OverMagnification(size, m) : size;
        return kSizeConverted;
      }
    }
  }
  if (in.unit == 0 && !objectSpace) {
    objectSize = 0.001 * s;
    return kSizeConverted;
  }
  if (in.unit == 0 && in.objectFinite != 0) {
    objectSize = OverMagnification(0.001 * s, m);
    return kSizeConverted;
  }
  if (!ScaleDefined(in)) return kSizeScaleUndefined;
  if (in.unit == 0)
    objectSize = std::tan(0.5 * s / in.dh * in.du) * 2.0 * d;
  else if (in.unit == 1)
    objectSize = s * in.du / in.dh / kArcMinute;
  else
    objectSize = kDegreesPerRadian * s * in.du / in.dh;
  return kSizeConverted;
}

bool TraceScaleRays(TOpticalSystem &system, double &du, double &dh) {
  du = 0.0;
  dh = 0.0;
  if (system.SurfaceCount() < 2) return false;
  const int drawAll = system.info.DrawAllRays;
  system.SolveChiefRay(0.0, 0.0);
  TCurrentRay axial = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  axial.traceThrough = drawAll;
  // Heights and angles in the image surface's own frame: behind a fold mirror the global
  // axes no longer lie along the image, and a global height could stay 0 however the
  // image grows.
  if (system.TraceRay(axial, kTracePlain, nullptr, 0) == 0) return false;
  system.SolveChiefRay(kScaleRayField, 0.0);
  TCurrentRay oblique = system.MakeRay(kScaleRayField, 0.0, 0.0, 0.0);
  oblique.traceThrough = drawAll;
  const TCurrentRay start = oblique;
  if (system.TraceRay(oblique, kTracePlain, nullptr, 0) == 0) return false;
  // The angles are taken about the local axis x in the meridional plane (x, y).
  const double startAngle = start.L != 0.0 ? ImageAngle(start.M, start.L) : 0.0;
  const double endAngle = axial.L != 0.0 ? ImageAngle(axial.M, axial.L) : 0.0;
  du = startAngle - endAngle;
  dh = oblique.y - axial.y;
  return true;
}

bool TraceAngularScale(TOpticalSystem &system, double &mradPerMm) {
  mradPerMm = 0.0;
  if (system.SurfaceCount() < 2 || system.info.ObjectFinite == 0) return false;
  constexpr double kHeight = 0.01;
  const DPOINT3 object = system.GetSurfacePosition(0, 0, 1);
  TCurrentRay centre = system.MakeRayFromPoint(object.x, object.y, object.z, 0.0, 0.0);
  TCurrentRay above = system.MakeRayFromPoint(object.x, object.y + kHeight, object.z, 0.0, 0.0);
  centre.traceThrough = above.traceThrough = 1;
  if (system.TraceRay(centre, kTracePlain, nullptr, 0) == 0 || system.TraceRay(above, kTracePlain, nullptr, 0) == 0 ||
      centre.L == 0.0 || above.L == 0.0)
    return false;
  const int finite = system.info.ImageFinite;
  const double scale =
      (ImageCoordinate(finite, above.y, above.M, above.L) - ImageCoordinate(finite, centre.y, centre.M, centre.L)) /
      kHeight;
  if (!(std::isfinite(scale) && scale != 0.0)) return false;
  mradPerMm = scale;
  return true;
}

double SystemObjectField(const TOpticalSystem &system) {
  double largest = 0.0;
  const Mem<double> &fields = system.info.AlfaM;
  for (int i = 0; i < fields.Cells(); ++i) largest = std::max(largest, std::fabs(fields.data[i]));
  if (!(largest > 0.0) || !std::isfinite(largest)) largest = kScaleRayField;
  constexpr double kMinutesPerDegree = 60.0;
  constexpr double kMetresPerMillimetre = 0.001;
  return system.info.ObjectFinite != 0 ? 2.0 * largest * kMetresPerMillimetre
                                       : 2.0 * largest * kMinutesPerDegree;
}

double SystemObjectFieldInUnit(const TOpticalSystem &system, int unit, double distance) {
  const double field = SystemObjectField(system);
  if (system.info.ObjectFinite != 0) return field;
  switch (unit) {
    case 1: return field;
    case 2: return field / 60.0;
    default: return 2.0 * distance * std::tan(0.5 * field * kArcMinute);
  }
}
