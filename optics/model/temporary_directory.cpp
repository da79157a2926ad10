#include "optics/model/temporary_directory.h"

#include <dirent.h>
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

const char *const kLockFileName = ".lock";
// mkdtemp's six letters and digits.
const char *const kUniquePart = "XXXXXX";

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

// A directory only this user may enter: ours, no link, no permission for anyone else.
bool IsPrivateDirectory(const std::string &directory) {
  struct stat info {};
  return lstat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

// The lock of a private directory, taken; -1 when another running program holds it.
int LockDirectory(const std::string &directory) {
  const std::string lockPath = JoinPath(directory, kLockFileName);
  const int file = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (file < 0) return -1;
  if (flock(file, LOCK_EX | LOCK_NB) != 0) {
    close(file);
    return -1;
  }
  return file;
}

// Whether name is one of ours: the stem alone (as earlier versions made it) or the stem, a
// dash and a tail.
bool HasStem(const std::string &name, const std::string &stem) {
  if (name.compare(0, stem.size(), stem) != 0) return false;
  return name.size() == stem.size() || (name.size() > stem.size() + 1 && name[stem.size()] == '-');
}

std::string ProgramStem() { return "optbench-" + UserName(); }

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

std::vector<std::string> AbandonedTemporaryDirectories(const std::string &base, const std::string &own) {
  std::vector<std::string> found;
  const std::string stem = ProgramStem();
  std::error_code error;
  const std::filesystem::path ownPath = own.empty() ? std::filesystem::path() : std::filesystem::weakly_canonical(own, error);
  DIR *listing = opendir(base.c_str());
  if (listing == nullptr) return found;
  while (const dirent *entry = readdir(listing)) {
    if (!HasStem(entry->d_name, stem)) continue;
    const std::string directory = JoinPath(base, entry->d_name);
    if (!IsPrivateDirectory(directory) || std::filesystem::weakly_canonical(directory, error) == ownPath) continue;
    const int file = LockDirectory(directory);
    if (file < 0) continue;
    close(file);
    found.push_back(directory);
  }
  closedir(listing);
  return found;
}

bool TTemporaryDirectoryLock::AcquireDirectory(const std::string &directory) {
  if (!IsPrivateDirectory(directory)) return false;
  const int file = LockDirectory(directory);
  if (file < 0) return false;
  if (!IsPrivateDirectory(directory)) {
    close(file);
    return false;
  }
  Release();
  lockFile_ = file;
  return true;
}

std::string TTemporaryDirectoryLock::Acquire(const std::string &base) {
  Release();
  failure_ = 0;
  const std::string stem = ProgramStem();
  // First a directory a program of ours left unlocked (it ended or died, and its undo files
  // wait there). A name alone proves nothing, since anyone may make any name in a shared
  // place: only a private directory of this user is taken.
  if (DIR *listing = opendir(base.c_str())) {
    while (const dirent *entry = readdir(listing)) {
      if (!HasStem(entry->d_name, stem)) continue;
      const std::string directory = JoinPath(base, entry->d_name);
      if (!IsPrivateDirectory(directory)) continue;
      const int file = LockDirectory(directory);
      if (file < 0) continue;
      // Still private with the lock held (the check above may have raced a rename).
      if (!IsPrivateDirectory(directory)) {
        close(file);
        continue;
      }
      lockFile_ = file;
      closedir(listing);
      return directory;
    }
    closedir(listing);
  }
  // Else a new one under a name nobody can foresee; mkdtemp makes it with mode 0700.
  std::string pattern = JoinPath(base, stem + "-" + kUniquePart);
  if (mkdtemp(pattern.data()) == nullptr) {
    failure_ = errno;
    return std::string();
  }
  const int file = LockDirectory(pattern);
  if (file < 0) {
    failure_ = errno;
    rmdir(pattern.c_str());
    return std::string();
  }
  lockFile_ = file;
  return pattern;
}
