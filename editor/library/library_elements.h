#pragma once
// TLibraryElements: the component-library dialog. It lists the elements of the library
// file, adds the selected element of the edited system under a typed name, deletes the
// chosen element, and takes the chosen element: it goes onto the element clipboard and the
// dialog ends with kTakeElementId, so that the editor places it as a pasted element.

#include <string>

#include "editor/library/component_library.h"
#include "toolkit/dialogs/color_dlg.h"

class TSystemImage;

constexpr int kLibraryListId = 401;
constexpr int kElementNameId = 402;
constexpr int kAddElementId = 403;
constexpr int kDeleteElementId = 404;
constexpr int kTakeElementId = 405;

// The library file the editor uses: LibraryFilePath of the program's directory.
std::string DefaultLibraryPath();

class TLibraryElements : public TColorDlg {
 public:
  // path: the library file (empty: DefaultLibraryPath()).
  TLibraryElements(TWindow *owner, TSystemImage &system, const std::string &path = std::string());

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  void CmAdd();
  void CmDelete();
  void CmTake();

  const TComponentLibrary &Library() const { return library_; }

 private:
  void FillList();
  int ChosenIndex() const;
  void Complain(const std::string &text);

  TSystemImage &system_;
  std::string path_;
  TComponentLibrary library_;
};
