#include "analysis/aberrations/aberration_computation.h"

#include <algorithm>
#include <cmath>

#include "analysis/aberrations/aberration_plot.h"
#include "foundation/helpers/helpers.h"
#include "optics/model/optical_system.h"
#include "optics/prepare/working_wavelength.h"
#include "optics/pupils/field_rays.h"
#include "optics/trace/image_coordinate.h"
#include "platform/core/message_box.h"

namespace {

// A fan grown for a pupil larger than the one solved stays within this many points.
constexpr int kMaximumFanPoints = 4001;
// The fan spans this share of a solved entrance pupil, so its rim rays are not lost to
// rounding at the stop.
constexpr double kFanShareOfPupil = 0.99;
// Below this a fan diameter counts as none.
constexpr double kSmallestFanDiameter = 1e-5;
// Optical path difference in mm over the wavelength in micrometres gives waves.
constexpr double kMicrometresPerMillimetre = 1000.0;

double Cleaned(double value) { return std::fabs(value) < kAberrationZero ? 0.0 : value; }

// The entrance-pupil record and the record after it, as one computation found them.
struct TPupilRecords {
  double entranceDiameter;
  double entrancePoint[3];
  int entranceDefined;
  double exitDiameter;
  double exitPoint[3];
  int exitDefined;

  void Take(const TOpticalSystemInformation &info) {
    entranceDiameter = info.entrancePupilDiameter;
    std::copy(info.entrancePupilPoint, info.entrancePupilPoint + 3, entrancePoint);
    entranceDefined = info.entrancePupilDefined;
    exitDiameter = info.exitPupilDiameter;
    std::copy(info.exitPupilPoint, info.exitPupilPoint + 3, exitPoint);
    exitDefined = info.exitPupilDefined;
  }
  void Give(TOpticalSystemInformation &info) const {
    info.entrancePupilDiameter = entranceDiameter;
    std::copy(entrancePoint, entrancePoint + 3, info.entrancePupilPoint);
    info.entrancePupilDefined = entranceDefined;
    info.exitPupilDiameter = exitDiameter;
    std::copy(exitPoint, exitPoint + 3, info.exitPupilPoint);
    info.exitPupilDefined = exitDefined;
  }
};

// The wavelengths a run covers: the system's spectrum, or its working wavelength alone for
// a monochrome system or an empty spectrum.
int WavelengthCount(const TOpticalSystem &system) {
  const int count = system.info.WavelengthCount();
  return system.info.MonochromeSystem || count == 0 ? 1 : count;
}

double Wavelength(const TOpticalSystem &system, int w) {
  const int count = system.info.WavelengthCount();
  return system.info.MonochromeSystem || count == 0 ? system.info.LambdaW : system.info.Spectrum.data[w].lambda;
}

// The chosen index, or the whole list when it is negative; an index past the list counts
// as the whole list too, so a stale choice never reads outside it.
void ChosenRange(int index, int count, int &first, int &last) {
  if (index < 0 || index >= count) {
    first = 0;
    last = count - 1;
  } else {
    first = last = index;
  }
}

// Whether a ray marked to pass apertures went through all of them on its own: a rim or an
// obscuration anywhere on its way stops it, not only the image's.
bool RayPassed(const TCurrentRay &ray, int traced) {
  return RayWentThrough(ray, traced) && ray.blocked == 0 && ray.status == kRayPassed;
}

}  // namespace

int FanPointCount(int raysPerBeam) {
  return std::max(2 * (raysPerBeam / 2) + 1, kAberrationMinimumPoints);
}

int DistortionPointCount(int raysPerBeam) {
  return std::max(2 * (raysPerBeam / 2), kAberrationMinimumPoints);
}

int DistortionFieldRange(const Mem<double> &beams, double &first, double &last) {
  const int count = beams.Cells();
  if (count == 0) return 0;
  const auto [lowest, highest] = std::minmax_element(beams.data, beams.data + count);
  const double smallest = *lowest, largest = *highest;
  if (smallest == largest) return 0;
  if ((smallest > 0.0 && largest > 0.0) || (smallest < 0.0 && largest < 0.0)) {
    first = smallest;
    last = largest;
  } else {
    const double reach = std::max(std::fabs(smallest), std::fabs(largest));
    first = -reach;
    last = reach;
  }
  return 1;
}

void TAberrationComputation::WarnTooFewBeams() {
  MessageBox(nullptr,
             "More than one beam should be set.\nMain menu Settings->Beams->Beams coordinates.",
             "Warning", MB_OK | MB_ICONINFORMATION);
}

int TAberrationComputation::AllocateResults(int curves, int points) {
  FirstValues.Allocate(curves, points);
  SecondValues.Allocate(curves, points);
  Abscissae.Allocate(curves, points);
  PassFlags.Allocate(curves, points);
  FirstPassFlags.Allocate(curves, points);
  PointCounts.Allocate(curves, 1);
  FirstValues.Zero();
  SecondValues.Zero();
  Abscissae.Zero();
  PassFlags.Zero();
  FirstPassFlags.Zero();
  PointCounts.Zero();
  const bool complete = FirstValues.data && SecondValues.data && Abscissae.data &&
                        PassFlags.data && FirstPassFlags.data && PointCounts.data;
  return complete ? 1 : 0;
}

int TAberrationComputation::Compute(TOpticalSystem &system) {
  // A system that cannot be traced has no curves: none are kept from the one before.
  if (!system.Traceable()) {
    for (Mem<double> *values : {&FirstValues, &SecondValues, &Abscissae}) values->Clear();
    for (Mem<int> *flags : {&PassFlags, &FirstPassFlags, &PointCounts}) flags->Clear();
    return 0;
  }
  if (system.info.BeamCount() == 0) return 0;
  SetWaitCursor();
  const int result = ViewMode == kViewDistortion ? ComputeDistortion(system) : ComputeFans(system);
  SetArrowCursor();
  return result;
}

int TAberrationComputation::ComputeFans(TOpticalSystem &system) {
  TOpticalSystemInformation &info = system.info;
  TPupilRecords saved;
  saved.Take(info);

  int points = FanPointCount(system.info.Nray);
  double diameter;
  const TSurface *first = system.Surface(1);
  const double apertureDiameter = first != nullptr ? 2.0 * first->general.semiHeightExt : 0.0;
  if (info.entrancePupilDefined) {
    diameter = kFanShareOfPupil * info.entrancePupilDiameter;
  } else {
    diameter = apertureDiameter;
    const double solved = info.entrancePupilDiameter;
    info.entrancePupilDiameter = diameter;
    const DPOINT3 vertex = system.GetSurfacePosition(1, 0, kGlobalFrame);
    info.entrancePupilPoint[0] = vertex.x;
    info.entrancePupilPoint[1] = vertex.y;
    info.entrancePupilPoint[2] = vertex.z;
    // A fan across a larger aperture than the solved pupil keeps its point spacing; a
    // pupil of no size gives no spacing to keep.
    if (solved > 0.0 && diameter / solved > 1.0)
      points = std::min(static_cast<int>(points * (diameter / solved) + 1.0), kMaximumFanPoints);
  }
  if (diameter < kSmallestFanDiameter) diameter = apertureDiameter;
  if (diameter < kSmallestFanDiameter) diameter = 1.0;
  fanDiameter = diameter;
  const double step = diameter / (points - 1);

  int beamFirst, beamLast, waveFirst, waveLast;
  ChosenRange(BeamIndex, system.info.BeamCount(), beamFirst, beamLast);
  ChosenRange(LambdaIndex, WavelengthCount(system), waveFirst, waveLast);
  const int beams = beamLast - beamFirst + 1;
  const int waves = waveLast - waveFirst + 1;
  curveCount = std::max(beams, waves);
  beamsComputed = beams;
  wavelengthsComputed = waves;
  pointsPerCurve = points;
  AllocateResults(curveCount, points);
  Mem<double> fanCentres(curveCount, 1);
  fanCentres.Zero();
  // A fan's rays, traced together through the batch trace (its rays, results and path
  // differences are those of tracing them one by one).
  Mem<TCurrentRay> fan(points, 1);
  Mem<int> fanResults(points, 1);
  Mem<TRayWavefront> fanWavefronts(points, 1);
  const bool traceable = fan.data != nullptr && fanResults.data != nullptr &&
                         fanWavefronts.data != nullptr;

  const int savedMode = ScaleMode;
  TRangeRef transM{TransMmin, TransMmax}, transS{TransSmin, TransSmax};
  TRangeRef waveM{WaveMmin, WaveMmax}, waveS{WaveSmin, WaveSmax};
  ScaleMode = EffectiveScaleMode(ScaleMode, transM);
  if (ScaleMode == kScaleAuto) {
    transM.Reset();
    transS.Reset();
    waveM.Reset();
    waveS.Reset();
  }
  const bool widen = ScaleMode != kScaleFixed;
  const int imageFinite = info.ImageFinite;

  for (int pass = 0; pass < 2; ++pass) {
    const bool meridional = pass == 0;
    TRangeRef &trans = meridional ? transM : transS;
    TRangeRef &wave = meridional ? waveM : waveS;
    Mem<double> &values = meridional ? FirstValues : SecondValues;
    int curve = 0;
    for (int w = waveFirst; w <= waveLast && curve < curveCount; ++w) {
      const double lambda = Wavelength(system, w);
      // An entry of 0 in the spectrum is kept in the list but traces nothing.
      if (!(lambda > 0.0)) continue;
      for (int b = beamFirst; b <= beamLast && curve < curveCount; ++b) {
        system.ComputeIndices(lambda, 0.0, 0.0);
        const double field = info.AlfaM.data[b];
        system.SolveChiefRay(field, 0.0);
        // What depends on the field alone is worked out once for the fan's rays.
        const TFieldRays fieldRays = system.FieldRays(field, 0.0);
        const double centre = meridional || fanCentres.data == nullptr ? 0.0 : fanCentres.data[curve];
        TCurrentRay reference = fieldRays.Ray(meridional ? 0.0 : centre, 0.0);
        system.TraceRay(reference, 2, nullptr, 0);
        if (reference.L == 0.0) continue;
        const double ref = meridional
                               ? ImageCoordinate(imageFinite, reference.y, reference.M, reference.L)
                               : ImageCoordinate(imageFinite, reference.z, reference.N, reference.L);
        int row = 0;
        double lowest = 0.0, highest = 0.0;
        const int traced = values.data != nullptr && traceable ? points : 0;
        for (int i = 0; i < traced; ++i) {
          const double h = diameter / 2.0 - i * step;
          fan.data[i] = meridional ? fieldRays.Ray(h, 0.0) : fieldRays.Ray(centre, h);
          fan.data[i].traceThrough = 1;
        }
        system.TraceRays(fan.data, traced, kTraceWavefront, fanResults.data, fanWavefronts.data);
        for (int i = 0; i < traced; ++i) {
          const double h = diameter / 2.0 - i * step;
          const TCurrentRay &ray = fan.data[i];
          const bool passed = RayPassed(ray, fanResults.data[i]);
          const int cell = row * curveCount + curve;
          PassFlags.data[cell] = passed || info.DrawAllRays ? 1 : 0;
          if (meridional) FirstPassFlags.data[cell] = PassFlags.data[cell];
          if (ray.L == 0.0) continue;
          const double at = meridional ? ImageCoordinate(imageFinite, ray.y, ray.M, ray.L)
                                       : ImageCoordinate(imageFinite, ray.z, ray.N, ray.L);
          const double transverse = Cleaned(at - ref);
          const double waves_ = Cleaned(fanWavefronts.data[i].opticalPathDifference / lambda *
                                        kMicrometresPerMillimetre);
          values.data[cell] = ViewMode == kViewWave ? waves_ : transverse;
          Abscissae.data[cell] = Cleaned(h);
          if (passed && widen) {
            trans.Widen(transverse);
            wave.Widen(waves_);
          }
          if (row == 0 || h < lowest) lowest = h;
          if (row == 0 || h > highest) highest = h;
          ++row;
        }
        if (PointCounts.data != nullptr) PointCounts.data[curve] = row;
        if (meridional && fanCentres.data != nullptr) fanCentres.data[curve] = (lowest + highest) / 2.0;
        ++curve;
      }
    }
    trans.EnsureWidth(kAberrationMinimumSpan);
    wave.EnsureWidth(kAberrationMinimumSpan);
    if (meridional)
      MeridionalDone();
    else
      SagittalDone();
  }

  saved.Give(info);
  system.ComputeIndices(info.LambdaW, 0.0, 0.0);
  ScaleMode = savedMode;
  return 1;
}

int TAberrationComputation::ComputeDistortion(TOpticalSystem &system) {
  TOpticalSystemInformation &info = system.info;
  if (!DistortionFieldRange(info.AlfaM, fieldFirst, fieldLast)) {
    WarnTooFewBeams();
    return 0;
  }
  TPupilRecords saved;
  saved.Take(info);

  const int points = DistortionPointCount(info.Nray);
  int waveFirst, waveLast;
  ChosenRange(LambdaIndex, WavelengthCount(system), waveFirst, waveLast);
  curveCount = waveLast - waveFirst + 1;
  wavelengthsComputed = curveCount;
  beamsComputed = system.info.BeamCount();
  pointsPerCurve = points;
  AllocateResults(curveCount, points);
  const double step = (fieldLast - fieldFirst) / (points - 1);

  const int savedMode = ScaleMode;
  TRangeRef relative{DistorMin, DistorMax}, absolute{DistorRMin, DistorRMax};
  ScaleMode = EffectiveScaleMode(ScaleMode, relative);
  if (ScaleMode == kScaleAuto) {
    relative.Reset();
    absolute.Reset();
  }
  const bool widen = ScaleMode != kScaleFixed;
  const int imageFinite = info.ImageFinite;
  const int last = system.SurfaceCount() - 1;
  const double unitFactor = info.Unit == 1 ? 60.0 : 1.0;
  // Preparing at a wavelength makes it the working one: the user's comes back at the end.
  // The system's own preparation has already warned of missing glasses, once.
  constexpr int kFullPreparation = 1, kQuiet = 0;
  TWorkingWavelength working(system, TWavelengthRestore::kPrepare, kQuiet);

  for (int c = 0; c < curveCount && FirstValues.data != nullptr; ++c) {
    const double lambda = Wavelength(system, waveFirst + c);
    if (!(lambda > 0.0)) continue;
    system.Prepare(lambda, kFullPreparation, kQuiet);
    system.SolveChiefRay(0.0, 0.0);
    TCurrentRay axial = system.MakeRay(0.0, 0.0, 0.0, 0.0);
    system.TraceRange(axial, 1, last, nullptr);
    for (int i = 0; i < points; ++i) {
      const double field = fieldFirst + i * step;
      const int cell = i * curveCount + c;
      Abscissae.data[cell] = field * unitFactor;
      system.SolveChiefRay(field, 0.0);
      TCurrentRay real = system.MakeRay(field, 0.0, 0.0, 0.0);
      TCurrentRay paraxial = real;
      real.traceThrough = 1;
      paraxial.traceThrough = 1;
      const int traced = system.TraceRay(real, 1, nullptr, 0);
      system.TraceRange(paraxial, 1, last, nullptr);
      PassFlags.data[cell] = RayPassed(real, traced) || info.DrawAllRays ? 1 : 0;
      FirstPassFlags.data[cell] = PassFlags.data[cell];
      if (real.L == 0.0 || axial.L == 0.0 || paraxial.L == 0.0) continue;
      const double axialHeight = ImageCoordinate(imageFinite, axial.y, axial.M, axial.L);
      const double P = ImageCoordinate(imageFinite, real.y, real.M, real.L) - axialHeight;
      const double Q = ImageCoordinate(imageFinite, paraxial.y, paraxial.M, paraxial.L) - axialHeight;
      const double percent =
          std::fabs(Q) <= kAberrationZero ? 0.0 : Cleaned((std::fabs(P) / std::fabs(Q) - 1.0) * 100.0);
      FirstValues.data[cell] = P - Q;
      SecondValues.data[cell] = percent;
      if (widen) {
        relative.Widen(percent);
        absolute.Widen(P - Q);
      }
    }
    if (PointCounts.data != nullptr) PointCounts.data[c] = points;
  }

  working.Restore();
  saved.Give(info);
  AdjustDistortionRange(DistorMin, DistorMax);
  ScaleMode = savedMode;
  DistortionDone();
  return 1;
}
