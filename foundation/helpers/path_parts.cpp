#include "foundation/helpers/path_parts.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A colon ends a directory part only as a drive ("C:"); elsewhere it is an ordinary
// character of a file name here.
bool IsDriveColon(const std::string &path, std::size_t at) {
  return at == 1 && path[1] == ':' && IsAsciiLetter(path[0]);
}

// Position of the last separator or drive colon, or npos.
std::size_t LastBreak(const std::string &path) {
  for (std::size_t i = path.size(); i-- > 0;) {
    const char c = path[i];
    if (c == '/' || c == '\\' || (c == ':' && IsDriveColon(path, i))) return i;
  }
  return std::string::npos;
}

}  // namespace

std::string DirectoryOfPath(const std::string &path) {
  const std::size_t at = LastBreak(path);
  if (at == std::string::npos || at == 0) return std::string();
  if (path[at] == ':') return path.substr(0, at + 1);
  return path.substr(0, at);
}

std::string FileNameOfPath(const std::string &path) {
  const std::size_t at = LastBreak(path);
  if (at == std::string::npos) return path;
  return path.substr(at + 1);
}

std::string ExtensionOfPath(const std::string &path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return std::string();
  return path.substr(dot + 1);
}

std::string BaseNameOfPath(const std::string &path) {
  const std::string name = FileNameOfPath(path);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name;
  return name.substr(0, dot);
}
