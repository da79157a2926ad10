#pragma once
// The program's temporary directory: a subdirectory per user under the system's temporary
// place, locked while a program uses it. A second running program takes the next free
// subdirectory, so two programs never share undo files, while the files of a program that
// died are found by the next start (its lock went with it).

#include <string>

// TMP, else TEMP, else TMPDIR, else the system's temporary directory; never empty.
std::string TemporaryBaseDirectory();

// Holds the lock of one subdirectory for as long as it lives.
class TTemporaryDirectoryLock {
 public:
  TTemporaryDirectoryLock() = default;
  ~TTemporaryDirectoryLock();
  TTemporaryDirectoryLock(const TTemporaryDirectoryLock &) = delete;
  TTemporaryDirectoryLock &operator=(const TTemporaryDirectoryLock &) = delete;

  // Creates (when needed) and locks the first free per-user subdirectory of base and
  // answers its path. When no subdirectory can be made or locked, base itself is answered
  // unlocked. A lock held before is released first.
  std::string Acquire(const std::string &base);
  void Release();
  bool Locked() const { return lockFile_ >= 0; }

 private:
  int lockFile_ = -1;
};
