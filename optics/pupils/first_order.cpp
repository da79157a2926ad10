// First-order constants from two close rays parallel to the axis: the focal length from the
// angle between them behind the system, the back focal distance from where they cross, and
// the magnification from two close field points.

#include <cmath>

#include "optics/model/optical_system.h"
#include "optics/pupils/pupil_support.h"
#include "optics/trace/image_coordinate.h"

namespace {

// Field step of the two rays that give the magnification.
constexpr double kFieldStep = 0.0001;

// A ray's place and direction behind the system (global, in space: a surface turned about
// y or decentred in z sends the pair out of the drawing plane).
struct TRayEnd {
  double x, y, z, L, M, N;
};

TRayEnd EndOf(const TIntersectionPoint &p) { return {p.x, p.y, p.z, p.L, p.M, p.N}; }

// +1 when the direction cosines in the hit list point the way the light runs, -1 when they
// point back along it. A system turned round keeps its vertices, so its starting rays point
// away from the surfaces they meet and are traced along the same lines backwards; the sense
// of the turn between the two rays, and of the back focus, must follow the light.
double TravelSense(const Mem<TIntersectionPoint> &hits, int n) {
  if (n < 3 || hits.data == nullptr || hits.cols * hits.rows < n - 1) return 1.0;
  const TIntersectionPoint &from = hits.data[n - 3];
  const TIntersectionPoint &to = hits.data[n - 2];
  if (from.x == kHitListEnd || to.x == kHitListEnd) return 1.0;
  const double along =
      (to.x - from.x) * from.L + (to.y - from.y) * from.M + (to.z - from.z) * from.N;
  return along < 0.0 ? -1.0 : 1.0;
}

TRayEnd EndOf(const Mem<TIntersectionPoint> &hits, int n) {
  TRayEnd end = EndOf(hits.data[n - 2]);
  const double sense = TravelSense(hits, n);
  end.L *= sense;
  end.M *= sense;
  end.N *= sense;
  return end;
}

bool Usable(int status) {
  return status == kRayPassed || status == kRayOutsideAperture || status == kRayObscured;
}

// The two starting rays of the focal length: on the axis and at height h in the pupil, both
// parallel to the axis whatever the object distance of the system.
void MakeParallelPair(TOpticalSystem &system, double h, TCurrentRay &a, TCurrentRay &b) {
  const int objectFinite = system.info.ObjectFinite;
  const int imageFinite = system.info.ImageFinite;
  system.info.ObjectFinite = 0;
  system.info.ImageFinite = 1;
  // Pupil offsets that cancel the chief ray's crossing put ray a on the axis.
  const double ey = system.info.entrancePupilPoint[1];
  const double ez = system.info.entrancePupilPoint[2];
  a = system.MakeRay(0.0, 0.0, -ey, -ez);
  b = system.MakeRay(0.0, 0.0, h - ey, -ez);
  system.info.ObjectFinite = objectFinite;
  system.info.ImageFinite = imageFinite;
}

// Focal length and back focal distance from the two rays after surface n - 2. Ray b starts
// h off ray a in y: the constants are those of that section, whichever way the system turns
// the pair, so every product runs over all three components.
void ConstantsFromPair(TOpticalSystem &system, const TRayEnd &a, const TRayEnd &b, double h) {
  TOpticalSystemInformation &in = system.info;
  const double c = a.L * b.L + a.M * b.M + a.N * b.N;
  const double sine2 = 1.0 - c * c;
  if (sine2 >= kRayZero) {
    const double turn = (a.x - b.x) * (b.L - a.L) + (a.y - b.y) * (b.M - a.M) + (a.z - b.z) * (b.N - a.N);
    in.focalLength = (turn < 0.0 ? -1.0 : 1.0) * c / std::sqrt(sine2) * h;
  } else {
    in.focalLength = 0.0;
  }

  // Where the two rays cross: the point of ray a nearest to ray b, a.p + s a.d with
  // s = ((b.p - a.p) . (a.d - c b.d)) / (1 - c^2), which holds for a beam turned onto any
  // direction (L = 0 behind a fold mirror) and out of the drawing plane alike.
  if (sine2 >= kRayZero) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    const double s =
        (dx * (a.L - c * b.L) + dy * (a.M - c * b.M) + dz * (a.N - c * b.N)) / sine2;
    const double X = a.x + s * a.L, Y = a.y + s * a.M, Z = a.z + s * a.N;
    const int n = system.SurfaceCount();
    const double *v = system.Surface(n - 2)->general.vertex;
    const double distance = std::sqrt((X - v[0]) * (X - v[0]) + (Y - v[1]) * (Y - v[1]) + (Z - v[2]) * (Z - v[2]));
    in.backFocalDistance = (X - v[0]) * a.L + (Y - v[1]) * a.M + (Z - v[2]) * a.N < 0.0 ? -distance : distance;
  } else {
    in.backFocalDistance = 0.0;
  }
}

// Magnification: angular with both conjugates at infinity, lateral with both finite.
void Magnification(TOpticalSystem &system) {
  TOpticalSystemInformation &in = system.info;
  const bool objectAtInfinity = in.ObjectFinite == 0;
  const bool imageAtInfinity = in.ImageFinite == 0;
  if (objectAtInfinity != imageAtInfinity) {
    in.magnification = 0.0;
    return;
  }
  TCurrentRay a = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  TCurrentRay b = system.MakeRay(kFieldStep, 0.0, 0.0, 0.0);
  a.traceThrough = 1;
  b.traceThrough = 1;
  if (objectAtInfinity) {
    in.magnification =
        in.exitPupilDiameter != 0.0 ? in.entrancePupilDiameter / in.exitPupilDiameter : 0.0;
    const double pa[3] = {a.x, a.y, a.z}, da[3] = {a.L, a.M, a.N};
    const double pb[3] = {b.x, b.y, b.z}, db[3] = {b.L, b.M, b.N};
    const TIntersectionPoint la = system.ToSurfaceFrame(0, pa, da);
    const TIntersectionPoint lb = system.ToSurfaceFrame(0, pb, db);
    const double u = ImageAngle(la.M, la.L) - ImageAngle(lb.M, lb.L);
    system.TraceRay(a, kTracePlain, nullptr, 0);
    system.TraceRay(b, kTracePlain, nullptr, 0);
    if ((Usable(a.status) || Usable(b.status)) && a.L != 0.0 && b.L != 0.0 && u != 0.0) {
      const double m = (ImageAngle(a.M, a.L) - ImageAngle(b.M, b.L)) / u;
      if (m != 0.0 && std::isfinite(m)) {
        in.magnification = m;
        in.exitPupilDiameter = std::fabs(in.entrancePupilDiameter / m);
      }
    }
    return;
  }
  const double pa[3] = {a.x, a.y, a.z}, da[3] = {a.L, a.M, a.N};
  const double pb[3] = {b.x, b.y, b.z}, db[3] = {b.L, b.M, b.N};
  const double difference = system.ToSurfaceFrame(0, pb, db).y - system.ToSurfaceFrame(0, pa, da).y;
  system.TraceRay(a, kTracePlain, nullptr, 0);
  system.TraceRay(b, kTracePlain, nullptr, 0);
  in.magnification = std::fabs(difference) < kRayZero ? 0.0 : (b.y - a.y) / difference;
}

}  // namespace

namespace {

// A hit this close to a vertex (mm), and along its axis (direction cosines), is on the axis.
constexpr double kOnAxis = 1e-9;

// Whether the axial ray meets every curved surface at its vertex along its axis: the paraxial
// trace follows such a centred system, turned, moved or folded as a whole. A curved surface
// turned or moved against the others leaves the constants to the real pair.
bool AxialRayCentred(const TOpticalSystem &system, const Mem<TIntersectionPoint> &hits, int last) {
  for (int i = 0; i <= last && i < hits.Cells(); ++i) {
    const TGeneralParameters &g = system.Surface(i)->general;
    if (g.type == kSurfacePlane || g.R == 0.0) continue;
    const TIntersectionPoint &h = hits.data[i];
    const double p[3] = {h.x, h.y, h.z}, d[3] = {h.L, h.M, h.N};
    const TIntersectionPoint local = system.ToSurfaceFrame(i, p, d);
    const double reach = kOnAxis * (1.0 + std::fabs(g.R));
    if (std::fabs(local.y) > reach || std::fabs(local.z) > reach || std::fabs(local.M) > kOnAxis ||
        std::fabs(local.N) > kOnAxis)
      return false;
  }
  return true;
}

}  // namespace

int TOpticalSystem::FirstOrderParaxial() {
  const int n = SurfaceCount();
  if (n < 2 || !AllSurfacesPresent(*this)) return -1;
  const double h = 0.01 * SemiHeight(*this, 1);
  TCurrentRay a, b;
  MakeParallelPair(*this, h, a, b);
  Mem<TIntersectionPoint> hitsA, hitsB;
  const int tracedA = TraceRange(a, 0, n - 2, &hitsA);
  if (!TraceRange(b, 0, n - 2, &hitsB) || !tracedA) return -1;
  if (hitsA.cols * hitsA.rows < n - 1 || hitsB.cols * hitsB.rows < n - 1) return -1;
  if (!AxialRayCentred(*this, hitsA, n - 2)) return FirstOrderReal();
  ConstantsFromPair(*this, EndOf(hitsA, n), EndOf(hitsB, n), h);
  Magnification(*this);
  return 1;
}

int TOpticalSystem::FirstOrderReal() {
  const int n = SurfaceCount();
  if (n < 2 || !AllSurfacesPresent(*this)) return -1;
  const double h = std::fmin(0.01 * info.entrancePupilDiameter, 0.01 * SemiHeight(*this, 1));
  TCurrentRay a, b, axial, below;
  MakeParallelPair(*this, h, a, b);
  MakeParallelPair(*this, -h, axial, below);
  a.traceThrough = 1;
  b.traceThrough = 1;
  below.traceThrough = 1;
  // Both rays are read where they leave surface n - 2, as in the paraxial variant: at the
  // image plane, near the focus, the sense of the turn between them is lost.
  Mem<TIntersectionPoint> hitsA, hitsB, hitsBelow;
  TraceRay(a, kTracePlainGlobal, &hitsA, 0);
  TraceRay(b, kTracePlainGlobal, &hitsB, 0);
  if (!Usable(a.status) || !Usable(b.status)) return -1;
  if (hitsA.cols * hitsA.rows < n - 1 || hitsB.cols * hitsB.rows < n - 1 ||
      hitsA.data[n - 2].x == kHitListEnd || hitsB.data[n - 2].x == kHitListEnd)
    return -1;
  ConstantsFromPair(*this, EndOf(hitsA, n), EndOf(hitsB, n), h);
  // A face turned or moved in the section bends the rays h above and h below the axial ray
  // unlike (a coma linear in h, 8e-4 of the back focus for a face turned 5 degrees): the mean
  // of the two pairs is the axial ray's own constant, as h goes to 0. A centred system gives
  // both pairs alike.
  TraceRay(below, kTracePlainGlobal, &hitsBelow, 0);
  if (Usable(below.status) && hitsBelow.cols * hitsBelow.rows >= n - 1 && hitsBelow.data[n - 2].x != kHitListEnd) {
    const double focal = info.focalLength, back = info.backFocalDistance;
    ConstantsFromPair(*this, EndOf(hitsA, n), EndOf(hitsBelow, n), h);
    const bool both = focal != 0.0 && info.focalLength != 0.0;
    info.focalLength = both ? 0.5 * (focal + info.focalLength) : focal;
    info.backFocalDistance = both ? 0.5 * (back + info.backFocalDistance) : back;
  }
  Magnification(*this);
  return 1;
}
