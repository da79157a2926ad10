// The polychromatic PSF: the PSFs at the system's wavelengths, each times its weight, summed
// through a temporary file so that only one PSF and one row stay in memory.

#include <cmath>
#include <cstdio>
#include <string>

#include "optics/model_globals.h"
#include "optics/optical_system.h"
#include "optics/psf_progress.h"
#include "platform/core/paths.h"

namespace {

// The running sum of the weighted PSFs in "~polyfrt.tmp" of the temporary directory: Nd x
// Nd little-endian floats, row by row, no header. When that file cannot be made, the sum is
// kept in memory instead. The file never outlives the sum.
class TPolychromaticSum {
 public:
  explicit TPolychromaticSum(int nd) : nd_(nd), path_(JoinPath(TempDir(), "~polyfrt.tmp")) {}
  ~TPolychromaticSum() { std::remove(path_.c_str()); }
  TPolychromaticSum(const TPolychromaticSum &) = delete;
  TPolychromaticSum &operator=(const TPolychromaticSum &) = delete;

  // Creates the empty file (or the memory sum). False only when neither can be had.
  bool Open() {
    std::FILE *file = std::fopen(path_.c_str(), "wb+");
    if (file != nullptr) {
      std::fclose(file);
      return row_.Allocate(nd_, 1) != 0;
    }
    if (!memory_.Allocate(nd_, nd_)) return false;
    memory_.Zero();
    return true;
  }

  // psf becomes psf x weight + the sum so far, and is stored as the new sum.
  bool Add(float *psf, double weight) {
    const float w = static_cast<float>(weight);
    const long cells = static_cast<long>(nd_) * nd_;
    if (memory_.data != nullptr) {
      for (long k = 0; k < cells; ++k) {
        psf[k] = psf[k] * w + (started_ ? memory_.data[k] : 0.0f);
        memory_.data[k] = psf[k];
      }
      started_ = true;
      return true;
    }
    if (started_) {
      std::FILE *file = std::fopen(path_.c_str(), "rb");
      if (file == nullptr) return false;
      bool read = true;
      for (int r = 0; r < nd_ && read; ++r) {
        float *line = psf + static_cast<long>(r) * nd_;
        read = std::fread(row_.data, sizeof(float), nd_, file) == static_cast<std::size_t>(nd_);
        for (int c = 0; c < nd_ && read; ++c) line[c] = line[c] * w + row_.data[c];
      }
      std::fclose(file);
      if (!read) return false;
    } else {
      for (long k = 0; k < cells; ++k) psf[k] *= w;
    }
    started_ = true;
    return Store(psf);
  }

  // Copies the sum into psf.
  bool Load(float *psf) const {
    const long cells = static_cast<long>(nd_) * nd_;
    if (memory_.data != nullptr) {
      for (long k = 0; k < cells; ++k) psf[k] = memory_.data[k];
      return true;
    }
    std::FILE *file = std::fopen(path_.c_str(), "rb");
    if (file == nullptr) return false;
    const bool read =
        std::fread(psf, sizeof(float), static_cast<std::size_t>(cells), file) ==
        static_cast<std::size_t>(cells);
    std::fclose(file);
    return read;
  }

 private:
  bool Store(const float *psf) {
    std::FILE *file = std::fopen(path_.c_str(), "wb+");
    if (file == nullptr) return false;
    const std::size_t cells = static_cast<std::size_t>(nd_) * static_cast<std::size_t>(nd_);
    const bool written = std::fwrite(psf, sizeof(float), cells, file) == cells;
    return std::fclose(file) == 0 && written;
  }

  int nd_;
  std::string path_;
  bool started_ = false;
  Mem<float> row_;
  Mem<float> memory_;
};

}  // namespace

int TOpticalSystem::ComputePolychromaticPSF(double fieldA, double fieldB) {
  ClearPsfCancel();
  Prepare(info.LambdaW, 1, 1);
  // Preparation may round Nd, so the grids are made after it.
  const int nd = info.Nd;
  if (nd < 2 || !workArray1.Allocate(nd, nd) || !workArray2.Allocate(nd, nd)) return 0;
  if (info.MonochromeSystem) return ComputePSFNodes(fieldA, fieldB, 1);

  const double savedLambda = info.LambdaW;
  const int entries = info.Spectrum.data != nullptr ? info.Spectrum.cols * info.Spectrum.rows : 0;
  double weightedSum = 0.0, weightSum = 0.0;
  for (int e = 0; e < entries; ++e) {
    weightedSum += info.Spectrum.data[e].lambda * info.Spectrum.data[e].weight;
    weightSum += info.Spectrum.data[e].weight;
  }
  const double meanLambda = weightSum != 0.0 ? weightedSum / weightSum : savedLambda;
  Prepare(meanLambda, 1, 1);
  SolveChiefRay(fieldA, fieldB);
  {
    TCurrentRay chief = MakeRay(fieldA, fieldB, 0.0, 0.0);
    TraceRay(chief, 2, nullptr, 0);
    if (info.ImageFinite == 0) {
      info.psfResults[1] = std::atan(chief.N / chief.L) * 1000.0;
      info.psfResults[2] = std::atan(chief.M / chief.L) * 1000.0;
    } else {
      info.psfResults[1] = chief.z;
      info.psfResults[2] = chief.y;
    }
  }

  int made = 0;
  bool failed = false;
  {
    TPolychromaticSum sum(nd);
    failed = !sum.Open();
    bool lastAdded = false;
    for (int e = 0; e < entries && !failed; ++e) {
      // A copy: preparation may touch the spectrum list.
      const TSpectralInfo entry = info.Spectrum.data[e];
      Prepare(entry.lambda, 1, 1);
      lastAdded = false;
      if (ComputePSFNodes(fieldA, fieldB, 0) != 0) {
        if (!sum.Add(workArray1.data, entry.weight)) {
          failed = true;
          break;
        }
        made = 1;
        lastAdded = true;
      }
      if (PsfCancelled()) failed = true;
    }
    // A later wavelength that made no PSF left its own arrays behind: the sum is in the file.
    if (!failed && made && !lastAdded && !sum.Load(workArray1.data)) failed = true;
  }
  info.LambdaW = savedLambda;
  Prepare(0.0, 1, 1);
  return failed ? 0 : made;
}
