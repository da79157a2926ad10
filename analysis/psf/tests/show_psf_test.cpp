// The PSF and MTF window on the Cooke triplet: the 3-D plot of the PSF and of the MTF, the
// Cancel pressed while a computation pumps (the folder goes only once the run is back), an
// Escape that leaves wavelength, grid, files and window as they were, the cleaning of the
// run's own files, the concentration report and graph, and the section step's rounding.

#include "analysis/psf/show_psf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numeric>
#include <set>
#include <sstream>

#include "analysis/psf/psf_maths.h"
#include "analysis/psf/psf_run.h"
#include "analysis/psf/step_sections_dlg.h"
#include "foundation/numerics/pi.h"
#include "foundation/testing/approx.h"
#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/graph/graph.h"
#include "toolkit/help/win_help.h"
#include "toolkit/plot3d/graphics3d.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// Float rasters written and read back.
constexpr double kRasterTolerance = 1e-6;
// Two single-precision transforms of 64^2 nodes, relative to the value at zero frequency.
constexpr double kTransformNoise = 1e-5;
// The MTF of the sampled pupil against the disc's: a disc about 25 nodes across, counted in
// whole nodes, and the paraboloid's converging wave 3 % brighter at its rim than at its
// centre, together up to 0.007.
constexpr double kDiscMtfTolerance = 0.008;
// The sections of an astigmatic beam against an MTF of our own from traced rays: a pupil of
// 20,000 rays against one of 256 nodes across, each with its own reference sphere, agree to
// about 0.002; the two directions differ by 0.05 or more.
constexpr double kOwnTraceMtf = 0.004;
constexpr COLORREF kGreenPixel = RGB(0, 255, 0), kRedPixel = RGB(255, 0, 0);

// The editor as the folder sees it: it hears the folder's going and deletes it later.
class TOwner : public TWindow {
 public:
  TOwner() : TWindow(nullptr, "owner") {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.W = 200;
    Attr.H = 200;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND && LOWORD(wParam) == CM_PSF_FOLDER_DESTROYED) ++folderGone;
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int folderGone = 0;
};

class PsfWindow : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    test_kit::EnsureApplication();
    CreateSharedPalette();
    previousTemp_ = TempDir();
    SetTempDir(Scratch(""));
    owner = std::make_unique<TOwner>();
    ASSERT_TRUE(owner->Create());
    ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), kNameFromFileName), 1);
    system.info.Nd = 64;
    system.info.Discrete = 0.002;
    system.info.ShowRecommendation = 0;
    system.info.MonochromeSystem = 1;
  }
  void TearDown() override {
    owner.reset();
    SetTempDir(previousTemp_);
    DestroySharedPalette();
    SystemTest::TearDown();
  }
  TShowPSFFolder *Open() {
    folder = new TShowPSFFolder(owner.get(), &system);
    EXPECT_TRUE(folder->Create());
    folder->ShowWindow(SW_SHOW);
    test_kit::RunFor(20);
    return folder;
  }
  int FilesIn(const std::string &extension) const {
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator(Scratch("")))
      count += entry.path().extension() == extension ? 1 : 0;
    return count;
  }
  std::vector<TGraphics3D *> Plots() const {
    std::vector<TGraphics3D *> plots;
    for (TWindow *child : owner->GetChildren())
      if (auto *plot = dynamic_cast<TGraphics3D *>(child)) plots.push_back(plot);
    return plots;
  }
  void Press(int id) { folder->Page()->SendMessage(WM_COMMAND, id, 0); }
  void Choose(int radio) {
    folder->Page()->CheckDlgButton(kPsfRadioPsf, radio == kPsfRadioPsf ? BST_CHECKED : BST_UNCHECKED);
    folder->Page()->CheckDlgButton(kPsfRadioMtf, radio == kPsfRadioMtf ? BST_CHECKED : BST_UNCHECKED);
    Press(radio);
  }

  std::unique_ptr<TOwner> owner;
  TOpticalSystem system;
  TShowPSFFolder *folder = nullptr;

 private:
  std::string previousTemp_;
};

// True when the text holds the word followed by blanks and then "1 ".
bool WordThenOne(const std::string &text, const std::string &word) {
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    std::size_t k = at + word.size();
    if (k >= text.size() || text[k] != ' ') continue;
    while (k < text.size() && text[k] == ' ') ++k;
    if (text.compare(k, 2, "1 ") == 0) return true;
  }
  return false;
}

TEST_F(PsfWindow, PlotShowsThePsfFileAndTheMtfIsOneAtItsCentre) {
  Open();
  ASSERT_NE(GetTestImage(), nullptr);
  EXPECT_EQ(GetTestImage()->pixelCount, 64);
  Press(kPsf3DPlotButton);
  ASSERT_EQ(Plots().size(), 1u);
  TShowPSF *page = folder->Page();
  ASSERT_EQ(page->Run().images.cols, 1);
  EXPECT_EQ(page->CalculationState(), TPsfRun::kComputed);
  EXPECT_EQ(Plots()[0]->GetWindowText(), "Real PSF (Y=0) - cooke_triplet.os");
  // With one wavelength the plot shows exactly the file's raster.
  Mem<float> file;
  ASSERT_EQ(page->Run().images.data[0].Read(file), 1);
  const Mem<float> &shown = GetTestImage()->raster;
  ASSERT_EQ(shown.cols, 64);
  for (int p = 0; p < 64 * 64; ++p) ASSERT_EQ(shown.data[p], file.data[p]) << p;
  // The working arrays are given back after the run.
  EXPECT_EQ(system.workArray1.data, nullptr);

  // MTF: a new run, and the sum is the MTF of the summed PSF, 1 at zero frequency.
  Choose(kPsfRadioMtf);
  EXPECT_EQ(page->CalculationState(), TPsfRun::kToCompute);
  Press(kPsf3DPlotButton);
  ASSERT_EQ(Plots().size(), 2u);
  EXPECT_EQ(Plots()[1]->GetWindowText(), "Real MTF: PSF (Y=0) - cooke_triplet.os");
  EXPECT_APPROX(GetTestImage()->raster.data[32 * 64 + 32], 1.0, kRasterTolerance);
  std::vector<float> imaginary(64 * 64);
  ASSERT_EQ(MtfFromPsf(64, file.data, imaginary.data()), 1);
  for (int p = 0; p < 64 * 64; ++p) ASSERT_NEAR(GetTestImage()->raster.data[p], file.data[p], 1e-5) << p;
  folder->Destroy();
  delete folder;
}

// Result windows stay when the window closes and another system is opened: each keeps the
// name of the system it shows.
TEST_F(PsfWindow, AResultWindowKeepsTheNameOfItsSystemWhenAnotherIsOpened) {
  Open();
  Press(kPsf3DPlotButton);
  ASSERT_EQ(Plots().size(), 1u);
  folder->Destroy();
  delete folder;
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), kNameFromFileName), 1);
  Open();
  Press(kPsf3DPlotButton);
  ASSERT_EQ(Plots().size(), 2u);
  EXPECT_EQ(Plots()[0]->GetWindowText(), "Real PSF (Y=0) - cooke_triplet.os");
  EXPECT_EQ(Plots()[1]->GetWindowText(), "Real PSF (Y=0) - double_gauss.os");
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, PolychromaticMtfIsThatOfTheSummedPsf) {
  // Three wavelengths: the MTF the window shows is the transform of the weighted PSF sum
  // (the physical one), not the sum of the three MTFs, which differs under colour.
  system.info.MonochromeSystem = 0;
  Open();
  Choose(kPsfRadioMtf);
  Press(kPsf3DPlotButton);
  TShowPSF *page = folder->Page();
  ASSERT_EQ(page->Run().images.cols, 3);
  const std::vector<float> shown(GetTestImage()->raster.data, GetTestImage()->raster.data + 64 * 64);
  // The files hold each wavelength's own MTF now; their sum is the other quantity.
  Mem<float> sumOfMtfs;
  ASSERT_EQ(page->Run().Sum(64, sumOfMtfs), 1);
  double largest = 0.0;
  for (int p = 0; p < 64 * 64; ++p) largest = std::max(largest, static_cast<double>(std::fabs(sumOfMtfs.data[p] - shown[p])));
  EXPECT_GT(largest, 1e-3);
  EXPECT_APPROX(shown[32 * 64 + 32], 1.0, kRasterTolerance);
  // Each value is bounded by the MTF at zero frequency.
  for (float v : shown) ASSERT_LE(v, 1.0f + 1e-5f);
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, IdealPsfIsSymmetricWhereTheRealOneIsNotAndNeedsDiffraction) {
  Open();
  TShowPSF *page = folder->Page();
  page->SetDlgItemText(kPsfYEdit, "20");
  // The real PSF at 20 degrees: coma makes it lopsided along y.
  Press(kPsf3DPlotButton);
  auto asymmetry = [] {
    const float *r = GetTestImage()->raster.data;
    double difference = 0.0, total = 0.0;
    for (int k = 1; k < 32; ++k) {
      difference += std::fabs(r[(32 - k) * 64 + 32] - r[(32 + k) * 64 + 32]);
      total += r[(32 - k) * 64 + 32] + r[(32 + k) * 64 + 32];
    }
    return difference / total;
  };
  EXPECT_GT(asymmetry(), 0.1);
  // Ideal: the aberration-free pupil at the same point gives a symmetric pattern.
  page->CheckDlgButton(kPsfRealCheck, BST_UNCHECKED);
  Press(kPsfRealCheck);
  Press(kPsf3DPlotButton);
  EXPECT_EQ(system.info.aberrationFree, 1);
  ASSERT_EQ(Plots().size(), 2u);
  EXPECT_EQ(Plots()[1]->GetWindowText(), "Ideal PSF (Y=20) - cooke_triplet.os");
  EXPECT_LT(asymmetry(), 1e-3);
  // Without diffraction on the elements the PSF is always the real one.
  page->CheckDlgButton(kPsfDiffractionCheck, BST_UNCHECKED);
  Press(kPsfDiffractionCheck);
  EXPECT_EQ(page->IsDlgButtonChecked(kPsfRealCheck), static_cast<UINT>(BST_CHECKED));
  EXPECT_FALSE(::IsWindowEnabled(page->GetDlgItem(kPsfRealCheck)));
  // Closing gives the system its real PSF back.
  folder->Destroy();
  EXPECT_EQ(system.info.aberrationFree, 0);
  delete folder;
}

TEST_F(PsfWindow, ApplyKeepsTheSystemsDiscreteUnlessTheUserTypedOne) {
  // The field shows two digits; the system's own value must not be rounded by a look.
  system.info.Discrete = 0.00276;
  Open();
  TShowPSF *page = folder->Page();
  char shown[32] = "";
  page->GetDlgItemText(kPsfDiscreteEdit, shown, sizeof shown);
  EXPECT_NE(std::string(shown).find("0.0028"), std::string::npos) << shown;
  Press(kPsfApplyButton);
  EXPECT_EQ(system.info.Discrete, 0.00276);
  EXPECT_EQ(GetTestImage()->pixelSize, 0.00276);
  page->SetDlgItemText(kPsfDiscreteEdit, "0.003");
  Press(kPsfApplyButton);
  EXPECT_EQ(system.info.Discrete, 0.003);
  EXPECT_EQ(page->CalculationState(), TPsfRun::kToCompute);
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, TakingTheRecommendedDiscreteKeepsDiffractionOnElements) {
  // The triplet's 20 degree spot asks for geometric work; the user keeps diffraction on and
  // takes the interval proposed for it.
  system.info.ShowRecommendation = 1;
  system.info.Discrete = 0.1;
  Open();
  TShowPSF *page = folder->Page();
  ASSERT_EQ(page->IsDlgButtonChecked(kPsfDiffractionCheck), static_cast<UINT>(BST_CHECKED));
  const std::size_t before = BoxCount();
  const_cast<TRecordingMessageBoxProvider &>(Boxes()).QueueAnswer(IDYES);
  // At the finer interval the 20 degree blur no longer fits the 64 nodes: kept as it is.
  const_cast<TRecordingMessageBoxProvider &>(Boxes()).QueueAnswer(IDNO);
  Press(kPsfApplyButton);
  ASSERT_EQ(BoxCount(), before + 2);
  EXPECT_EQ(Boxes().boxes[before].text.rfind("Parameter Discrete=0.1 is too large.", 0), 0u);
  EXPECT_EQ(Boxes().boxes[before + 1].text.rfind("For the PSF of Y=0: the PSF of the beam at Y=", 0), 0u);
  EXPECT_EQ(page->IsDlgButtonChecked(kPsfDiffractionCheck), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(system.info.Difrac, 1);
  EXPECT_TRUE(::IsWindowEnabled(page->GetDlgItem(kPsfRealCheck)));
  // The proposal lets the f/5 pupil fill no more than the grid: at most lambda N.
  EXPECT_LT(system.info.Discrete, 0.55e-3 * 5.0);
  EXPECT_GT(system.info.Discrete, 0.0);
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, TheDoubleGaussIsOfferedAGridItsBlurDoesNotWrapRound) {
  ASSERT_EQ(system.ReadFile(ExamplePath("double_gauss.os"), kNameFromFileName), 1);
  ASSERT_EQ(system.info.Nd, 64);
  system.info.MonochromeSystem = 1;
  ASSERT_EQ(system.info.ShowRecommendation, 1);
  // The automatic interval, which the interval's own check never questions.
  system.info.Discrete = 0.0;
  Open();
  TShowPSF *page = folder->Page();
  auto *sizes = dynamic_cast<TComboBox *>(page->ChildWithId(kPsfSizeList));
  ASSERT_NE(sizes, nullptr);
  EXPECT_EQ(sizes->GetSelIndex(), 0);  // 64
  // No keeps the grid, and the same settings are not questioned again.
  const std::size_t before = BoxCount();
  const_cast<TRecordingMessageBoxProvider &>(Boxes()).QueueAnswer(IDNO);
  // The question names the point as the user gave it: here X alone, later Y with X.
  page->SetDlgItemText(kPsfYEdit, "0");
  page->SetDlgItemText(kPsfXEdit, "14");
  Press(kPsfApplyButton);
  ASSERT_EQ(BoxCount(), before + 1);
  EXPECT_EQ(Boxes().boxes[before].text.rfind("For the PSF of Y=0, X=14: the PSF of the beam at Y=", 0), 0u)
      << Boxes().boxes[before].text;
  EXPECT_NE(Boxes().boxes[before].text.find("of its peak on the edge of the 64 x 64 grid: it wraps"), std::string::npos);
  EXPECT_EQ(sizes->GetSelIndex(), 0);
  Press(kPsfApplyButton);
  EXPECT_EQ(BoxCount(), before + 1);
  // Another grid is asked about afresh; Yes takes the recommended one into the size list.
  sizes->SetSelIndex(1);  // 128
  page->SetDlgItemText(kPsfYEdit, "10");
  page->SetDlgItemText(kPsfXEdit, "-10");
  const_cast<TRecordingMessageBoxProvider &>(Boxes()).QueueAnswer(IDYES);
  Press(kPsfApplyButton);
  ASSERT_EQ(BoxCount(), before + 2);
  const std::string &question = Boxes().boxes[before + 1].text;
  EXPECT_EQ(question.rfind("For the PSF of Y=10, X=-10: the PSF of the beam at Y=", 0), 0u) << question;
  const std::size_t use = question.find("Use ");
  ASSERT_NE(use, std::string::npos) << question;
  const int recommended = std::atoi(question.c_str() + use + 4);
  EXPECT_GT(recommended, 128);
  EXPECT_EQ(64 << sizes->GetSelIndex(), recommended);
  EXPECT_EQ(GetTestImage()->pixelCount, recommended);
  Press(kPsfApplyButton);
  EXPECT_EQ(BoxCount(), before + 2);
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, AnAutomaticIntervalIsNeverCalledTooLargeAndFollowsTheAperture) {
  // The f/2.5 paraboloid stopped down to f/10, without a Discrete of its own and with the
  // recommendation on; then opened to its full 40 mm, as the editor changes it.
  std::string text = ReadText(ExamplePath("parabolic_mirror.os"));
  const std::size_t at = text.find("Dentr=40");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 8, "Dentr=10");
  const std::string path = Scratch("stopped_down.os");
  WriteText(path, text);
  ASSERT_EQ(system.ReadFile(path, kNameFromFileName), 1);
  ASSERT_EQ(system.info.ShowRecommendation, 1);
  const std::size_t before = BoxCount();
  Open();
  TShowPSF *page = folder->Page();
  Press(kPsfApplyButton);
  system.info.Dentr = 40.0;
  ASSERT_GE(system.Prepare(0.0, 1, 0), 1);
  folder->Reset();
  // Four times the aperture: an interval frozen at f/10 would be twice too large now.
  Press(kPsfApplyButton);
  EXPECT_EQ(BoxCount(), before);
  EXPECT_EQ(system.info.Discrete, 0.0);
  Press(kPsf3DPlotButton);
  EXPECT_EQ(BoxCount(), before);
  ASSERT_EQ(Plots().size(), 1u);
  // 2.5 nodes to the diffraction interval 0.5 lambda / NA of the 40 mm pupil, whose rim
  // ray meets the focus at the sine 20 / 101.
  const double interval = 0.5 * 0.5875618e-3 / (20.0 / 101.0);
  EXPECT_APPROX(GetTestImage()->pixelSize / (interval / 2.5), 1.0, kRasterTolerance);
  EXPECT_EQ(page->Run().interval, GetTestImage()->pixelSize);
  folder->Destroy();
  delete folder;
  EXPECT_EQ(system.info.Discrete, 0.0);
}

TEST_F(PsfWindow, TheDefaultMtfOfAPerfectMirrorIsTheDiscsUpToItsCutoffAndZeroBeyond) {
  // The f/2.5 paraboloid as its file gives it (no Discrete of its own, 64 nodes, the
  // recommendation on) is free of aberration: its MTF is that of a uniform circular pupil,
  // 2/pi (acos v - v sqrt(1 - v^2)) with v = nu lambda N, falling to 0 at the cutoff
  // 1 / (lambda N) and staying there. Sampled so coarsely that the pupil filled the grid,
  // the MTF would wrap round onto itself and the grid would end at half the cutoff.
  ASSERT_EQ(system.ReadFile(ExamplePath("parabolic_mirror.os"), kNameFromFileName), 1);
  const std::size_t boxesBefore = BoxCount();
  Open();
  Choose(kPsfRadioMtf);
  Press(kPsf3DPlotButton);
  EXPECT_EQ(BoxCount(), boxesBefore);  // the default is what the recommendation asks
  ASSERT_EQ(Plots().size(), 1u);
  const TTestImage *shared = GetTestImage();
  const int nx = shared->raster.cols;
  ASSERT_EQ(nx, 64);
  const double frequencyStep = 1.0 / (nx * shared->pixelSize);  // cycles per mm and node
  // 1 / (2 NA) with NA = 20 / 101, the sine of the rim ray at the focus.
  const double lambdaN = 0.5875618e-3 * 101.0 / 40.0;
  const int c = nx / 2;
  ASSERT_GT((c - 1) * frequencyStep * lambdaN, 1.1);  // the grid reaches past the cutoff
  const auto disc = [](double v) {
    return v >= 1.0 ? 0.0 : 2.0 / kPi * (std::acos(v) - v * std::sqrt(1.0 - v * v));
  };
  const float *mtf = shared->raster.data;
  int beyond = 0;
  for (int i = 1; i < c; ++i) {
    const double v = i * frequencyStep * lambdaN;
    const double meridional = mtf[c * nx + c + i], sagittal = mtf[(c + i) * nx + c];
    EXPECT_LE(meridional, mtf[c * nx + c + i - 1] + kTransformNoise) << i;
    EXPECT_LE(sagittal, mtf[(c + i - 1) * nx + c] + kTransformNoise) << i;
    if (v > 1.0) {
      EXPECT_NEAR(meridional, 0.0, kTransformNoise) << i;
      EXPECT_NEAR(sagittal, 0.0, kTransformNoise) << i;
      ++beyond;
    } else {
      EXPECT_NEAR(meridional, disc(v), kDiscMtfTolerance) << i;
      EXPECT_NEAR(sagittal, disc(v), kDiscMtfTolerance) << i;
    }
  }
  EXPECT_GE(beyond, 4);
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, HelpOpensTheProgramsHelpAtItsTopic) {
  Open();
  TRecordingMessageBoxProvider boxes;
  const std::string previous = ApplicationHelpFile();
  SetApplicationHelpFile(Scratch("missing.hlp"));
  folder->SendMessage(WM_COMMAND, kPsfHelpButton, 0);
  SetApplicationHelpFile(previous);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Help");
  EXPECT_EQ(boxes.boxes[0].owner, folder->GetHandle());
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, CancelDuringTheRunStopsItAndClosesOnlyWhenItIsBack) {
  const double lambda = system.info.LambdaW;
  Open();
  system.info.Nd = 64;
  // The Cancel click waits in the queue and is dispatched by the run's first pump.
  folder->PostMessage(WM_COMMAND, IDCANCEL, 0);
  Press(kPsf3DPlotButton);
  // Still here while the handler ran; nothing shown, nothing left.
  EXPECT_EQ(owner->folderGone, 0);
  EXPECT_NE(folder->GetHandle(), nullptr);
  EXPECT_TRUE(Plots().empty());
  EXPECT_EQ(system.info.LambdaW, lambda);
  EXPECT_EQ(system.info.Nd, 64);
  EXPECT_EQ(FilesIn(".img"), 0);
  EXPECT_EQ(folder->Page()->Run().images.data, nullptr);
  ASSERT_TRUE(test_kit::RunUntil([&] { return owner->folderGone == 1; }));
  EXPECT_EQ(GetTestImage(), nullptr);
  EXPECT_EQ(SharedPsfGauge(), nullptr);
  delete folder;
}

TEST_F(PsfWindow, EscapeLeavesWavelengthGridFilesAndWindowAsTheyWere) {
  system.info.MonochromeSystem = 0;
  const double lambda = system.info.LambdaW;
  system.info.Nd = 128;
  Open();
  const RECT before = folder->GetWindowRect();
  ASSERT_EQ(GetTestImage()->pixelCount, 128);
  test_kit::PostKey(*folder->Page(), VK_ESCAPE);
  Press(kPsf3DPlotButton);
  EXPECT_TRUE(Plots().empty());
  EXPECT_EQ(system.info.LambdaW, lambda);
  EXPECT_EQ(system.info.Nd, 128);
  EXPECT_EQ(FilesIn(".img"), 0);
  EXPECT_NE(folder->Page()->CalculationState(), TPsfRun::kComputed);
  EXPECT_EQ(folder->Gauge()->Queue().BusyCount(), 0);
  const RECT after = folder->GetWindowRect();
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  // The next press computes afresh.
  Press(kPsf3DPlotButton);
  EXPECT_EQ(Plots().size(), 1u);
  EXPECT_EQ(FilesIn(".img"), 3);
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, ClosingDeletesTheRunsFilesAndNoOneElses) {
  const std::string foreign = Scratch("someone_else.img");
  WriteText(foreign, "not ours");
  Open();
  Press(kPsf3DPlotButton);
  EXPECT_EQ(FilesIn(".img"), 2);
  folder->SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(owner->folderGone, 1);
  EXPECT_EQ(FilesIn(".img"), 1);
  EXPECT_TRUE(std::filesystem::exists(foreign));
  EXPECT_EQ(system.info.aberrationFree, 0);
  // The plot stays open on its own.
  EXPECT_EQ(Plots().size(), 1u);
  delete folder;
}

double gAnsweredStep = 0.0, gOfferedStep = 0.0;
int AnswerStep(TWindow *, double *step) {
  gOfferedStep = *step;
  *step = gAnsweredStep;
  return IDOK;
}

TEST_F(PsfWindow, ConcentrationReportAndGraph) {
  // A Discrete of 0 leaves the sampling to the computation, as for the graph: the step
  // offered is twice the sampling used, and the report runs to the whole energy.
  for (double discrete : {0.0, 0.002}) {
    system.info.Discrete = discrete;
    Open();
    const TSectionStepAsker asker = SetSectionStepAsker(&AnswerStep);
    gOfferedStep = 0.0;
    gAnsweredStep = 0.0;  // a step of 0 takes the default, 2 Discrete
    Press(CM_PSF_VIEW_AS_TEXT);
    SetSectionStepAsker(asker);
    EXPECT_GT(GetTestImage()->pixelSize, 0.0);
    EXPECT_EQ(gOfferedStep, 2.0 * GetTestImage()->pixelSize) << discrete;
    std::ifstream lines(folder->Page()->SectionFile());
    std::stringstream read;
    read << lines.rdbuf();
    EXPECT_NE(read.str().find("     100"), std::string::npos) << read.str();  // the whole energy at last
    folder->Destroy();
    delete folder;
  }
  Open();
  TRecordingMessageBoxProvider boxes;
  const TSectionStepAsker previous = SetSectionStepAsker(&AnswerStep);
  gAnsweredStep = 0.0;
  Press(CM_PSF_VIEW_AS_TEXT);
  SetSectionStepAsker(previous);
  std::ifstream report(folder->Page()->SectionFile());
  ASSERT_TRUE(report.good());
  std::stringstream text;
  text << report.rdbuf();
  EXPECT_NE(text.str().find("System: cooke_triplet.os"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("Energy concentration in square"), std::string::npos);
  EXPECT_NE(text.str().find("   0.004 "), std::string::npos);  // the second size, 2 Discrete
  // A second report while that viewer is open: a file of its own, the user's kept.
  const std::string first = folder->Page()->SectionFile();
  { std::ofstream(first, std::ios::binary) << "Edited by the user\n"; }
  SetSectionStepAsker(&AnswerStep);
  Press(CM_PSF_VIEW_AS_TEXT);
  SetSectionStepAsker(previous);
  EXPECT_NE(folder->Page()->SectionFile(), first);
  std::ifstream kept(first, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "Edited by the user\n");
  // A report that cannot be written is told, not dropped in silence.
  std::error_code shown;  // the names the open viewers show stay files
  for (int n = 2; n < 10; ++n) std::filesystem::create_directories(TempPath("section" + std::to_string(n) + ".txt/x"), shown);
  SetSectionStepAsker(&AnswerStep);
  Press(CM_PSF_VIEW_AS_TEXT);
  SetSectionStepAsker(previous);
  ASSERT_FALSE(boxes.boxes.empty());
  EXPECT_NE(boxes.boxes.back().text.find("is not an ordinary file"), std::string::npos) << boxes.boxes.back().text;
  boxes.boxes.clear();
  // The graph: a red curve from (0, 0) rising to the top.
  Press(CM_PSF_VIEW_AS_GRAPH);
  TGraph *graph = folder->Page()->LastSectionGraph();
  ASSERT_NE(graph, nullptr);
  EXPECT_EQ(graph->GetWindowText(), "Real concentration: PSF (Y=0) - cooke_triplet.os");
  test_kit::RunFor(20);
  int red = 0;
  const RECT client = graph->GetClientRect();
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) red += test_kit::ClientPixel(*graph, x, y) == RGB(255, 0, 0);
  EXPECT_GT(red, 50);
  EXPECT_TRUE(boxes.boxes.empty());
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, TheButtonsMenuOffersTextAndGraph) {
  Open();
  TScriptedMenuTracker menus;
  menus.ChooseId(CM_PSF_VIEW_AS_GRAPH);
  Press(kPsfSectionsButton);
  ASSERT_EQ(menus.walks.size(), 1u);
  EXPECT_EQ(menus.walks[0].Items, (std::vector<std::string>{"View as text", "View as graph"}));
  ASSERT_NE(folder->Page()->LastSectionGraph(), nullptr);
  // In MTF mode the button reads "Sections" and the graph shows the sections.
  Choose(kPsfRadioMtf);
  char text[32] = "";
  folder->Page()->GetDlgItemText(kPsfSectionsButton, text, sizeof text);
  EXPECT_STREQ(text, "Sections");
  menus.ChooseId(CM_PSF_VIEW_AS_GRAPH);
  Press(kPsfSectionsButton);
  ASSERT_NE(folder->Page()->LastSectionGraph(), nullptr);
  EXPECT_EQ(folder->Page()->LastSectionGraph()->GetWindowText(), "Real MTF sections: PSF (Y=0) - cooke_triplet.os");
  folder->Destroy();
  delete folder;
}

// The step is typed into its dialog: one that is no number, zero or negative is refused
// by the field's name and the dialog stays; a positive step is stored.
TEST(SectionStepDialog, AStepThatIsNotAboveZeroIsRefusedAndTheDialogStays) {
  test_kit::EnsureApplication();
  TRecordingMessageBoxProvider boxes;
  double step = 0.002;
  TStepSectionsDlg dialog(nullptr, &step);
  ASSERT_TRUE(dialog.Create());
  const struct {
    const char *typed;
    const char *message;
  } refused[] = {{"-0.5", "Parameter 'Step' can not be negative!"},
                 {"0", "Parameter 'Step' can not be 0!"},
                 {"two", "Step: \"two\" is not a number."}};
  for (const auto &c : refused) {
    SCOPED_TRACE(c.typed);
    dialog.SetDlgItemText(TStepSectionsDlg::kStepEdit, c.typed);
    boxes.boxes.clear();
    dialog.SendMessage(WM_COMMAND, IDOK, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, c.message);
    EXPECT_EQ(step, 0.002);
    EXPECT_NE(dialog.GetHandle(), nullptr);
    EXPECT_EQ(DoubleFromControl(dialog.GetDlgItem(TStepSectionsDlg::kStepEdit)), 0.002);
  }
  dialog.SetDlgItemText(TStepSectionsDlg::kStepEdit, "0.005");
  boxes.boxes.clear();
  dialog.SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(step, 0.005);
  if (dialog.GetHandle() != nullptr) dialog.Destroy();
}

TEST_F(PsfWindow, MtfSectionsReportStartsAtOne) {
  // The pixel size left to the program: the step offered is that of the grid computed.
  system.info.Discrete = 0.0;
  Open();
  Choose(kPsfRadioMtf);
  TRecordingMessageBoxProvider boxes;
  const TSectionStepAsker previous = SetSectionStepAsker(&AnswerStep);
  // A step beyond the grid's highest frequency, 1 / (2 pixel), shows no empty report.
  gAnsweredStep = 1e6;
  Press(CM_PSF_VIEW_AS_TEXT);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text.find("No sections to show: the step 1e+06 is not below"), 0u) << boxes.boxes[0].text;
  EXPECT_FALSE(std::filesystem::exists(folder->Page()->SectionFile()));
  gAnsweredStep = 10.0;  // cycles per mm
  Press(CM_PSF_VIEW_AS_TEXT);
  SetSectionStepAsker(previous);
  EXPECT_APPROX(gOfferedStep, 1.0 / (64 * system.info.discreteInEffect), 1e-12);
  std::ifstream report(folder->Page()->SectionFile());
  std::stringstream text;
  text << report.rdbuf();
  EXPECT_NE(text.str().find("MTF sections"), std::string::npos);
  EXPECT_NE(text.str().find("Frequency"), std::string::npos);
  EXPECT_EQ(text.str().find("Frequence "), std::string::npos);
  // Both sections begin at frequency 0 with the MTF's centre value.
  EXPECT_TRUE(WordThenOne(text.str(), "Meridional")) << text.str();
  EXPECT_TRUE(WordThenOne(text.str(), "Sagittal"));
  folder->Destroy();
  delete folder;

  // The 14 degree beam at 0.55 um on 256 nodes: astigmatic, its spot longer in y (rms
  // 0.0115 mm) than in z (0.0087 mm). An MTF of our own (some 20,000 rays traced to the
  // reference sphere about the chief ray's image point, the OTF as the pupil function's
  // autocorrelation) gives at 45, 90 and 135 cycles per mm the lower response along y.
  system.info.Nd = 256;
  Open();
  Choose(kPsfRadioMtf);
  auto *combo = dynamic_cast<TComboBox *>(folder->Page()->ChildWithId(kPsfFieldCombo));
  combo->SetSelIndex(1);
  folder->Page()->SendMessage(WM_COMMAND, (CBN_SELCHANGE << 16) | kPsfFieldCombo, reinterpret_cast<LPARAM>(combo->GetHandle()));
  SetSectionStepAsker(&AnswerStep);
  gAnsweredStep = 45.0;
  Press(CM_PSF_VIEW_AS_TEXT);
  SetSectionStepAsker(previous);
  std::ifstream offAxis(folder->Page()->SectionFile());
  const std::string table{std::istreambuf_iterator<char>(offAxis), {}};
  const struct {
    const char *label;
    double own[4];  // at 0, 45, 90, 135 cycles per mm
  } sections[] = {{"Meridional", {1.0, 0.0822, 0.0175, 0.0074}}, {"Sagittal", {1.0, 0.1537, 0.0741, 0.0289}}};
  for (const auto &section : sections) {
    std::istringstream row(table.substr(table.find(section.label) + std::strlen(section.label)));
    for (double own : section.own) {
      double shown = -1.0;
      row >> shown;
      EXPECT_NEAR(shown, own, kOwnTraceMtf) << section.label << "\n" << table;
    }
  }
  // The graph: the green (meridional) curve below the red (sagittal) at 45 cycles per mm,
  // each named in its colour at the upper right of the plot.
  Press(CM_PSF_VIEW_AS_GRAPH);
  TGraph &graph = *folder->Page()->LastSectionGraph();
  test_kit::RunFor(20);
  const RECT plot = graph.GetPlotRect();
  auto topmost = [&](int x, int yTo, COLORREF colour) {
    for (int y = plot.top; y < yTo; ++y)
      if (test_kit::ClientPixel(graph, x, y) == colour) return y;
    return -1;
  };
  const int x45 = graph.WorldToDevice(45.0, 0.0).x;
  EXPECT_GT(topmost(x45, plot.bottom, kGreenPixel), topmost(x45, plot.bottom, kRedPixel) + 10);
  int named = 0;
  for (int x = (plot.left + plot.right) / 2; x < plot.right; ++x)
    named += (topmost(x, plot.top + 30, kGreenPixel) >= 0) + (topmost(x, plot.top + 30, kRedPixel) >= 0);
  EXPECT_GT(named, 20);
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, SectionsRunAlongAndAcrossTheTangentialDirectionOfAnyPoint) {
  // At Y 0, X 14, at Y 10, X 10 and at Y 10, X -10: "Meridional" and "Sagittal" at 0 to 135 cycles per mm
  // against our own transform of the PSF along (Y, X) and across it, to the three digits
  // the table prints.
  constexpr double kBetweenPixels = 1e-3;
  system.info.Nd = 256;
  for (const TSectionDirection point :
       {TSectionDirection{0.0, 14.0}, TSectionDirection{10.0, 10.0}, TSectionDirection{10.0, -10.0}}) {
    TPsfRun run(Scratch(""));
    Mem<float> psf;
    ASSERT_TRUE(run.Compute(system, point.y, point.z, 256, false) == 1 && run.images.data[0].Read(psf));
    const double ty = point.y / std::hypot(point.y, point.z), tz = point.z / std::hypot(point.y, point.z);
    const double light = std::accumulate(psf.data, psf.data + 256 * 256, 0.0);
    Open();
    Choose(kPsfRadioMtf);
    folder->Page()->SetDlgItemText(kPsfYEdit, std::to_string(point.y).c_str());
    folder->Page()->SetDlgItemText(kPsfXEdit, std::to_string(point.z).c_str());
    const TSectionStepAsker previous = SetSectionStepAsker(&AnswerStep);
    gAnsweredStep = 45.0;
    Press(CM_PSF_VIEW_AS_TEXT);
    SetSectionStepAsker(previous);
    // The point named as it was given: X alone, and Y with X on either side.
    EXPECT_EQ(folder->Page()->name, point.y == 0.0   ? "PSF (Y=0, X=14)"
                                    : point.z > 0.0 ? "PSF (Y=10, X=10)"
                                                    : "PSF (Y=10, X=-10)");
    std::ifstream report(folder->Page()->SectionFile());
    const std::string table{std::istreambuf_iterator<char>(report), {}};
    for (const bool along : {true, false}) {
      const std::string label = along ? "Meridional" : "Sagittal";
      std::istringstream row(table.substr(table.find(label) + label.size()));
      for (double nu : {0.0, 45.0, 90.0, 135.0}) {
        std::complex<double> sum = 0.0;
        for (int k = 0; k < 256 * 256; ++k) {  // the image's y falls down the rows
          const double y = (128 - k / 256) * run.interval, z = (k % 256 - 128) * run.interval;
          const double phase = 2.0 * kPi * nu * (along ? y * ty + z * tz : z * ty - y * tz);
          sum += std::polar(static_cast<double>(psf.data[k]), phase);
        }
        double shown = -1.0;
        row >> shown;
        EXPECT_NEAR(shown, std::abs(sum) / light, kBetweenPixels) << nu << "\n" << table;
      }
    }
    folder->Destroy();
    delete folder;
  }
}

// The numbers after the label on every line of the table that begins with it.
std::vector<double> TableRow(const std::string &table, const std::string &label) {
  std::vector<double> values;
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream row(line);
    std::string word;
    if (!(row >> word) || word != label) continue;
    for (double v; row >> v;) values.push_back(v);
  }
  return values;
}

TEST_F(PsfWindow, EverySectionValueIsTheTransformOfTheSummedPsfAtItsFrequency) {
  // Every shipped example that makes a PSF, in all its wavelengths, axial point: each value
  // of the table (at a step between the grid's frequencies) and every point of the graph
  // against our own direct transform of the summed PSF, projected onto y and onto z. The
  // prism's colours lie apart along y: its response swings from one grid step to the next.
  const double kPrinted = 1e-3;  // three digits printed
  std::set<std::string> checked;
  for (const auto &entry : std::filesystem::directory_iterator(ExamplePath(""))) {
    if (entry.path().extension() != ".os") continue;
    const std::string name = entry.path().filename().string();
    ASSERT_EQ(system.ReadFile(entry.path().string(), kNameFromFileName), 1) << name;
    system.info.Nd = name == "prism.os" ? 256 : 64;
    system.info.Discrete = name == "prism.os" ? 0.2 : 0.0;
    system.info.ShowRecommendation = 0;
    system.info.MonochromeSystem = 0;
    TPsfRun run(Scratch(""));
    TRecordingMessageBoxProvider boxes;
    Mem<float> psf;
    if (run.Compute(system, 0.0, 0.0, system.info.Nd, false) != 1 || run.Sum(system.info.Nd, psf) != 1) continue;
    checked.insert(name);
    const int n = system.info.Nd;
    const double f = 1.0 / (n * run.interval);
    std::vector<double> rows(n, 0.0), columns(n, 0.0);
    for (int k = 0; k < n * n; ++k) rows[k / n] += psf.data[k], columns[k % n] += psf.data[k];
    const double light = std::accumulate(rows.begin(), rows.end(), 0.0);
    auto own = [&](bool alongY, double nu) {
      std::complex<double> sum = 0.0;
      for (int i = 0; i < n; ++i) sum += std::polar(alongY ? rows[i] : columns[i], 2.0 * kPi * nu / f * i / n);
      return std::abs(sum) / light;
    };
    Open();
    Choose(kPsfRadioMtf);
    const TSectionStepAsker previous = SetSectionStepAsker(&AnswerStep);
    gAnsweredStep = 0.37 * f;
    Press(CM_PSF_VIEW_AS_TEXT);
    SetSectionStepAsker(previous);
    std::ifstream report(folder->Page()->SectionFile());
    const std::string table{std::istreambuf_iterator<char>(report), {}};
    const std::vector<double> meridional = TableRow(table, "Meridional"), sagittal = TableRow(table, "Sagittal");
    ASSERT_EQ(meridional.size(), static_cast<std::size_t>(std::ceil(n / 2 / 0.37))) << name;
    ASSERT_EQ(sagittal.size(), meridional.size()) << name;
    for (std::size_t j = 0; j < meridional.size(); ++j) {
      ASSERT_NEAR(meridional[j], own(true, j * gAnsweredStep), kPrinted) << name << " " << j * gAnsweredStep;
      ASSERT_NEAR(sagittal[j], own(false, j * gAnsweredStep), kPrinted) << name << " " << j * gAnsweredStep;
    }
    Press(CM_PSF_VIEW_AS_GRAPH);
    const auto &curves = folder->Page()->LastSectionCurves();
    ASSERT_EQ(curves.size(), 2u);
    for (int k = 0; k < 2; ++k) {
      // Rising frequencies, most of them between the grid's: the response between them.
      int between = 0;
      for (std::size_t i = 0; i < curves[k].size(); ++i) {
        const DPOINT &p = curves[k][i];
        ASSERT_GT(p.x, i > 0 ? curves[k][i - 1].x : -1.0) << name;
        between += std::fabs(p.x / f - std::round(p.x / f)) > 1e-6;
        ASSERT_NEAR(p.y, own(k == 0, p.x), kPrinted) << name << " " << p.x;
      }
      EXPECT_GT(between, n) << name;
    }
    folder->Destroy();
    delete folder;
  }
  EXPECT_EQ(checked.count("prism.os"), 1u);
  EXPECT_GE(checked.size(), 10u) << ::testing::PrintToString(checked);
}

TEST_F(PsfWindow, ColorMapOnASystemItsGlassesCannotTraceTellsWhyAndOpensNothing) {
  TSynthesisWindows *previous = InstallSynthesisWindows();
  system.info.MonochromeSystem = 0;
  system.info.Spectrum.data[0].lambda = 5.0;
  MarkModelChanged();
  Open();
  const std::size_t pictures = TColorPicture::Pictures().size(), before = BoxCount();
  Press(kPsfColorMapButton);
  EXPECT_EQ(TColorPicture::Pictures().size(), pictures);
  ASSERT_EQ(BoxCount(), before + 1);
  EXPECT_EQ(Boxes().boxes[before].text, system.UntracedText());
  EXPECT_NE(Boxes().boxes[before].text.find("only, not at 5 µm: the system is not traced"), std::string::npos);
  folder->Destroy();
  delete folder;
  SetSynthesisWindows(previous);
}

TEST_F(PsfWindow, ColorMapOpensAPictureWhoseModeReachesTheFolder) {
  TSynthesisWindows *previous = InstallSynthesisWindows();
  Open();
  TRecordingMessageBoxProvider boxes;
  // Nothing computed yet: the plot has nothing to show.
  folder->Page()->ShowGraph();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough information!");
  const std::size_t before = TColorPicture::Pictures().size();
  Press(kPsfColorMapButton);
  ASSERT_EQ(TColorPicture::Pictures().size(), before + 1);
  TColorPicture *picture = TColorPicture::Pictures().back();
  EXPECT_EQ(GetTestImage()->picture, picture);
  EXPECT_EQ(GetTestImage()->colorMode, 17);
  folder->PostMessage(WM_PICTURE_MODE, 3, 0);
  ASSERT_TRUE(test_kit::RunUntil([] { return GetTestImage()->colorMode == 3; }));
  // Cancel closes the folder; the picture stays with its pixels, as the other results do.
  const int pixels = picture->Image().pixels.Cells();
  folder->PostMessage(WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return owner->folderGone == 1; }));
  ASSERT_EQ(TColorPicture::Pictures().size(), before + 1);
  EXPECT_GT(pixels, 0);
  EXPECT_EQ(picture->Image().pixels.Cells(), pixels);
  // Its components went with the folder: the palette's colour and scale buttons leave it as built.
  picture->Command(CM_PICTURE_PSEUDO);
  picture->Command(CM_PICTURE_LOG);
  EXPECT_EQ(std::make_pair(picture->modeWord, picture->Image().scaleMode), std::make_pair(17, 0));
  delete folder;
  delete picture;
  SetSynthesisWindows(previous);
}

// Notes the folder's height when a message reaches it, which a run's pump dispatches.
class THeightProbe : public TWindow {
 public:
  explicit THeightProbe(TWindow *&watched) : TWindow(nullptr, "probe"), watched_(watched) {
    Attr.Style = WS_POPUP;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_USER + 7 && watched_ != nullptr) {
      const RECT r = watched_->GetWindowRect();
      heights.push_back(r.bottom - r.top);
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  std::vector<int> heights;

 private:
  TWindow *&watched_;
};

TEST_F(PsfWindow, ARunStretchesTheFolderOverItsGaugeAndGivesItsSizeBack) {
  Open();
  TWindow *watched = folder;
  THeightProbe probe(watched);
  ASSERT_TRUE(probe.Create());
  const RECT normal = folder->GetWindowRect();
  const int marker = folder->ChildWithId(kPsfProgressMarker)->GetWindowRect().top;
  ASSERT_GT(marker, normal.bottom);
  probe.PostMessage(WM_USER + 7, 0, 0);
  Press(kPsf3DPlotButton);
  ASSERT_EQ(probe.heights.size(), 1u);
  EXPECT_EQ(probe.heights[0], marker - normal.top);
  const RECT after = folder->GetWindowRect();
  EXPECT_EQ(after.bottom - after.top, normal.bottom - normal.top);
  EXPECT_EQ(folder->Gauge()->Queue().BusyCount(), 0);
  folder->Destroy();
  delete folder;
}

// The image-synthesis folder as the PSF page sees it.
class TSynthesisStandIn : public TPsfSynthesisOwner {
 public:
  void PsfPointChanged() override { ++changes; }
  bool IdealPointWanted() override { return ideal; }
  TWindow *ProgressWindow() override { return nullptr; }
  int changes = 0;
  bool ideal = true;
};

const TDialogTemplate kSynthesisFolderTemplate{
    "PsfTestSynthesisFolder", WS_POPUP | WS_CAPTION, 0, 0, 240, 160, "Synthesis",
    {{"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 228, 140}}};
const TDialogRegistration kSynthesisFolderRegistration(kSynthesisFolderTemplate);

TEST_F(PsfWindow, SynthesisPageMakesTheIdealPointAndTellsItsFolderOfANewPoint) {
  auto *image = new TTestImage();
  image->pixelCount = 64;
  image->pixelSize = 0.002;
  image->savedDifrac = 1;
  SetTestImage(image);
  TSynthesisStandIn synthesis;
  auto *synthesisFolder = new TBookMarkFolder(owner.get(), "PsfTestSynthesisFolder");
  auto *page = new TTestPSF(synthesisFolder, &system, &synthesis);
  synthesisFolder->AddPage(page, " PSF ");
  ASSERT_TRUE(synthesisFolder->Create());
  test_kit::RunFor(20);
  EXPECT_EQ(page->name, "PSF");
  // The object point from the system's field list (Unit 0: degrees as they are).
  auto *combo = dynamic_cast<TComboBox *>(page->ChildWithId(kPsfFieldCombo));
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->GetCount(), 3);
  EXPECT_EQ(combo->GetString(1), "14, 0");
  const int changes = synthesis.changes;
  combo->SetSelIndex(1);
  page->SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | kPsfFieldCombo),
                    reinterpret_cast<LPARAM>(combo->GetHandle()));
  EXPECT_EQ(page->Y, 14.0);
  EXPECT_EQ(synthesis.changes, changes + 1);
  // The ideal point: one file whose centre pixel holds everything.
  ASSERT_EQ(page->Calculate(), 1);
  EXPECT_EQ(page->state, kRastersWritten);
  EXPECT_EQ(page->name, "PSF (Y=14)");
  ASSERT_EQ(page->rasterFiles.cols, 1);
  Mem<float> raster;
  ASSERT_EQ(page->rasterFiles.data[0].Read(raster), 1);
  EXPECT_EQ(raster.data[32 * 64 + 32], 1.0f);
  double sum = 0.0;
  for (int p = 0; p < 64 * 64; ++p) sum += raster.data[p];
  EXPECT_EQ(sum, 1.0);
  // A real PSF: the settings line tells the sampling.
  synthesis.ideal = false;
  page->Invalidate();
  ASSERT_EQ(page->Calculate(), 1);
  char line[256] = "";
  page->GetDlgItemText(kPsfSettingsText, line, sizeof line);
  EXPECT_EQ(std::string(line).rfind("Pixel number: 64, Discrete: 0.002 mm\n", 0), 0u) << line;
  ASSERT_EQ(page->rasterFiles.data[0].Read(raster), 1);
  int lit = 0;
  for (int p = 0; p < 64 * 64; ++p) lit += raster.data[p] > 0.0f;
  EXPECT_GT(lit, 4);
  synthesisFolder->Destroy();
  delete synthesisFolder;
  SetTestImage(nullptr);
  delete image;
}

TEST(SectionStep, RoundsToTheNearerRoundStepAndLeavesNothingToLogOfZero) {
  EXPECT_EQ(RoundedSectionStep(1.25), 1.5);
  EXPECT_APPROX(RoundedSectionStep(0.9), 1.0, 1e-12);
  EXPECT_APPROX(RoundedSectionStep(0.0041), 0.004, 1e-12);
  EXPECT_APPROX(RoundedSectionStep(9.5), 10.0, 1e-12);
  EXPECT_EQ(RoundedSectionStep(0.0), 0.0);
  EXPECT_EQ(RoundedSectionStep(-2.0), 0.0);
  EXPECT_EQ(RoundedSectionStep(std::nan("")), 0.0);
}

TEST_F(PsfWindow, AResultOfAFolderAtTheScreensEdgeOpensOnTheScreen) {
  // The results cascade right of the folder; a folder moved to the right or bottom edge
  // still gives windows the user can see.
  Open();
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const RECT own = folder->GetWindowRect();
  folder->MoveWindow(screenWidth - (own.right - own.left), screenHeight - (own.bottom - own.top),
                     own.right - own.left, own.bottom - own.top, false);
  for (int k = 0; k < 2; ++k) {
    Press(kPsf3DPlotButton);
    ASSERT_EQ(Plots().size(), static_cast<std::size_t>(k + 1));
    const RECT plot = Plots()[k]->GetWindowRect();
    EXPECT_GE(plot.left, 0) << k;
    EXPECT_GE(plot.top, 0) << k;
    EXPECT_LE(plot.right, screenWidth) << k;
    EXPECT_LE(plot.bottom, screenHeight) << k;
  }
  folder->Destroy();
  delete folder;
}

TEST_F(PsfWindow, ThePageWithItsTabLeavesCancelAndHelpFreeBelowIt) {
  Open();
  const RECT page = folder->Page()->GetWindowRect();
  const RECT client = folder->GetClientRect();
  const POINT origin = folder->ClientToScreen(POINT{0, 0});
  for (int id : {IDCANCEL, static_cast<int>(kPsfHelpButton)}) {
    TWindow *button = folder->ChildWithId(id);
    ASSERT_NE(button, nullptr) << id;
    const RECT place = button->GetWindowRect();
    EXPECT_GE(place.top, page.bottom) << id;
    EXPECT_LE(place.bottom, origin.y + client.bottom) << id;
  }
  folder->Destroy();
  delete folder;
}

}  // namespace
