#include "optics/glass/dgc_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <set>

#include "foundation/filewrite/file_replace.h"
#include "foundation/tokenizer/glass_name.h"
#include "foundation/tokenizer/tokenizer.h"
#include "optics/glass/glass_check.h"
#include "optics/glass/glass_info.h"

namespace {

constexpr long kHeaderSize = 6;
constexpr long kEntrySize = 24;
constexpr int kMaxEntries = 32767;  // chain links are signed 16-bit

int ReadU16(std::FILE *file) {
  unsigned char b[2];
  if (std::fread(b, 1, 2, file) != 2) return -1;
  return b[0] | (b[1] << 8);
}

std::int16_t I16(const unsigned char *b) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

void PutU16(std::vector<unsigned char> &out, int value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

// The two record sizes a catalog may name: the plain record, and the one followed by the
// makers' thermal formula.
bool KnownRecordSize(int size) { return size == TBaseGlassRecord::kSize || size == TBaseGlassRecord::kThermalSize; }

long FileSize(std::FILE *file) {
  const long here = std::ftell(file);
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size;
}

}  // namespace

TBaseDataFile::TBaseDataFile(const std::string &path) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  const long fileSize = FileSize(file);
  const int h = ReadU16(file);
  const int count = ReadU16(file);
  const int recordSize = ReadU16(file);
  if (h < 0 || count < 0 || recordSize < 0) {
    errorText_ = FormatParseError(path.c_str(), 0, "header", "Catalog file is truncated...");
    std::fclose(file);
    return;
  }
  indexSize_ = h;
  glassCount_ = count;
  recordSize_ = recordSize;
  if (h == 0) {
    std::fclose(file);
    return;
  }
  try {
    std::vector<unsigned char> raw(static_cast<std::size_t>(h) * kEntrySize);
    index_ = std::make_unique<TGlassIndexEntry[]>(static_cast<std::size_t>(h));
    if (std::fread(raw.data(), 1, raw.size(), file) != raw.size()) {
      errorText_ = FormatParseError(path.c_str(), 0, "index", "Catalog file is truncated...");
      index_.reset();
    } else {
      for (int i = 0; i < h; ++i) {
        const unsigned char *b = raw.data() + static_cast<std::size_t>(i) * kEntrySize;
        TGlassIndexEntry &e = index_[i];
        e.chainHead = I16(b);
        e.next = I16(b + 2);
        std::memcpy(e.name, b + 4, sizeof e.name);
        e.paired = I16(b + 18);
        e.recordOffset = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(b[20]) | (static_cast<std::uint32_t>(b[21]) << 8) |
            (static_cast<std::uint32_t>(b[22]) << 16) | (static_cast<std::uint32_t>(b[23]) << 24));
      }
      recordStart_ = std::ftell(file);
      if (KnownRecordSize(recordSize)) {
        records_.resize(static_cast<std::size_t>(h) * static_cast<std::size_t>(recordSize));
        if (std::fread(records_.data(), 1, records_.size(), file) != records_.size()) {
          errorText_ = FormatParseError(path.c_str(), 0, "records", "Catalog file is truncated...");
          index_.reset();
        }
      }
      if (index_ && !Validate(path, fileSize)) index_.reset();
      if (index_) JudgeGlasses();
    }
  } catch (const std::bad_alloc &) {
    index_.reset();
    records_.clear();
  }
  std::fclose(file);
  if (!index_) {
    glassCount_ = 0;
    records_.clear();
  }
}

bool TBaseDataFile::Validate(const std::string &path, long fileSize) {
  char where[32];
  const auto fail = [&](int entry, const char *message) {
    std::snprintf(where, sizeof where, "entry %d", entry);
    errorText_ = FormatParseError(path.c_str(), 0, where, message);
    return false;
  };
  if (!KnownRecordSize(recordSize_)) {
    std::snprintf(where, sizeof where, "%d", recordSize_);
    errorText_ = FormatParseError(path.c_str(), 0, where, "Wrong record size...");
    return false;
  }
  const long expected = kHeaderSize + (kEntrySize + recordSize_) * static_cast<long>(indexSize_);
  if (fileSize >= 0 && fileSize < expected) return fail(indexSize_, "Catalog file is truncated...");
  // The count only informs listings; a count beyond the index is held to it.
  if (glassCount_ > indexSize_) glassCount_ = indexSize_;
  for (int i = 0; i < indexSize_; ++i) {
    const TGlassIndexEntry &e = index_[i];
    if (e.chainHead < -1 || e.chainHead >= indexSize_ || e.next < -1 || e.next >= indexSize_)
      return fail(i, "Chain index out of range...");
    if (std::memchr(e.name, '\0', sizeof e.name) == nullptr)
      return fail(i, "Glass name without terminator...");
    if (e.paired < kPairedSecond || e.paired >= indexSize_ || (e.paired == kPairedSecond && i == 0))
      return fail(i, "Paired name out of range...");
    const long offset = static_cast<long>(e.recordOffset) - recordStart_;
    if (offset < 0 || offset % recordSize_ != 0 || offset / recordSize_ >= indexSize_)
      return fail(i, "Record offset out of range...");
  }
  // Every chain must end within the index size, or a look-up would circle.
  for (int i = 0; i < indexSize_; ++i) {
    int e = index_[i].chainHead;
    int steps = 0;
    while (e >= 0 && steps <= indexSize_) {
      e = index_[e].next;
      ++steps;
    }
    if (steps > indexSize_) return fail(i, "Hash chain loops...");
  }
  return true;
}

std::unique_ptr<TBaseGlassRecord> TBaseDataFile::DecodeAt(int entry) const {
  if (!IsOk() || entry < 0 || entry >= indexSize_) return nullptr;
  const long offset = static_cast<long>(index_[entry].recordOffset) - recordStart_;
  const long k = offset / recordSize_;
  if (offset < 0 || k >= indexSize_) return nullptr;
  auto record = std::unique_ptr<TBaseGlassRecord>(new (std::nothrow) TBaseGlassRecord);
  if (!record) return nullptr;
  DecodeBaseGlassRecord(records_.data() + k * recordSize_, *record, recordSize_);
  return record;
}

std::unique_ptr<TBaseGlassRecord> TBaseDataFile::GetRecordAt(int entry) const {
  if (entry >= 0 && static_cast<std::size_t>(entry) < refused_.size() && refused_[static_cast<std::size_t>(entry)])
    return nullptr;
  return DecodeAt(entry);
}

void TBaseDataFile::JudgeGlasses() {
  refused_.assign(static_cast<std::size_t>(indexSize_), false);
  const auto matchesCheck = [this](int entry, const TBaseGlassRecord &record) {
    const std::string name(index_[entry].name, strnlen(index_[entry].name, sizeof index_[entry].name));
    const long k = (static_cast<long>(index_[entry].recordOffset) - recordStart_) / recordSize_;
    return record.reserved == GlassRecordCheck(name, records_.data() + k * recordSize_, recordSize_);
  };
  // A catalog none of whose records matches its check value was not written with them (a
  // catalog of earlier versions holds 0 there, another writer anything): judged by values.
  bool carriesChecks = false;
  for (int entry = 0; entry < indexSize_ && !carriesChecks; ++entry) {
    const std::unique_ptr<TBaseGlassRecord> record = DecodeAt(entry);
    carriesChecks = record && record->reserved != 0 && matchesCheck(entry, *record);
  }
  std::string told;
  for (int entry = 0; entry < indexSize_; ++entry) {
    const std::unique_ptr<TBaseGlassRecord> record = DecodeAt(entry);
    if (!record) continue;
    const std::string name(index_[entry].name, strnlen(index_[entry].name, sizeof index_[entry].name));
    std::string damage;
    if (carriesChecks && record->reserved != 0 && !matchesCheck(entry, *record))
      damage = " has a record that does not match its check value";
    else if (const std::string value = ImplausibleGlassValue(TBaseGlassInfo(*record)); !value.empty())
      damage = " gives " + value + ", which no glass has";
    if (damage.empty()) continue;
    refused_[static_cast<std::size_t>(entry)] = true;
    told += (told.empty() ? "" : "; ") + RefusedGlassText(name, damage);
  }
  if (!told.empty()) errorText_ += (errorText_.empty() ? "" : "; ") + told;
}

std::unique_ptr<TBaseGlassRecord> TBaseDataFile::GetRecord(std::string_view name) const {
  return GetRecordAt(Find(name));
}

bool WriteDgcFile(const std::string &path, const std::vector<TDgcGlass> &glasses,
                  std::string &error) {
  struct Entry {
    std::string name;
    int paired;
    const TBaseGlassRecord *record;
  };
  std::vector<Entry> entries;
  std::set<std::string> seen;
  for (const TDgcGlass &glass : glasses) {
    const bool paired = !glass.secondName.empty();
    const int position = static_cast<int>(entries.size());
    for (int k = 0; k < (paired ? 2 : 1); ++k) {
      const std::string name = NormalizedGlassName(k == 0 ? glass.name : glass.secondName);
      if (name.empty() || name.size() > kGlassNameMax) {
        error = "Glass name empty or longer than 13 characters: '" + name + "'";
        return false;
      }
      if (!seen.insert(name).second) {
        error = "Glass is duplicated: '" + name + "'";
        return false;
      }
      entries.push_back(
          {name, paired ? (k == 0 ? position + 1 : kPairedSecond) : kPairedNone, &glass.record});
    }
  }
  const int h = static_cast<int>(entries.size());
  if (h == 0 || h > kMaxEntries) {
    error = "A catalog holds 1 to 32767 names";
    return false;
  }
  std::vector<std::int16_t> head(h, -1), next(h, -1), tail(h, -1);
  for (int i = 0; i < h; ++i) {
    const int bucket = GlassNameHash(entries[i].name, h);
    if (head[bucket] < 0)
      head[bucket] = static_cast<std::int16_t>(i);
    else
      next[tail[bucket]] = static_cast<std::int16_t>(i);
    tail[bucket] = static_cast<std::int16_t>(i);
  }
  const long recordStart = kHeaderSize + kEntrySize * h;
  std::vector<unsigned char> out;
  PutU16(out, h);
  PutU16(out, static_cast<int>(glasses.size()));
  // Written in the long form, the makers' thermal formula after each record; readers take
  // both forms, so the catalogs of earlier versions still open.
  constexpr int kWrittenSize = TBaseGlassRecord::kThermalSize;
  PutU16(out, kWrittenSize);
  for (int i = 0; i < h; ++i) {
    PutU16(out, head[i] & 0xFFFF);
    PutU16(out, next[i] & 0xFFFF);
    char name[14] = {};
    std::memcpy(name, entries[i].name.data(), entries[i].name.size());
    out.insert(out.end(), name, name + sizeof name);
    PutU16(out, entries[i].paired & 0xFFFF);
    const auto offset = static_cast<std::uint32_t>(recordStart + kWrittenSize * i);
    for (int b = 0; b < 4; ++b)
      out.push_back(static_cast<unsigned char>((offset >> (8 * b)) & 0xFF));
  }
  for (int i = 0; i < h; ++i) {
    unsigned char bytes[kWrittenSize];
    EncodeBaseGlassRecord(*entries[i].record, bytes, kWrittenSize);
    // The record's first four bytes carry its check value under its name.
    const std::uint32_t check = GlassRecordCheck(entries[i].name, bytes, kWrittenSize);
    for (int b = 0; b < 4; ++b) bytes[b] = static_cast<unsigned char>((check >> (8 * b)) & 0xFFu);
    out.insert(out.end(), bytes, bytes + sizeof bytes);
  }
  // Through a unique work file beside the catalog, made exclusively and renamed once, as
  // every file of the program is written.
  const TFileWriteResult written = ReplaceFileContents(
      path, std::string_view(reinterpret_cast<const char *>(out.data()), out.size()));
  if (!written.Written()) {
    error = FileWriteFaultText(path, written);
    return false;
  }
  return true;
}
