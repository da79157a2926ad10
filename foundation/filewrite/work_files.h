#pragma once
// Work files of a save: "<name>.saving-XXXXXX" beside the file "<name>" (the name cut to
// kWorkFileNamePart characters, so a long file name still leaves room), made with a
// name nobody holds and locked by its writer for as long as it lives. A work file found
// unlocked was left by a writer that was stopped mid-save; the next open of the file
// removes it. Nothing else is ever removed: not a file of another name, not one another
// user owns, not one a running writer holds.

#include <string>

// Characters of the file's name that a work file's name repeats.
constexpr std::size_t kWorkFileNamePart = 200;

// The pattern mkstemp fills for a work file of path (in the directory given).
std::string WorkFileTemplate(const std::string &directory, const std::string &fileName);

// Whether candidate (a name without directory) is a work file's name for fileName.
bool IsWorkFileName(const std::string &fileName, const std::string &candidate);

// The file a name stands for, links followed (a link is written through, not over, also
// when what it points at does not exist yet); the name itself when it does not exist yet.
std::string FileBehindLinks(const std::string &path);

// Whether path is, or leads through, a link that another user planted in a directory
// everyone may write (such as the shared temporary directory): writing through it would
// replace a file that link's maker chose, so it is never followed.
bool IsForeignSharedLink(const std::string &path);

// Removes the work files of the file at path that no running writer holds; answers how
// many were removed.
int RemoveStaleWorkFiles(const std::string &path);
