#pragma once
// The program's temporary directory: a private subdirectory (mode 0700, the user's own, made
// under a name nobody can foresee) of the system's temporary place, locked while a program
// uses it. A second running program makes a subdirectory of its own, so two programs never
// share undo files, while the files of a program that died are found by the next start (its
// lock went with it). A shared directory is never used in its place.

#include <string>
#include <vector>

// TMP, else TEMP, else TMPDIR, else the system's temporary directory; never empty.
std::string TemporaryBaseDirectory();

// Holds the lock of one subdirectory for as long as it lives.
class TTemporaryDirectoryLock {
 public:
  TTemporaryDirectoryLock() = default;
  ~TTemporaryDirectoryLock();
  TTemporaryDirectoryLock(const TTemporaryDirectoryLock &) = delete;
  TTemporaryDirectoryLock &operator=(const TTemporaryDirectoryLock &) = delete;

  // Locks a private subdirectory of base that no running program holds, or makes and locks
  // a new one, and answers its path; empty when none can be made or locked. A lock held
  // before is released first.
  std::string Acquire(const std::string &base);
  // Locks that private directory of this user in place of the one held; false (the one held
  // kept) when it is no such directory or a running program holds it.
  bool AcquireDirectory(const std::string &directory);
  void Release();
  bool Locked() const { return lockFile_ >= 0; }
  // The errno of the last Acquire that answered empty (0 after one that succeeded).
  int FailureCode() const { return failure_; }

 private:
  int lockFile_ = -1;
  int failure_ = 0;
};

// The other private directories of this user's programs in base (own left out) that no
// running program holds: the ones programs that died or ended left, with the undo files they
// wrote. Found by taking each one's lock for a moment.
std::vector<std::string> AbandonedTemporaryDirectories(const std::string &base, const std::string &own);
