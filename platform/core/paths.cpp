#include "platform/core/paths.h"

#include <strings.h>
#include <sys/auxv.h>
#include <unistd.h>

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
  if (!error) return exe.parent_path().string();
  // Without /proc: the path the system started the program from, when it is whole.
  const auto *started = reinterpret_cast<const char *>(getauxval(AT_EXECFN));
  if (started != nullptr && started[0] == '/') return std::filesystem::path(started).parent_path().string();
  return std::string();
}

std::string ProgramDirectoryFromArgument(const std::string &argv0, const char *searchPath) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (argv0.find('/') != std::string::npos) {
    // A path with a slash was opened as written: relative to the directory the program was
    // started in, which is still the current one at start-up.
    const fs::path program = fs::absolute(argv0, error);
    return error ? std::string() : program.lexically_normal().parent_path().string();
  }
  if (argv0.empty() || searchPath == nullptr) return std::string();
  // A bare name was found along the search path; only whole directories of it are taken.
  const std::string paths = searchPath;
  for (std::size_t start = 0; start <= paths.size();) {
    std::size_t end = paths.find(':', start);
    if (end == std::string::npos) end = paths.size();
    const std::string directory = paths.substr(start, end - start);
    const std::string candidate = JoinPath(directory, argv0);
    if (!directory.empty() && directory[0] == '/' && ::access(candidate.c_str(), X_OK) == 0 &&
        fs::is_regular_file(candidate, error))
      return fs::path(directory).lexically_normal().string();
    start = end + 1;
  }
  return std::string();
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
