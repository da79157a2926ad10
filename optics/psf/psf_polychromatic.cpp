// The polychromatic PSF: the PSFs at the system's wavelengths, each where its own chief ray
// lands about the mean wavelength's, times its weight, summed through a temporary file so
// that only one PSF and one row stay in memory.

#include <cmath>

#include "optics/model/optical_system.h"
#include "optics/prepare/working_wavelength.h"
#include "optics/psf/psf_polychromatic_sum.h"
#include "optics/psf/psf_progress.h"
#include "optics/trace/image_coordinate.h"

int TOpticalSystem::ComputePolychromaticPSF(double fieldA, double fieldB) {
  ClearPsfCancel();
  Prepare(info.LambdaW, 1, 1);
  // Preparation may round Nd, so the grids are made after it.
  const int nd = info.Nd;
  if (nd < 2 || !workArray1.Allocate(nd, nd) || !workArray2.Allocate(nd, nd)) return 0;
  if (info.MonochromeSystem) return ComputePSFNodes(fieldA, fieldB, 1);

  // Each line's preparation makes its wavelength the working one: the scope gives the
  // user's back, prepared, on every way out.
  TWorkingWavelength working(*this, TWavelengthRestore::kPrepare, 1);
  const double savedLambda = working.Lambda();
  const int entries = info.WavelengthCount();
  double weightedSum = 0.0, weightSum = 0.0;
  for (int e = 0; e < entries; ++e) {
    if (!IsTracedWavelength(info.Spectrum.data[e])) continue;
    weightedSum += info.Spectrum.data[e].lambda * info.Spectrum.data[e].weight;
    weightSum += info.Spectrum.data[e].weight;
  }
  const double meanLambda = weightSum != 0.0 ? weightedSum / weightSum : savedLambda;
  Prepare(meanLambda, 1, 1);
  // Every wavelength's PSF is sampled at the mean wavelength's interval, so that they add
  // node by node.
  const double interval = info.discreteInEffect;
  SolveChiefRay(fieldA, fieldB);
  {
    TCurrentRay chief = MakeRay(fieldA, fieldB, 0.0, 0.0);
    TraceRay(chief, kTraceReference, nullptr, 0);
    info.psfResults[1] = ImageCoordinate(info.ImageFinite, chief.z, chief.N, chief.L);
    info.psfResults[2] = ImageCoordinate(info.ImageFinite, chief.y, chief.M, chief.L);
  }

  int made = 0;
  bool failed = false;
  // Every wavelength's PSF stands about this one centre, where its own chief ray lands:
  // the light beyond the grid is summed by weight to be told.
  double weightAdded = 0.0, weightLeftOut = 0.0;
  {
    TPolychromaticSum sum(nd);
    failed = !sum.Open();
    bool lastAdded = false;
    for (int e = 0; e < entries && !failed; ++e) {
      // A copy: preparation may touch the spectrum list.
      const TSpectralInfo entry = info.Spectrum.data[e];
      // Preparing at 0 would keep the last wavelength and count its PSF twice.
      if (!IsTracedWavelength(entry)) continue;
      Prepare(entry.lambda, 1, 1);
      if (info.entrancePupilDiameter != 0.0) SetupFieldSampling(interval);
      lastAdded = false;
      if (ComputePSFNodes(fieldA, fieldB, 0) != 0) {
        if (!sum.Add(workArray1.data, entry.weight)) {
          failed = true;
          break;
        }
        made = 1;
        lastAdded = true;
        weightAdded += entry.weight;
        weightLeftOut += entry.weight * info.psfLightBeyondGrid;
      }
      if (PsfCancelled()) failed = true;
    }
    // A later wavelength that made no PSF left its own arrays behind: the sum is in the file.
    if (!failed && made && !lastAdded && !sum.Load(workArray1.data)) failed = true;
  }
  working.Restore();
  info.psfLightBeyondGrid = weightAdded != 0.0 ? weightLeftOut / weightAdded : 0.0;
  // The interval in effect stays that of the PSF left in the first work array.
  if (info.entrancePupilDiameter != 0.0) SetupFieldSampling(interval);
  return failed ? 0 : made;
}
