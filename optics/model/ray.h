#pragma once
// One ray and one recorded hit: the plain records the trace moves through the system.
// Positions are global, x is the optical axis, (L, M, N) are direction cosines along (x, y, z).

#include <type_traits>

// Result of a ray's last surface interaction.
enum TRayStatus : int {
  kRayPassed = 1,
  kRayStopped = 0,          // lens-array gap, failed iteration, lost from a light pipe
  kRayOutsideAperture = -1, // outside the outer bound (clear aperture)
  kRayObscured = -2,        // inside the inner bound
  kRayTotalReflection = -3, // at a surface or at a pipe wall
  kRayMissedSurface = -4,   // no intersection
};

// The one zero threshold of the ray code: direction components, denominators and lengths
// below this magnitude count as zero. It is the single-precision literal 8.43e-37 widened
// to double, kept bit-exact with stored results.
constexpr double kRayZero = 8.429999909258048e-37;
static_assert(kRayZero == static_cast<double>(8.43e-37f));

// An x of this value marks a hit-list entry the ray did not reach (and ends the list).
constexpr double kHitListEnd = 1.797693e+308;

// The room a hit list is made with.
constexpr int kHitListCapacity = 200;

// Degrees to radians as the ray-start forms use it.
constexpr double kDegreesToRadians = 0.01745329251994;

// One ray: kept plain and contiguous because Mem<TCurrentRay> holds whole beams of them.
class TCurrentRay {
 public:
  // Inline: analyses build rays by the thousand, and a call per ray keeps the new ray out of
  // registers and its cell.
  TCurrentRay(double x0 = 0.0, double y0 = 0.0, double z0 = 0.0) : x(x0), y(y0), z(z0) {}

  // kind != 0: from point (a, b, c) towards point (d, e, f).
  // kind == 0: a, b are angles in degrees (alpha, beta) and the ray passes (d, e, f); it
  // starts a distance c back along the axis. A direction across the axis (L == 0) has no
  // such start, so the ray then starts at (d, e, f) itself.
  void SetDirection(double a, double b, double c, double d, double e, double f, int kind);

  int traceThrough = 0;    // 1: a blocking aperture still refracts and passes the ray
  int blocked = 0;         // set when an interaction did not give status 1
  int status = kRayPassed;
  int firstFailure = 0;    // -i for an obscuration at surface i, +i for other failures
  int stoppedAt = 0;       // 1 + the index of the first surface that stopped it; 0: none
  int spare = 0;           // keeps the record free of padding: rays are compared byte for byte
  double L = 0.0, M = 0.0, N = 1.0;
  double x = 0.0, y = 0.0, z = 0.0;
  double pathLength = 0.0; // length of the last segment
};

// One hit of a ray on a surface: its position there and its direction after the surface.
struct TIntersectionPoint {
  double x = 0.0, y = 0.0, z = 0.0;
  double L = 1.0, M = 0.0, N = 0.0;
};

// The hit a ray leaves where it stands: its position and its direction after the surface.
inline void RecordHit(TIntersectionPoint &hit, const TCurrentRay &ray) {
  hit.x = ray.x;
  hit.y = ray.y;
  hit.z = ray.z;
  hit.L = ray.L;
  hit.M = ray.M;
  hit.N = ray.N;
}

// Whether a traced ray reached the end through every surface's rims and obscurations on its
// own. A ray lent the trace-through flag (its own or the system's DrawAllRays) is carried on
// past a rim with a result of 1; where it was stopped still says that its light was, and
// every count of light (aberration pass flags, spots, PSF pupils, merit sums) leaves it out.
inline bool RayWentThrough(const TCurrentRay &ray, int traceResult) {
  return traceResult == kRayPassed && ray.stoppedAt == 0;
}

// Beams hold rays by the thousand and copy them cell by cell: keep both records plain.
static_assert(std::is_trivially_copyable_v<TCurrentRay> && std::is_standard_layout_v<TCurrentRay>);
// No padding bytes: rays are compared with memcmp.
static_assert(sizeof(TCurrentRay) == 6 * sizeof(int) + 7 * sizeof(double));
static_assert(std::is_trivially_copyable_v<TIntersectionPoint>);
