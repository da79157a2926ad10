#include "foundation/filewrite/file_replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>

#include "foundation/filewrite/work_files.h"

namespace {

// Tries for a work file the name of which stays ours once its lock is taken (a cleaner in
// another program may remove an unlocked one in the instant before the lock).
constexpr int kWorkFileAttempts = 8;

TFileWriteResult Fault(TFileWriteFault fault, int error) { return TFileWriteResult{fault, error}; }

TFileWriteResult FromError(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return Fault(TFileWriteFault::kNoSpace, error);
    case EACCES:
    case EPERM:
      return Fault(TFileWriteFault::kNoPermission, error);
    case EROFS:
      return Fault(TFileWriteFault::kReadOnlyDisk, error);
    case ENOENT:
    case ENOTDIR:
      return Fault(TFileWriteFault::kNoDirectory, error);
    default:
      return Fault(TFileWriteFault::kFailed, error);
  }
}

// A failure to make or rename a file in a directory that is there: the system's "no such
// file" there (a system folder) is no missing directory.
TFileWriteResult FromErrorIn(int error, const std::string &directory) {
  const TFileWriteResult result = FromError(error);
  struct stat place {};
  if (result.fault == TFileWriteFault::kNoDirectory && ::stat(directory.c_str(), &place) == 0 &&
      S_ISDIR(place.st_mode))
    return Fault(TFileWriteFault::kCannotMake, error);
  return result;
}

std::string DirectoryOf(const std::string &path) {
  const std::string directory = std::filesystem::path(path).parent_path().string();
  return directory.empty() ? "." : directory;
}

// Whether the name still stands for the open file (a cleaner did not take it meanwhile).
bool NamesOpenFile(int handle, const std::string &name) {
  struct stat held {};
  struct stat named {};
  return ::fstat(handle, &held) == 0 && ::lstat(name.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// A new work file beside the destination, locked; -1 with error set when none could be made.
int MakeWorkFile(const std::string &directory, const std::string &fileName, std::string &work,
                 int &error) {
  for (int attempt = 0; attempt < kWorkFileAttempts; ++attempt) {
    work = WorkFileTemplate(directory, fileName);
    const int handle = ::mkostemp(work.data(), O_CLOEXEC);
    if (handle < 0) {
      error = errno;
      return -1;
    }
    if (::flock(handle, LOCK_EX) == 0 && NamesOpenFile(handle, work)) return handle;
    ::close(handle);
  }
  error = EAGAIN;
  return -1;
}

// The rename reaches the disk with the directory.
void SyncDirectory(const std::string &directory) {
  const int handle = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (handle < 0) return;
  ::fsync(handle);
  ::close(handle);
}

// The files the program's open replacements will put in place, by their full names.
std::mutex &HeldNamesLock() {
  static std::mutex lock;
  return lock;
}
std::set<std::string> &HeldNames() {
  static std::set<std::string> names;
  return names;
}

// The one name of a file however it is spelled (relative, with dots, through linked folders).
std::string FullName(const std::string &path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::weakly_canonical(std::filesystem::absolute(path, error), error);
  return error ? std::filesystem::absolute(path).lexically_normal().string() : full.string();
}

// The files whose replacements are not forced to the disk, by their full names.
std::multiset<std::string> &UnforcedNames() {
  static std::multiset<std::string> names;
  return names;
}
bool IsUnforced(const std::string &destination) {
  const std::lock_guard<std::mutex> guard(HeldNamesLock());
  return !UnforcedNames().empty() && UnforcedNames().count(FullName(destination)) != 0;
}

std::atomic<TReplaceWatcher> &Watcher() {
  static std::atomic<TReplaceWatcher> watcher{nullptr};
  return watcher;
}

std::int64_t ChangeTime(const struct stat &info) {
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

}  // namespace

TFileWriteResult CheckFileWritable(const std::string &path) {
  if (path.empty()) return Fault(TFileWriteFault::kNoDirectory, ENOENT);
  if (IsForeignSharedLink(path)) return Fault(TFileWriteFault::kForeignLink, 0);
  const std::string destination = FileBehindLinks(path);
  struct stat info {};
  if (::stat(destination.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return Fault(TFileWriteFault::kNotAFile, 0);
    // No write bit at all: the user marked it to be kept, and even the administrator
    // (whom the system lets write anything) leaves it.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Fault(TFileWriteFault::kReadOnly, 0);
    if (::access(destination.c_str(), W_OK) != 0) return FromError(errno);
  } else if (errno != ENOENT) {
    return FromError(errno);
  }
  const std::string directory = DirectoryOf(destination);
  struct stat place {};
  if (::stat(directory.c_str(), &place) != 0) return FromError(errno == ENOENT ? ENOENT : errno);
  if (!S_ISDIR(place.st_mode)) return Fault(TFileWriteFault::kNoDirectory, ENOTDIR);
  if (::access(directory.c_str(), W_OK | X_OK) != 0) return FromError(errno);
  return {};
}

TFileWriteResult ReplaceFileContents(const std::string &path, std::string_view bytes) {
  TFileReplacement replacement;
  TFileWriteResult result = replacement.Open(path);
  if (result.Written()) result = replacement.Append(bytes);
  if (result.Written()) result = replacement.Commit();
  return result;
}

TFileWriteResult MoveFileToNewName(const std::string &from, const std::string &to) {
  struct stat source {};
  if (::stat(from.c_str(), &source) != 0) return FromError(errno);
  struct stat target {};
  if (::lstat(to.c_str(), &target) == 0) return Fault(TFileWriteFault::kExists, EEXIST);
  const TFileWriteResult check = CheckFileWritable(to);
  if (!check.Written()) return check;
  // link() takes the name only while it is free, where rename() would replace a file made
  // in the meantime.
  if (::link(from.c_str(), to.c_str()) == 0) {
    std::remove(from.c_str());
    return {};
  }
  if (errno == EEXIST) return Fault(TFileWriteFault::kExists, EEXIST);
  std::ifstream in(from, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return FromError(EIO);
  const TFileWriteResult copied = ReplaceFileContents(to, bytes);
  if (copied.Written()) std::remove(from.c_str());
  return copied;
}

TFileReplacement::~TFileReplacement() { Abandon(); }

TFileWriteResult TFileReplacement::Open(const std::string &path) {
  Abandon();
  const TFileWriteResult check = CheckFileWritable(path);
  if (!check.Written()) return check;
  destination_ = FileBehindLinks(path);
  directory_ = DirectoryOf(destination_);
  {
    const std::string name = FullName(destination_);
    const std::lock_guard<std::mutex> guard(HeldNamesLock());
    if (!HeldNames().insert(name).second) return Fault(TFileWriteFault::kBeingWritten, EBUSY);
    held_ = name;
  }
  struct stat before {};
  existed_ = ::stat(destination_.c_str(), &before) == 0;
  device_ = existed_ ? before.st_dev : 0;
  node_ = existed_ ? before.st_ino : 0;
  size0_ = existed_ ? static_cast<std::uint64_t>(before.st_size) : 0;
  changed_ = existed_ ? ChangeTime(before) : 0;
  // A save of this file that was stopped midway (a movie killed while recording) left its
  // work file: it goes before the next one is made.
  RemoveStaleWorkFiles(destination_);
  int error = 0;
  handle_ = MakeWorkFile(directory_, std::filesystem::path(destination_).filename().string(), work_, error);
  if (handle_ < 0) {
    Release();
    return FromErrorIn(error, directory_);
  }
  size_ = 0;
  return {};
}

TFileWriteResult TFileReplacement::Append(std::string_view bytes) { return WriteAt(size_, bytes); }

TFileWriteResult TFileReplacement::WriteAt(std::uint64_t offset, std::string_view bytes) {
  if (handle_ < 0) return Fault(TFileWriteFault::kFailed, EBADF);
  std::uint64_t at = offset;
  while (!bytes.empty()) {
    const ssize_t written = ::pwrite(handle_, bytes.data(), bytes.size(), static_cast<off_t>(at));
    if (written < 0) {
      if (errno == EINTR) continue;
      return FromError(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
    at += static_cast<std::uint64_t>(written);
    // A write cut short by a full disk still counts what it left.
    if (at > size_) size_ = at;
  }
  return {};
}

TFileWriteResult TFileReplacement::Truncate(std::uint64_t size) {
  if (handle_ < 0) return Fault(TFileWriteFault::kFailed, EBADF);
  if (::ftruncate(handle_, static_cast<off_t>(size)) != 0) return FromError(errno);
  size_ = size;
  return {};
}

bool TFileReplacement::Supplanted() const {
  struct stat now {};
  if (handle_ < 0 || ::stat(destination_.c_str(), &now) != 0) return false;
  return !existed_ || now.st_dev != device_ || now.st_ino != node_ ||
         static_cast<std::uint64_t>(now.st_size) != size0_ || ChangeTime(now) != changed_;
}

void TFileReplacement::Release() {
  if (held_.empty()) return;
  const std::lock_guard<std::mutex> guard(HeldNamesLock());
  HeldNames().erase(held_);
  held_.clear();
}

TFileWriteResult TFileReplacement::Commit() {
  if (handle_ < 0) return Fault(TFileWriteFault::kFailed, EBADF);
  // The old file's permissions and owner, or for a new file those any new file gets here
  // (mkstemp made the work file private).
  struct stat old {};
  const bool existed = ::stat(destination_.c_str(), &old) == 0;
  mode_t mode = 0;
  if (existed) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  int error = 0;
  bool written = true;
  if (::fchmod(handle_, mode) != 0) {
    error = errno;
    written = false;
  }
  // The administrator saving a user's file leaves it the user's.
  if (written && existed && ::geteuid() == 0 && (old.st_uid != 0 || old.st_gid != 0)) {
    if (::fchown(handle_, old.st_uid, old.st_gid) != 0) {
      // Kept as root's: the contents matter more than the owner.
    }
  }
  // On the disk before the rename, so a crash leaves the old file or the new one.
  const bool forced = !IsUnforced(destination_);
  if (written && forced && ::fsync(handle_) != 0) {
    error = errno;
    written = false;
  }
  // Renamed while still locked: an unlocked work file may be taken for a stale one.
  if (written && std::rename(work_.c_str(), destination_.c_str()) != 0) {
    error = errno;
    written = false;
  }
  if (!written) {
    Abandon();
    return FromErrorIn(error, directory_);
  }
  // The bytes were flushed and renamed already; a late close error changes nothing.
  ::close(handle_);
  handle_ = -1;
  work_.clear();
  Release();
  if (forced) SyncDirectory(directory_);
  if (const TReplaceWatcher watcher = Watcher().load(); watcher != nullptr && forced) watcher(destination_);
  return {};
}

TUnforcedFile::TUnforcedFile(const std::string &path) : name_(FullName(FileBehindLinks(path))) {
  const std::lock_guard<std::mutex> guard(HeldNamesLock());
  UnforcedNames().insert(name_);
}

TUnforcedFile::~TUnforcedFile() {
  const std::lock_guard<std::mutex> guard(HeldNamesLock());
  UnforcedNames().erase(UnforcedNames().find(name_));
}

TReplaceWatcher SetReplaceWatcher(TReplaceWatcher watcher) { return Watcher().exchange(watcher); }

void TFileReplacement::Abandon() {
  Release();
  if (handle_ < 0) return;
  std::remove(work_.c_str());
  ::close(handle_);
  handle_ = -1;
  work_.clear();
  size_ = 0;
}

std::string FileWriteFaultText(const std::string &path, const TFileWriteResult &result) {
  const std::string file = "File \"" + path + "\"";
  switch (result.fault) {
    case TFileWriteFault::kNone:
      return file + " was written.";
    case TFileWriteFault::kReadOnly:
      return file + " is marked as read-only!";
    case TFileWriteFault::kNoPermission:
      return file + " cannot be written: you have no permission to write it or its directory.";
    case TFileWriteFault::kNoDirectory:
      return file + " cannot be written: its directory does not exist.";
    case TFileWriteFault::kCannotMake:
      return file + " cannot be made in its directory: " + std::strerror(result.error) + ".";
    case TFileWriteFault::kNoSpace:
      return file + " cannot be written: there is no space left on the disk.";
    case TFileWriteFault::kReadOnlyDisk:
      return file + " cannot be written: the disk it is on can only be read.";
    case TFileWriteFault::kNotAFile:
      return "\"" + path + "\" is not an ordinary file and cannot be replaced.";
    case TFileWriteFault::kNothingToWrite:
      return file + " was not written: there is nothing to write in it.";
    case TFileWriteFault::kTooLarge:
      return file + " was not written: it would be larger than the program reads back. The old file is kept.";
    case TFileWriteFault::kExists:
      return file + " already exists: it is kept.";
    case TFileWriteFault::kBeingWritten:
      return file + " is being written by another movie of the program, which would replace it when it ends: choose another name.";
    case TFileWriteFault::kForeignLink:
      return file + " cannot be written: it is a link another user made in a shared directory.";
    case TFileWriteFault::kFailed:
      break;
  }
  return file + " cannot be written: " + std::strerror(result.error) + ".";
}
