#pragma once
// TFileName: one open or save request. The caller gives a filter, the mode, and optionally
// an initial directory, a default extension and a proposed name, runs it, and reads the
// chosen path (or paths: an open request may choose several files) back.
//
// The chosen files are kept whole as the dialog gave them, never cut at spaces, so names
// and directories with spaces come back as they are, one file or many.

#include <string>
#include <vector>

#include "platform/gui/providers/common_dialogs.h"

class TModule;
class TWindow;

class TFileName {
 public:
  static constexpr int kOpen = 0;
  static constexpr int kSave = 1;

  // filter: "description|patterns|" pairs, e.g. "Components library(*.lct)|*.lct|".
  TFileName(TWindow *parent, const char *filter, int mode, TModule *module = nullptr);
  // Repaints what the dialog covered of the parent.
  ~TFileName();
  TFileName(const TFileName &) = delete;
  TFileName &operator=(const TFileName &) = delete;

  void SetInitialDir(const std::string &directory);
  // Added by the dialog to a typed name without extension (no dot).
  void SetDefExt(const std::string &extension);
  // The proposed name.
  void SetFileName(const std::string &name);

  // Runs the dialog modally; the path of the index-th chosen file, or an empty string when
  // the user cancelled or chose nothing. A cancel leaves the previous choice as it was.
  std::string Execute(int index = 0);

  // The full path, the name (without directory) and the extension of the i-th chosen file;
  // empty when nothing was chosen or i is not below the count.
  std::string GetSelectedPath(int i) const;
  std::string GetSelectedName(int i) const;
  std::string GetSelectedExtension(int i) const;
  std::string GetDirectory() const { return directory; }
  int GetCount() const { return count; }
  // 1 once a name was chosen.
  int GetResult() const { return result; }
  TOpenSaveDialog::TData &GetData() { return data; }

  // The dialog's title; null for the dialog's own.
  const char *Title = nullptr;

 private:
  // Takes the answer left in the data record.
  void TakeAnswer();

  TModule *module;
  TWindow *parent;
  int mode;
  int result = 0;
  int count = 0;
  std::string directory;
  std::vector<std::string> paths;  // one per chosen file, whole
  TOpenSaveDialog::TData data;
};
