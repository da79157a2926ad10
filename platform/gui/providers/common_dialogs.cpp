#include "platform/gui/providers/common_dialogs.h"

#include "platform/core/message_box.h"
#include "platform/gui/windows/window.h"

namespace {

HWND HandleOf(TWindow *window) { return window != nullptr ? window->GetHandle() : nullptr; }

std::string Text(const char *text) { return text != nullptr ? text : ""; }

}  // namespace

TChooseColorDialog::TChooseColorDialog(TWindow *parent, TData &data, const char *, const char *,
                                       TModule *)
    : parent_(parent), data_(data) {}

int TChooseColorDialog::Execute() {
  CHOOSECOLOR choice;
  choice.hwndOwner = HandleOf(parent_);
  choice.rgbResult = data_.Color;
  choice.lpCustColors = data_.CustColors;
  choice.Flags = data_.Flags;
  data_.Error = 0;
  if (!ChooseColor(&choice)) return IDCANCEL;
  data_.Color = choice.rgbResult;
  return IDOK;
}

TOpenSaveDialog::TData::TData(DWORD flags, const char *filter, const char *customFilter,
                              const char *initialDir, const char *defExt, int maxPath,
                              int filterIndex)
    : Flags(flags),
      Filter(Text(filter)),
      CustomFilter(Text(customFilter)),
      FilterIndex(filterIndex),
      InitialDir(Text(initialDir)),
      DefExt(Text(defExt)),
      MaxPath(maxPath) {}

TOpenSaveDialog::TOpenSaveDialog(TWindow *parent, TData &data, const char *title, bool save)
    : parent_(parent), data_(data), title_(Text(title)), save_(save) {}

int TOpenSaveDialog::Execute() {
  TFileDialogRequest request;
  request.Owner = HandleOf(parent_);
  request.Save = save_;
  request.Flags = data_.Flags;
  request.Filter = data_.Filter;
  request.FilterIndex = data_.FilterIndex > 0 ? data_.FilterIndex : 1;
  request.InitialDir = data_.InitialDir;
  request.DefaultExt = data_.DefExt;
  request.FileName = data_.FileName;
  request.Title = title_;
  data_.Error = 0;
  TFileDialogAnswer answer;
  if (!RunFileDialog(request, answer)) return IDCANCEL;
  std::string fileName;
  if (answer.Paths.size() == 1) {
    fileName = answer.Paths.front();
  } else {
    // The directory of the first file, then every name after a space.
    const std::string &first = answer.Paths.front();
    const std::size_t slash = first.find_last_of('/');
    fileName = slash == std::string::npos ? std::string() : first.substr(0, slash);
    for (const std::string &path : answer.Paths) {
      const std::size_t cut = path.find_last_of('/');
      fileName += " " + (cut == std::string::npos ? path : path.substr(cut + 1));
    }
  }
  if (data_.MaxPath > 0 && fileName.size() >= static_cast<std::size_t>(data_.MaxPath)) {
    data_.Error = FNERR_BUFFERTOOSMALL;
    return IDCANCEL;
  }
  data_.FileName = fileName;
  data_.SelectedPaths = answer.Paths;
  data_.FilterIndex = answer.FilterIndex;
  return IDOK;
}

TFileOpenDialog::TFileOpenDialog(TWindow *parent, TData &data, const char *, const char *title,
                                 TModule *)
    : TOpenSaveDialog(parent, data, title, false) {}

TFileSaveDialog::TFileSaveDialog(TWindow *parent, TData &data, const char *, const char *title,
                                 TModule *)
    : TOpenSaveDialog(parent, data, title, true) {}
