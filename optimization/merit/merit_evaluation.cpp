// The evaluation of the merit functions: per configuration the image surface is placed
// once, then for every wavelength the system is prepared and every beam that takes part has
// its chief ray and its fans traced; focal data, transverse and wave aberrations, the
// Strehl ratio from the fan's wave-aberration variance, distortion, the length of the
// system and the narcissus term fill the values the engine reads.
//
// The image surface is placed once per configuration and beam set, at the working
// wavelength: placing it again for every wavelength would put it at each colour's own
// focus and hide the longitudinal colour from the optimizer.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "analysis/narcissus/narciss_term.h"
#include "optics/model/optical_system.h"
#include "optics/prepare/working_wavelength.h"
#include "optics/pupils/chief_ray_aims.h"
#include "optics/pupils/field_rays.h"
#include "optics/pupils/pupil_solves.h"
#include "optics/trace/image_coordinate.h"
#include "optics/trace/trace_batch.h"
#include "optics/trace/trace_rules.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/system/configured_system.h"
#include "optimization/system/run_pump.h"

namespace {

// (2 pi)^2: the Marechal exponent per waves^2 of wavefront variance.
constexpr double kTwoPiSquared = 39.47841760435743;
// At this exponent or above the Strehl ratio is taken as 0 (a variance of 0.76 waves^2).
constexpr double kStrehlExponentLimit = 30.0;
// A paraxial image height at or below this gives no distortion.
constexpr double kParaxialHeightFloor = 1e-10;
// Micrometres per millimetre: path differences in mm over wavelengths in micrometres.
constexpr double kMicrometresPerMm = 1000.0;

// The transverse measure of a ray in the last surface's frame: its height (mm) for a finite
// image, its angle (mrad) for an image at infinity.
double Meridional(const TCurrentRay &ray, int imageFinite) {
  return ImageCoordinate(imageFinite, ray.y, ray.M, ray.L);
}
double Sagittal(const TCurrentRay &ray, int imageFinite) {
  return ImageCoordinate(imageFinite, ray.z, ray.N, ray.L);
}

bool Weighted(const Mem<TFunctionDescription> &table) {
  return table.data != nullptr && table.cols * table.rows > 0 && table.data[0].Weight != 0.0;
}

TFunctionDescription *Entry(Mem<TFunctionDescription> &table, int w, int ray = 0) {
  if (table.data == nullptr || w < 0 || ray < 0 || w >= table.cols || ray >= table.rows) return nullptr;
  return &table.data[ray * table.cols + w];
}

void SetValue(Mem<TFunctionDescription> &table, int w, double value, int ray = 0) {
  TFunctionDescription *d = Entry(table, w, ray);
  if (d != nullptr) d->Value = value;
}

}  // namespace

// What one wavelength's pass of one configuration shares between its beams.
struct TOptimizationFunctions::TPass {
  double lambda = 0.0;            // micrometres
  double pupilDiameter = 0.0;     // D of the pupils solved for the first field point
  double chiefY = 0.0, chiefZ = 0.0;
  double sum = 0.0, sumSquares = 0.0;  // wave aberrations of the passed fan rays
  int passed = 0;
};

int TOptimizationFunctions::Compute() {
  failure = kEvaluationDone;
  unknownGlasses.clear();
  if (system == nullptr || runPump == nullptr) {
    failure = kEvaluationNotRunning;
    return 0;
  }
  if (runPump->Pump() == 0) {
    failure = kEvaluationStopped;
    return 0;
  }
  fault.Reset();
  TOpticalSystem &s = system->System();
  const int surfaces = s.SurfaceCount();
  if (GatherFootprint != 0) {
    if (footprint.cols * footprint.rows != surfaces || footprint.data == nullptr) {
      footprint.Clear();
      if (surfaces > 0) footprint.Allocate(surfaces, 1);
    }
    for (int k = 0; k < footprint.Cells(); ++k)
      footprint.data[k] = DPOINT3();
  }
  // The passes prepare the system at each wavelength: it goes back to the working one.
  TWorkingWavelength working(s, TWavelengthRestore::kPrepareWhenChanged);
  const int configurations = std::min(system->ConfigurationCount(), records.cols);
  // Every chief ray of this evaluation starts where the last one of its beam was aimed.
  const TChiefRayAimsLent warmStarts(s, chiefRayAims);
  int result = 1;
  for (int c = 0; c < configurations && result != 0; ++c) result = EvaluateConfiguration(c);
  working.Restore();
  if (RefreshViews != 0) RestoreSystem();
  if (result != 0 && fault.AnyFlagSet() != 0) result = 0;
  if (result == 0 && failure == kEvaluationDone) failure = kEvaluationFault;
  return result;
}

int TOptimizationFunctions::EvaluateConfiguration(int c) {
  system->SelectConfiguration(c);
  chiefRayAims.SetConfiguration(c);
  TOpticalSystem &s = system->System();
  const int beams = records.rows;
  // The field points of the beams of positive weight; the axis when none has one.
  int positive = 0;
  for (int r = 0; r < beams; ++r) positive += Record(c, r)->Wbeam > 0.0 ? 1 : 0;
  const int listed = std::max(1, positive);
  if (fieldY.Cells() < listed && (!fieldY.Allocate(listed, 1) || !fieldZ.Allocate(listed, 1))) {
    failure = kEvaluationUnprepared;
    return 0;
  }
  fieldY.data[0] = fieldZ.data[0] = 0.0;
  for (int r = 0, k = 0; r < beams; ++r) {
    const TFunctionsParameters &record = *Record(c, r);
    if (record.Wbeam <= 0.0) continue;
    fieldY.data[k] = record.Ybeam;
    fieldZ.data[k++] = record.Zbeam;
  }
  if (SettingImageSurfaceType == kImageSurfaceAtBackFocus ||
      SettingImageSurfaceType == kImageSurfaceAtBestFocus) {
    const int placed = PlaceImageSurface(listed);
    if (placed == 0) return 0;
  }

  const int n = WavelengthCount();
  const double workingLambda = s.info.LambdaW;
  TFunctionsParameters *origin = Record(c, 0);
  for (int w = 0; w < n; ++w) {
    TPass pass;
    pass.lambda = PolychromeOptimization != 0 && n > 1 ? s.info.Spectrum.data[w].lambda : workingLambda;
    s.info.LambdaW = pass.lambda;
    // The preparation changes the system before its first solve and nothing after it until
    // the pass ends: the solves of the pass image the stop once, and a field point solved
    // again (the general one, a beam on it) takes the pupils its first solve found.
    TPupilSolves solves;
    const TPupilSolvesLent stillSystem(s, solves);
    const int general = system->PrepareAndUpdatePupils(fieldY.data[0], fieldZ.data[0]);
    if (s.materialsMissing != 0) {
      unknownGlasses = s.ComputeIndices(pass.lambda, 0.0, 0.0);
      failure = kEvaluationUnknownGlass;
      return 0;
    }
    if (general < 0) {
      fault.general = 1;
      return 0;
    }
    pass.pupilDiameter = s.info.entrancePupilDiameter;
    // First-order data of the general solve, before the beams solve their own pupils.
    const double focal = s.info.focalLength, backFocal = s.info.backFocalDistance;
    const double magnification = s.info.magnification;
    for (int r = 0; r < beams; ++r) {
      TFunctionsParameters &record = *Record(c, r);
      const bool active = record.Wbeam != 0.0 &&
                          (Weighted(record.AberT) || Weighted(record.AberW) || Weighted(record.Strehl));
      // A beam without ray weights still has its distortion listed when that is weighted.
      if (!active && r != 0 && !Weighted(record.Distor)) continue;
      // The tables must hold the rays the fans trace (at least 3) and this wavelength.
      if (record.NrayInBeam < TFunctionsParameters::kMinRaysInBeam || record.AberT.rows < record.NrayInBeam ||
          record.AberT.cols <= w || record.Focus.cols <= w)
        FitRecord(record, n);
      if (EvaluateBeam(record, w, active, pass) == 0) return 0;
      if (r != 0) continue;
      SetValue(record.Focus, w, focal);
      SetValue(record.Sfs, w, backFocal);
      SetValue(record.Magnification, w, magnification);
      TFunctionDescription *length = Entry(record.LengthOfSystem, w);
      if (length != nullptr && length->Weight != 0.0) length->Value = s.TrackLength();
    }
  }
  // The narcissus term of the system as the last pass left it prepared.
  if (origin != nullptr && origin->Narciss.Weight != 0.0)
    origin->Narciss.Value = NarcissTerm(s, origin->ScannerSurface);
  return 1;
}

int TOptimizationFunctions::PlaceImageSurface(int listed) {
  TOpticalSystem &s = system->System();
  const int n = s.SurfaceCount();
  if (n < 3) return 1;
  const int general = system->PrepareAndUpdatePupils(0.0, 0.0);
  if (s.materialsMissing != 0) {
    unknownGlasses = s.ComputeIndices(s.info.LambdaW, 0.0, 0.0);
    failure = kEvaluationUnknownGlass;
    return 0;
  }
  if (general < 0) {
    fault.general = 1;
    return 0;
  }
  if (SettingImageSurfaceType == kImageSurfaceAtBackFocus) {
    TCurrentRay axial = s.MakeRay(0.0, 0.0, 0.0, 0.0);
    axial.traceThrough = 1;
    s.TraceRay(axial, kTracePlainGlobal, &hits, 0);
    if (hits.data == nullptr || hits.cols * hits.rows < n - 1 || hits.data[n - 2].x == kHitListEnd) {
      fault.general = 1;
      return 0;
    }
    const TIntersectionPoint &after = hits.data[n - 2];
    const DPOINT3 from = s.GetSurfacePosition(n - 2, 0, kGlobalFrame);
    const double bfd = s.info.backFocalDistance;
    s.SetSurfacePosition(n - 1, 0, DPOINT3(from.x + bfd * after.L, from.y + bfd * after.M, from.z + bfd * after.N),
                         kGlobalFrame);
  } else {
    Mem<double> ys(listed, 1), zs(listed, 1);
    if (ys.data == nullptr || zs.data == nullptr) return 0;
    std::copy(fieldY.data, fieldY.data + listed, ys.data);
    std::copy(fieldZ.data, fieldZ.data + listed, zs.data);
    s.AutoFocus(&ys, &zs);
  }
  if (system->ConfigurationCount() > 1) system->StoreConfiguration(-1);
  return 1;
}

int TOptimizationFunctions::EvaluateBeam(TFunctionsParameters &record, int w, bool active, TPass &pass) {
  TOpticalSystem &s = system->System();
  const bool distortion = Weighted(record.Distor);
  if (!active && !distortion) return 1;
  if (active) {
    // The pupils of this beam's field point, then its chief ray as the wave reference.
    const int solved = s.SolveChiefRay(record.Ybeam, record.Zbeam);
    // Fans traced one by one with their hits read each surface's view from a batch; the
    // batch trace and a single trace without hits pass the lens surfaces faster without one.
    std::optional<TTraceBatch> batch;
    if (GatherFootprint != 0) batch.emplace(s);
    // The chief ray meets the apertures (the reference trace passes them, so a plain trace
    // judges first). One that is stopped, outside an aperture, reflected or missing leaves
    // the beam no reference; one that only meets a central obscuration (a mirror with a
    // hole) is the reference of an annular pupil.
    const TCurrentRay start = s.MakeRay(record.Ybeam, record.Zbeam, 0.0, 0.0);
    TCurrentRay chief = start;
    chief.traceThrough = 0;
    int through = solved >= 1 ? s.TraceRay(chief, kTracePlain, nullptr, 0) : 0;
    if (solved >= 1 && through != 1 && chief.status == kRayObscured) through = 1;
    if (through == 1) {
      chief = start;
      through = s.TraceRay(chief, kTraceReference, nullptr, 0);
    }
    if (through != 1) {
      if (RefreshViews != 0) system->RefreshViews();
      fault.chief = 1;
      NoteStoppedChief(chief, record, solved >= 1);
      // 0: the search found no aim through the stop's centre at all.
      fault.chiefFound = solved != 0;
      return 0;
    }
    pass.chiefY = Meridional(chief, s.info.ImageFinite);
    pass.chiefZ = Sagittal(chief, s.info.ImageFinite);
    pass.sum = pass.sumSquares = 0.0;
    pass.passed = 0;
    TraceFan(record, w, false, pass);
    if (EnableSagittalRays != 0) TraceFan(record, w, true, pass);
    // Every fan ray failed: no wavefront, no Strehl ratio.
    double strehl = 0.0;
    if (pass.passed > 0) {
      const double mean = pass.sum / pass.passed;
      const double variance = pass.sumSquares / pass.passed - mean * mean;
      const double e = variance * kTwoPiSquared;
      strehl = e >= kStrehlExponentLimit ? 0.0 : std::exp(-e);
    }
    SetValue(record.Strehl, w, strehl);
  }
  if (distortion) EvaluateDistortion(record, w, active);
  return 1;
}

void TOptimizationFunctions::TraceFan(TFunctionsParameters &record, int w, bool sagittal, TPass &pass) {
  TOpticalSystem &s = system->System();
  const int rays = record.NrayInBeam;
  if (fanResults.Cells() < rays &&
      (!fanRays.Allocate(rays, 1) || !fanResults.Allocate(rays, 1) || !fanWavefronts.Allocate(rays, 1)))
    return;
  const double step = pass.pupilDiameter / (rays - 1);
  const TFieldRays field = s.FieldRays(record.Ybeam, record.Zbeam);
  for (int j = 0; j < rays; ++j) {
    const double p = pass.pupilDiameter / 2.0 - j * step;
    fanRays.data[j] = sagittal ? field.Ray(0.0, p) : field.Ray(p, 0.0);
    fanRays.data[j].traceThrough = 1;
  }
  if (GatherFootprint != 0) {
    // One by one with their hits: the footprint needs every surface a ray met.
    for (int j = 0; j < rays; ++j) {
      fanResults.data[j] = s.TraceRay(fanRays.data[j], kTraceWavefront, &hits, 0);
      fanWavefronts.data[j] = {s.eikonal.opticalPathDifference, s.eikonal.transmission};
      if (fanResults.data[j] == 1) KeepFootprint(sagittal);
    }
  } else {
    s.TraceRays(fanRays.data, rays, kTraceWavefront, fanResults.data, fanWavefronts.data);
  }
  Mem<TFunctionDescription> &transverse = sagittal ? record.AberTSag : record.AberT;
  Mem<TFunctionDescription> &wave = sagittal ? record.AberWSag : record.AberW;
  const double reference = sagittal ? pass.chiefZ : pass.chiefY;
  const double wavesPerMm = pass.lambda > 0.0 ? kMicrometresPerMm / pass.lambda : 0.0;
  for (int j = 0; j < rays; ++j) {
    const TCurrentRay &ray = fanRays.data[j];
    const double p = pass.pupilDiameter / 2.0 - j * step;
    const double a = fanWavefronts.data[j].opticalPathDifference * wavesPerMm;
    double t = p;
    if (fanResults.data[j] != 1) {
      NoteFailedRay(ray, p);
    } else if (!RayWentThrough(ray, fanResults.data[j])) {
      // Carried past a rim or an obscuration: its landing keeps the fan's aberration whole,
      // but it is no light, so it stays out of the wavefront's sums and the passed heights.
      ++fault.stoppedFanRays;
      t = sagittal ? Sagittal(ray, s.info.ImageFinite) : Meridional(ray, s.info.ImageFinite);
    } else {
      fault.NotePassedHeight(p);
      t = sagittal ? Sagittal(ray, s.info.ImageFinite) : Meridional(ray, s.info.ImageFinite);
      pass.sum += a;
      pass.sumSquares += a * a;
      ++pass.passed;
    }
    SetValue(transverse, w, t - reference, j);
    SetValue(wave, w, a, j);
  }
}

void TOptimizationFunctions::NoteStoppedChief(const TCurrentRay &chief, const TFunctionsParameters &record,
                                              bool traced) {
  const TOpticalSystem &s = system->System();
  const int surface = chief.stoppedAt - 1;
  fault.chiefFieldY = record.Ybeam;
  fault.chiefFieldZ = record.Zbeam;
  fault.chiefSurface = 0;
  if (!traced || surface < 0 || surface >= s.SurfaceCount() || s.Surface(surface) == nullptr) return;
  const TGeneralParameters &g = s.Surface(surface)->general;
  fault.chiefSurface = surface + 1;
  fault.chiefStatus = chief.status;
  fault.chiefOnImage = surface == s.SurfaceCount() - 1;
  // The plain trace leaves the ray in the frame of the surface that stopped it; the rim
  // may sit off the vertex.
  fault.chiefHeight = std::hypot(chief.y - g.boundPosYExt, chief.z - g.boundPosXExt);
  fault.chiefSemiHeight = g.semiHeightExt;
}

void TOptimizationFunctions::NoteFailedRay(const TCurrentRay &ray, double p) {
  // A ray stopped inside the system (a lens-array gap, an intersection that did not
  // converge) has found no surface to go on through: it is a missed ray, and the
  // evaluation must not report success with it.
  if (ray.status == kRayTotalReflection)
    fault.reflected = 1;
  else
    fault.missed = 1;
  fault.NoteFailedHeight(p);
  if (RefreshViews != 0) system->RefreshViews();
}

void TOptimizationFunctions::KeepFootprint(bool sagittal) {
  const TOpticalSystem &s = system->System();
  const int count = std::min(hits.Cells(), footprint.cols * footprint.rows);
  for (int k = 0; k < count && footprint.data != nullptr; ++k) {
    const TIntersectionPoint &hit = hits.data[k];
    if (hit.x == kHitListEnd) break;
    const double point[3] = {hit.x, hit.y, hit.z};
    const double direction[3] = {hit.L, hit.M, hit.N};
    const TIntersectionPoint local = s.ToSurfaceFrame(k, point, direction);
    DPOINT3 &kept = footprint.data[k];
    kept.x = std::max(kept.x, std::fabs(local.x));
    if (sagittal)
      kept.z = std::max(kept.z, std::fabs(local.z));
    else
      kept.y = std::max(kept.y, std::fabs(local.y));
  }
}

void TOptimizationFunctions::EvaluateDistortion(TFunctionsParameters &record, int w, bool solved) {
  TOpticalSystem &s = system->System();
  // The pupils must be those of the beam's meridional field point.
  if (!solved || record.Zbeam != 0.0) s.SolveChiefRay(record.Ybeam, 0.0);
  TCurrentRay real = s.MakeRay(record.Ybeam, 0.0, 0.0, 0.0);
  real.traceThrough = 1;
  TCurrentRay paraxial = real;
  s.TraceRay(real, kTracePlain, nullptr, 0);
  s.TraceRange(paraxial, 0, s.SurfaceCount() - 1, nullptr);
  const double h = Meridional(real, s.info.ImageFinite);
  const double h0 = Meridional(paraxial, s.info.ImageFinite);
  const double distortion = std::fabs(h0) <= kParaxialHeightFloor ? 0.0 : (std::fabs(h) / std::fabs(h0) - 1.0) * 100.0;
  SetValue(record.Distor, w, std::fabs(distortion));
}
