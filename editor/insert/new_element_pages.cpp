#include "editor/insert/new_element_pages.h"

#include "editor/dialogs/number_field.h"
#include "editor/insert/new_elements.h"
#include "foundation/numtext/typed_number.h"
#include "toolkit/binding/field_label.h"

namespace {

constexpr double kDefaultSurfaceRadius = 50.0;
constexpr const char *kDefaultSurfaceGlass = "N-BK7_schott";
constexpr double kDefaultMirrorRadius = -200.0;
constexpr double kDefaultConic = 0.0;
constexpr double kDefaultTilt = 0.0;
constexpr double kDefaultApex = 60.0;
constexpr const char *kDefaultPrismGlass = "F2_schott";
constexpr double kDefaultFace = 20.0;

constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;

const TDialogTemplate kNewSurfacePageDlg{
    "NewSurfacePage", WS_CHILD | WS_CAPTION, 0, 0, 278, 112, "",
    {
        {"STATIC", "Radius, mm", -1, SS_LEFT, 12, 26, 90, 10},
        {"EDIT", "", kSurfaceRadiusId, kEdit, 110, 24, 90, 12},
        {"STATIC", "Glass behind", -1, SS_LEFT, 12, 46, 90, 10},
        {"EDIT", "", kSurfaceGlassId, kEdit, 110, 44, 90, 12},
        {"STATIC", "One refracting surface: radius 0 is plane, glass \"air\" leaves into air", -1, SS_LEFT,
         12, 66, 256, 18},
    }};
const TDialogTemplate kNewMirrorPageDlg{
    "NewMirrorPage", WS_CHILD | WS_CAPTION, 0, 0, 278, 112, "",
    {
        {"STATIC", "Radius or focal length, mm", -1, SS_LEFT, 12, 22, 96, 10},
        {"EDIT", "", kMirrorRadiusId, kEdit, 110, 20, 90, 12},
        {"BUTTON", "The number is the focal length", kMirrorFocusCheckId, kCheck, 12, 36, 190, 10},
        {"STATIC", "Conic term (1: paraboloid)", -1, SS_LEFT, 12, 52, 96, 10},
        {"EDIT", "", kMirrorConicId, kEdit, 110, 50, 90, 12},
        {"STATIC", "Tilt, degrees", -1, SS_LEFT, 12, 68, 96, 10},
        {"EDIT", "", kMirrorTiltId, kEdit, 110, 66, 90, 12},
        {"STATIC", "Radius 0: plane; conic 0: spherical. A concave mirror has a negative radius and a "
                   "positive focal length; tilt 45 folds the beam by 90 degrees",
         -1, SS_LEFT, 12, 84, 256, 26},
    }};
const TDialogTemplate kNewPrismPageDlg{
    "NewPrismPage", WS_CHILD | WS_CAPTION, 0, 0, 278, 112, "",
    {
        {"STATIC", "Apex angle, degrees", -1, SS_LEFT, 12, 26, 90, 10},
        {"EDIT", "", kPrismApexId, kEdit, 110, 24, 90, 12},
        {"STATIC", "Glass", -1, SS_LEFT, 12, 46, 90, 10},
        {"EDIT", "", kPrismGlassId, kEdit, 110, 44, 90, 12},
        {"STATIC", "Face size, mm", -1, SS_LEFT, 12, 66, 90, 10},
        {"EDIT", "", kPrismFaceId, kEdit, 110, 64, 90, 12},
        {"STATIC", "Set at minimum deviation for the working wavelength: the ray inside runs parallel to "
                   "the base",
         -1, SS_LEFT, 12, 82, 256, 26},
    }};
const TDialogRegistration kSurfaceRegistration(kNewSurfacePageDlg);
const TDialogRegistration kMirrorRegistration(kNewMirrorPageDlg);
const TDialogRegistration kPrismRegistration(kNewPrismPageDlg);

}  // namespace

bool ReadNumberFields(TDialog &page, std::span<const TNumberField> fields, std::string &error) {
  for (const TNumberField &f : fields) {
    double value = f.fallback;
    if (page.GetHandle() != nullptr) {
      char text[64] = {};
      page.GetDlgItemText(f.id, text, sizeof text);
      const TNumberRead read = ReadTypedNumber(text, value);
      if (read != TNumberRead::Number) {
        TWindow *field = page.ChildWithId(f.id);
        error = RefusedNumberMessage(field != nullptr ? FieldLabel(page, *field) : "Field", text, read);
        if (field != nullptr) field->SetFocus();
        return false;
      }
    }
    *f.value = value;
  }
  return true;
}

std::string FieldText(const TDialog &page, int id, const char *fallback) {
  if (page.GetHandle() == nullptr) return fallback;
  char text[64] = {};
  page.GetDlgItemText(id, text, sizeof text);
  return text;
}

TNewSurfacePage::TNewSurfacePage(TWindow *folder) : TNewElementPage(folder, "NewSurfacePage") {}

void TNewSurfacePage::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  SetDlgItemText(kSurfaceRadiusId, NumberFieldText(kDefaultSurfaceRadius).c_str());
  SetDlgItemText(kSurfaceGlassId, kDefaultSurfaceGlass);
}

int TNewSurfacePage::Make(TSystemImage &system, TInsertedElementInfo &info, std::string &error) {
  double radius = 0.0;
  const TNumberField fields[] = {{kSurfaceRadiusId, kDefaultSurfaceRadius, &radius}};
  if (!ReadNumberFields(*this, fields, error)) return 0;
  return InsertSingleSurface(system, info, radius, FieldText(*this, kSurfaceGlassId, kDefaultSurfaceGlass), error);
}

TNewMirrorPage::TNewMirrorPage(TWindow *folder) : TNewElementPage(folder, "NewMirrorPage") {}

void TNewMirrorPage::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  SetDlgItemText(kMirrorRadiusId, NumberFieldText(kDefaultMirrorRadius).c_str());
  SetDlgItemText(kMirrorConicId, NumberFieldText(kDefaultConic).c_str());
  SetDlgItemText(kMirrorTiltId, NumberFieldText(kDefaultTilt).c_str());
}

int TNewMirrorPage::Make(TSystemImage &system, TInsertedElementInfo &info, std::string &error) {
  TMirrorShape shape;
  const TNumberField fields[] = {{kMirrorRadiusId, kDefaultMirrorRadius, &shape.radius},
                                 {kMirrorConicId, kDefaultConic, &shape.conic},
                                 {kMirrorTiltId, kDefaultTilt, &shape.tiltDegrees}};
  if (!ReadNumberFields(*this, fields, error)) return 0;
  if (GetHandle() != nullptr && IsDlgButtonChecked(kMirrorFocusCheckId) == BST_CHECKED)
    shape.radius = MirrorRadiusForFocus(shape.radius);
  return InsertMirror(system, info, shape, error);
}

TNewPrismPage::TNewPrismPage(TWindow *folder) : TNewElementPage(folder, "NewPrismPage") {}

void TNewPrismPage::SetupWindow() {
  TBookMarkDlg::SetupWindow();
  SetDlgItemText(kPrismApexId, NumberFieldText(kDefaultApex).c_str());
  SetDlgItemText(kPrismGlassId, kDefaultPrismGlass);
  SetDlgItemText(kPrismFaceId, NumberFieldText(kDefaultFace).c_str());
}

int TNewPrismPage::Make(TSystemImage &system, TInsertedElementInfo &info, std::string &error) {
  double apex = 0.0;
  double face = 0.0;
  const TNumberField fields[] = {{kPrismApexId, kDefaultApex, &apex}, {kPrismFaceId, kDefaultFace, &face}};
  if (!ReadNumberFields(*this, fields, error)) return 0;
  return InsertPrism(system, info, apex, FieldText(*this, kPrismGlassId, kDefaultPrismGlass), face, error);
}
