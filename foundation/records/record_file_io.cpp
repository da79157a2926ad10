#include "foundation/records/record_file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace record_io {

namespace {

// Moves a descriptor that landed on a standard stream number above it.
int AboveStandardStreams(int handle) {
  if (handle < 0 || handle > 2) return handle;
  const int moved = fcntl(handle, F_DUPFD_CLOEXEC, 3);
  ::close(handle);
  return moved < 0 ? kClosed : moved;
}

}  // namespace

int OpenExisting(const char *path, bool writable) {
  if (path == nullptr) return kClosed;
  int handle = -1;
  do {
    handle = ::open(path, (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
  } while (handle < 0 && errno == EINTR);
  return AboveStandardStreams(handle);
}

int CreateFile(const char *path) {
  if (path == nullptr) return kClosed;
  int handle = -1;
  do {
    handle = ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (handle < 0 && errno == EINTR);
  return AboveStandardStreams(handle);
}

void Close(int handle) {
  if (handle >= 0) ::close(handle);
}

int OpenMemoryCopy(const unsigned char *data, std::size_t size) {
  const int handle = AboveStandardStreams(::memfd_create("expanded library", MFD_CLOEXEC));
  if (handle < 0) return kClosed;
  if ((size > 0 && !WriteExact(handle, data, size)) || !Seek(handle, 0)) {
    ::close(handle);
    return kClosed;
  }
  return handle;
}

bool ReadExact(int handle, void *buffer, std::size_t size) {
  auto *bytes = static_cast<unsigned char *>(buffer);
  while (size > 0) {
    const ssize_t got = ::read(handle, bytes, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

bool WriteExact(int handle, const void *buffer, std::size_t size) {
  const auto *bytes = static_cast<const unsigned char *>(buffer);
  while (size > 0) {
    const ssize_t put = ::write(handle, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

bool CopyExact(int from, int to, std::int64_t size) {
  constexpr std::int64_t kBlock = 1024;
  unsigned char block[kBlock];
  while (size > 0) {
    const auto part = static_cast<std::size_t>(size < kBlock ? size : kBlock);
    if (!ReadExact(from, block, part) || !WriteExact(to, block, part)) return false;
    size -= static_cast<std::int64_t>(part);
  }
  return true;
}

bool CopyRange(int from, long fromPosition, int to, long toPosition, std::int64_t size) {
  constexpr std::int64_t kBlock = 1024;
  unsigned char block[kBlock];
  while (size > 0) {
    const auto part = static_cast<std::size_t>(size < kBlock ? size : kBlock);
    std::size_t done = 0;
    while (done < part) {
      const ssize_t got = ::pread(from, block + done, part - done, fromPosition + done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      done += static_cast<std::size_t>(got);
    }
    done = 0;
    while (done < part) {
      const ssize_t put = ::pwrite(to, block + done, part - done, toPosition + done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += static_cast<std::size_t>(put);
    }
    fromPosition += static_cast<long>(part);
    toPosition += static_cast<long>(part);
    size -= static_cast<std::int64_t>(part);
  }
  return true;
}

bool Seek(int handle, long position) {
  return position >= 0 && ::lseek(handle, static_cast<off_t>(position), SEEK_SET) == position;
}

long Tell(int handle) { return static_cast<long>(::lseek(handle, 0, SEEK_CUR)); }

long Length(int handle) {
  struct stat info {};
  if (::fstat(handle, &info) != 0) return -1;
  return static_cast<long>(info.st_size);
}

bool Truncate(int handle, long length) {
  return length >= 0 && ::ftruncate(handle, static_cast<off_t>(length)) == 0;
}

bool Flush(int handle) { return ::fsync(handle) == 0; }

bool CopyPermissions(int from, int to) {
  struct stat info {};
  return ::fstat(from, &info) == 0 && ::fchmod(to, info.st_mode & 07777) == 0;
}

bool CopyPermissions(const char *fromPath, int to) {
  struct stat info {};
  return fromPath != nullptr && ::stat(fromPath, &info) == 0 &&
         ::fchmod(to, info.st_mode & 07777) == 0;
}

std::int32_t DecodeInt32(const unsigned char *bytes) {
  const std::uint32_t value =
      static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
      (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  return static_cast<std::int32_t>(value);
}

void EncodeInt32(std::int32_t value, unsigned char *bytes) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>((bits >> (8 * i)) & 0xFF);
}

bool ReadInt32(int handle, std::int32_t *value) {
  unsigned char bytes[4];
  if (!ReadExact(handle, bytes, sizeof bytes)) return false;
  *value = DecodeInt32(bytes);
  return true;
}

bool WriteInt32(int handle, std::int32_t value) {
  unsigned char bytes[4];
  EncodeInt32(value, bytes);
  return WriteExact(handle, bytes, sizeof bytes);
}

}  // namespace record_io
