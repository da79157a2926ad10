#pragma once
// The framework's file editor: a multi-line edit that finds and replaces (TEditSearch)
// and reads and writes a text file (TEditFile), with the standard file and edit commands.
// Files are read with any line end and written back in their own form (line ends, Latin-1
// or UTF-8; a change is told), through a file beside the target that is renamed into
// place, so a failed save keeps the old file. A file holding a NUL byte is refused.

#include <memory>
#include <string>

#include "foundation/filewrite/file_replace.h"
#include "platform/core/find_dialog.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/providers/common_dialogs.h"

constexpr UINT CM_EXIT = 24310;
constexpr UINT CM_EDITUNDO = 24321;
constexpr UINT CM_EDITCUT = 24322;
constexpr UINT CM_EDITCOPY = 24323;
constexpr UINT CM_EDITPASTE = 24324;
constexpr UINT CM_EDITDELETE = 24325;
constexpr UINT CM_EDITCLEAR = 24326;
constexpr UINT CM_FILENEW = 24331;
constexpr UINT CM_FILEOPEN = 24332;
constexpr UINT CM_FILESAVE = 24333;
constexpr UINT CM_FILESAVEAS = 24334;
constexpr UINT CM_EDITFIND = 24351;
constexpr UINT CM_EDITREPLACE = 24352;
constexpr UINT CM_EDITFINDNEXT = 24353;

// How a text file was written: what a save writes back, so the file keeps its form.
struct TTextFileForm {
  bool latin1 = false;          // its bytes are not UTF-8: one byte, one Latin-1 character
  std::string lineEnd = "\n";   // its first line end
  bool mixedLineEnds = false;   // it holds more than one kind
  bool byteOrderMark = false;   // UTF-8 behind a byte-order mark
  bool holdsZero = false;       // a NUL byte: not a text (it is refused)
};

// Find and Replace open a modeless dialog that stays beside the text: each of its actions
// searches or replaces at once, the user may edit the text between them, and Find Next
// repeats the last search with the dialog open or closed. One dialog at a time: asking
// again for the one open brings it forward, asking for the other kind replaces it. The
// dialog closes with the edit.
class TEditSearch : public TEdit {
 public:
  TEditSearch(TWindow *parent = nullptr, int id = 0, const char *text = nullptr, int x = 0,
              int y = 0, int w = 0, int h = 0, TModule *module = nullptr);
  ~TEditSearch() override;

  void CmEditFind();
  void CmEditReplace();
  // Repeats the last search; without one it asks as Find does.
  void CmEditFindNext();
  void CmEditUndo() { Undo(); }
  void CmEditCut() { Cut(); }
  void CmEditCopy() { Copy(); }
  void CmEditPaste() { Paste(); }
  void CmEditDelete() { SendMessage(WM_CLEAR); }
  void CmEditClear() { Clear(); }
  // Find next and replace need something to look for and a text to look in.
  void CeEditFindNext(TCommandEnabler &enabler);

  // Looks for the search text from the selection on (down or up) and selects it; says
  // "Cannot find ..." and returns false when it is not there.
  bool DoSearch();
  // Replaces every occurrence (one undo step); the number replaced.
  int ReplaceAll();

  bool Find(TEventInfo &info) override;
  // True while a find or replace dialog of this edit is open.
  bool IsFindDialogOpen() const { return findDialog_ != nullptr && findDialog_->IsOpen(); }

  TFindRequest SearchData;

 private:
  void OpenSearchDialog(bool replace);
  // One word of the open dialog: an action with its entries, or its close.
  void SearchDialogSaid(const TFindRequest &said);
  bool SelectionMatches();
  std::unique_ptr<TFindSession> findDialog_;
};

class TEditFile : public TEditSearch {
 public:
  TEditFile(TWindow *parent = nullptr, int id = 0, const char *text = nullptr, int x = 0, int y = 0,
            int w = 0, int h = 0, const char *fileName = nullptr, TModule *module = nullptr);

  // An empty, unnamed text (after CanClear).
  void NewFile();
  // Asks for a file (after CanClear) and reads it.
  void Open();
  // Reads the file (the editor's own when null); false with a message when it cannot.
  bool Read(const char *fileName = nullptr);
  // Reads the file and takes its name.
  void ReplaceWith(const char *fileName);
  // Writes a changed text (asking for a name when it has none); true when nothing is lost.
  bool Save();
  // Asks for a name and writes there; false when cancelled or the write fails.
  bool SaveAs();
  // Writes the text to the file (the editor's own when null); false with a message when it
  // cannot, and the old file is kept whole.
  bool Write(const char *fileName = nullptr);
  // A changed text may be saved first: yes saves, no drops it, cancel keeps it.
  bool CanClear();
  bool CanClose() override;
  const char *GetFileName() const { return fileName_.empty() ? nullptr : fileName_.c_str(); }
  void SetFileName(const char *fileName);
  // The form the text is saved in: the form of the file it was read from.
  const TTextFileForm &Form() const { return form_; }

  void CmFileNew() { NewFile(); }
  void CmFileOpen() { Open(); }
  void CmFileSave() { Save(); }
  void CmFileSaveAs() { SaveAs(); }

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  TOpenSaveDialog::TData FileData;

 private:
  std::string fileName_;
  TTextFileForm form_;
};

// Reads a text file whole, with '\r\n' and '\r' line ends made '\n'; false when it cannot
// be read or holds a NUL byte (not a text: shown cut at it, it would be saved cut).
// Text that is not UTF-8 is taken byte for byte as Latin-1. The form read goes to `form`.
bool ReadTextFile(const std::string &path, std::string &text, TTextFileForm *form = nullptr);
// The bytes of a text ('\n' line ends, UTF-8) in a file's form; `fits` is false when a
// character has no Latin-1 byte (the text is then written in UTF-8).
std::string TextInForm(const std::string &text, const TTextFileForm &form, bool &fits);
// Replaces the file with the text in one step (a file marked read-only is refused); the
// old file stays untouched when any step fails, and the result says why.
TFileWriteResult WriteTextFile(const std::string &path, const std::string &text);
