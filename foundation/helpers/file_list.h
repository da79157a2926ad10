#pragma once
// Deleting a file, reading one whole and listing the files of a directory.

#include <string>

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"

// Deletes the file when it can be opened for reading; 1 when it was deleted, else 0
// (missing, unreadable or not removable). Nothing is shown.
int DeleteFileIfExists(const std::string &path);

// The file's bytes, all of them; false (bytes left as they were) when it cannot be opened.
bool ReadFileBytes(const std::string &path, std::string &bytes);

// Fills list (count columns by 1 row) with directory + "/" + name of every ordinary file
// in directory whose name matches mask ('*' and '?', without regard to case; "*.*" is
// every file), sorted by name. Directories and hidden files are left out. Returns the
// count; with no match, or when the list cannot be made, returns 0 and leaves the list
// as it was.
int ListFiles(const std::string &directory, const std::string &mask, Mem<STRING> &list);
