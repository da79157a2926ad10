#pragma once
// File-system paths: '/' separators, names kept in the case they have on disk.

#include <string>

// Turns every backslash into '/', so paths stored with Windows separators open here: file
// names inside system, settings and library files written on Windows ("cglass\schott.dgc").
std::string NormalizeSeparators(const std::string &path);

// Joins a directory and a name with exactly one '/' between them.
std::string JoinPath(const std::string &directory, const std::string &name);

// The directory holding the running program, without a trailing '/'; empty when the system
// does not tell (never the current directory).
std::string ProgramDirectory();

// The directory of the program the command line's first argument names: a path with a
// slash as written (relative to the start-up directory), a bare name as found along
// searchPath (PATH's form); empty when neither finds it.
std::string ProgramDirectoryFromArgument(const std::string &argv0, const char *searchPath);

// The path as it exists on disk when some entry matches it without regard to case
// (each component compared case-insensitively); the path unchanged when none does.
std::string ResolvePathCase(const std::string &path);

bool FileExists(const std::string &path);
