#pragma once
// The screen region the editor keeps per surface and per drawn element. The model only owns
// and copies it; the editor supplies the concrete region, so the model stays free of any
// drawing library.

class TEditRegion {
 public:
  virtual ~TEditRegion() = default;
  // A region of the same shape that the caller owns.
  virtual TEditRegion *Clone() const = 0;
};
