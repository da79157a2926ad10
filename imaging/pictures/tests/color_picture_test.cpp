// Picture windows read from their offscreen pixels: filling the client, zoom, flips,
// contrast, the menu, the window size and an image that goes before its picture.

#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/tests/picture_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <memory>
#include <vector>

#include "foundation/testing/approx.h"
#include "imaging/color/color_image.h"
#include "imaging/color/color_modes.h"
#include "imaging/color/density_color_image.h"
#include "imaging/pictures/picture_scale.h"
#include "imaging/pictures/picture_tune.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/pictures/rgb_graph.h"
#include "imaging/pictures/scale_image_dlg.h"
#include "imaging/testobject/test_image.h"
#include "optics/whole/whole_system.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/test_kit.h"

using picture_test::BitmapPixel;
using picture_test::PictureWindow;
using picture_test::SameColors;

TEST_F(PictureWindow, GreyImageFillsTheClientToItsLastRowAndColumn) {
  Fill(image, 128, [](int, int) { return COLORVECTOR{90.0f, 90.0f, 90.0f}; });
  TColorPicture *picture = Show(image);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->GetClientSize().cx, 256);
  EXPECT_EQ(picture->GetClientSize().cy, 256);
  const COLORREF grey = RGB(90, 90, 90);
  for (const POINT p : {POINT{0, 0}, POINT{128, 128}, POINT{255, 0}, POINT{0, 255},
                        POINT{255, 255}, POINT{254, 255}, POINT{200, 250}}) {
    EXPECT_EQ(BitmapPixel(*picture, p.x, p.y), grey) << p.x << "," << p.y;
  }
  // The window shows the bitmap.
  EXPECT_EQ(test_kit::ClientPixel(*picture, 255, 255), grey);
  EXPECT_EQ(test_kit::ClientPixel(*picture, 3, 100), grey);
  // It is the newest picture and its image's window.
  EXPECT_EQ(GetTestImage()->picture, picture);
  EXPECT_TRUE(picture->IsMenuEnabled());
}

TEST_F(PictureWindow, ZoomTwiceAfterARightClickAtTheCentreShowsTheCentralHalf) {
  Fill(image, 128, [](int x, int y) {
    return COLORVECTOR{static_cast<float>(x), static_cast<float>(y), 50.0f};
  });
  TColorPicture *picture = Show(image);
  ASSERT_NE(picture, nullptr);
  TScriptedMenuTracker tracker;
  tracker.ChooseId(CM_PICTURE_ZOOM2);
  picture->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(128, 128));
  ASSERT_EQ(tracker.walks.size(), 1u);
  EXPECT_EQ(picture->zoom, 2.0f);
  EXPECT_EQ(picture->view.left, 32);
  EXPECT_EQ(picture->view.top, 32);
  EXPECT_EQ(picture->view.right, 95);
  EXPECT_EQ(picture->view.bottom, 95);
  // Four client pixels an image pixel: the third of each is centred just past the image
  // pixel's centre.
  EXPECT_EQ(BitmapPixel(*picture, 2, 2), RGB(32, 32, 50));
  EXPECT_EQ(BitmapPixel(*picture, 130, 130), RGB(64, 64, 50));
  EXPECT_EQ(BitmapPixel(*picture, 255, 255), RGB(95, 95, 50));
  // "Actual size" brings the whole image back.
  picture->Command(CM_PICTURE_ACTUAL_SIZE);
  EXPECT_EQ(BitmapPixel(*picture, 255, 255), RGB(127, 127, 50));
}

TEST_F(PictureWindow, ZoomingFarBeyondThePixelsStillDrawsAPicture) {
  Fill(image, 64, [](int, int) { return COLORVECTOR{200.0f, 10.0f, 10.0f}; });
  TColorPicture *picture = Show(image, 128);
  ASSERT_NE(picture, nullptr);
  for (int k = 0; k < 6; ++k) picture->Command(CM_PICTURE_ZOOM5);
  EXPECT_GE(picture->view.right, picture->view.left);
  EXPECT_EQ(BitmapPixel(*picture, 64, 64), RGB(200, 10, 10));
}

TEST_F(PictureWindow, FlippingTwiceIsTheIdentityAndOnceMirrors) {
  Fill(image, 128, [](int x, int y) {
    return COLORVECTOR{static_cast<float>(x), static_cast<float>(y), 0.0f};
  });
  TColorPicture *picture = Show(image);
  ASSERT_NE(picture, nullptr);
  const std::vector<COLORVECTOR> before = PixelsOf(image);
  picture->Command(CM_PICTURE_FLIP_H);
  EXPECT_EQ(image.Pixel(0, 5).red, 127.0f);
  EXPECT_EQ(BitmapPixel(*picture, 0, 0), RGB(127, 0, 0));
  picture->Command(CM_PICTURE_FLIP_H);
  EXPECT_TRUE(SameColors(PixelsOf(image), before));
  picture->Command(CM_PICTURE_FLIP_V);
  EXPECT_EQ(image.Pixel(5, 0).green, 127.0f);
  picture->Command(CM_PICTURE_FLIP_V);
  EXPECT_TRUE(SameColors(PixelsOf(image), before));
  EXPECT_EQ(BitmapPixel(*picture, 255, 0), RGB(127, 0, 0));
}

TEST_F(PictureWindow, ARebuildKeepsThePictureFlipped) {
  // One component: a ramp across the columns.
  Mem<float> raster(32, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) raster.data[y * 32 + x] = static_cast<float>(x + 1);
  }
  TFileData record;
  record.wavelength = 0.55f;
  record.weight = 1.0f;
  ASSERT_EQ(image.WriteComponents(record, raster), 1);
  ASSERT_EQ(image.BuildFromComponents(kDefaultColorMode), 1);
  TColorPicture *picture = Show(image, 64);
  ASSERT_NE(picture, nullptr);
  const float left = image.Pixel(0, 0).red;
  const float right = image.Pixel(31, 0).red;
  ASSERT_LT(left, right);
  picture->Command(CM_PICTURE_FLIP_H);
  picture->Command(CM_PICTURE_GRAY);
  EXPECT_EQ(image.Pixel(0, 0).red, right);
  EXPECT_EQ(image.Pixel(31, 0).red, left);
}

TEST_F(PictureWindow, ContrastStopsAtItsLimitsAndTheMenuGreysThem) {
  Fill(image, 64, [](int, int) { return COLORVECTOR{10.0f, 10.0f, 10.0f}; });
  TColorPicture *picture = Show(image, 64);
  ASSERT_NE(picture, nullptr);
  picture->Command(CM_PICTURE_MORE_CONTRAST);
  EXPECT_EQ(image.blackLevel, 0);
  HMENU menu = picture->BuildMenu();
  EXPECT_NE(GetMenuState(menu, CM_PICTURE_MORE_CONTRAST, MF_BYCOMMAND) & MF_GRAYED, 0u);
  DestroyMenu(menu);
  for (int k = 0; k < 7; ++k) picture->Command(CM_PICTURE_LESS_CONTRAST);
  EXPECT_EQ(image.blackLevel, 200);
  EXPECT_EQ(picture->blackLevel, 200);
}

TEST_F(PictureWindow, GreyDetectorPictureOffersOnlyGrayScale) {
  Fill(image, 64, [](int, int) { return COLORVECTOR{10.0f, 10.0f, 10.0f}; });
  TColorPicture *picture = Show(image, 64);
  ASSERT_NE(picture, nullptr);
  TScriptedMenuTracker tracker;
  tracker.Cancel();
  HMENU menu = picture->BuildMenu();
  HMENU colors = GetSubMenu(menu, 0);
  EXPECT_EQ(GetMenuItemCount(colors), 1);
  EXPECT_EQ(GetMenuItemID(colors, 0), static_cast<UINT>(CM_PICTURE_GRAY));
  EXPECT_EQ(GetMenuState(menu, CM_PICTURE_COLOR_SCALE, MF_BYCOMMAND) & MF_CHECKED, 0u);
  DestroyMenu(menu);
}


TEST_F(PictureWindow, APictureOutlivesItsImageAndKeepsShowingIt) {
  auto gone = std::make_unique<TColorImage>();
  Fill(*gone, 64, [](int x, int) {
    return COLORVECTOR{static_cast<float>(2 * x), 30.0f, 40.0f};
  });
  TColorPicture *picture = Show(*gone, 64);
  ASSERT_NE(picture, nullptr);
  gone.reset();
  EXPECT_FALSE(picture->IsMenuEnabled());
  EXPECT_EQ(picture->Image().window, picture);
  // Commands still work on the picture's own copy.
  picture->Command(CM_PICTURE_FLIP_H);
  EXPECT_EQ(BitmapPixel(*picture, 0, 10), RGB(126, 30, 40));
  picture->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
}


TEST_F(PictureWindow, WindowSizeHalvesAndDoublesWithinBounds) {
  Fill(image, 32, [](int, int) { return COLORVECTOR{80.0f, 80.0f, 80.0f}; });
  TColorPicture *picture = Show(image, 64);
  ASSERT_NE(picture, nullptr);
  picture->Command(CM_PICTURE_SIZE_UP);
  EXPECT_EQ(picture->GetClientSize().cx, 128);
  EXPECT_EQ(BitmapPixel(*picture, 127, 127), RGB(80, 80, 80));
  // Halving again and again stops at a picture still worth drawing.
  for (int k = 0; k < 10; ++k) picture->Command(CM_PICTURE_SIZE_DOWN);
  EXPECT_EQ(picture->clientWidth, 16);
  EXPECT_EQ(picture->GetBitmapSize().cx, 16);
  EXPECT_EQ(BitmapPixel(*picture, 15, 15), RGB(80, 80, 80));
  EXPECT_EQ(GetTestImage()->pictureInt2, picture->drawAxes);
}
