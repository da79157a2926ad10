#include "synthesis/detectors/scan_simulation.h"

#include <algorithm>
#include <cmath>

#include "document/system/system_image.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/trace/image_coordinate.h"
#include "synthesis/detectors/scan_animation.h"

namespace {

// The scanned coordinate's and the cross coordinate's extremes so far, each at its first
// occurrence: a later equal value does not take the place of an extreme.
struct TExtremes {
  double low = 1e20;
  double high = -1e20;
  int lowAt = 0;
  int highAt = 0;
  void Take(double value, int i) {
    if (value < low) {
      low = value;
      lowAt = i;
    }
    if (value > high) {
      high = value;
      highAt = i;
    }
  }
};

}  // namespace

bool ChiefRayImagePoint(TOpticalSystem &system, double fieldY, double fieldZ, bool imageAtInfinity,
                        TScanPosition &point) {
  system.SolveChiefRay(fieldY, fieldZ);
  TCurrentRay ray = system.MakeRay(fieldY, fieldZ, 0.0, 0.0);
  ray.traceThrough = system.info.DrawAllRays;
  if (system.TraceRay(ray, kTracePlain, nullptr, 0) == 0) return false;
  // An image at infinity is measured in angles, as its pixels are.
  if (imageAtInfinity && !(ray.L != 0.0)) return false;
  const int imageFinite = imageAtInfinity ? 0 : 1;
  point = {ImageCoordinate(imageFinite, ray.y, ray.M, ray.L),
           ImageCoordinate(imageFinite, ray.z, ray.N, ray.L)};
  return std::isfinite(point.y) && std::isfinite(point.z);
}

TScanSweep FindScanSweep(const double *scanned, int n) {
  TScanSweep sweep;
  if (scanned == nullptr || n < 1) return sweep;
  sweep.length = 1;
  // The longest run wins; of runs as long, the one of larger range, then the earlier.
  const auto consider = [&](int first, int last, int length) {
    const double range = std::fabs(scanned[last] - scanned[first]);
    if (length < sweep.length || (length == sweep.length && !(range > sweep.range))) return;
    sweep.first = first;
    sweep.last = last;
    sweep.length = length;
    sweep.range = range;
  };
  // A run ends at its last change: equal values after it belong to the next run's start.
  const auto trimmed = [&](int first, int last) {
    while (last > first && scanned[last - 1] == scanned[last]) --last;
    return last;
  };
  const auto sign = [](double step) { return (step > 0.0) - (step < 0.0); };
  int start = 0, direction = 0, plateau = 0;
  int firstRunLast = -1, firstRunDirection = 0;
  for (int i = 0; i + 1 < n; ++i) {
    const int turn = sign(scanned[i + 1] - scanned[i]);
    if (turn != 0 && direction != 0 && turn != direction) {
      const int last = trimmed(start, i);
      if (start == 0) {
        firstRunLast = last;
        firstRunDirection = direction;
      }
      consider(start, last, last - start + 1);
      // The next run starts where the values stopped changing: at the first of equal extremes.
      start = plateau;
      direction = turn;
    } else if (direction == 0) {
      direction = turn;
    }
    if (turn != 0) plateau = i + 1;
  }
  // Sample n - 1 closes the period and repeats sample 0: a last run that goes on through the
  // step from n - 2 to 0 the way the first run goes wraps round into it.
  const int wrapTurn = n > 2 ? sign(scanned[0] - scanned[n - 2]) : 0;
  const int joined = direction != 0 ? direction : firstRunDirection;
  if (firstRunLast >= 0 && start <= n - 2 && (direction == 0 || firstRunDirection == 0 || direction == firstRunDirection) &&
      (wrapTurn == 0 || wrapTurn == joined)) {
    consider(start, firstRunLast, n - 1 - start + firstRunLast + 1);
  } else {
    const int last = trimmed(start, n - 1);
    consider(start, last, last - start + 1);
  }
  return sweep;
}

bool TakeScanSweep(TScannerParameters &scanner, const TScanSweep &sweep) {
  const int n = scanner.TrackLength();
  if (sweep.length < 1 || sweep.first < 0 || sweep.first >= n || sweep.last < 0 || sweep.last >= n ||
      sweep.length > n)
    return false;
  std::vector<int> order;
  if (sweep.last >= sweep.first) {
    for (int i = sweep.first; i <= sweep.last; ++i) order.push_back(i);
  } else {
    for (int i = sweep.first; i <= n - 2; ++i) order.push_back(i);
    for (int i = 0; i <= sweep.last; ++i) order.push_back(i);
  }
  if (static_cast<int>(order.size()) != sweep.length) return false;
  Mem<double> y, z;
  if (!y.Allocate(sweep.length, 1) || !z.Allocate(sweep.length, 1)) return false;
  for (int k = 0; k < sweep.length; ++k) {
    y.data[k] = scanner.TrackY.data[order[static_cast<std::size_t>(k)]];
    z.data[k] = scanner.TrackZ.data[order[static_cast<std::size_t>(k)]];
  }
  scanner.TrackY.Swap(y);
  scanner.TrackZ.Swap(z);
  return true;
}

void TSystemPlacements::Save(const TSystemImage &system) {
  surfaces_.clear();
  references_.clear();
  for (int i = 0; i < system.SurfaceCount(); ++i) {
    const TGeneralParameters &general = system.surfaces.data[i]->general;
    TPlace place{};
    std::copy(general.vertex, general.vertex + 3, place.vertex);
    std::copy(general.angles, general.angles + 3, place.angles);
    surfaces_.push_back(place);
  }
  for (int e = 0; e < system.ElementCount(); ++e) references_.push_back(system.elements.data[e].referencePoint);
  modified_ = system.HasUnsavedChanges();
}

void TSystemPlacements::Restore(TSystemImage &system) const {
  const int surfaces = std::min(system.SurfaceCount(), static_cast<int>(surfaces_.size()));
  for (int i = 0; i < surfaces; ++i) {
    TSurface &surface = *system.surfaces.data[i];
    const TPlace &place = surfaces_[static_cast<std::size_t>(i)];
    surface.SetPosition(place.vertex[0], place.vertex[1], place.vertex[2]);
    surface.SetAngles(place.angles[0], place.angles[1], place.angles[2]);
  }
  const int elements = std::min(system.ElementCount(), static_cast<int>(references_.size()));
  for (int e = 0; e < elements; ++e) system.elements.data[e].referencePoint = references_[static_cast<std::size_t>(e)];
  // The surfaces moved: the system is prepared anew and its pupils solved again.
  MarkModelChanged();
  system.Update();
  system.SetUnsavedChanges(modified_);
}

TScanTrackResult RecordScanTrack(TSystemImage &system, TScanAnimation &animation,
                                 const TScanTrackRequest &request, TScannerParameters &scanner,
                                 TScanTrackObserver *observer, TScanSweep &sweep, int &lostStep) {
  lostStep = -1;
  sweep = TScanSweep{};
  TSystemPlacements placements;
  placements.Save(system);
  int steps = 0;
  if (!animation.BeginScan(steps)) return TScanTrackResult::kNoAnimation;
  // An animation that does not move leaves no period to divide into steps.
  if (steps < 1) {
    animation.EndScan();
    placements.Restore(system);
    return TScanTrackResult::kNoAnimation;
  }
  const int n = steps + 1;
  if (!scanner.TrackY.Allocate(n, 1) || !scanner.TrackZ.Allocate(n, 1)) {
    scanner.TrackY.Clear();
    scanner.TrackZ.Clear();
    animation.EndScan();
    placements.Restore(system);
    return TScanTrackResult::kNoMemory;
  }
  scanner.TrackY.Zero();
  scanner.TrackZ.Zero();
  scanner.ScanTime = scanner.Frequence > 0.0f ? 1.0 / scanner.Frequence : 1.0;
  scanner.TimeStep = scanner.ScanTime / (n - 1);
  const bool alongY = scanner.Yscanning != 0;
  TExtremes scanned;
  TScanTrackResult result = TScanTrackResult::kRecorded;
  for (int i = 0; i < n; ++i) {
    TScanPosition point;
    if (!ChiefRayImagePoint(system, request.fieldY, request.fieldZ, request.imageAtInfinity, point)) {
      lostStep = i;
      result = TScanTrackResult::kRayLost;
      break;
    }
    scanner.TrackY.data[i] = point.y;
    scanner.TrackZ.data[i] = point.z;
    scanned.Take(alongY ? point.y : point.z, i);
    if (observer != nullptr) observer->SampleRecorded(scanner, i, scanned.low, scanned.high);
    animation.StepScan();
    if (observer != nullptr) observer->Stepped();
  }
  animation.EndScan();
  placements.Restore(system);
  if (result != TScanTrackResult::kRecorded) return result;
  sweep = FindScanSweep(alongY ? scanner.TrackY.data : scanner.TrackZ.data, n);
  if (!TakeScanSweep(scanner, sweep)) return TScanTrackResult::kNoMemory;
  // A sweep of one sample (the image only falls, and rises in the jump back from the last
  // sample to the first) crosses nothing in no time.
  if (sweep.length < 2) sweep.range = 0.0;
  scanner.ScanTime = (sweep.length - 1) * scanner.TimeStep;
  return result;
}
