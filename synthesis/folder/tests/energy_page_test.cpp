#include "synthesis/folder/energy_page.h"

#include <QImage>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "document/system/system_image.h"
#include "foundation/testing/approx.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_windows.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window_handles.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tests/folder_test_support.h"

namespace {

// A zone half the raster's side holds a quarter of a uniform image, give or take one row
// and one column of cells (the zone's edges are truncated to cells): 2 x 1/256 of 50 %.
constexpr double kHalfSideShare = 0.5;
// Single-precision transforms of a uniform image: ripples far below a hundredth of a
// percent.
constexpr double kUniformRipple = 0.01;
constexpr double kExact = 1e-9;

class EnergyPageTest : public TFolderTestBase {
 protected:
  void SetUp() override {
    TFolderTestBase::SetUp();
    system_.info.Discrete = 0.0012;
    system_.info.Difrac = 1;
    system_.info.Nd = 64;
  }
  TTestLight &Open() {
    OpenFolder();
    EXPECT_NE(folder_->EnergyPage(), nullptr);
    return *folder_->EnergyPage();
  }
  // The zone typed into the page's fields.
  static void Type(TTestLight &page, const char *w, const char *h, const char *x, const char *y) {
    page.SetDlgItemText(kEnergyWidth, w);
    page.SetDlgItemText(kEnergyHeight, h);
    page.SetDlgItemText(kEnergyX, x);
    page.SetDlgItemText(kEnergyY, y);
  }
  // Red outline cells of the picture window.
  static int RedPixels(TColorPicture &picture) {
    const QImage pixels = test_kit::WindowPixels(picture);
    int red = 0;
    for (int y = 0; y < pixels.height(); ++y)
      for (int x = 0; x < pixels.width(); ++x) {
        const QRgb c = pixels.pixel(x, y);
        if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60) ++red;
      }
    return red;
  }

  TTinyObjectPageScope page_;
};

TEST_F(EnergyPageTest, ThePageFollowsTheDetectorAndRecalculateWaitsForASynthesis) {
  TTestLight &page = Open();
  // Tabs in their order, " Energy " after " Detector ".
  ASSERT_NE(folder_->DetectorPage(), nullptr);
  EXPECT_EQ(folder_->IndexOfPage(&page), folder_->IndexOfPage(folder_->DetectorPage()->PageWindow()) + 1);
  EXPECT_EQ(folder_->IndexOfPage(folder_->SettingsPage()), folder_->IndexOfPage(&page) + 1);
  EXPECT_EQ(page.state, -1);
  EXPECT_FALSE(IsWindowEnabled(page.GetDlgItem(kEnergyRecalculate)));
  // The zone's sizes and position in the triplet's image unit.
  char label[32] = "";
  page.GetDlgItemText(kEnergySizeLabel, label, sizeof label);
  EXPECT_STREQ(label, "Size (mm)");
  page.GetDlgItemText(kEnergyPositionLabel, label, sizeof label);
  EXPECT_STREQ(label, "Position (mm)");
  // The zone was fitted when the folder opened: a small spot about the axis, grown by the
  // object's image-side size.
  EXPECT_GT(page.SizeRectX, 0.0);
  EXPECT_APPROX(page.SizeRectX, page.SizeRectY, kExact);
  EXPECT_EQ(page.IsDlgButtonChecked(kEnergyRectangle), static_cast<UINT>(BST_CHECKED));
  // Without a picture "Show zone" cannot stay checked.
  page.CheckDlgButton(kEnergyShowZone, BST_CHECKED);
  page.ReadParameters();
  EXPECT_EQ(page.ShowZone, 0);
  EXPECT_EQ(page.IsDlgButtonChecked(kEnergyShowZone), static_cast<UINT>(BST_UNCHECKED));
  // A synthesis enables "Recalculate".
  TTinyObjectPage::last->object.side = kSynthesisNd;
  folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_EQ(folder_->state, kRastersWritten);
  EXPECT_TRUE(IsWindowEnabled(page.GetDlgItem(kEnergyRecalculate)));
  EXPECT_TRUE(answers_->boxes.empty());
  // The results sit in white fields, the share outside the picture as the zone's share.
  for (const int id : {kEnergyResult, kEnergyContrast, kEnergyOutside}) {
    TWindow *field = WindowFromHandle(page.GetDlgItem(id));
    ASSERT_TRUE(field != nullptr && field->NativeWidget() != nullptr) << id;
    const QImage shown = field->NativeWidget()->grab().toImage();
    EXPECT_EQ(shown.pixel(3, shown.height() / 2), qRgb(255, 255, 255)) << id;
  }
}

TEST_F(EnergyPageTest, AnImageAtInfinityMeasuresTheZoneInMilliradians) {
  system_.info.ImageFinite = 0;
  TTestLight &page = Open();
  char label[32] = "";
  page.GetDlgItemText(kEnergySizeLabel, label, sizeof label);
  EXPECT_STREQ(label, "Size (mrad)");
  page.GetDlgItemText(kEnergyPositionLabel, label, sizeof label);
  EXPECT_STREQ(label, "Position (mrad)");
}

TEST_F(EnergyPageTest, AnObjectFillingTheRasterGivesTheZonesShareOfTheImage) {
  TTestLight &page = Open();
  // The square fills the raster: its image is uniform.
  TTinyObjectPage::last->object.side = kSynthesisNd;
  // "Recalculate" before any picture synthesises without showing.
  const double p = GetTestImage()->pixelSize;
  char half[32], whole[32];
  std::snprintf(half, sizeof half, "%g", RoundZoneValue(p * kSynthesisNd / 2, p));
  std::snprintf(whole, sizeof whole, "%g", p * kSynthesisNd * 2);
  Type(page, half, half, "0", "0");
  page.SendMessage(WM_COMMAND, kEnergyRecalculate, 0);
  ASSERT_EQ(folder_->state, kRastersWritten);
  EXPECT_EQ(page.state, kRastersWritten);
  EXPECT_EQ(GetTestImage()->picture, nullptr);
  const double side = RoundZoneValue(p * kSynthesisNd / 2, p) / p;  // cells
  EXPECT_APPROX(page.energyInZone, side * side / (kSynthesisNd * kSynthesisNd) * 100.0,
                kHalfSideShare);
  EXPECT_APPROX(page.contrast, 0.0, kUniformRipple);
  // The whole raster: all its light. An ellipse inscribed in the half square: pi/4 of it.
  Type(page, whole, whole, "0", "0");
  page.SendMessage(WM_COMMAND, kEnergyRecalculate, 0);
  EXPECT_APPROX(page.energyInZone, 100.0, kExact);
  char shown[2][32] = {};
  page.GetDlgItemText(kEnergyResult, shown[0], sizeof shown[0]);
  Type(page, half, whole, "0", "0");  // another zone: the results shown were the whole raster's and go at once
  page.GetDlgItemText(kEnergyResult, shown[1], sizeof shown[1]);
  EXPECT_EQ(std::string(shown[0]) + "|" + shown[1], "100.00|");
  const double squareShare = side * side / (kSynthesisNd * kSynthesisNd) * 100.0;
  Type(page, ("-" + std::string(half)).c_str(), half, "0", "0");  // stored back positive, the result kept
  page.SendMessage(WM_COMMAND, kEnergyEllipse, 0);
  EXPECT_EQ(page.TypeZone, kZoneEllipse);
  EXPECT_APPROX(page.energyInZone, squareShare * 3.14159265358979 / 4.0, kHalfSideShare);
  // A zone beside the raster: nothing.
  Type(page, half, half, whole, "0");
  page.SendMessage(WM_COMMAND, kEnergyRecalculate, 0);
  EXPECT_EQ(page.energyInZone, 0.0);
  EXPECT_EQ(page.contrast, 0.0);
  EXPECT_TRUE(answers_->boxes.empty());
  // Recalculate after a run that fails: the figures shown were the image's before it, and go.
  Type(page, whole, whole, "0", "0");
  page.SendMessage(WM_COMMAND, kEnergyRecalculate, 0);
  ASSERT_APPROX(page.energyInZone, 100.0, kExact);
  // A light source's figures of the run before go too.
  page.outsidePicture = 33.29;
  page.blurLeftOut = 2.02;
  TTinyObjectPage::last->object.fails = true;
  TTinyObjectPage::last->object.state = folder_->state = kNothingComputed;
  page.SendMessage(WM_COMMAND, kEnergyRecalculate, 0);
  page.GetDlgItemText(kEnergyResult, shown[0], sizeof shown[0]);
  EXPECT_EQ(std::to_string(page.energyInZone) + "|" + std::to_string(page.contrast) + "|" + shown[0],
            std::to_string(-1.0) + "|" + std::to_string(-1.0) + "|");
  EXPECT_EQ(page.outsidePicture, -1.0);
  EXPECT_EQ(page.blurLeftOut, -1.0);
}

TEST_F(EnergyPageTest, ShowZoneOutlinesTheZoneOnTheTotalPictureAfterEveryRedraw) {
  TTestLight &page = Open();
  TTinyObjectPage::last->object.side = 16;
  folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  TTestImage *image = GetTestImage();
  ASSERT_NE(image->picture, nullptr);
  TColorPicture &picture = *image->picture;
  ASSERT_NE(picture.Title().find("Total"), std::string::npos);
  test_kit::RunFor(50);
  EXPECT_EQ(RedPixels(picture), 0);
  // Color measured the image already.
  EXPECT_EQ(page.state, kRastersWritten);
  EXPECT_GT(page.energyInZone, 0.0);
  // A zone a third of the picture wide, outlined through the picture's notice.
  const double third = image->pixelSize * kSynthesisNd / 3;
  char size[32];
  std::snprintf(size, sizeof size, "%g", RoundZoneValue(third, image->pixelSize));
  Type(page, size, size, "0", "0");
  page.CheckDlgButton(kEnergyShowZone, BST_CHECKED);
  page.SendMessage(WM_COMMAND, kEnergyShowZone, 0);
  EXPECT_EQ(page.ShowZone, 1);
  ASSERT_TRUE(test_kit::RunUntil([&] { return RedPixels(picture) > 0; }));
  // Four sides of about a third of the 256-pixel picture each.
  const int outlined = RedPixels(picture);
  EXPECT_GT(outlined, 4 * 256 / 3 - 16);
  EXPECT_LT(outlined, 4 * 256 / 3 + 64);
  // Unchecked, the next redraw leaves the picture clean.
  page.CheckDlgButton(kEnergyShowZone, BST_UNCHECKED);
  page.SendMessage(WM_COMMAND, kEnergyShowZone, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return RedPixels(picture) == 0; }));
  // A zone below the axis (negative Y) is outlined in the lower half of the picture.
  char down[32];
  std::snprintf(down, sizeof down, "%g", -RoundZoneValue(third, image->pixelSize));
  Type(page, size, size, "0", down);
  page.CheckDlgButton(kEnergyShowZone, BST_CHECKED);
  page.SendMessage(WM_COMMAND, kEnergyShowZone, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return RedPixels(picture) > 0; }));
  {
    const QImage pixels = test_kit::WindowPixels(picture);
    int upper = 0, lower = 0;
    for (int y = 0; y < pixels.height(); ++y)
      for (int x = 0; x < pixels.width(); ++x) {
        const QRgb c = pixels.pixel(x, y);
        if (qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60) ++(y < pixels.height() / 2 ? upper : lower);
      }
    EXPECT_EQ(upper, 0);
    EXPECT_GT(lower, 0);
  }
  // A picture of another name is redrawn without the zone.
  EXPECT_EQ(page.ShowZone, 1);
  picture.SetImage("Image: Object");
  picture.Redraw(false);
  test_kit::RunFor(50);
  EXPECT_EQ(RedPixels(picture), 0);
  // The record still names the picture after it has closed: the page neither draws on it
  // nor keeps "Show zone".
  picture.Destroy(IDCANCEL);
  ASSERT_EQ(image->picture, &picture);
  folder_->SendMessage(WM_PICTURE_NOTICE, 0, 0);
  page.SendMessage(WM_COMMAND, kEnergyShowZone, 0);
  EXPECT_EQ(page.ShowZone, 0);
  // Measured again about the square's light (the zone below it holds none: no round-off
  // of a product of spectra spreads light there).
  Type(page, size, size, "0", "0");
  page.SendMessage(WM_COMMAND, kEnergyRecalculate, 0);
  EXPECT_GT(page.energyInZone, 0.0);
}

}  // namespace

namespace {

TEST_F(EnergyPageTest, TheZoneTravelsThroughTheSettingsFile) {
  TTestLight &page = Open();
  // Digits finer than a thousandth stay as read, before any picture gives a cell.
  Type(page, "0.02467", "0.125", "-0.5", "0.0623");
  page.CheckDlgButton(kEnergyRectangle, BST_UNCHECKED);
  page.CheckDlgButton(kEnergyEllipse, BST_CHECKED);
  page.CheckDlgButton(kEnergySmoothing, BST_CHECKED);
  const std::string file = Scratch("zone.tti");
  ASSERT_EQ(folder_->WriteSettings(file), 1);
  // Another zone, then the file's again.
  Type(page, "1", "1", "0", "0");
  page.CheckDlgButton(kEnergyEllipse, BST_UNCHECKED);
  page.CheckDlgButton(kEnergyRectangle, BST_CHECKED);
  page.CheckDlgButton(kEnergySmoothing, BST_UNCHECKED);
  page.ReadParameters();
  page.energyInZone = 42.0;  // measured on the zone before
  ASSERT_EQ(folder_->ReadSettings(file), 1);
  EXPECT_LT(page.energyInZone, 0.0);
  EXPECT_EQ(page.SizeRectX, 0.02467);
  EXPECT_EQ(page.SizeRectY, 0.125);
  EXPECT_EQ(page.PozitionX, -0.5);
  EXPECT_APPROX(page.PozitionY, 0.0623, kExact);
  EXPECT_EQ(page.TypeZone, kZoneEllipse);
  EXPECT_EQ(page.Smoothing, 1);
  // The controls show them.
  page.ReadParameters();
  EXPECT_EQ(page.SizeRectX, 0.02467);
  EXPECT_APPROX(page.PozitionY, 0.0623, kExact);
  EXPECT_EQ(page.IsDlgButtonChecked(kEnergyEllipse), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(page.IsDlgButtonChecked(kEnergyRectangle), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_TRUE(answers_->boxes.empty());
  // A page zone that differs from the file's in one value alone is another zone too.
  for (int k = 0; k < 4; ++k) {
    const char *typed[4] = {"0.02467", "0.125", "-0.5", "0.0623"};
    typed[k] = "0.3";
    Type(page, typed[0], typed[1], typed[2], typed[3]);
    page.ReadParameters();
    page.energyInZone = 42.0;
    ASSERT_EQ(folder_->ReadSettings(file), 1);
    EXPECT_LT(page.energyInZone, 0.0) << "zone value " << k;
  }
}

}  // namespace
