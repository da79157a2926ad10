#include "foundation/records/easy_base.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "foundation/filewrite/file_replace.h"
#include "foundation/filewrite/work_files.h"
#include "foundation/records/lz_expand.h"
#include "foundation/records/record_file_io.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"

namespace {

std::string Quoted(const std::string &path) { return "\"" + path + "\""; }

// Grows a table so that it has at least `needed` cells, keeping its content.
template <class T>
bool Reserve(Mem<T> &table, int needed) {
  if (table.cols * table.rows >= needed) return true;
  const int grown = std::max(needed, 2 * table.cols * table.rows);
  if (table.Resize(grown, 1) == 0) {
    ShowNotEnoughMemory();
    return false;
  }
  return true;
}

// Bytes copied at a time while packing.
constexpr long kPackBlockSize = 64 * 1024;

TFileWriteResult AppendInt32(TFileReplacement &replacement, std::int32_t value) {
  unsigned char bytes[4];
  record_io::EncodeInt32(value, bytes);
  return replacement.Append(std::string_view(reinterpret_cast<const char *>(bytes), 4));
}

// The fixed-name work file that earlier versions packed through, left by a kill: removed
// when it is a plain file of ours (never a link, nor another user's file).
void RemoveOldPackWorkFile(const std::string &library) {
  const std::string old = (std::filesystem::path(library).parent_path() / kOldPackWorkFileName).string();
  struct stat info {};
  if (::lstat(old.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid())
    ::unlink(old.c_str());
}

// No write permission bit at all: the user marked the library to be kept, and even the
// administrator, whom the system lets write anything, leaves it.
bool MarkedReadOnly(const char *path) {
  struct stat info {};
  return ::stat(path, &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

TEasyBase::~TEasyBase() { Close(); }

bool TEasyBase::Fail(const std::string &text) {
  error = text;
  return false;
}

bool TEasyBase::SizeTables(int records) {
  names.Clear();
  positions.Clear();
  deleted.Clear();
  // Allocate shows "Not enough memory" itself when it fails.
  if (names.Allocate(records + 1) == 0 || positions.Allocate(records + 2) == 0 ||
      deleted.Allocate(records + 1) == 0) {
    names.Clear();
    positions.Clear();
    deleted.Clear();
    return Fail("Not enough memory");
  }
  positions.data[0] = 4;
  return true;
}

bool TEasyBase::StartOver(const char *name) {
  Close();
  error.clear();
  if (name == nullptr || *name == '\0') return Fail("No file name given for the library");
  return true;
}

int TEasyBase::Create(const char *name) {
  if (!StartOver(name)) return -1;
  const int file = record_io::CreateFile(name);
  if (file < 0) {
    Fail("Cannot create the library " + Quoted(name) + ": " + std::strerror(errno));
    return -1;
  }
  if (!SizeTables(0)) {
    record_io::Close(file);
    return -1;
  }
  handle = file;
  fileName = name;
  count = 0;
  names.data[0] = "None";
  readOnly = false;
  modified = 0;
  return handle;
}

int TEasyBase::Open(const char *name) {
  if (!StartOver(name)) return -1;
  if (!FileExists(name)) return Create(name);
  // Work files a pack killed midway left beside the library go first.
  RemoveStaleWorkFiles(name);
  RemoveOldPackWorkFile(name);
  const bool markedReadOnly = MarkedReadOnly(name);
  int file = markedReadOnly ? -1 : record_io::OpenExisting(name, true);
  readOnly = false;
  if (file < 0 && (markedReadOnly || errno == EACCES || errno == EROFS || errno == EPERM)) {
    file = record_io::OpenExisting(name, false);
    readOnly = true;
  }
  if (file < 0) {
    Fail("Cannot open the library " + Quoted(name) + ": " + std::strerror(errno));
    return -1;
  }
  handle = file;
  fileName = name;
  if (!LoadTables()) {
    const std::string reason = error;
    Close();
    error = reason;
    return -1;
  }
  modified = 0;
  return handle;
}

bool TEasyBase::LoadTables() {
  const std::string where = "The library " + Quoted(fileName);
  const long length = record_io::Length(handle);
  if (length < 0) return Fail(where + " cannot be read");
  // A library that was created but never given a record holds nothing yet.
  if (length == 0) {
    if (!SizeTables(0)) return false;
    count = 0;
    names.data[0] = "None";
    return true;
  }
  unsigned char head[kLzHeaderSize] = {};
  const std::size_t headSize = std::min<std::size_t>(sizeof head, static_cast<std::size_t>(length));
  if (length < 4 || !record_io::Seek(handle, 0) || !record_io::ReadExact(handle, head, headSize))
    return Fail(where + " is too short to hold a record count");
  if (IsLzCompressed(head, headSize)) {
    // Once: expanded bytes that are compressed again could expand without end.
    if (compressed) return Fail(where + " is compressed twice");
    return ExpandCompressed(where) && LoadTables();
  }
  const std::int32_t records = record_io::DecodeInt32(head);
  if (records < 0 || records > (length - 4) / kRecordHeaderSize) {
    return Fail(where + " is broken: it claims " + std::to_string(records) +
                " records but has room for at most " +
                std::to_string((length - 4) / kRecordHeaderSize));
  }
  if (!SizeTables(records)) return false;
  for (int i = 0; i < records; ++i) {
    const long at = positions.data[i];
    std::int32_t size = 0;
    if (!record_io::Seek(handle, at) || !record_io::ReadInt32(handle, &size) ||
        size < kRecordHeaderSize || size > length - at) {
      return Fail(where + " is broken: record " + std::to_string(i) + " at byte " +
                  std::to_string(at) + " runs past the end of the file");
    }
    positions.data[i + 1] = at + size;
  }
  for (int i = 0; i < records; ++i) {
    TItemHandler header;
    if (!record_io::Seek(handle, positions.data[i]) || !header.Read(handle) ||
        header.position + header.size != positions.data[i + 1]) {
      return Fail(where + " is broken: record " + std::to_string(i) +
                  " has no name or its items do not fit it");
    }
    names.data[i] = header.Name();
  }
  count = records;
  return true;
}

bool TEasyBase::ExpandCompressed(const std::string &where) {
  const long length = record_io::Length(handle);
  std::vector<unsigned char> packed;
  std::vector<unsigned char> expanded;
  try {
    packed.resize(static_cast<std::size_t>(length));
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
    return Fail("Not enough memory");
  }
  if (!record_io::Seek(handle, 0) || !record_io::ReadExact(handle, packed.data(), packed.size()))
    return Fail(where + " cannot be read");
  std::string reason;
  bool expandedWhole = false;
  try {
    expandedWhole = LzExpand(packed.data(), packed.size(), expanded, reason);
  } catch (const std::bad_alloc &) {
    ShowNotEnoughMemory();
    return Fail("Not enough memory");
  }
  if (!expandedWhole) return Fail(where + " is compressed, but " + reason);
  const int copy = record_io::OpenMemoryCopy(expanded.data(), expanded.size());
  if (copy < 0) return Fail(where + " cannot be expanded: " + std::strerror(errno));
  record_io::Close(handle);
  handle = copy;
  compressed = true;
  return true;
}

void TEasyBase::Close() {
  if (handle >= 0) record_io::Close(handle);
  handle = -1;
  count = 0;
  names.Clear();
  positions.Clear();
  deleted.Clear();
  readOnly = false;
  compressed = false;
}

int TEasyBase::AddRecord(TItemHandler &handler) {
  error.clear();
  if (handle < 0) {
    Fail("No library is open");
    return -1;
  }
  if (readOnly) {
    Fail("The library " + Quoted(fileName) + " is read-only");
    return -1;
  }
  // Records are written uncompressed: the expanded library replaces the compressed file
  // first (beside it and renamed, so a failure keeps the compressed one).
  if (compressed && Pack(nullptr) != 0) return -1;
  modified = 1;
  if (!Reserve(names, count + 2) || !Reserve(positions, count + 2) ||
      !Reserve(deleted, count + 1)) {
    Fail("Not enough memory");
    return -1;
  }
  if (handler.name[0] == '\0') handler.SetName(std::to_string(count).c_str());

  const long oldLength = record_io::Length(handle);
  const long end = positions.data[count];
  const long newEnd = end + handler.size;
  // The record goes in first and the count last, so a failure anywhere leaves the old
  // library readable; the file is then cut back to its old length.
  errno = 0;
  const bool written = oldLength >= 0 && record_io::Seek(handle, end) && handler.Write(handle) &&
                       record_io::Tell(handle) <= newEnd && record_io::Truncate(handle, newEnd) &&
                       record_io::Seek(handle, 0) && record_io::WriteInt32(handle, count + 1);
  if (!written) {
    const int cause = errno;
    if (oldLength >= 0) record_io::Truncate(handle, oldLength);
    if (oldLength >= 4 && record_io::Seek(handle, 0)) record_io::WriteInt32(handle, count);
    Fail("Cannot write the record \"" + handler.Name() + "\" to the library " + Quoted(fileName) +
         (cause != 0 ? ": " + std::string(std::strerror(cause)) : std::string()));
    return -1;
  }
  names.data[count] = handler.Name();
  deleted.data[count] = 0;
  positions.data[count + 1] = newEnd;
  ++count;
  handler.Reset();
  return count - 1;
}

void TEasyBase::MarkDeleted(int i) {
  if (i < 0 || i >= count) return;
  names.data[i] = kDeletedRecordName;
  deleted.data[i] = 1;
  modified = 1;
}

bool TEasyBase::IsDeleted(int i) const { return i >= 0 && i < count && deleted.data[i] != 0; }

int TEasyBase::Pack(const char *name) {
  error.clear();
  if (handle < 0) {
    Fail("No library is open");
    return -1;
  }
  const std::string target =
      (name != nullptr && *name != '\0') ? std::string(name) : std::string(fileName);
  // A library that may not be written is not replaced by a packed copy either.
  if (readOnly && target == fileName) {
    Fail("The library " + Quoted(fileName) + " is read-only");
    return -1;
  }
  // The packed library goes to a work file of a name nobody holds, made exclusively and
  // locked beside the target, and replaces it in one step (file_replace.h).
  TFileReplacement replacement;
  TFileWriteResult written = replacement.Open(target);
  if (written.Written()) written = AppendInt32(replacement, count);
  std::int32_t kept = 0;
  std::vector<char> block(kPackBlockSize);
  for (int i = 0; written.Written() && i < count; ++i) {
    if (deleted.data[i] != 0) continue;
    long left = positions.data[i + 1] - positions.data[i];
    if (!record_io::Seek(handle, positions.data[i])) written = TFileWriteResult{TFileWriteFault::kFailed, errno};
    while (written.Written() && left > 0) {
      const std::size_t part = static_cast<std::size_t>(std::min<long>(left, kPackBlockSize));
      if (!record_io::ReadExact(handle, block.data(), part)) {
        written = TFileWriteResult{TFileWriteFault::kFailed, errno != 0 ? errno : EIO};
        break;
      }
      written = replacement.Append(std::string_view(block.data(), part));
      left -= static_cast<long>(part);
    }
    ++kept;
  }
  if (written.Written()) {
    unsigned char bytes[4];
    record_io::EncodeInt32(kept, bytes);
    written = replacement.WriteAt(0, std::string_view(reinterpret_cast<const char *>(bytes), 4));
  }
  const std::string current = fileName;
  if (written.Written()) {
    // Closed before the rename, as the library is reopened from its new name.
    Close();
    written = replacement.Commit();
    if (!written.Written()) Open(current.c_str());
  }
  if (!written.Written()) {
    replacement.Abandon();
    Fail("Cannot pack the library " + Quoted(current) + ": " + FileWriteFaultText(target, written));
    return -1;
  }
  return Open(target.c_str()) >= 0 ? 0 : -1;
}
int TEasyBase::ReadRecord(int i, TItemHandler &handler) {
  if (handle < 0 || i < 0 || i >= count) return -1;
  if (!record_io::Seek(handle, positions.data[i]) || !handler.Read(handle)) return -1;
  return i;
}

int TEasyBase::FindRecord(const char *name, TItemHandler &handler) {
  if (handle < 0 || name == nullptr) return -1;
  for (int i = 0; i < count; ++i) {
    if (deleted.data[i] != 0) continue;
    TItemHandler header;
    if (!record_io::Seek(handle, positions.data[i]) || !header.Read(handle)) return -1;
    if (header.Name() == name) {
      handler = header;
      return i;
    }
  }
  return -1;
}

int TEasyBase::FindName(const char *name) const {
  if (name == nullptr) return -1;
  for (int i = 0; i < count; ++i) {
    if (deleted.data[i] == 0 && names.data[i] == name) return i;
  }
  return -1;
}
