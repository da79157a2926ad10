// The image synthesis as a user runs it: the folder with its own Object page on a shipped
// lens, the object chosen and sized in its boxes, "Color" pressed. What comes out is held
// against the PSF and MTF window of the same system and sampling: the image of a point is
// the PSF that window shows, the modulation of a bar target is the MTF it shows at the
// bars' frequency, and a defocused lens gives less of both.

#include "synthesis/folder/test_object_folder.h"

#include <cmath>
#include <complex>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/psf/show_psf.h"
#include "platform/gui/dialogs/dialog.h"
#include "foundation/testing/approx.h"
#include "imaging/rasters/raster_records.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "analysis/psf/test_psf.h"
#include "synthesis/objects/diffraction_point.h"
#include "synthesis/objects/radial_mira.h"
#include "synthesis/objects/square_mira.h"
#include "synthesis/objects/test_object_parent.h"

namespace {

// The synthesis multiplies single-precision spectra of 256 x 256 cells and transforms
// back: relative to the PSF's peak its cells agree to a few parts in 10^5.
constexpr double kPointTolerance = 1e-4;
// The bar quadrant is finite: its spectrum spreads round the bars' frequency over about
// 1 / (quadrant side), over which the MTF changes by a few per cent of its value, and the
// blur of the neighbouring quadrants' bars reaches the measuring window by the PSF's tails.
constexpr double kModulationTolerance = 0.03;
// The image-space numerical apertures below are D / 2f from the lenses' remarks; the
// sine of the marginal ray's angle is smaller than that by under 1 % at f/2.5.
constexpr double kApertureTolerance = 0.02;
constexpr double kPi = 3.14159265358979323846;

// Square bar target with 12 bright bars per quadrant at 256 cells: bars 4 cells wide, a
// period of 8 cells, so the bars' frequency is exactly cell 32 of the MTF raster.
constexpr int kBarStrokes = 12;
constexpr int kBarPeriodCells = 8;
// The vertical-bar quadrant of one group spans cells 25 .. 126; the window measured keeps
// 18 cells to its edges and holds whole periods.
constexpr int kWindowFirstColumn = 43;
constexpr int kWindowPeriods = 8;
constexpr int kWindowFirstRow = 50;
constexpr int kWindowLastRow = 100;

struct TRasters {
  double pixelSize = 0.0;
  std::vector<float> wavelengths;
  std::vector<Mem<float>> images;
  Mem<float> object;
  int difrac = 0;  // whether the PSF page took diffraction into account
};

// The MTF of an aberration-free round pupil at frequency nu (cycles/mm):
// (2 / pi) (phi - cos phi sin phi), phi = acos(nu / nu_c), cut-off nu_c = 2 NA / lambda.
double PerfectMtf(double nu, double aperture, double lambdaMm) {
  const double ratio = nu * lambdaMm / (2.0 * aperture);
  if (ratio >= 1.0) return 0.0;
  const double phi = std::acos(ratio);
  return 2.0 / kPi * (phi - std::cos(phi) * std::sin(phi));
}

class SynthesisRoad : public TFolderTestBase {
 protected:
  void UseLens(const char *file) {
    ASSERT_EQ(system_.ReadFile(ExamplePath(file), 0), 1);
    // Its settings file goes to the scratch directory.
    system_.name = Scratch("lens.os");
  }
  // Moves the image plane away from the lens by `shift` mm.
  void Defocus(double shift) {
    const int last = system_.SurfaceCount() - 1;
    system_.ShiftSurfaces(last, last, DPOINT3(shift, 0.0, 0.0), kGlobalFrame);
    system_.Prepare(0.0, 1, 1);
  }
  TTestObjectParent *ObjectPage() {
    return dynamic_cast<TTestObjectParent *>(folder_->ObjectPage()->PageWindow());
  }
  static void ImageSpace(TTestObjectParent &page) {
    page.CheckDlgButton(kObjectSpaceRadio, BST_UNCHECKED);
    page.CheckDlgButton(kImageSpaceRadio, BST_CHECKED);
    page.CmSpace();
  }
  void Type(TWindow *dialog, int id, const std::string &text) { SetDlgItemText(dialog->GetHandle(), id, text.c_str()); }
  // Opens the folder, sizes the object in image space (metres) and presses "Color".
  TRasters Synthesise(int type, const std::string &size) {
    TRasters out;
    TTestObjectFolder &folder = OpenFolder();
    TTestObjectParent *page = ObjectPage();
    EXPECT_NE(page, nullptr);
    if (page == nullptr) return out;
    ImageSpace(*page);
    EXPECT_EQ(page->SelectType(type), 1);
    if (type == kObjectDisk) {
      // The disc's field is the object size; its diameter, far below a cell, makes a point.
      Type(page->DiffractionPoint(), kDiffractionFieldEdit, size);
      Type(page, kObjectSizeEdit, "1e-12");
    } else {
      Type(page, kObjectSizeEdit, size);
      if (type == kObjectSquareMira) {
        Type(page->SquareMira(), kSquareStrokesMinEdit, std::to_string(kBarStrokes));
        Type(page->SquareMira(), kSquareStrokesMaxEdit, std::to_string(kBarStrokes));
      }
    }
    answers_->boxes.clear();
    folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
    out.difrac = system_.info.Difrac;
    EXPECT_TRUE(answers_->boxes.empty());
    EXPECT_EQ(folder.state, kRastersWritten);
    const TTestImage *image = GetTestImage();
    out.pixelSize = image->pixelSize;
    const int n = image->pixelCount;
    EXPECT_EQ(n, kSynthesisNd);
    for (int k = 0; k < RecordCount(folder.rasterFiles); ++k) {
      TFileData record(folder.rasterFiles.data[k]);
      Mem<float> raster;
      EXPECT_TRUE(ReadSquareRaster(record, raster, n));
      out.wavelengths.push_back(record.wavelength);
      out.images.push_back(raster);
    }
    if (TTestObject *object = folder.CurrentObject(); object != nullptr && RecordCount(object->rasterFiles) > 0) {
      TFileData record(object->rasterFiles.data[0]);
      EXPECT_TRUE(ReadSquareRaster(record, out.object, n));
    }
    folder_->SendMessage(WM_COMMAND, IDCANCEL, 0);
    delete folder_;
    folder_ = nullptr;
    return out;
  }
  // The PSF and MTF window on the same system, grid and interval: one raster per
  // wavelength, the PSF or each wavelength's MTF.
  std::vector<Mem<float>> PsfWindowRasters(const TRasters &synthesis, bool mtf) {
    std::vector<Mem<float>> out;
    const double interval = synthesis.pixelSize;
    system_.info.Difrac = synthesis.difrac;
    system_.info.Nd = kSynthesisNd;
    system_.info.Discrete = interval;
    system_.info.ShowRecommendation = 0;
    auto *window = new TShowPSFFolder(nullptr, &system_);
    EXPECT_TRUE(window->Create());
    TShowPSF *page = window->Page();
    page->CheckDlgButton(kPsfRadioPsf, mtf ? BST_UNCHECKED : BST_CHECKED);
    page->CheckDlgButton(kPsfRadioMtf, mtf ? BST_CHECKED : BST_UNCHECKED);
    page->SendMessage(WM_COMMAND, mtf ? kPsfRadioMtf : kPsfRadioPsf, 0);
    page->SendMessage(WM_COMMAND, kPsfColorMapButton, 0);
    EXPECT_EQ(page->CalculationState(), TPsfRun::kComputed);
    EXPECT_APPROX(page->ShownInterval(), interval, 1e-12);
    for (int k = 0; k < RecordCount(page->Run().images); ++k) {
      Mem<float> raster;
      EXPECT_EQ(page->Run().images.data[k].Read(raster), 1);
      out.push_back(raster);
    }
    window->Destroy();
    delete window;
    return out;
  }
};

float Peak(const Mem<float> &raster) {
  float peak = 0.0f;
  for (int i = 0; i < raster.cols * raster.rows; ++i) peak = std::max(peak, raster.data[i]);
  return peak;
}

// The bars' first harmonic along the rows of the measuring window, rows averaged.
double BarHarmonic(const Mem<float> &raster) {
  std::complex<double> sum = 0.0;
  const double kTwoPi = 6.283185307179586;
  for (int r = kWindowFirstRow; r <= kWindowLastRow; ++r)
    for (int c = kWindowFirstColumn; c < kWindowFirstColumn + kWindowPeriods * kBarPeriodCells; ++c)
      sum += static_cast<double>(raster.data[r * raster.cols + c]) *
             std::polar(1.0, -kTwoPi * c / kBarPeriodCells);
  return std::abs(sum);
}

// The image's bar harmonic over the object's: the modulation the lens leaves the bars.
double Modulation(const Mem<float> &image, const Mem<float> &object) {
  return BarHarmonic(image) / BarHarmonic(object);
}

// A shipped lens and the sizes its pictures are made at: the point's field, the bar
// target's side (both image space, metres) and the defocus that blurs the bars.
struct TRoadLens {
  const char *file;
  const char *pointField;
  const char *barSide;
  double defocus;   // mm the image plane moves
  double aperture;  // image-space numerical aperture
};

class PointAndBars : public SynthesisRoad, public ::testing::WithParamInterface<TRoadLens> {};

TEST_P(PointAndBars, APointIsImagedAsThePsfWindowsPsf) {
  UseLens(GetParam().file);
  const TRasters point = Synthesise(kObjectDisk, GetParam().pointField);
  ASSERT_FALSE(point.images.empty());
  const std::vector<Mem<float>> psf = PsfWindowRasters(point, false);
  ASSERT_EQ(psf.size(), point.images.size());
  for (std::size_t k = 0; k < psf.size(); ++k) {
    const float psfPeak = Peak(psf[k]);
    ASSERT_GT(psfPeak, 0.0f);
    // One bright cell of area g^2 gives g^2 times the PSF.
    const double area = point.pixelSize * point.pixelSize;
    const Mem<float> &image = point.images[k];
    double worst = 0.0;
    for (int i = 0; i < image.cols * image.rows; ++i)
      worst = std::max(worst, std::fabs(image.data[i] / area - psf[k].data[i]) / psfPeak);
    EXPECT_LT(worst, kPointTolerance) << "wavelength " << point.wavelengths[k];
    // Not a sharp point: the PSF spreads over many cells.
    const float imagePeak = Peak(image);
    int lit = 0;
    for (int i = 0; i < image.cols * image.rows; ++i) lit += image.data[i] > 0.01 * imagePeak ? 1 : 0;
    EXPECT_GT(lit, 20);
    // No lens concentrates light more than a perfect one: the peak of a PSF of unit
    // integral is at most pi NA^2 / lambda^2 (the Airy pattern's).
    const double lambdaMm = 1e-3 * point.wavelengths[k];
    const double airyPeak = kPi * GetParam().aperture * GetParam().aperture / (lambdaMm * lambdaMm);
    EXPECT_LT(imagePeak / area, airyPeak * (1.0 + kApertureTolerance));
  }
}

TEST_P(PointAndBars, BarsKeepTheMtfWindowsModulationAndADefocusLowersIt) {
  UseLens(GetParam().file);
  const TRasters bars = Synthesise(kObjectSquareMira, GetParam().barSide);
  ASSERT_FALSE(bars.images.empty());
  ASSERT_NE(bars.object.data, nullptr);
  const std::vector<Mem<float>> mtf = PsfWindowRasters(bars, true);
  ASSERT_EQ(mtf.size(), bars.images.size());
  const int n = kSynthesisNd;
  // Frequency cell: the frame holds n / period periods of the bars.
  const int cell = n / 2 * n + n / 2 + n / kBarPeriodCells;
  std::vector<double> focused;
  for (std::size_t k = 0; k < mtf.size(); ++k) {
    const double modulation = Modulation(bars.images[k], bars.object);
    EXPECT_NEAR(modulation, mtf[k].data[cell], kModulationTolerance) << "wavelength " << bars.wavelengths[k];
    // Nor does any lens pass more contrast than a perfect one of its aperture.
    const double frequency = 1.0 / (kBarPeriodCells * bars.pixelSize);
    EXPECT_LT(modulation, PerfectMtf(frequency, GetParam().aperture, 1e-3 * bars.wavelengths[k]) *
                              (1.0 + kApertureTolerance));
    focused.push_back(modulation);
  }
  Defocus(GetParam().defocus);
  const TRasters blurred = Synthesise(kObjectSquareMira, GetParam().barSide);
  ASSERT_EQ(blurred.images.size(), focused.size());
  for (std::size_t k = 0; k < focused.size(); ++k) {
    EXPECT_LT(Modulation(blurred.images[k], blurred.object), 0.7 * focused[k]);
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedLenses, PointAndBars,
                         ::testing::Values(
                             // f/5, 50 mm: a point on a 0.1 mm field resolves the Airy
                             // pattern; bars of 85 cycles/mm.
                             TRoadLens{"cooke_triplet.os", "0.0001", "0.0003", -0.3, 0.1},
                             // f/2.5 with strong spherical aberration: a 2 mm field holds
                             // its spot; bars of 13 cycles/mm.
                             TRoadLens{"singlet.os", "0.002", "0.002", 0.5, 10.0 / 49.213}),
                         [](const ::testing::TestParamInfo<TRoadLens> &lens) {
                           return std::string(lens.param.file).substr(0, std::string(lens.param.file).find('.'));
                         });

// The image-synthesis help page as the user reads it.
std::string SynthesisHelp() {
  std::ifstream file(SourceRoot() + "/resources/help/pages/image_synthesis.html");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The share of a radial star's 20-fold pattern on the circle of radius r cells about the
// raster's centre: its 20th harmonic over the mean, sampled bilinearly.
double StarModulation(const Mem<float> &raster, double r, int strokes) {
  const int n = raster.cols;
  std::complex<double> harmonic = 0.0;
  double mean = 0.0;
  constexpr int kSamples = 1440;
  for (int k = 0; k < kSamples; ++k) {
    const double t = 2.0 * kPi * k / kSamples;
    const double x = n / 2 + r * std::cos(t), y = n / 2 + r * std::sin(t);
    const int i = static_cast<int>(x), j = static_cast<int>(y);
    const double fx = x - i, fy = y - j;
    const auto at = [&](int a, int b) { return static_cast<double>(raster.data[b * n + a]); };
    const double v = (1 - fx) * (1 - fy) * at(i, j) + fx * (1 - fy) * at(i + 1, j) + (1 - fx) * fy * at(i, j + 1) +
                     fx * fy * at(i + 1, j + 1);
    harmonic += v * std::polar(1.0, -strokes * t);
    mean += v;
  }
  return mean > 0.0 ? 2.0 * std::abs(harmonic) / mean : 0.0;
}

TEST_F(SynthesisRoad, TheHelpsWorkedExampleTypedAsWrittenBlursTheStarsCentre) {
  // The example's star and size, read from the help, typed as it says: the star's period
  // 2 pi r / strokes reaches the triplet's cut-off 1 / (0.00055 mm x 5) inside
  // r0 = strokes / (2 pi 364) mm: well inside it the spokes are grey.
  const std::string help = SynthesisHelp();
  std::smatch strokes, size;
  ASSERT_TRUE(std::regex_search(help, strokes, std::regex("Radial mira with ([0-9]+) strokes")));
  ASSERT_TRUE(std::regex_search(help, size, std::regex("a size of ([0-9.]+)")));
  TTestObjectFolder &folder = OpenFolder();
  TTestObjectParent *page = ObjectPage();
  ASSERT_NE(page, nullptr);
  ImageSpace(*page);
  page->CheckDlgButton(kUnitMetresRadio, BST_CHECKED);
  page->CmUnitM();
  ASSERT_EQ(page->SelectType(kObjectRadialMira), 1);
  Type(page->RadialMira(), kRadialStrokesEdit, strokes[1].str());
  Type(page, kObjectSizeEdit, size[1].str());
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_EQ(folder.state, kRastersWritten);
  const int n = GetTestImage()->pixelCount;
  Mem<float> image, object;
  ASSERT_EQ(folder.AccumulateRasters(image), 1);
  TFileData record(folder.CurrentObject()->rasterFiles.data[0]);
  ASSERT_TRUE(ReadSquareRaster(record, object, n));
  const int count = std::stoi(strokes[1].str());
  const double r0 = count / (2.0 * kPi * 364.0) / GetTestImage()->pixelSize;  // cells
  const double inner = 0.5 * r0, outer = 4.0 * r0;
  ASSERT_GT(StarModulation(object, inner, count), 0.3);
  // Grey at half r0 (the lens passes nothing there); spokes again, faint through the
  // triplet's own blur of some 10 um, at 4 r0 near the star's rim.
  const double grey = StarModulation(image, inner, count) / StarModulation(object, inner, count);
  const double spokes = StarModulation(image, outer, count) / StarModulation(object, outer, count);
  EXPECT_LT(grey, 0.01);
  EXPECT_GT(spokes, 0.02);
  EXPECT_GT(spokes, 10.0 * grey);
}

TEST_F(SynthesisRoad, TheHelpGivesTheObjectPagesUnitsAsTheDialogLabelsThem) {
  const std::string help = SynthesisHelp();
  OpenFolder();
  TTestObjectParent *page = ObjectPage();
  ASSERT_NE(page, nullptr);
  page->CheckDlgButton(kUnitMetresRadio, BST_CHECKED);
  page->CmUnitM();
  ASSERT_EQ(page->SelectType(kObjectDisk), 1);
  char radio[32] = "", disk[32] = "";
  page->GetDlgItemText(kUnitMetresRadio, radio, sizeof radio);
  page->DiffractionPoint()->GetDlgItemText(kDiffractionUnitLabel, disk, sizeof disk);
  // The size's unit radio and the disc's field label, each as the help names them.
  EXPECT_NE(help.find(std::string(radio) + ": metres"), std::string::npos) << radio;
  EXPECT_NE(help.find(std::string("Field ") + disk), std::string::npos) << disk;
  EXPECT_EQ(help.find(std::string(radio) + ": a length in mm"), std::string::npos);
}

TEST_F(SynthesisRoad, APsfWiderThanTheImageFieldIsToldAndTheFieldOfferedIsTheOneTaken) {
  // The f/2.5 singlet's spot is wider than a 0.5 mm image: the synthesis says so before it
  // runs; taken up, the raster's side becomes the field the offer names (a bar target takes
  // a share of its raster, the disc all of it), and the PSF it uses holds its light.
  for (const int type : {kObjectDisk, kObjectRadialMira}) {
    SCOPED_TRACE(type);
    UseLens("singlet.os");
    TTestObjectFolder &folder = OpenFolder();
    TTestObjectParent *page = ObjectPage();
    ASSERT_NE(page, nullptr);
    ImageSpace(*page);
    ASSERT_EQ(page->SelectType(type), 1);
    if (type == kObjectDisk) Type(page->DiffractionPoint(), kDiffractionFieldEdit, "0.0005");
    Type(page, kObjectSizeEdit, type == kObjectDisk ? "1e-12" : "0.0005");
    answers_->boxes.clear();
    answers_->QueueAnswer(IDYES);
    folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
    ASSERT_EQ(answers_->boxes.size(), 1u);
    const std::string &text = answers_->boxes[0].text;
    EXPECT_NE(text.find("The PSF of the beam spreads"), std::string::npos);
    const std::size_t at = text.find("Enlarge the image field to ");
    ASSERT_NE(at, std::string::npos) << text;
    const double offered = std::strtod(text.c_str() + at + 27, nullptr);
    ASSERT_EQ(folder.state, kRastersWritten);
    // The side taken, to the three digits the offer shows.
    const double p = GetTestImage()->pixelSize;
    EXPECT_APPROX(p * GetTestImage()->pixelCount, offered, 0.005 * offered);
    EXPECT_GT(p * GetTestImage()->pixelCount, 0.5);
    // The PSF used: its cells times the cell area hold the share of the light on its grid.
    TTestPSF *psf = folder.PsfPage();
    ASSERT_NE(psf, nullptr);
    ASSERT_GT(RecordCount(psf->rasterFiles), 0);
    Mem<float> raster;
    ASSERT_EQ(psf->rasterFiles.data[0].Read(raster), 1);
    double sum = 0.0;
    for (int k = 0; k < raster.cols * raster.rows; ++k) sum += raster.data[k];
    EXPECT_GE(sum * p * p, 0.99);
    CloseFolder();
  }
}

}  // namespace
