#include "document/system/options_image.h"

TOptionsImage::TOptionsImage() { ResetUndoRing(); }

int TOptionsImage::RingSize() const {
  return NStepUndoMax < kMinUndoSteps ? kMinUndoSteps : NStepUndoMax;
}

void TOptionsImage::SetUndoDepth(int steps) {
  NStepUndoMax = steps < kMinUndoSteps ? kMinUndoSteps : steps;
  ResetUndoRing();
}

void TOptionsImage::ResetUndoRing() {
  undoIndex = 0;
  redoBound = 0;
  // A failed allocation shows its box and leaves the list empty; labels then read empty.
  undoLabels.Allocate(RingSize(), 1);
  undoShownBefore.assign(RingSize(), -1);
  undoShownAfter.assign(RingSize(), -1);
}

int TOptionsImage::ShownBefore(int k) const {
  const std::size_t slot = k < 0 ? undoShownBefore.size() : static_cast<std::size_t>(k % RingSize());
  return slot < undoShownBefore.size() ? undoShownBefore[slot] : -1;
}

int TOptionsImage::ShownAfter(int k) const {
  const std::size_t slot = k < 0 ? undoShownAfter.size() : static_cast<std::size_t>(k % RingSize());
  return slot < undoShownAfter.size() ? undoShownAfter[slot] : -1;
}

void TOptionsImage::SetShown(int k, int before, int after) {
  if (k < 0) return;
  const std::size_t slot = static_cast<std::size_t>(k % RingSize());
  if (undoShownBefore.size() <= slot) undoShownBefore.resize(RingSize(), -1);
  if (undoShownAfter.size() <= slot) undoShownAfter.resize(RingSize(), -1);
  undoShownBefore[slot] = before;
  undoShownAfter[slot] = after;
}

std::string TOptionsImage::Label(int k) const {
  const int count = undoLabels.Cells();
  if (count == 0 || k < 0) return std::string();
  const int slot = k % RingSize();
  return slot < count ? undoLabels.data[slot] : std::string();
}

void TOptionsImage::SetLabel(int k, const std::string &label) {
  const int count = undoLabels.Cells();
  if (k < 0) return;
  const int slot = k % RingSize();
  if (slot >= count && undoLabels.Resize(RingSize(), 1) == 0) return;
  undoLabels.data[slot] = label;
}
