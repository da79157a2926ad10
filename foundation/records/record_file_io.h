#pragma once
// Low-level access to record files through plain file descriptors: whole reads and writes
// that survive interruptions and short transfers, seeking, and the little-endian integers
// of the record format. Shared by TEasyBase and TItemHandler.

#include <cstddef>
#include <cstdint>

namespace record_io {

constexpr int kClosed = -1;

// Opens read-write (or read-only) an existing file; kClosed on failure. The descriptor is
// never 0, 1 or 2, so it cannot be confused with the "own handle" 0 of TItemHandler.
int OpenExisting(const char *path, bool writable);
// Creates or truncates a file for reading and writing; kClosed on failure.
int CreateFile(const char *path);
void Close(int handle);
// A read-write file in memory holding a copy of the bytes, positioned at its start (an
// expanded compressed library is read through one); kClosed on failure.
int OpenMemoryCopy(const unsigned char *data, std::size_t size);

bool ReadExact(int handle, void *buffer, std::size_t size);
bool WriteExact(int handle, const void *buffer, std::size_t size);
bool Seek(int handle, long position);
// The current position, or -1.
long Tell(int handle);
// The file's length in bytes, or -1.
long Length(int handle);
bool Truncate(int handle, long length);
bool Flush(int handle);
// Gives `to` the permission bits of `from`, or of the file at fromPath.
bool CopyPermissions(int from, int to);
bool CopyPermissions(const char *fromPath, int to);

// Copies exactly `size` bytes from one descriptor's position to the other's, in blocks of
// 1024 bytes.
bool CopyExact(int from, int to, std::int64_t size);

// Copies `size` bytes from position `fromPosition` of one file to position `toPosition`
// of another (or the same) file, without moving either file's current position.
bool CopyRange(int from, long fromPosition, int to, long toPosition, std::int64_t size);

bool ReadInt32(int handle, std::int32_t *value);
bool WriteInt32(int handle, std::int32_t value);
std::int32_t DecodeInt32(const unsigned char *bytes);
void EncodeInt32(std::int32_t value, unsigned char *bytes);

}  // namespace record_io
