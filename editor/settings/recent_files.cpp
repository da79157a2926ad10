#include "editor/settings/recent_files.h"

#include <algorithm>

void TRecentFiles::Compact() {
  std::stable_partition(entries_.begin(), entries_.end(),
                        [](const std::string &e) { return !e.empty(); });
}

void TRecentFiles::InsertFront(const std::string &name, const std::string &untitledName) {
  if (name.empty() || name == untitledName) return;
  for (std::string &entry : entries_)
    if (entry == name) entry.clear();
  Compact();
  entries_.insert(entries_.begin(), name);
  entries_.resize(kRecentListSize);
}

void TRecentFiles::Remove(int k) {
  if (k < 0 || k >= Size()) return;
  entries_.erase(entries_.begin() + k);
  entries_.resize(kRecentListSize);
}

void TRecentFiles::Normalize(const std::string &currentName) {
  for (int k = 0; k < Size(); ++k) {
    std::string &entry = entries_[k];
    if (entry.empty()) continue;
    bool repeat = entry == currentName;
    for (int j = 0; j < k && !repeat; ++j) repeat = entries_[j] == entry;
    if (repeat) entry.clear();
  }
  Compact();
}

std::vector<std::string> TRecentFiles::MenuItems() const {
  std::vector<std::string> items;
  for (const std::string &entry : entries_) {
    if (entry.empty()) continue;
    items.push_back(entry);
    if (static_cast<int>(items.size()) == kRecentShown) break;
  }
  return items;
}

void TRecentFiles::LoadFrom(const TEditorSettings &settings) {
  for (int k = 0; k < kRecentListSize; ++k) entries_[k] = settings.recent[k];
}

void TRecentFiles::StoreTo(TEditorSettings &settings) const {
  for (int k = 0; k < kRecentListSize; ++k) settings.recent[k] = entries_[k];
}
