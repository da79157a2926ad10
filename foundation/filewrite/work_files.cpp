#include "foundation/filewrite/work_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr char kWorkMark[] = ".saving-";
constexpr char kUniquePart[] = "XXXXXX";  // mkstemp's letters and digits
constexpr std::size_t kUniqueLength = sizeof kUniquePart - 1;

std::string WorkPrefix(const std::string &fileName) {
  return fileName.substr(0, kWorkFileNamePart) + kWorkMark;
}

// Removes the work file when it is ours and nobody holds it; true when removed.
bool RemoveWhenStale(const std::string &path) {
  const int handle = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (handle < 0) return false;
  bool removed = false;
  struct stat held {};
  if (::fstat(handle, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
      ::flock(handle, LOCK_EX | LOCK_NB) == 0) {
    // Locked by us now: a writer that made it has died. It must still be the file of
    // that name (not one made in the meantime) when it goes.
    struct stat named {};
    if (::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
        named.st_ino == held.st_ino)
      removed = ::unlink(path.c_str()) == 0;
  }
  ::close(handle);
  return removed;
}

// Links followed at most, as the system does before it gives up on a loop.
constexpr int kMaxLinkHops = 40;

}  // namespace

bool IsForeignSharedLink(const std::string &path) {
  std::filesystem::path current(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat link {};
    if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return false;
    std::filesystem::path directory = current.parent_path();
    if (directory.empty()) directory = ".";
    struct stat place {};
    if (::stat(directory.c_str(), &place) == 0 && (place.st_mode & S_IWOTH) != 0 &&
        link.st_uid != ::geteuid() && link.st_uid != place.st_uid)
      return true;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) return false;
    current = target.is_absolute() ? target : directory / target;
  }
  return false;
}

std::string FileBehindLinks(const std::string &path) {
  if (char *real = ::realpath(path.c_str(), nullptr)) {
    std::string result = real;
    std::free(real);
    return result;
  }
  // No file there yet. A link whose target is still to be made is followed all the same, to
  // the name it points at, as a link to a file is: the file is made there, the link stays.
  std::filesystem::path current(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat link {};
    if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return current.string();
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) break;
    std::filesystem::path directory = current.parent_path();
    if (directory.empty()) directory = ".";
    current = target.is_absolute() ? target : directory / target;
  }
  return path;  // a loop of links: the name as given
}

std::string WorkFileTemplate(const std::string &directory, const std::string &fileName) {
  return (std::filesystem::path(directory) / (WorkPrefix(fileName) + kUniquePart)).string();
}

bool IsWorkFileName(const std::string &fileName, const std::string &candidate) {
  const std::string prefix = WorkPrefix(fileName);
  if (candidate.size() != prefix.size() + kUniqueLength || candidate.compare(0, prefix.size(), prefix) != 0)
    return false;
  for (std::size_t i = prefix.size(); i < candidate.size(); ++i)
    if (!std::isalnum(static_cast<unsigned char>(candidate[i]))) return false;
  return true;
}

int RemoveStaleWorkFiles(const std::string &path) {
  if (path.empty()) return 0;
  const std::filesystem::path file(FileBehindLinks(path));
  const std::string fileName = file.filename().string();
  const std::string directory = file.has_parent_path() ? file.parent_path().string() : std::string(".");
  DIR *listing = ::opendir(directory.c_str());
  if (listing == nullptr) return 0;
  int removed = 0;
  while (const dirent *entry = ::readdir(listing)) {
    if (!IsWorkFileName(fileName, entry->d_name)) continue;
    if (RemoveWhenStale((std::filesystem::path(directory) / entry->d_name).string())) ++removed;
  }
  ::closedir(listing);
  return removed;
}
