#pragma once
// The framework's common-dialog classes over platform/core's providers: the colour
// dialog and the file open and save dialogs, each run modally by Execute (IDOK or
// IDCANCEL) on a data record the caller keeps.

#include <string>
#include <vector>

#include "platform/core/color_dialog.h"
#include "platform/core/file_dialog.h"
#include "platform/core/message_box.h"
#include "platform/core/types.h"

class TModule;
class TWindow;

// The error left in a file dialog's record when the answer does not fit its buffer.
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

class TChooseColorDialog {
 public:
  struct TData {
    DWORD Flags = 0;
    COLORREF Color = 0;
    COLORREF *CustColors = nullptr;  // 16 colours
    DWORD Error = 0;
  };
  TChooseColorDialog(TWindow *parent, TData &data, const char *templateName = nullptr,
                     const char *title = nullptr, TModule *module = nullptr);
  virtual ~TChooseColorDialog() = default;
  TChooseColorDialog(const TChooseColorDialog &) = delete;
  TChooseColorDialog &operator=(const TChooseColorDialog &) = delete;
  // IDOK with the choice in the record's Color; IDCANCEL leaves it.
  virtual int Execute();

 private:
  TWindow *parent_;
  TData &data_;
};

class TOpenSaveDialog {
 public:
  struct TData {
    TData(DWORD flags = 0, const char *filter = nullptr, const char *customFilter = nullptr,
          const char *initialDir = nullptr, const char *defExt = nullptr, int maxPath = 0,
          int filterIndex = 0);
    DWORD Flags;
    DWORD Error = 0;
    // In: the name offered. Out: the chosen path; for several files the directory and the
    // names, each after one space (the classic multiple answer); SelectedPaths holds them
    // whole, which keeps names with spaces apart.
    std::string FileName;
    std::string Filter;  // "description|patterns|" pairs
    std::string CustomFilter;
    int FilterIndex;     // 1 for the first pair (0 taken as 1)
    std::string InitialDir;
    std::string DefExt;
    int MaxPath;         // the buffer the answer must fit, with its zero (0: no limit)
    std::vector<std::string> SelectedPaths;
  };
  TOpenSaveDialog(TWindow *parent, TData &data, const char *title, bool save);
  virtual ~TOpenSaveDialog() = default;
  TOpenSaveDialog(const TOpenSaveDialog &) = delete;
  TOpenSaveDialog &operator=(const TOpenSaveDialog &) = delete;
  virtual int Execute();
  TData &GetData() { return data_; }

 private:
  TWindow *parent_;
  TData &data_;
  std::string title_;
  bool save_;
};

class TFileOpenDialog : public TOpenSaveDialog {
 public:
  TFileOpenDialog(TWindow *parent, TData &data, const char *templateName = nullptr,
                  const char *title = nullptr, TModule *module = nullptr);
};

class TFileSaveDialog : public TOpenSaveDialog {
 public:
  TFileSaveDialog(TWindow *parent, TData &data, const char *templateName = nullptr,
                  const char *title = nullptr, TModule *module = nullptr);
};
