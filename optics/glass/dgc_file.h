#pragma once
// The binary glass catalog (*.dgc): a header, the hashed index and fixed 134-byte records.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "optics/glass/data_file.h"
#include "optics/glass/glass_record.h"

class TBaseDataFile : public TDataFile {
 public:
  // Reads the whole file; a missing, short or damaged file leaves the catalog empty
  // (IsOk false), with the reason in ErrorText when the file was there but bad.
  explicit TBaseDataFile(const std::string &path);

  // A copy of the glass's record, or null when the glass is absent or was refused.
  std::unique_ptr<TBaseGlassRecord> GetRecord(std::string_view name) const;
  // The record behind an index position, or null when out of range or refused.
  std::unique_ptr<TBaseGlassRecord> GetRecordAt(int entry) const;

 private:
  bool Validate(const std::string &path, long fileSize);
  // Judges every glass: a record that does not match its check value, or gives over its
  // range what no glass has, is refused by name (ErrorText names them); the others stay.
  void JudgeGlasses();
  std::unique_ptr<TBaseGlassRecord> DecodeAt(int entry) const;

  std::vector<bool> refused_;

  long recordStart_ = 0;
  std::vector<unsigned char> records_;
};

// One glass to write: its name, an optional second name and its record.
struct TDgcGlass {
  std::string name;
  std::string secondName;
  TBaseGlassRecord record;
};

// Writes a binary catalog through a temporary file beside it. False with a message when a
// name is empty, too long or given twice, or the file cannot be written.
bool WriteDgcFile(const std::string &path, const std::vector<TDgcGlass> &glasses,
                  std::string &error);
