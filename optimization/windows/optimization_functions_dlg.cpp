#include "optimization/windows/optimization_functions_dlg.h"

#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/path_parts.h"
#include "optics/model/optical_system.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/system/configured_system.h"
#include "optimization/windows/functions_tables.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/button.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/texteditor/text_editor.h"
#include "optics/model/model_globals.h"

namespace {

constexpr char kFileFilter[] = "Functions (*.fun)|*.fun|Parameters (*.par)|*.par|";
// The bound fields' text: dark blue on white.
constexpr COLORREF kFieldText = 0xC00000;
constexpr COLORREF kFieldBack = 0xFFFFFF;

const TDialogTemplate kOptimizationFunctionsDlg{
    "OptimizationFunctionsDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 40, 380, 248,
    "Optimization functions",
    {
        {"BUTTON", " Functions ", -1, BS_GROUPBOX, 6, 2, 150, 152},
        {"STATIC", "", kFunctionsTableId, SS_LEFT, 12, 14, 138, 132},
        {"STATIC", "Rays number in each beam:", -1, SS_LEFT, 8, 162, 100, 8},
        {"EDIT", "", kRaysPerBeamId, ES_LEFT | WS_BORDER | WS_TABSTOP, 112, 160, 40, 12},
        {"BUTTON", "Enable sagittal rays optimization", kSagittalId, BS_AUTOCHECKBOX | WS_TABSTOP, 8, 178, 148, 10},
        {"BUTTON", " Narciss optmization ", -1, BS_GROUPBOX, 6, 192, 150, 52},
        {"STATIC", "Scanner surface:", -1, SS_LEFT, 12, 208, 70, 8},
        {"EDIT", "", kScannerSurfaceId, ES_LEFT | WS_BORDER | WS_TABSTOP, 100, 206, 48, 12},
        {"STATIC", "Weight:", -1, SS_LEFT, 12, 226, 70, 8},
        {"EDIT", "", kNarcissusWeightId, ES_LEFT | WS_BORDER | WS_TABSTOP, 100, 224, 48, 12},
        {"BUTTON", " Beams ", -1, BS_GROUPBOX, 162, 2, 150, 188},
        {"STATIC", "", kBeamsTableId, SS_LEFT, 168, 14, 138, 152},
        {"STATIC", "Unit:", -1, SS_LEFT, 168, 174, 20, 8},
        {"BUTTON", "grad", kUnitDegreesId, BS_RADIOBUTTON | WS_TABSTOP, 190, 172, 36, 12},
        {"BUTTON", "min", kUnitMinutesId, BS_RADIOBUTTON, 230, 172, 36, 12},
        {"BUTTON", "mm", kUnitMillimetresId, BS_RADIOBUTTON, 270, 172, 36, 12},
        {"BUTTON", " Optimize system as ", -1, BS_GROUPBOX, 162, 194, 76, 50},
        {"COMBOBOX", "", kPolychromeListId, CBS_DROPDOWNLIST | WS_TABSTOP, 168, 210, 64, 60},
        {"BUTTON", " Place image surface in ", -1, BS_GROUPBOX, 242, 194, 132, 50},
        {"COMBOBOX", "", kImagePlacementListId, CBS_DROPDOWNLIST | WS_TABSTOP, 248, 210, 120, 60},
        {"BUTTON", " Configurations ", -1, BS_GROUPBOX, 318, 2, 56, 50},
        {"BUTTON", "Previous", kPreviousId, BS_PUSHBUTTON | WS_TABSTOP, 324, 14, 44, 14},
        {"BUTTON", "Next", kNextId, BS_PUSHBUTTON | WS_TABSTOP, 324, 32, 44, 14},
        {"BUTTON", "Init parameters", kInitParametersId, BS_PUSHBUTTON | WS_TABSTOP, 318, 58, 56, 14},
        {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 318, 100, 56, 14},
        {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 318, 118, 56, 14},
        {"BUTTON", "Load", kLoadId, BS_PUSHBUTTON | WS_TABSTOP, 318, 136, 56, 14},
        {"BUTTON", "Save", kSaveId, BS_PUSHBUTTON | WS_TABSTOP, 318, 154, 56, 14},
    }};
const TDialogRegistration kOptimizationFunctionsRegistration(kOptimizationFunctionsDlg);

}  // namespace

TOptimizationFunctionsDlg::TOptimizationFunctionsDlg(TWindow *owner, TOptimizationFunctions *set)
    : TColorDlg(owner, "OptimizationFunctionsDlg"),
      functions(set),
      page(*set),
      fields(std::make_unique<TMultiEdit>(this, kMultiEditCapacity)) {
  fields->AddEdit(kRaysPerBeamId, &page.raysPerBeam, 'i', "%d");
  fields->AddEdit(kScannerSurfaceId, &page.scannerSurface, 'i', "%d");
  fields->AddEdit(kNarcissusWeightId, &page.narcissusWeight, 'd', "%g");
  units[0] = new TRadioButton(this, kUnitDegreesId);
  units[1] = new TRadioButton(this, kUnitMinutesId);
  units[2] = new TRadioButton(this, kUnitMillimetresId);
  sagittal = new TCheckBox(this, kSagittalId);
  polychrome = new TComboBox(this, kPolychromeListId);
  placement = new TComboBox(this, kImagePlacementListId);
  previous = new TButton(this, kPreviousId);
  next = new TButton(this, kNextId);
}

TOptimizationFunctionsDlg::~TOptimizationFunctionsDlg() = default;

void TOptimizationFunctionsDlg::SetControlColors() {
  TColorDlg::SetControlColors();
  fields->EditTextColor(currentKind, currentId, textColor);
}

void TOptimizationFunctionsDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  fields->SetColors(kFieldBack, kFieldText);
  beams = new TBeamsTable(this, kBeamsTableId);
  table = new TFunctionsTable(this, kFunctionsTableId);
  if (beams->Create()) beams->Bind(page);
  if (table->Create()) table->Bind(page);
  polychrome->AddString("Monochrome");
  polychrome->AddString("Polychrome");
  placement->AddString("Current position");
  placement->AddString("Gauss plane position");
  placement->AddString("Position of best installation");
  page.Setup();
  PageToControls();
  // Every child in the stock GUI face, the one the template's units are measured in, so no
  // text outgrows its control.
  SetFontToChildren(GetHandle(), static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

void TOptimizationFunctionsDlg::PageToControls() {
  fields->WriteAll();
  if (beams != nullptr) beams->ValuesToCells();
  if (table != nullptr) table->ValuesToCells();
  for (int u = 0; u < 3; ++u) units[u]->SetCheck(u == page.unit ? BST_CHECKED : BST_UNCHECKED);
  units[2]->EnableWindow(page.millimetresEnabled);
  EnableDlgItem(GetHandle(), kScannerSurfaceId, page.narcissusEnabled ? 1 : 0);
  EnableDlgItem(GetHandle(), kNarcissusWeightId, page.narcissusEnabled ? 1 : 0);
  sagittal->SetCheck(page.sagittal != 0 ? BST_CHECKED : BST_UNCHECKED);
  polychrome->SetSelIndex(page.polychromeIndex);
  polychrome->EnableWindow(page.polychromeEnabled);
  placement->SetSelIndex(page.imagePlacementIndex);
  previous->EnableWindow(page.previousEnabled);
  next->EnableWindow(page.nextEnabled);
  SetCaption(page.Caption());
}

bool TOptimizationFunctionsDlg::ControlsToPage() {
  // The reading stops at the first refusal, which is told; the controls keep the user's
  // texts, so nothing is lost, and the page is read whole once it is mended.
  page.sagittal = sagittal->GetCheck() == BST_CHECKED ? 1 : 0;
  if (fields->ReadAll() == 0) return false;
  if (beams != nullptr && beams->CellsToValues() == 0) return false;
  return table == nullptr || table->CellsToValues() != 0;
}

bool TOptimizationFunctionsDlg::StorePage() {
  if (!ControlsToPage()) return false;
  page.StorePage();
  return true;
}

void TOptimizationFunctionsDlg::ShowPage() {
  page.ShowPage();
  PageToControls();
}

void TOptimizationFunctionsDlg::SelectUnit(int unit) {
  if (!ControlsToPage()) {
    // The unit stays as it was until the refused number is mended.
    for (int u = 0; u < 3; ++u) units[u]->SetCheck(u == page.unit ? BST_CHECKED : BST_UNCHECKED);
    return;
  }
  page.SelectUnit(unit);
  PageToControls();
}

void TOptimizationFunctionsDlg::CmOk() {
  if (endIfSystemChanged && endIfSystemChanged()) return;
  // A pending cell edit reaches its cell first (the cells' close check).
  if (!CanClose() || !StorePage()) return;
  EndDialog(IDOK);
}

void TOptimizationFunctionsDlg::CmCancel() {
  // The page shown is not stored; what earlier page turns stored stays.
  EndDialog(IDCANCEL);
}

void TOptimizationFunctionsDlg::CmPrevious() {
  if (!ControlsToPage()) return;
  page.Previous();
  PageToControls();
}

void TOptimizationFunctionsDlg::CmNext() {
  if (!ControlsToPage()) return;
  page.Next();
  PageToControls();
}

void TOptimizationFunctionsDlg::CmInitParameters() {
  page.InitParameters();
  PageToControls();
}

void TOptimizationFunctionsDlg::CmPolychrome() { page.SelectPolychrome(polychrome->GetSelIndex() == 1 ? 1 : 0); }

void TOptimizationFunctionsDlg::CmImagePlacement() {
  const int index = placement->GetSelIndex();
  if (index >= 0 && index <= 2) page.SelectImagePlacement(index);
}

void TOptimizationFunctionsDlg::ProposeFile(TFileName &request) const {
  const TConfiguredSystem *system = functions->System();
  const std::string name = system != nullptr ? const_cast<TConfiguredSystem *>(system)->System().name : "";
  request.SetInitialDir(SystemFilesDir(name));
  request.SetFileName((name.empty() ? std::string("untitled") : BaseNameOfPath(name)) + ".fun");
}

void TOptimizationFunctionsDlg::CmLoad() {
  TFileName request(this, kFileFilter, TFileName::kOpen);
  ProposeFile(request);
  const std::string path = request.Execute();
  if (path.empty()) return;
  // The unstored edits of the page give way to the file.
  page.Load(path);
  PageToControls();
}

void TOptimizationFunctionsDlg::CmSave() {
  if (!StorePage()) return;
  TFileName request(this, kFileFilter, TFileName::kSave);
  ProposeFile(request);
  request.SetDefExt("fun");
  const std::string path = request.Execute();
  if (path.empty()) return;
  TFileWriteResult why;
  if (functions->Write(path, &why) == 0)
    MessageBox(GetHandle(), FileWriteFaultText(path, why), "Optimization functions", MB_OK | MB_ICONEXCLAMATION);
}

namespace {

const TResponseTableEntry kFunctionsDlgTable[] = {
    EvCommand<&TOptimizationFunctionsDlg::CmOk>(IDOK),
    EvCommand<&TOptimizationFunctionsDlg::CmCancel>(IDCANCEL),
    EvCommand<&TOptimizationFunctionsDlg::CmPrevious>(kPreviousId),
    EvCommand<&TOptimizationFunctionsDlg::CmNext>(kNextId),
    EvCommand<&TOptimizationFunctionsDlg::CmInitParameters>(kInitParametersId),
    EvCommand<&TOptimizationFunctionsDlg::CmDegrees>(kUnitDegreesId),
    EvCommand<&TOptimizationFunctionsDlg::CmMinutes>(kUnitMinutesId),
    EvCommand<&TOptimizationFunctionsDlg::CmMillimetres>(kUnitMillimetresId),
    EvChildNotify<&TOptimizationFunctionsDlg::CmPolychrome>(kPolychromeListId, CBN_SELCHANGE),
    EvChildNotify<&TOptimizationFunctionsDlg::CmImagePlacement>(kImagePlacementListId, CBN_SELCHANGE),
    EvCommand<&TOptimizationFunctionsDlg::CmLoad>(kLoadId),
    EvCommand<&TOptimizationFunctionsDlg::CmSave>(kSaveId),
};

}  // namespace

bool TOptimizationFunctionsDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kFunctionsDlgTable, info) || TColorDlg::Find(info);
}
