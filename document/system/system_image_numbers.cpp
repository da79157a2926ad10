// The surface numbers the optimization setup names: every edit that adds, removes or
// reorders surfaces hands the setup's keeper where each surface went, once, whichever
// command made it.

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "document/system/system_image.h"

void TSystemImage::TakeSurfaceNumbers() {
  numbered_.assign(surfaces.data, surfaces.data + SurfaceCount());
  numbersTaken_ = true;
}

void TSystemImage::FollowSurfaceNumbers() {
  if (following_) return;
  if (setupKeeper_ == nullptr || holdNumbers_ > 0 || !numbersTaken_) {
    TakeSurfaceNumbers();
    return;
  }
  const int count = SurfaceCount();
  if (static_cast<int>(numbered_.size()) == count && std::equal(numbered_.begin(), numbered_.end(), surfaces.data))
    return;
  std::unordered_map<const TSurface *, int> now;
  now.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) now.emplace(surfaces.data[i], i);
  std::vector<int> map(numbered_.size(), -1);
  for (std::size_t i = 0; i < numbered_.size(); ++i)
    if (const auto found = now.find(numbered_[i]); found != now.end()) map[i] = found->second;
  TakeSurfaceNumbers();
  following_ = true;
  // The step left keeps the setup as it was before the first move since its snapshot.
  if (!setupOfStepKept_) KeepSetupOfStep();
  setupKeeper_->SurfacesRenumbered(map);
  // Back at the surfaces of the step (a placement given up): the next snapshot keeps the
  // setup as it stands then beside it.
  if (numbered_ == stepNumbered_) setupOfStepKept_ = false;
  following_ = false;
}
