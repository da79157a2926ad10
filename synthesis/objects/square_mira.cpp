#include "synthesis/objects/square_mira.h"

#include <string>

#include "imaging/testobject/test_image.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/objects/object_raster_file.h"
#include "synthesis/objects/object_rasters.h"
#include "synthesis/objects/positive_field.h"
#include "toolkit/binding/multi_edit.h"

namespace {

const TDialogTemplate kSquareMiraTemplate{
    "TestSquareMira", WS_CHILD, kObjectDialogX, kObjectDialogY, kObjectDialogWidth,
    kObjectDialogHeight, "",
    {
        {"STATIC", "N group in row:", 0, SS_LEFT, 6, 6, 62, 9},
        {"EDIT", "", kSquareGroupsEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 4, 40, 12},
        {"STATIC", "N strokes min:", 0, SS_LEFT, 6, 21, 62, 9},
        {"EDIT", "", kSquareStrokesMinEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 19, 40, 12},
        {"STATIC", "N strokes max:", 0, SS_LEFT, 6, 36, 62, 9},
        {"EDIT", "", kSquareStrokesMaxEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 70, 34, 40, 12},
    }};
const TDialogRegistration kSquareMiraRegistration(kSquareMiraTemplate);

}  // namespace

TSquareMira::TSquareMira(TTestObjectParent *page) : TTestObjectDlg(page, "TestSquareMira") {
  binder->AddEdit(kSquareGroupsEdit, &groups, 'i', "%d");
  binder->AddEdit(kSquareStrokesMinEdit, &strokesMin, 'i', "%d");
  binder->AddEdit(kSquareStrokesMaxEdit, &strokesMax, 'i', "%d");
  name = "Square mira";
}

bool TSquareMira::Find(TEventInfo &info) { return TTestObjectDlg::Find(info); }

void TSquareMira::SetupWindow() {
  TTestObjectDlg::SetupWindow();
  groups = 1;
  strokesMin = 10;
  strokesMax = 10;
  binder->WriteAll();
}

int TSquareMira::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const std::int32_t formerGroups = groups, formerMin = strokesMin, formerMax = strokesMax;
  const struct {
    int id;
    const char *field;
    std::int32_t *value;
  } counts[] = {{kSquareGroupsEdit, "N group in row", &groups},
                {kSquareStrokesMinEdit, "N strokes min", &strokesMin},
                {kSquareStrokesMaxEdit, "N strokes max", &strokesMax}};
  // Every refused box shows its value again; the first refusal is told.
  std::string refusal;
  for (const auto &count : counts) {
    const std::string message = PositiveFieldRefusal(*this, count.id, count.field);
    if (message.empty()) continue;
    if (refusal.empty()) refusal = message;
    binder->WriteOne(count.value);
  }
  binder->ReadAll();
  // Fractions below 1 read as none.
  if (groups < 1) groups = 1;
  if (strokesMin < 1) strokesMin = 1;
  if (strokesMax < strokesMin) {
    if (refusal.empty()) refusal = "Parameter 'N strokes max' can not be less than 'N strokes min'!";
    strokesMax = strokesMin;
  }
  if (groups != formerGroups || strokesMin != formerMin || strokesMax != formerMax) state = kNothingComputed;
  if (refusal.empty()) return 1;
  TellFieldRefusal(*this, refusal);
  binder->WriteAll();
  return 0;
}

int TSquareMira::ShowParameters() {
  if (GetHandle() != nullptr) binder->WriteAll();
  return 1;
}

int TSquareMira::Calculate() {
  ReadParameters();
  if (state >= kRastersWritten) return 1;
  const TTestImage *shared = Image();
  if (shared == nullptr) return 0;
  // Real or not, the run's rasters are the Quality's N x N.
  const int n = SynthesisPixelCount();
  if (n <= 0 || !Fill(plane, n)) return 0;
  return WriteObjectRaster(*this, plane);
}

int TSquareMira::Fill(Mem<float> &raster, int n) {
  return FillSquareMira(raster, n, groups, strokesMin, strokesMax);
}

double TSquareMira::ValueAt(int, double fieldX, double fieldY) {
  const TTestImage *shared = Image();
  return shared != nullptr ? SquareMiraValue(plane, shared->objectStep, fieldX, fieldY) : 0.0;
}
