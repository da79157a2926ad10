// Conversions between global placement and placement relative to another surface.
// A surface's frame has its origin at the vertex P and its axes are the columns of its tilt
// matrix M: a frame vector v is M·v in global axes, a global point Q is M^T·(Q - P) in it.

#include <cmath>

#include "foundation/numerics/pi.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"

namespace {

DPOINT3 Multiply(const double m[9], const DPOINT3 &v) {
  return DPOINT3(m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                 m[6] * v.x + m[7] * v.y + m[8] * v.z);
}

DPOINT3 MultiplyTransposed(const double m[9], const DPOINT3 &v) {
  return DPOINT3(m[0] * v.x + m[3] * v.y + m[6] * v.z, m[1] * v.x + m[4] * v.y + m[7] * v.z,
                 m[2] * v.x + m[5] * v.y + m[8] * v.z);
}

DPOINT3 Add(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x + b.x, a.y + b.y, a.z + b.z); }
DPOINT3 Sub(const DPOINT3 &a, const DPOINT3 &b) { return DPOINT3(a.x - b.x, a.y - b.y, a.z - b.z); }

DPOINT3 Vertex(const TSurface &s) {
  return DPOINT3(s.general.vertex[0], s.general.vertex[1], s.general.vertex[2]);
}

DPOINT3 Angles(const TSurface &s) {
  return DPOINT3(s.general.angles[0], s.general.angles[1], s.general.angles[2]);
}

}  // namespace

DPOINT3 RotatePoint(const DPOINT3 &centre, const DPOINT3 &v, const DPOINT3 &angles, int flag) {
  double m[9];
  BuildTiltMatrix(angles.x, angles.y, angles.z, m);
  return Add(centre, flag == 1 ? Multiply(m, v) : MultiplyTransposed(m, v));
}

DPOINT3 TurnedAngles(const DPOINT3 &angles, const DPOINT3 &increments) {
  double turn[9];
  double frame[9];
  BuildTiltMatrix(increments.x, increments.y, increments.z, turn);
  BuildTiltMatrix(angles.x, angles.y, angles.z, frame);
  double m[9];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      m[3 * r + c] = turn[3 * r] * frame[c] + turn[3 * r + 1] * frame[3 + c] + turn[3 * r + 2] * frame[6 + c];
  const DPOINT3 summed = Add(angles, increments);
  double plain[9];
  BuildTiltMatrix(summed.x, summed.y, summed.z, plain);
  double differ = 0.0;
  for (int k = 0; k < 9; ++k) differ = std::fmax(differ, std::fabs(plain[k] - m[k]));
  if (differ <= 1e-12) return summed;
  // m = Rx(ax) Ry(-ay) Rz(az): m[2] = -sin ay, m[0..1] = cos ay (cos az, -sin az),
  // m[5], m[8] = cos ay (-sin ax, cos ax).
  const double sy = std::fmax(-1.0, std::fmin(1.0, -m[2]));
  const double cy = std::hypot(m[0], m[1]);
  if (cy > 1e-12)
    return DPOINT3(std::atan2(-m[5], m[8]), std::atan2(sy, cy), std::atan2(-m[1], m[0]));
  // Axis along z: only ax -+ az counts; az is 0, and then m[4] = cos ax, m[7] = sin ax.
  return DPOINT3(std::atan2(m[7], m[4]), sy > 0.0 ? 0.5 * kPi : -0.5 * kPi, 0.0);
}

double TurnAboutZ(const DPOINT3 &from, const DPOINT3 &to) {
  // Frames in the drawing's plane differ by their angles about z, exactly.
  if (from.x == 0.0 && from.y == 0.0 && to.x == 0.0 && to.y == 0.0) return std::remainder(to.z - from.z, 2.0 * kPi);
  double a[9];
  double b[9];
  BuildTiltMatrix(from.x, from.y, from.z, a);
  BuildTiltMatrix(to.x, to.y, to.z, b);
  // R = B A^T; a turn about z by t has R[0] = cos t and R[3] = sin t.
  const double r0 = b[0] * a[0] + b[1] * a[1] + b[2] * a[2];
  const double r3 = b[3] * a[0] + b[4] * a[1] + b[5] * a[2];
  return std::atan2(r3, r0);
}

void TOpticalSystem::FrameMatrix(int s, double m[9]) const {
  const TSurface *surface = Surface(s);
  if (surface == nullptr) {
    BuildTiltMatrix(0.0, 0.0, 0.0, m);
    return;
  }
  // Built from the angles rather than read from the stored matrix, so a surface whose
  // angles were written directly still has the frame its angles say.
  BuildTiltMatrix(surface->general.angles[0], surface->general.angles[1],
                  surface->general.angles[2], m);
}

DPOINT3 TOpticalSystem::GetSurfacePosition(int i, int j, int mode) const {
  const int n = SurfaceCount();
  if (i >= n) i = n - 1;
  if (i < 0) return DPOINT3();
  const DPOINT3 position = surfaces.data[i] ? Vertex(*surfaces.data[i]) : DPOINT3();
  if (mode == kGlobalFrame) return position;
  if (j < 0) j = 0;
  if (j == i || j >= n || surfaces.data[j] == nullptr) return DPOINT3();
  double m[9];
  FrameMatrix(j, m);
  return MultiplyTransposed(m, Sub(position, Vertex(*surfaces.data[j])));
}

int TOpticalSystem::FirstVertexOffPlane(int s, int step, DPOINT3 &d) const {
  const int n = SurfaceCount();
  d = DPOINT3();
  int t = s + step;
  if (s < 0 || s >= n || surfaces.data[s] == nullptr) {
    while (t >= 0 && t < n) t += step;
    return t;
  }
  double m[9];
  FrameMatrix(s, m);
  const DPOINT3 origin = Vertex(*surfaces.data[s]);
  for (; t >= 0 && t < n; t += step) {
    const DPOINT3 position = surfaces.data[t] ? Vertex(*surfaces.data[t]) : DPOINT3();
    d = MultiplyTransposed(m, Sub(position, origin));
    if (d.x != 0.0) break;
  }
  return t;
}

void TOpticalSystem::SetSurfacePosition(int i, int j, const DPOINT3 &point, int mode) {
  MarkModelChanged();
  TSurface *surface = Surface(i);
  if (surface == nullptr) return;
  DPOINT3 position = point;
  if (mode != kGlobalFrame) {
    const int n = SurfaceCount();
    if (j < 0) j = 0;
    if (j > n - 1) j = n - 1;
    const TSurface *reference = Surface(j);
    if (reference == nullptr) return;
    double m[9];
    FrameMatrix(j, m);
    position = Add(Vertex(*reference), Multiply(m, point));
  }
  surface->SetPosition(position.x, position.y, position.z);
}

DPOINT3 TOpticalSystem::PointInPreviousFrame(int k, const DPOINT3 &point) const {
  const int n = SurfaceCount();
  int s = k - 1;
  if (s > n - 1) s = n - 1;
  if (s < 0) s = 0;
  const TSurface *reference = Surface(s);
  // Without surfaces the global frame is the only one there is.
  if (reference == nullptr) return point;
  double m[9];
  FrameMatrix(s, m);
  return MultiplyTransposed(m, Sub(point, Vertex(*reference)));
}

DPOINT3 TOpticalSystem::GetSurfaceAngles(int i, int j, int mode) const {
  const TSurface *surface = Surface(i);
  if (surface == nullptr) return DPOINT3();
  const DPOINT3 angles = Angles(*surface);
  if (mode == kGlobalFrame) return angles;
  if (j < 0) j = 0;
  const TSurface *reference = j == i ? nullptr : Surface(j);
  if (reference == nullptr) return DPOINT3();
  return DPOINT3(0.0, angles.y - reference->general.angles[1],
                 angles.z - reference->general.angles[2]);
}

void TOpticalSystem::SetSurfaceAngles(int i, int j, const DPOINT3 &centre, const DPOINT3 &angles,
                                      int mode) {
  MarkModelChanged();
  TSurface *surface = Surface(i);
  if (surface == nullptr) return;
  if (j < 0) j = 0;
  const DPOINT3 current = GetSurfaceAngles(i, j, mode);
  const DPOINT3 increments = Sub(angles, current);
  const DPOINT3 moved = RotatePoint(centre, Sub(Vertex(*surface), centre), increments, 1);
  surface->SetPosition(moved.x, moved.y, moved.z);
  const DPOINT3 old = Angles(*surface);
  surface->SetAngles(old.x + increments.x, old.y + increments.y, old.z + increments.z);
}

void TOpticalSystem::RotateAboutPoint(int i, const DPOINT3 &centre, const DPOINT3 &increments) {
  TSurface *surface = Surface(i);
  if (surface == nullptr) return;
  MarkModelChanged();
  const DPOINT3 moved = RotatePoint(centre, Sub(Vertex(*surface), centre), increments, 1);
  const DPOINT3 angles = TurnedAngles(Angles(*surface), increments);
  surface->SetAngles(angles.x, angles.y, angles.z);
  surface->SetPosition(moved.x, moved.y, moved.z);
}

void TOpticalSystem::RotateAboutSurface(int i, int j, const DPOINT3 &increments) {
  const TSurface *pivot = Surface(j);
  if (Surface(i) == nullptr || pivot == nullptr) return;
  RotateAboutPoint(i, Vertex(*pivot), increments);
}

void TOpticalSystem::RotateSurfaceGroup(int first, int last, int j, const DPOINT3 &increments) {
  const int n = SurfaceCount();
  if (Surface(first) == nullptr || Surface(j) == nullptr) return;
  if (last < 0 || last >= n) last = n - 1;
  // The pivot's own vertex stays where it is, so turning it inside the range changes no
  // other surface's result.
  const DPOINT3 pivot = Vertex(*surfaces.data[j]);
  for (int k = first; k <= last; ++k) RotateAboutPoint(k, pivot, increments);
}

void TOpticalSystem::RotateGroupAboutPoint(int first, int last, const DPOINT3 &centre,
                                           const DPOINT3 &increments) {
  const int n = SurfaceCount();
  if (Surface(first) == nullptr) return;
  if (last < 0 || last >= n) last = n - 1;
  for (int k = first; k <= last; ++k) RotateAboutPoint(k, centre, increments);
}

void TOpticalSystem::ShiftSurfaces(int first, int last, const DPOINT3 &d, int mode) {
  MarkModelChanged();
  const int n = SurfaceCount();
  if (first < 0) first = 0;
  if (mode != kGlobalFrame || last > n - 1) last = n - 1;
  for (int k = first; k <= last; ++k) {
    TSurface *surface = surfaces.data[k];
    if (surface == nullptr) continue;
    const DPOINT3 moved = Add(Vertex(*surface), d);
    surface->SetPosition(moved.x, moved.y, moved.z);
  }
}

double TOpticalSystem::TrackLength() const {
  const int n = SurfaceCount();
  double length = 0.0;
  for (int k = 1; k < n; ++k) {
    if (surfaces.data[k] == nullptr || surfaces.data[k - 1] == nullptr) continue;
    const DPOINT3 step = Sub(Vertex(*surfaces.data[k]), Vertex(*surfaces.data[k - 1]));
    length += std::sqrt(step.x * step.x + step.y * step.y + step.z * step.z);
  }
  return length;
}
