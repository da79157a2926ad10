// The folder's fields as a user fills them on a shipped lens: the Detector page's sizes
// are millimetres in the box, in the element drawn and in the rule that raises a size
// below one image pixel; Parameters > Default leaves an object the lens is laid out to
// image; and a size, distance or count that is no number or not above zero is refused
// by the field's name before anything is computed.

#include "synthesis/folder/test_object_folder.h"

#include <cmath>
#include <string>

#include "foundation/testing/approx.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/detector_parameters.h"
#include "synthesis/detectors/array_detector_dlgs.h"
#include "synthesis/detectors/array_detectors.h"
#include "synthesis/detectors/element_detector_dlgs.h"
#include "synthesis/detectors/element_detectors.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "synthesis/objects/radial_mira.h"
#include "synthesis/objects/test_object_parent.h"

namespace {

// A 0.5 mm target in image space on 256 cells at 0.8 of the field: cells of
// 0.5 / 256 / 0.8 mm = 2.44 micrometres.
constexpr const char *kTargetSideMetres = "0.0005";
constexpr double kCellMm = 0.5 / 256.0 / 0.8;
// Boxes show "%g": six significant digits.
constexpr double kShownTolerance = 1e-5;
constexpr double kArcMinute = 0.000290888;  // radians
constexpr double kDegree = 0.017453292519943295;
// The image fields below are f x angle (paraxial) against the real chief rays the folder
// traces: the singlet's 0.1-degree ray and the triplet's 20-degree field differ from the
// paraxial image by the lenses' distortion, under 2 %.
constexpr double kParaxialTolerance = 0.02;
// Focal lengths from the examples' descriptions.
constexpr double kSingletFocalMm = 49.213;
constexpr double kTripletFocalMm = 50.0;

class FieldsRoad : public TFolderTestBase {
 protected:
  void UseLens(const char *file) {
    ASSERT_EQ(system_.ReadFile(ExamplePath(file), 0), 1);
    system_.name = Scratch("lens.os");
  }
  TTestObjectParent &ObjectPage() {
    return *dynamic_cast<TTestObjectParent *>(folder_->ObjectPage()->PageWindow());
  }
  TTestDetector &DetectorPage() { return *dynamic_cast<TTestDetector *>(folder_->DetectorPage()->PageWindow()); }
  static void Type(TWindow &dialog, int id, const std::string &text) {
    SetDlgItemText(dialog.GetHandle(), id, text.c_str());
  }
  // The triplet's folder open with its object 0.25 m across taken: that size as the record
  // holds it.
  double OpenTripletAQuarterMetreAcross() {
    UseLens("cooke_triplet.os");
    OpenFolder();
    Type(ObjectPage(), kObjectSizeEdit, "0.25");
    EXPECT_EQ(ObjectPage().ReadObjectSize(), 1);
    return GetTestImage()->ObjectSize;
  }
  static std::string Shown(TWindow &dialog, int id) {
    char text[64] = {};
    GetDlgItemText(dialog.GetHandle(), id, text, static_cast<int>(sizeof text));
    return text;
  }
  // The object sized in image space, metres.
  void SizeInImageSpace(const char *metres) {
    TTestObjectParent &page = ObjectPage();
    page.CheckDlgButton(kObjectSpaceRadio, BST_UNCHECKED);
    page.CheckDlgButton(kImageSpaceRadio, BST_CHECKED);
    page.CmSpace();
    page.CheckDlgButton(kUnitMinutesRadio, BST_UNCHECKED);
    page.CheckDlgButton(kUnitMetresRadio, BST_CHECKED);
    page.CmUnitM();
    Type(page, kObjectSizeEdit, metres);
    ASSERT_EQ(page.ReadObjectSize(), 1);
  }
  void PressColor() { folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0); }
  // The cells the chosen element covers in its response raster.
  // The element's area in cells: each cell holds the share of it the element covers.
  double CoveredCells(TTestObject &model) {
    EXPECT_GT(RecordCount(model.rasterFiles), 0);
    if (RecordCount(model.rasterFiles) == 0) return -1;
    Mem<float> raster;
    EXPECT_EQ(model.rasterFiles.data[0].Read(raster), 1);
    double covered = 0.0;
    for (int i = 0; i < raster.cols * raster.rows; ++i) covered += raster.data[i];
    return covered;
  }
};

TEST_F(FieldsRoad, DetectorSizesAreMillimetresInTheBoxTheElementAndTheRaiseToOnePixel) {
  UseLens("cooke_triplet.os");
  OpenFolder();
  SizeInImageSpace(kTargetSideMetres);
  EXPECT_APPROX(GetTestImage()->pixelSize, kCellMm, 1e-12);
  TTestDetector &page = DetectorPage();
  for (int type = kDetectorRound; type <= kDetectorDoubleLine; ++type) {
    SCOPED_TRACE(type);
    ASSERT_EQ(page.ChooseDetectorType(type), 1);
    auto *dialog = dynamic_cast<TWindow *>(page.Model(type));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Shown(*dialog, kDetectorUnitLabel), "(mm)");
    const int sizeBox = type <= kDetectorRectangle ? static_cast<int>(kDetectorFirstSizeEdit)
                                                   : static_cast<int>(kArrayElementYEdit);
    // 0.02 mm is 20 micrometres, eight cells: above one cell, so nothing raises it.
    Type(*dialog, sizeBox, "0.02");
    if (type == kDetectorRectangle) Type(*dialog, kDetectorSecondSizeEdit, "0.02");
    answers_->boxes.clear();
    PressColor();
    EXPECT_TRUE(answers_->boxes.empty());
    EXPECT_EQ(folder_->state, kRastersWritten);
    EXPECT_EQ(Shown(*dialog, sizeBox), "0.02");
    if (auto *round = dynamic_cast<TDetectorRoundModel *>(page.Model(type))) {
      // A disc 20 um across on 2.44 um cells, radius 4.1 cells: about pi 4.1^2 = 53
      // cells. In micrometres read as millimetres it would fill the field; read as
      // micrometres of micrometres, one cell.
      EXPECT_EQ(round->Diameter, 0.02f);
      const double covered = CoveredCells(*round);
      EXPECT_GT(covered, 45);
      EXPECT_LT(covered, 61);
      // 20 is 20 mm, far past the 0.5 mm field: the element is cut to 0.8 of the field,
      // 0.4 mm, not taken as 20 micrometres.
      Type(*dialog, sizeBox, "20");
      PressColor();
      EXPECT_APPROX(round->Diameter, 0.8 * 256 * kCellMm, 1e-4);
    } else if (auto *rectangle = dynamic_cast<TDetectorRectangleModel *>(page.Model(type))) {
      // 20 um a side, 8.2 cells: 67 cells' area.
      EXPECT_APPROX(CoveredCells(*rectangle), (0.02 / kCellMm) * (0.02 / kCellMm), 1e-5);
    } else if (auto *array = dynamic_cast<TArrayDetectorModel *>(page.Model(type))) {
      EXPECT_EQ(array->Ly, 0.02f);
      // 1 micrometre is below the 2.44 um cell: it is raised to one cell, in millimetres.
      Type(*dialog, sizeBox, "0.001");
      PressColor();
      EXPECT_APPROX(array->Ly, kCellMm, 1e-6);
      EXPECT_APPROX(std::stod(Shown(*dialog, sizeBox)), kCellMm, kShownTolerance);
    }
  }
}

TEST_F(FieldsRoad, DefaultGivesTheSingletAnObjectWithinItsField) {
  UseLens("singlet.os");
  OpenFolder();
  // A fine target sized in image space first, then the defaults.
  SizeInImageSpace(kTargetSideMetres);
  folder_->SendMessage(WM_COMMAND, CM_SYNTHESIS_DEFAULT_SETTINGS, 0);
  const TTestImage &image = *GetTestImage();
  EXPECT_EQ(image.ObjectSpaceCheck, 1);
  EXPECT_EQ(image.UnitBtn, kUnitMinutes);
  EXPECT_EQ(image.pixelCount, 128);
  // The singlet is laid out for the axis alone: the object is the folder's scale field,
  // 0.1 degree either side, 12 arc minutes, and its image f x 12' = 0.17 mm.
  EXPECT_APPROX(image.ObjectSize, 12.0, 1e-9);
  EXPECT_APPROX(image.fieldSize, kSingletFocalMm * 12.0 * kArcMinute,
                kParaxialTolerance * kSingletFocalMm * 12.0 * kArcMinute);
  EXPECT_APPROX(std::stod(Shown(ObjectPage(), kObjectSizeEdit)), 12.0, kShownTolerance);
  // The fresh folder's own object (its first field, far past the axis) is brought in too.
  folder_->SendMessage(WM_COMMAND, IDCANCEL, 0);
  delete folder_;
  folder_ = nullptr;
  OpenFolder();
  folder_->SendMessage(WM_COMMAND, CM_SYNTHESIS_DEFAULT_SETTINGS, 0);
  EXPECT_APPROX(GetTestImage()->ObjectSize, 12.0, 1e-9);
}

TEST_F(FieldsRoad, DefaultKeepsAnObjectWithinTheTripletsFieldAndBringsALargerOneIn) {
  UseLens("cooke_triplet.os");
  OpenFolder();
  // The folder's first object lies within the triplet's 20 degrees: Default keeps its image.
  const double firstField = GetTestImage()->fieldSize;
  folder_->SendMessage(WM_COMMAND, CM_SYNTHESIS_DEFAULT_SETTINGS, 0);
  EXPECT_APPROX(GetTestImage()->fieldSize, firstField, 1e-9);
  EXPECT_LT(GetTestImage()->ObjectSize, 2400.0);
  // A 50 mm image on a 50 mm lens is 53 degrees of field: Default brings it to the
  // triplet's 2 x 20 degrees, 2400', whose image is 2 f tan 20 = 36.4 mm.
  SizeInImageSpace("0.05");
  folder_->SendMessage(WM_COMMAND, CM_SYNTHESIS_DEFAULT_SETTINGS, 0);
  EXPECT_APPROX(GetTestImage()->ObjectSize, 2400.0, 1e-9);
  const double expected = 2.0 * kTripletFocalMm * std::tan(20.0 * kDegree);
  EXPECT_APPROX(GetTestImage()->fieldSize, expected, kParaxialTolerance * expected);
}

TEST_F(FieldsRoad, LettersZerosAndNegativesInTheObjectFieldsAreRefusedByName) {
  const double size = OpenTripletAQuarterMetreAcross();
  TTestObjectParent &page = ObjectPage();
  struct TCase {
    TWindow *dialog;
    int box;
    const char *typed;
    const char *message;
    const char *kept;
  };
  const TCase cases[] = {
      {&page, kObjectSizeEdit, "abc", "Size: \"abc\" is not a number.", "0.25"},
      {&page, kObjectSizeEdit, "0", "Parameter 'Size' can not be 0!", "0.25"},
      {&page, kObjectSizeEdit, "", "Parameter 'Size' can not be 0!", "0.25"},
      {&page, kObjectSizeEdit, "-1", "Parameter 'Size' can not be negative!", "0.25"},
      {&page, kObjectDistanceEdit, "1km", "Distance: \"1km\" is not a number.", "1000"},
      {&page, kObjectDistanceEdit, "0", "Parameter 'Distance' can not be 0!", "1000"},
      {page.RadialMira(), kRadialStrokesEdit, "x", "N strokes: \"x\" is not a number.", "20"},
      {page.RadialMira(), kRadialStrokesEdit, "0", "Parameter 'N strokes' can not be 0!", "20"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.typed);
    Type(*c.dialog, c.box, c.typed);
    answers_->boxes.clear();
    PressColor();
    // Told once, by the field's name; the box shows what is kept and nothing is computed.
    ASSERT_EQ(answers_->boxes.size(), 1u);
    EXPECT_EQ(answers_->boxes[0].text, c.message);
    EXPECT_EQ(answers_->boxes[0].caption, "Warning");
    EXPECT_EQ(Shown(*c.dialog, c.box), c.kept);
    EXPECT_EQ(folder_->state, kNothingComputed);
    EXPECT_EQ(GetTestImage()->picture, nullptr);
    EXPECT_EQ(GetTestImage()->ObjectSize, size);
  }
  // The page cannot be left with a refused size either.
  Type(page, kObjectSizeEdit, "0");
  answers_->boxes.clear();
  EXPECT_EQ(page.LeavePage(), 0);
  EXPECT_EQ(answers_->boxes.size(), 1u);
  // What is a size is taken, and Color computes.
  Type(page, kObjectSizeEdit, "0.3");
  answers_->boxes.clear();
  PressColor();
  EXPECT_TRUE(answers_->boxes.empty());
  EXPECT_EQ(folder_->state, kRastersWritten);
  EXPECT_APPROX(GetTestImage()->ObjectSize, 0.3, 1e-12);
}

TEST_F(FieldsRoad, SeveralFieldsRefusedInOneReadAreToldInOneBox) {
  const double size = OpenTripletAQuarterMetreAcross();
  TTestObjectParent &page = ObjectPage();
  const auto typeAllThree = [&] {
    Type(page, kObjectSizeEdit, "0");
    Type(page, kObjectDistanceEdit, "-5");
    Type(*page.RadialMira(), kRadialStrokesEdit, "x");
    answers_->boxes.clear();
  };
  // Color: the first refusal alone is told; every refused box shows what is kept and
  // nothing is computed.
  typeAllThree();
  PressColor();
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "Parameter 'Size' can not be 0!");
  EXPECT_EQ(Shown(page, kObjectSizeEdit), "0.25");
  EXPECT_EQ(Shown(page, kObjectDistanceEdit), "1000");
  EXPECT_EQ(Shown(*page.RadialMira(), kRadialStrokesEdit), "20");
  EXPECT_EQ(folder_->state, kNothingComputed);
  EXPECT_EQ(GetTestImage()->picture, nullptr);
  EXPECT_EQ(GetTestImage()->ObjectSize, size);
  // Leaving the page the same way: one box, and the page stays.
  typeAllThree();
  EXPECT_EQ(page.LeavePage(), 0);
  EXPECT_EQ(answers_->boxes.size(), 1u);
  // The distance and the count alone: the distance is told.
  Type(page, kObjectDistanceEdit, "0");
  Type(*page.RadialMira(), kRadialStrokesEdit, "0");
  answers_->boxes.clear();
  PressColor();
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "Parameter 'Distance' can not be 0!");
  EXPECT_EQ(folder_->state, kNothingComputed);
  // Corrected, Color computes without a word.
  Type(page, kObjectDistanceEdit, "1000");
  Type(*page.RadialMira(), kRadialStrokesEdit, "20");
  answers_->boxes.clear();
  PressColor();
  EXPECT_TRUE(answers_->boxes.empty());
  EXPECT_EQ(folder_->state, kRastersWritten);
}

}  // namespace
