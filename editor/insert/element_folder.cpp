#include "editor/insert/element_folder.h"

#include <cmath>

#include "document/system/system_image.h"
#include "editor/dialogs/number_field.h"
#include "editor/edit/edit_clipboard.h"
#include "editor/insert/element_insertion.h"
#include "foundation/numtext/typed_number.h"
#include "platform/core/message_box.h"

namespace {

constexpr double kDefaultFocal = 100.0;
constexpr const char *kDefaultGlass = "N-BK7_schott";
constexpr double kDefaultThickness = 5.0;

const TDialogTemplate kElementFolderDlg{
    "ElementFolder", DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 290, 158,
    "New element",
    {
        {"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 278, 112},
        {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 138, 50, 14},
        {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 150, 138, 50, 14},
    }};
const TDialogTemplate kNewLensPageDlg{
    "NewLensPage", WS_CHILD | WS_CAPTION, 0, 0, 278, 112, "",
    {
        {"STATIC", "Focal length, mm", -1, SS_LEFT, 12, 26, 90, 10},
        {"EDIT", "", kFocalLengthId, WS_BORDER | WS_TABSTOP, 110, 24, 90, 12},
        {"STATIC", "Glass", -1, SS_LEFT, 12, 46, 90, 10},
        {"EDIT", "", kLensGlassId, WS_BORDER | WS_TABSTOP, 110, 44, 90, 12},
        {"STATIC", "Thickness, mm", -1, SS_LEFT, 12, 66, 90, 10},
        {"EDIT", "", kLensThicknessId, WS_BORDER | WS_TABSTOP, 110, 64, 90, 12},
        {"STATIC", "An equi-convex lens (equi-concave for a negative focal length)", -1, SS_LEFT, 12,
         82, 256, 18},
    }};
const TDialogTemplate kPasteElementPageDlg{
    "PasteElementPage", WS_CHILD | WS_CAPTION, 0, 0, 278, 112, "",
    {
        {"STATIC", "", kClipboardTextId, SS_LEFT, 12, 26, 256, 40},
        {"STATIC", "The elements go to the chosen place and keep their faces' angles to the beam they were copied with.",
         -1, SS_LEFT, 12, 66, 256, 24},
    }};
const TDialogRegistration kFolderRegistration(kElementFolderDlg);
const TDialogRegistration kLensRegistration(kNewLensPageDlg);
const TDialogRegistration kPasteRegistration(kPasteElementPageDlg);

const TResponseTableEntry kElementFolderTable[] = {
    EvCommand<&TElementFolder::CmOk>(IDOK),
};

}  // namespace

TNewLensPage::TNewLensPage(TWindow *folder) : TBookMarkDlg(folder, "NewLensPage") {}

void TNewLensPage::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  SetDlgItemText(kFocalLengthId, NumberFieldText(kDefaultFocal).c_str());
  SetDlgItemText(kLensGlassId, kDefaultGlass);
  SetDlgItemText(kLensThicknessId, NumberFieldText(kDefaultThickness).c_str());
}

double TNewLensPage::ReadNumber(int id, double fallback) const {
  if (GetHandle() == nullptr) return fallback;
  char text[64] = {};
  GetDlgItemText(id, text, sizeof text);
  double value = 0.0;
  // A text that is no number reads as not-a-number: the lens refuses it.
  return ReadTypedNumber(text, value) == TNumberRead::Number ? value : std::nan("");
}

bool TNewLensPage::ReadNumbers(double &focal, double &thickness, std::string &error) {
  const TNumberField fields[] = {{kFocalLengthId, kDefaultFocal, &focal},
                                 {kLensThicknessId, kDefaultThickness, &thickness}};
  return ReadNumberFields(*this, fields, error);
}

double TNewLensPage::Focal() const { return ReadNumber(kFocalLengthId, kDefaultFocal); }

double TNewLensPage::Thickness() const { return ReadNumber(kLensThicknessId, kDefaultThickness); }

std::string TNewLensPage::Glass() const { return FieldText(*this, kLensGlassId, kDefaultGlass); }

TPasteElementPage::TPasteElementPage(TWindow *folder) : TBookMarkDlg(folder, "PasteElementPage") {}

void TPasteElementPage::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  const TSystemImage *clipboard = EditClipboard();
  const int surfaces = clipboard != nullptr ? clipboard->SurfaceCount() - 2 : 0;
  const std::string text =
      surfaces > 0 ? "The clipboard holds " + std::to_string(clipboard->ElementCount()) +
                         " element(s) of " + std::to_string(surfaces) + " surface(s)."
                   : std::string("The clipboard is empty.");
  SetDlgItemText(kClipboardTextId, text.c_str());
}

TElementFolder::TElementFolder(TWindow *owner, TSystemImage &system, const TInsertedElementInfo &info,
                               int firstPage)
    : TBookMarkFolder(owner, "ElementFolder"), system_(system), info_(info) {
  lens_ = new TNewLensPage(this);
  surface_ = new TNewSurfacePage(this);
  mirror_ = new TNewMirrorPage(this);
  prism_ = new TNewPrismPage(this);
  paste_ = new TPasteElementPage(this);
  AddPage(lens_, "Lens");
  AddPage(surface_, "Single surface");
  AddPage(mirror_, "Mirror");
  AddPage(prism_, "Dispersion prism");
  AddPage(paste_, "Paste from clipboard");
  TWindow *const slots[] = {lens_, surface_, mirror_, prism_, nullptr, paste_};
  const bool known = firstPage >= 0 && firstPage < 6 && slots[firstPage] != nullptr;
  SetInitialPageByDialog(known ? slots[firstPage] : lens_);
}

bool TElementFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kElementFolderTable, info) || TBookMarkFolder::Find(info);
}

void TElementFolder::CmOk() {
  std::string error;
  int done = 0;
  TNewElementPage *element = nullptr;
  TNewElementPage *const elements[] = {surface_, mirror_, prism_};
  for (TNewElementPage *page : elements)
    if (CurrentPage() == IndexOfPage(page)) element = page;
  if (element != nullptr) {
    done = element->Make(system_, info_, error);
  } else if (CurrentPage() == IndexOfPage(paste_)) {
    const TSystemImage *clipboard = EditClipboard();
    if (clipboard == nullptr)
      error = "The clipboard is empty";
    else
      done = PasteElement(system_, info_, *clipboard, error);
  } else {
    double focal = 0.0;
    double thickness = 0.0;
    if (lens_->ReadNumbers(focal, thickness, error))
      done = InsertLens(system_, info_, focal, lens_->Glass(), thickness, error);
  }
  if (!done) {
    MessageBox(GetHandle(), error, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  TBookMarkFolder::CmOk();
}
