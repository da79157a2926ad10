// The Scanner tab of the Detector page, in a folder of its own whose owner offers the
// infrared scanner example and a mirror-turning animation: the tab follows the detector
// type, its values go into the shared record, linear scanning, the real sweep with its
// track window, and the questions when the sweep is too short.

#include "synthesis/detectors/detector_scanner_dlg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "document/system/system_image.h"
#include "foundation/testing/approx.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/tests/test_object_support.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window_handles.h"
#include "synthesis/detectors/detector_owner.h"
#include "synthesis/detectors/detector_type_dlg.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/detectors/tests/mirror_sweep.h"
#include "toolkit/graph/graph.h"

namespace {

constexpr int kSide = 64;
constexpr double kPixel = 0.05;  // a field of 3.2 mm
// The sweep of the mirror turned from +1 to -1 degree: f (tan 2 deg - tan -2 deg).
constexpr double kSweep = 100.0 * 2.0 * 0.03492076949174773;
// The objective's distortion and design rounding over the sweep.
constexpr double kSweepTolerance = 0.01 * kSweep;

const TDialogTemplate kScannerTestFolderTemplate{"ScannerTestFolder", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0,
                                                 232, 160, "Image synthesis",
                                                 {
                                                     {"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 220, 148},
                                                 }};
const TDialogRegistration kScannerTestFolderRegistration(kScannerTestFolderTemplate);
// A second page of the folder, to leave the Detector page for.
const TDialogTemplate kScannerTestOtherPageTemplate{"ScannerTestOtherPage", WS_CHILD | WS_CAPTION, 0, 0, 188, 96,
                                                    "", {}};
const TDialogRegistration kScannerTestOtherPageRegistration(kScannerTestOtherPageTemplate);

class TScanningOwner final : public TDetectorSynthesisOwner {
 public:
  void DetectorChanged() override { ++changes; }
  bool ImageAtInfinity() override { return false; }
  TSystemImage *ScanSystem() override { return system; }
  TScanAnimation *ScanAnimation() override { return animation; }
  bool ScanField(double &y, double &z) override {
    y = 0.0;
    z = 0.0;
    return true;
  }
  void RefreshViews() override { ++refreshes; }
  bool ObjectSizeForImageSize(double, double &objectSize) override { return (objectSize = namedSize) > 0.0; }
  void ReduceImageSize(double size) override {
    reducedTo = size;
    if (TTestImage *image = GetTestImage()) image->fieldSize = size;
  }
  TSystemImage *system = nullptr;
  TScanAnimation *animation = nullptr;
  int changes = 0;
  int refreshes = 0;
  double reducedTo = 0.0;
  double namedSize = 0.0;  // the object size the folder would give; 0: none
};

class TScannerTestFolder : public TBookMarkFolder {
 public:
  explicit TScannerTestFolder(TDetectorSynthesisOwner *owner) : TBookMarkFolder(nullptr, "ScannerTestFolder") {
    page = new TTestDetector(this, owner);
    AddPage(page, " Detector ");
    AddPage(new TBookMarkDlg(this, "ScannerTestOtherPage"), " Other ");
  }
  TTestDetector *page;
};

class ScannerPage : public TestObjectTest {
 protected:
  void SetUp() override {
    TestObjectTest::SetUp();
    test_kit::EnsureApplication();
    UsePixels(kSide, kPixel);
    image.fieldSize = kSide * kPixel;
    image.ObjectSize = 0.5;
    catalog_ = std::make_unique<TGlassCatalog>(SourceRoot() + "/resources/cglass", "schott");
    SetGlassCatalog(catalog_.get());
    ASSERT_EQ(system_.ReadFile(ExamplePath("infrared_scanner.os"), 0), 1);
    system_.Update();
    owner_.system = &system_;
  }
  void TearDown() override {
    folder_.reset();
    SetGlassCatalog(nullptr);
    TestObjectTest::TearDown();
  }
  void Open() {
    folder_ = std::make_unique<TScannerTestFolder>(&owner_);
    ASSERT_TRUE(folder_->Create());
    test_kit::RunFor(20);
    image.folderWindow = folder_->GetHandle();
  }
  // The folder open on the round detector's Scanner tab, real movement checked, the mirror
  // turning the system.
  void OpenScanningWith(TMirrorSweep &mirror) {
    owner_.animation = &mirror;
    Open();
    folder_->page->ChooseDetectorType(kDetectorRound);
    ASSERT_EQ(Inner().SelectPage(3), 1);
    Check(kScannerRealMovementCheck, true);
  }
  TTestDetectorFolder &Inner() { return *folder_->page->InnerFolder(); }
  TDetectorScannerDlg &Scanner() { return *Inner().ScannerPage(); }
  TScannerParameters &Record() { return *GetScannerParameters(); }
  void Check(int id, bool on) { Scanner().CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED); }
  void Type(int id, const char *text) { SetDlgItemText(Scanner().GetHandle(), id, text); }
  std::string Text(int id) {
    char text[64] = "";
    GetDlgItemText(Scanner().GetHandle(), id, text, sizeof text);
    return text;
  }

  std::unique_ptr<TGlassCatalog> catalog_;
  TSystemImage system_;
  TScanningOwner owner_;
  std::unique_ptr<TScannerTestFolder> folder_;
};

TEST_F(ScannerPage, TheTabIsOpenOnlyForTheDetectorsThatScan) {
  Open();
  ASSERT_NE(GetScannerParameters(), nullptr);
  for (int type = 0; type < kDetectorTypeCount; ++type) {
    SCOPED_TRACE(DetectorTypeText(type));
    ASSERT_EQ(folder_->page->ChooseDetectorType(type), 1);
    const bool scans = type == kDetectorRound || type == kDetectorRectangle || type == kDetectorSingleLine ||
                       type == kDetectorDoubleLine;
    EXPECT_EQ(Inner().Entry(3)->enabled, scans ? 1 : 0);
    EXPECT_EQ(Inner().SelectPage(3), scans ? 1 : 0);
    Inner().SelectPage(0);
  }
}

TEST_F(ScannerPage, TheValuesGoIntoTheRecordAndBadOnesAreRefused) {
  Open();
  folder_->page->ChooseDetectorType(kDetectorRound);
  ASSERT_EQ(Inner().SelectPage(3), 1);
  Check(kScannerRealMovementCheck, true);
  Check(kScannerYScanningCheck, false);
  Type(kScannerFrequencyEdit, "0");
  Type(kScannerTauEdit, "0.002");
  ASSERT_EQ(Inner().SelectPage(0), 1);  // leaving takes them
  EXPECT_EQ(Record().RealMovement, 1);
  EXPECT_EQ(Record().Yscanning, 0);
  EXPECT_EQ(Record().Frequence, 1.0f);  // 0 Hz is taken as 1 Hz
  EXPECT_EQ(Record().Tau, 0.002f);
  // A negative time is refused and the former values stay.
  ASSERT_EQ(Inner().SelectPage(3), 1);
  Type(kScannerTauEdit, "-1");
  EXPECT_EQ(Scanner().ReadParameters(), 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, kScannerNegativeText);
  EXPECT_EQ(Record().Tau, 0.002f);
  EXPECT_EQ(Text(kScannerTauEdit), "0.002");
  // A value with more digits than the edit shows survives an untouched edit.
  Record().Frequence = 123.456789f;
  Scanner().ShowParameters();
  EXPECT_EQ(Text(kScannerFrequencyEdit), "123.457");
  Scanner().ReadParameters();
  EXPECT_EQ(Record().Frequence, 123.456789f);
}

TEST_F(ScannerPage, LinearScanningCrossesTheImageInOnePeriod) {
  Open();
  folder_->page->ChooseDetectorType(kDetectorRectangle);
  Check(kScannerRealMovementCheck, false);
  Type(kScannerFrequencyEdit, "25");
  Scanner().SimulateScanning();
  EXPECT_EQ(Record().Prepared, 1);
  EXPECT_EQ(Record().RealMovement, 0);
  EXPECT_APPROX(Record().ScanTime, 0.04, 1e-9);
  EXPECT_APPROX(Record().Field, kSide * kPixel, 1e-6);
  EXPECT_EQ(Text(kScannerFieldEdit), "3.2");
  // Without an animation to move the system a real scan is linear, silently.
  Check(kScannerRealMovementCheck, true);
  Scanner().SimulateScanning();
  EXPECT_EQ(Record().RealMovement, 0);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ScannerPage, ARealSweepLongerThanTheImageIsTakenAndItsTrackShown) {
  TMirrorSweep mirror(system_, 8, 1.0, -0.25);
  OpenScanningWith(mirror);
  Check(kScannerYScanningCheck, true);
  Check(kScannerShowInitializationCheck, true);
  Type(kScannerFrequencyEdit, "50");
  Scanner().SimulateScanning();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(mirror.ended, 1);
  EXPECT_EQ(Record().Prepared, 1);
  EXPECT_EQ(Record().RealMovement, 1);
  EXPECT_APPROX(Record().Field, kSweep, kSweepTolerance);
  EXPECT_EQ(Record().TrackLength(), 9);
  EXPECT_APPROX(Record().ScanTime, 0.02, 1e-12);
  // The views were shown the moving system after every step, and once more at the end.
  EXPECT_EQ(owner_.refreshes, 10);
  // The track window beside the page: dark blue, with the red scanned coordinate.
  TGraph *track = Scanner().TrackWindow();
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(Record().TrackWindow, track);
  EXPECT_EQ(track->GetWindowText(), kTrackCaption);
  EXPECT_GE(track->GetWindowRect().left, Scanner().GetWindowRect().right);
  const QImage pixels = test_kit::WindowPixels(*track);
  int red = 0, blue = 0;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x) {
      const QRgb p = pixels.pixel(x, y);
      red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60 ? 1 : 0;
      blue += qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 92 ? 1 : 0;
    }
  EXPECT_GT(red, 50);
  EXPECT_GT(blue, pixels.width() * pixels.height() / 3);
  // A second run reuses the window; leaving the page closes it.
  Scanner().SimulateScanning();
  EXPECT_EQ(Scanner().TrackWindow(), track);
  ASSERT_EQ(Inner().SelectPage(0), 1);
  EXPECT_EQ(Scanner().TrackWindow(), nullptr);
  EXPECT_EQ(Record().TrackWindow, nullptr);
}

TEST_F(ScannerPage, AShortSweepAsksAndYesMeansLinearWhileNoMakesTheImageFit) {
  TMirrorSweep mirror(system_, 8, 1.0, -0.25);
  owner_.animation = &mirror;
  image.fieldSize = 10.0;
  Open();
  folder_->page->ChooseDetectorType(kDetectorRound);
  Check(kScannerRealMovementCheck, true);
  Check(kScannerShowTrackCheck, false);
  boxes.QueueAnswer(IDYES);
  Scanner().SimulateScanning();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("Do you want to use Linear scanning?"), std::string::npos);
  EXPECT_NE(boxes.boxes[0].text.find("10.000 mm is required"), std::string::npos);
  EXPECT_NE(boxes.boxes[0].text.find(" m\nor switch"), std::string::npos);  // the object size's unit
  owner_.namedSize = 4321.0;  // the folder's own conversion, not a proportion, is named
  Check(kScannerRealMovementCheck, true);
  boxes.QueueAnswer(IDYES);
  Scanner().SimulateScanning();
  EXPECT_NE(boxes.boxes.back().text.find("to 4321 m\n"), std::string::npos) << boxes.boxes.back().text;
  boxes.boxes.pop_back();
  EXPECT_EQ(boxes.boxes[0].flags & MB_YESNO, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(Record().RealMovement, 0);
  EXPECT_EQ(Record().Prepared, 1);
  EXPECT_EQ(Scanner().TrackWindow(), nullptr);  // not asked for
  // No: the image shrinks to just inside the sweep and the real scan is ready.
  Check(kScannerRealMovementCheck, true);
  boxes.QueueAnswer(IDNO);
  Scanner().SimulateScanning();
  ASSERT_EQ(boxes.boxes.size(), 2u);
  // The record keeps the field as a float.
  EXPECT_APPROX(owner_.reducedTo, 0.999 * Record().Field, 1e-6);
  EXPECT_APPROX(Record().Field, kSweep, kSweepTolerance);
  EXPECT_EQ(Record().RealMovement, 1);
  EXPECT_EQ(Record().Prepared, 1);
}

TEST_F(ScannerPage, AStillImageOrALostRayFallsBackOnLinearScanning) {
  TMirrorSweep still(system_, 4, 0.0, 0.0);
  owner_.animation = &still;
  Open();
  folder_->page->ChooseDetectorType(kDetectorDoubleLine);
  Check(kScannerRealMovementCheck, true);
  Scanner().SimulateScanning();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("Real scanning   0.000 mm - too small!"), std::string::npos);
  EXPECT_EQ(boxes.boxes[0].flags & MB_YESNO, 0u);
  EXPECT_EQ(Record().RealMovement, 0);
  EXPECT_EQ(Record().Prepared, 1);
  // Moved far less than a pixel (a trace that rounds): the same box, and No cannot shrink
  // the user's image.
  TMirrorSweep trembling(system_, 4, 0.0, 1e-6);
  owner_.animation = &trembling;
  Check(kScannerRealMovementCheck, true);
  boxes.QueueAnswer(IDNO);
  Scanner().SimulateScanning();
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[1].flags & MB_YESNO, 0u);
  EXPECT_EQ(image.fieldSize, kSide * kPixel);
  boxes.boxes.pop_back();
  // The mirror turned far enough for the beam to miss the objective.
  TMirrorSweep wild(system_, 4, 0.0, 15.0);
  owner_.animation = &wild;
  Check(kScannerRealMovementCheck, true);
  Scanner().SimulateScanning();
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_NE(boxes.boxes[1].text.find("does not pass"), std::string::npos);
  EXPECT_EQ(Record().RealMovement, 0);
  // "Edit" opens the animation file through the owner.
  Scanner().SendMessage(WM_COMMAND, kScannerEditButton, 0);
  EXPECT_EQ(wild.edits, 1);
}

TEST_F(ScannerPage, TheTrackWindowGoesWithTheDetectorPageAndTheFolder) {
  TMirrorSweep mirror(system_, 8, 1.0, -0.25);
  OpenScanningWith(mirror);
  Scanner().SimulateScanning();
  TGraph *track = Scanner().TrackWindow();
  ASSERT_NE(track, nullptr);
  HWND handle = track->GetHandle();
  EXPECT_TRUE(track->IsWindowVisible());
  // The user leaves the Detector page while its Scanner tab shows: the track goes too.
  ASSERT_EQ(folder_->SelectPage(1), 1);
  test_kit::RunFor(20);
  EXPECT_EQ(WindowFromHandle(handle), nullptr);
  EXPECT_EQ(Scanner().TrackWindow(), nullptr);
  EXPECT_EQ(Record().TrackWindow, nullptr);
  // Back on the Detector page, a new run makes a new one; closing the folder takes it.
  ASSERT_EQ(folder_->SelectPage(0), 1);
  EXPECT_EQ(Inner().CurrentPage(), 3);
  Check(kScannerRealMovementCheck, true);
  Scanner().SimulateScanning();
  ASSERT_NE(Scanner().TrackWindow(), nullptr);
  handle = Scanner().TrackWindow()->GetHandle();
  folder_->SendMessage(WM_CLOSE);
  test_kit::RunFor(20);
  folder_.reset();
  test_kit::RunFor(20);
  EXPECT_EQ(WindowFromHandle(handle), nullptr);
  EXPECT_EQ(GetScannerParameters(), nullptr);
}

TEST_F(ScannerPage, ATrackWindowClosedByTheUserIsNotUsedAgain) {
  TMirrorSweep mirror(system_, 8, 1.0, -0.25);
  owner_.animation = &mirror;
  Open();
  folder_->page->ChooseDetectorType(kDetectorRound);
  Check(kScannerRealMovementCheck, true);
  Scanner().SimulateScanning();
  TGraph *track = Scanner().TrackWindow();
  ASSERT_NE(track, nullptr);
  const HWND handle = track->GetHandle();
  track->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  test_kit::RunFor(20);
  EXPECT_EQ(WindowFromHandle(handle), nullptr);
  EXPECT_EQ(Scanner().TrackWindow(), nullptr);
  // The next run makes a new one.
  Check(kScannerRealMovementCheck, true);
  Scanner().SimulateScanning();
  EXPECT_NE(Scanner().TrackWindow(), nullptr);
}

TEST_F(ScannerPage, ThePageGivesBackOnlyTheRecordItMade) {
  Open();
  EXPECT_NE(GetScannerParameters(), nullptr);
  folder_.reset();
  EXPECT_EQ(GetScannerParameters(), nullptr);
  TScannerParameters mine;
  SetScannerParameters(&mine);
  Open();
  EXPECT_EQ(GetScannerParameters(), &mine);
  folder_.reset();
  EXPECT_EQ(GetScannerParameters(), &mine);
  SetScannerParameters(nullptr);
}

}  // namespace
