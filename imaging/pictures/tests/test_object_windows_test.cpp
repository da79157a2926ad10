// A test object's pictures and plots opened through the program's windows.

#include <gtest/gtest.h>

#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_tune.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/testobject/tests/test_object_support.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/plot3d/graphics3d.h"

namespace {

class TestObjectWindows : public TestObjectTest {
 protected:
  void SetUp() override {
    TestObjectTest::SetUp();
    test_kit::EnsureApplication();
    previous = SetSynthesisWindows(&windows);
    folder = new TWindow(nullptr, "folder");
    folder->Attr.Style = WS_POPUP | WS_VISIBLE;
    folder->Attr.X = 10;
    folder->Attr.Y = 10;
    folder->Attr.W = 200;
    folder->Attr.H = 150;
    ASSERT_TRUE(folder->Create());
    image.folderWindow = folder->GetHandle();
    image.colorImage = new TColorImage();
  }
  void TearDown() override {
    delete folder;
    DeletePictureTune();
    SetSynthesisWindows(previous);
    TestObjectTest::TearDown();
  }
  TPictureWindows windows;
  TSynthesisWindows *previous = nullptr;
  TWindow *folder = nullptr;
};

}  // namespace

TEST_F(TestObjectWindows, ColourImageOpensACaptionedPictureOwnedByTheFolder) {
  UsePixels(16, 0.01);
  TRasterObject object(*this, 16);
  object.values = {TRasterObject::Cells(256, 2.0f), TRasterObject::Cells(256, 4.0f)};
  object.wavelengths = {0.5f, 0.6f};
  ASSERT_EQ(object.Calculate(), 1);
  object.ShowColorImage();
  TColorPicture *picture = image.picture;
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(image.colorImage->window, picture);
  EXPECT_EQ(picture->Title(), "Image: Raster");
  EXPECT_EQ(picture->GetWindowText().rfind("Image: Raster (1:", 0), 0u);
  EXPECT_EQ(picture->GetClientSize().cx, 256);
  EXPECT_EQ(picture->GetParent(), folder->GetHandle());
  // A uniform image fills the client.
  const COLORREF corner = test_kit::ClientPixel(*picture, 255, 255);
  EXPECT_EQ(test_kit::ClientPixel(*picture, 0, 0), corner);
  EXPECT_NE(corner, RGB(0, 0, 0));
  delete picture;
}

// At every Quality the picture opens wholly on a 1024 x 768 screen beside the folder, the
// whole picture scaled into it.
TEST_F(TestObjectWindows, ThePictureWindowFitsTheScreenAtEveryQuality) {
  TScriptedScreenProvider screen;
  for (const auto &[metric, value] : {std::pair{SM_CXSCREEN, 1024}, {SM_CYSCREEN, 768}, {SM_CYCAPTION, 20}})
    screen.SetMetric(metric, value);
  for (int n = 64; n <= 2048; n *= 2) {
    SCOPED_TRACE(n);
    UsePixels(n, 0.01);
    TRasterObject object(*this, n);
    object.values = {TRasterObject::Cells(static_cast<std::size_t>(n) * n, 1.0f)};
    ASSERT_EQ(object.Calculate(), 1);
    object.ShowColorImage();
    TColorPicture *picture = image.picture;
    ASSERT_NE(picture, nullptr);
    const RECT frame = picture->GetWindowRect();
    EXPECT_TRUE(frame.left >= 0 && frame.top >= 0 && frame.right <= 1024 && frame.bottom <= 768);
    const SIZE client = picture->GetClientSize();
    EXPECT_EQ(client.cx, client.cy);
    EXPECT_GE(client.cx, kSmallPictureSide);
    delete picture;
  }
}

TEST_F(TestObjectWindows, GraphOpensAThreeDimensionalPlotInTheFolder) {
  UsePixels(16, 0.01);
  TRasterObject object(*this, 16);
  object.values = {TRasterObject::Cells(256, 2.0f)};
  object.wavelengths = {0.5f};
  ASSERT_EQ(object.Calculate(), 1);
  const std::size_t before = folder->GetChildren().size();
  object.ShowGraph();
  ASSERT_EQ(folder->GetChildren().size(), before + 1);
  auto *plot = dynamic_cast<TGraphics3D *>(folder->GetChildren().back());
  ASSERT_NE(plot, nullptr);
  EXPECT_EQ(plot->GetWindowText(), "Image: Raster");
}
