#include "optics/glass/data_file.h"

#include <cstring>

#include "foundation/tokenizer/glass_name.h"

int GlassNameHash(std::string_view normalisedName, int size) {
  if (size <= 0) return 0;
  std::int32_t h = 0;
  for (const char c : normalisedName) {
    h = (NormalizeGlassChar(static_cast<unsigned char>(c)) + 3 * h) % size;
  }
  return h;
}

void TDataFile::MakeEmpty() {
  glassCount_ = 0;
  index_.reset();
}

int TDataFile::FindNormalised(const std::string &normalised) const {
  if (!IsOk() || normalised.empty() || normalised.size() > kGlassNameMax) return -1;
  const int h = GlassNameHash(normalised, indexSize_);
  int e = index_[h].chainHead;
  // A chain never holds more than every entry once; the bound keeps a damaged index
  // from looping.
  for (int steps = 0; e >= 0 && e < indexSize_ && steps < indexSize_; ++steps) {
    char stored[sizeof(TGlassIndexEntry::name)];
    std::memcpy(stored, index_[e].name, sizeof stored);
    stored[sizeof stored - 1] = '\0';
    NormalizeGlassName(stored);
    if (normalised == stored) return e;
    e = index_[e].next;
  }
  return -1;
}

int TDataFile::Find(std::string_view name) const {
  if (!IsOk()) return -1;
  // The typed text is tried as UTF-8 (when it is well-formed UTF-8), then as code page
  // 866, then as code page 1251: Cyrillic look-alikes find their Latin twins whichever
  // keyboard page the name came from.
  std::string asUtf8;
  if (LooksLikeUtf8(name) && Utf8To866(name, asUtf8)) {
    NormalizeGlassName(asUtf8.data());
    const int found = FindNormalised(asUtf8);
    if (found >= 0) return found;
  }
  std::string as866(name);
  NormalizeGlassName(as866.data());
  const int found = FindNormalised(as866);
  if (found >= 0) return found;
  std::string as1251 = Cp1251To866(name);
  NormalizeGlassName(as1251.data());
  if (as1251 != as866) return FindNormalised(as1251);
  return -1;
}

void TGlassIterator::Set(const TGlassIndexEntry *index, int count) {
  index_ = index;
  count_ = index ? count : 0;
  position_ = 0;
}

std::string TGlassIterator::Next() {
  if (position_ >= count_) return {};
  const TGlassIndexEntry &entry = index_[position_];
  std::string name(entry.name, strnlen(entry.name, sizeof entry.name));
  ++position_;
  if (position_ < count_ && index_[position_].paired == kPairedSecond) ++position_;
  return name;
}
