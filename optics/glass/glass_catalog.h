#pragma once
// The glass area holds the glass catalogs and their files, glass records and the index of
// air. It uses foundation/tokenizer and platform/core.
//
// TGlassCatalog: the catalogs of one glass directory. One is current at a time; every
// catalog opened successfully stays cached (20 at most), so switching costs no reading.

#include <array>
#include <memory>
#include <string>
#include <string_view>

class TDataFile;
class TGlassInfo;
class TGlassIterator;

class TGlassCatalog {
 public:
  static constexpr int kCacheSlots = 20;

  TGlassCatalog();
  TGlassCatalog(const std::string &directory, const std::string &name);
  ~TGlassCatalog();
  TGlassCatalog(const TGlassCatalog &) = delete;
  TGlassCatalog &operator=(const TGlassCatalog &) = delete;

  // Makes the catalog of that name current: "private" (any case) is the text catalog
  // "private.tgc", any other name the binary catalog "<name>.dgc".
  void Open(const std::string &name);
  bool IsOk() const;
  // A new model of the glass from the current catalog, or null when the catalog is not
  // valid or the glass is absent.
  std::unique_ptr<TGlassInfo> GetGlass(std::string_view name) const;
  int GetGlassCount() const;
  // The second name paired with the glass ("" when none); opens the catalog first when
  // one is named.
  std::string GetStoredGlassName(const std::string &catalog, std::string_view name);
  // Points an iterator at the current catalog's index.
  void SetIterator(TGlassIterator &iterator) const;

  const std::string &Directory() const { return directory_; }
  const std::string &CurrentPath() const { return currentPath_; }
  bool CurrentIsPrivate() const { return currentIsPrivate_; }
  const TDataFile *Current() const { return current_; }
  const std::string &ErrorText() const { return errorText_; }
  // What the catalog readers found wrong since the last call, one line per catalog file
  // ("Glass catalog "<path>": <the reader's own text>"), and forgets it; empty when
  // nothing. A glass missing because its catalog could not be read is explained by it.
  std::string TakeProblems();

 private:
  struct Slot {
    std::string path;
    std::unique_ptr<TDataFile> file;
    bool isPrivate = false;
    unsigned long lastUse = 0;
  };

  std::string directory_;
  std::string currentPath_;
  TDataFile *current_ = nullptr;
  bool currentIsPrivate_ = false;
  int cached_ = 0;
  std::array<Slot, kCacheSlots> slots_;
  // A catalog that failed to open stays current but is not cached; it is owned here.
  std::unique_ptr<TDataFile> uncached_;
  unsigned long useCounter_ = 0;
  std::string errorText_;
  // Also noted by a look-up that finds a damaged glass.
  mutable std::string problems_;
  void NoteProblem(const std::string &path, const std::string &text) const;
};
