#include "synthesis/objects/diffraction_point.h"

#include "imaging/testobject/test_image.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/objects/object_page_owner.h"
#include "synthesis/objects/object_rasters.h"
#include "synthesis/objects/test_object_parent.h"
#include "toolkit/binding/multi_edit.h"

namespace {

const TDialogTemplate kDiffractionPointTemplate{
    "TestDiffractionPoint", WS_CHILD, kObjectDialogX, kObjectDialogY, kObjectDialogWidth,
    kObjectDialogHeight, "",
    {
        {"STATIC", "Field", 0, SS_LEFT, 6, 8, 24, 9},
        {"EDIT", "", kDiffractionFieldEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 32, 6, 60, 12},
        {"STATIC", "(mm)", kDiffractionUnitLabel, SS_LEFT, 96, 8, 30, 9},
    }};
const TDialogRegistration kDiffractionPointRegistration(kDiffractionPointTemplate);

const char *const kUnitLabels[] = {"(m)", "(min)", "(deg)"};

}  // namespace

TDiffractionPoint::TDiffractionPoint(TTestObjectParent *page)
    : TTestObjectDlg(page, "TestDiffractionPoint") {
  if (page != nullptr) binder->AddEdit(kDiffractionFieldEdit, &page->fieldValue, 'd', "%g");
  name = "Diffraction point";
}

bool TDiffractionPoint::Find(TEventInfo &info) { return TTestObjectDlg::Find(info); }

double TDiffractionPoint::DefaultDiameter() {
  const TTestImage *shared = Image();
  return shared != nullptr ? 0.1 * shared->pixelCount * shared->pixelSize : 0.0;
}

void TDiffractionPoint::SetupWindow() {
  diameter = DefaultDiameter();
  TTestObjectDlg::SetupWindow();
}

void TDiffractionPoint::ShowUnit(int unit) {
  if (GetHandle() == nullptr || unit < 0 || unit > 2) return;
  SetDlgItemText(kDiffractionUnitLabel, kUnitLabels[unit]);
}

int TDiffractionPoint::ReadParameters() {
  TTestImage *shared = Image();
  TTestObjectParent *page = Page();
  if (shared == nullptr || page == nullptr) return 1;
  const double formerDiameter = diameter;
  if (GetHandle() != nullptr) binder->ReadAll();
  if (shared->ObjectSize == 0.0 && page->Owner() != nullptr) {
    page->Owner()->UpdateImageSize();
    page->Owner()->UpdateObjectSize();
    ShowParameters();
  }
  diameterInUnit = page->sizeValue;
  if (page->fieldValue == 0.0)
    page->fieldValue = shared->ObjectSize;
  else
    shared->ObjectSize = page->fieldValue;
  // Without an object size the diameter cannot be scaled: the default stands in for it.
  if (diameterInUnit == 0.0 || shared->ObjectSize == 0.0) {
    diameter = DefaultDiameter();
    ShowParameters();
  } else {
    diameter = diameterInUnit * shared->fieldSize / shared->ObjectSize;
  }
  if (diameter != formerDiameter) state = kNothingComputed;
  return 1;
}

int TDiffractionPoint::ShowParameters() {
  TTestImage *shared = Image();
  TTestObjectParent *page = Page();
  if (shared == nullptr || page == nullptr) return 1;
  if (diameter == 0.0) diameter = DefaultDiameter();
  diameterInUnit =
      shared->fieldSize != 0.0 ? diameter * shared->ObjectSize / shared->fieldSize : 0.0;
  page->sizeValue = diameterInUnit;
  page->fieldValue = shared->ObjectSize;
  page->WriteEdits();
  if (GetHandle() != nullptr) binder->WriteAll();
  return 1;
}

int TDiffractionPoint::Calculate() { return WriteRasterFile(); }

int TDiffractionPoint::Fill(Mem<float> &raster, int n) {
  const TTestImage *shared = Image();
  return shared != nullptr && FillDiffractionDisc(raster, n, shared->pixelSize, diameter);
}

double TDiffractionPoint::ValueAt(int, double fieldX, double fieldY) {
  const TTestImage *shared = Image();
  if (shared == nullptr) return 0.0;
  return DiffractionPointValue(fieldX, fieldY, shared->objectFieldHalf, shared->objectStep);
}
