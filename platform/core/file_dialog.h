#pragma once
// The file open and save dialogs through a replaceable provider. The program installs the
// Qt one; tests install TScriptedFileDialog (scripted_dialogs.h); without either every
// request is cancelled.

#include <string>
#include <utility>
#include <vector>

#include "platform/core/types.h"

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

struct TFileDialogRequest {
  HWND Owner = nullptr;
  bool Save = false;
  DWORD Flags = 0;
  // Pairs of description and patterns, each followed by '|': "Texts (*.txt)|*.txt;*.text|".
  std::string Filter;
  int FilterIndex = 1;      // 1 for the first pair
  std::string InitialDir;
  std::string DefaultExt;   // without the dot; added to a chosen name without extension
  std::string FileName;     // the name (or path) offered
  std::string Title;        // empty: the dialog's own
};

struct TFileDialogAnswer {
  std::vector<std::string> Paths;  // full paths, one unless OFN_ALLOWMULTISELECT
  int FilterIndex = 1;
};

class TFileDialogProvider {
 public:
  virtual ~TFileDialogProvider() = default;
  // True when the user chose; the paths as the user gave them.
  virtual bool Run(const TFileDialogRequest &request, TFileDialogAnswer &answer) = 0;
};

TFileDialogProvider *SetFileDialogProvider(TFileDialogProvider *provider);
// Runs the dialog. On a choice the default extension is added to names without one, and
// a dialog that asked for one file gives one; false when cancelled or nothing was chosen.
bool RunFileDialog(const TFileDialogRequest &request, TFileDialogAnswer &answer);

// The filter's pairs; a pair without patterns is dropped, '|' ends each part.
std::vector<std::pair<std::string, std::string>> ParseFileFilter(const std::string &filter);
// The path with ".ext" added when its file name has no extension (and ext is not empty).
std::string WithDefaultExtension(const std::string &path, const std::string &ext);
