#pragma once
// Splitting a file path into directory, file name, extension and base name. Both '/' and
// '\' separate directories (our own files use '/', older files may carry '\'), and a drive
// letter with its colon ("C:") counts as a directory part of its own.

#include <string>

// The text before the last separator or drive colon. A separator there is left out, a
// drive colon is kept. Empty when the path has neither or starts with its only separator.
std::string DirectoryOfPath(const std::string &path);

// The text after the last separator or drive colon; the whole path when it has neither.
std::string FileNameOfPath(const std::string &path);

// The text after the last dot of the whole path; empty without a dot or with a final dot.
std::string ExtensionOfPath(const std::string &path);

// The file name without its last dot and what follows it.
std::string BaseNameOfPath(const std::string &path);
