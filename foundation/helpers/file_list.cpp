#include "foundation/helpers/file_list.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "platform/core/message_box.h"
#include "platform/core/paths.h"

namespace {

// "*.*" meant every file to the old directory search, names without a dot included.
std::string PortableMask(const std::string &mask) {
  if (mask.empty() || mask == "*.*") return "*";
  return mask;
}

bool IsOrdinaryFile(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

int DeleteFileIfExists(const std::string &path) {
  if (path.empty()) return 0;
  const std::string name = NormalizeSeparators(path);
  // Only files: a directory opens for reading here and would be removed when empty.
  if (!IsOrdinaryFile(name)) return 0;
  std::FILE *file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return 0;
  std::fclose(file);
  return std::remove(name.c_str()) == 0 ? 1 : 0;
}

int ListFiles(const std::string &directory, const std::string &mask, Mem<STRING> &list) {
  const std::string given = NormalizeSeparators(directory);
  const std::string folder = given.empty() ? std::string(".") : given;
  const std::string pattern = PortableMask(mask);
  std::vector<std::string> names;
  try {
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) return 0;
    while (const dirent *entry = ::readdir(dir.get())) {
      const char *name = entry->d_name;
      if (name[0] == '.') continue;
      if (::fnmatch(pattern.c_str(), name, FNM_CASEFOLD) != 0) continue;
      if (!IsOrdinaryFile(JoinPath(folder, name))) continue;
      names.emplace_back(name);
    }
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
    return 0;
  }
  if (names.empty()) return 0;
  std::sort(names.begin(), names.end());
  const int count = static_cast<int>(names.size());
  if (list.Resize(count, 1) != count) {
    ShowNotEnoughMemory();
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    list.data[i] = STRING(JoinPath(folder, names[static_cast<std::size_t>(i)]));
  }
  return count;
}

bool ReadFileBytes(const std::string &path, std::string &bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}
