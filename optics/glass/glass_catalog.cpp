#include "optics/glass/glass_catalog.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "optics/glass/dgc_file.h"
#include "optics/glass/glass_info.h"
#include "optics/glass/tgc_file.h"
#include "platform/core/paths.h"


TGlassCatalog::TGlassCatalog() = default;

TGlassCatalog::TGlassCatalog(const std::string &directory, const std::string &name)
    : directory_(directory) {
  Open(name);
}

TGlassCatalog::~TGlassCatalog() = default;

void TGlassCatalog::Open(const std::string &name) {
  const bool isPrivate = strcasecmp(name.c_str(), "private") == 0;
  const std::string path =
      ResolvePathCase(JoinPath(directory_, name + (isPrivate ? ".tgc" : ".dgc")));
  if (current_ != nullptr && strcasecmp(path.c_str(), currentPath_.c_str()) == 0) return;

  for (Slot &slot : slots_) {
    if (slot.file && strcasecmp(slot.path.c_str(), path.c_str()) == 0) {
      current_ = slot.file.get();
      currentIsPrivate_ = slot.isPrivate;
      currentPath_ = slot.path;
      slot.lastUse = ++useCounter_;
      uncached_.reset();
      errorText_.clear();
      return;
    }
  }

  currentPath_ = path;
  currentIsPrivate_ = isPrivate;
  uncached_.reset();
  current_ = nullptr;
  std::unique_ptr<TDataFile> file;
  try {
    if (isPrivate)
      file = std::make_unique<TPrivateDataFile>(path);
    else
      file = std::make_unique<TBaseDataFile>(path);
  } catch (const std::bad_alloc &) {
    errorText_ = "GCatalog: Internal error...";
    return;
  }
  current_ = file.get();
  if (!file->IsOk()) {
    errorText_ = file->ErrorText();
    // A catalog that is not there says nothing of itself: the missing glass says it.
    if (!errorText_.empty()) NoteProblem(path, errorText_);
    if (errorText_.empty()) errorText_ = "GCatalog: Catalog '" + path + "' bad or not found...";
    uncached_ = std::move(file);
    return;
  }
  errorText_.clear();
  // Damage the reader found in a catalog it could still use is told as well.
  if (!file->ErrorText().empty()) NoteProblem(path, file->ErrorText());
  // A free slot, else the one used longest ago (never the current one: it is new).
  Slot *target = nullptr;
  for (Slot &slot : slots_) {
    if (!slot.file) {
      target = &slot;
      break;
    }
    if (target == nullptr || slot.lastUse < target->lastUse) target = &slot;
  }
  if (!target->file) ++cached_;
  target->path = path;
  target->file = std::move(file);
  target->isPrivate = isPrivate;
  target->lastUse = ++useCounter_;
}

void TGlassCatalog::NoteProblem(const std::string &path, const std::string &text) const {
  const std::string line = "Glass catalog \"" + path + "\": " + text + "\n";
  // A catalog that fails is read again at every look-up: one line for it.
  if (problems_.find(line) == std::string::npos) problems_ += line;
}

std::string TGlassCatalog::TakeProblems() {
  std::string taken;
  taken.swap(problems_);
  if (!taken.empty()) taken.pop_back();
  return taken;
}

bool TGlassCatalog::IsOk() const { return current_ != nullptr && current_->IsOk(); }

std::unique_ptr<TGlassInfo> TGlassCatalog::GetGlass(std::string_view name) const {
  if (!IsOk()) return nullptr;
  try {
    if (currentIsPrivate_) {
      const auto record = static_cast<const TPrivateDataFile *>(current_)->GetRecord(name);
      if (!record) return nullptr;
      return std::make_unique<TPrivateGlassInfo>(*record);
    }
    const auto record = static_cast<const TBaseDataFile *>(current_)->GetRecord(name);
    if (!record) return nullptr;
    // Every glass was judged when its catalog was read (TBaseDataFile): one that failed
    // gives no record, and was named then.
    return std::make_unique<TBaseGlassInfo>(*record);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

int TGlassCatalog::GetGlassCount() const { return IsOk() ? current_->GlassCount() : 0; }

std::string TGlassCatalog::GetStoredGlassName(const std::string &catalog, std::string_view name) {
  if (!catalog.empty()) Open(catalog);
  if (!IsOk()) return {};
  const int e = current_->Find(name);
  if (e < 0) return {};
  const TGlassIndexEntry *index = current_->Index();
  const int paired = index[e].paired;
  int partner = -1;
  if (paired == kPairedSecond)
    partner = e - 1;
  else if (paired >= 0)
    partner = paired;
  if (partner < 0 || partner >= current_->IndexSize()) return {};
  return std::string(index[partner].name, strnlen(index[partner].name, sizeof index[partner].name));
}

void TGlassCatalog::SetIterator(TGlassIterator &iterator) const {
  if (IsOk())
    iterator.Set(current_->Index(), current_->IndexSize());
  else
    iterator.Set(nullptr, 0);
}
