#include "foundation/records/item_handler.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "foundation/records/record_file_io.h"

namespace {

std::string ItemName(const char *text) {
  if (text == nullptr) return std::string();
  return std::string(text, strnlen(text, kItemNameSize));
}

}  // namespace

std::int64_t ItemDataSize(int type, std::int64_t count) {
  if (count < 0) return -1;
  switch (type) {
    case kItemBytes:
    case kItemText:
    case kItemFile:
      return count;
    case kItemShorts:
      return 2 * count;
    case kItemInts:
    case kItemLongs:
    case kItemFloats:
      return 4 * count;
    case kItemDoubles:
      return 8 * count;
    default:
      return 0;
  }
}

std::string TItemHandler::Name() const { return std::string(name, strnlen(name, sizeof name)); }

void TItemHandler::SetName(const char *text) {
  std::memset(name, 0, sizeof name);
  if (text != nullptr) std::memcpy(name, text, strnlen(text, sizeof name));
}

void TItemHandler::Reset() { *this = TItemHandler(); }

bool TItemHandler::AddItem(const char *itemName, const void *data, int type, std::int32_t count) {
  if (count < 0 || type < 0 || type > 255) return false;
  TItem item;
  const std::string shortName = ItemName(itemName);
  std::memcpy(item.name, shortName.data(), shortName.size());
  item.type = static_cast<std::uint8_t>(type);
  item.count = count;
  if (type == kItemFile) {
    if (data != nullptr) {
      item.fileName = static_cast<const char *>(data);
      if (count == 1) {
        const int file = record_io::OpenExisting(item.fileName.c_str(), false);
        const long length = file >= 0 ? record_io::Length(file) : -1;
        record_io::Close(file);
        if (length < 0 || length > std::numeric_limits<std::int32_t>::max()) return false;
        item.count = static_cast<std::int32_t>(length);
      }
      item.hasData = true;
    }
  } else if (data != nullptr) {
    const auto *bytes = static_cast<const unsigned char *>(data);
    item.data.assign(bytes, bytes + item.DataSize());
    item.hasData = true;
  }
  const std::int64_t grown = static_cast<std::int64_t>(size) + kItemHeaderSize + item.DataSize();
  if (grown > std::numeric_limits<std::int32_t>::max()) return false;
  if (items.Append(item) < 0) return false;
  size = static_cast<std::int32_t>(grown);
  ++itemCount;
  return true;
}

bool TItemHandler::Read(int fileHandle) {
  const int file = fileHandle == 0 ? handle : fileHandle;
  if (file < 0) return false;
  const long start = record_io::Tell(file);
  const long length = record_io::Length(file);
  if (start < 0 || length < 0 || length - start < kRecordHeaderSize - 4) return false;

  unsigned char header[kRecordHeaderSize];
  if (!record_io::ReadExact(file, header, 4 + kRecordNameSize)) return false;
  const std::int32_t recordSize = record_io::DecodeInt32(header);
  if (header[4] == 0) return false;  // a record without a name is no record
  if (recordSize < kRecordHeaderSize || recordSize > length - start) return false;
  if (!record_io::ReadExact(file, header + 4 + kRecordNameSize, 4)) return false;
  const std::int32_t count = record_io::DecodeInt32(header + 4 + kRecordNameSize);
  if (count < 0 || count > (recordSize - kRecordHeaderSize) / kItemHeaderSize) return false;

  Mem<TItem> read;
  if (count > 0 && read.Allocate(count) == 0) return false;
  const long end = start + recordSize;
  long cursor = start + kRecordHeaderSize;
  for (int i = 0; i < count; ++i) {
    unsigned char itemHeader[kItemHeaderSize];
    if (end - cursor < kItemHeaderSize || !record_io::ReadExact(file, itemHeader, kItemHeaderSize))
      return false;
    TItem &item = read.data[i];
    std::memcpy(item.name, itemHeader, kItemNameSize);
    item.name[kItemNameSize] = '\0';
    item.type = itemHeader[kItemNameSize];
    item.count = record_io::DecodeInt32(itemHeader + kItemNameSize + 1);
    const std::int64_t dataSize = item.DataSize();
    cursor += kItemHeaderSize;
    if (dataSize < 0 || dataSize > end - cursor) return false;
    item.position = cursor;
    cursor += static_cast<long>(dataSize);
    if (!record_io::Seek(file, cursor)) return false;
  }
  // The items must fill the record exactly, or its size field lies.
  if (cursor != end) return false;

  items = read;
  if (count > 0 && items.data == nullptr) {
    itemCount = 0;  // memory ran out ("Not enough memory" was shown)
    return false;
  }
  std::memcpy(name, header + 4, kRecordNameSize);
  handle = file;
  position = start;
  itemCount = count;
  size = recordSize;
  return true;
}

bool TItemHandler::Write(int fileHandle) {
  const int file = fileHandle == 0 ? handle : fileHandle;
  if (file < 0) return false;
  const long start = record_io::Tell(file);
  if (start < 0) return false;
  unsigned char header[kRecordHeaderSize] = {};
  record_io::EncodeInt32(size, header);
  std::memcpy(header + 4, name, kRecordNameSize);
  record_io::EncodeInt32(itemCount, header + 4 + kRecordNameSize);
  if (!record_io::WriteExact(file, header, sizeof header)) return false;
  long cursor = start + kRecordHeaderSize;
  const int source = handle;
  for (int i = 0; i < itemCount && i < items.cols * items.rows; ++i) {
    TItem &item = items.data[i];
    const long sourcePosition = item.position;
    unsigned char itemHeader[kItemHeaderSize] = {};
    std::memcpy(itemHeader, item.name, kItemNameSize);
    itemHeader[kItemNameSize] = item.type;
    record_io::EncodeInt32(item.count, itemHeader + kItemNameSize + 1);
    if (!record_io::WriteExact(file, itemHeader, sizeof itemHeader)) return false;
    cursor += kItemHeaderSize;
    const std::int64_t dataSize = item.DataSize();
    if (dataSize < 0) return false;
    if (!item.hasData) {
      // Data known only by its place in the file the record was read from is carried
      // over, so a record copied to another place or library keeps its data; at its own
      // place the bytes already there stay.
      const bool elsewhere =
          source >= 0 && sourcePosition > 0 && !(source == file && sourcePosition == cursor);
      if (elsewhere && !record_io::CopyRange(source, sourcePosition, file, cursor, dataSize))
        return false;
      if (!record_io::Seek(file, cursor + static_cast<long>(dataSize))) return false;
    } else if (item.type == kItemFile) {
      const int embedded = record_io::OpenExisting(item.fileName.c_str(), false);
      const bool copied = embedded >= 0 && record_io::CopyExact(embedded, file, dataSize);
      record_io::Close(embedded);
      if (!copied) return false;
    } else if (!record_io::WriteExact(file, item.data.data(), item.data.size())) {
      return false;
    }
    item.position = cursor;
    cursor += static_cast<long>(dataSize);
  }
  handle = file;
  position = start;
  return true;
}

const TItem *TItemHandler::FindItem(const char *itemName, int type) const {
  const std::string wanted = ItemName(itemName);
  for (int i = 0; i < itemCount && i < items.cols * items.rows; ++i) {
    const TItem &item = items.data[i];
    if (item.type == type && wanted == item.name) return &item;
  }
  return nullptr;
}

bool TItemHandler::ReadItemData(const char *itemName, int type, void *destination,
                                std::size_t capacity) {
  const TItem *item = FindItem(itemName, type);
  if (item == nullptr || destination == nullptr || handle < 0) return false;
  const std::int64_t dataSize = item->DataSize();
  if (dataSize < 0 || !record_io::Seek(handle, item->position)) return false;
  if (type != kItemFile) {
    if (static_cast<std::uint64_t>(dataSize) > capacity) return false;
    return record_io::ReadExact(handle, destination, static_cast<std::size_t>(dataSize));
  }
  // The file is written beside its final name and renamed once complete, so a failure
  // never leaves a cut copy in place of an existing file.
  const std::string target = static_cast<const char *>(destination);
  const std::string work = target + ".~part";
  const int out = record_io::CreateFile(work.c_str());
  if (out < 0) return false;
  const bool copied = record_io::CopyExact(handle, out, dataSize) && record_io::Flush(out);
  record_io::Close(out);
  if (!copied || std::rename(work.c_str(), target.c_str()) != 0) {
    std::remove(work.c_str());
    return false;
  }
  return true;
}
