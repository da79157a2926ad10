// The light source's set-up (draw weights, screen radii, active limits) and its
// Monte-Carlo draws: rays, visible points, zone points, spectral weights.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/helpers/helpers.h"
#include "foundation/numerics/pi.h"
#include "foundation/numerics/random.h"
#include "platform/core/clock.h"
#include "platform/core/message_box.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/light_source_progress.h"
#include "synthesis/lightsource/vec3.h"

namespace {

// A direction uniform over the band low <= dx <= high of the unit sphere.
void DrawBandDirection(double low, double high, double direction[3]) {
  direction[0] = RandomUniform(low, high);
  const double phi = 2.0 * kPi * RandomUniform(0.0, 1.0);
  const double s = std::sqrt(std::max(0.0, 1.0 - direction[0] * direction[0]));
  direction[1] = s * std::cos(phi);
  direction[2] = s * std::sin(phi);
}

TSourceSetupProgress *installedProgress = nullptr;

// Weights are scaled to the generator's range so that one draw picks an element.
constexpr double kWeightScale = 32767.0;

template <class T>
int Count(const Mem<T> &list) {
  return list.data == nullptr ? 0 : list.cols * list.rows;
}

// Gives a Vector output three elements once; later draws reuse its block.
void EnsureThree(Vector &v) {
  if (v.n != 3) v.SetSize(3);
}

}  // namespace

TSourceSetupProgress *LightSourceProgress() { return installedProgress; }
void SetLightSourceProgress(TSourceSetupProgress *progress) { installedProgress = progress; }

int TLightSource::Prepare() {
  raysReady_ = false;
  visibleReady_ = false;
  if (SourceType == kZoneSource && Count(Zones) > 0) {
    raysReady_ = PrepareZones() != 0;
  } else if (SourceType == kSolidSource) {
    if (MeshPrepared == 0) PrepareMesh();
    // A source prepared before keeps its weights; they are valid when some area emits.
    const int n = Count(Triangles);
    raysReady_ = n > 0 && Triangles.data[n - 1].CumWeight > 0.0;
    const int kept = Count(VisibleTriangles);
    visibleReady_ = MeshPrepared != 0 && kept > 0 && VisibleTriangles.data[kept - 1].CumWeight > 0.0;
  }
  for (int k = 0; k < Count(Screens); ++k) Screens.data[k].HSquared = Screens.data[k].H * Screens.data[k].H;
  for (int k = 0; k < Count(LocLimits); ++k)
    if (LocLimits.data[k].Min < LocLimits.data[k].Max) LocLimits.data[k].Active = 1;
  return raysReady_ ? 1 : 0;
}

int TLightSource::PrepareZones() {
  const int n = Count(Zones);
  if (n == 0) return 0;
  // Zone k adds (Bright_k - Bright_{k-1}) over its volume (proportional to Az Ay^2), so a
  // point inside nested zones is drawn with the density of the innermost one. A zone darker
  // than the one around it cannot take emission away by drawing: its negative share is
  // drawn as 0 (the cumulative weights stay ordered for the binary search), and its points
  // are thinned afterwards to its own brightness (AcceptZonePoint).
  double sum = 0.0;
  zonesThinned_ = false;
  for (int k = 0; k < n; ++k) {
    TLightSourceZone &zone = Zones.data[k];
    const double bright = k == 0 ? zone.Bright : zone.Bright - Zones.data[k - 1].Bright;
    const double weight = bright * zone.Az * zone.Ay * zone.Ay;
    if (std::isfinite(weight) && weight > 0.0) sum += weight;
    if (bright < 0.0) zonesThinned_ = true;
    zone.CumWeight = sum;
  }
  if (!(sum > 0.0) || !std::isfinite(sum)) return 0;
  for (int k = 0; k < n; ++k) Zones.data[k].CumWeight *= kWeightScale / sum;
  return 1;
}

void TLightSource::MeshAreaWeights(Mem<TTriangle> &list, bool completed) {
  const int n = Count(list);
  double sum = 0.0;
  for (int k = 0; k < n; ++k) {
    if (std::isfinite(list.data[k].Area)) sum += list.data[k].Area;
    list.data[k].CumWeight = sum;
  }
  const double factor = sum > 0.0 && std::isfinite(sum) ? kWeightScale / sum : 0.0;
  for (int k = 0; k < n; ++k) {
    list.data[k].CumWeight *= factor;
    if (completed) list.data[k].flag = 1;
  }
}

int TLightSource::PrepareMesh() {
  TSourceSetupProgress *progress = installedProgress;
  const int n = Count(Triangles);
  if (progress != nullptr) progress->Begin(n);
  SetWaitCursor();
  VisibleTriangles.Clear();
  if (n > 0 && VisibleTriangles.Allocate(n, 1) == 0) {
    // The box has been shown; nothing can be drawn from this mesh.
    if (progress != nullptr) progress->End();
    SetArrowCursor();
    return 0;
  }
  for (int k = 0; k < n; ++k) Triangles.data[k].Prepare();

  const DWORD start = GetTickCount();
  const int step = std::max(1, n / 200);
  int count = 0;
  int kept = 0;
  bool cancelled = false;
  const double alongAxis[3] = {1.0, 0.0, 0.0};
  for (int i = 0; i < n && !cancelled; ++i) {
    if (count % step == 0) {
      ++count;
      if (progress != nullptr) {
        const int elapsed = static_cast<int>((GetTickCount() - start) / 1000);
        const int estimated = static_cast<int>(static_cast<double>(elapsed) / count * n);
        char text[128];
        std::snprintf(text, sizeof text,
                      "Source init. Times: elapsed- %02d:%02d, estimated- %02d:%02d",
                      elapsed / 60, elapsed % 60, estimated / 60, estimated % 60);
        progress->SetText(text);
        if (progress->StepAndPump(count) == 0) {
          cancelled = true;
          break;
        }
      }
    } else {
      ++count;
    }
    const TTriangle &triangle = Triangles.data[i];
    if (!(triangle.N.data[0] >= 1e-6)) continue;
    double centroid[3];
    for (int c = 0; c < 3; ++c)
      centroid[c] = (triangle.A.data[c] + triangle.B.data[c] + triangle.C.data[c]) / 3.0;
    bool hidden = false;
    for (int j = 0; j < n && !hidden; ++j)
      if (j != i && Triangles.data[j].Intersects(alongAxis, centroid) == 0) hidden = true;
    if (!hidden) VisibleTriangles.data[kept++] = triangle;
  }

  if (cancelled) {
    // Rays can still be drawn from the whole mesh (each one tested against the mesh, as its
    // flags stay 0), but no visible point: the set-up runs again on the next Prepare.
    VisibleTriangles.Clear();
    MeshAreaWeights(Triangles, false);
    MeshPrepared = 0;
  } else {
    if (kept == 0)
      VisibleTriangles.Clear();
    else if (kept < n)
      VisibleTriangles.Resize(kept, 1);
    MeshAreaWeights(VisibleTriangles, true);
    MeshAreaWeights(Triangles, true);
    MeshPrepared = 1;
  }
  if (progress != nullptr) progress->End();
  SetArrowCursor();
  return cancelled ? 0 : 1;
}

int TLightSource::InsideLocLimits(const double p[3]) const {
  const int n = std::min(Count(LocLimits), static_cast<int>(kLocLimitCount));
  for (int k = 0; k < n; ++k) {
    const TLimitLoc &limit = LocLimits.data[k];
    if (limit.Active != 1) continue;
    double value = 0.0;
    switch (k) {
      case kLimitX: value = p[0]; break;
      case kLimitY: value = p[1]; break;
      case kLimitZ: value = p[2]; break;
      case kLimitAxisDistance: value = std::sqrt(p[1] * p[1] + p[2] * p[2]); break;
      default: value = vec3::Length(p); break;
    }
    if (limit.Contains(value) == 0) return 0;
  }
  return 1;
}

int TLightSource::InsideLocLimits(const Vector &p) const { return InsideLocLimits(p.data); }

int TLightSource::PassesScreens(const double d[3], const double p[3]) const {
  for (int k = 0; k < Count(Screens); ++k)
    if (Screens.data[k].Passes(d, p) == 0) return 0;
  return 1;
}

int TLightSource::PassesScreens(const Vector &d, const Vector &p) const {
  return PassesScreens(d.data, p.data);
}

bool TLightSource::AcceptZonePoint(const double p[3]) const {
  if (!zonesThinned_) return true;
  // The density drawn at p is the sum of the positive brightness steps of the zones that
  // hold p; the density wanted is the brightness of the innermost of them.
  double drawn = 0.0;
  double wanted = 0.0;
  bool innermost = true;
  for (int k = Count(Zones) - 1; k >= 0; --k) {
    const TLightSourceZone &zone = Zones.data[k];
    if (zone.Contains(p[0], p[1], p[2]) == 0) continue;
    if (innermost) wanted = std::max(0.0, zone.Bright);
    innermost = false;
    drawn += std::max(0.0, k == 0 ? zone.Bright : zone.Bright - Zones.data[k - 1].Bright);
  }
  if (innermost || drawn <= wanted) return true;
  return Random15() / kWeightScale < wanted / drawn;
}

int TLightSource::DrawZoneRay(double direction[3], double start[3]) {
  const int n = Count(Zones);
  // The cone bounds are clamped to the sphere so that s = sqrt(1 - dx^2) stays real.
  const double low = std::clamp(CosMin, -1.0, 1.0);
  const double high = std::clamp(CosMax, -1.0, 1.0);
  for (int attempt = 0; attempt < maxDrawAttempts; ++attempt) {
    const int k = ChooseByWeight(Zones.data, n, Random15());
    Zones.data[k].RandomPoint(start);
    if (!AcceptZonePoint(start) || InsideLocLimits(start) == 0) continue;
    // Uniform over the sphere's band low <= dx <= high: dx uniform, azimuth uniform.
    DrawBandDirection(low, high, direction);
    if (PassesScreens(direction, start) == 0) continue;
    rayWeight_ = 0.5 * (high - low);
    return 1;
  }
  return 0;
}


int TLightSource::DrawMeshRay(double direction[3], double start[3], int &object) {
  const int n = Count(Triangles);
  for (int attempt = 0; attempt < maxDrawAttempts; ++attempt) {
    const TTriangle &triangle = Triangles.data[ChooseByWeight(Triangles.data, n, Random15())];
    triangle.RandomPoint(start);
    if (InsideLocLimits(start) == 0) continue;
    if (meshAimed_) {
      // Uniform over the cone of solid angle 2 pi (high - low); Lambert's law gives the
      // direction the density cos(theta) / pi, so the ray stands for cos(theta) x the
      // solid angle / pi of the emission.
      const double low = std::clamp(CosMin, -1.0, 1.0);
      const double high = std::clamp(CosMax, -1.0, 1.0);
      DrawBandDirection(low, high, direction);
      const double cosine = direction[0] * triangle.N.data[0] + direction[1] * triangle.N.data[1] +
                            direction[2] * triangle.N.data[2];
      rayWeight_ = std::max(0.0, cosine) * 2.0 * (high - low);
    } else {
      triangle.RandomLambertDirection(direction);
      rayWeight_ = 1.0;
    }
    if (PassesScreens(direction, start) == 0) continue;
    if (triangle.flag == 0) {
      // Without a completed set-up the mesh may hide its own rays.
      bool blocked = false;
      for (int j = 0; j < n && !blocked; ++j)
        if (Triangles.data[j].Intersects(direction, start) == 0) blocked = true;
      if (blocked) continue;
    }
    object = triangle.Object;
    return 1;
  }
  return 0;
}

int TLightSource::GetRandomRay(double direction[3], double start[3], int &object) {
  if (!raysReady_) return 0;
  double d[3];
  double p[3];
  int drawn = 0;
  int emitter = -1;
  if (SourceType == kZoneSource)
    drawn = DrawZoneRay(d, p);
  else if (SourceType == kSolidSource)
    drawn = DrawMeshRay(d, p, emitter);
  if (drawn == 0) {
    MessageBox(nullptr,
               "No ray of the light source lies inside its location limits and passes its "
               "screens.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  vec3::Copy(direction, d);
  vec3::Copy(start, p);
  object = emitter;
  return 1;
}

int TLightSource::GenerateRay(Vector &direction, Vector &start, int &object) {
  double d[3];
  double p[3];
  if (GetRandomRay(d, p, object) == 0) return 0;
  EnsureThree(direction);
  EnsureThree(start);
  vec3::Copy(direction.data, d);
  vec3::Copy(start.data, p);
  return 1;
}

int TLightSource::GenerateVisiblePoint(const Vector &, Vector &point, Vector &normal,
                                       int &object) {
  if (!visibleReady_) return 0;
  const int n = Count(VisibleTriangles);
  // The limits may exclude every visible point: after this many misses the user is told
  // and the draw gives up instead of running on.
  constexpr int kAttemptsBeforeWarning = 1000;
  for (int attempt = 0; attempt < kAttemptsBeforeWarning; ++attempt) {
    const TTriangle &triangle =
        VisibleTriangles.data[ChooseByWeight(VisibleTriangles.data, n, Random15())];
    double p[3];
    triangle.RandomPoint(p);
    if (InsideLocLimits(p) == 0) continue;
    EnsureThree(point);
    EnsureThree(normal);
    vec3::Copy(point.data, p);
    vec3::Copy(normal.data, triangle.N.data);
    object = triangle.Object;
    return 1;
  }
  MessageBox(nullptr, "Incorrect limitations!!", " ", MB_OK);
  return 0;
}

int TLightSource::SampleZonePoint(const Vector &, Vector &point, int &zone) {
  const int n = Count(Zones);
  if (!raysReady_ || SourceType != kZoneSource || n == 0) return 0;
  double p[3];
  bool found = false;
  for (int attempt = 0; attempt < maxDrawAttempts && !found; ++attempt) {
    Zones.data[ChooseByWeight(Zones.data, n, Random15())].RandomPoint(p);
    found = AcceptZonePoint(p) && InsideLocLimits(p) != 0;
  }
  if (!found) return 0;
  EnsureThree(point);
  vec3::Copy(point.data, p);
  zone = -1;
  for (int k = n - 1; k >= 0; --k)
    if (Zones.data[k].Contains(p[0], p[1], p[2]) != 0) {
      zone = k;
      break;
    }
  return 1;
}

double TLightSource::SpectralWeight(double wavelengthUm, int object) const {
  double planck = 1.0;
  if (SourceType == kSolidSource && object >= 0 && object < Count(ObjectTemperatures) &&
      wavelengthUm > 0.0) {
    const double temperature = ObjectTemperatures.data[object];
    if (temperature != 0.0) {
      // Planck's law with the wavelength in centimetres (1e-4 lambda): 5.95e-13 W cm^2
      // over lambda^5, the second radiation constant 1.43884 cm K.
      const double lambdaCm = 1e-4 * wavelengthUm;
      const double lambdaCm5 = std::pow(wavelengthUm, 5) * 1e-20;
      const double exponent = std::exp(1.43884 / lambdaCm / temperature);
      planck = std::isfinite(exponent) ? 5.95e-13 / lambdaCm5 / (exponent - 1.0) : 0.0;
    }
  }
  const int n = Count(Spectrum);
  double table = 1.0;
  if (n > 0) {
    const TSpectralInfo *entries = Spectrum.data;
    if (wavelengthUm < entries[0].lambda) {
      table = entries[0].weight;
    } else if (wavelengthUm >= entries[n - 1].lambda) {
      table = entries[n - 1].weight;
    } else {
      int k = 1;
      while (k < n - 1 && !(entries[k].lambda > wavelengthUm)) ++k;
      const TSpectralInfo &above = entries[k];
      const TSpectralInfo &below = entries[k - 1];
      table = above.weight - (above.weight - below.weight) /
                                 (above.lambda - below.lambda) *
                                 (above.lambda - wavelengthUm);
    }
  }
  return planck * table;
}

double TLightSource::EmissionAt(double wavelengthUm) const {
  if (SourceType != kSolidSource) return SpectralWeight(wavelengthUm, -1);
  // The triangles emit by their area, each with its object's spectrum.
  double area = 0.0, emitted = 0.0;
  const int count = Count(Triangles);
  for (int k = 0; k < count; ++k) {
    const TTriangle &triangle = Triangles.data[k];
    area += triangle.Area;
    emitted += triangle.Area * SpectralWeight(wavelengthUm, triangle.Object);
  }
  return area > 0.0 ? emitted / area : SpectralWeight(wavelengthUm, -1);
}

void TLightSource::AimAtAperture(double x, double y, double z, double r) {
  CosMax = 1.0;
  meshAimed_ = true;
  double minimum[3];
  double maximum[3];
  GetBoundingBox(minimum, maximum);
  // The cone about +x that holds every ray from any point of the source's box to any point
  // of the disc: its half-angle is set by the box's nearest x and by the largest distance
  // across the axis from a point of the box to the disc's rim. That distance is largest at a
  // corner of the box's (y, z) section, whichever side of the axis the source lies.
  const double along = x - maximum[0];
  double across = 0.0;
  for (const double cornerY : {minimum[1], maximum[1]})
    for (const double cornerZ : {minimum[2], maximum[2]})
      across = std::max(across, std::hypot(y - cornerY, z - cornerZ) + r);
  const double slant = std::sqrt(along * along + across * across);
  CosMin = slant > 0.0 ? along / slant : -1.0;
}
