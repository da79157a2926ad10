#include "synthesis/objects/test_object_parent.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "document/system/animation_hold.h"
#include "imaging/color/color_image.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/optical_system.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/lightsource/light_source_choose_dlg.h"
#include "synthesis/objects/custom_object.h"
#include "synthesis/objects/diffraction_point.h"
#include "synthesis/objects/object_distance.h"
#include "synthesis/objects/object_page_owner.h"
#include "synthesis/objects/positive_field.h"
#include "synthesis/objects/radial_mira.h"
#include "synthesis/objects/square_mira.h"
#include "toolkit/binding/multi_edit.h"

namespace {

constexpr int kBinderCapacity = 5;
constexpr COLORREF kBoundTextColor = RGB(0, 0, 192);
constexpr UINT kInformation = MB_OK | MB_ICONINFORMATION;

const TDialogTemplate kTypeTestObjectTemplate{
    "TypeTestObject", WS_CHILD | WS_CAPTION, 0, 0, 220, 176, "Test-object parent",
    {
        {"BUTTON", " Size ", 0, BS_GROUPBOX, 6, 18, 208, 60},
        {"BUTTON", "Object space", kObjectSpaceRadio, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
         12, 30, 60, 10},
        {"BUTTON", "Image space", kImageSpaceRadio, BS_AUTORADIOBUTTON, 12, 44, 60, 10},
        {"EDIT", "", kObjectSizeEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 78, 29, 50, 12},
        // Each unit's circle and label whole, side by side within the group.
        {"BUTTON", "m", kUnitMetresRadio, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 132, 30, 22,
         10},
        {"BUTTON", "min", kUnitMinutesRadio, BS_AUTORADIOBUTTON, 156, 30, 27, 10},
        {"BUTTON", "deg", kUnitDegreesRadio, BS_AUTORADIOBUTTON, 185, 30, 26, 10},
        {"STATIC", "Distance (m)", 0, SS_LEFT, 12, 61, 60, 9},
        {"EDIT", "", kObjectDistanceEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 78, 59, 50, 12},
        {"BUTTON", " Type ", 0, BS_GROUPBOX, 6, 82, 208, 90},
        {"COMBOBOX", "", kObjectTypeList, CBS_DROPDOWNLIST | WS_TABSTOP, 12, 95, 80, 70},
        {"BUTTON", "Color map", kObjectColorMapButton, BS_PUSHBUTTON | WS_TABSTOP, 100, 94, 52, 14},
        {"BUTTON", "3D Plot", kObject3DPlotButton, BS_PUSHBUTTON | WS_TABSTOP, 156, 94, 52, 14},
        {"BUTTON", "", 0, BS_GROUPBOX, 10, 110, 200, 58},
    }};
const TDialogRegistration kTypeTestObjectRegistration(kTypeTestObjectTemplate);

const TResponseTableEntry kTestObjectParentTable[] = {
    EvChildNotify<&TTestObjectParent::CmTypeChanged>(kObjectTypeList, CBN_SELCHANGE),
    EvCommand<&TTestObjectParent::CmColorMap>(kObjectColorMapButton),
    EvCommand<&TTestObjectParent::Cm3DPlot>(kObject3DPlotButton),
    EvCommand<&TTestObjectParent::CmSpace>(kObjectSpaceRadio),
    EvCommand<&TTestObjectParent::CmSpace>(kImageSpaceRadio),
    EvCommand<&TTestObjectParent::CmUnitM>(kUnitMetresRadio),
    EvCommand<&TTestObjectParent::CmUnitMin>(kUnitMinutesRadio),
    EvCommand<&TTestObjectParent::CmUnitDeg>(kUnitDegreesRadio),
};

const char *const kTypeTexts[kObjectTypeCount] = {"Disk", "Radial mira", "Square mira", "Custom",
                                                  "Light source"};
const char *const kObjectDistanceUndo = "Change object distance";

// The value as the distance box shows it, read back: what an untouched box gives.
double AsShown(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return std::strtod(text, nullptr);
}

}  // namespace

const char *ObjectTypeText(int type) {
  return type >= 0 && type < kObjectTypeCount ? kTypeTexts[type] : "";
}

TTestObjectParent::TTestObjectParent(TWindow *folder, TObjectPageOwner *owner)
    : TBookMarkDlg(folder, "TypeTestObject"), owner_(owner) {
  binder_ = new TMultiEdit(this, kBinderCapacity);
  binder_->AddEdit(kObjectSizeEdit, &sizeValue, 'd', "%g");
  binder_->AddEdit(kObjectDistanceEdit, &distance, 'd', "%g");
  diffractionPoint_ = new TDiffractionPoint(this);
  radialMira_ = new TRadialMira(this);
  squareMira_ = new TSquareMira(this);
  customObject_ = new TCustomObject(this);
  lightSource_ = new TLightSourceChooseDlg(this);
  currentType = HasLensArrays() ? kObjectDisk : kObjectRadialMira;
  if (const TTestImage *shared = GetTestImage()) distance = shared->Distance;
}

// The object dialogs are child windows, deleted with the page.
TTestObjectParent::~TTestObjectParent() {
  delete binder_;
  binder_ = nullptr;
}

bool TTestObjectParent::Find(TEventInfo &info) {
  return SearchResponseTable(kTestObjectParentTable, info) || TBookMarkDlg::Find(info);
}

TOpticalSystem *TTestObjectParent::System() const {
  return owner_ != nullptr ? owner_->System() : nullptr;
}

bool TTestObjectParent::ObjectFinite() const {
  return System() != nullptr && System()->info.ObjectFinite != 0;
}

bool TTestObjectParent::ImageFinite() const {
  return System() == nullptr || System()->info.ImageFinite != 0;
}

bool TTestObjectParent::HasLensArrays() const {
  return System() != nullptr && System()->HasRasterZones() != 0;
}

TTestObjectDlg *TTestObjectParent::ObjectDialog(int type) const {
  switch (type) {
    case kObjectDisk: return diffractionPoint_;
    case kObjectRadialMira: return radialMira_;
    case kObjectSquareMira: return squareMira_;
    case kObjectCustom: return customObject_;
    case kObjectLightSource: return lightSource_;
    default: return nullptr;
  }
}

void TTestObjectParent::SetupWindow() {
  // The base set-up creates the child windows, the object dialogs among them.
  TBookMarkDlg::SetupWindow();
  binder_->SetColors(kBoundTextColor, 0);
  for (int type = 0; type < kObjectTypeCount; ++type) {
    TTestObjectDlg *dialog = ObjectDialog(type);
    if (dialog != nullptr && dialog->GetHandle() != nullptr)
      dialog->ShowWindow(type == currentType ? SW_SHOW : SW_HIDE);
  }
  if (auto *list = dynamic_cast<TComboBox *>(ChildWithId(kObjectTypeList))) {
    list->ClearList();
    const int listed = ObjectFinite() ? kObjectTypeCount : kObjectLightSource;
    for (int type = 0; type < listed; ++type) list->AddString(kTypeTexts[type]);
    list->SetSelIndex(currentType);
  }
  if (TTestImage *shared = GetTestImage()) shared->ObjectSpaceCheck = 1;
  ShowObjectSize();
}

int TTestObjectParent::EnterPage() {
  ShowObjectSize();
  return 1;
}

int TTestObjectParent::LeavePage() {
  if (ReadObjectSize() == 0) return 0;
  const TTestImage *shared = GetTestImage();
  if (shared != nullptr && !(shared->fieldSize > 0.0)) {
    MessageBox(GetHandle(), "Parameter 'Size' can not be 0!", "Warning", kInformation);
    return 0;
  }
  return 1;
}

void TTestObjectParent::WriteEdits() {
  if (GetHandle() == nullptr) return;
  // A distance typed and not yet read stays in its box whatever refreshes the page (an
  // edit of the system, a new type): only reading the page takes or refuses it.
  char shown[64] = "";
  GetDlgItemText(kObjectDistanceEdit, shown, sizeof shown);
  const bool typed = !shownDistance_.empty() && shownDistance_ != shown;
  binder_->WriteAll();
  if (typed) {
    SetDlgItemText(kObjectDistanceEdit, shown);
    return;
  }
  GetDlgItemText(kObjectDistanceEdit, shown, sizeof shown);
  shownDistance_ = shown;
}

void TTestObjectParent::CheckUnitAndSpace(const TTestImage &shared) {
  const int radios[] = {kUnitMetresRadio, kUnitMinutesRadio, kUnitDegreesRadio, kObjectSpaceRadio,
                        kImageSpaceRadio};
  for (int id : radios) CheckDlgButton(id, BST_UNCHECKED);
  if (shared.UnitBtn >= kUnitMetres && shared.UnitBtn <= kUnitDegrees)
    CheckDlgButton(kUnitMetresRadio + shared.UnitBtn, BST_CHECKED);
  CheckDlgButton(shared.ObjectSpaceCheck == 1 ? kObjectSpaceRadio : kImageSpaceRadio, BST_CHECKED);
}

int TTestObjectParent::ShowObjectSize() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return 1;
  HWND window = GetHandle();
  if (ObjectFinite() && (ImageFinite() || shared->ObjectSpaceCheck == 1)) {
    shared->UnitBtn = kUnitMetres;
    EnableDlgItem(window, kUnitMinutesRadio, 0);
    EnableDlgItem(window, kUnitDegreesRadio, 0);
    shared->Distance = ObjectDistanceOf(*System());
  } else if (ObjectFinite()) {
    // A finite object imaged at infinity: its image's field is an angle.
    if (shared->UnitBtn == kUnitMetres) shared->UnitBtn = kUnitMinutes;
    EnableDlgItem(window, kUnitMetresRadio, 0);
    EnableDlgItem(window, kUnitMinutesRadio, 1);
    EnableDlgItem(window, kUnitDegreesRadio, 1);
    shared->Distance = ObjectDistanceOf(*System());
  } else {
    EnableDlgItem(window, kUnitMinutesRadio, 1);
    EnableDlgItem(window, kUnitDegreesRadio, 1);
  }
  if (HasLensArrays()) {
    EnableDlgItem(window, kObjectSpaceRadio, 0);
    const int angles = ImageFinite() ? 0 : 1;
    EnableDlgItem(window, kUnitMinutesRadio, angles);
    EnableDlgItem(window, kUnitDegreesRadio, angles);
    EnableDlgItem(window, kUnitMetresRadio, 1 - angles);
    shared->ObjectSpaceCheck = 0;
  }
  distance = shared->Distance;
  if (currentType == kObjectDisk)
    diffractionPoint_->ShowParameters();
  else
    sizeValue = shared->ObjectSize;
  WriteEdits();
  if (window != nullptr) CheckUnitAndSpace(*shared);
  if (CurrentTypeIndex() == kObjectDisk) {
    diffractionPoint_->ShowParameters();
    diffractionPoint_->ShowUnit(shared->UnitBtn);
  }
  return 1;
}

int TTestObjectParent::ReadObjectSize() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return 1;
  // The page is read in one go: however many of its boxes are refused, one box tells the
  // first.
  const TFirstRefusalTold oneBox;
  // The typed distance is read now: the page may write the box again.
  shownDistance_.clear();
  const double formerDistance = shared->Distance;
  const double formerSize = sizeValue;
  bool refused = false;
  // Without the window there are no boxes: the record's distance and size stand.
  if (GetHandle() != nullptr) {
    // A refused box shows its value again, and the rest of the page is read as usual. A
    // box still showing what the page put there is the page's value, not a typed one.
    if (!CheckPositiveField(*this, kObjectSizeEdit, "Size", &formerSize)) {
      binder_->WriteOne(&sizeValue);
      refused = true;
    }
    if (!CheckPositiveField(*this, kObjectDistanceEdit, "Distance", &formerDistance)) {
      distance = formerDistance;
      binder_->WriteOne(&distance);
      refused = true;
    }
    binder_->ReadAll();
    // The box shows the size to six digits: an untouched box keeps the size it had.
    if (sizeValue == AsShown(formerSize)) sizeValue = formerSize;
  } else {
    distance = formerDistance;
    if (currentType != kObjectDisk) sizeValue = shared->ObjectSize;
  }
  // The box shows the distance to six digits: an untouched box is the distance as it was,
  // not a request to move the system by its rounding.
  bool changed = distance != AsShown(formerDistance) && distance != formerDistance;
  if (changed && ObjectFinite() && owner_ != nullptr && owner_->SystemHeldByRun()) {
    if (GetHandle() != nullptr) MessageBox(GetHandle(), kCompleteAnimationText, "Warning", MB_OK | MB_ICONINFORMATION);
    changed = false;
    refused = true;
  }
  if (!changed) distance = formerDistance;
  shared->Distance = distance;
  bool moved = false;
  if (changed && ObjectFinite() && PlaceObjectAt(*System(), distance) != 0) {
    moved = true;
    if (owner_ != nullptr) {
      owner_->ObjectDistanceChanged();
      owner_->SaveUndo(kObjectDistanceUndo);
    }
  }
  if (currentType == kObjectDisk) {
    if (diffractionPoint_->GetHandle() != nullptr) {
      const double formerField = fieldValue;
      if (!CheckPositiveField(*diffractionPoint_, kDiffractionFieldEdit, "Field", &formerField)) {
        diffractionPoint_->binder->WriteOne(&fieldValue);
        refused = true;
      }
      diffractionPoint_->binder->ReadAll();
    }
    shared->ObjectSize = fieldValue;
    if (owner_ != nullptr) owner_->UpdateImageSize();
    diffractionPoint_->diameterInUnit = sizeValue;
    diffractionPoint_->ReadParameters();
  } else {
    if (TTestObjectDlg *object = ObjectDialog(currentType); object != nullptr && object->ReadParameters() == 0)
      refused = true;
    shared->ObjectSize = sizeValue;
    if (owner_ != nullptr) owner_->UpdateImageSize();
    sizeValue = shared->ObjectSize;
  }
  WriteEdits();
  if (moved && owner_ != nullptr) owner_->RefreshViews();
  return refused ? 0 : 1;
}

int TTestObjectParent::CurrentTypeIndex() {
  auto *list = dynamic_cast<TComboBox *>(ChildWithId(kObjectTypeList));
  if (list == nullptr || list->GetHandle() == nullptr) return -1;
  return list->GetSelIndex();
}

TTestObject *TTestObjectParent::CurrentObject() { return ObjectDialog(CurrentTypeIndex()); }

void TTestObjectParent::CmTypeChanged() {
  if (owner_ != nullptr && owner_->Computing()) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  const int index = CurrentTypeIndex();
  if (index < 0 || index == currentType || ObjectDialog(index) == nullptr) return;
  TTestObjectDlg *former = ObjectDialog(currentType);
  TTestObjectDlg *chosen = ObjectDialog(index);
  // Leaving the bitmap object lets its pictures and windows go.
  if (currentType == kObjectCustom) customObject_->Reset();
  if (former != nullptr && former->GetHandle() != nullptr) former->ShowWindow(SW_HIDE);
  currentType = index;
  if (chosen->GetHandle() != nullptr) chosen->ShowWindow(SW_SHOW);
  chosen->state = kNothingComputed;
  ShowObjectSize();
  // The bitmap object has nothing to show until it holds or names a picture (one chosen, or
  // named by a settings file read); every other object can be shown at once.
  const int viewable = chosen != customObject_ || customObject_->HasPicture() ? 1 : 0;
  // A bitmap's values are display values already: its pictures, and those of its image
  // through the system, are shown without the display exponent; every other object's with it.
  if (TTestImage *shared = GetTestImage()) {
    if (shared->colorImage == nullptr) shared->colorImage = new (std::nothrow) TColorImage();
    if (shared->colorImage != nullptr) shared->colorImage->SetGamma(chosen->name == kCustomObjectDisplayName ? 0 : 1);
  }
  EnableDlgItem(GetHandle(), kObjectColorMapButton, viewable);
  EnableDlgItem(GetHandle(), kObject3DPlotButton, viewable);
  if (owner_ != nullptr) owner_->SetViewButtonsEnabled(viewable != 0);
  ShowObjectSize();
  if (owner_ != nullptr) {
    owner_->SetPsfPageEnabled(index != kObjectLightSource);
    owner_->ObjectTypeChanged();
  }
}

int TTestObjectParent::SelectType(int index) {
  auto *list = dynamic_cast<TComboBox *>(ChildWithId(kObjectTypeList));
  if (list == nullptr || list->GetHandle() == nullptr) return 0;
  if (index < 0 || index >= list->GetCount()) return 0;
  list->SetSelIndex(index);
  CmTypeChanged();
  return currentType == index ? 1 : 0;
}

void TTestObjectParent::ShowObject(bool colorMap) {
  if (owner_ != nullptr && owner_->Computing()) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  if (ReadObjectSize() == 0) return;
  const TTestImage *shared = GetTestImage();
  if (shared == nullptr) return;
  if (colorMap && !(shared->fieldSize > 0.0)) {
    MessageBox(GetHandle(), "Parameter 'Size' can not be 0!", "Warning", kInformation);
    return;
  }
  TTestObject *object = CurrentObject();
  if (object == nullptr) {
    MessageBeep(MB_SIMPLEBEEP);
    return;
  }
  if (object->state == kNothingComputed && currentType != kObjectLightSource &&
      object->Calculate() == 0) {
    // Nothing stale is shown: without its files the object says there is nothing to show.
    object->rasterFiles.Clear();
    object->frameFiles.Clear();
  }
  if (colorMap)
    object->ShowColorImage();
  else
    object->ShowGraph();
}

void TTestObjectParent::CmColorMap() { ShowObject(true); }

void TTestObjectParent::Cm3DPlot() { ShowObject(false); }

void TTestObjectParent::ApplyUnit(int unit) {
  ReadObjectSize();
  if (TTestImage *shared = GetTestImage()) shared->UnitBtn = unit;
  if (owner_ != nullptr) owner_->UpdateObjectSize();
  ShowObjectSize();
}

void TTestObjectParent::CmUnitM() { ApplyUnit(kUnitMetres); }

void TTestObjectParent::CmUnitMin() { ApplyUnit(kUnitMinutes); }

void TTestObjectParent::CmUnitDeg() { ApplyUnit(kUnitDegrees); }

void TTestObjectParent::CmSpace() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr) return;
  const bool objectSpace = IsDlgButtonChecked(kObjectSpaceRadio) == BST_CHECKED;
  ReadObjectSize();
  HWND window = GetHandle();
  if (objectSpace) {
    shared->ObjectSpaceCheck = 1;
    // A finite object's size is a length: the field read in its angle is converted to metres.
    if (ObjectFinite()) shared->UnitBtn = kUnitMetres;
    EnableDlgItem(window, kUnitMetresRadio, shared->Distance != 0.0 ? 1 : 0);
  } else {
    shared->ObjectSpaceCheck = 0;
    if (!ImageFinite()) {
      EnableDlgItem(window, kUnitMetresRadio, 0);
      if (shared->UnitBtn == kUnitMetres) {
        CmUnitMin();
        CheckDlgButton(kUnitMetresRadio, BST_UNCHECKED);
        CheckDlgButton(kUnitMinutesRadio, BST_CHECKED);
      }
    } else {
      EnableDlgItem(window, kUnitMetresRadio, 1);
    }
  }
  if (owner_ != nullptr) owner_->UpdateObjectSize();
  ShowObjectSize();
}
