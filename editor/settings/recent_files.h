#pragma once
// The recent-systems list of the File menu: entry 0 is the most recent; the system that is
// open, the untitled file and repeated names never appear; the menu shows five. Paths are
// kept and compared exactly as given (a Linux path's case is part of its name).

#include <string>
#include <vector>

#include "editor/settings/editor_settings.h"

class TRecentFiles {
 public:
  TRecentFiles() : entries_(kRecentListSize) {}

  // Puts name at entry 0 (an empty name or the untitled file changes nothing); the
  // list keeps its size, the oldest entry falls off, an earlier copy of the name goes.
  void InsertFront(const std::string &name, const std::string &untitledName);
  // Removes entry k (the list keeps its size, an empty entry closes it).
  void Remove(int k);
  // Drops the open system's name and every repeat of an earlier entry, closing the gaps.
  void Normalize(const std::string &currentName);
  // The non-empty entries in order, at most five: the menu's items 18000 + i.
  std::vector<std::string> MenuItems() const;

  const std::string &Entry(int k) const { return entries_[k]; }
  int Size() const { return static_cast<int>(entries_.size()); }

  // Exchange with the settings record.
  void LoadFrom(const TEditorSettings &settings);
  void StoreTo(TEditorSettings &settings) const;

 private:
  void Compact();
  std::vector<std::string> entries_;
};
