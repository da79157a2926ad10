#include "editor/insert/face_crossing.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "optics/model/ray.h"

namespace {

// The face's axis in system coordinates (the direction its sag is measured along).
DPOINT3 AxisOf(const TSampledFace &face) {
  if (!face.hasSurface) return DPOINT3(1.0, 0.0, 0.0);
  return face.surface.Rotate(DPOINT3(1.0, 0.0, 0.0), 1);
}

// Where the line through p along u meets the face within its bounds: the signed distance.
bool AlongAxis(const TSampledFace &face, const DPOINT3 &p, const DPOINT3 &u, double &along) {
  if (!face.hasSurface) return false;
  TCurrentRay ray(p.x, p.y, p.z);
  ray.L = u.x;
  ray.M = u.y;
  ray.N = u.z;
  ray.traceThrough = 1;
  if (face.surface.Trace(ray) != kRayPassed) return false;
  along = (ray.x - p.x) * u.x + (ray.y - p.y) * u.y + (ray.z - p.z) * u.z;
  return std::isfinite(along);
}

// The box around a face's samples, to pass over pairs that stand apart.
struct TBox {
  DPOINT3 low{1e300, 1e300, 1e300};
  DPOINT3 high{-1e300, -1e300, -1e300};
  void Add(const DPOINT3 &p) {
    low = DPOINT3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = DPOINT3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
  }
  bool Meets(const TBox &o, double slack) const {
    return low.x <= o.high.x + slack && o.low.x <= high.x + slack && low.y <= o.high.y + slack &&
           o.low.y <= high.y + slack && low.z <= o.high.z + slack && o.low.z <= high.z + slack;
  }
};

TBox BoxOf(const TSampledFace &face) {
  TBox box;
  for (const DPOINT3 &p : face.points) box.Add(p);
  return box;
}

void Deeper(TBodyCrossing &worst, double depth, int number, const DPOINT3 &at) {
  if (depth <= worst.depth) return;
  worst.depth = depth;
  worst.number = number;
  worst.at = at;
}

// The samples of `face` inside the glass between `front` and `back`: on the line along the
// front face's axis through the sample, one face stands on either side of it; or, for faces
// that are not parallel (a prism, where that line can leave by the base), on the line along
// the one joining the vertices (a prism's base runs so).
// The crossing is named for the glass's face the sample stands nearer to, which is the face
// it crosses by that depth.
void IntoGlass(const TSampledFace &face, const TSampledFace &front, const TSampledFace &back, int frontNumber,
               int backNumber, double slack, TBodyCrossing &worst) {
  const DPOINT3 u = AxisOf(front);
  const double *a = front.surface.general.vertex;
  const double *b = back.surface.general.vertex;
  DPOINT3 d(b[0] - a[0], b[1] - a[1], b[2] - a[2]);
  const double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  const DPOINT3 w = AxisOf(back);
  const bool wedge = front.hasSurface && back.hasSurface && length > 0.0 && w.x * u.x + w.y * u.y + w.z * u.z < 1.0 - 1e-12;
  if (wedge) d = DPOINT3(d.x / length, d.y / length, d.z / length);
  for (const DPOINT3 &p : face.points) {
    double depth = 0.0;
    int number = frontNumber;
    const auto nearer = [&](double toFront, double toBack) {
      if (std::min(toFront, toBack) <= depth) return;
      depth = std::min(toFront, toBack);
      number = toFront <= toBack ? frontNumber : backNumber;
    };
    double toFront = 0.0;
    double toBack = 0.0;
    if (AlongAxis(front, p, u, toFront) && AlongAxis(back, p, u, toBack) && toFront * toBack < 0.0)
      nearer(std::fabs(toFront), std::fabs(toBack));
    if (wedge && AlongAxis(front, p, d, toFront) && toFront < 0.0 && AlongAxis(back, p, d, toBack) && toBack > 0.0)
      nearer(-toFront, toBack);
    if (depth > slack) Deeper(worst, depth, number, p);
  }
}

// The samples of `face` on both sides of `across` along its axis: the faces cross there by
// the lesser of the two reaches; the sample nearest `across` stands where they cross.
void Through(const TSampledFace &face, const TSampledFace &across, int number, double slack, TBodyCrossing &worst) {
  const DPOINT3 u = AxisOf(across);
  double ahead = 0.0;
  double behind = 0.0;
  double nearest = 1e300;
  DPOINT3 at;
  for (const DPOINT3 &p : face.points) {
    double along = 0.0;
    if (!AlongAxis(across, p, u, along)) continue;
    ahead = std::max(ahead, along);
    behind = std::max(behind, -along);
    if (std::fabs(along) < nearest) {
      nearest = std::fabs(along);
      at = p;
    }
  }
  const double depth = std::min(ahead, behind);
  if (depth > slack) Deeper(worst, depth, number, at);
}

}  // namespace

void TSampledBody::Add(TSampledFace face, int number, bool glass) {
  faces.push_back(std::move(face));
  numbers.push_back(number);
  glassAfter.push_back(glass);
}

TBodyCrossing BodyCrossing(const TSampledBody &body, const TSampledBody &other, double slack) {
  TBodyCrossing worst;
  std::vector<TBox> own;
  std::vector<TBox> theirs;
  for (const TSampledFace &f : body.faces) own.push_back(BoxOf(f));
  for (const TSampledFace &f : other.faces) theirs.push_back(BoxOf(f));
  const auto slabBox = [](const std::vector<TBox> &boxes, size_t i) {
    TBox box = boxes[i];
    box.Add(boxes[i + 1].low);
    box.Add(boxes[i + 1].high);
    return box;
  };
  for (size_t j = 0; j < other.faces.size(); ++j) {
    const int number = other.numbers[j];
    for (size_t i = 0; i < body.faces.size(); ++i) {
      if (!own[i].Meets(theirs[j], slack)) continue;
      Through(other.faces[j], body.faces[i], number, slack, worst);
      Through(body.faces[i], other.faces[j], number, slack, worst);
    }
    // The other body's face inside this body's glass, and this body's faces inside the
    // other's glass that follows face j.
    for (size_t i = 0; i + 1 < body.faces.size(); ++i)
      if (body.glassAfter[i] && slabBox(own, i).Meets(theirs[j], slack))
        IntoGlass(other.faces[j], body.faces[i], body.faces[i + 1], number, number, slack, worst);
    if (j + 1 < other.faces.size() && other.glassAfter[j]) {
      const TBox glass = slabBox(theirs, j);
      for (size_t i = 0; i < body.faces.size(); ++i)
        if (glass.Meets(own[i], slack))
          IntoGlass(body.faces[i], other.faces[j], other.faces[j + 1], number, other.numbers[j + 1], slack, worst);
    }
  }
  return worst;
}
