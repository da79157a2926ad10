#pragma once
// TDataFile: the hashed name index shared by the binary (*.dgc) and the private text
// (*.tgc) glass catalogs.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// One index entry, laid out in memory exactly as in a *.dgc file (24 bytes).
struct TGlassIndexEntry {
  std::int16_t chainHead;  // first entry whose name hashes to this position, -1 none
  std::int16_t next;       // next entry of the same chain, -1 ends it
  char name[14];           // normalised, NUL-terminated
  std::int16_t paired;     // -1 none, -2 second name of the preceding entry, else its partner
  std::int32_t recordOffset;
};
static_assert(sizeof(TGlassIndexEntry) == 24, "index entries are 24 bytes");

inline constexpr int kGlassNameMax = 13;  // characters a catalog name may hold
inline constexpr int kPairedNone = -1;
inline constexpr int kPairedSecond = -2;

// Hash of a glass name over the catalog's index size: h = (c + 3h) mod size over the
// normalised characters. The name must already be in its normalised form.
int GlassNameHash(std::string_view normalisedName, int size);

class TDataFile {
 public:
  TDataFile() = default;
  virtual ~TDataFile() = default;
  TDataFile(const TDataFile &) = delete;
  TDataFile &operator=(const TDataFile &) = delete;

  bool IsOk() const { return indexSize_ != 0 && index_ != nullptr; }
  // Index position of the glass, or -1. The name may be typed in code page 866, 1251 or
  // UTF-8, in any case; the whole normalised name must match.
  int Find(std::string_view name) const;

  int GlassCount() const { return glassCount_; }
  int IndexSize() const { return indexSize_; }
  int RecordSize() const { return recordSize_; }
  const TGlassIndexEntry *Index() const { return index_.get(); }
  const std::string &ErrorText() const { return errorText_; }

 protected:
  // Index position for one normalised spelling, or -1.
  int FindNormalised(const std::string &normalised) const;
  // Drops the index: the catalog is no longer usable.
  void MakeEmpty();

  int glassCount_ = 0;
  int indexSize_ = 0;
  int recordSize_ = 0;
  std::unique_ptr<TGlassIndexEntry[]> index_;
  std::string errorText_;
};

// Lists a catalog's glasses in index order, each paired glass once.
class TGlassIterator {
 public:
  TGlassIterator() = default;
  TGlassIterator(const TGlassIndexEntry *index, int count) { Set(index, count); }
  void Set(const TGlassIndexEntry *index, int count);
  // The next name, or "" at the end.
  std::string Next();

 private:
  const TGlassIndexEntry *index_ = nullptr;
  int count_ = 0;
  int position_ = 0;
};
