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

namespace {

// Values beyond what any glass has mark a damaged record (a flipped bit in a coefficient)
// that would otherwise trace as glass. Germanium, the highest index of the crystals, stays
// near 4 and changes its index by some 0.04 over 100 °C; the crystals' expansions reach
// some 400e-7 per °C.
constexpr double kLeastGlassIndex = 1.0;
constexpr double kLargestGlassIndex = 5.0;
constexpr double kLargestIndexChangePer100C = 0.1;
constexpr double kLargestExpansion = 1000.0;  // 1e-7 per °C
constexpr double kLongestWavelength = 1000.0;  // µm

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// What a binary catalog's glass gives that no glass has; empty when it is sound.
std::string ImplausibleValue(const TGlassInfo &glass) {
  const double shortest = glass.MinWavelength();
  const double longest = glass.MaxWavelength();
  if (!(shortest > 0.0 && shortest < longest && longest <= kLongestWavelength))
    return "the range " + Number(shortest) + " to " + Number(longest) + " µm";
  const double middle = 0.5 * (shortest + longest);
  for (const double wavelength : {shortest, middle, longest}) {
    const double index = glass.IndexAt(wavelength);
    if (!(index >= kLeastGlassIndex && index <= kLargestGlassIndex))
      return "the index " + Number(index) + " at " + Number(wavelength) + " µm";
  }
  const double change = glass.IndexInAirAt(middle, 120.0, 760.0) - glass.IndexInAirAt(middle, 20.0, 760.0);
  if (!(std::fabs(change) <= kLargestIndexChangePer100C))
    return "an index change of " + Number(change) + " from 20 to 120 °C";
  const double expansion = glass.MeanAlfa(20.0, 120.0);
  if (!(std::fabs(expansion) <= kLargestExpansion)) return "the expansion " + Number(expansion) + "e-7 per °C";
  return {};
}

}  // namespace

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
    auto glass = std::make_unique<TBaseGlassInfo>(*record);
    const std::string damage = ImplausibleValue(*glass);
    if (damage.empty()) return glass;
    NoteProblem(currentPath_, "the glass " + std::string(name) + " gives " + damage +
                                  ", which no glass has: its record is damaged, and the glass is not used");
    return nullptr;
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
