#pragma once
// The running sum of weighted PSFs of a polychromatic job, kept in "~polyfrt.tmp" of the
// temporary directory: Nd x Nd little-endian floats, row by row, no header. When that file
// cannot be made the sum is kept in memory instead. The file never outlives the sum.

#include <string>

#include "foundation/containers/mem.h"

class TPolychromaticSum {
 public:
  explicit TPolychromaticSum(int nd);
  ~TPolychromaticSum();
  TPolychromaticSum(const TPolychromaticSum &) = delete;
  TPolychromaticSum &operator=(const TPolychromaticSum &) = delete;

  // Creates the empty file (or the memory sum). False only when neither can be had.
  bool Open();
  // psf (Nd x Nd) becomes psf x weight + the sum so far, and is stored as the new sum. The
  // first PSF added starts the sum: nothing is read before one was stored.
  bool Add(float *psf, double weight);
  // Copies the sum into psf; false when nothing was added or it cannot be read.
  bool Load(float *psf) const;
  bool InMemory() const { return memory_.data != nullptr; }
  const std::string &Path() const { return path_; }

 private:
  bool Store(const float *psf);

  int nd_;
  std::string path_;
  bool started_ = false;
  Mem<float> row_;
  Mem<float> memory_;
};
