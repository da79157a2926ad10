#include "toolkit/dialogs/file_name.h"

#include "foundation/helpers/path_parts.h"
#include "platform/gui/windows/window.h"
#include "toolkit/dialogs/file_open_dlg.h"

TFileName::TFileName(TWindow *parentWindow, const char *filter, int openOrSave, TModule *owner)
    : module(owner),
      parent(parentWindow),
      mode(openOrSave == kSave ? kSave : kOpen),
      data(OFN_PATHMUSTEXIST | (openOrSave == kSave ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY
                                                    : OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT),
           filter) {}

TFileName::~TFileName() {
  if (parent != nullptr && parent->IsWindow()) parent->UpdateWindow();
}

void TFileName::SetInitialDir(const std::string &initialDir) { data.InitialDir = initialDir; }

void TFileName::SetDefExt(const std::string &extension) { data.DefExt = extension; }

void TFileName::SetFileName(const std::string &name) { data.FileName = name; }

std::string TFileName::Execute(int index) {
  int answer = IDCANCEL;
  if (mode == kOpen) {
    TFileOpenDlg dialog(parent, data, nullptr, Title, module);
    answer = dialog.Execute();
  } else {
    TFileSaveDialog dialog(parent, data, nullptr, Title, module);
    answer = dialog.Execute();
  }
  if (answer != IDOK) return {};
  TakeAnswer();
  if (result == 0) return {};
  return GetSelectedPath(index);
}

void TFileName::TakeAnswer() {
  // The whole paths are the answer; the one-line form (directory and names after spaces)
  // cannot tell a space in a name from the space between names.
  paths = data.SelectedPaths;
  if (paths.empty() && !data.FileName.empty()) paths.push_back(data.FileName);
  if (mode == kSave && paths.size() > 1) paths.resize(1);
  result = paths.empty() ? 0 : 1;
  count = static_cast<int>(paths.size());
  directory = paths.empty() ? std::string() : DirectoryOfPath(paths.front());
}

std::string TFileName::GetSelectedPath(int i) const {
  if (result == 0 || i < 0 || i >= count) return {};
  return paths[static_cast<std::size_t>(i)];
}

std::string TFileName::GetSelectedName(int i) const { return FileNameOfPath(GetSelectedPath(i)); }

std::string TFileName::GetSelectedExtension(int i) const {
  return ExtensionOfPath(GetSelectedName(i));
}
