#include "document/system/system_observer.h"

#include <algorithm>

void TSystemObservers::Add(TSystemObserver *observer) {
  if (observer == nullptr || std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return;
  observers_.push_back(observer);
}

void TSystemObservers::Remove(TSystemObserver *observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TSystemObservers::Notify() {
  // The list as it stands now: an observer may remove itself or another while told.
  const std::vector<TSystemObserver *> told = observers_;
  for (TSystemObserver *observer : told)
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) observer->SystemEdited();
}
