#include "platform/core/paths.h"

#include <strings.h>

#include <filesystem>
#include <system_error>

std::string NormalizeSeparators(const std::string &path) {
  std::string result = path;
  for (char &c : result) {
    if (c == '\\') c = '/';
  }
  return result;
}

std::string JoinPath(const std::string &directory, const std::string &name) {
  if (directory.empty()) return name;
  std::string head = directory;
  while (head.size() > 1 && head.back() == '/') head.pop_back();
  std::size_t start = 0;
  while (start < name.size() && name[start] == '/') ++start;
  if (head == "/") return head + name.substr(start);
  return head + "/" + name.substr(start);
}

std::string ProgramDirectory() {
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error).string();
  return exe.parent_path().string();
}

bool FileExists(const std::string &path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

std::string ResolvePathCase(const std::string &path) {
  const std::string normal = NormalizeSeparators(path);
  if (normal.empty() || FileExists(normal)) return normal;
  namespace fs = std::filesystem;
  const fs::path input(normal);
  fs::path resolved = input.is_absolute() ? fs::path("/") : fs::path(".");
  bool first = true;
  for (const fs::path &component : input.relative_path()) {
    fs::path candidate = resolved / component;
    std::error_code error;
    if (!fs::exists(candidate, error)) {
      bool found = false;
      for (const auto &entry : fs::directory_iterator(resolved, error)) {
        if (strcasecmp(entry.path().filename().c_str(), component.c_str()) == 0) {
          candidate = entry.path();
          found = true;
          break;
        }
      }
      if (!found) return normal;
    }
    resolved = candidate;
    first = false;
  }
  if (first) return normal;
  std::string text = resolved.string();
  if (!input.is_absolute() && text.rfind("./", 0) == 0) text.erase(0, 2);
  return text;
}
