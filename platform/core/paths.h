#pragma once
// File-system paths: '/' separators, names kept in the case they have on disk.

#include <string>

// Turns every backslash into '/', so paths stored with Windows separators open here: file
// names inside system, settings and library files written on Windows ("cglass\schott.dgc").
std::string NormalizeSeparators(const std::string &path);

// Joins a directory and a name with exactly one '/' between them.
std::string JoinPath(const std::string &directory, const std::string &name);

// The directory holding the running program, without a trailing '/'.
std::string ProgramDirectory();

// The path as it exists on disk when some entry matches it without regard to case
// (each component compared case-insensitively); the path unchanged when none does.
std::string ResolvePathCase(const std::string &path);

bool FileExists(const std::string &path);
