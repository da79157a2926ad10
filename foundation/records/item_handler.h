#pragma once
// One record of a record file in memory (TItemHandler) and one of its named, typed items
// (TItem). A record on disk: int32 size (counted from the size field: 28 + the sum over the
// items of 15 + data size), char[20] name (NUL-padded, no terminator at 20 characters),
// int32 item count, then the items: char[10] name, uint8 type, int32 count, the data.
// Integers are little-endian.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"

constexpr int kRecordNameSize = 20;
constexpr int kItemNameSize = 10;
constexpr int kRecordHeaderSize = 28;
constexpr int kItemHeaderSize = 15;

// Item types and the width of one counted value.
enum TItemType : std::uint8_t {
  kItemBytes = 1,   // 1 byte each
  kItemShorts = 2,  // 16-bit values
  kItemInts = 3,    // 32-bit values (3, 4 and 5)
  kItemLongs = 4,
  kItemFloats = 5,
  kItemDoubles = 6,  // 64-bit values
  kItemText = 7,     // count characters
  kItemFile = 8,     // the whole contents of another file, count bytes
};

// Bytes of data an item of this type and count holds (0 for unknown types), or -1 for a
// negative count.
std::int64_t ItemDataSize(int type, std::int64_t count);

// One item. Items added in memory keep their own copy of the data (for kItemFile the name
// of the file that holds it); items read from a file only know where their data lies.
class TItem {
 public:
  char name[kItemNameSize + 1] = {};
  std::uint8_t type = 0;
  std::vector<unsigned char> data;
  STRING fileName;
  // False: writing skips the data, leaving the bytes already in the file.
  bool hasData = false;
  std::int32_t count = 0;
  // Where the data lies in the record file, once the item was read or written.
  long position = 0;

  virtual ~TItem() = default;
  std::int64_t DataSize() const { return ItemDataSize(type, count); }
};

// One record in memory.
class TItemHandler {
 public:
  char name[kRecordNameSize] = {};
  // The record file the handler was read from or written to; -1 when none.
  int handle = -1;
  long position = 0;
  Mem<TItem> items;
  std::int32_t itemCount = 0;
  std::int32_t size = kRecordHeaderSize;

  virtual ~TItemHandler() = default;

  // The name as text (at most 20 characters).
  std::string Name() const;
  // Copies at most 20 characters and fills the rest of the field with zeros.
  void SetName(const char *text);
  // Back to an empty record without a file.
  void Reset();

  // Appends an item with a copy of `data` (count values of the type). For kItemFile `data`
  // is a file name; a count of 1 then becomes the file's length. False, with the record
  // unchanged, when the count is negative, the file cannot be measured, the record would
  // outgrow its 32-bit size, or memory runs out.
  bool AddItem(const char *itemName, const void *data, int type, std::int32_t count);

  // Reads the record header and item headers at the file's current position (handle 0:
  // the handler's own) and notes where each item's data lies. False, with the handler
  // unchanged, when the name is empty or the record is broken: sizes beyond the file or
  // the record, item counts that do not fit.
  bool Read(int fileHandle);
  // Writes the record at the file's current position (handle 0: the handler's own). Items
  // read from a file bring their data from there, so the file they were read from must
  // still be open.
  bool Write(int fileHandle);

  // The first item with this name and type, or null.
  const TItem *FindItem(const char *itemName, int type) const;
  // Reads the data of the first item with this name and type into `destination`, which
  // holds `capacity` bytes. For kItemFile `destination` is the name of the file to write
  // (replaced only once all its bytes are written) and `capacity` is not used.
  bool ReadItemData(const char *itemName, int type, void *destination, std::size_t capacity);
};
