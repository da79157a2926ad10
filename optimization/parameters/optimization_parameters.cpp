#include "optimization/parameters/optimization_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "optics/model/optical_system.h"
#include "optics/systemfile/system_file_format.h"
#include "optimization/system/configured_system.h"

namespace {

// A curvature below this in magnitude is a plane surface.
constexpr double kFlatCurvature = 8.43e-37;

bool IsDigits(const std::string &text, std::size_t from) {
  if (from >= text.size()) return false;
  for (std::size_t k = from; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return false;
  return true;
}

// The direction the axial ray (field point 0, pupil centre) leaves surface `surf` with,
// in global axes. False when the ray misses a surface or is totally reflected.
bool AxialDirection(TOpticalSystem &system, int surf, double direction[3]) {
  TCurrentRay ray = system.AxialRay();
  ray.traceThrough = 1;
  Mem<TIntersectionPoint> hits;
  system.TraceRay(ray, 1, &hits, 0);
  if (ray.status == kRayTotalReflection || ray.status == kRayMissedSurface) return false;
  if (hits.data == nullptr || surf >= hits.cols * hits.rows || hits.data[surf].x == kHitListEnd) return false;
  const TIntersectionPoint &hit = hits.data[surf];
  const double length = std::sqrt(hit.L * hit.L + hit.M * hit.M + hit.N * hit.N);
  if (!(length > 0.0)) return false;
  direction[0] = hit.L / length;
  direction[1] = hit.M / length;
  direction[2] = hit.N / length;
  return true;
}

DPOINT3 VertexOf(const TSurface &s) { return DPOINT3(s.general.vertex[0], s.general.vertex[1], s.general.vertex[2]); }

// The vector from the vertex of surface surf to that of surf + 1.
DPOINT3 Gap(const TOpticalSystem &system, int surf) {
  const DPOINT3 a = VertexOf(*system.Surface(surf));
  const DPOINT3 b = VertexOf(*system.Surface(surf + 1));
  return DPOINT3(b.x - a.x, b.y - a.y, b.z - a.z);
}

// The vertices of surfaces first .. the last, in order.
std::vector<DPOINT3> VerticesFrom(const TOpticalSystem &system, int first) {
  std::vector<DPOINT3> vertices;
  for (int k = first; k < system.SurfaceCount(); ++k) vertices.push_back(VertexOf(*system.Surface(k)));
  return vertices;
}

// The surfaces after `moved` follow it by `shift`, their old vertices being `before` (from
// `moved` on). Behind an untilted surface the next one is put at the gap the system file
// gives it, the shortest decimal that led from the one to the other, so a gap that is no
// variable is saved as it was read: adding the shift to every vertex would round each gap
// by some ulps. Behind a tilted one the shift is added.
void FollowWithTheirGaps(TOpticalSystem &system, int moved, const std::vector<DPOINT3> &before, const DPOINT3 &shift) {
  for (int k = moved + 1; k < system.SurfaceCount(); ++k) {
    const DPOINT3 &from = before[static_cast<std::size_t>(k - 1 - moved)];
    const DPOINT3 &to = before[static_cast<std::size_t>(k - moved)];
    const TSurface &previous = *system.Surface(k - 1);
    DPOINT3 target(to.x + shift.x, to.y + shift.y, to.z + shift.z);
    if (previous.general.angles[0] == 0.0 && previous.general.angles[1] == 0.0 && previous.general.angles[2] == 0.0) {
      const DPOINT3 start = VertexOf(previous);
      const auto gap = [](double a, double b) { return WritableNumber(b - a, [&](double d) { return a + d == b; }); };
      target = DPOINT3(start.x + gap(from.x, to.x), start.y + gap(from.y, to.y), start.z + gap(from.z, to.z));
    }
    system.SetSurfacePosition(k, k, target, kGlobalFrame);
  }
}

// Coefficient k of a list, 0 when the list is shorter.
double CoefficientOf(const Mem<double> &list, int k) {
  return k < list.Cells() ? list.data[k] : 0.0;
}

// Grows a coefficient list to k + 1 entries when shorter (keeping its values) and sets
// entry k; false when the list cannot grow.
bool SetCoefficient(Mem<double> &list, int k, double v) {
  if (list.data == nullptr || list.cols * list.rows < k + 1) {
    const int rows = list.data != nullptr ? list.rows : 1;
    const int cols = list.data != nullptr ? list.cols : 0;
    // A list of one row grows along it; anything else is laid out as one row first.
    if (rows != 1) {
      Mem<double> row(cols * rows, 1);
      for (int c = 0; c < cols * rows; ++c) row.data[c] = list.data[c];
      list = row;
    }
    if (list.Resize(k + 1, 1) == 0) return false;
  }
  list.data[k] = v;
  return true;
}

}  // namespace

int TOptimizationParameters::CoefficientIndex(const STRING &type) {
  if (type.empty() || (type[0] != 'A' && type[0] != 'H')) return -1;
  const int limit = type[0] == 'A' ? kAsphericCoefficients : kHologramCoefficients;
  if (type.size() == 1) return 0;
  // Digits only, and few enough of them that the number cannot overflow.
  if (!IsDigits(type, 1) || type.size() > 5) return -1;
  const int k = std::atoi(type.c_str() + 1);
  return k < limit ? k : -1;
}

TParameterDescription *TOptimizationParameters::At(int i) {
  return i >= 0 && i < Count() ? &list.data[i] : nullptr;
}

TParameterDescription TOptimizationParameters::Get(int i) const {
  return i >= 0 && i < Count() ? list.data[i] : TParameterDescription();
}

int TOptimizationParameters::Find(int config, int surf, const STRING &type) const {
  for (int i = 0; i < Count(); ++i) {
    const TParameterDescription &p = list.data[i];
    if (p.Config == config && p.Surf == surf && p.Type == type) return i;
  }
  return -1;
}

void TOptimizationParameters::Add(const TParameterDescription &description) {
  int i = Find(description.Config, description.Surf, description.Type);
  if (i < 0) i = Find(0, -1, STRING());
  if (i < 0) {
    const int count = Count();
    if (list.Resize(count + 1, 1) == 0) return;
    i = count;
  }
  list.data[i] = description;
}

int TOptimizationParameters::IsValid(int i) const {
  if (i < 0 || i >= Count()) return 0;
  const TParameterDescription &p = list.data[i];
  const bool knownType = p.Type == "R" || p.Type == "T" || CoefficientIndex(p.Type) >= 0;
  return knownType && p.Left != p.Right && p.Surf >= 0 && p.Config >= 0 ? 1 : 0;
}

void TOptimizationParameters::RemoveInvalid() {
  for (int i = Count() - 1; i >= 0; --i)
    if (IsValid(i) == 0) list.Delete(i);
}

void TOptimizationParameters::ConfigurationInserted(int at) {
  for (int i = 0; i < Count(); ++i)
    if (list.data[i].Config >= at) ++list.data[i].Config;
}

void TOptimizationParameters::ConfigurationDeleted(int at) {
  for (int i = Count() - 1; i >= 0; --i) {
    if (list.data[i].Config == at)
      list.Delete(i);
    else if (list.data[i].Config > at)
      --list.data[i].Config;
  }
}

int TOptimizationParameters::SurfacesRenumbered(const std::vector<int> &map, std::vector<std::string> &lost,
                                                std::vector<int> *keptFrom) {
  const int count = static_cast<int>(map.size());
  auto place = [&](int i) { return i >= 0 && i < count ? map[i] : -1; };
  const int surfacesNow = owner != nullptr ? owner->System().SurfaceCount() : count;
  int changed = 0;
  if (keptFrom != nullptr) keptFrom->clear();
  for (int i = Count() - 1; i >= 0; --i) {
    TParameterDescription &p = list.data[i];
    if (keptFrom != nullptr) keptFrom->insert(keptFrom->begin(), i);
    if (p.Surf < 0) continue;  // a record that names no surface
    int to = place(p.Surf);
    if (p.Type == "T") {
      // The gap between two neighbours stays one when they stay neighbours, in either order;
      // else it stays the gap behind the first (surfaces put in after it, or the second gone)
      // while one follows it.
      const int next = place(p.Surf + 1);
      if (to >= 0 && next >= 0 && std::abs(to - next) == 1) to = std::min(to, next);
      else if ((next >= 0 && next < to) || p.Surf + 1 >= count || to + 1 >= surfacesNow) to = -1;
    }
    if (to == p.Surf) continue;
    ++changed;
    if (to >= 0) {
      p.Surf = to;
      continue;
    }
    lost.insert(lost.begin(), Describe(i));
    list.Delete(i);
    if (keptFrom != nullptr) keptFrom->erase(keptFrom->begin());
  }
  return changed;
}

double TOptimizationParameters::MeasuredValue(int i, std::array<double, 3> *crossing) {
  TParameterDescription p = Get(i);
  if (crossing != nullptr) crossing->fill(0.0);
  if (owner == nullptr || IsValid(i) == 0) return std::numeric_limits<double>::quiet_NaN();
  p.Value = std::numeric_limits<double>::quiet_NaN();
  const int current = owner->CurrentConfiguration();
  if (p.Config == current || owner->SelectConfiguration(p.Config) != 0) {
    ReadOne(p);
    if (crossing != nullptr && p.Type == "T" && p.Surf + 1 < owner->System().SurfaceCount() &&
        !AxialDirection(owner->System(), p.Surf, crossing->data()))
      crossing->fill(0.0);
  }
  owner->SelectConfiguration(current);
  return p.Value;
}

int TOptimizationParameters::CarryBounds(const std::vector<TParameterDescription> &before, const std::vector<int> &keptFrom,
                                         std::vector<std::string> &notCarried,
                                         const std::vector<std::array<double, 3>> *crossedBefore) {
  int changed = 0;
  for (int i = 0; i < Count() && i < static_cast<int>(keptFrom.size()); ++i) {
    const TParameterDescription &was = before.at(static_cast<std::size_t>(keptFrom[i]));
    TParameterDescription &p = list.data[i];
    std::array<double, 3> crossing{};
    const double now = MeasuredValue(i, &crossing);
    // The value changed sign (a gap crossed the other way, a curvature seen from the other
    // side): the bounds that held it are negated and swapped; else they stay as they were.
    bool negated = was.Value * now < 0.0;
    // A gap of no length shows no sign: its pair, now in the other order, crossed the same
    // way in space measures the other way.
    const std::size_t from = static_cast<std::size_t>(keptFrom[i]);
    if ((was.Value == 0.0 || now == 0.0) && crossedBefore != nullptr && from < crossedBefore->size()) {
      const std::array<double, 3> &then = (*crossedBefore)[from];
      const double along = then[0] * crossing[0] + then[1] * crossing[1] + then[2] * crossing[2];
      if (along != 0.0) negated = along > 0.0;
    }
    // 0.0 - bound: a bound of 0 stays 0, never -0.
    double left = negated ? 0.0 - was.Right : was.Left, right = negated ? 0.0 - was.Left : was.Right;
    // A value the bounds held before and no longer hold is told, and its bounds stay as they
    // were: measured apart from the rounding of the turn's arithmetic.
    const double slack = 1e-9 * (std::fabs(left) + std::fabs(right) + std::fabs(now));
    const bool held = was.Value >= was.Left - slack && was.Value <= was.Right + slack;
    if (held && std::isfinite(now) && (now < left - slack || now > right + slack)) {
      left = was.Left, right = was.Right;
      notCarried.push_back(Describe(i) + " = " + FormatNumber(now) + ", bounds " + FormatNumber(left) + " .. " + FormatNumber(right));
    }
    changed += left != p.Left || right != p.Right;
    p.Left = left, p.Right = right;
  }
  return changed;
}

void TOptimizationParameters::StoreValue(int i, double v) {
  if (TParameterDescription *p = At(i)) p->Value = v;
}

int TOptimizationParameters::FirstCrossedBounds() const {
  for (int i = 0; i < Count(); ++i)
    if (list.data[i].Left > list.data[i].Right) return i;
  return -1;
}

std::string TOptimizationParameters::Describe(int i) const {
  const TParameterDescription p = Get(i);
  // Surfaces are numbered from 1, as the surfaces table and the variables dialog number
  // them (index 0 is the object surface), like the configurations.
  std::string text = p.Type + " of surface " + std::to_string(p.Surf + 1);
  if (p.Config > 0) text += ", configuration " + std::to_string(p.Config + 1);
  return text;
}

std::string TOptimizationParameters::CrossedBoundsMessage(int i) const {
  return "Parameter " + std::to_string(i + 1) + " (" + Describe(i) +
         ") has its left bound above its right bound: no value satisfies it, so the optimization "
         "cannot take a step. Correct its bounds.";
}

void TOptimizationParameters::ReadOne(TParameterDescription &p) {
  TOpticalSystem &system = owner->System();
  const int surfaces = system.SurfaceCount();
  if (p.Surf < 0 || p.Surf >= surfaces) return;
  TSurface &surface = *system.Surface(p.Surf);
  if (p.Type == "R") {
    p.Value = surface.general.R == 0.0 ? 0.0 : 1.0 / surface.general.R;
  } else if (p.Type == "T") {
    if (p.Surf + 1 >= surfaces) return;
    const DPOINT3 gap = Gap(system, p.Surf);
    double d[3];
    // Along the axial ray, signed, as SetValue moves it; where no axial ray passes, the
    // distance between the vertices.
    if (AxialDirection(system, p.Surf, d)) {
      p.Value = gap.x * d[0] + gap.y * d[1] + gap.z * d[2];
    } else {
      p.Value = std::sqrt(gap.x * gap.x + gap.y * gap.y + gap.z * gap.z);
    }
  } else if (p.Type[0] == 'A') {
    const int k = CoefficientIndex(p.Type);
    switch (surface.GetType()) {
      case kSurfaceAspheric2:
        if (k == 0) {
          p.Value = surface.general.R;
        } else if (k == 1) {
          p.Value = surface.general.Ex;
        } else {
          p.Left = p.Right = p.Value = 0.0;
        }
        break;
      case kSurfaceAsphericHigh1:
      case kSurfaceAsphericHigh2:
      case kSurfaceAsphericStandard:
      case kSurfaceTor:
      case kSurfaceTorRing:
      case kSurfaceFresnel:
        p.Value = CoefficientOf(surface.AsCoef, k);
        break;
      default:
        p.Left = p.Right = p.Value = 0.0;
        break;
    }
  } else if (p.Type[0] == 'H') {
    const int k = CoefficientIndex(p.Type);
    p.Value = surface.hoe != nullptr ? CoefficientOf(surface.hoe->Vh, k) : 0.0;
  }
}

void TOptimizationParameters::ReadFromSystem() {
  if (owner == nullptr) return;
  const int current = owner->CurrentConfiguration();
  for (int i = 0; i < Count(); ++i) {
    TParameterDescription &p = list.data[i];
    if (IsValid(i) == 0) continue;
    if (p.Config != owner->CurrentConfiguration() && owner->SelectConfiguration(p.Config) == 0) continue;
    ReadOne(p);
  }
  owner->SelectConfiguration(current);
  RemoveInvalid();
}

int TOptimizationParameters::SetValue(int i, double v) {
  TParameterDescription *p = At(i);
  if (p == nullptr) return 0;
  if (p->Value == v) return 1;
  p->Value = v;
  if (owner == nullptr || IsValid(i) == 0) return 0;
  if (p->Surf >= owner->System().SurfaceCount()) return 0;
  if (owner->SelectConfiguration(p->Config) == 0) return 0;
  TSurface &surface = *owner->System().Surface(p->Surf);
  if (p->Type == "R") {
    surface.SetRadius(std::fabs(v) < kFlatCurvature ? 0.0 : 1.0 / v);
    return 1;
  }
  if (p->Type == "T") return ApplyDistance(*p, v);
  if (p->Type[0] == 'A') return ApplyAspheric(*p, v);
  if (p->Type[0] == 'H') {
    if (surface.hoe != nullptr) SetCoefficient(surface.hoe->Vh, CoefficientIndex(p->Type), v);
    return 1;
  }
  return 0;
}

int TOptimizationParameters::ApplyDistance(const TParameterDescription &p, double v) {
  TOpticalSystem &system = owner->System();
  const int surfaces = system.SurfaceCount();
  if (p.Surf + 1 >= surfaces) return 0;
  double d[3];
  if (!AxialDirection(system, p.Surf, d)) return 0;
  // Surface Surf + 1 moves along the axial ray by the change of its distance measured
  // along that ray: a centred surface lands v along the ray, and one set off the ray
  // keeps its offset instead of jumping onto it.
  const DPOINT3 gap = Gap(system, p.Surf);
  const double along = gap.x * d[0] + gap.y * d[1] + gap.z * d[2];
  const double change = v - along;
  const DPOINT3 shift(change * d[0], change * d[1], change * d[2]);
  const DPOINT3 next = VertexOf(*system.Surface(p.Surf + 1));
  // With positions relative to the previous surface, or in a configuration that is an
  // offset from the first, the surfaces after it keep their places relative to it.
  const bool follow = system.info.Coord == 0 || p.Config != 0;
  const std::vector<DPOINT3> before = follow ? VerticesFrom(system, p.Surf + 1) : std::vector<DPOINT3>();
  system.SetSurfacePosition(p.Surf + 1, p.Surf + 1, DPOINT3(next.x + shift.x, next.y + shift.y, next.z + shift.z),
                            kGlobalFrame);
  if (follow) FollowWithTheirGaps(system, p.Surf + 1, before, shift);
  if (owner->ConfigurationCount() > 1) owner->StoreConfiguration(-1);
  return 1;
}

int TOptimizationParameters::ApplyAspheric(const TParameterDescription &p, double v) {
  TSurface &surface = *owner->System().Surface(p.Surf);
  const int k = CoefficientIndex(p.Type);
  const int type = surface.GetType();
  switch (type) {
    case kSurfaceSphere:
    case kSurfaceCylinder:
      surface.SetRadius(v);
      return 1;
    case kSurfaceAspheric2:
      if (k == 0) {
        surface.SetRadius(v);
      } else if (k == 1) {
        surface.general.Ex = v;
      }
      return 1;
    case kSurfaceAsphericHigh1:
    case kSurfaceAsphericHigh2:
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel:
    case kSurfaceTor:
    case kSurfaceTorRing:
      break;
    default:
      return 1;
  }
  if (!SetCoefficient(surface.AsCoef, k, v)) return 0;
  surface.hasAsCoef = 1;
  if (k != 0) return 1;
  const int result = ApplyLeadingCoefficient(surface, v);
  // The radius set from it recomputes coefficient 0; the given value stands exactly.
  surface.AsCoef.data[0] = v;
  return result;
}

int TOptimizationParameters::ApplyLeadingCoefficient(TSurface &surface, double v) {
  switch (surface.GetType()) {
    case kSurfaceAsphericHigh1:
      // Coefficient 0 is -2R: 0 makes the surface plane, and is not a radius.
      surface.SetRadius(-v / 2.0);
      return v == 0.0 ? 0 : 1;
    case kSurfaceAsphericHigh2:
      if (v == 0.0) return 0;
      surface.SetRadius(1.0 / (2.0 * v));
      return 1;
    case kSurfaceAsphericStandard:
    case kSurfaceFresnel:
      if (v == 0.0) return 0;
      surface.SetRadius(1.0 / v);
      return 1;
    default:  // the tor types hold R itself
      surface.SetRadius(v);
      return 1;
  }
}
