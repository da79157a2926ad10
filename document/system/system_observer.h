#pragma once
// The views of the edited system that follow its edits: each registers as a TSystemObserver
// with the system, and a part of the program that has edited the system tells them all by
// one notice (TSystemImage::NotifyEdited), so that no view is refreshed twice or forgotten.

#include <vector>

class TSystemObserver {
 public:
  virtual ~TSystemObserver() = default;
  // The system was edited: the view shows it as it is now.
  virtual void SystemEdited() = 0;
};

// The observers of one system, not owned. Each is told once per notice, in the order they
// were added; one removed while the others are told (a window closed by a refresh) is not
// told any more, and one added then waits for the next notice.
class TSystemObservers {
 public:
  // Adding one twice keeps it once.
  void Add(TSystemObserver *observer);
  void Remove(TSystemObserver *observer);
  void Notify();
  int Count() const { return static_cast<int>(observers_.size()); }

 private:
  std::vector<TSystemObserver *> observers_;
};
