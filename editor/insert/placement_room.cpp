// The room check of every placement road and of the click that starts it: the new element's
// faces against the faces of the elements before and after it, then against every surface in
// space, each where it stands in every configuration.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
#include "editor/insert/face_crossing.h"
#include "editor/insert/placement.h"
#include "foundation/numerics/pi.h"

namespace {

// Faces that touch, or meet closer than rounding, do not cross (mm).
constexpr double kSlack = 1e-6;
constexpr double kNoRoomFound = std::numeric_limits<double>::infinity();

int ElementOf(const TSystemImage &system, int i) {
  const TSurface *s = system.Surface(i);
  for (int e = 0; e < system.ElementCount(); ++e) {
    const TOpticalElement &element = system.elements.data[e];
    for (int k = 0; k < element.SurfaceCount(); ++k)
      if (element.surfaces.data[k] == s) return e;
  }
  return -1;
}

// The surfaces of the element that holds surface i; the surface alone outside every element.
std::vector<int> ElementSurfaces(const TSystemImage &system, int i) {
  const int e = ElementOf(system, i);
  if (e < 0) return {i};
  std::vector<int> indices;
  const TOpticalElement &element = system.elements.data[e];
  for (int k = 0; k < element.SurfaceCount(); ++k) indices.push_back(system.IndexOfSurface(element.surfaces.data[k]));
  return indices;
}

// How far surface i (through its element, or the image plane itself) stands in
// configuration k from where it stands now: the base holds absolute places, the others
// offsets from them.
DPOINT3 ConfigurationShift(const TSystemImage &system, int i, int k) {
  if (k == system.currentConfiguration || k < 0 || k >= system.ConfigurationCount()) return DPOINT3();
  const TConfigurationParameters &base = system.configurations.data[0];
  const TConfigurationParameters &record = system.configurations.data[k];
  const auto offset = [](const DPOINT3 &at, const double *now) { return DPOINT3(at.x - now[0], at.y - now[1], at.z - now[2]); };
  if (i == system.SurfaceCount() - 1) {
    if (base.imageStored == 0 || system.Surface(i) == nullptr) return DPOINT3();
    DPOINT3 at = base.image;
    if (k > 0 && record.imageStored != 0) at = DPOINT3(at.x + record.image.x, at.y + record.image.y, at.z + record.image.z);
    return offset(at, system.Surface(i)->general.vertex);
  }
  const int e = ElementOf(system, i);
  if (e < 0 || e >= base.positions.Cells()) return DPOINT3();
  DPOINT3 at = base.positions.data[e];
  const Mem<DPOINT3> &own = record.positions;
  if (k > 0 && e < own.Cells()) at = DPOINT3(at.x + own.data[e].x, at.y + own.data[e].y, at.z + own.data[e].z);
  return offset(at, system.elements.data[e].FirstSurface()->general.vertex);
}

// "In configuration k of n: " where the system has more than one, else "".
std::string InConfiguration(const TSystemImage &system, int k) {
  if (system.ConfigurationCount() <= 1) return std::string();
  char where[64];
  std::snprintf(where, sizeof where, "In configuration %d of %d: ", k + 1, system.ConfigurationCount());
  return where;
}

struct TNeighbourFace {
  int number;  // as the tables number the surface before the placement, from 1
  TSampledFace face;
};

// The faces of the element holding surface i on its side of the new element (up to i for
// the one ahead, from i for the one behind; a surface put inside an element splits it),
// where they stand in configuration k, turned about `pivot` by the element's turn.
std::vector<TNeighbourFace> NeighbourFaces(const TSystemImage &system, int i, int k, int firstNumber,
                                           const DPOINT3 &pivot, double turn, bool ahead,
                                           const DPOINT3 &across = DPOINT3()) {
  std::vector<TNeighbourFace> faces;
  for (const int j : ElementSurfaces(system, i)) {
    const TSurface *s = system.Surface(j);
    if (s == nullptr || j == system.SurfaceCount() - 1 || (ahead ? j > i : j < i)) continue;
    TNeighbourFace face{firstNumber + (j - i), TSampledFace(*s)};
    const DPOINT3 shift = ConfigurationShift(system, j, k);
    face.face.Move(DPOINT3(shift.x + across.x, shift.y + across.y, shift.z + across.z), pivot, turn);
    faces.push_back(std::move(face));
  }
  return faces;
}

// The least room along the light between two neighbours' faces on the lines through the
// element's own samples, with the height where it falls.
double RoomAcross(const TSampledFace &ahead, const TSampledFace &behind, const std::vector<TSampledFace> &faces,
                  double tilt, const DPOINT3 &vertex, double &height) {
  double least = kNoRoomFound;
  for (const TSampledFace &face : faces) {
    for (const DPOINT3 &p : face.points) {
      const TSampledFace probe(p);
      double atAhead = 0.0;
      double atBehind = 0.0;
      const double toAhead = FaceClearance(probe, ahead, tilt + kPi, vertex, &atAhead);
      const double toBehind = FaceClearance(probe, behind, tilt, vertex, &atBehind);
      if (std::isfinite(toAhead) && std::isfinite(toBehind) && toAhead + toBehind < least) {
        least = toAhead + toBehind;
        height = std::fabs(atBehind);
      }
    }
  }
  return least;
}

// What one configuration gives: the deepest crossing, the surface it crosses, and the
// deepest on either side of the element.
struct TCrossing {
  double depth = 0.0;
  int number = 0;
  double crossingAhead = 0.0;
  double crossingBehind = 0.0;

  void Judge(double crossing, int surfaceNumber, double &side) {
    side = std::max(side, crossing);
    if (crossing <= depth) return;
    depth = crossing;
    number = surfaceNumber;
  }
};

// Where an element turning the beam by `turn` at its last vertex `pivot` carries what
// follows it: turned about that vertex, and shifted across until the line the chief ray took
// through the placed vertex passes through the pivot.
struct TCarry {
  DPOINT3 pivot;
  DPOINT3 across;
  double turn = 0.0;
};

TCarry CarryOf(const DPOINT3 &vertex, double tilt, const TElementReach &reach, const std::vector<TSampledFace> &faces) {
  TCarry carry;
  const TSampledFace &last = faces.back();
  carry.pivot = last.hasSurface ? DPOINT3(last.surface.general.vertex[0], last.surface.general.vertex[1],
                                          last.surface.general.vertex[2])
                                : vertex;
  carry.turn = reach.turn;
  const double ux = std::cos(tilt);
  const double uy = std::sin(tilt);
  const double along = (carry.pivot.x - vertex.x) * ux + (carry.pivot.y - vertex.y) * uy;
  if (reach.turn != 0.0)
    carry.across = DPOINT3(carry.pivot.x - vertex.x - along * ux, carry.pivot.y - vertex.y - along * uy, 0.0);
  return carry;
}

bool GlassAfter(const TSurface &s) { return !IsAirGlass(s.general.glass) && !IsMirrorSurface(s); }

// Where the new element stands in the surface order: `at` the index of its placed surface,
// or, at the click, before anything is built (`held` 0), of the surface that will follow it.
struct TPlace {
  int at = 0;
  int held = 1;
};

// Every surface but the object plane and a placed one, where it stands in configuration k
// once the element is built: those after the element carried by it, an image plane that
// directly follows it never in front of its last vertex. Numbered as the tables number them
// before the placement.
// `sampled` holds every surface sampled where it stands now.
TSampledBody StandingSurfaces(const TSystemImage &system, const TPlace &place, int k, const TCarry &carry, double leaving,
                              const std::vector<TSampledFace> &sampled) {
  TSampledBody body;
  const int n = system.SurfaceCount();
  for (int j = 1; j < n; ++j) {
    const TSurface *s = system.Surface(j);
    if (s == nullptr || (place.held != 0 && j == place.at)) continue;
    TSampledFace face(sampled[j]);
    const DPOINT3 shift = ConfigurationShift(system, j, k);
    if (j < place.at) {
      face.Move(shift, carry.pivot, 0.0);
    } else {
      face.Move(DPOINT3(shift.x + carry.across.x, shift.y + carry.across.y, shift.z + carry.across.z), carry.pivot, carry.turn);
      if (j == n - 1 && j == place.at + place.held) {
        // The building puts the image plane behind the element where it stands in the
        // configuration shown; every other configuration's image plane takes that same move.
        const double ux = std::cos(leaving);
        const double uy = std::sin(leaving);
        TSampledFace shown(sampled[j]);
        shown.Move(carry.across, carry.pivot, carry.turn);
        const double *v = shown.surface.general.vertex;
        const double along = (v[0] - carry.pivot.x) * ux + (v[1] - carry.pivot.y) * uy;
        if (along < 0.0) face.Move(DPOINT3(-2.0 * along * ux, -2.0 * along * uy, 0.0), carry.pivot, 0.0);
      }
    }
    const bool glass = j + 1 < n && j + 1 != place.at && GlassAfter(*s);
    body.Add(std::move(face), j < place.at ? j + 1 : j + 1 - place.held, glass);
  }
  return body;
}

// A surface after the placed one that the building moves (carried by a turn, an image plane
// put behind the element), with the face after it where glass lies between, against the
// surfaces before the element, which stay: the deepest crossing the move makes, beyond any
// that stood before it. `moved` takes the moved surface's number (as the tables number it
// before the placement).
TBodyCrossing MovedCrossing(const TSystemImage &system, const TPlace &place, int k, const TCarry &carry, double leaving,
                            const std::vector<TSampledFace> &sampled, int &moved) {
  TBodyCrossing worst;
  const int n = system.SurfaceCount();
  TSampledBody now = StandingSurfaces(system, place, k, TCarry{carry.pivot, DPOINT3(), 0.0}, leaving, sampled);
  TSampledBody after = StandingSurfaces(system, place, k, carry, leaving, sampled);
  // StandingSurfaces puts an image plane directly behind the element in both: where it stands
  // now is where it stands before the move.
  if (place.at + place.held == n - 1 && !now.faces.empty()) {
    now.faces.back() = sampled[n - 1];
    now.faces.back().Move(ConfigurationShift(system, n - 1, k), carry.pivot, 0.0);
  }
  TSampledBody staying;
  size_t first = 0;
  for (; first < after.faces.size() && after.numbers[first] <= place.at; ++first)
    staying.Add(now.faces[first], now.numbers[first], now.glassAfter[first] && after.numbers[first] < place.at);
  for (size_t i = first; i < after.faces.size(); ++i) {
    const TSampledFace &a = after.faces[i];
    const TSampledFace &b = now.faces[i];
    if (a.surface.general.vertex[0] == b.surface.general.vertex[0] &&
        a.surface.general.vertex[1] == b.surface.general.vertex[1] &&
        a.surface.general.angles[2] == b.surface.general.angles[2])
      continue;
    TSampledBody there;
    TSampledBody here;
    const bool glass = after.glassAfter[i] && i + 1 < after.faces.size();
    there.Add(a, after.numbers[i], glass);
    here.Add(b, after.numbers[i], glass);
    if (glass) {
      there.Add(after.faces[i + 1], after.numbers[i + 1], false);
      here.Add(now.faces[i + 1], after.numbers[i + 1], false);
    }
    const TBodyCrossing made = BodyCrossing(there, staying, kSlack);
    if (made.depth <= BodyCrossing(here, staying, kSlack).depth + kSlack || made.depth <= worst.depth) continue;
    worst = made;
    moved = after.numbers[i];
  }
  return worst;
}

// The new element against every surface it would reach in space, wherever that stands in
// the surface order, in every configuration: "" when it crosses none.
std::string SpaceRoom(TSystemImage &system, const TPlace &place, const DPOINT3 &vertex, double tilt, const TElementReach &reach) {
  if (reach.faces.empty()) return std::string();
  TSampledBody element;
  for (const TSampledFace &face : reach.faces)
    element.Add(face, 0, face.hasSurface && GlassAfter(face.surface));
  const TCarry carry = CarryOf(vertex, tilt, reach, reach.faces);
  std::vector<TSampledFace> sampled(system.SurfaceCount());
  for (int j = 1; j < system.SurfaceCount(); ++j)
    if ((place.held == 0 || j != place.at) && system.Surface(j) != nullptr) sampled[j] = TSampledFace(*system.Surface(j));
  // The deepest crossing `judge` finds over the configurations; worstConfiguration -1: none.
  TBodyCrossing worst;
  int worstConfiguration = -1;
  const auto deepest = [&](const auto &judge) {
    for (int k = 0; k < std::max(1, system.ConfigurationCount()); ++k) {
      const int shown = system.ConfigurationCount() < 1 ? system.currentConfiguration : k;
      const TBodyCrossing here = judge(shown);
      if (here.depth > worst.depth) {
        worst = here;
        worstConfiguration = shown;
      }
    }
  };
  deepest([&](int shown) {
    return BodyCrossing(element, StandingSurfaces(system, place, shown, carry, tilt + reach.turn, sampled), kSlack);
  });
  if (worstConfiguration < 0) {
    // What the element moves must stand clear of what stays.
    int moved = 0;
    deepest([&](int shown) {
      int surface = 0;
      const TBodyCrossing here = MovedCrossing(system, place, shown, carry, tilt + reach.turn, sampled, surface);
      if (here.depth > worst.depth) moved = surface;
      return here;
    });
    if (worstConfiguration < 0) return std::string();
    const std::string where = InConfiguration(system, worstConfiguration);
    char text[512];
    std::snprintf(text, sizeof text,
                  "%sThe new element would move surface %d%s into surface %d, which stays where it is: they would "
                  "cross by %.2f mm (x %.2f, y %.2f, z %.2f mm). Place the element where what follows it stays "
                  "clear.",
                  where.c_str(), moved, moved == system.SurfaceCount() - 1 ? " (the image plane)" : "", worst.number, worst.depth,
                  worst.at.x, worst.at.y, worst.at.z);
    return text;
  }
  const std::string where = InConfiguration(system, worstConfiguration);
  const double across = -(worst.at.x - vertex.x) * std::sin(tilt) + (worst.at.y - vertex.y) * std::cos(tilt);
  const double height = std::hypot(across, worst.at.z - vertex.z);
  char text[512];
  std::snprintf(text, sizeof text,
                "%sThe new element would cross surface %d where they stand in space, by %.2f mm, at a height of "
                "%.2f mm from its axis (x %.2f, y %.2f, z %.2f mm): it needs %.2f mm more room there. Place it "
                "clear of that surface, or make it smaller.",
                where.c_str(), worst.number, worst.depth, height, worst.at.x, worst.at.y, worst.at.z, worst.depth);
  return text;
}

// The check shared by the click and the built element: `following` is the index of the
// surface after the element (-1: none but the image plane).
std::string RoomBetween(TSystemImage &system, int preceding, int following, const DPOINT3 &vertex, double tilt,
                        const TElementReach &reach) {
  const TSurface *previous = system.Surface(preceding);
  if (previous == nullptr) return std::string();
  const double ux = std::cos(tilt);
  const double uy = std::sin(tilt);
  const auto along = [ux, uy](const double *from, const DPOINT3 &to) {
    return (to.x - from[0]) * ux + (to.y - from[1]) * uy;
  };
  const TSurface *next = following >= 0 && following < system.SurfaceCount() - 1 ? system.Surface(following) : nullptr;
  const std::vector<TSampledFace> faces = reach.faces.empty() ? std::vector<TSampledFace>{TSampledFace(vertex)} : reach.faces;
  const DPOINT3 pivot = faces.back().hasSurface
                            ? DPOINT3(faces.back().surface.general.vertex[0], faces.back().surface.general.vertex[1],
                                      faces.back().surface.general.vertex[2])
                            : vertex;
  // An element that turns the beam carries what follows about its last vertex, and across
  // until the line the chief ray took through the placed vertex passes through that vertex
  // (as the chief ray leaves a mirror or a prism at minimum deviation): before the turn,
  // that is a shift across the placed direction by the last vertex's offset from the line.
  const double pivotAlong = (pivot.x - vertex.x) * ux + (pivot.y - vertex.y) * uy;
  const DPOINT3 across = reach.turn != 0.0 ? DPOINT3(pivot.x - vertex.x - pivotAlong * ux,
                                                     pivot.y - vertex.y - pivotAlong * uy, 0.0)
                                           : DPOINT3();
  const double before = along(previous->general.vertex, vertex);
  // What follows a turning element must stand beyond its last vertex, which it turns about.
  const double after =
      next != nullptr ? -along(next->general.vertex, vertex) - (reach.turn != 0.0 ? pivotAlong : 0.0) : 0.0;
  const int precedingNumber = preceding + 1;
  const int followingNumber = preceding + 2;
  char text[768];
  if (before < 0.0) {
    std::snprintf(text, sizeof text,
                  "The new element would stand %.2f mm in front of surface %d, which it follows: the gap "
                  "before it would be negative. Place it behind surface %d.",
                  -before, precedingNumber, precedingNumber);
    return text;
  }
  if (next != nullptr && after < 0.0) {
    std::snprintf(text, sizeof text,
                  "The new element would stand %.2f mm behind surface %d, which follows it: the gap after "
                  "it would be negative. Place it between surfaces %d and %d.",
                  -after, followingNumber, precedingNumber, followingNumber);
    return text;
  }
  const double leaving = tilt + reach.turn;
  // Every configuration, each with its neighbours where they stand there.
  const int count = std::max(1, system.ConfigurationCount());
  TCrossing worst;
  int worstConfiguration = -1;
  for (int k = 0; k < count; ++k) {
    const int shown = system.ConfigurationCount() < 1 ? system.currentConfiguration : k;
    TCrossing here;
    for (const TNeighbourFace &a : NeighbourFaces(system, preceding, shown, precedingNumber, pivot, 0.0, true))
      for (const TSampledFace &face : faces)
        here.Judge(-FaceClearance(a.face, face, tilt, vertex, nullptr), a.number, here.crossingAhead);
    if (next != nullptr) {
      for (const TNeighbourFace &b : NeighbourFaces(system, following, shown, followingNumber, pivot, reach.turn, false, across))
        for (const TSampledFace &face : faces)
          here.Judge(-FaceClearance(face, b.face, leaving, pivot, nullptr), b.number, here.crossingBehind);
    }
    if (here.depth > kSlack && here.depth > worst.depth) {
      worst = here;
      worstConfiguration = shown;
    }
  }
  if (worstConfiguration < 0) return std::string();
  const std::string where = InConfiguration(system, worstConfiguration);
  // The vertices where they stand in that configuration.
  const DPOINT3 shiftAhead = ConfigurationShift(system, preceding, worstConfiguration);
  const double beforeThere = before - (shiftAhead.x * ux + shiftAhead.y * uy);
  const double frontReach = std::max(0.0, -reach.front);
  const double backReach = std::max(0.0, reach.back);
  if (next == nullptr) {
    std::snprintf(text, sizeof text,
                  "%sThe new element reaches %.2f mm in front of its vertex: standing %.2f mm behind surface %d, "
                  "its faces would cross that surface by %.2f mm. Place it at least %.2f mm behind surface %d.",
                  where.c_str(), frontReach, beforeThere, precedingNumber, worst.depth, beforeThere + worst.crossingAhead,
                  precedingNumber);
    return text;
  }
  const DPOINT3 shiftBehind = ConfigurationShift(system, following, worstConfiguration);
  // The path along the beam from vertex to vertex: to the element's last vertex along the
  // placed direction, from there along the direction it leaves in, which the turn about that
  // vertex makes of the placed direction.
  const double *nextVertex = next->general.vertex;
  const double fromPivot = (nextVertex[0] + shiftBehind.x - pivot.x) * ux + (nextVertex[1] + shiftBehind.y - pivot.y) * uy;
  const double gap = beforeThere + pivotAlong + fromPivot;
  // The room between the neighbours' faces where the element stands, for an element that
  // goes straight on.
  char faceRoom[96] = "";
  if (reach.turn == 0.0) {
    TSampledFace ahead(*previous);
    ahead.Move(shiftAhead, pivot, 0.0);
    TSampledFace behind(*next);
    behind.Move(shiftBehind, pivot, 0.0);
    double height = 0.0;
    const double room = RoomAcross(ahead, behind, faces, tilt, vertex, height);
    if (std::isfinite(room))
      std::snprintf(faceRoom, sizeof faceRoom, " and %.2f mm between their faces at a height of %.2f mm", room, height);
  }
  std::snprintf(text, sizeof text,
                "%sThe new element needs %.2f mm along the beam (%.2f mm in front of its vertex, %.2f mm behind it), "
                "but the gap between surfaces %d and %d is %.2f mm from vertex to vertex%s: standing %.2f mm "
                "behind surface %d, its faces would cross surface %d by %.2f mm. There it needs a gap of at least "
                "%.2f mm from vertex to vertex. Place it in such a gap, or make it smaller.",
                where.c_str(), frontReach + backReach, frontReach, backReach, precedingNumber, followingNumber, gap, faceRoom,
                beforeThere, precedingNumber, worst.number, worst.depth,
                gap + worst.crossingAhead + worst.crossingBehind);
  return text;
}

}  // namespace

TSurface FaceOf(const TGeneralParameters &g, double radius) {
  TSurface face;
  face.SetGeneralParameters(&g);
  face.SetRadius(radius);
  face.SetAngles(g.angles[0], g.angles[1], g.angles[2]);
  return face;
}

void AddFaceReach(const TInsertedElementInfo &info, const TSurface &face, TElementReach &reach) {
  reach.faces.emplace_back(face);
  FaceReachAlong(reach.faces.back(), info.tilt, info.position, reach.front, reach.back);
  // The vertex counts where the face holds no sample at all.
  const double *v = face.general.vertex;
  const double at = (v[0] - info.position.x) * std::cos(info.tilt) + (v[1] - info.position.y) * std::sin(info.tilt);
  reach.front = std::min(reach.front, at);
  reach.back = std::max(reach.back, at);
}

std::string PlacementRoom(TSystemImage &system, const TInsertedElementInfo &info, const TElementReach &reach) {
  std::string error = RoomBetween(system, info.precedingSurface, info.placedSurface + 1, info.position, info.tilt, reach);
  if (error.empty()) error = SpaceRoom(system, TPlace{info.placedSurface, 1}, info.position, info.tilt, reach);
  return error;
}

std::string PlacedSurfaceRoom(TSystemImage &system, const TInsertedElementInfo &info) {
  const TSurface *placed = system.Surface(info.placedSurface);
  if (placed == nullptr) return std::string();
  TElementReach reach;
  AddFaceReach(info, *placed, reach);
  return PlacementRoom(system, info, reach);
}

std::string PlacementCrossing(TSystemImage &system, int preceding, double x, double y) {
  if (system.Surface(preceding) == nullptr) return std::string();
  const DPOINT3 vertex = PlacedVertex(system, preceding, x, y);
  const double tilt = ChiefRayTilt(system, preceding);
  std::string error = RoomBetween(system, preceding, preceding + 1, vertex, tilt, TElementReach());
  // The vertex, all the element is yet, judged by the same check in space as the element built.
  TElementReach point;
  point.faces.emplace_back(vertex);
  if (error.empty()) error = SpaceRoom(system, TPlace{preceding + 1, 0}, vertex, tilt, point);
  return error;
}
