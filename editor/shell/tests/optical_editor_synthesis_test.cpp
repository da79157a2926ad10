#include <filesystem>

#include "analysis/psf/show_psf.h"
#include "analysis/psf/test_psf.h"
#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/detector_parameters.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/controls/combo_box.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/isoplanar_synthesis.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tests/folder_test_support.h"

namespace {

class EditorSynthesisTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    previousWindows_ = SetSynthesisWindows(&windows_);
  }
  void TearDown() override {
    EditorShellTest::TearDown();
    // Picture windows belong to the folder window and went with it.
    SetSynthesisWindows(previousWindows_);
  }
  bool Checked(UINT command) const {
    return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  TPictureWindows windows_;
  TSynthesisWindows *previousWindows_ = nullptr;
  std::vector<TColorPicture *> pictures_;
  TTinyObjectPageScope page_;
};

TEST_F(EditorSynthesisTest, TheCommandOpensTheFolderColorShowsTheImageAndTheCommandClosesIt) {
  TOpticalEditor &editor = Open(triplet_);
  TOpticalSystemInformation &info = editor.System().info;
  const int nd = info.Nd;
  const double discrete = info.Discrete;
  const int difrac = info.Difrac;
  const int monochrome = info.MonochromeSystem;
  const Mem<TSpectralInfo> spectrum = info.Spectrum;
  EXPECT_FALSE(Grey(CM_IMAGE_SYNTHESIS));
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  TTestObjectFolder *folder = editor.Launchers().SynthesisWindow();
  ASSERT_NE(folder, nullptr);
  EXPECT_NE(folder->GetHandle(), nullptr);
  EXPECT_TRUE(editor.Launchers().SynthesisOpen());
  EXPECT_EQ(folder->GetWindowText(), "Image synthesis");
  // The PSF and MTF window is shut while the folder lives.
  EXPECT_TRUE(Grey(CM_PSF_MTF));
  answers_->beeps.clear();
  editor.Launchers().CmPsfMtf();
  EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 1u);
  // Color: the image of the one-cell object is the PSF, shown in a picture window.
  folder->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  TTestImage *image = GetTestImage();
  ASSERT_NE(image, nullptr);
  ASSERT_NE(image->picture, nullptr);
  pictures_.push_back(image->picture);
  EXPECT_NE(image->picture->GetHandle(), nullptr);
  ASSERT_EQ(RecordCount(folder->rasterFiles), info.Spectrum.cols);
  Mem<float> result;
  TFileData reader(folder->rasterFiles.data[0]);
  ASSERT_TRUE(ReadSquareRaster(reader, result, image->pixelCount));
  // The on-axis PSF peaks at the centre cell.
  const int n = image->pixelCount;
  int brightest = 0;
  for (int i = 1; i < n * n; ++i)
    if (result.data[i] > result.data[brightest]) brightest = i;
  EXPECT_EQ(brightest, n / 2 * n + n / 2);
  // A change of the system: the image is computed anew at the next request.
  editor.RefreshAnalyses();
  EXPECT_EQ(folder->state, kNothingComputed);
  // The same command closes it and the borrowed settings come back.
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  EXPECT_FALSE(editor.Launchers().SynthesisOpen());
  EXPECT_FALSE(Grey(CM_PSF_MTF));
  EXPECT_EQ(info.Nd, nd);
  EXPECT_EQ(info.Discrete, discrete);
  EXPECT_EQ(info.Difrac, difrac);
  EXPECT_EQ(info.MonochromeSystem, monochrome);
  ASSERT_EQ(info.Spectrum.cols, spectrum.cols);
  for (int i = 0; i < spectrum.cols; ++i) EXPECT_EQ(info.Spectrum.data[i].lambda, spectrum.data[i].lambda);
  EXPECT_FALSE(std::filesystem::exists(IsoplanarResultName(TempDir(), 0)));
  // Opens again; the folder's own Cancel closes it as well.
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  ASSERT_NE(editor.Launchers().SynthesisWindow(), nullptr);
  editor.Launchers().SynthesisWindow()->SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  EXPECT_FALSE(Grey(CM_PSF_MTF));
}

TEST_F(EditorSynthesisTest, ATooSmallSystemOrABusyEditorOnlyBeeps) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().options.lensAnimationRunning = 1;
  answers_->beeps.clear();
  editor.Launchers().CmImageSynthesis();
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 1u);
  editor.System().options.lensAnimationRunning = 0;
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  editor.System().DeleteSurface(1);  // New gives two planes: one is too few
  answers_->beeps.clear();
  editor.Launchers().CmImageSynthesis();
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 1u);
}

}  // namespace

namespace {

// Sums of 256 x 256 single-precision cells after two transforms.
constexpr double kSumTolerance = 1e-4;

// The folder with the program's own Object and Detector pages.
class EditorSynthesisRoadTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    previousWindows_ = SetSynthesisWindows(&windows_);
  }
  void TearDown() override {
    EditorShellTest::TearDown();
    SetSynthesisWindows(previousWindows_);
  }
  TPictureWindows windows_;
  TSynthesisWindows *previousWindows_ = nullptr;
};

TEST_F(EditorSynthesisRoadTest, TheRadialTargetIsImagedAndADetectorRecomputesAtEveryColor) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  TTestObjectFolder *folder = editor.Launchers().SynthesisWindow();
  ASSERT_NE(folder, nullptr);
  ASSERT_NE(folder->ObjectPage(), nullptr);
  ASSERT_NE(folder->DetectorPage(), nullptr);
  TTestObject *object = folder->CurrentObject();
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(folder->DetectorIsNone());
  folder->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  EXPECT_TRUE(answers_->boxes.empty()) << (answers_->boxes.empty() ? "" : answers_->boxes[0].text);
  TTestImage *image = GetTestImage();
  ASSERT_NE(image, nullptr);
  ASSERT_NE(image->picture, nullptr);
  ASSERT_EQ(RecordCount(folder->rasterFiles), editor.System().info.Spectrum.cols);
  // Without a detector the image's sum is the cell area times the target's sum times the
  // PSF's sum (a circular convolution loses nothing).
  const int n = image->pixelCount;
  auto sum = [n](const TFileData &record) {
    Mem<float> raster;
    TFileData reader(record);
    double total = 0.0;
    if (ReadSquareRaster(reader, raster, n))
      for (int i = 0; i < n * n; ++i) total += raster.data[i];
    return total;
  };
  const double target = sum(object->rasterFiles.data[0]);
  const double psf = sum(folder->PsfPage()->rasterFiles.data[0]);
  ASSERT_GT(target, 0.0);
  ASSERT_GT(psf, 0.0);
  EXPECT_APPROX(sum(folder->rasterFiles.data[0]),
                image->pixelSize * image->pixelSize * target * psf, kSumTolerance);
  // A round detector: every Color computes anew.
  auto *detector = dynamic_cast<TTestDetector *>(folder->DetectorPage()->PageWindow());
  ASSERT_NE(detector, nullptr);
  ASSERT_EQ(detector->ChooseDetectorType(kDetectorRound), 1);
  EXPECT_FALSE(folder->DetectorIsNone());
  EXPECT_EQ(folder->state, kNothingComputed);
  folder->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_EQ(folder->state, kRastersWritten);
  const std::string first = folder->rasterFiles.data[0].fileName;
  std::filesystem::remove(first);
  folder->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  EXPECT_TRUE(std::filesystem::exists(first));
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
}

}  // namespace

namespace {

TEST_F(EditorSynthesisTest, TheEditorStaysWhileASynthesisRunsAndTheFolderGoesAfterwards) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  ASSERT_NE(editor.Launchers().SynthesisWindow(), nullptr);
  // The close arrives while the PSF of the synthesis pumps the messages.
  editor.PostMessage(WM_CLOSE, 0, 0);
  editor.Launchers().SynthesisWindow()->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  EXPECT_NE(editor.GetHandle(), nullptr);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.Launchers().SynthesisWindow() == nullptr; }));
  EXPECT_NE(editor.GetHandle(), nullptr);
  EXPECT_EQ(editor.System().info.Nd, 64);
}

}  // namespace

namespace {

TEST_F(EditorSynthesisTest, SavingWhileOpenWritesTheSystemsOwnSettingsAndANewSystemClosesTheFolder) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  ASSERT_NE(editor.Launchers().SynthesisWindow(), nullptr);
  ASSERT_EQ(editor.System().info.Nd, kSynthesisNd);
  editor.System().SetUnsavedChanges(1);
  editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM);
  // The file holds the triplet's own grid; the open folder keeps its loan.
  EXPECT_NE(ReadText(triplet_).find("Nd=64"), std::string::npos);
  EXPECT_EQ(editor.System().info.Nd, kSynthesisNd);
  // Another system: the folder gives the triplet its settings back and closes first, so
  // the new system keeps its own.
  const std::string other = ScratchExample("cooke_triplet.os", "other.os");
  WriteText(other, ReadText(other).replace(ReadText(other).find("Nd=64"), 5, "Nd=128"));
  ASSERT_EQ(editor.Files().LoadSystem(other, kNameFromFileName), 1);
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  EXPECT_EQ(editor.System().info.Nd, 128);
}

}  // namespace

namespace {

TEST_F(EditorSynthesisTest, AnUndoToAStateBeforeTheFolderOpenedKeepsTheLoan) {
  TOpticalEditor &editor = Open(triplet_);
  const int nd = editor.System().info.Nd;
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  TTestObjectFolder *folder = editor.Launchers().SynthesisWindow();
  ASSERT_NE(folder, nullptr);
  auto *scales = dynamic_cast<TComboBox *>(folder->SettingsPage()->ChildWithId(kSettingsScaleList));
  ASSERT_NE(scales, nullptr);
  scales->SetSelIndex(kScaleTv);
  folder->SettingsPage()->ApplyColorMode();
  // An edit and its undo bring back the snapshot taken before the folder opened.
  editor.System().Surface(1)->general.vertex[0] += 1.0;
  ASSERT_TRUE(editor.System().SaveUndo("Move"));
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(editor.System().info.Nd, kSynthesisNd);
  ASSERT_EQ(editor.System().info.Spectrum.cols * editor.System().info.Spectrum.rows, 3);
  EXPECT_EQ(editor.System().info.Spectrum.data[1].lambda, 0.5461);
  // Closing gives the triplet its own settings, and the step taken while the folder was
  // open holds them too: the loan never reaches the undo ring.
  const Mem<TSpectralInfo> own = editor.Launchers().SynthesisWindow()->SavedSpectrum();
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  EXPECT_EQ(editor.System().info.Nd, nd);
  editor.SendMessage(WM_COMMAND, CM_REDO);
  EXPECT_EQ(editor.System().info.Nd, nd);
  ASSERT_EQ(editor.System().info.Spectrum.cols, own.cols);
  for (int i = 0; i < own.cols; ++i)
    EXPECT_EQ(editor.System().info.Spectrum.data[i].lambda, own.data[i].lambda) << i;
}

}  // namespace

namespace {

// Pictures of a system that is let go: the synthesis folder's pictures and plots go with
// the folder when another system is opened, and a result of the PSF and MTF window, which
// stays on its own, keeps the name of the system it shows.
TEST_F(EditorSynthesisTest, PicturesOfASystemThatIsLetGoCloseOrSayWhoseTheyAre) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  TShowPSFFolder *psf = editor.Launchers().PsfWindow();
  ASSERT_NE(psf, nullptr);
  psf->Page()->SendMessage(WM_COMMAND, kPsf3DPlotButton, 0);
  TWindow *plot = nullptr;
  for (TWindow *child : editor.GetChildren())
    if (child->GetWindowText().rfind("Real PSF", 0) == 0) plot = child;
  ASSERT_NE(plot, nullptr);
  EXPECT_EQ(plot->GetWindowText(), "Real PSF (Y=0) - Cooke_Triplet.os");
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);

  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  TTestObjectFolder *folder = editor.Launchers().SynthesisWindow();
  ASSERT_NE(folder, nullptr);
  folder->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_NE(GetTestImage()->picture, nullptr);
  const HWND picture = GetTestImage()->picture->GetHandle();
  folder->SendMessage(WM_COMMAND, kFolder3DButton, 0);
  HWND meanPlot = nullptr;
  for (TWindow *child : folder->GetChildren())
    if (child->GetWindowText().rfind("Image: ", 0) == 0 && child->GetHandle() != picture) meanPlot = child->GetHandle();
  ASSERT_NE(meanPlot, nullptr);
  ASSERT_TRUE(IsWindow(picture));

  TScriptedFileDialog files;
  files.Choose({ScratchExample("double_gauss.os", "Double_Gauss.os")});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_NE(editor.System().name.find("Double_Gauss.os"), std::string::npos);
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  EXPECT_FALSE(IsWindow(picture));
  EXPECT_FALSE(IsWindow(meanPlot));
  // The triplet's PSF plot is still on the screen, and says it is the triplet's.
  ASSERT_TRUE(IsWindow(plot->GetHandle()));
  EXPECT_NE(plot->GetWindowText().find("Cooke_Triplet.os"), std::string::npos);
}

}  // namespace
