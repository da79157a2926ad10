#pragma once
// TElementFolder: the new-element folder. It receives the element placed on the canvas (a
// plane surface at the clicked place) and puts the element of its shown page there when
// OK is pressed: the lens page makes a lens of a given focal length, glass and thickness;
// the single surface, mirror and prism pages make theirs; the paste page puts the
// clipboard's elements there. Cancel puts nothing there; the
// caller then takes the placed surface away.

#include <string>

#include "editor/insert/inserted_element_info.h"
#include "editor/insert/new_element_pages.h"
#include "toolkit/folders/book_mark_dlg.h"
#include "toolkit/folders/book_mark_folder.h"

class TSystemImage;

// The folder's page numbers as the callers name them (slot 4 stays free).
constexpr int kLensPage = 0;
constexpr int kSingleSurfacePage = 1;
constexpr int kMirrorPage = 2;
constexpr int kPrismPage = 3;
constexpr int kPastePage = 5;

// The lens page's fields.
constexpr int kFocalLengthId = 301;
constexpr int kLensGlassId = 302;
constexpr int kLensThicknessId = 303;
// The paste page's description of the clipboard.
constexpr int kClipboardTextId = 311;

class TNewLensPage : public TBookMarkDlg {
 public:
  explicit TNewLensPage(TWindow *folder);
  void SetupWindow() override;
  // The values the fields hold (the defaults before the window exists).
  double Focal() const;
  std::string Glass() const;
  double Thickness() const;
  // The focal length and thickness typed; false and a message naming the field when one is
  // not a number.
  bool ReadNumbers(double &focal, double &thickness, std::string &error);

 private:
  // The field's number; NaN for a text that is not one.
  double ReadNumber(int id, double fallback) const;
};

class TPasteElementPage : public TBookMarkDlg {
 public:
  explicit TPasteElementPage(TWindow *folder);
  void SetupWindow() override;
};

class TElementFolder : public TBookMarkFolder {
 public:
  // firstPage: one of the page numbers above.
  TElementFolder(TWindow *owner, TSystemImage &system, const TInsertedElementInfo &info,
                 int firstPage);

  bool Find(TEventInfo &info) override;
  // Puts the element of the shown page in place; a refusal shows why and keeps the folder.
  void CmOk();

  TNewLensPage *LensPage() const { return lens_; }
  TNewSurfacePage *SurfacePage() const { return surface_; }
  TNewMirrorPage *MirrorPage() const { return mirror_; }
  TNewPrismPage *PrismPage() const { return prism_; }
  TPasteElementPage *PastePage() const { return paste_; }
  const TInsertedElementInfo &Info() const { return info_; }

 private:
  TSystemImage &system_;
  TInsertedElementInfo info_;
  TNewLensPage *lens_;
  TNewSurfacePage *surface_;
  TNewMirrorPage *mirror_;
  TNewPrismPage *prism_;
  TPasteElementPage *paste_;
};
