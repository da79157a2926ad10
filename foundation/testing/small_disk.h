#pragma once
// A tiny disk for tests of what a writer does when the disk is full: a memory file system
// of a few kilobytes mounted on a fresh directory, where it can in a mount namespace of the
// test process's own (so it is gone with the process, even when the test dies). Mounting needs
// the administrator's rights; without them the test is skipped with a note.

#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

class TSmallDisk {
 public:
  explicit TSmallDisk(int kilobytes = 16) {
    std::string pattern = (std::filesystem::temp_directory_path() / "small_disk_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    directory_ = pattern;
    // A process with threads cannot take a namespace of its own: the mount is then seen
    // by everyone until the destructor takes it away.
    OwnMountNamespace();
    const std::string size = "size=" + std::to_string(kilobytes) + "k";
    if (::mount("tmpfs", directory_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, size.c_str()) != 0) {
      why_ = std::string("cannot mount a small file system: ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~TSmallDisk() {
    if (mounted_) ::umount2(directory_.c_str(), MNT_DETACH);
    std::error_code ignored;
    if (!directory_.empty()) std::filesystem::remove_all(directory_, ignored);
  }
  TSmallDisk(const TSmallDisk &) = delete;
  TSmallDisk &operator=(const TSmallDisk &) = delete;

  bool Active() const { return mounted_; }
  const std::string &Why() const { return why_; }
  std::string PathOf(const std::string &name) const { return directory_ + "/" + name; }

  // Mounts the disk again to be read only: every write on it is refused.
  bool MakeReadOnly() const {
    return ::mount(nullptr, directory_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }
  // Fills the disk with a file of its own until no byte more fits.
  void Fill() const {
    std::ofstream filler(PathOf("filler"), std::ios::binary);
    const std::string block(512, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
    std::ofstream last(PathOf("filler-tail"), std::ios::binary);
    while (last.put('x') && last.flush()) {
    }
  }

 private:
  // Mounts made from here on are seen by this process only.
  static bool OwnMountNamespace() {
    static const bool own = ::unshare(CLONE_NEWNS) == 0 &&
                            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return own;
  }

  std::string directory_;
  std::string why_;
  bool mounted_ = false;
};

#define SKIP_WITHOUT_SMALL_DISK(disk) \
  if (!(disk).Active()) GTEST_SKIP() << "no small disk for the full-disk case: " << (disk).Why()
