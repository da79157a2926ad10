#pragma once
// TComponentLibrary: a component library, a record file (*.lct) of named elements. Each
// record holds one element as a system file: its object surface, the element's surfaces and
// its image surface, as a Copy puts elements on the clipboard. Elements are listed, added
// from the selection of an edited system, deleted (the file is packed at once) and taken
// out into a system of their own.

#include <string>
#include <vector>

#include "foundation/records/easy_base.h"

class TSystemImage;

// The library file's name.
inline constexpr const char *kLibraryFileName = "elements.lct";

// The library file the editor uses: the user's own "elements.lct" beside the settings file,
// as an installed program's directory cannot be written; a user without one starts from a
// copy of the one in the program directory, when there is one.
std::string LibraryFilePath(const std::string &programDirectory);

// Longest name of an element (the record file's name field).
constexpr int kLibraryNameLength = 20;

class TComponentLibrary {
 public:
  TComponentLibrary() = default;
  TComponentLibrary(const TComponentLibrary &) = delete;
  TComponentLibrary &operator=(const TComponentLibrary &) = delete;

  // Opens the library (a missing file becomes an empty library). 1, or 0 with ErrorText().
  int Open(const std::string &path);
  void Close();
  bool IsOpen() const { return base_.IsOpen(); }
  const std::string &Path() const { return path_; }

  // The elements in file order.
  int Count() const { return static_cast<int>(records_.size()); }
  std::string Name(int index) const;
  std::vector<std::string> Names() const;

  // Stores the marked elements of the system under the name (trimmed; a longer name than
  // kLibraryNameLength is refused). The index of the new element, or -1 with ErrorText().
  int Add(const std::string &name, const TSystemImage &system);
  // Deletes the element and packs the file. 1, or 0 with ErrorText().
  int Delete(int index);
  // The element as a system of its own in target. 1, or 0 with ErrorText() and target
  // as it was.
  int Take(int index, TSystemImage &target);

  const std::string &ErrorText() const { return error_; }

 private:
  int Fail(const std::string &text);
  // The record numbers of the elements not marked deleted.
  void ListRecords();
  std::string WorkFile() const;

  TEasyBase base_;
  std::string path_;
  std::vector<int> records_;
  std::string error_;
};
