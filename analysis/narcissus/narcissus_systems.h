#pragma once
// The copies the narcissus analysis works on, made from an editor's system image: a copy
// by Assign for each scan position and the system unfolded at a surface by Clone.

#include "analysis/narcissus/narcissus_analysis.h"

class TSystemImage;

class TSystemImageNarcissus : public TNarcissusSystems {
 public:
  explicit TSystemImageNarcissus(const TSystemImage &source) : source_(source) {}
  std::unique_ptr<TOpticalSystem> Copy() override;
  // copy must be a system image (one Copy made).
  std::unique_ptr<TOpticalSystem> Unfold(TOpticalSystem &copy, int surface) override;

 private:
  const TSystemImage &source_;
};
