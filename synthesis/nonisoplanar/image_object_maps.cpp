#include "synthesis/nonisoplanar/image_object_maps.h"

#include <cmath>

#include "foundation/numerics/pi.h"
#include "optics/model/optical_system.h"
#include "optics/trace/image_coordinate.h"

namespace {

constexpr double kFieldDegreesToRadians = kPi / 180.0;
constexpr int kMapCells = kMapSide * kMapSide;
constexpr int kMapCentre = kMapSide / 2;

double LargestMagnitude(const Mem<double> &values) {
  const int count = values.Cells();
  double largest = 0.0;
  for (int i = 0; i < count; ++i) largest = std::fmax(largest, std::fabs(values.data[i]));
  return largest;
}

}  // namespace

double TImageObjectMaps::ObjectFieldHalf(const TOpticalSystem &system) {
  const double half = LargestMagnitude(system.info.AlfaM);
  return system.info.ObjectFinite != 0 ? half : half * kFieldDegreesToRadians;
}

int TImageObjectMaps::ComponentCount(const TOpticalSystem &system) {
  const Mem<TSpectralInfo> &list = system.info.Spectrum;
  const int count = list.Cells();
  return system.info.MonochromeSystem != 0 || count == 0 ? 1 : count;
}

double TImageObjectMaps::ComponentWavelength(const TOpticalSystem &system, int k,
                                             double workingLambda) {
  const Mem<TSpectralInfo> &list = system.info.Spectrum;
  const int count = list.Cells();
  if (system.info.MonochromeSystem != 0 || k < 0 || k >= count) return workingLambda;
  // A list entry that is no wavelength is prepared at the working one.
  return IsTracedWavelength(list.data[k]) ? list.data[k].lambda : workingLambda;
}

int TImageObjectMaps::Build(TOpticalSystem &turned, double workingLambda) {
  mapY.Clear();
  mapZ.Clear();
  imageFieldHalf = LargestMagnitude(turned.info.AlfaM);
  step = imageFieldHalf * 2.0 / (kMapSide - 1);
  if (imageFieldHalf == 0.0 || !std::isfinite(imageFieldHalf)) return 0;
  const int components = ComponentCount(turned);
  Mem<TCurrentRay> rays;
  Mem<int> results;
  if (!mapY.Allocate(kMapCells, components) || !mapZ.Allocate(kMapCells, components) ||
      !rays.Allocate(kMapCells, 1) || !results.Allocate(kMapCells, 1)) {
    mapY.Clear();
    mapZ.Clear();
    return 0;
  }
  mapY.Zero();
  mapZ.Zero();
  const bool angular = turned.info.ImageFinite == 0;
  for (int k = 0; k < components; ++k) {
    if (turned.Prepare(ComponentWavelength(turned, k, workingLambda), 1, 1) <= 0) {
      mapY.Clear();
      mapZ.Clear();
      return 0;
    }
    for (int a = 0; a < kMapSide; ++a) {
      for (int b = 0; b < kMapSide; ++b) {
        const double y = (kMapCentre - b) * step;
        const double z = (a - kMapCentre) * step;
        // Every chief ray is aimed through the pupil solved for its own field point.
        turned.SolveChiefRay(y, z);
        TCurrentRay &ray = rays.data[b * kMapSide + a];
        ray = turned.MakeRay(y, z, 0.0, 0.0);
        ray.traceThrough = 1;
      }
    }
    turned.TraceRays(rays.data, kMapCells, kTracePlain, results.data);
    float *ys = mapY.data + static_cast<long>(k) * kMapCells;
    float *zs = mapZ.data + static_cast<long>(k) * kMapCells;
    for (int cell = 0; cell < kMapCells; ++cell) {
      if (results.data[cell] != 1) continue;
      const TCurrentRay &ray = rays.data[cell];
      const double my = angular ? ImageAngle(ray.M, ray.L) : ray.y;
      const double mz = angular ? ImageAngle(ray.N, ray.L) : ray.z;
      ys[cell] = std::isfinite(my) ? static_cast<float>(my) : 0.0f;
      zs[cell] = std::isfinite(mz) ? static_cast<float>(mz) : 0.0f;
    }
  }
  return 1;
}

int TImageObjectMaps::SetUniform(int components, double imageHalf, double scale) {
  imageFieldHalf = imageHalf;
  step = imageHalf * 2.0 / (kMapSide - 1);
  if (components < 1 || !mapY.Allocate(kMapCells, components) ||
      !mapZ.Allocate(kMapCells, components)) {
    mapY.Clear();
    mapZ.Clear();
    return 0;
  }
  for (int k = 0; k < components; ++k) {
    for (int a = 0; a < kMapSide; ++a) {
      for (int b = 0; b < kMapSide; ++b) {
        const long cell = static_cast<long>(k) * kMapCells + b * kMapSide + a;
        mapY.data[cell] = static_cast<float>((kMapCentre - b) * step * scale);
        mapZ.data[cell] = static_cast<float>((a - kMapCentre) * step * scale);
      }
    }
  }
  return 1;
}

float TImageObjectMaps::Interpolate(const float *map, double x, double y, double cell) {
  const double X = kMapCentre + x / cell;
  const double Y = kMapCentre - y / cell;
  // Far outside the map every corner counts as 0; the guard keeps the casts defined.
  if (!(std::fabs(X) < 1e6 && std::fabs(Y) < 1e6)) return 0.0f;
  const int i = static_cast<int>(X);
  const int j = static_cast<int>(Y);
  const double fx = X - i;
  const double fy = Y - j;
  auto at = [map](int c, int r) {
    return c >= 0 && c < kMapSide && r >= 0 && r < kMapSide ? map[r * kMapSide + c] : 0.0f;
  };
  const double top = at(i, j) + (at(i + 1, j) - at(i, j)) * fx;
  const double bottom = at(i, j + 1) + (at(i + 1, j + 1) - at(i, j + 1)) * fx;
  return static_cast<float>(top + (bottom - top) * fy);
}

void TImageObjectMaps::ObjectPoint(int k, double x, double y, double &objectZ,
                                   double &objectY) const {
  objectZ = 0.0;
  objectY = 0.0;
  if (k < 0 || k >= Components() || step <= 0.0) return;
  const long offset = static_cast<long>(k) * kMapCells;
  objectZ = Interpolate(mapZ.data + offset, x, y, step);
  objectY = Interpolate(mapY.data + offset, x, y, step);
}
