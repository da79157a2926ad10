// The DIB-backed paint windows: fitting the window to its picture, the three drawing modes
// and painting, the renderer made for the display, and the fast window's adopted bitmaps.

#include "toolkit/plot3d/paint3d.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <memory>

#include "platform/core/recording_providers.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/scroller.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/plot3d/fast_graph.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr COLORREF kBack = RGB(0, 0, 90);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr DWORD kStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME;

COLORREF DibPixel(const TODib &dib, int x, int y) {
  const RGBTRIPLE t = dib.GetPixelColor(x, y);
  return RGB(t.rgbtRed, t.rgbtGreen, t.rgbtBlue);
}

class PaintWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    CreateSharedPalette();
  }
  void TearDown() override {
    windows.clear();
    DestroySharedPalette();
  }
  template <class T>
  T *Make(int clientW, int clientH, int virtualW, int virtualH) {
    auto window = std::make_unique<T>(nullptr, "paint", 30, 30, clientW, clientH, virtualW,
                                      virtualH, kStyle, kBack, SharedPalette);
    T *raw = window.get();
    EXPECT_TRUE(raw->Create());
    windows.push_back(std::move(window));
    return raw;
  }
  std::vector<std::unique_ptr<TWindow>> windows;
};

TEST_F(PaintWindows, AWindowFitsItsPictureAndNeverShowsMore) {
  TPaint3D *paint = Make<TPaint3D>(120, 80, 120, 80);
  RECT client = paint->GetClientRect();
  EXPECT_EQ(client.right, 120);
  EXPECT_EQ(client.bottom, 80);
  ASSERT_NE(paint->Scroller, nullptr);
  EXPECT_EQ(paint->Scroller->XRange, 0);
  EXPECT_EQ(paint->Scroller->YRange, 0);
  // The background fills the new picture.
  ASSERT_NE(paint->Renderer(), nullptr);
  EXPECT_EQ(paint->Renderer()->BitsPerPixel(), 24);
  EXPECT_EQ(DibPixel(*paint->Renderer(), 60, 40), kBack);
  // Enlarged beyond its picture, the window shrinks back.
  const RECT outer = paint->GetWindowRect();
  paint->MoveWindow(outer.left, outer.top, outer.Width() + 50, outer.Height() + 30, true);
  client = paint->GetClientRect();
  EXPECT_EQ(client.right, 120);
  EXPECT_EQ(client.bottom, 80);
  // A picture larger than the client scrolls.
  TPaint3D *large = Make<TPaint3D>(100, 60, 300, 200);
  EXPECT_GT(large->Scroller->XRange, 0);
  EXPECT_GT(large->Scroller->YRange, 0);
}

TEST_F(PaintWindows, EachDrawingModeEndsInThePictureAndTheWindow) {
  TPaint3D *paint = Make<TPaint3D>(64, 48, 64, 48);
  // Mode 1: into the renderer.
  TDrv3D *renderer = paint->LockRenderer();
  ASSERT_NE(renderer, nullptr);
  EXPECT_EQ(paint->DrawingMode(), kPictureDrawing);
  renderer->SetPixel(5, 6, kRed);
  paint->GrabClient(true);
  EXPECT_EQ(paint->DrawingMode(), kIdle);
  EXPECT_EQ(test_kit::ClientPixel(*paint, 5, 6), kRed);
  // Mode 3 with show off: the memory drawing still reaches the picture.
  TDC *memory = paint->UpdateBitmap();
  ASSERT_NE(memory, nullptr);
  TBrush green(RGB(0, 255, 0));
  memory->FillRect(RECT{10, 10, 20, 20}, green);
  paint->GrabClient(false);
  EXPECT_EQ(DibPixel(*paint->Renderer(), 15, 15), RGB(0, 255, 0));
  EXPECT_EQ(DibPixel(*paint->Renderer(), 5, 6), kRed);  // the copy kept what was there
  EXPECT_EQ(test_kit::ClientPixel(*paint, 15, 15), kBack);  // not shown yet
  // Painting copies the picture.
  paint->Invalidate(false);
  paint->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*paint, 15, 15), RGB(0, 255, 0));
  // Mode 2: what is drawn on the window becomes the picture.
  TDC *window = paint->BeginWindowDraw();
  ASSERT_NE(window, nullptr);
  TBrush blue(RGB(0, 0, 255));
  window->FillRect(RECT{30, 30, 40, 40}, blue);
  paint->GrabClient(true);
  EXPECT_EQ(DibPixel(*paint->Renderer(), 35, 35), RGB(0, 0, 255));
  EXPECT_EQ(DibPixel(*paint->Renderer(), 15, 15), RGB(0, 255, 0));
}

TEST_F(PaintWindows, ResizeMakesANewPicture) {
  TPaint3D *paint = Make<TPaint3D>(64, 48, 64, 48);
  paint->Resize(100, 90);
  ASSERT_NE(paint->Renderer(), nullptr);
  EXPECT_EQ(paint->Renderer()->Width(), 100);
  EXPECT_EQ(paint->Renderer()->Height(), 90);
  const RECT client = paint->GetClientRect();
  EXPECT_EQ(client.right, 100);
  EXPECT_EQ(client.bottom, 90);
}

TEST_F(PaintWindows, FastGraphCopiesTheBitmapsItIsGiven) {
  TRecordingMessageBoxProvider boxes;
  TFastGraph *fast = Make<TFastGraph>(40, 30, 40, 30);
  ASSERT_NE(fast->Dib(), nullptr);
  EXPECT_EQ(DibPixel(*fast->Dib(), 3, 3), kBack);
  {
    TODib given(40, 30);
    given.Clear(kRed);
    TODib *shown = fast->LockDib(&given);
    EXPECT_NE(shown, &given);
    fast->GrabClient(true);
  }  // the caller's bitmap is gone; the window shows its own copy
  EXPECT_EQ(DibPixel(*fast->Dib(), 3, 3), kRed);
  EXPECT_EQ(test_kit::ClientPixel(*fast, 3, 3), kRed);
  auto second = std::make_unique<TODib>(40, 30);
  second->Clear(RGB(0, 255, 0));
  fast->LockDib(second.get());
  fast->GrabClient(true);
  second.reset();
  EXPECT_EQ(DibPixel(*fast->Dib(), 3, 3), RGB(0, 255, 0));
  // Another size is refused; the picture stays.
  TODib wrong(41, 30);
  EXPECT_EQ(fast->LockDib(&wrong), fast->Dib());
  fast->GrabClient(false);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "NewDibSize != DibSize");
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_EQ(DibPixel(*fast->Dib(), 3, 3), RGB(0, 255, 0));
}

TEST_F(PaintWindows, AModalRunEndsWithItsResultOrWithTwoWhenTheWindowIsDeleted) {
  TPaint3D *paint = Make<TPaint3D>(64, 48, 64, 48);
  QTimer::singleShot(20, [paint] { paint->EndModal(7); });
  EXPECT_EQ(paint->RunModal(), 7);
  EXPECT_EQ(paint->IsRunningModal(), 0);

  // Deleted while its loop runs: the loop ends and the run answers 2.
  auto *owned = new TPaint3D(nullptr, "modal", 30, 30, 64, 48, 64, 48, kStyle, kBack, SharedPalette);
  QTimer::singleShot(20, [owned] {
    EXPECT_EQ(owned->IsRunningModal(), 1);
    delete owned;
  });
  EXPECT_EQ(owned->RunModal(), 2);
}

}  // namespace
