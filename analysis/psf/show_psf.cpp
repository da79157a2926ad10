#include "analysis/psf/show_psf.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "analysis/psf/psf_maths.h"
#include "document/system/animation_hold.h"
#include "document/system/system_image.h"
#include "foundation/helpers/helpers.h"
#include "foundation/helpers/path_parts.h"
#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/testobject/synthesis_windows.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/psf/diffraction_sampling.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/help/win_help.h"
#include "toolkit/plot3d/graphics3d.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

// The 3-D plot: axes a quarter of the field long, surface kind 1, 128 x 128 quads.
constexpr double kPlotAxisShare = 0.25;
constexpr int kPlotKind = 1;
constexpr int kPlotQuality = 128;
// The client side of a result window: a 64-node grid at six pixels a node, which reads well.
constexpr int kResultSide = 384;
constexpr int kSizeCount = 6;
constexpr int kSmallestSize = 64;
constexpr int kInitialColorMode = 17;
constexpr const char *kDiscreteFormat = "%8.2g";
// The faintest level of the colour map, relative to its brightest.
constexpr float kColorMapRange = 0.001f;

const TDialogTemplate kShowPsfTemplate{
    "ShowPSF", WS_CHILD | WS_CAPTION, 0, 0, 292, 176, "PSF & MTF",
    {
        {"BUTTON", " Settings ", 0, BS_GROUPBOX, 4, 14, 284, 62},
        {"STATIC", "Size: (pixel)", 0, SS_LEFT, 10, 26, 50, 9},
        {"COMBOBOX", "", kPsfSizeList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 62, 24, 48, 80},
        {"BUTTON", "Diffraction on elements", kPsfDiffractionCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 124, 25, 140, 10},
        {"STATIC", "Discrete (mm):", kPsfDiscreteLabel, SS_LEFT, 10, 42, 60, 9},
        {"EDIT", "", kPsfDiscreteEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 72, 40, 46, 12},
        {"STATIC", "Bounds of diffraction order on HOE: \u00B1", 0, SS_LEFT, 122, 42, 136, 9},
        {"EDIT", "0", kPsfOrderEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 260, 40, 22, 12},
        {"BUTTON", "Enable recommendation", kPsfRecommendationCheck, BS_AUTOCHECKBOX | WS_TABSTOP, 10, 59, 120, 10},
        {"BUTTON", "Apply", kPsfApplyButton, BS_PUSHBUTTON | WS_TABSTOP, 228, 57, 54, 13},
        {"BUTTON", " Object coordinate ", 0, BS_GROUPBOX, 4, 80, 284, 36},
        {"STATIC", "From setting", 0, SS_LEFT, 10, 94, 46, 9},
        {"COMBOBOX", "", kPsfFieldCombo, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 58, 92, 60, 60},
        {"STATIC", "Custom:", 0, SS_LEFT, 126, 94, 32, 9},
        {"STATIC", "Y", 0, SS_LEFT, 160, 94, 8, 9},
        {"EDIT", "", kPsfYEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 170, 92, 38, 12},
        {"STATIC", "X", 0, SS_LEFT, 214, 94, 8, 9},
        {"EDIT", "", kPsfXEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 224, 92, 38, 12},
        {"BUTTON", " Calculate ", 0, BS_GROUPBOX, 4, 120, 284, 52},
        {"BUTTON", "PSF", kPsfRadioPsf, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 132, 40, 10},
        {"BUTTON", "MTF", kPsfRadioMtf, BS_AUTORADIOBUTTON, 56, 132, 40, 10},
        {"BUTTON", "Real/Ideal", kPsfRealCheck, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 110, 132, 70, 10},
        {"BUTTON", "Color map", kPsfColorMapButton, BS_PUSHBUTTON | WS_TABSTOP, 10, 150, 84, 14},
        {"BUTTON", "3D Plot", kPsf3DPlotButton, BS_PUSHBUTTON | WS_TABSTOP, 100, 150, 84, 14},
        {"BUTTON", "Concentration", kPsfSectionsButton, BS_PUSHBUTTON | WS_TABSTOP, 190, 150, 92, 14},
    }};
const TDialogRegistration kShowPsfRegistration(kShowPsfTemplate);

// The folder: the page area, Cancel and Help; below its normal lower edge the gauge, the
// progress text and the marker a running computation stretches the window down to.
const TDialogTemplate kShowPsfFolderTemplate{
    "ShowPSFFolder", WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 40, 304, 222, "PSF & MTF",
    {
        // The page's 176 units and the caption band its tabs take.
        {"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 292, 190},
        {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 88, 202, 56, 14},
        {"BUTTON", "Help", kPsfHelpButton, BS_PUSHBUTTON | WS_TABSTOP, 160, 202, 56, 14},
        {"STATIC", "", kPsfGaugePlace, SS_LEFT, 6, 226, 292, 10},
        {"STATIC", "", kPsfStatusText, SS_LEFT, 6, 238, 292, 9},
        {"STATIC", "", kPsfProgressMarker, SS_LEFT, 0, 252, 304, 1},
    }};
const TDialogRegistration kShowPsfFolderRegistration(kShowPsfFolderTemplate);

const TResponseTableEntry kShowPsfTable[] = {
    EvMessage<WM_DESTROY, &TShowPSF::EvDestroy>(),
    EvCommand<&TShowPSF::CmSectionsMenu>(kPsfSectionsButton),
    EvCommand<&TShowPSF::CmViewAsText>(CM_PSF_VIEW_AS_TEXT),
    EvCommand<&TShowPSF::CmViewAsGraph>(CM_PSF_VIEW_AS_GRAPH),
    EvCommand<&TShowPSF::CmDiffractionToggled>(kPsfDiffractionCheck),
    EvCommand<&TShowPSF::CmApply>(kPsfApplyButton),
    EvCommand<&TShowPSF::CmPsfChosen>(kPsfRadioPsf),
    EvCommand<&TShowPSF::CmMtfChosen>(kPsfRadioMtf),
    EvCommand<&TShowPSF::CmRealToggled>(kPsfRealCheck),
};

const TResponseTableEntry kShowPsfFolderTable[] = {
    EvMessage<WM_DESTROY, &TShowPSFFolder::EvDestroy>(),
    EvCommand<&TShowPSFFolder::CmCancel>(IDCANCEL),
    EvCommand<&TShowPSFFolder::CmHelp>(kPsfHelpButton),
    EvMessage<&TShowPSFFolder::EvColorMode>(WM_PICTURE_MODE),
};

void WarnNothingToShow(HWND owner) {
  MessageBeep(MB_OK);
  MessageBox(owner, "Not enough information!", "Warning", MB_OK | MB_ICONINFORMATION);
}

int SizeOfIndex(int k) { return kSmallestSize << k; }

// Blanks off both ends.
std::string Trimmed(const std::string &text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

// The page.

TShowPSF::TShowPSF(TShowPSFFolder *folder, TOpticalSystem *system)
    : TTestPSF(folder, system, nullptr, "ShowPSF"), folder_(folder) {
  if (system_ != nullptr) {
    edits_->AddEdit(kPsfDiscreteEdit, &system_->info.Discrete, 'd', kDiscreteFormat);
    edits_->AddEdit(kPsfOrderEdit, &system_->info.hoeOrderCount, 'i', "%d");
  }
}

TShowPSF::~TShowPSF() = default;

bool TShowPSF::Find(TEventInfo &info) {
  return SearchResponseTable(kShowPsfTable, info) || TTestPSF::Find(info);
}

void TShowPSF::SetupWindow() {
  TTestPSF::SetupWindow();
  CheckDlgButton(kPsfRealCheck, BST_CHECKED);
  CheckDlgButton(kPsfRadioPsf, BST_CHECKED);
  auto *sizes = dynamic_cast<TComboBox *>(ChildWithId(kPsfSizeList));
  TTestImage *shared = GetTestImage();
  if (sizes != nullptr) {
    int selected = 0;
    for (int k = 0; k < kSizeCount; ++k) {
      sizes->AddString(std::to_string(SizeOfIndex(k)).c_str());
      if (shared != nullptr && shared->pixelCount == SizeOfIndex(k)) selected = k;
    }
    sizes->SetSelIndex(selected);
  }
  ShowParameters();
  TakeFieldFromCombo();
}

bool TShowPSF::ShowsValue(int id, const char *format, double value) const {
  char shown[64] = "";
  GetDlgItemText(id, shown, sizeof shown);
  char written[64];
  std::snprintf(written, sizeof written, format, value);
  return Trimmed(shown) == Trimmed(written);
}

bool TShowPSF::MtfChosen() const { return IsDlgButtonChecked(kPsfRadioMtf) == BST_CHECKED; }

bool TShowPSF::RealChosen() const { return IsDlgButtonChecked(kPsfRealCheck) == BST_CHECKED; }

void TShowPSF::ApplyRealRule() {
  // Without diffraction on the elements the PSF is always the real one.
  const bool diffraction = IsDlgButtonChecked(kPsfDiffractionCheck) == BST_CHECKED;
  if (!diffraction) CheckDlgButton(kPsfRealCheck, BST_CHECKED);
  EnableDlgItem(GetHandle(), kPsfRealCheck, diffraction ? 1 : 0);
}

int TShowPSF::ShowParameters() {
  if (GetHandle() == nullptr || system_ == nullptr) return 1;
  SetDlgItemText(kPsfDiscreteLabel,
                 system_->info.ImageFinite == 0 ? "Discrete (mrad)" : "Discrete (mm)");
  FillFieldCombo();
  CheckDlgButton(kPsfDiffractionCheck, system_->info.Difrac ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kPsfRecommendationCheck,
                 system_->info.ShowRecommendation ? BST_CHECKED : BST_UNCHECKED);
  ApplyRealRule();
  edits_->WriteAll();
  return 1;
}

int TShowPSF::ReadParameters() {
  auto *edited = dynamic_cast<TSystemImage *>(system_);
  if (edited == nullptr || GetHandle() == nullptr) return ReadTypedParameters();
  // Apply and every compute button store the typed settings here: a running animation would
  // take them back at its end without a word.
  if (AnimationRuns(edited->options)) {
    MessageBox(GetHandle(), kCompleteAnimationText, "Warning", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // Undo and Redo take the stored settings back and forth in order, and an earlier step
  // never drops them unseen.
  const TOpticalSystemInformation &info = edited->info;
  const double formerDiscrete = info.Discrete;
  const int formerDifrac = info.Difrac, formerRecommendation = info.ShowRecommendation;
  ReadTypedParameters();
  if (info.Discrete == formerDiscrete && info.Difrac == formerDifrac &&
      info.ShowRecommendation == formerRecommendation)
    return 1;
  edited->SetUnsavedChanges(1);
  edited->SaveUndo(info.Discrete != formerDiscrete ? "PSF discrete" : "PSF settings");
  edited->NotifyEdited();
  return 1;
}

int TShowPSF::ReadTypedParameters() {
  if (GetHandle() == nullptr || system_ == nullptr) return 1;
  TTestImage *shared = GetTestImage();
  TOpticalSystemInformation &info = system_->info;
  const double formerY = Y, formerX = X, formerDiscrete = info.Discrete;
  const int formerNx = shared != nullptr ? shared->pixelCount : info.Nd;
  const int formerDifrac = info.Difrac, formerOrders = info.hoeOrderCount;
  int nx = formerNx;
  if (auto *sizes = dynamic_cast<TComboBox *>(ChildWithId(kPsfSizeList)))
    if (const int k = sizes->GetSelIndex(); k >= 0 && k < kSizeCount) nx = SizeOfIndex(k);
  if (shared != nullptr) shared->pixelCount = nx;
  info.Difrac = IsDlgButtonChecked(kPsfDiffractionCheck) == BST_CHECKED ? 1 : 0;
  // The field shows Discrete to two digits: unless the user typed another value, the
  // system keeps its own to the last digit.
  const bool discreteAsShown = ShowsValue(kPsfDiscreteEdit, kDiscreteFormat, info.Discrete);
  edits_->ReadAll();
  if (discreteAsShown) info.Discrete = formerDiscrete;
  info.ShowRecommendation = IsDlgButtonChecked(kPsfRecommendationCheck) == BST_CHECKED ? 1 : 0;
  // A step the recommendation replaced shows at once.
  if (CheckDiscreteParameter(GetHandle(), *system_, info.ShowRecommendation, info.Discrete,
                             info.Difrac)) {
    CheckDlgButton(kPsfDiffractionCheck, info.Difrac ? BST_CHECKED : BST_UNCHECKED);
    edits_->WriteAll();
  }
  CheckGridSize(nx);
  if (shared != nullptr) shared->pixelCount = nx;
  ApplyRealRule();
  if (Y != formerY || X != formerX || nx != formerNx || info.Discrete != formerDiscrete ||
      info.Difrac != formerDifrac || info.hoeOrderCount != formerOrders)
    Invalidate();
  if (shared != nullptr) shared->pixelSize = ShownInterval();
  return 1;
}

void TShowPSF::CheckGridSize(int &nx) {
  const TOpticalSystemInformation &info = system_->info;
  if (info.ShowRecommendation == 0) return;
  if (declinedGrid_.nodes == nx && declinedGrid_.discrete == info.Discrete && declinedGrid_.difrac == info.Difrac)
    return;
  if (grid_.changeCount != ModelChangeCount() || grid_.discrete != info.Discrete || grid_.difrac != info.Difrac) {
    grid_.nodes = RecommendedPsfGrid(*system_, info.Discrete, info.Difrac, grid_.reach);
    grid_.discrete = info.Discrete;
    grid_.difrac = info.Difrac;
    grid_.changeCount = ModelChangeCount();
  }
  const int asked = nx;
  if (grid_.nodes <= nx) return;
  const TPsfGridEdge edge = PsfGridEdge(*system_, info.Discrete, info.Difrac, nx);
  const int answer = AskForPsfGrid(GetHandle(), grid_.nodes, edge, nx, FieldPointText(Y, X));
  if (answer < 0) declinedGrid_ = TDeclinedGrid{asked, info.Discrete, info.Difrac};
  if (answer <= 0) return;
  if (auto *sizes = dynamic_cast<TComboBox *>(ChildWithId(kPsfSizeList)))
    for (int k = 0; k < kSizeCount; ++k)
      if (SizeOfIndex(k) == nx) sizes->SetSelIndex(k);
}

double TShowPSF::ShownInterval() const {
  if (system_ == nullptr) return 0.0;
  return system_->info.Discrete > 0.0 ? system_->info.Discrete : run_.interval;
}

int TShowPSF::ComputePSF() {
  if (ReadParameters() == 0 || system_ == nullptr) return 0;
  const int ideal = RealChosen() ? 0 : 1;
  if (ideal != system_->info.aberrationFree) {
    system_->info.aberrationFree = ideal;
    Invalidate();
  }
  if (run_.state == TPsfRun::kComputed && !stopped_) return 1;
  summedMtf_.Clear();
  summedPsf_.Clear();
  TTestImage *shared = GetTestImage();
  const int nx = shared != nullptr ? shared->pixelCount : system_->info.Nd;
  if (!RunPsf(nx, false)) return 0;
  // An automatic interval is the one the run found.
  if (shared != nullptr) shared->pixelSize = ShownInterval();
  if (!MtfChosen()) return 1;
  // The polychromatic MTF is that of the summed PSF; each file then holds its own
  // wavelength's MTF for the colour map.
  SetWaitCursor();
  int done = run_.Sum(nx, summedMtf_);
  if (done) done = summedPsf_.Allocate(nx, nx);
  if (done) {
    std::copy(summedMtf_.data, summedMtf_.data + static_cast<std::size_t>(nx) * nx, summedPsf_.data);
    Mem<float> imaginary(nx, nx);
    done = imaginary.data != nullptr && MtfFromPsf(nx, summedMtf_.data, imaginary.data);
  }
  if (done) done = run_.ConvertToMtf(nx);
  SetArrowCursor();
  if (!done) {
    summedMtf_.Clear();
    summedPsf_.Clear();
    Invalidate();
    return 0;
  }
  return 1;
}

int TShowPSF::SumOverWavelengths() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return 0;
  const int nx = shared->pixelCount;
  if (MtfChosen() && summedMtf_.data != nullptr && summedMtf_.cols == nx) {
    if (!shared->raster.Allocate(nx, nx)) return 0;
    std::copy(summedMtf_.data, summedMtf_.data + static_cast<std::size_t>(nx) * nx, shared->raster.data);
    return 1;
  }
  return run_.Sum(nx, shared->raster);
}

double TShowPSF::PixelStep() const {
  TTestImage *shared = GetTestImage();
  if (system_ == nullptr || shared == nullptr) return 0.0;
  const double discrete = shared->pixelSize;
  if (!MtfChosen()) return discrete;
  return discrete > 0.0 ? 1.0 / (shared->pixelCount * discrete) : 0.0;
}

std::string TShowPSF::ResultTitle() const {
  const bool real = RealChosen();
  if (MtfChosen()) return std::string(real ? "Real MTF: " : "Ideal MTF: ") + name + OfSystem();
  return std::string(real ? "Real " : "Ideal ") + name + OfSystem();
}

std::string TShowPSF::OfSystem() const {
  const std::string file = system_ != nullptr ? FileNameOfPath(system_->name) : std::string();
  return file.empty() ? std::string() : " - " + file;
}

TWindow *TShowPSF::ResultParent() {
  // Result windows stay open on their own when the folder closes.
  TWindow *window = folder_ != nullptr ? folder_->GetParentO() : nullptr;
  return window != nullptr ? window : folder_;
}

POINT TShowPSF::NextResultPlace(SIZE outer) {
  TTestImage *shared = GetTestImage();
  const int step = GetSystemMetrics(SM_CYCAPTION);
  const int k = shared != nullptr ? shared->NextCascade() : 0;
  const RECT place = folder_ != nullptr ? folder_->GetWindowRect() : RECT{};
  // Kept wholly on the screen and clear of the editor's menu bar.
  const int left = static_cast<int>(place.right) + k * step, top = static_cast<int>(place.top) + k * step;
  const RECT placed = PlaceReadable(folder_, RECT{left, top, left + outer.cx, top + outer.cy}, outer);
  return POINT{placed.left, placed.top};
}

SIZE TShowPSF::ResultOuterSize() {
  // The client with its frame, caption and menu.
  const int outer = kResultSide + 2 * GetSystemMetrics(SM_CYCAPTION);
  return SIZE{outer, outer};
}

void TShowPSF::ShowGraph() {
  if (SharedPsfGauge() != nullptr && SharedPsfGauge()->Queue().BusyCount() > 0) {
    MessageBeep(MB_OK);
    return;
  }
  if (rasterFiles.data == nullptr) {
    WarnNothingToShow(folder_ != nullptr ? folder_->GetHandle() : nullptr);
    return;
  }
  const POINT place = NextResultPlace(ResultOuterSize());
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  const int plotWidth = kResultSide + caption - GetSystemMetrics(SM_CXFRAME);
  const int plotHeight = kResultSide + caption - GetSystemMetrics(SM_CYFRAME);
  SetWaitCursor();
  TTestImage *shared = GetTestImage();
  if (SumOverWavelengths() && shared != nullptr) {
    if (shared->pixelSize == 0.0 && system_ != nullptr) {
      system_->SetupFieldSampling();
      shared->pixelSize = system_->info.discreteInEffect;
    }
    const double step = PixelStep();
    const int nx = shared->raster.cols;
    CreateGraphics3D(ResultParent(), ResultTitle().c_str(), place.x, place.y, plotWidth, plotHeight,
                     shared->raster.data, nx, step, 1.0, nx * step * kPlotAxisShare, kPlotKind,
                     kPlotQuality);
  }
  SetArrowCursor();
}

void TShowPSF::ShowColorImage() {
  TTestImage *shared = GetTestImage();
  const int count = rasterFiles.Cells();
  if (count == 0 || shared == nullptr) {
    WarnNothingToShow(folder_ != nullptr ? folder_->GetHandle() : nullptr);
    return;
  }
  if (ClearedSharedColorImage(*shared) == nullptr) return;
  const POINT place = NextResultPlace(ResultOuterSize());
  TColorImage &color = *shared->colorImage;
  SetWaitCursor();
  float shortest = 1e20f, longest = -1e20f;
  for (int k = 0; k < count; ++k) {
    color.WriteComponents(rasterFiles.data[k]);
    shortest = std::min(shortest, rasterFiles.data[k].wavelength);
    longest = std::max(longest, rasterFiles.data[k].wavelength);
  }
  if (shared->pixelSize == 0.0 && system_ != nullptr) {
    system_->SetupFieldSampling();
    shared->pixelSize = system_->info.discreteInEffect;
  }
  color.SetGeometry(shortest, longest, kColorMapRange, static_cast<float>(PixelStep()));
  color.BuildFromComponents(shared->colorMode);
  // The picture shows the folder's colour image and tells the folder its display mode; it
  // stays open on its own, as the other result windows do, when the folder closes.
  TWindow *resultParent = ResultParent();
  color.ShowInWindow(resultParent != nullptr ? resultParent->GetHandle() : nullptr, place.x, place.y,
                     kResultSide, kResultSide, kPictureWindowStyle, 0);
  shared->picture = color.window;
  if (TSynthesisWindows *windows = GetSynthesisWindows(); windows != nullptr && color.window != nullptr)
    windows->SetPictureCaption(color.window, ResultTitle());
  SetArrowCursor();
}

void TShowPSF::EvDestroy() { TTestPSF::EvDestroy(); }

void TShowPSF::CmDiffractionToggled() { ApplyRealRule(); }

void TShowPSF::CmApply() { ReadParameters(); }

void TShowPSF::CmPsfChosen() {
  SetDlgItemText(kPsfSectionsButton, "Concentration");
  Invalidate();
}

void TShowPSF::CmMtfChosen() {
  SetDlgItemText(kPsfSectionsButton, "Sections");
  Invalidate();
}

void TShowPSF::CmRealToggled() { Invalidate(); }

void TShowPSF::RunFinished() {
  if (folder_ != nullptr) folder_->CloseIfPending();
}

// The folder.

TShowPSFFolder::TShowPSFFolder(TWindow *parentWindow, TOpticalSystem *system)
    : TBookMarkFolder(parentWindow, "ShowPSFFolder"), system_(system) {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) {
    shared = new TTestImage();
    SetTestImage(shared);
    ownsTestImage_ = true;
  }
  if (system_ != nullptr) {
    shared->pixelCount = system_->info.Nd;
    shared->savedNd = system_->info.Nd;
    shared->pixelSize = system_->info.Discrete;
    shared->savedDiscrete = system_->info.Discrete;
    shared->savedDifrac = system_->info.Difrac;
  }
  shared->colorMode = kInitialColorMode;
  if (shared->colorImage == nullptr) shared->colorImage = new (std::nothrow) TColorImage();
  page_ = new TShowPSF(this, system_);
  AddPage(page_, " Settings ");
  gauge_ = new TOGauge(this, kPsfGaugePlace);
}

TShowPSFFolder::~TShowPSFFolder() {
  if (SharedPsfGauge() == gauge_) SetSharedPsfGauge(nullptr);
}

bool TShowPSFFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kShowPsfFolderTable, info) || TBookMarkFolder::Find(info);
}

void TShowPSFFolder::SetupWindow() {
  TBookMarkFolder::SetupWindow();
  if (TTestImage *shared = GetTestImage()) {
    shared->folderWindow = GetHandle();
    shared->cascade = 0;
  }
  gauge_->MoveOverControl();
  SetSharedPsfGauge(gauge_);
  SetFontToChildren(GetHandle(), nullptr);
}

void TShowPSFFolder::Reset() {
  if (page_ == nullptr) return;
  page_->Invalidate();
  page_->ShowParameters();
}

void TShowPSFFolder::CmCancel() {
  if (page_ != nullptr && page_->Computing()) {
    // The run is still on the stack below this pump: stop it, and close when it is back.
    page_->Stop();
    if (gauge_ != nullptr) gauge_->Leave(1);
    closePending_ = true;
    return;
  }
  if (TTestImage *shared = GetTestImage(); shared != nullptr && shared->colorImage != nullptr) {
    // The pictures that show it keep their own copy: they outlive the folder.
    if (TSynthesisWindows *windows = GetSynthesisWindows()) windows->ImageGone(*shared->colorImage);
    shared->colorImage->Clear();
  }
  TBookMarkFolder::CmCancel();
}

bool TShowPSFFolder::CanClose() {
  if (page_ != nullptr && page_->Computing()) {
    CmCancel();
    return false;
  }
  return TBookMarkFolder::CanClose();
}

void TShowPSFFolder::CloseIfPending() {
  if (!closePending_ || GetHandle() == nullptr) return;
  closePending_ = false;
  PostMessage(WM_COMMAND, IDCANCEL, 0);
}

void TShowPSFFolder::CmHelp() {
  WinHelp(GetHandle(), ApplicationHelpFile().c_str(), HELP_CONTEXT, kPsfHelpContext);
}

LRESULT TShowPSFFolder::EvColorMode(WPARAM mode, LPARAM) {
  if (TTestImage *shared = GetTestImage()) shared->colorMode = static_cast<int>(mode);
  return 1;
}

void TShowPSFFolder::EvDestroy() {
  if (system_ != nullptr) system_->info.aberrationFree = 0;
  // The run's files go with the page's run; no one else's files are touched.
  if (page_ != nullptr) page_->Run().DeleteFiles();
  if (ownsTestImage_) {
    TTestImage *shared = GetTestImage();
    SetTestImage(nullptr);
    delete shared;
    ownsTestImage_ = false;
  } else if (TTestImage *shared = GetTestImage(); shared != nullptr && shared->folderWindow == GetHandle()) {
    shared->folderWindow = nullptr;
  }
  if (SharedPsfGauge() == gauge_) SetSharedPsfGauge(nullptr);
  if (TWindow *owner = GetParentO())
    owner->SendMessage(WM_COMMAND, CM_PSF_FOLDER_DESTROYED, reinterpret_cast<LPARAM>(this));
  TBookMarkFolder::EvDestroy();
}
