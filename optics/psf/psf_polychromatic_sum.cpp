#include "optics/psf/psf_polychromatic_sum.h"

#include <cstdio>

#include "optics/model/model_globals.h"
#include "platform/core/paths.h"

TPolychromaticSum::TPolychromaticSum(int nd)
    : nd_(nd), path_(TempPath("~polyfrt.tmp")) {}

TPolychromaticSum::~TPolychromaticSum() { std::remove(path_.c_str()); }

bool TPolychromaticSum::Open() {
  started_ = false;
  std::FILE *file = std::fopen(path_.c_str(), "wb+");
  if (file != nullptr) {
    std::fclose(file);
    return row_.Allocate(nd_, 1) != 0;
  }
  if (!memory_.Allocate(nd_, nd_)) return false;
  memory_.Zero();
  return true;
}

bool TPolychromaticSum::Add(float *psf, double weight) {
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
  if (row_.data == nullptr) return false;
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

bool TPolychromaticSum::Load(float *psf) const {
  if (!started_) return false;
  const long cells = static_cast<long>(nd_) * nd_;
  if (memory_.data != nullptr) {
    for (long k = 0; k < cells; ++k) psf[k] = memory_.data[k];
    return true;
  }
  std::FILE *file = std::fopen(path_.c_str(), "rb");
  if (file == nullptr) return false;
  const bool read = std::fread(psf, sizeof(float), static_cast<std::size_t>(cells), file) ==
                    static_cast<std::size_t>(cells);
  std::fclose(file);
  return read;
}

bool TPolychromaticSum::Store(const float *psf) {
  std::FILE *file = std::fopen(path_.c_str(), "wb+");
  if (file == nullptr) return false;
  const std::size_t cells = static_cast<std::size_t>(nd_) * static_cast<std::size_t>(nd_);
  const bool written = std::fwrite(psf, sizeof(float), cells, file) == cells;
  return std::fclose(file) == 0 && written;
}
