#pragma once
// The choice of the snapshot to restore after a session that did not end: the undo files
// it left are compared by their whole modification times (date and time to the file
// system's resolution). Snapshots written within one tick of the clock are told apart by
// the undo ring: the ring is written in rising numbers that wrap round at its size, so of
// the tied files the newest is the one the tied run of numbers ends with.

#include <string>
#include <vector>

// The newest of the undo files (paths named "Undo<n>.os"), for a ring of `ringSize`
// files; files that cannot be read are skipped. Empty when none can be read.
std::string NewestUndoFile(const std::vector<std::string> &files, int ringSize);
