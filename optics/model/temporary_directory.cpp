#include "optics/model/temporary_directory.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/core/paths.h"

namespace {

// Enough for any number of programs one user runs at once.
constexpr int kMaxSubdirectories = 64;
const char *const kLockFileName = ".lock";

std::string UserName() {
  const uid_t uid = getuid();
  if (const passwd *entry = getpwuid(uid); entry != nullptr && entry->pw_name != nullptr &&
                                            entry->pw_name[0] != '\0') {
    std::string name = entry->pw_name;
    for (char &c : name) {
      if (c == '/' || c == '\\') c = '_';
    }
    return name;
  }
  return "uid" + std::to_string(uid);
}

}  // namespace

std::string TemporaryBaseDirectory() {
  for (const char *variable : {"TMP", "TEMP", "TMPDIR"}) {
    const char *value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return NormalizeSeparators(value);
  }
  std::error_code error;
  const std::filesystem::path system = std::filesystem::temp_directory_path(error);
  if (!error && !system.empty()) return system.string();
  return "/tmp";
}

TTemporaryDirectoryLock::~TTemporaryDirectoryLock() { Release(); }

void TTemporaryDirectoryLock::Release() {
  if (lockFile_ < 0) return;
  // Closing the descriptor drops the lock; the directory and its files stay for the next
  // start to find.
  close(lockFile_);
  lockFile_ = -1;
}

std::string TTemporaryDirectoryLock::Acquire(const std::string &base) {
  Release();
  const std::string stem = "optbench-" + UserName();
  for (int k = 0; k < kMaxSubdirectories; ++k) {
    const std::string directory = JoinPath(base, k == 0 ? stem : stem + "-" + std::to_string(k));
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) continue;
    struct stat info {};
    if (lstat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != getuid())
      continue;  // someone else's name, or not a directory: never write into it
    const std::string lockPath = JoinPath(directory, kLockFileName);
    const int file = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0) continue;
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
      close(file);
      continue;
    }
    lockFile_ = file;
    return directory;
  }
  return base;
}
