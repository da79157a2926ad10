#include "analysis/psf/psf_run.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/psf/psf_maths.h"
#include "foundation/interfaces/progress.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/prepare/working_wavelength.h"
#include "optics/psf/diffraction_sampling.h"
#include "optics/psf/psf_progress.h"
#include "optics/trace/image_coordinate.h"
#include "platform/core/message_box.h"

namespace {

// Every run has a stem of its own, so the files of two windows (or two programs sharing a
// directory) never meet.
std::string NewStem() {
  static std::atomic<int> counter{0};
  return "psf" + std::to_string(static_cast<long>(::getpid())) + "_" + std::to_string(++counter) + "_";
}

struct TRecordSource {
  Mem<TFileData> *records;
  int n;
};

// Reads record `index` into an n x n buffer; a file of another size is not read.
int ReadRecord(void *context, int index, float *pixels) {
  const TRecordSource &source = *static_cast<TRecordSource *>(context);
  TFileData &record = source.records->data[index];
  Mem<float> raster;
  if (!record.Read(raster) || raster.data == nullptr) return 0;
  if (raster.cols != source.n || raster.rows != source.n) return 0;
  std::copy(raster.data, raster.data + static_cast<std::size_t>(raster.cols) * raster.rows, pixels);
  return 1;
}

bool EnsureWorkRaster(Mem<float> &raster, int nx) {
  if (raster.data != nullptr && raster.cols == nx && raster.rows == nx) return true;
  if (!raster.Allocate(nx, nx)) return false;
  raster.Zero();
  return true;
}

}  // namespace

double MeanWavelength(const TOpticalSystem &system) {
  const int count = system.info.WavelengthCount();
  if (system.info.MonochromeSystem || count == 0) return system.info.LambdaW;
  double weighted = 0.0, weights = 0.0, plain = 0.0;
  int traced = 0;
  for (int i = 0; i < count; ++i) {
    const TSpectralInfo &s = system.info.Spectrum.data[i];
    if (!IsTracedWavelength(s)) continue;
    ++traced;
    weighted += s.lambda * s.weight;
    weights += s.weight;
    plain += s.lambda;
  }
  if (traced == 0) return system.info.LambdaW;
  return weights != 0.0 ? weighted / weights : plain / traced;
}

TPsfRun::TPsfRun(const std::string &directory)
    : directory_(directory.empty() ? TempDir() : directory), stem_(NewStem()) {}

TPsfRun::~TPsfRun() { DeleteFiles(); }

std::string TPsfRun::FileName(int w, const char *extension) const {
  return directory_ + "/" + stem_ + std::to_string(w) + extension;
}

void TPsfRun::DeleteFiles() {
  for (Mem<TFileData> *list : {&images, &spectra}) {
    const int count = list->Cells();
    for (int i = 0; i < count; ++i)
      if (!list->data[i].fileName.empty()) std::remove(list->data[i].fileName.c_str());
    list->Clear();
  }
}

int TPsfRun::Compute(TOpticalSystem &system, double Y, double X, int nx, bool idealPoint) {
  if (state == kComputed) return 1;
  if (nx < 4 || system.SurfaceCount() < 2) return 0;
  // No private directory: no rasters, rather than files at the root.
  if (directory_.empty()) return 0;
  TOpticalSystemInformation &info = system.info;
  constexpr int kFull = 1, kWarn = 1, kQuiet = 0;
  // Every way out gives the user's wavelength and node count back; once the run has
  // prepared the system, it is prepared again at that wavelength.
  TWorkingWavelength working(system, TWavelengthRestore::kValue, kQuiet);
  working.KeepNodeCount();
  const double workingLambda = working.Lambda();

  if (!EnsureWorkRaster(system.workArray1, nx) || !EnsureWorkRaster(system.workArray2, nx)) return 0;
  info.Nd = nx;
  const bool polychromatic = !info.MonochromeSystem && info.WavelengthCount() > 0;
  working.SetRestore(TWavelengthRestore::kPrepare);
  if (system.Prepare(MeanWavelength(system), kFull, kWarn) <= 0) {
    // A glass that does not reach a wavelength is told as on every other road.
    if (const std::string told = system.UntracedText(); !told.empty())
      MessageBox(nullptr, told, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  // Every wavelength is sampled at the interval in effect now, so that the rasters add node
  // by node.
  interval = info.discreteInEffect;
  const double unit = info.Unit == 1 ? 60.0 : 1.0;
  const double fieldA = Y / unit, fieldB = X / unit;
  // The PSF is centred on the chief ray's image point: without that ray there is no PSF.
  // Aimed through the stop's centre for this point, as every wavelength's PSF aims its own.
  system.SolveChiefRay(fieldA, fieldB);
  TCurrentRay chief = system.MakeRay(fieldA, fieldB, 0.0, 0.0);
  if (system.TraceRay(chief, kTraceReference, nullptr, 0) != 1) {
    char text[96];
    std::snprintf(text, sizeof text, "Chief ray in beam %g does not pass!", Y);
    MessageBox(nullptr, text, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  // One centre for every wavelength: the mean wavelength's chief ray. Each wavelength's PSF
  // stands about it where its own chief ray lands, so lateral colour shows in the sum.
  info.psfResults[1] = ImageCoordinate(info.ImageFinite, chief.z, chief.N, chief.L);
  info.psfResults[2] = ImageCoordinate(info.ImageFinite, chief.y, chief.M, chief.L);
  double largestLeftOut = 0.0;
  std::string leftOut;

  DeleteFiles();
  lightBeyondGrid = 0.0;
  lightLeftOut.clear();
  const int planned = polychromatic ? system.info.WavelengthCount() : 1;
  if (!images.Allocate(planned, 1) || !spectra.Allocate(planned, 1)) {
    images.Clear();
    spectra.Clear();
    return 0;
  }

  TProgressGauge *gauge = PsfGauge();
  BeginPsfJob();
  int written = 0;
  bool stopped = false;
  for (int i = 0; i < planned && !stopped; ++i) {
    const double lambda = polychromatic ? info.Spectrum.data[i].lambda : workingLambda;
    const double weight = polychromatic ? info.Spectrum.data[i].weight : 1.0;
    if (polychromatic && !IsTracedWavelength(info.Spectrum.data[i])) continue;
    if (polychromatic && system.Prepare(lambda, kFull, kQuiet) <= 0) continue;
    if (polychromatic && info.entrancePupilDiameter != 0.0) system.SetupFieldSampling(interval);
    int made;
    if (idealPoint) {
      system.workArray1.Zero();
      system.workArray1.data[(nx / 2) * nx + nx / 2] = 1.0f;
      made = 1;
    } else {
      made = system.ComputePSFNodes(fieldA, fieldB, polychromatic ? 0 : 1);
      if (made && info.psfLightBeyondGrid >= kToldLightBeyondGrid) {
        char text[96];
        std::snprintf(text, sizeof text, "%sat %g um %s %%", leftOut.empty() ? "" : ", ", lambda,
                      ShareAsPercent(info.psfLightBeyondGrid).c_str());
        leftOut += text;
      }
      if (made) largestLeftOut = std::max(largestLeftOut, info.psfLightBeyondGrid);
    }
    // The window's gauge spans every wavelength: pump at the end of this one's share.
    const double done = gauge != nullptr ? gauge->Maximum() * (i + 1.0) / planned : 0.0;
    if (PsfCancelled() || (gauge != nullptr && !gauge->StepAndPump(done))) {
      stopped = true;
      break;
    }
    if (!made) continue;
    TFileData &record = images.data[written];
    record = TFileData();
    record.fileName = FileName(written, ".img");
    record.wavelength = static_cast<float>(lambda);
    record.weight = static_cast<float>(weight);
    record.sampleStep = static_cast<float>(interval);
    if (!record.Write(system.workArray1)) {
      record.fileName.clear();
      continue;
    }
    spectra.data[written] = record;
    spectra.data[written].fileName = FileName(written, ".spc");
    ++written;
  }

  working.Restore();
  if (stopped) {
    // A stopped run leaves nothing that could pass for a computed PSF.
    DeleteFiles();
    state = kToCompute;
    return 0;
  }
  // Both lists hold the PSFs that were written, and no empty records.
  if (written == 0) {
    images.Clear();
    spectra.Clear();
    return 0;
  }
  if (written < planned) {
    images.Resize(written, 1);
    spectra.Resize(written, 1);
  }
  state = kComputed;
  lightBeyondGrid = largestLeftOut;
  lightLeftOut = leftOut;
  if (!leftOut.empty()) {
    char grid[96];
    std::snprintf(grid, sizeof grid, " of the light stands beyond the %d x %d grid", nx, nx);
    leftOut[0] = 'A';
    MessageBox(nullptr, leftOut + grid + " and is left out of the PSF.\nA larger size or Discrete holds it.",
               "Warning", MB_OK | MB_ICONEXCLAMATION);
  }
  return 1;
}

int TPsfRun::ConvertToMtf(int nx) {
  const int count = images.Cells();
  Mem<float> raster, imaginary(nx, nx);
  if (imaginary.data == nullptr) return 0;
  for (int i = 0; i < count; ++i) {
    TFileData &record = images.data[i];
    if (!record.Read(raster) || raster.cols != nx || raster.rows != nx) return 0;
    if (!MtfFromPsf(nx, raster.data, imaginary.data)) return 0;
    if (!record.Write(raster)) return 0;
  }
  return 1;
}

int TPsfRun::Sum(int nx, Mem<float> &sum) {
  const int count = images.Cells();
  std::vector<TWavelengthRaster> list(static_cast<std::size_t>(count));
  TRecordSource source{&images, nx};
  for (int i = 0; i < count; ++i) {
    list[i].lambda = images.data[i].wavelength;
    list[i].weight = images.data[i].weight;
    list[i].read = ReadRecord;
    list[i].context = &source;
    list[i].index = i;
  }
  return SumOverWavelengths(list.data(), count, nx, sum);
}
