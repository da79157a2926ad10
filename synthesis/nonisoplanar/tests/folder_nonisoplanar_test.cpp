// "Real" in the image-synthesis folder: the choice is offered, and "Color" forms the image
// from node PSFs of the triplet with the window grown to show the gauge meanwhile.

#include "synthesis/nonisoplanar/folder_nonisoplanar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "document/system/system_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/color/color_image.h"
#include "imaging/testobject/test_image.h"
#include "foundation/testing/approx.h"
#include "synthesis/folder/energy_page.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "toolkit/folders/book_mark_dlg.h"
#include "toolkit/pump/o_gauge.h"

namespace {

// A bright disc of a third of the half object field; it notes the folder window's height
// while the synthesis asks for its values.
class TDiscObject final : public TTestObject {
 public:
  TDiscObject() : TTestObject(nullptr) {
    name = "Disc";
    pictureSize = SIZE{64, 64};
    pictureCentre = POINT{32, 32};
  }
  int Calculate() override { return 1; }
  double ValueAt(int, double z, double y) override {
    TTestObjectFolder *folder = TTestObjectFolder::Current();
    if (folder != nullptr && folder->GetHandle())
      heightDuring = folder->GetWindowRect().bottom - folder->GetWindowRect().top;
    // As the folder's Cancel does while a synthesis runs: the next row stops.
    if (cancelAt > 0 && ++calls == cancelAt && folder != nullptr) folder->Gauge()->Leave(1);
    const TTestImage *image = GetTestImage();
    return image != nullptr && std::hypot(z, y) < image->objectFieldHalf / 3.0 ? 1.0 : 0.0;
  }
  int heightDuring = 0;
  int cancelAt = 0;
  int calls = 0;
};

const TDialogTemplate kDiscPageTemplate{"DiscObjectPage", WS_CHILD | WS_CAPTION, 0, 0, 220, 130,
                                        "Object", {{"STATIC", "A disc", 0, SS_LEFT, 12, 30, 120, 9}}};
const TDialogRegistration kDiscPageRegistration(kDiscPageTemplate);

class TDiscPage final : public TBookMarkDlg, public TSynthesisObjectPage {
 public:
  explicit TDiscPage(TTestObjectFolder &folder) : TBookMarkDlg(&folder, "DiscObjectPage") {}
  TWindow *PageWindow() override { return this; }
  int ReadObjectSize() override { return 1; }
  void ShowObjectSize() override {}
  TTestObject *CurrentObject() override { return &object; }
  int CurrentType() const override { return 0; }
  double SizeInChosenUnit() override {
    const TTestImage *shared = GetTestImage();
    return shared != nullptr ? shared->ObjectSize : 0.0;
  }
  int MayLeave() override { return 1; }
  void TakeFields() override {}
  TDiscObject object;

  static TDiscPage *last;
  static TSynthesisObjectPage *Make(TTestObjectFolder &folder) {
    last = new TDiscPage(folder);
    return last;
  }
};
TDiscPage *TDiscPage::last = nullptr;

class FolderRealTest : public TFolderTestBase {
 protected:
  void SetUp() override {
    previousMaker_ = SetObjectPageMaker(&TDiscPage::Make);
    TFolderTestBase::SetUp();
    system_.info.Discrete = 0.0012;
  }
  void TearDown() override {
    TFolderTestBase::TearDown();
    SetObjectPageMaker(previousMaker_);
    TDiscPage::last = nullptr;
  }

  TObjectPageMaker previousMaker_ = nullptr;
};

}  // namespace

TEST_F(FolderRealTest, RealFormsTheImageFromNodePsfsWithTheGaugeShowing) {
  folder_ = new TTestObjectFolder(nullptr, &system_);
  ASSERT_TRUE(folder_->Create());
  folder_->ShowWindow(SW_SHOW);
  TTestObjectSettings *settings = folder_->SettingsPage();
  ASSERT_NE(settings, nullptr);
  ASSERT_TRUE(IsWindowEnabled(settings->GetDlgItem(kSettingsReal)));
  settings->SendMessage(WM_COMMAND, kSettingsReal, 0);
  ASSERT_EQ(GetTestImage()->realImage, 1);
  // A smaller PSF grid keeps the nine node PSFs quick.
  GetTestImage()->pixelCount = 64;
  const RECT before = folder_->GetWindowRect();
  const double surfaceX = system_.Surface(1)->general.vertex[0];

  ASSERT_EQ(folder_->CalculateOnly(), 1);
  // The outermost node of the triplet spreads a little past its window, which is told.
  for (const auto &box : answers_->boxes)
    EXPECT_EQ(box.text.find("The PSFs of the field nodes are sampled on windows narrower"), 0u) << box.text;
  EXPECT_EQ(folder_->state, kRastersWritten);
  // One image per wavelength of the triplet, each bright in the middle.
  ASSERT_EQ(RecordCount(folder_->rasterFiles), 3);
  for (int k = 0; k < 3; ++k) {
    TFileData record(folder_->rasterFiles.data[k]);
    Mem<float> raster;
    ASSERT_EQ(record.Read(raster), 1);
    EXPECT_EQ(raster.cols, 64);
    EXPECT_GT(raster.data[32 * 64 + 32], 0.0f);
    EXPECT_FLOAT_EQ(record.wavelength, static_cast<float>(system_.info.Spectrum.data[k].lambda));
  }
  EXPECT_TRUE(std::filesystem::exists(TempDir() + "/psf101.img"));
  EXPECT_TRUE(std::filesystem::exists(TempDir() + "/psf303.imc"));
  // The window grew down to its progress marker meanwhile and has its size back.
  ASSERT_NE(TDiscPage::last, nullptr);
  EXPECT_GT(TDiscPage::last->object.heightDuring, before.bottom - before.top);
  const RECT after = folder_->GetWindowRect();
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  // The system was turned on a copy only.
  EXPECT_EQ(system_.info.TurnSystem, 0);
  EXPECT_EQ(system_.Surface(1)->general.vertex[0], surfaceX);

  // A change of the system makes the node PSFs anew: with their files gone the next
  // synthesis still succeeds.
  std::filesystem::remove(TempDir() + "/psf101.img");
  folder_->ResetCalculated();
  ASSERT_EQ(folder_->CalculateOnly(), 1);
  EXPECT_TRUE(std::filesystem::exists(TempDir() + "/psf101.img"));
}

TEST_F(FolderRealTest, AStoppedSynthesisShowsWhatItFinishedButComputesAgain) {
  folder_ = new TTestObjectFolder(nullptr, &system_);
  ASSERT_TRUE(folder_->Create());
  folder_->ShowWindow(SW_SHOW);
  folder_->SettingsPage()->SendMessage(WM_COMMAND, kSettingsReal, 0);
  GetTestImage()->pixelCount = 64;
  ASSERT_NE(TDiscPage::last, nullptr);
  // Stopped in the second component's rows (64 cells a row, 64 rows a component).
  TDiscPage::last->object.cancelAt = 64 * 64 + 64 * 10;
  EXPECT_EQ(folder_->CalculateOnly(), 2);
  EXPECT_EQ(RecordCount(folder_->rasterFiles), 1);
  EXPECT_EQ(folder_->state, kNothingComputed);
  EXPECT_FALSE(folder_->Busy());
  // The next request computes the whole image.
  TDiscPage::last->object.cancelAt = 0;
  EXPECT_EQ(folder_->CalculateOnly(), 1);
  EXPECT_EQ(RecordCount(folder_->rasterFiles), 3);
  EXPECT_EQ(folder_->state, kRastersWritten);
}

TEST_F(FolderRealTest, ChangingTheMethodComputesTheImageAgain) {
  folder_ = new TTestObjectFolder(nullptr, &system_);
  ASSERT_TRUE(folder_->Create());
  folder_->ShowWindow(SW_SHOW);
  GetTestImage()->pixelCount = 64;
  TTestObjectSettings *settings = folder_->SettingsPage();
  // The isoplanar image names its PSF's field point; the non-isoplanar one does not.
  ASSERT_NE(folder_->CalculateOnly(), 0);
  EXPECT_EQ(folder_->name, "Total (Y=0)");
  settings->SendMessage(WM_COMMAND, kSettingsReal, 0);
  EXPECT_EQ(folder_->state, kNothingComputed);
  ASSERT_EQ(folder_->CalculateOnly(), 1);
  EXPECT_EQ(folder_->name, kRealImageName);
  // Choosing the chosen method again keeps the image.
  settings->SendMessage(WM_COMMAND, kSettingsReal, 0);
  EXPECT_EQ(folder_->state, kRastersWritten);
  settings->SendMessage(WM_COMMAND, kSettingsIzoplanar, 0);
  ASSERT_NE(folder_->CalculateOnly(), 0);
  EXPECT_EQ(folder_->name, "Total (Y=0)");
}

TEST_F(FolderRealTest, ARealPictureAndItsEnergyZoneTakeThePitchOfTheWholeFieldItCovers) {
  // The triplet's 20 degree field reaches f tan 20 = 18.2 mm in the image: a Real image
  // spans about 36.4 mm whatever size was typed (the folder's own is some 0.08 mm).
  folder_ = new TTestObjectFolder(nullptr, &system_);
  ASSERT_TRUE(folder_->Create());
  folder_->ShowWindow(SW_SHOW);
  folder_->SettingsPage()->SendMessage(WM_COMMAND, kSettingsReal, 0);
  constexpr int n = 64;
  GetTestImage()->pixelCount = n;
  ASSERT_EQ(folder_->CalculateOnly(), 1);
  folder_->ShowColorImage();
  ASSERT_NE(GetTestImage()->colorImage, nullptr);
  const double span = 2.0 * 50.0 * std::tan(20.0 * std::acos(-1.0) / 180.0);
  const double pitch = span / n;
  EXPECT_APPROX(GetTestImage()->colorImage->pixelPitch * n, span, 0.03);
  EXPECT_NE(GetTestImage()->picture->Title().find("whole field"), std::string::npos);
  // A square zone 16.6 cells wide about the axis holds the centres of cell columns and rows
  // 24 to 40: its share of the light is that of those cells of the raster.
  TTestLight *page = folder_->EnergyPage();
  ASSERT_NE(page, nullptr);
  char side[32];
  std::snprintf(side, sizeof side, "%.3f", 2.0 * 8.3 * pitch);
  page->SetDlgItemText(kEnergyWidth, side);
  page->SetDlgItemText(kEnergyHeight, side);
  page->SetDlgItemText(kEnergyX, "0");
  page->SetDlgItemText(kEnergyY, "0");
  page->SendMessage(WM_COMMAND, kEnergyRecalculate, 0);
  const Mem<float> &raster = GetTestImage()->raster;
  ASSERT_EQ(raster.cols, n);
  double all = 0.0, inside = 0.0;
  for (int r = 0; r < n; ++r)
    for (int c = 0; c < n; ++c) {
      all += raster.data[r * n + c];
      if (r >= 24 && r <= 40 && c >= 24 && c <= 40) inside += raster.data[r * n + c];
    }
  ASSERT_GT(all, 0.0);
  EXPECT_LT(inside / all, 0.9);
  EXPECT_APPROX(page->energyInZone, 100.0 * inside / all, 1e-3);
}
