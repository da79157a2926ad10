#pragma once
// The records area holds the record files of the component libraries and their item
// handlers. It uses foundation/containers and platform/core.
//
// TEasyBase: a record file (the component libraries, *.lct): an int32 record count, then
// the records back to back (see item_handler.h). The base keeps the names and positions of
// the records, appends records, reads them back by index or name, marks them deleted and
// packs the file. Files are read and written uncompressed with plain file descriptors; a
// library compressed in the SZDD form (lz_expand.h) is expanded into memory when opened,
// and the first record added to it writes the library back uncompressed.
//
// Every failure leaves the file as it was: a record is appended before the count is
// raised, and packing writes a new file beside the library and renames it into place.
// A broken file (a record size beyond the file, item counts that do not fit, a count that
// lies) is refused as a whole by Open, with ErrorText() saying what is wrong.

#include <cstdint>
#include <string>

#include "foundation/records/item_handler.h"
#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"

// The name a record gets in the name table when it is marked deleted.
inline constexpr char kDeletedRecordName[] = "\xF5";
// The fixed-name work file earlier versions packed through; one a kill left is removed when
// the library is next opened. Pack now writes through a unique work file (file_replace.h).
inline constexpr char kOldPackWorkFileName[] = "~base.tmp";

class TEasyBase {
 public:
  STRING fileName;
  std::int32_t count = 0;
  // One entry per record plus a spare.
  Mem<STRING> names;
  // Entry 0 is 4; entry i + 1 is the position after record i.
  Mem<long> positions;
  int handle = -1;
  int modified = 0;

  TEasyBase() = default;
  virtual ~TEasyBase();
  TEasyBase(const TEasyBase &) = delete;
  TEasyBase &operator=(const TEasyBase &) = delete;

  // Opens a library for reading and writing (read-only when the file may not be written);
  // a missing file is created. Returns the handle, or -1 for a broken or unreadable file,
  // which stays untouched and closed.
  int Open(const char *name);
  // Creates an empty library (an existing file is emptied). Nothing is written until the
  // first record is added. Returns the handle or -1.
  int Create(const char *name);
  void Close();

  // Appends the handler's record; a handler without a name is named by its index ("0",
  // "1", ...). The handler is reset to an empty record afterwards. Returns the index of
  // the new record, or -1 (file unchanged, handler kept) when it could not be written.
  int AddRecord(TItemHandler &handler);
  // Marks record i deleted in the name table; the file changes only when packed.
  void MarkDeleted(int i);
  bool IsDeleted(int i) const;
  // Writes the records not marked deleted to `name` (the current file when empty or null)
  // and reopens that file. Returns 0, or -1 with the library left as it was.
  int Pack(const char *name);

  // Reads the header of record i into the handler; i, or -1.
  int ReadRecord(int i, TItemHandler &handler);
  // The first record not marked deleted whose stored name equals `name`; its index, or -1.
  int FindRecord(const char *name, TItemHandler &handler);
  // The index of `name` in the name table, or -1.
  int FindName(const char *name) const;

  bool IsOpen() const { return handle >= 0; }
  bool IsReadOnly() const { return readOnly; }
  // True while the open library is the expanded copy of a compressed file.
  bool IsCompressed() const { return compressed; }
  // What the last failing operation found wrong; empty after a success.
  const std::string &ErrorText() const { return error; }

 private:
  // Sets up the tables for `records` records; false when memory runs out.
  bool SizeTables(int records);
  bool Fail(const std::string &text);
  // Closes the library and clears the last error before a new one is created or opened;
  // false, with the error set, when there is no name.
  bool StartOver(const char *name);
  // Walks the records of the open file and fills the tables.
  bool LoadTables();
  // Replaces the handle of a compressed file by one on its expanded bytes.
  bool ExpandCompressed(const std::string &where);

  Mem<int> deleted;
  bool readOnly = false;
  bool compressed = false;
  std::string error;
};
