#include "synthesis/folder/energy_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/system/system_image.h"
#include "foundation/helpers/helpers.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/folder/energy_zone_fit.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/tti_settings.h"
#include "synthesis/lightsource/light_source_choose_dlg.h"
#include "synthesis/objects/diffraction_point.h"
#include "toolkit/binding/multi_edit.h"

namespace {

constexpr int kBinderCapacity = 5;
constexpr COLORREF kBinderText = RGB(0, 0, 192);
constexpr COLORREF kResultText = RGB(192, 0, 0);
constexpr COLORREF kZonePen = RGB(255, 0, 0);
constexpr int kDiskType = 0;
constexpr const char *kTotalName = "Total";
// The ellipse's outline: one degree a step, the angle summed in single precision.
constexpr float kOutlineStep = 0.0174532925199444f;
constexpr float kFullTurn = 6.28318530718f;

const TDialogTemplate kEnergyTemplate{
    "LightExpozition", WS_CHILD | WS_CAPTION, 0, 0, 220, 174, "Light setting",
    {
        {"BUTTON", " Zone ", 0, BS_GROUPBOX, 6, 18, 208, 70},
        {"BUTTON", "Rectangle", kEnergyRectangle, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 12, 30, 56, 10},
        {"BUTTON", "Ellipse", kEnergyEllipse, BS_AUTORADIOBUTTON, 12, 44, 56, 10},
        {"STATIC", "Size (mm)", kEnergySizeLabel, SS_LEFT, 76, 28, 60, 9},
        {"STATIC", "W", 0, SS_LEFT, 76, 40, 8, 9},
        {"EDIT", "", kEnergyWidth, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 86, 38, 50, 12},
        {"STATIC", "H", 0, SS_LEFT, 76, 54, 8, 9},
        {"EDIT", "", kEnergyHeight, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 86, 52, 50, 12},
        {"STATIC", "Position (mm)", kEnergyPositionLabel, SS_LEFT, 144, 28, 64, 9},
        {"STATIC", "X", 0, SS_LEFT, 144, 40, 8, 9},
        {"EDIT", "", kEnergyX, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 154, 38, 54, 12},
        {"STATIC", "Y", 0, SS_LEFT, 144, 54, 8, 9},
        {"EDIT", "", kEnergyY, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 154, 52, 54, 12},
        {"BUTTON", "Initialization", kEnergyInitialization, BS_PUSHBUTTON | WS_TABSTOP, 12, 70, 60, 13},
        {"BUTTON", "Smoothing", kEnergySmoothing, BS_AUTOCHECKBOX | WS_TABSTOP, 86, 72, 60, 10},
        {"BUTTON", " Result ", 0, BS_GROUPBOX, 6, 92, 208, 78},
        {"STATIC", "Energy in Zone", 0, SS_LEFT, 12, 106, 106, 9},
        {"STATIC", "", kEnergyResult, SS_RIGHT, 122, 106, 40, 9},
        {"STATIC", "%", 0, SS_LEFT, 166, 106, 10, 9},
        {"STATIC", "(Emax-Emin)/(Emax+Emin)", 0, SS_LEFT, 12, 118, 106, 9},
        {"STATIC", "", kEnergyContrast, SS_RIGHT, 122, 118, 40, 9},
        {"STATIC", "%", 0, SS_LEFT, 166, 118, 10, 9},
        {"STATIC", "Passed light outside picture", 0, SS_LEFT, 12, 130, 106, 9},
        {"STATIC", "", kEnergyOutside, SS_RIGHT, 122, 130, 40, 9},
        {"STATIC", "%", 0, SS_LEFT, 166, 130, 10, 9},
        {"STATIC", "Blur beyond its reach", 0, SS_LEFT, 12, 142, 106, 9},
        {"STATIC", "", kEnergyBlurLeftOut, SS_RIGHT, 122, 142, 40, 9},
        {"STATIC", "%", 0, SS_LEFT, 166, 142, 10, 9},
        {"BUTTON", "Recalculate", kEnergyRecalculate, BS_PUSHBUTTON | WS_DISABLED | WS_TABSTOP, 12, 154, 60, 13},
        {"BUTTON", "Show zone", kEnergyShowZone, BS_AUTOCHECKBOX | WS_TABSTOP, 86, 156, 60, 10},
    }};
const TDialogRegistration kEnergyRegistration(kEnergyTemplate);

const TResponseTableEntry kEnergyTable[] = {
    EvMessage<WM_DESTROY, &TTestLight::EvDestroy>(),
    EvCommand<&TTestLight::Recalculate>(kEnergyRecalculate),
    EvCommand<&TTestLight::CmInitialization>(kEnergyInitialization),
    EvCommand<&TTestLight::CmSmoothing>(kEnergySmoothing),
    EvCommand<&TTestLight::CmShowZone>(kEnergyShowZone),
    EvCommand<&TTestLight::CmRectangle>(kEnergyRectangle),
    EvCommand<&TTestLight::CmEllipse>(kEnergyEllipse),
    EvChildNotify<&TTestLight::ZoneEdited>(kEnergyWidth, EN_CHANGE),
    EvChildNotify<&TTestLight::ZoneEdited>(kEnergyHeight, EN_CHANGE),
    EvChildNotify<&TTestLight::ZoneEdited>(kEnergyX, EN_CHANGE),
    EvChildNotify<&TTestLight::ZoneEdited>(kEnergyY, EN_CHANGE),
};

// A result as the page shows it: blank where it is not known.
void ShowResult(char (&text)[32], double percent) {
  text[0] = '\0';
  if (percent >= 0.0) std::snprintf(text, sizeof text, "%5.2f", percent);
}

}  // namespace

TTestLight::TTestLight(TTestObjectFolder *folder)
    : TBookMarkDlg(folder, "LightExpozition"), TTestObject(nullptr), folder_(folder) {
  state = -1;
  binder_ = new TMultiEdit(this, kBinderCapacity);
  binder_->AddEdit(kEnergyWidth, &SizeRectX, 'd', "%g");
  binder_->AddEdit(kEnergyHeight, &SizeRectY, 'd', "%g");
  binder_->AddEdit(kEnergyX, &PozitionX, 'd', "%g");
  binder_->AddEdit(kEnergyY, &PozitionY, 'd', "%g");
  binder_->AddEdit(kEnergyResult, energyText_, 'S', "%s", sizeof energyText_);
  binder_->AddEdit(kEnergyContrast, contrastText_, 'S', "%s", sizeof contrastText_);
  binder_->AddEdit(kEnergyOutside, outsideText_, 'S', "%s", sizeof outsideText_);
  binder_->AddEdit(kEnergyBlurLeftOut, leftOutText_, 'S', "%s", sizeof leftOutText_);
  SetTtiEnergyZone(this);
}

TTestLight::~TTestLight() {
  if (GetTtiEnergyZone() == this) SetTtiEnergyZone(nullptr);
  delete binder_;
}

void TTestLight::TakeTtiZone(TTtiSettings &values) {
  ReadParameters();
  values.typeZone = TypeZone;
  values.sizeRectX = SizeRectX;
  values.sizeRectY = SizeRectY;
  values.pozitionX = PozitionX;
  values.pozitionY = PozitionY;
  values.smoothing = Smoothing;
  values.showZone = ShowZone;
}

void TTestLight::PutTtiZone(const TTtiSettings &values, bool present) {
  if (present) {
    // Another zone read: the results shown were of the zone before.
    if (values.typeZone != TypeZone || values.sizeRectX != SizeRectX || values.sizeRectY != SizeRectY ||
        values.pozitionX != PozitionX || values.pozitionY != PozitionY || values.smoothing != Smoothing)
      energyInZone = contrast = -1.0;
    TypeZone = values.typeZone == kZoneEllipse ? kZoneEllipse : kZoneRectangle;
    SizeRectX = values.sizeRectX;
    SizeRectY = values.sizeRectY;
    PozitionX = values.pozitionX;
    PozitionY = values.pozitionY;
    Smoothing = values.smoothing == 1 ? 1 : 0;
    ShowZone = values.showZone == 1 ? 1 : 0;
  }
  ShowParameters();
}

bool TTestLight::Find(TEventInfo &info) {
  return SearchResponseTable(kEnergyTable, info) || TBookMarkDlg::Find(info);
}

void TTestLight::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  owner = GetHandle();
  if (binder_ != nullptr) binder_->SetColors(RGB(255, 255, 255), kBinderText);
  CheckDlgButton(kEnergySmoothing, BST_UNCHECKED);
  // The zone is measured in the image's unit: millimetres, or milliradians at infinity.
  if (folder_ != nullptr && folder_->System() != nullptr && folder_->System()->info.ImageFinite == 0) {
    SetDlgItemText(kEnergySizeLabel, "Size (mrad)");
    SetDlgItemText(kEnergyPositionLabel, "Position (mrad)");
  }
  CmInitialization();
  ShowParameters();
}

void TTestLight::SetControlColors() {
  TFolderDialogBase::SetControlColors();
  if (currentKind == CTLCOLOR_STATIC && (currentId == kEnergyResult || currentId == kEnergyContrast))
    textColor = kResultText;
}

void TTestLight::EvDestroy() {
  delete binder_;
  binder_ = nullptr;
  DefaultProcessing();
}

int TTestLight::LeavePage() {
  ReadParameters();
  return 1;
}

TColorPicture *TTestLight::CurrentPicture() {
  const TTestImage *shared = GetTestImage();
  if (shared == nullptr || shared->picture == nullptr) return nullptr;
  // The record keeps the last picture without owning it: it may have been closed since.
  const auto &open = TColorPicture::Pictures();
  if (std::find(open.begin(), open.end(), shared->picture) == open.end()) return nullptr;
  return shared->picture->GetHandle() != nullptr ? shared->picture : nullptr;
}

int TTestLight::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  if (binder_ != nullptr) binder_->ReadAll();
  if (CurrentPicture() == nullptr) CheckDlgButton(kEnergyShowZone, BST_UNCHECKED);
  Smoothing = IsDlgButtonChecked(kEnergySmoothing) == BST_CHECKED ? 1 : 0;
  ShowZone = IsDlgButtonChecked(kEnergyShowZone) == BST_CHECKED ? 1 : 0;
  TypeZone = IsDlgButtonChecked(kEnergyRectangle) == BST_CHECKED ? kZoneRectangle : kZoneEllipse;
  return 1;
}

void TTestLight::RoundZone() {
  // As many digits as the picture's cell needs: the value shown is the one measured next.
  const double cell = folder_ != nullptr ? folder_->RasterPitch() : 0.0;
  SizeRectX = RoundZoneValue(SizeRectX, cell);
  SizeRectY = RoundZoneValue(SizeRectY, cell);
  PozitionX = RoundZoneValue(PozitionX, cell);
  PozitionY = RoundZoneValue(PozitionY, cell);
}

int TTestLight::ShowParameters() {
  if (GetHandle() == nullptr) return 1;
  ShowResult(energyText_, energyInZone);
  ShowResult(contrastText_, contrast);
  ShowResult(outsideText_, outsidePicture);
  ShowResult(leftOutText_, blurLeftOut);
  writing_ = true;
  if (binder_ != nullptr) binder_->WriteAll();
  writing_ = false;
  CheckDlgButton(kEnergySmoothing, Smoothing == 1 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kEnergyShowZone, ShowZone == 1 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kEnergyRectangle, TypeZone == kZoneRectangle ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(kEnergyEllipse, TypeZone == kZoneEllipse ? BST_CHECKED : BST_UNCHECKED);
  return 1;
}

int TTestLight::RefreshImageData() {
  if (folder_ == nullptr) return 0;
  // The image the folder has is measured; without one it synthesises (a new synthesis
  // marks this raster to be made again).
  if (folder_->state != kRastersWritten && folder_->CalculateOnly() != 1) return 0;
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return 0;
  const int n = SynthesisPixelCount();
  if (state >= 1 && n > 0 && shared->raster.cols == n && shared->raster.rows == n) return 1;
  state = kNothingComputed;
  if (n == 0) return 0;
  if (!shared->raster.Allocate(n, n)) {
    MessageBox(GetHandle(), "Not enough memory", " Memory ", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // One component as it is; several integrated over wavelength by the trapezoidal rule
  // with their weights, divided by the integral of the weights.
  if (folder_->BuildMeanRaster() == 0) {
    shared->raster.Zero();
    return 0;
  }
  state = kRastersWritten;
  return 1;
}

double TTestLight::DiscDiameter() const {
  if (folder_ == nullptr || folder_->ObjectPage() == nullptr) return -1.0;
  if (folder_->ObjectPage()->CurrentType() != kDiskType) return -1.0;
  const auto *disc = dynamic_cast<const TDiffractionPoint *>(folder_->CurrentObject());
  return disc != nullptr ? std::fabs(disc->diameter) : -1.0;
}

void TTestLight::Recalculate() {
  if (folder_ == nullptr) return;
  if (folder_->Busy()) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  SetWaitCursor();
  if (RefreshImageData() == 0) {
    // No image to measure: the figures shown belong to another, and go.
    energyInZone = contrast = outsidePicture = blurLeftOut = -1.0;
    ShowParameters();
    SetArrowCursor();
    return;
  }
  ReadParameters();
  if (TColorPicture *picture = CurrentPicture()) picture->Redraw(false);
  const TTestImage *shared = GetTestImage();
  TEnergyZone zone;
  zone.type = TypeZone;
  zone.width = SizeRectX;
  zone.height = SizeRectY;
  zone.x = PozitionX;
  zone.y = PozitionY;
  zone.smoothing = Smoothing;
  TEnergyImage measured;
  measured.cells = shared->raster.data;
  measured.n = SynthesisPixelCount();
  measured.pixelSize = folder_->RasterPitch();
  measured.discDiameter = DiscDiameter();
  TEnergyResult result;
  const TEnergyStatus status = MeasureEnergyInZone(measured, zone, result);
  if (status == kEnergyNoMemory)
    MessageBox(GetHandle(), "Not enough memory", " Memory ", MB_OK | MB_ICONINFORMATION);
  // A zone the measurement changed is shown to the cell's digits; one typed or read from
  // a settings file keeps its value.
  if (status == kEnergyMeasured && (zone.width != SizeRectX || zone.height != SizeRectY)) {
    SizeRectX = zone.width;
    SizeRectY = zone.height;
    RoundZone();
  }
  if (status == kEnergyMeasured) Smoothing = zone.smoothing;
  // Nothing measured is shown as nothing, never as 0 %.
  energyInZone = status == kEnergyMeasured ? result.energyInZone : -1.0;
  contrast = status == kEnergyMeasured ? result.contrast : -1.0;
  // The zone's share is of the light in the picture; what the picture lacks of the light
  // the system passes is told beside it, where the object's own rays know it.
  // The blur is taken as far as its light matters; the share of its light beyond is told
  // too, as light the picture may lack.
  outsidePicture = blurLeftOut = -1.0;
  if (const auto *source = dynamic_cast<const TLightSourceChooseDlg *>(folder_->CurrentObject()))
    if (!source->PictureLight().empty()) {
      outsidePicture = 100.0 * ShareOutsidePicture(source->PictureLight());
      blurLeftOut = 100.0 * source->BlurLeftOut();
    }
  ShowParameters();
  SetArrowCursor();
}

void TTestLight::InitZone() {
  if (folder_ == nullptr || folder_->System() == nullptr) return;
  SetWaitCursor();
  TOpticalSystem &system = *folder_->System();
  double fieldA = 0.0, fieldB = 0.0;
  if (const TTestPSF *psf = folder_->PsfPage()) {
    const double unit = system.info.Unit == 1 ? 60.0 : 1.0;
    fieldA = psf->Y / unit;
    fieldB = psf->X / unit;
  }
  // The object's own extent in the image: the disc's diameter, else the image field the
  // object is scaled to.
  const TTestImage *shared = GetTestImage();
  double objectSize = shared != nullptr ? shared->fieldSize : 0.0;
  if (folder_->rasterPitch > 0.0) objectSize = folder_->rasterPitch * SynthesisPixelCount();
  if (const double disc = DiscDiameter(); disc >= 0.0) objectSize = disc;
  TEnergyZone zone;
  zone.width = SizeRectX;
  zone.height = SizeRectY;
  zone.x = PozitionX;
  zone.y = PozitionY;
  if (FitZoneToImage(system, fieldA, fieldB, objectSize, zone)) {
    SizeRectX = zone.width;
    SizeRectY = zone.height;
    PozitionX = zone.x;
    PozitionY = zone.y;
    RoundZone();
  }
  // The zone fitted is not measured yet.
  energyInZone = contrast = -1.0;
  outsidePicture = blurLeftOut = -1.0;
  ShowParameters();
  SetArrowCursor();
}

void TTestLight::DrawZone() {
  TColorPicture *picture = CurrentPicture();
  if (picture == nullptr || ShowZone != 1) return;
  SetWaitCursor();
  picture->SetPen(PS_INSIDEFRAME, 1, kZonePen);
  // The picture's world y grows upwards with the zone's Y, as the raster's rows fall.
  const double cx = PozitionX, cy = PozitionY;
  const double w = SizeRectX / 2, h = SizeRectY / 2;
  if (TypeZone == kZoneRectangle) {
    picture->MoveTo(cx - w, cy + h, false);
    picture->MoveTo(cx + w, cy + h, true);
    picture->MoveTo(cx + w, cy - h, true);
    picture->MoveTo(cx - w, cy - h, true);
    picture->MoveTo(cx - w, cy + h, true);
  } else {
    bool first = true;
    for (float t = 0.0f; t < kFullTurn; t += kOutlineStep) {
      picture->MoveTo(cx + std::cos(t) * w, cy + std::sin(t) * h, !first);
      first = false;
    }
  }
  picture->Refresh();
  SetArrowCursor();
}

void TTestLight::CmInitialization() {
  if (folder_ != nullptr && folder_->Busy()) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  InitZone();
}

void TTestLight::CmSmoothing() {
  Smoothing = IsDlgButtonChecked(kEnergySmoothing) == BST_CHECKED ? 1 : 0;
  Recalculate();
}

void TTestLight::CmRectangle() {
  ReadParameters();
  TypeZone = kZoneRectangle;
  ShowParameters();
  Recalculate();
}

void TTestLight::CmEllipse() {
  ReadParameters();
  TypeZone = kZoneEllipse;
  ShowParameters();
  Recalculate();
}

void TTestLight::ForgetResults() {
  energyInZone = contrast = -1.0;
  energyText_[0] = contrastText_[0] = '\0';
  // Only the results' fields: a box being typed into keeps its text as typed.
  SetDlgItemText(kEnergyResult, energyText_);
  SetDlgItemText(kEnergyContrast, contrastText_);
}

void TTestLight::ZoneEdited() {
  if (!writing_ && GetHandle() != nullptr) ForgetResults();
}

void TTestLight::CmShowZone() {
  ReadParameters();
  if (TColorPicture *picture = CurrentPicture()) picture->Redraw(false);
}

// The folder's side: a picture window has redrawn itself; the zone goes on the picture of
// the total image.
LRESULT TTestObjectFolder::PictureRedrawn(WPARAM, LPARAM) {
  TTestLight *page = EnergyPage();
  const TTestImage *shared = GetTestImage();
  if (page != nullptr && shared != nullptr && shared->picture != nullptr) {
    const auto &open = TColorPicture::Pictures();
    if (std::find(open.begin(), open.end(), shared->picture) != open.end() &&
        shared->picture->Title().find(kTotalName) != std::string::npos)
      page->DrawZone();
  }
  return 1;
}
