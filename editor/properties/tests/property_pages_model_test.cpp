// The general information and the beams and wavelengths of the system's properties: the
// first-order values against a paraxial trace of the lens data, the temperature and
// pressure, the aperture, and the field and wavelength lists with their empty row; and the
// numbers the pages read.

#include <cmath>
#include <cstdlib>
#include <string>

#include "document/system/tests/editor_test_support.h"
#include "editor/properties/beams_model.h"
#include "editor/properties/general_info_model.h"
#include "foundation/testing/comma_locale.h"

namespace {

// The system's first-order values come from two real rays 0.1 mm apart near the axis; the
// paraxial limit differs from them by the aperture terms of that height, (0.1 / 50)^2 times
// the lens's spherical coefficients: well below 1e-4 of the focal length.
constexpr double kRealAgainstParaxial = 1e-4;
// The cells show computed values to 7 significant digits: half a unit of the last one.
constexpr double kShownDigits = 5e-7;

double Shown(const std::vector<TGeneralInfoItem> &items, int line) {
  return std::strtod(items[static_cast<std::size_t>(line)].value.c_str(), nullptr);
}

class PropertyPagesTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Open(image, "cooke_triplet.os");
    image.RebuildElements(nullptr);
    image.StoreConfiguration(-1);
    image.DeleteUndoFiles();
    ASSERT_EQ(image.SaveUndo(""), 1);
  }
  // Effective focal length and back focal distance of surfaces 1 .. n-2 (reversed: with
  // the light entering at n-2).
  void ParaxialConstants(double &focal, double &backFocus, bool reversed = false) {
    ParaxialOf(image, 1, image.SurfaceCount() - 2, reversed, focal, backFocus);
  }
  TSystemImage image;
};

TEST_F(PropertyPagesTest, TheFirstOrderValuesAgreeWithAParaxialTraceOfTheLens) {
  double focal = 0.0, backFocus = 0.0;
  ParaxialConstants(focal, backFocus);
  const std::vector<TGeneralInfoItem> items = GeneralInfoItems(image);
  ASSERT_EQ(static_cast<int>(items.size()), kGeneralInfoLineCount);
  EXPECT_APPROX(Shown(items, kFocalLengthLine), focal, kRealAgainstParaxial);
  EXPECT_APPROX(Shown(items, kBackFocalDistanceLine), backFocus, kRealAgainstParaxial);
  // The designer's 50 mm at f/5 with the entrance pupil of 10 the file gives.
  EXPECT_NEAR(focal, 50.0, 0.5);
  EXPECT_APPROX(Shown(items, kEntrancePupilLine), 10.0, kShownDigits);
  EXPECT_APPROX(Shown(items, kFNumberLine), Shown(items, kFocalLengthLine) / 10.0, kShownDigits);
  // The stop is the rear face of the negative lens; an object at infinity has no
  // magnification.
  EXPECT_EQ(items[kStopSurfaceLine].value, "5");
  EXPECT_EQ(items[kMagnificationLine].value, "-");
  // From the first lens face to the image: the file's spaces after the object's 10.
  EXPECT_APPROX(Shown(items, kTrackLengthLine),
                3.25896 + 6.00755 + 0.99997 + 4.75041 + 2.95208 + 42.20778, kShownDigits);
  EXPECT_EQ(items[kTemperatureLine].value, "20");
  EXPECT_EQ(items[kPressureLine].value, "760");
  EXPECT_TRUE(items[kTemperatureLine].editable);
  EXPECT_FALSE(items[kFocalLengthLine].editable);

  // Turned round, the lens images a finite object at infinity: the same focal length, the
  // back focus of the light entering at the old last face, f / D of the pupil on the side
  // at infinity (the old entrance pupil), and no lateral magnification.
  double turnedBackFocus = 0.0;
  ParaxialConstants(focal, turnedBackFocus, true);
  image.ForEachConfiguration();
  const std::vector<TGeneralInfoItem> turned = GeneralInfoItems(image);
  EXPECT_APPROX(Shown(turned, kFocalLengthLine), focal, kRealAgainstParaxial);
  EXPECT_APPROX(Shown(turned, kBackFocalDistanceLine), turnedBackFocus, kRealAgainstParaxial);
  EXPECT_APPROX(Shown(turned, kFNumberLine), focal / 10.0, kRealAgainstParaxial);
  EXPECT_EQ(turned[kMagnificationLine].value, "-");
}

TEST_F(PropertyPagesTest, TemperatureAndPressureAreCheckedTakenAndUndone) {
  const double indexAt20 = image.Surface(1)->general.nAfter;
  EXPECT_NE(EditGeneralInfo(image, kTemperatureLine, "warm").message.find("\"warm\" is not a number"),
            std::string::npos);
  EXPECT_NE(EditGeneralInfo(image, kTemperatureLine, "-300").message.find("above -273.15"), std::string::npos);
  EXPECT_NE(EditGeneralInfo(image, kPressureLine, "-1").message.find("between 0 and"), std::string::npos);
  EXPECT_FALSE(EditGeneralInfo(image, kFocalLengthLine, "40").accepted);
  ASSERT_TRUE(EditGeneralInfo(image, kTemperatureLine, "60").accepted);
  EXPECT_EQ(image.info.Temperature, 60.0);
  // The glass's index is taken at the new temperature.
  EXPECT_NE(image.Surface(1)->general.nAfter, indexAt20);
  ASSERT_TRUE(EditGeneralInfo(image, kPressureLine, "0").accepted);
  EXPECT_EQ(image.info.Pressure, 0.0);
  EXPECT_EQ(image.UndoMenuText(), "Undo Pressure (ctrl-Z)");
  ASSERT_EQ(image.Undo(-1), 1);
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(image.info.Temperature, 20.0);
  EXPECT_EQ(image.info.Pressure, 760.0);
  // Typed 60 and then 20 again: the system saved is the file's, digit for digit.
  const std::string path = Scratch("round.os");
  ASSERT_EQ(image.Save(path), 1);
  const std::string before = ReadText(path);
  ASSERT_TRUE(EditGeneralInfo(image, kTemperatureLine, "60").accepted);
  ASSERT_TRUE(EditGeneralInfo(image, kTemperatureLine, "20").accepted);
  ASSERT_EQ(image.Save(path), 1);
  EXPECT_EQ(ReadText(path), before);
  // A private glass at another temperature: told once that its catalog's thermal data are
  // not applied, as the open tells it.
  image.Surface(1)->general.glass = "n-bk7-hrz_private";
  const std::size_t boxes = BoxCount();
  for (const char *degrees : {"60", "60"}) ASSERT_TRUE(EditGeneralInfo(image, kTemperatureLine, degrees).accepted);
  ASSERT_EQ(BoxCount(), boxes + 1);
  EXPECT_NE(Boxes().boxes.back().text.find("private catalog are not applied"), std::string::npos);
}

// An edit is taken whether or not Undo can keep it. A directory that fails is told; with no
// private directory at all Undo is off, as the start said once, and each edit says nothing.
TEST_F(PropertyPagesTest, AnEditUndoCannotKeepIsTakenAndOnlyAFailingDirectoryIsTold) {
  const std::string kept = TempDir();
  const std::string blocker = Scratch("blocker");
  WriteText(blocker, "a file\n");
  const struct {
    std::string directory;
    bool told;
  } cases[] = {{blocker + "/tmp", true}, {"", false}};
  double temperature = 30.0;
  for (const auto &c : cases) {
    SetTempDir(c.directory);
    temperature += 10.0;
    const TPropertyEdit edit = EditGeneralInfo(image, kTemperatureLine, FormatPropertyNumber(temperature));
    EXPECT_TRUE(edit.accepted) << c.directory;
    EXPECT_EQ(image.info.Temperature, temperature) << c.directory;
    EXPECT_EQ(edit.message.empty(), !c.told) << c.directory << ": " << edit.message;
  }
  SetTempDir(kept);
}

TEST_F(PropertyPagesTest, FieldPointsGrowThroughTheEmptyRowAndShrinkWhenCleared) {
  ASSERT_EQ(image.info.BeamCount(), 3);
  EXPECT_STREQ(FieldCaption(image), "Field angle, deg");
  ASSERT_TRUE(EditField(image, 3, "7").accepted);
  ASSERT_EQ(image.info.BeamCount(), 4);
  EXPECT_EQ(FieldText(image, 3), "7");
  ASSERT_TRUE(EditField(image, 1, " ").accepted);
  ASSERT_EQ(image.info.BeamCount(), 3);
  EXPECT_EQ(FieldText(image, 1), "20");
  EXPECT_NE(EditField(image, 0, "95").message.find("between -90 and 90"), std::string::npos);
  EXPECT_NE(EditField(image, 0, "x").message.find("is not a number"), std::string::npos);
  // The empty row left empty changes nothing and says nothing.
  const TPropertyEdit nothing = EditField(image, 3, "");
  EXPECT_FALSE(nothing.accepted);
  EXPECT_TRUE(nothing.message.empty());
  ASSERT_TRUE(EditField(image, 0, "").accepted);
  ASSERT_TRUE(EditField(image, 0, "").accepted);
  EXPECT_NE(EditField(image, 0, "").message.find("at least one field point"), std::string::npos);
  EXPECT_EQ(image.info.BeamCount(), 1);
  // The configuration record keeps the fields with the undo step.
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(image.info.BeamCount(), 2);
}

TEST_F(PropertyPagesTest, WavelengthsAndWeightsAreListedCheckedAndCounted) {
  ASSERT_EQ(image.info.WavelengthCount(), 3);
  EXPECT_EQ(SpectrumText(image, 0, kWavelengthColumn), "0.48");
  EXPECT_NE(EditSpectrum(image, 3, kWeightColumn, "2").message.find("wavelength first"), std::string::npos);
  ASSERT_TRUE(EditSpectrum(image, 3, kWavelengthColumn, "0,7").accepted);
  ASSERT_EQ(image.info.WavelengthCount(), 4);
  EXPECT_EQ(SpectrumText(image, 3, kWeightColumn), "1");
  ASSERT_TRUE(EditSpectrum(image, 3, kWeightColumn, "0.5").accepted);
  EXPECT_EQ(image.info.Spectrum.data[3].weight, 0.5);
  EXPECT_NE(EditSpectrum(image, 0, kWeightColumn, "-1").message.find("0 or more"), std::string::npos);
  EXPECT_NE(EditSpectrum(image, 0, kWavelengthColumn, "0").message.find("between 0.1 and 100"), std::string::npos);
  // Beyond the glasses' data: taken and told as on every road, and traced no more (no
  // first-order figures) until it goes again.
  const TPropertyEdit far = EditSpectrum(image, 4, kWavelengthColumn, "5");
  ASSERT_TRUE(far.accepted);
  EXPECT_EQ(far.message, UntracedSystemText(image));
  EXPECT_EQ(far.message,
            "The glass n-sk16_schott gives indices from 0.31 to 2.5 µm only, not at 5 µm; the glass f2_schott gives "
            "indices from 0.32 to 2.5 µm only, not at 5 µm: the system is not traced until a glass or a wavelength "
            "is changed.");
  EXPECT_EQ(GeneralInfoItems(image)[kFocalLengthLine].value, "-");
  // Redo and Undo back to it tell it as the edit did, naming no file of the program's own.
  ASSERT_EQ(image.Undo(-1), 1);
  std::size_t told = Boxes().boxes.size();
  ASSERT_EQ(image.Redo(), 1);
  ASSERT_EQ(Boxes().boxes.size(), told + 1);
  EXPECT_EQ(Boxes().boxes.back().text, far.message);
  ASSERT_TRUE(EditSpectrum(image, 4, kWavelengthColumn, "").accepted);
  EXPECT_NE(GeneralInfoItems(image)[kFocalLengthLine].value, "-");
  told = Boxes().boxes.size();
  ASSERT_EQ(image.Undo(-1), 1);
  ASSERT_EQ(Boxes().boxes.size(), told + 1);
  EXPECT_EQ(Boxes().boxes.back().text, far.message);
  EXPECT_EQ(GeneralInfoItems(image)[kFocalLengthLine].value, "-");
  ASSERT_TRUE(EditSpectrum(image, 4, kWavelengthColumn, "").accepted);
  EXPECT_NE(GeneralInfoItems(image)[kFocalLengthLine].value, "-");
  for (int k = 0; k < 3; ++k) ASSERT_TRUE(EditSpectrum(image, 0, kWavelengthColumn, "").accepted);
  EXPECT_EQ(image.info.WavelengthCount(), 1);
  EXPECT_EQ(image.info.MonochromeSystem, 1);
  EXPECT_NE(EditSpectrum(image, 0, kWavelengthColumn, "").message.find("at least one wavelength"),
            std::string::npos);
}

TEST_F(PropertyPagesTest, AGivenPupilOrStopEndsTheAutomaticChoice) {
  image.info.AutoSetPupilParameters = 1;
  EXPECT_EQ(ApertureText(image, kPupilDiameterLine), "auto");
  EXPECT_EQ(ApertureText(image, kStopLine), "auto");
  ASSERT_TRUE(EditAperture(image, kPupilDiameterLine, "12.5").accepted);
  EXPECT_EQ(image.info.AutoSetPupilParameters, 0);
  EXPECT_EQ(ApertureText(image, kPupilDiameterLine), "12.5");
  const std::vector<TGeneralInfoItem> items = GeneralInfoItems(image);
  EXPECT_APPROX(Shown(items, kEntrancePupilLine), 12.5, kShownDigits);
  EXPECT_NE(EditAperture(image, kStopLine, "8").message.find("from 1 to 7"), std::string::npos);
  EXPECT_NE(EditAperture(image, kStopLine, "2.5").message.find("not a surface number"), std::string::npos);
  ASSERT_TRUE(EditAperture(image, kStopLine, "3").accepted);
  EXPECT_EQ(image.info.Naper, 3);
  // 0 takes the diameter from the stop again: the rear face of the first lens, 20 across,
  // seen through its convex front face, which enlarges it. The general page shows what the
  // solve found; the pupil line keeps the choice, through solves and an undo.
  ASSERT_TRUE(EditAperture(image, kPupilDiameterLine, "0").accepted);
  const double fromStop = Shown(GeneralInfoItems(image), kEntrancePupilLine);
  EXPECT_GT(fromStop, 20.0);
  EXPECT_EQ(image.info.Dentr, 0.0);
  EXPECT_EQ(ApertureText(image, kPupilDiameterLine), "from stop");
  ASSERT_TRUE(EditAperture(image, kWorkingWavelengthApertureLine, "0.6").accepted);
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(ApertureText(image, kPupilDiameterLine), "from stop");
  EXPECT_APPROX(Shown(GeneralInfoItems(image), kEntrancePupilLine), fromStop, kShownDigits);
  EXPECT_NE(EditAperture(image, kWorkingWavelengthApertureLine, "500").message.find("micrometres"),
            std::string::npos);
}

TEST(PropertyNumbers, OnlyPlainFiniteNumbersAreRead) {
  double value = 0.0;
  ASSERT_TRUE(ParsePropertyNumber(" 1,5 ", value));
  EXPECT_EQ(value, 1.5);
  ASSERT_TRUE(ParsePropertyNumber("-2e3", value));
  EXPECT_EQ(value, -2000.0);
  for (const char *bad : {"", "  ", "abc", "1.2.3", "inf", "nan", "1e999", "0x10", "3 4", "--1"})
    EXPECT_FALSE(ParsePropertyNumber(bad, value)) << bad;
  int whole = 0;
  EXPECT_TRUE(ParsePropertyInteger("7", whole));
  EXPECT_EQ(whole, 7);
  EXPECT_FALSE(ParsePropertyInteger("7.5", whole));
  EXPECT_EQ(FormatPropertyNumber(22.01359), "22.01359");
  EXPECT_EQ(FormatPropertyNumber(-0.0), "0");
}

TEST(PropertyNumbers, ThePointStaysTheDecimalMarkUnderACommaLocale) {
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  double value = 0.0;
  ASSERT_TRUE(ParsePropertyNumber("22.5", value));
  EXPECT_EQ(value, 22.5);
  ASSERT_TRUE(ParsePropertyNumber("0,75", value));
  EXPECT_EQ(value, 0.75);
  EXPECT_EQ(FormatPropertyNumber(22.01359), "22.01359");
}

}  // namespace
