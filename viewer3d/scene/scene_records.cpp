#include "viewer3d/scene/scene_records.h"

#include <cmath>
#include <initializer_list>

namespace {

constexpr int kRoundElementFloats = 28;
constexpr int kRectElementFloats = 30;
constexpr int kLensFloats = 18;
constexpr int kRoundMirrorFloats = 18;
constexpr int kRectSlabFloats = 18;
constexpr int kSplitterCubeFloats = 17;
constexpr int kPrismFloats = 20;
constexpr int kWedgeFloats = 37;
constexpr int kPlacedLensFloats = 38;
constexpr int kRayHeader = 2;

float F(double value) { return static_cast<float>(value); }

TSceneRecord Start(int kind, const TElementPlacement &p, const DPOINT3 &low, const DPOINT3 &high,
                   std::initializer_list<double> shape) {
  TSceneRecord r;
  r.reserve(kRecordShape + shape.size());
  for (double v : {static_cast<double>(kind), p.angles.ax, p.angles.ay, p.angles.az,
                   p.position.x, p.position.y, p.position.z, low.x, low.y, low.z, high.x,
                   high.y, high.z})
    r.push_back(F(v));
  for (double v : shape) r.push_back(F(v));
  return r;
}

double At(const TSceneRecord &r, int i) { return r[static_cast<std::size_t>(i)]; }

bool LongEnough(const TSceneRecord &r, int floats) {
  return static_cast<int>(r.size()) >= floats;
}

void ReadRoundFace(const TSceneRecord &r, int first, TRoundFace &f) {
  f.R = At(r, first);
  f.e = At(r, first + 1);
  f.D = At(r, first + 2);
  f.Di = At(r, first + 3);
  f.F = At(r, first + 4);
  f.Fi = At(r, first + 5);
  f.kind = RecordInt(r[static_cast<std::size_t>(first + 6)]);
}

void ReadRectFace(const TSceneRecord &r, int first, TRectFace &f) {
  f.R = At(r, first);
  f.W = At(r, first + 1);
  f.H = At(r, first + 2);
  f.Wi = At(r, first + 3);
  f.Hi = At(r, first + 4);
  f.F = At(r, first + 5);
  f.Fi = At(r, first + 6);
  f.kind = RecordInt(r[static_cast<std::size_t>(first + 7)]);
}

}  // namespace

TSceneRecord RoundElementRecord(const TElementPlacement &p, const TRoundFace &a,
                                const TRoundFace &b, double L) {
  DPOINT3 low, high;
  RoundElementBox(a, b, L, low, high);
  return Start(kRoundElementKind, p, low, high,
               {a.R, a.e, a.D, a.Di, a.F, a.Fi, static_cast<double>(a.kind), b.R, b.e, b.D, b.Di,
                b.F, b.Fi, static_cast<double>(b.kind), L});
}

TSceneRecord RectElementRecord(const TElementPlacement &p, const TRectFace &a,
                               const TRectFace &b, double L) {
  DPOINT3 low, high;
  RectElementBox(a, b, L, low, high);
  return Start(kRectElementKind, p, low, high,
               {a.R, a.W, a.H, a.Wi, a.Hi, a.F, a.Fi, static_cast<double>(a.kind), b.R, b.W,
                b.H, b.Wi, b.Hi, b.F, b.Fi, static_cast<double>(b.kind), L});
}

TSceneRecord LensRecord(const TElementPlacement &p, const TLensShape &lens) {
  DPOINT3 low, high;
  LensBox(lens, low, high);
  return Start(kLensKind, p, low, high, {lens.R1, lens.R2, lens.D, lens.T, lens.b});
}

TSceneRecord RoundMirrorRecord(const TElementPlacement &p, const TRoundMirrorShape &m) {
  DPOINT3 low, high;
  RoundMirrorBox(m, low, high);
  return Start(kRoundMirrorKind, p, low, high, {m.R, m.D, m.T, m.Dh, m.b});
}

TSceneRecord RectPlateRecord(const TElementPlacement &p, const TRectSlab &s) {
  DPOINT3 low, high;
  RectPlateBox(s, low, high);
  return Start(kRectPlateKind, p, low, high, {s.W, s.H, s.T, s.c, s.e});
}

TSceneRecord RectMirrorRecord(const TElementPlacement &p, const TRectSlab &s) {
  DPOINT3 low, high;
  RectMirrorBox(s, low, high);
  return Start(kRectMirrorKind, p, low, high, {s.W, s.H, s.T, s.c, s.e});
}

TSceneRecord SplitterCubeRecord(const TElementPlacement &p, const TRectSlab &s) {
  DPOINT3 low, high;
  SplitterCubeBox(s, low, high);
  return Start(kSplitterCubeKind, p, low, high, {s.W, s.H, s.T, s.c});
}

TSceneRecord PrismRecord(const TElementPlacement &p, const TPrismShape &prism, int i1, int i2,
                         int i3) {
  DPOINT3 low, high;
  PrismBox(prism, low, high);
  return Start(kPrismKind, p, low, high,
               {prism.a, prism.b, prism.w, prism.gamma, static_cast<double>(i1),
                static_cast<double>(i2), static_cast<double>(i3)});
}

TSceneRecord WedgeRecord(const TElementPlacement &p, const TWedgeShape &w) {
  DPOINT3 low, high;
  WedgeBox(w, low, high);
  TSceneRecord r = Start(kWedgeKind, p, low, high, {});
  for (const DPOINT3 &c : w.corners)
    for (double v : {c.x, c.y, c.z}) r.push_back(F(v));
  return r;
}

TSceneRecord PlacedLensRecord(const TElementPlacement &p, const TPlacedLensShape &l) {
  DPOINT3 low, high;
  PlacedLensBox(l, low, high);
  const TRoundFace &a = l.face1, &b = l.face2;
  return Start(kPlacedLensKind, p, low, high,
               {a.R, a.e, a.D, a.Di, static_cast<double>(a.kind), l.W[0], l.Wi[0], b.R, b.e, b.D, b.Di,
                static_cast<double>(b.kind), l.W[1], l.Wi[1], l.vertex2.x, l.vertex2.y, l.vertex2.z, l.axis2.x,
                l.axis2.y, l.axis2.z, l.across2.x, l.across2.y, l.across2.z, l.ellipse[0] ? 1.0 : 0.0,
                l.ellipse[1] ? 1.0 : 0.0});
}

TSceneRecord RayRecord(const std::vector<DPOINT3> &points, int color) {
  TSceneRecord r;
  r.reserve(kRayHeader + 3 * points.size());
  r.push_back(static_cast<float>(points.size()));
  r.push_back(static_cast<float>(color));
  for (const DPOINT3 &q : points) {
    r.push_back(F(q.x));
    r.push_back(F(q.y));
    r.push_back(F(q.z));
  }
  return r;
}

int RecordInt(float value) {
  // Beyond an int's range (or not a number) the cast is undefined; such a field is 0.
  if (!(std::fabs(value) < 2147483520.0f)) return 0;
  return static_cast<int>(value);
}

int RecordKind(const TSceneRecord &record) {
  return LongEnough(record, kRecordShape) ? RecordInt(record[kRecordKind]) : 0;
}

TElementPlacement RecordPlacement(const TSceneRecord &r) {
  TElementPlacement p;
  if (!LongEnough(r, kRecordShape)) return p;
  p.angles = DANGLE3(At(r, kRecordAngles), At(r, kRecordAngles + 1), At(r, kRecordAngles + 2));
  p.position = DPOINT3(At(r, kRecordPosition), At(r, kRecordPosition + 1),
                       At(r, kRecordPosition + 2));
  return p;
}

void RecordBox(const TSceneRecord &r, DPOINT3 &low, DPOINT3 &high) {
  if (!LongEnough(r, kRecordShape)) {
    low = high = DPOINT3();
    return;
  }
  low = DPOINT3(At(r, kRecordBoxLow), At(r, kRecordBoxLow + 1), At(r, kRecordBoxLow + 2));
  high = DPOINT3(At(r, kRecordBoxHigh), At(r, kRecordBoxHigh + 1), At(r, kRecordBoxHigh + 2));
}

bool ReadRoundElement(const TSceneRecord &r, TRoundFace &a, TRoundFace &b, double &L) {
  if (!LongEnough(r, kRoundElementFloats)) return false;
  ReadRoundFace(r, kRecordShape, a);
  ReadRoundFace(r, kRecordShape + 7, b);
  L = At(r, kRecordShape + 14);
  return true;
}

bool ReadRectElement(const TSceneRecord &r, TRectFace &a, TRectFace &b, double &L) {
  if (!LongEnough(r, kRectElementFloats)) return false;
  ReadRectFace(r, kRecordShape, a);
  ReadRectFace(r, kRecordShape + 8, b);
  L = At(r, kRecordShape + 16);
  return true;
}

bool ReadLens(const TSceneRecord &r, TLensShape &lens) {
  if (!LongEnough(r, kLensFloats)) return false;
  lens = TLensShape{At(r, 13), At(r, 14), At(r, 15), At(r, 16), At(r, 17)};
  return true;
}

bool ReadRoundMirror(const TSceneRecord &r, TRoundMirrorShape &m) {
  if (!LongEnough(r, kRoundMirrorFloats)) return false;
  m = TRoundMirrorShape{At(r, 13), At(r, 14), At(r, 15), At(r, 16), At(r, 17)};
  return true;
}

bool ReadRectSlab(const TSceneRecord &r, TRectSlab &s) {
  if (!LongEnough(r, kSplitterCubeFloats)) return false;
  s = TRectSlab{At(r, 13), At(r, 14), At(r, 15), At(r, 16),
                LongEnough(r, kRectSlabFloats) ? At(r, 17) : 0.0};
  return true;
}

bool ReadPrism(const TSceneRecord &r, TPrismShape &prism, int &i1, int &i2, int &i3) {
  if (!LongEnough(r, kPrismFloats)) return false;
  prism = TPrismShape{At(r, 13), At(r, 14), At(r, 15), At(r, 16)};
  i1 = RecordInt(r[17]);
  i2 = RecordInt(r[18]);
  i3 = RecordInt(r[19]);
  return true;
}

int RayPointCount(const TSceneRecord &ray) {
  if (ray.size() < kRayHeader) return 0;
  const int m = RecordInt(ray[0]);
  if (m < 0 || ray.size() < kRayHeader + 3 * static_cast<std::size_t>(m)) return 0;
  return m;
}

DPOINT3 RayPoint(const TSceneRecord &ray, int k) {
  const std::size_t i = kRayHeader + 3 * static_cast<std::size_t>(k);
  return DPOINT3(ray[i], ray[i + 1], ray[i + 2]);
}

int RayColor(const TSceneRecord &ray) { return ray.size() < kRayHeader ? 0 : RecordInt(ray[1]); }

bool ReadWedge(const TSceneRecord &r, TWedgeShape &w) {
  if (!LongEnough(r, kWedgeFloats)) return false;
  for (int k = 0; k < 8; ++k) w.corners[k] = DPOINT3(At(r, 13 + 3 * k), At(r, 14 + 3 * k), At(r, 15 + 3 * k));
  return true;
}

bool ReadPlacedLens(const TSceneRecord &r, TPlacedLensShape &l) {
  if (!LongEnough(r, kPlacedLensFloats)) return false;
  for (int k = 0; k < 2; ++k) {
    TRoundFace &f = k == 0 ? l.face1 : l.face2;
    const int first = kRecordShape + 7 * k;
    f = TRoundFace{};
    f.R = At(r, first);
    f.e = At(r, first + 1);
    f.D = At(r, first + 2);
    f.Di = At(r, first + 3);
    f.kind = RecordInt(r[static_cast<std::size_t>(first + 4)]);
    l.W[k] = At(r, first + 5);
    l.Wi[k] = At(r, first + 6);
  }
  l.vertex2 = DPOINT3(At(r, 27), At(r, 28), At(r, 29));
  // The directions as unit vectors again (the floats keep them to about 1e-7); a zero
  // across direction stays zero.
  const auto unit = [](const DPOINT3 &v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return length > 0.0 ? DPOINT3(v.x / length, v.y / length, v.z / length) : DPOINT3();
  };
  l.axis2 = unit(DPOINT3(At(r, 30), At(r, 31), At(r, 32)));
  l.across2 = unit(DPOINT3(At(r, 33), At(r, 34), At(r, 35)));
  l.ellipse[0] = At(r, 36) != 0.0;
  l.ellipse[1] = At(r, 37) != 0.0;
  return l.axis2.x != 0.0 || l.axis2.y != 0.0 || l.axis2.z != 0.0;
}
