#include "optimization/windows/optimization_functions_dlg.h"

#include <cerrno>
#include <cstdlib>

#include "foundation/helpers/path_parts.h"
#include "optics/model/optical_system.h"
#include "optimization/merit/optimization_functions.h"
#include "optimization/system/configured_system.h"
#include "optimization/windows/functions_tables.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/button.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/drawing/sys_colors.h"
#include "toolkit/dialogs/file_name.h"

namespace {

constexpr char kFileFilter[] = "Functions (*.fun)|*.fun|Parameters (*.par)|*.par|";

// The number a cell or edit holds; false for text that is not one (the value stays).
bool ReadNumber(const std::string &text, double &value) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) {
    value = 0.0;  // an empty cell is 0
    return true;
  }
  const char *start = text.c_str() + first;
  char *end = nullptr;
  errno = 0;
  const double read = std::strtod(start, &end);
  if (end == start || errno == ERANGE) return false;
  for (const char *rest = end; *rest != '\0'; ++rest)
    if (*rest != ' ' && *rest != '\t') return false;
  value = read;
  return true;
}

void ReadInt(const std::string &text, int &value) {
  double read = value;
  if (ReadNumber(text, read) && read >= -2147483647.0 && read <= 2147483647.0) value = static_cast<int>(read);
}

void ReadDouble(const std::string &text, double &value) {
  double read = value;
  if (ReadNumber(text, read)) value = read;
}

// Where the window opens and its size, which holds the tables, the groups and the buttons
// laid out below (pixels).
constexpr POINT kDefaultPlace{60, 60};
constexpr SIZE kDefaultSize{566, 404};

}  // namespace

TOptimizationFunctionsDlg::TOptimizationFunctionsDlg(TWindow *owner, TOptimizationFunctions *set)
    : TWindow(owner, "Optimization functions"), functions(set), page(*set) {
  Attr.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  Attr.X = kDefaultPlace.x;
  Attr.Y = kDefaultPlace.y;
  Attr.W = kDefaultSize.cx;
  Attr.H = kDefaultSize.cy;
  SetBkgndColor(GetSysColor(COLOR_BTNFACE));
  auto group = [this](const char *text, int left, int top, int w, int h) {
    new TGroupBox(this, -1, text, left, top, w, h);
  };
  auto label = [this](const char *text, int left, int top, int w) { new TStatic(this, -1, text, left, top, w, 18); };
  group(" Functions ", 8, 4, 210, 238);
  table = new TFunctionsTable(this, kFunctionsTableId, 16, 24);
  group(" Beams ", 226, 4, 242, 294);
  beams = new TBeamsTable(this, kBeamsTableId, 234, 24);
  label("Unit:", 236, 272, 32);
  units[0] = new TRadioButton(this, kUnitDegreesId, "grad", 272, 270, 56, 20);
  units[1] = new TRadioButton(this, kUnitMinutesId, "min", 332, 270, 56, 20);
  units[2] = new TRadioButton(this, kUnitMillimetresId, "mm", 392, 270, 56, 20);
  label("Rays number in each beam:", 16, 250, 160);
  raysPerBeam = new TEdit(this, kRaysPerBeamId, "", 176, 248, 40, 21);
  sagittal = new TCheckBox(this, kSagittalId, "Enable sagittal rays optimization", 14, 276, 206, 20);
  group(" Configurations ", 476, 4, 82, 74);
  previous = new TButton(this, kPreviousId, "Previous", 484, 22, 66, 22);
  next = new TButton(this, kNextId, "Next", 484, 48, 66, 22);
  new TButton(this, kInitParametersId, "Init parameters", 476, 86, 82, 24);
  new TButton(this, IDOK, "Ok", 476, 196, 82, 24, true);
  new TButton(this, IDCANCEL, "Cancel", 476, 224, 82, 24);
  new TButton(this, kLoadId, "Load", 476, 252, 82, 24);
  new TButton(this, kSaveId, "Save", 476, 280, 82, 24);
  group(" Narciss optimization ", 8, 304, 210, 80);
  label("Scanner surface:", 16, 326, 120);
  scannerSurface = new TEdit(this, kScannerSurfaceId, "", 150, 324, 60, 21);
  label("Weight:", 16, 352, 120);
  narcissusWeight = new TEdit(this, kNarcissusWeightId, "", 150, 350, 60, 21);
  group(" Optimize system as ", 226, 304, 150, 56);
  polychrome = new TComboBox(this, kPolychromeListId, 234, 326, 134, 24, CBS_DROPDOWNLIST);
  group(" Place image surface in ", 384, 304, 174, 56);
  placement = new TComboBox(this, kImagePlacementListId, 392, 326, 158, 24, CBS_DROPDOWNLIST);
}

void TOptimizationFunctionsDlg::SetupWindow() {
  TWindow::SetupWindow();
  polychrome->AddString("Monochrome");
  polychrome->AddString("Polychrome");
  placement->AddString("Current position");
  placement->AddString("Gauss plane position");
  placement->AddString("Position of best installation");
  page.Setup();
  PageToControls();
}

void TOptimizationFunctionsDlg::PageToControls() {
  for (int r = 0; r < TOptimizationFunctionsPage::kBeamRows; ++r) {
    beams->SetCell(0, r, TOptimizationFunctionsPage::FormatBeamValue(page.beamY[r]));
    beams->SetCell(1, r, TOptimizationFunctionsPage::FormatBeamValue(page.beamZ[r]));
    beams->SetCell(2, r, TOptimizationFunctionsPage::FormatBeamValue(page.beamWeight[r]));
  }
  for (int r = 0; r < TOptimizationFunctionsPage::kFunctionRows; ++r) {
    table->SetCell(0, r, TOptimizationFunctionsPage::FormatWeight(page.required[r]));
    table->SetCell(1, r, TOptimizationFunctionsPage::FormatWeight(page.weight[r]));
  }
  for (int u = 0; u < 3; ++u) units[u]->SetCheck(u == page.unit ? BST_CHECKED : BST_UNCHECKED);
  units[2]->EnableWindow(page.millimetresEnabled);
  raysPerBeam->SetText(std::to_string(page.raysPerBeam).c_str());
  scannerSurface->SetText(std::to_string(page.scannerSurface).c_str());
  narcissusWeight->SetText(TOptimizationFunctionsPage::FormatWeight(page.narcissusWeight).c_str());
  scannerSurface->EnableWindow(page.narcissusEnabled);
  narcissusWeight->EnableWindow(page.narcissusEnabled);
  sagittal->SetCheck(page.sagittal != 0 ? BST_CHECKED : BST_UNCHECKED);
  polychrome->SetSelIndex(page.polychromeIndex);
  polychrome->EnableWindow(page.polychromeEnabled);
  placement->SetSelIndex(page.imagePlacementIndex);
  previous->EnableWindow(page.previousEnabled);
  next->EnableWindow(page.nextEnabled);
  SetCaption(page.Caption());
}

void TOptimizationFunctionsDlg::ControlsToPage() {
  for (int r = 0; r < TOptimizationFunctionsPage::kBeamRows; ++r) {
    ReadDouble(beams->GetCell(0, r), page.beamY[r]);
    ReadDouble(beams->GetCell(1, r), page.beamZ[r]);
    ReadDouble(beams->GetCell(2, r), page.beamWeight[r]);
  }
  for (int r = 0; r < TOptimizationFunctionsPage::kFunctionRows; ++r) {
    ReadDouble(table->GetCell(0, r), page.required[r]);
    ReadDouble(table->GetCell(1, r), page.weight[r]);
  }
  ReadInt(raysPerBeam->GetWindowText(), page.raysPerBeam);
  ReadInt(scannerSurface->GetWindowText(), page.scannerSurface);
  ReadDouble(narcissusWeight->GetWindowText(), page.narcissusWeight);
  page.sagittal = sagittal->GetCheck() == BST_CHECKED ? 1 : 0;
}

void TOptimizationFunctionsDlg::StorePage() {
  ControlsToPage();
  page.StorePage();
}

void TOptimizationFunctionsDlg::ShowPage() {
  page.ShowPage();
  PageToControls();
}

void TOptimizationFunctionsDlg::SelectUnit(int unit) {
  ControlsToPage();
  page.SelectUnit(unit);
  PageToControls();
}

void TOptimizationFunctionsDlg::CmOk() {
  StorePage();
  if (IsModal())
    EndModal(IDOK);
  else
    Destroy(IDOK);
}

void TOptimizationFunctionsDlg::CmCancel() {
  // The page shown is not stored; what earlier page turns stored stays.
  if (IsModal())
    EndModal(IDCANCEL);
  else
    Destroy(IDCANCEL);
}

void TOptimizationFunctionsDlg::CmPrevious() {
  ControlsToPage();
  page.Previous();
  PageToControls();
}

void TOptimizationFunctionsDlg::CmNext() {
  ControlsToPage();
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
  request.SetInitialDir(DirectoryOfPath(name));
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
  StorePage();
  TFileName request(this, kFileFilter, TFileName::kSave);
  ProposeFile(request);
  request.SetDefExt("fun");
  const std::string path = request.Execute();
  if (path.empty()) return;
  if (functions->Write(path) == 0)
    MessageBox(GetHandle(), "The file " + path + " cannot be written.", "Optimization functions",
               MB_OK | MB_ICONEXCLAMATION);
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
    EvMessage<&TOptimizationFunctionsDlg::EvClose>(WM_CLOSE),
};

}  // namespace

bool TOptimizationFunctionsDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kFunctionsDlgTable, info) || TWindow::Find(info);
}
