#include "synthesis/objects/radial_mira.h"

#include "imaging/testobject/test_image.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/objects/object_rasters.h"
#include "synthesis/objects/positive_field.h"
#include "toolkit/binding/multi_edit.h"

namespace {

const TDialogTemplate kRadialMiraTemplate{
    "TestRadialMira", WS_CHILD, kObjectDialogX, kObjectDialogY, kObjectDialogWidth,
    kObjectDialogHeight, "",
    {
        {"STATIC", "N strokes:", 0, SS_LEFT, 6, 8, 44, 9},
        {"EDIT", "", kRadialStrokesEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 52, 6, 40, 12},
    }};
const TDialogRegistration kRadialMiraRegistration(kRadialMiraTemplate);

}  // namespace

TRadialMira::TRadialMira(TTestObjectParent *page) : TTestObjectDlg(page, "TestRadialMira") {
  binder->AddEdit(kRadialStrokesEdit, &strokes, 'i', "%d");
  name = "Radial mira";
}

bool TRadialMira::Find(TEventInfo &info) { return TTestObjectDlg::Find(info); }

void TRadialMira::SetupWindow() {
  TTestObjectDlg::SetupWindow();
  binder->WriteAll();
}

int TRadialMira::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const std::int32_t former = strokes;
  const bool taken = CheckPositiveField(*this, kRadialStrokesEdit, "N strokes");
  if (!taken) binder->WriteOne(&strokes);
  binder->ReadAll();
  if (strokes != former) state = kNothingComputed;
  // A fraction below 1 reads as no stroke at all.
  if (strokes < 1) {
    strokes = 1;
    ShowParameters();
  }
  return taken ? 1 : 0;
}

int TRadialMira::ShowParameters() {
  if (GetHandle() != nullptr) binder->WriteAll();
  return 1;
}

int TRadialMira::Calculate() {
  ReadParameters();
  return WriteRasterFile();
}

int TRadialMira::Fill(Mem<float> &raster, int n) { return FillRadialMira(raster, n, strokes); }

double TRadialMira::ValueAt(int, double fieldX, double fieldY) {
  const TTestImage *shared = Image();
  const double halfField = shared != nullptr ? shared->objectFieldHalf : 0.0;
  return RadialMiraValue(fieldX, fieldY, halfField, strokes);
}
