#include "platform/core/font_faces.h"
#include "synthesis/folder/test_object_folder.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <utility>

#include "document/system/system_image.h"
#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "synthesis/folder/energy_page.h"
#include "synthesis/folder/folder_page_adapters.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/isoplanar_synthesis.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/lightsource/light_source_choose_dlg.h"
#include "synthesis/nonisoplanar/folder_nonisoplanar.h"
#include "synthesis/nonisoplanar/nonisoplanar_synthesis.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

TObjectPageMaker gObjectPageMaker = &MakeObjectParentPage;
TDetectorPageMaker gDetectorPageMaker = &MakeTestDetectorPage;

constexpr COLORREF kDetectorTabColor = 192;
constexpr int kFolderColorMode = 17;
constexpr const char *kSizeZeroText = "Parameter 'Size' can not be 0!";
constexpr const char *kNoObjectText = "No test object is chosen!";
constexpr const char *kRealWithoutDetectorText =
    "The \"Real\" image is made without the detector \"%s\": it passes through no detector.\n"
    "Choose \"Isoplanar\" on the Settings page for the detector's image.";
constexpr const char *kLightSourceRealText =
    "The light source is imaged by its own rays traced through the system:\n"
    "choose \"Isoplanar\" on the Settings page to see it.";

// Below its normal lower edge (y 234), past the height its menu bar adds, the folder keeps the gauge, the progress text and
// the marker that a long computation stretches the window down to.
const TDialogTemplate kTestFolderTemplate{
    "TestFolder", WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 40, 232, 234, "Image synthesis",
    {
        {"STATIC", "", kPageAreaId, SS_LEFT, 6, 4, 220, 190},
        {"BUTTON", " View test image ", 0, BS_GROUPBOX, 6, 196, 134, 30},
        {"BUTTON", "Color", kFolderColorButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 12, 208, 58, 14},
        {"BUTTON", "3D", kFolder3DButton, BS_PUSHBUTTON | WS_TABSTOP, 76, 208, 58, 14},
        {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 160, 208, 60, 14},
        {"STATIC", "", kFolderGaugePlace, SS_LEFT, 6, 256, 220, 10},
        {"STATIC", "", kFolderStatusText, SS_LEFT, 6, 268, 220, 9},
        {"STATIC", "", kFolderProgressMarker, SS_LEFT, 0, 282, 232, 1},
    },
    kFaceSansSerif, 8, "TestObjectMenu"};
const TDialogRegistration kTestFolderRegistration(kTestFolderTemplate);

const TMenuTemplateItem kTestObjectMenu[] = {
    {"&Parameters", 0, MF_POPUP},
    {"&Read", CM_SYNTHESIS_READ_SETTINGS, 0},
    {"&Save", CM_SYNTHESIS_SAVE_SETTINGS, 0},
    {"Save &As...", CM_SYNTHESIS_SAVE_SETTINGS_AS, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Default", CM_SYNTHESIS_DEFAULT_SETTINGS, 0},
    {nullptr, 0, MF_END},
    {"&Help", CM_SYNTHESIS_HELP, 0},
};
struct TTestObjectMenuRegistration {
  TTestObjectMenuRegistration() {
    RegisterMenuResource("TestObjectMenu", kTestObjectMenu,
                         static_cast<int>(sizeof kTestObjectMenu / sizeof kTestObjectMenu[0]));
  }
} const kTestObjectMenuRegistration;

const TResponseTableEntry kTestFolderTable[] = {
    EvMessage<WM_DESTROY, &TTestObjectFolder::EvDestroy>(),
    EvCommand<&TTestObjectFolder::CmColor>(kFolderColorButton),
    EvCommand<&TTestObjectFolder::Cm3D>(kFolder3DButton),
    EvCommand<&TTestObjectFolder::CloseAndCleanup>(IDCANCEL),
    EvCommand<&TTestObjectFolder::CmOpenSettings>(CM_SYNTHESIS_READ_SETTINGS),
    EvCommand<&TTestObjectFolder::CmSaveSettings>(CM_SYNTHESIS_SAVE_SETTINGS),
    EvCommand<&TTestObjectFolder::CmSaveSettingsAs>(CM_SYNTHESIS_SAVE_SETTINGS_AS),
    EvCommand<&TTestObjectFolder::CmDefaultSettings>(CM_SYNTHESIS_DEFAULT_SETTINGS),
    EvCommand<&TTestObjectFolder::CmHelp>(CM_SYNTHESIS_HELP),
    // The folder answers for its own menu: the question would otherwise climb to the
    // editor, whose commands of the same numbers are off while the folder is open.
    EvCommandEnable<&TTestObjectFolder::CeSettingsFile>(CM_SYNTHESIS_READ_SETTINGS),
    EvCommandEnable<&TTestObjectFolder::CeSettingsFile>(CM_SYNTHESIS_SAVE_SETTINGS),
    EvCommandEnable<&TTestObjectFolder::CeSettingsFile>(CM_SYNTHESIS_SAVE_SETTINGS_AS),
    EvCommandEnable<&TTestObjectFolder::CeSettingsFile>(CM_SYNTHESIS_DEFAULT_SETTINGS),
    EvCommandEnable<&TTestObjectFolder::CeSettingsFile>(CM_SYNTHESIS_HELP),
    EvMessage<&TTestObjectFolder::SetColorMode>(WM_PICTURE_MODE),
    EvMessage<&TTestObjectFolder::PictureRedrawn>(WM_PICTURE_NOTICE),
};

}  // namespace

TObjectPageMaker SetObjectPageMaker(TObjectPageMaker maker) {
  TObjectPageMaker previous = gObjectPageMaker;
  gObjectPageMaker = maker;
  return previous;
}

TDetectorPageMaker SetDetectorPageMaker(TDetectorPageMaker maker) {
  TDetectorPageMaker previous = gDetectorPageMaker;
  gDetectorPageMaker = maker;
  return previous;
}

TObjectPageMaker GetObjectPageMaker() { return gObjectPageMaker; }
TDetectorPageMaker GetDetectorPageMaker() { return gDetectorPageMaker; }

TTestObjectFolder *TTestObjectFolder::current_ = nullptr;

TTestObjectFolder *TTestObjectFolder::Current() { return current_; }

TTestObjectFolder::TTestObjectFolder(TWindow *parentWindow, TSystemImage *system,
                                     std::function<void()> refreshViews, TScanAnimation *scanAnimation)
    : TBookMarkFolder(parentWindow, "TestFolder", kPageAreaId, 1),
      TTestObject(nullptr),
      refreshViews_(std::move(refreshViews)),
      scanAnimation_(scanAnimation),
      system_(system),
      objectOwner_(new TFolderObjectOwner(*this)),
      detectorOwner_(new TFolderDetectorOwner(*this)),
      nonIsoplanar_(new TFolderNonIsoplanar) {
  current_ = this;
  if (GetTestImage() == nullptr) {
    SetTestImage(new TTestImage());
    ownsTestImage_ = true;
  }
  TakeBorrowedSettings();
  if (gObjectPageMaker != nullptr) objectPage_ = gObjectPageMaker(*this);
  if (objectPage_ != nullptr) AddPage(objectPage_->PageWindow(), " Object ");
  psfPage_ = new TTestPSF(this, system_, this);
  AddPage(psfPage_, " PSF ");
  if (gDetectorPageMaker != nullptr) detectorPage_ = gDetectorPageMaker(*this);
  if (detectorPage_ != nullptr) AddPage(detectorPage_->PageWindow(), " Detector ");
  energyPage_ = new TTestLight(this);
  AddPage(energyPage_, " Energy ");
  settingsPage_ = new TTestObjectSettings(this);
  AddPage(settingsPage_, " Settings ");
  name = "Total";
  gauge_ = new TOGauge(this, kFolderGaugePlace, "");
}

TTestObjectFolder::~TTestObjectFolder() {
  if (current_ == this) current_ = nullptr;
  if (SharedPsfGauge() == gauge_) SetSharedPsfGauge(nullptr);
  // A folder whose window never came keeps nothing borrowed.
  GiveBackBorrowedSettings();
  if (ownsTestImage_ && GetTestImage() != nullptr) {
    TTestImage *shared = GetTestImage();
    SetTestImage(nullptr);
    delete shared;
  }
  delete objectOwner_;
  delete detectorOwner_;
  delete nonIsoplanar_;
}

TObjectPageOwner *TTestObjectFolder::ObjectOwner() const { return objectOwner_; }

TDetectorSynthesisOwner *TTestObjectFolder::DetectorOwner() const { return detectorOwner_; }

bool TTestObjectFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kTestFolderTable, info) || TBookMarkFolder::Find(info);
}

void TTestObjectFolder::SetupWindow() {
  // The template names the menu: its bar is added above the template's whole area.
  TBookMarkFolder::SetupWindow();
  owner = GetHandle();
  TTestImage *shared = GetTestImage();
  if (shared != nullptr) {
    if (shared->colorImage == nullptr) shared->colorImage = new (std::nothrow) TColorImage();
    shared->colorMode = kFolderColorMode;
    shared->cascade = 0;
    shared->folderWindow = GetHandle();
  }
  DeleteWorkFiles();
  if (system_ != nullptr && system_->SurfaceCount() < 3) {
    EnableDlgItem(GetHandle(), kFolder3DButton, 0);
    if (shared != nullptr) shared->pixelSize = 1.0;
  }
  const TDetectorParameters *detector = GetDetectorParameters();
  if (detector != nullptr && detector->detectorType != kDetectorNone && detectorPage_ != nullptr)
    SetPageColors(detectorPage_->PageWindow(), kDetectorTabColor, 0);
  if (detectorPage_ != nullptr) detectorPage_->FolderReady();
  gauge_->MoveOverControl();
  SetSharedPsfGauge(gauge_);
  if (shared != nullptr && system_ != nullptr)
    shared->Distance =
        system_->info.ObjectFinite ? 0.001 * system_->GetSurfacePosition(1, 0, 1).x : 1000.0;
  if (objectPage_ != nullptr) objectPage_->TakeFields();
  // The settings beside the system; without them the pages keep their own values. A file
  // there that is refused (damaged, or made for another system) is the user's: it does not
  // become the file the folder writes on closing, which then asks for a name.
  const std::string beside = system_ != nullptr ? DefaultTtiFileName(system_->name) : std::string();
  if (beside.empty() || ReadSettings(beside) == 0) ShowParameters();
  SetFontToChildren(GetHandle(), nullptr);
}

std::string TTestObjectFolder::LightSourceFile() const {
  return objectPage_ != nullptr ? objectPage_->LightSourceFile() : std::string();
}

TTestObject *TTestObjectFolder::CurrentObject() const {
  return objectPage_ != nullptr ? objectPage_->CurrentObject() : nullptr;
}

TTestObject *TTestObjectFolder::CurrentDetector() const {
  return detectorPage_ != nullptr ? detectorPage_->CurrentModel() : nullptr;
}

bool TTestObjectFolder::DetectorIsNone() const {
  const TTestObject *model = CurrentDetector();
  return model == nullptr || model->name == kNoDetectorName;
}

bool TTestObjectFolder::Busy() const {
  return gauge_ != nullptr && gauge_->Queue().BusyCount() > 0;
}

int TTestObjectFolder::ReadParameters() {
  const int objectTaken = objectPage_ != nullptr ? objectPage_->ReadObjectSize() : 1;
  if (psfPage_ != nullptr) psfPage_->ReadParameters();
  if (detectorPage_ != nullptr) detectorPage_->ReadParameters();
  if (psfPage_ != nullptr && psfPage_->state == kNothingComputed) state = kNothingComputed;
  if (const TTestObject *object = CurrentObject(); object != nullptr && object->state == kNothingComputed)
    state = kNothingComputed;
  UpdateImageSize();
  return objectTaken;
}

int TTestObjectFolder::ShowParameters() {
  UpdateObjectSize();
  if (objectPage_ != nullptr) objectPage_->ShowObjectSize();
  if (psfPage_ != nullptr) psfPage_->ShowParameters();
  if (detectorPage_ != nullptr) detectorPage_->ShowParameters();
  return 1;
}

double TTestObjectFolder::ValueAt(int, double, double) { return 0.0; }

void TTestObjectFolder::ResetCalculated() {
  KeepLoan();
  if (objectPage_ != nullptr) objectPage_->ShowObjectSize();
  if (psfPage_ != nullptr) psfPage_->ShowParameters();
  ForgetSystemResults();
}

void TTestObjectFolder::ForgetSystemResults() {
  if (psfPage_ != nullptr) psfPage_->Invalidate();
  if (nonIsoplanar_ != nullptr) nonIsoplanar_->Invalidate();
  // A light source's rasters are the image the system forms of it, not its own pattern.
  if (auto *source = dynamic_cast<TLightSourceChooseDlg *>(CurrentObject())) source->state = kNothingComputed;
  state = kNothingComputed;
}

void TTestObjectFolder::PsfPointChanged() {
  state = kNothingComputed;
  if (settingsPage_ != nullptr) settingsPage_->state = kNothingComputed;
}

bool TTestObjectFolder::IdealPointWanted() { return false; }

TWindow *TTestObjectFolder::ProgressWindow() {
  const TTestImage *shared = GetTestImage();
  return shared != nullptr && shared->realImage == 1 ? this : nullptr;
}

int TTestObjectFolder::Calculate() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return 0;
  if (!(shared->fieldSize > 0.0)) {
    MessageBox(GetHandle(), kSizeZeroText, "Warning", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // With a detector every request recomputes: its scan and noise differ each time.
  if (state == kRastersWritten && DetectorIsNone()) return 1;
  const RECT place = GetHandle() != nullptr ? GetWindowRect() : RECT{};
  if (gauge_ != nullptr) gauge_->Enter();
  int made = 0;
  if (shared->realImage == 0) {
    made = CalcIsoplanarImage();
  } else {
    // The window grows down to show the gauge and its times while the nodes and rows go.
    if (gauge_ != nullptr) gauge_->StepAndPump(0.0);
    if (GetHandle() != nullptr) StretchWindowToMarker(*this, kFolderProgressMarker);
    made = CalcNonIsoplanarImage();
  }
  if (gauge_ != nullptr) gauge_->Leave();
  // The PSF's run may have stretched the window to show the gauge.
  if (!Busy() && GetHandle() != nullptr) {
    const RECT now = GetWindowRect();
    if (now.bottom - now.top != place.bottom - place.top)
      SetWindowPos(nullptr, 0, 0, place.right - place.left, place.bottom - place.top,
                   SWP_NOMOVE | SWP_NOZORDER);
  }
  // A synthesis stopped part way shows what it finished but is not the image.
  if (made == 1) state = kRastersWritten;
  // New rasters: the Energy page integrates them anew and may measure them.
  if (made != 0 && energyPage_ != nullptr) {
    energyPage_->state = kNothingComputed;
    if (energyPage_->GetHandle() != nullptr) EnableDlgItem(energyPage_->GetHandle(), kEnergyRecalculate, 1);
  }
  return made;
}

int TTestObjectFolder::CalcIsoplanarImage() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || psfPage_ == nullptr) return 0;
  if (objectPage_ != nullptr && objectPage_->MayLeave() == 0) return 0;
  TTestObject *object = CurrentObject();
  if (object == nullptr) {
    MessageBox(GetHandle(), kNoObjectText, "Warning", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // The light source is imaged by its own rays, whose image is to fit the field; any other
  // object through the PSF, which is to fit its grid.
  auto *source = dynamic_cast<TLightSourceChooseDlg *>(object);
  if (source != nullptr) {
    if (FitFieldToSource(*source) == 0) return 0;
  } else {
    OfferFieldForPsf();
  }
  TIsoplanarParticipants who;
  who.object = object;
  who.psf = psfPage_;
  who.signal = CurrentDetector();
  who.detector = DetectorIsNone() ? nullptr : who.signal;
  TIsoplanarSettings settings;
  settings.pixelCount = shared->pixelCount;
  settings.pixelSize = shared->pixelSize;
  // Its rasters are the system's image already, blurred by the diffraction of the pupil
  // its own rays fill.
  settings.tracedImage = source != nullptr;
  if (const TDetectorParameters *detector = GetDetectorParameters()) {
    settings.noiseKind = detector->noiseKind;
    settings.noiseLevel = detector->noiseLevel;
  }
  settings.directory = TempDir();
  const int made =
      SynthesizeIsoplanarImage(who, settings, GetHandle(), rasterFiles, shared->customObject);
  if (made == 0) return 0;
  rasterPitch = 0.0;
  // A light source is imaged by its own rays: no PSF beam to name.
  name = std::string("Total (") +
         (source != nullptr ? std::string(kLightSourceObjectName) : FieldPointText(psfPage_->Y, psfPage_->X)) + ")";
  return 1;
}

int TTestObjectFolder::CalcNonIsoplanarImage() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr || nonIsoplanar_ == nullptr) return 0;
  if (objectPage_ != nullptr && objectPage_->MayLeave() == 0) return 0;
  TTestObject *object = CurrentObject();
  if (object == nullptr) {
    MessageBox(GetHandle(), kNoObjectText, "Warning", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // The light source is imaged by its own rays, not by field points' PSFs: it would give
  // a black picture.
  if (object->name == kLightSourceObjectName) {
    MessageBox(GetHandle(), kLightSourceRealText, "Warning", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  const int answer = nonIsoplanar_->Run(*system_, *object, *shared, gauge_, rasterFiles);
  if (answer == kNonIsoplanarUseIsoplanar) return CalcIsoplanarImage();
  if (answer == kNonIsoplanarFailed) return 0;
  // The image with a PSF per field node passes through no detector model: a chosen one is
  // named, or the picture would pass for the detector's image.
  if (!DetectorIsNone()) {
    char text[300];
    std::snprintf(text, sizeof text, kRealWithoutDetectorText, CurrentDetector()->name.c_str());
    MessageBox(GetHandle(), text, "Warning", MB_OK | MB_ICONINFORMATION);
  }
  // The image covers the system's whole field, whatever size was typed: its cells are that
  // field over the object's picture, and the caption says so.
  const TRunRaster run = RunRaster(*object, shared->pixelCount);
  const int n = std::max(run.width, run.height);
  rasterPitch = n > 0 ? shared->imageFieldWidth / n : 0.0;
  name = kRealImageName;
  // Stopped: the components finished are shown (2), but the image stays to be computed.
  if (answer == kNonIsoplanarStopped) return rasterFiles.data != nullptr && rasterFiles.cols > 0 ? 2 : 0;
  return 1;
}

void TTestObjectFolder::Request(int show) {
  if (Busy()) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  scaleWarningDue_ = true;
  // A refused field has been told and shows its kept value: nothing is computed.
  if (ReadParameters() == 0) return;
  ShowParameters();
  if (show == 1 && detectorPage_ != nullptr) detectorPage_->PrepareScan();
  ++running_;
  const int made = Calculate();
  --running_;
  if (closePending_ && running_ == 0) {
    closePending_ = false;
    PostMessage(WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (made == 0 || GetHandle() == nullptr) return;
  if (show == 1) {
    ShowColorImage();
    if (energyPage_ != nullptr) energyPage_->Recalculate();
  } else if (show == 2)
    ShowGraph();
}

void TTestObjectFolder::CmColor() { Request(1); }

void TTestObjectFolder::Cm3D() { Request(2); }

int TTestObjectFolder::CalculateOnly() {
  if (Busy()) {
    MessageBeep(static_cast<UINT>(-1));
    return 0;
  }
  scaleWarningDue_ = true;
  // A refused field has been told and shows its kept value: nothing is computed.
  if (ReadParameters() == 0) return 0;
  ShowParameters();
  if (detectorPage_ != nullptr) detectorPage_->PrepareScan();
  ++running_;
  const int made = Calculate();
  --running_;
  if (closePending_ && running_ == 0) {
    closePending_ = false;
    PostMessage(WM_COMMAND, IDCANCEL, 0);
  }
  return made;
}

bool TTestObjectFolder::CanClose() {
  if (running_ > 0) {
    if (psfPage_ != nullptr && psfPage_->Computing()) psfPage_->Stop();
    if (gauge_ != nullptr) gauge_->Leave(1);
    closePending_ = true;
    return false;
  }
  return TBookMarkFolder::CanClose();
}
