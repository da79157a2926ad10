#include "editor/shell/session_restore.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace {

constexpr std::size_t kUndoPrefixLength = 4;  // "Undo"

// The ring number of an undo file's name, -1 when it has none.
long RingNumber(const std::string &path) {
  const std::string name = std::filesystem::path(path).stem().string();
  if (name.size() <= kUndoPrefixLength) return -1;
  const std::string digits = name.substr(kUndoPrefixLength);
  if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::strtol(digits.c_str(), nullptr, 10);
}

bool Readable(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  return static_cast<bool>(file);
}

}  // namespace

std::string NewestUndoFile(const std::vector<std::string> &files, int ringSize) {
  struct TCandidate {
    std::string path;
    long number;
    std::filesystem::file_time_type time;
  };
  std::vector<TCandidate> newest;
  for (const std::string &path : files) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || !Readable(path)) continue;
    const auto time = std::filesystem::last_write_time(path, error);
    if (error) continue;
    if (!newest.empty() && time < newest.front().time) continue;
    if (!newest.empty() && time > newest.front().time) newest.clear();
    newest.push_back({path, RingNumber(path), time});
  }
  if (newest.empty()) return std::string();
  std::sort(newest.begin(), newest.end(),
            [](const TCandidate &a, const TCandidate &b) { return a.number < b.number; });
  if (newest.size() == 1 || ringSize <= 0) return newest.back().path;
  // The end of the tied run: the file whose successor in the ring is not among them.
  std::set<long> tied;
  for (const TCandidate &candidate : newest) tied.insert(candidate.number);
  const TCandidate *end = nullptr;
  for (const TCandidate &candidate : newest) {
    if (candidate.number < 0 || tied.count((candidate.number + 1) % ringSize) != 0) continue;
    if (end != nullptr) return newest.back().path;  // not one run: the highest number
    end = &candidate;
  }
  return end != nullptr ? end->path : newest.back().path;
}
