// The aperture stop, the entrance and exit pupils and the chief ray of a beam.
//
// The stop is the surface whose aperture, imaged paraxially into object space, is seen
// smallest from the object; its paraxial image is the entrance pupil, its image into image
// space the exit pupil. As in all first-order work the stop stands at its vertex plane
// (published pupil data say where a stop surface's vertex is imaged). The chief ray is
// found with real rays: it is the ray of the beam that meets the stop surface at the centre
// of its aperture.

#include <cmath>
#include <cstdio>
#include <vector>

#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/pupils/chief_ray_aims.h"
#include "optics/pupils/pupil_solves.h"
#include "optics/pupils/pupil_support.h"
#include "optics/pupils/real_ray_stop.h"

namespace {

// Stand-ins for "not found yet".
constexpr double kNoMeasure = 1e18;
constexpr double kNoMiss = 1e20;
// A sample whose miss at the stop is below this counts as the chief ray itself.
constexpr double kSampleHit = 1e-5;
// The refined chief ray meets the stop centre to this fraction of the stop radius (at least
// this many millimetres); far below any use, well above the trace's round-off.
constexpr double kChiefMissFraction = 1e-9;
constexpr int kRefineSteps = 40;
// A solve started from a kept aim goes on to this fraction of the tolerance, near the
// trace's round-off: an aim left anywhere within the tolerance would depend on where the
// last solve stood, and the optimizer's derivatives, taken over small steps of the system,
// would see that as noise. A small change of the system needs one or two steps; one that
// reaches no more than the tolerance in kWarmSteps, or needs more than kWarmHalvings
// halvings of a step, searches as without a kept aim.
constexpr double kWarmGoal = 1e-4;
constexpr int kWarmSteps = 4;
constexpr int kWarmHalvings = 3;
// Half of the 21 samples taken across surface 1.
constexpr int kHalfSamples = 10;
// Where no aim within surface 1's reach brackets the stop centre, the samples go on out to
// this multiple of that reach.
constexpr int kOuterSampleSpan = 4;
// Newton steps in the aim halve at most this often before the refinement gives up.
constexpr int kStepHalvings = 20;
// The finite-difference step of the aim's Jacobian: this fraction of the sample interval,
// at least kSmallestAimStep millimetres.
constexpr double kAimStepFraction = 1e-4;
constexpr double kSmallestAimStep = 1e-9;
// A finite object's sample range grows to this multiple of the height the pupil rays need.
constexpr double kRangeMargin = 1.2;
// The second ray of a paraxial pupil image aims this fraction of the next surface's
// semi-height beside the first.
constexpr double kPupilProbeFraction = 0.001;

double SlopeY(const TIntersectionPoint &p) { return p.L != 0.0 ? p.M / p.L : 0.0; }

// Local slope M/L of a global direction in the frame of surface i.
double LocalSlope(const TOpticalSystem &system, int i, const TCurrentRay &ray) {
  const double p[3] = {ray.x, ray.y, ray.z};
  const double d[3] = {ray.L, ray.M, ray.N};
  return SlopeY(system.ToSurfaceFrame(i, p, d));
}

// The paraxial image of the aperture centre of surface |k| (k as for MakeRayToPoint: a
// negative k images towards the object) through the surfaces from `first` to `last`: two
// rays from that centre, one at the centre of the next surface's aperture and one
// kPupilProbeFraction of its semi-height beside it. On success, position is where the
// image lies along the axis and slopeRatio the ratio of the rays' slope differences
// before and after (the magnification without the index ratio).
enum TPupilImage { kPupilImaged, kPupilRaysFailed, kPupilAfocal };
TPupilImage ImageApertureCentre(TOpticalSystem &system, int k, const TSurface &next, int first,
                                int last, double &position, double &slopeRatio) {
  const int i = k < 0 ? -k : k;
  const double centre = system.Surface(i)->general.boundPosYExt;
  const double aim = next.general.boundPosYExt;
  TCurrentRay b = system.MakeRayToPoint(k, centre, 0.0, aim, 0.0, kAimAtOffsets);
  TCurrentRay a = system.MakeRayToPoint(
      k, centre, 0.0, aim + kPupilProbeFraction * next.general.semiHeightExt, 0.0, kAimAtOffsets);
  if (b.status < 0 || a.status < 0) return kPupilRaysFailed;
  const double t = LocalSlope(system, i, b) - LocalSlope(system, i, a);
  if (!system.TraceRange(b, first, last, nullptr) || !system.TraceRange(a, first, last, nullptr) ||
      a.L == 0.0 || b.L == 0.0)
    return kPupilRaysFailed;
  const double dd = b.M / b.L - a.M / a.L;
  if (std::fabs(dd) < kRayZero) return kPupilAfocal;
  slopeRatio = t / dd;
  position = (a.y - b.y) / dd;
  return kPupilImaged;
}

// Where the chief-ray search stands: the stop, its aperture centre and the aiming mode.
struct TChiefRaySearch {
  TOpticalSystem *system = nullptr;
  int stop = 0;
  double centreY = 0.0, centreZ = 0.0;
  double fieldA = 0.0, fieldB = 0.0;
  int mode = kAimByAngles;  // field angles; kAimAtOffsets for object heights
  Mem<TIntersectionPoint> hits;
  // The ray of the last aim traced, as made and as traced; and that of the aim the
  // refinement kept, which the pupil crossings take instead of tracing it once more.
  struct TAimedRay {
    double y = 0.0, z = 0.0;
    TCurrentRay start, traced;
    bool valid = false;
  };
  TAimedRay last, kept;

  // Traces the ray aimed at (y, z) on surface 1; false when it does not reach the stop.
  // (missY, missZ): where it meets the stop surface, from the centre of its aperture.
  bool Miss(double y, double z, double &missY, double &missZ) {
    TCurrentRay ray = system->MakeRayToPoint(0, fieldA, fieldB, y, z, mode);
    ray.traceThrough = 1;
    last.valid = true;
    last.y = y;
    last.z = z;
    last.start = ray;
    // The list of hits changes nothing in the trace: the ray ends as a trace without one
    // leaves it.
    system->TraceRay(ray, kTracePlain, &hits, 0);
    last.traced = ray;
    if (ray.status != kRayPassed && ray.status != kRayOutsideAperture && ray.status != kRayObscured)
      return false;
    const int count = hits.Cells();
    if (stop >= count || hits.data[stop].x == kHitListEnd) return false;
    const TIntersectionPoint &h = hits.data[stop];
    const double p[3] = {h.x, h.y, h.z};
    const double d[3] = {h.L, h.M, h.N};
    const TIntersectionPoint atStop = system->ToSurfaceFrame(stop, p, d);
    missY = atStop.y - centreY;
    missZ = atStop.z - centreZ;
    return std::isfinite(missY) && std::isfinite(missZ);
  }
};

// How far Newton steps go: until the miss is within `goal`, at most `steps` of them, each
// halved at most `halvings` times.
struct TRefinement {
  double goal;
  int steps;
  int halvings;
};

// Newton steps in the aim (y, z) on the stop miss, with a finite-difference Jacobian and
// step halving; keeps the best aim found. scale is the sample interval of the search. True
// when the aim meets the stop centre within tolerance.
bool RefineChiefRay(TChiefRaySearch &search, double scale, double tolerance,
                    const TRefinement &refinement, double &y, double &z) {
  double ey = 0.0, ez = 0.0;
  if (!search.Miss(y, z, ey, ez)) return false;
  search.kept = search.last;
  double error = std::hypot(ey, ez);
  const double h = std::fmax(kAimStepFraction * scale, kSmallestAimStep);
  for (int step = 0; step < refinement.steps && error > refinement.goal; ++step) {
    double eyY = 0.0, ezY = 0.0, eyZ = 0.0, ezZ = 0.0;
    if (!search.Miss(y + h, z, eyY, ezY) || !search.Miss(y, z + h, eyZ, ezZ)) return false;
    const double j00 = (eyY - ey) / h, j01 = (eyZ - ey) / h;
    const double j10 = (ezY - ez) / h, j11 = (ezZ - ez) / h;
    const double det = j00 * j11 - j01 * j10;
    if (std::fabs(det) < kRayZero || !std::isfinite(det)) return false;
    const double dy = -(j11 * ey - j01 * ez) / det;
    const double dz = -(-j10 * ey + j00 * ez) / det;
    bool improved = false;
    double lambda = 1.0;
    for (int halving = 0; halving < refinement.halvings && !improved; ++halving, lambda *= 0.5) {
      double newEy = 0.0, newEz = 0.0;
      const double ny = y + lambda * dy, nz = z + lambda * dz;
      if (!search.Miss(ny, nz, newEy, newEz)) continue;
      const double newError = std::hypot(newEy, newEz);
      if (newError < error) {
        search.kept = search.last;
        y = ny;
        z = nz;
        ey = newEy;
        ez = newEz;
        error = newError;
        improved = true;
      }
    }
    if (!improved) break;
  }
  return error <= tolerance;
}

int FinishChiefRay(TOpticalSystem &system, const TChiefRaySearch &search, double yChief,
                   double zChief);

// The status bar's warning of a beam whose chief ray is not found, is lost, or is stopped
// by a rim on its way; told once however often the beam is solved before it is shown.
void TellChiefRayDoesNotPass(double fieldA) {
  char text[96];
  std::snprintf(text, sizeof text, "Chief ray in beam %g does not pass!", fieldA);
  AppendPendingMessage(text);
}

// The aims on surface 1 whose misses at the stop are the smallest on either side of 0.
struct TChiefBracket {
  double yPos = 0.0, ePos = kNoMiss, yNeg = 0.0, eNeg = -kNoMiss;
  bool havePos = false, haveNeg = false;
  bool Found() const { return havePos && haveNeg; }
};

// Samples the aims centre1 +- j x interval for j = first .. last, nearest first, until both
// sides of the stop centre are met.
void SampleChiefAims(TChiefRaySearch &search, double centre1, double interval, int first, int last,
                     TChiefBracket &bracket) {
  for (int j = first; j <= last && !bracket.Found(); ++j) {
    for (int sign = -1; sign <= 1; sign += 2) {
      const double y = centre1 + sign * j * interval;
      double e = 0.0, ez = 0.0;
      if (!search.Miss(y, 0.0, e, ez)) continue;
      if (std::fabs(e) < kSampleHit) {
        bracket.yPos = bracket.yNeg = y;
        bracket.ePos = bracket.eNeg = 0.0;
        bracket.havePos = bracket.haveNeg = true;
      } else if (e > 0.0 && e < bracket.ePos) {
        bracket.yPos = y;
        bracket.ePos = e;
        bracket.havePos = true;
      } else if (e < 0.0 && std::fabs(e) < std::fabs(bracket.eNeg)) {
        bracket.yNeg = y;
        bracket.eNeg = e;
        bracket.haveNeg = true;
      }
    }
  }
}

// The chief ray of a wide field may cross surface 1 outside its rim when a later rim is the
// one that stops it (a stop behind a small front lens): the search goes on outwards, to
// kOuterSampleSpan times surface 1's reach, so that such a ray is found and then reported
// as stopped at the surface whose rim it meets, not as missing.
void SampleChiefAimsBeyondSurfaceOne(TChiefRaySearch &search, double centre1, double interval,
                                     TChiefBracket &bracket) {
  SampleChiefAims(search, centre1, interval, kHalfSamples + 1, kOuterSampleSpan * kHalfSamples,
                  bracket);
}

// The chief ray of the beam at (fieldA, fieldB): with aims lent to the system, Newton steps
// from the aim kept for the beam; else (or when they do not reach the stop centre)
// bracketed by 21 samples across surface 1, interpolated, refined. Then the pupil
// crossings. 1 found, 0 no bracket, -1 lost ray.
int FindChiefRay(TOpticalSystem &system, double fieldA, double fieldB) {
  TOpticalSystemInformation &in = system.info;
  const int stop = in.stopIndex;
  const TSurface &s1 = *system.Surface(1);
  const TSurface &stopSurface = *system.Surface(stop);
  double range = s1.general.semiHeightExt;
  const double ex = in.entrancePupilPoint[0];
  if (in.ObjectFinite != 0 && ex != 0.0) {
    const DPOINT3 v1 = system.GetSurfacePosition(1, 0, kRelativeFrame);
    const double q =
        (in.entrancePupilDiameter / 2.0 / ex) * std::sqrt(v1.x * v1.x + v1.y * v1.y + v1.z * v1.z) +
        SemiHeight(system, 0);
    if (range < q) range = kRangeMargin * q;
  }
  const double interval = 2.0 * range / (2 * kHalfSamples);
  const double centre1 = s1.general.boundPosYExt;

  TChiefRaySearch search;
  search.system = &system;
  search.stop = stop;
  search.centreY = stopSurface.general.boundPosYExt;
  search.centreZ = stopSurface.general.boundPosXExt;
  search.fieldA = fieldA;
  search.fieldB = fieldB;
  search.mode = in.ObjectFinite == 0 ? kAimByAngles : kAimAtOffsets;
  const double radius = stopSurface.general.semiHeightExt;
  const double tolerance = kChiefMissFraction * std::fmax(radius, 1.0);
  TChiefRayAims *aims = system.chiefRayAims;
  const double lambda = in.LambdaW;
  double yChief = 0.0, zChief = 0.0;
  // A beam solved before starts where its chief ray was then aimed.
  if (aims != nullptr &&
      aims->Find(fieldA, fieldB, lambda, stop, in.ObjectFinite, yChief, zChief) &&
      RefineChiefRay(search, interval, tolerance, {kWarmGoal * tolerance, kWarmSteps, kWarmHalvings},
                     yChief, zChief)) {
    ++aims->warmSolves;
    aims->Keep(fieldA, fieldB, lambda, stop, in.ObjectFinite, yChief, zChief);
    return FinishChiefRay(system, search, yChief, zChief);
  }
  if (aims != nullptr) ++aims->searchedSolves;

  TChiefBracket bracket;
  SampleChiefAims(search, centre1, interval, 0, kHalfSamples, bracket);
  if (!bracket.Found()) SampleChiefAimsBeyondSurfaceOne(search, centre1, interval, bracket);
  const double yPos = bracket.yPos, ePos = bracket.ePos, yNeg = bracket.yNeg, eNeg = bracket.eNeg;
  if (!bracket.Found()) {
    if (aims != nullptr) aims->Forget(fieldA, fieldB, lambda, stop, in.ObjectFinite);
    return 0;
  }
  yChief = ePos == eNeg ? yNeg : yNeg - (yPos - yNeg) * eNeg / (ePos - eNeg);
  zChief = 0.0;
  // One interpolation across a tenth of surface 1 leaves the pupil aberration in the miss;
  // Newton steps put the ray on the stop centre, and aim a field off the meridian too.
  const bool met = RefineChiefRay(search, interval, tolerance,
                                  {tolerance, kRefineSteps, kStepHalvings}, yChief, zChief);
  if (aims != nullptr) {
    if (met)
      aims->Keep(fieldA, fieldB, lambda, stop, in.ObjectFinite, yChief, zChief);
    else
      aims->Forget(fieldA, fieldB, lambda, stop, in.ObjectFinite);
  }
  return FinishChiefRay(system, search, yChief, zChief);
}

// The chief ray aimed at (yChief, zChief) on surface 1 gives the pupil points' crossings.
// 1, or -1 when the ray is lost on the way.
int FinishChiefRay(TOpticalSystem &system, const TChiefRaySearch &search, double yChief,
                   double zChief) {
  TOpticalSystemInformation &in = system.info;
  const double ex = in.entrancePupilPoint[0];
  const double fieldA = search.fieldA, fieldB = search.fieldB;
  // The refinement traced the ray of its aim already.
  const bool traced = search.kept.valid && search.kept.y == yChief && search.kept.z == zChief;
  TCurrentRay chief = traced ? search.kept.start
                             : system.MakeRayToPoint(0, fieldA, fieldB, yChief, zChief, search.mode);
  chief.traceThrough = 1;
  const double p[3] = {chief.x, chief.y, chief.z};
  const double d[3] = {chief.L, chief.M, chief.N};
  const TIntersectionPoint start = system.ToSurfaceFrame(0, p, d);
  if (std::fabs(start.L) < kRayZero) return -1;
  in.entrancePupilPoint[1] = start.y + (ex - start.x) * start.M / start.L;
  in.entrancePupilPoint[2] = start.z + (ex - start.x) * start.N / start.L;
  if (traced)
    chief = search.kept.traced;
  else
    system.TraceRay(chief, kTracePlain, nullptr, 0);
  // A chief ray lost on the way has no exit-pupil crossing to give.
  if (chief.L == 0.0 || chief.status == kRayMissedSurface || chief.status == kRayTotalReflection ||
      chief.status == kRayStopped)
    return -1;
  // The trace-through carries a chief ray past a rim that stops it, so its pupils hold and
  // the analyses go on; but the beam's light is cut there, and the user is told. One that
  // first meets a central obscuration is the reference of an annular pupil: its beam passes.
  if (chief.stoppedAt != 0 && chief.firstFailure >= 0) TellChiefRayDoesNotPass(fieldA);
  const double exitPosition = in.exitPupilPoint[0];
  in.exitPupilPoint[1] = chief.y + (exitPosition - chief.x) * chief.M / chief.L;
  in.exitPupilPoint[2] = chief.z + (exitPosition - chief.x) * chief.N / chief.L;
  return 1;
}

}  // namespace

bool TOpticalSystem::Traceable() const {
  return SurfaceCount() >= 2 && AllSurfacesPresent(*this) && materialsMissing == 0 && FindGlassesOutOfRange().empty();
}

int TOpticalSystem::UpdatePupils(double fieldA, double fieldB) {
  if (!PupilsNeedSolving()) return untraceable_ ? -1 : 1;
  MarkPupilsSolved();
  const int n = SurfaceCount();
  untraceable_ = !Traceable();
  // Its figures are none: those left in place belong to the system solved before.
  if (untraceable_) {
    info.ClearFirstOrder();
    return -1;
  }
  TNeutralImageSurface neutral(Surface(n - 1));
  const int result = SolveChiefRay(fieldA, fieldB);
  if (result >= 1) {
    if (info.firstOrderMode == kFirstOrderParaxial)
      FirstOrderParaxial();
    else
      FirstOrderReal();
  }
  return result;
}

namespace {

// The stop (the user's, or the surface whose aperture the object sees smallest), the
// entrance pupil as its paraxial image into object space and the exit pupil as its image
// into image space. The image surface must be a neutral one.
TStopImages ImageStop(TOpticalSystem &system) {
  const int n = system.SurfaceCount();
  const TOpticalSystemInformation &in = system.info;
  const bool userStop = in.AutoSetPupilParameters == 0 && in.Naper > 0;
  const bool userDiameter = in.AutoSetPupilParameters == 0 && in.Dentr > 0.0;
  double best = kNoMeasure;
  int stop = in.ObjectFinite ? 1 : 0;
  bool stopInForce = userStop;
  if (userStop && in.Naper <= n)
    stop = in.Naper - 1;
  else
    stopInForce = false;
  double entrancePosition = 0.0;
  double entranceDiameter = 2.0 * SemiHeight(system, 1);

  // Candidates for the stop.
  const int last = in.ImageFinite == 0 ? n - 1 : n - 2;
  int first = 1;
  int lastCandidate = last;
  if (last == 0) {
    if (in.ObjectFinite == 0) {
      entrancePosition = 0.0;
      entranceDiameter = 2.0 * SemiHeight(system, 0);
    } else {
      entrancePosition = system.GetSurfacePosition(1, 0, kRelativeFrame).x;
      entranceDiameter = 2.0 * SemiHeight(system, 1);
    }
  }
  if (stopInForce) {
    first = stop < 1 ? 1 : stop;
    lastCandidate = stop;
  }

  // Each candidate's entrance pupil position, for a stop the real rays name below.
  std::vector<double> imagedAt(n, 0.0);
  for (int i = lastCandidate; i >= first; --i) {
    const TSurface &si = *system.Surface(i);
    double p = 0.0, slopeRatio = 0.0;
    if (ImageApertureCentre(system, -i, *system.Surface(i - 1), i - 1, 0, p, slopeRatio) !=
        kPupilImaged)
      continue;
    imagedAt[i] = p;
    const double m = slopeRatio * si.general.nBefore / system.Surface(0)->general.nAfter;
    const double H = si.general.semiHeightExt * m;
    double measure = std::fabs(H);
    if (in.ObjectFinite != 0) measure = p != 0.0 ? std::fabs(H) / std::fabs(p) : kNoMeasure;
    // Ties go to the surface nearer the object: the loop runs from the image side.
    if (measure <= best) {
      best = measure;
      stop = i;
      entrancePosition = p;
      entranceDiameter = 2.0 * std::fabs(H);
    }
  }
  if (in.ObjectFinite == 0 && !stopInForce && SemiHeight(system, 0) < best) {
    stop = 0;
    entrancePosition = 0.0;
    if (!userDiameter) entranceDiameter = 2.0 * SemiHeight(system, 0);
  }
  // A user stop on surface 0 has nothing in front of it: it is its own entrance pupil
  // (the search above images no candidate then).
  if (in.ObjectFinite == 0 && stopInForce && stop == 0) {
    entrancePosition = 0.0;
    entranceDiameter = 2.0 * SemiHeight(system, 0);
  }
  // Through tilted or decentred faces the paraxial images above mislead: the surface that
  // clips real rays of the axial beam is the stop.
  if (!stopInForce && HasTiltedOrDecentredFaces(system)) {
    const TRealStop real = RealRayStop(system);
    if (real.stop >= 0) {
      if (real.stop != stop) entrancePosition = imagedAt[real.stop];
      stop = real.stop;
      if (!userDiameter && in.ObjectFinite == 0) {
        entranceDiameter = real.entranceDiameter;
      } else if (!userDiameter) {
        // From a near object the pupil at the stop's paraxial image passes the real cone;
        // where the stop was not imaged the pupil stands on the first face.
        if (!(std::fabs(entrancePosition) > 0.0)) entrancePosition = system.GetSurfacePosition(1, 0, kRelativeFrame).x;
        entranceDiameter = 2.0 * real.apertureSlope * std::fabs(entrancePosition);
      }
    }
  }
  TStopImages images;
  images.stop = stop;
  images.entrancePosition = entrancePosition;
  images.entranceDiameter = entranceDiameter;

  const TSurface &stopSurface = *system.Surface(stop);
  const double stopRadius = stopSurface.general.semiHeightExt;
  // Exit pupil: the stop imaged paraxially into image space.
  images.exitPosition = 0.0;
  images.exitDiameter = 2.0 * stopRadius;
  if (stop <= n - 2) {
    double p = 0.0, slopeRatio = 0.0;
    const TPupilImage image = ImageApertureCentre(system, stop, *system.Surface(stop + 1),
                                                  stop + 1, n - 1, p, slopeRatio);
    if (image == kPupilRaysFailed) {
      images.result = -1;
    } else if (image == kPupilImaged) {
      const double m =
          slopeRatio * stopSurface.general.nAfter / system.Surface(n - 1)->general.nBefore;
      images.exitPosition = p;
      images.exitDiameter = 2.0 * std::fabs(stopRadius * m);
    }
  }
  return images;
}

}  // namespace

int TOpticalSystem::SolveChiefRay(double fieldA, double fieldB) {
  const int n = SurfaceCount();
  if (n < 2 || !AllSurfacesPresent(*this)) return -1;
  if (!FindGlassesOutOfRange().empty()) return -1;
  // A field point solved before on a system that stood still since has its pupils.
  if (pupilSolves != nullptr && pupilSolves->FindSolve(fieldA, fieldB, info)) {
    ++pupilSolves->repeatedSolves;
    return 1;
  }
  // The image lies on the image surface whatever medium follows it; every caller (the
  // analyses, the fans, turning) solves through a neutral one, not only the lazy update.
  TNeutralImageSurface neutral(Surface(n - 1));

  TOpticalSystemInformation &in = info;
  const bool userDiameter = in.AutoSetPupilParameters == 0 && in.Dentr > 0.0;
  TStopImages images;
  if (pupilSolves != nullptr && pupilSolves->FindImages(images)) {
    ++pupilSolves->imagedOnce;
  } else {
    images = ImageStop(*this);
    if (pupilSolves != nullptr) pupilSolves->KeepImages(images);
  }
  in.stopIndex = images.stop;
  in.entrancePupilPoint[0] = images.entrancePosition;
  in.entrancePupilDiameter = images.entranceDiameter;
  in.exitPupilPoint[0] = images.exitPosition;
  in.exitPupilDiameter = images.exitDiameter;
  int result = images.result;

  // A failed paraxial trace towards the image is no chief-ray failure: no message then.
  const bool chiefSearched = result == 1;
  if (chiefSearched) result = FindChiefRay(*this, fieldA, fieldB);

  if (result < 0) {
    in.entrancePupilPoint[1] = in.entrancePupilPoint[2] = 0.0;
    in.exitPupilPoint[1] = in.exitPupilPoint[2] = 0.0;
  }
  if (userDiameter) {
    const double ratio = in.entrancePupilDiameter > 0.0 ? in.Dentr / in.entrancePupilDiameter : 1.0;
    in.entrancePupilDiameter = in.Dentr;
    in.exitPupilDiameter *= ratio;
  }
  // Dentr and Naper stay the user's choice (0: from the stop, 0: found by the search); the
  // solved values live in entrancePupilDiameter and stopIndex. Writing them back turned a
  // pupil taken from the stop into a fixed one at the first solve.
  if (chiefSearched && result < 1) TellChiefRayDoesNotPass(fieldA);
  if (result == 1 && pupilSolves != nullptr) pupilSolves->KeepSolve(fieldA, fieldB, in);
  return result;
}

TCurrentRay TOpticalSystem::AxialRay() {
  // The pupil points hold the chief-ray crossings of the field solved last: a ray made
  // from them for field 0 after a 14-degree beam starts off the axis and crosses it with a
  // slope. The axial field's own crossings are solved, used and given back.
  TOpticalSystemInformation &in = info;
  const double entrance[3] = {in.entrancePupilPoint[0], in.entrancePupilPoint[1], in.entrancePupilPoint[2]};
  const double exit[3] = {in.exitPupilPoint[0], in.exitPupilPoint[1], in.exitPupilPoint[2]};
  const double entranceDiameter = in.entrancePupilDiameter;
  const double exitDiameter = in.exitPupilDiameter;
  const int stop = in.stopIndex;
  TCurrentRay ray;
  if (SolveChiefRay(0.0, 0.0) >= 1) {
    ray = MakeRay(0.0, 0.0, 0.0, 0.0);
  } else {
    // Without a chief ray of its own the ray goes through the pupil's point on the axis.
    ray = MakeRay(0.0, 0.0, -in.entrancePupilPoint[1], -in.entrancePupilPoint[2]);
  }
  for (int k = 0; k < 3; ++k) {
    in.entrancePupilPoint[k] = entrance[k];
    in.exitPupilPoint[k] = exit[k];
  }
  in.entrancePupilDiameter = entranceDiameter;
  in.exitPupilDiameter = exitDiameter;
  in.stopIndex = stop;
  return ray;
}
