// The bitmap object on the Object page: hand-made 4 x 4 bitmaps (24-bit and 8-bit with a
// palette) read into the scene and captured as the luminance raster or the three TV-colour
// rasters, placed in the N x N raster; bad files refused with a message; the scene window
// and the object window over it (moving only the N x N frame, hiding on close, dragging,
// the white pixels left out); the picture window's shape; leaving the type lets all go.

#include "synthesis/objects/custom_object.h"

#include <cstdint>
#include <fstream>
#include <vector>

#include "foundation/testing/approx.h"
#include "imaging/color/color_image.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/screen.h"
#include "synthesis/objects/object_raster_file.h"
#include "synthesis/objects/test_object_graphs.h"
#include "synthesis/objects/tests/bitmap_file_bytes.h"
#include "synthesis/objects/tests/object_page_fixture.h"

using namespace object_page_test;
using bitmap_file_bytes::BitmapBytes;
using bitmap_file_bytes::TRgb;

namespace {

constexpr double kCellTolerance = 1e-6;
constexpr int kTvMode = 20;

// The hand picture, row 0 at the top: red, green, blue, white; grey 100, (10, 20, 30),
// black, black; then two black rows.
const TRgb kHandPixels[4][4] = {
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}},
    {{100, 100, 100}, {10, 20, 30}, {0, 0, 0}, {0, 0, 0}},
    {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
};
// Its palette for the 8-bit file: black, red, green, blue, white, grey, (10, 20, 30).
const TRgb kPalette[] = {{0, 0, 0},       {255, 0, 0},     {0, 255, 0},  {0, 0, 255},
                         {255, 255, 255}, {100, 100, 100}, {10, 20, 30}};
const std::uint8_t kHandIndices[4][4] = {{1, 2, 3, 4}, {5, 6, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}};

std::vector<std::uint8_t> Hand24() {
  std::vector<std::uint8_t> rows;
  for (const auto &row : kHandPixels)
    for (const TRgb &c : row) rows.insert(rows.end(), {c.b, c.g, c.r});
  return BitmapBytes(4, 4, 24, {}, rows);
}

std::vector<std::uint8_t> Hand8() {
  std::vector<std::uint8_t> rows;
  for (const auto &row : kHandIndices) rows.insert(rows.end(), row, row + 4);
  return BitmapBytes(4, 4, 8, std::vector<TRgb>(std::begin(kPalette), std::end(kPalette)), rows);
}

// One colour all over.
std::vector<std::uint8_t> Plain24(int width, int height, TRgb c) {
  std::vector<std::uint8_t> rows;
  for (int i = 0; i < width * height; ++i) rows.insert(rows.end(), {c.b, c.g, c.r});
  return BitmapBytes(width, height, 24, {}, rows);
}

class CustomObjectPage : public ObjectPage {
 protected:
  void SetUp() override {
    ObjectPage::SetUp();
    previousTemp_ = TempDir();
    SetTempDir(Scratch(""));
  }
  void TearDown() override {
    ObjectPage::TearDown();
    SetTempDir(previousTemp_);
  }
  std::string Write(const std::string &name, const std::vector<std::uint8_t> &bytes) {
    const std::string path = Scratch(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  // Opens the page on the bitmap object.
  TCustomObject *OnCustom() {
    OpenOn("cooke_triplet.os");
    Choose(kObjectCustom);
    return page->CustomObject();
  }
  TCustomObject *WithBackground(const std::vector<std::uint8_t> &bytes) {
    TCustomObject *custom = OnCustom();
    custom->backgroundFile = Write("background.bmp", bytes);
    custom->LoadBackground();
    custom->LoadObject();
    custom->ShowPictures();
    test_kit::RunFor(20);
    return custom;
  }
  Mem<float> Raster(int k) {
    TFileData reader;
    reader.fileName = BitmapRasterFileName(k);
    Mem<float> raster;
    EXPECT_EQ(reader.Read(raster), 1) << reader.fileName;
    return raster;
  }
  static std::string Text(TCustomObject *custom, int id) {
    char text[512] = {};
    custom->GetDlgItemText(id, text, sizeof text);
    return text;
  }
  static float Cell(const Mem<float> &raster, int x, int y) {
    return raster.data[y * raster.cols + x];
  }

 private:
  std::string previousTemp_;
};

}  // namespace

TEST_F(CustomObjectPage, ChoosingCustomShowsItsFilesAndKeepsTheViewsOffUntilAPicture) {
  TCustomObject *custom = OnCustom();
  ASSERT_NE(custom, nullptr);
  EXPECT_EQ(page->currentType, kObjectCustom);
  EXPECT_EQ(page->CurrentObject(), static_cast<TTestObject *>(custom));
  EXPECT_TRUE(custom->IsWindowVisible());
  EXPECT_EQ(custom->name, "Custom object");
  EXPECT_EQ(Text(custom, kCustomObjectBox), "---");
  EXPECT_EQ(Text(custom, kCustomBackgroundBox), "---");
  EXPECT_EQ(folder->viewButtons, 0);
  // A bitmap's values are shown as they are, every other object's through the exponent.
  ASSERT_NE(GetTestImage()->colorImage, nullptr);
  EXPECT_EQ(GetTestImage()->colorImage->gammaFlag, 0);
  EXPECT_FALSE(Enabled(kObjectColorMapButton));
  EXPECT_FALSE(Enabled(kObject3DPlotButton));
  // The name keeps its capitals: file names are told apart by case.
  const std::string path = Write("Hand24.BMP", Hand24());
  custom->backgroundFile = path;
  custom->LoadBackground();
  EXPECT_EQ(custom->backgroundFile, path);
  EXPECT_EQ(custom->BackgroundPicture().width, 4);
  EXPECT_EQ(Text(custom, kCustomBackgroundBox), path);
  EXPECT_EQ(folder->viewButtons, 1);
  EXPECT_TRUE(Enabled(kObjectColorMapButton));
  EXPECT_TRUE(Enabled(kObject3DPlotButton));
  page->SelectType(kObjectRadialMira);
  EXPECT_EQ(GetTestImage()->colorImage->gammaFlag, 1);
}

TEST_F(CustomObjectPage, TheHandBitmapsGiveTheLuminanceCentredInTheRaster) {
  for (const bool palette : {false, true}) {
    SCOPED_TRACE(palette ? "8-bit" : "24-bit");
    TCustomObject *custom = WithBackground(palette ? Hand8() : Hand24());
    ASSERT_EQ(custom->BackgroundPicture().width, 4);
    // N = 64: the scene is 64 x 64, the picture at ((64 - 4) / 2, (64 - 4) / 2) = (30, 30).
    EXPECT_EQ(custom->SceneSize().cx, 64);
    const RECT s = custom->Selection();
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.right, 64);
    ASSERT_EQ(custom->Calculate(), 1);
    ASSERT_EQ(custom->rasterFiles.cols * custom->rasterFiles.rows, 1);
    EXPECT_EQ(custom->rasterFiles.data[0].wavelength, 0.0f);
    EXPECT_EQ(custom->rasterFiles.data[0].weight, 1.0f);
    EXPECT_EQ(custom->frameFiles.data[0].fileName, BitmapSpectrumFileName(0));
    const Mem<float> raster = Raster(0);
    ASSERT_EQ(raster.cols, 64);
    ASSERT_EQ(raster.rows, 64);
    // White 255 x 5.6508 = 1440.954 is 1; red 255, green 1170.6285, blue 15.3255, grey
    // 565.08 and (10, 20, 30) 103.617 over it.
    EXPECT_APPROX(Cell(raster, 33, 30), 1.0, kCellTolerance);
    EXPECT_APPROX(Cell(raster, 30, 30), 0.176966093, kCellTolerance);
    EXPECT_APPROX(Cell(raster, 31, 30), 0.812398244, kCellTolerance);
    EXPECT_APPROX(Cell(raster, 32, 30), 0.010635662, kCellTolerance);
    EXPECT_APPROX(Cell(raster, 30, 31), 100.0 / 255.0, kCellTolerance);
    EXPECT_APPROX(Cell(raster, 31, 31), 0.071908611, kCellTolerance);
    EXPECT_EQ(Cell(raster, 29, 30), 0.0f);
    EXPECT_EQ(Cell(raster, 34, 30), 0.0f);
    EXPECT_EQ(Cell(raster, 0, 0), 0.0f);
    // The state is left to the transform: each Calculate captures anew.
    EXPECT_EQ(custom->state, kNothingComputed);
    page->SelectType(kObjectRadialMira);
  }
}

TEST_F(CustomObjectPage, TvColoursWriteThreeRastersAtThePrimaries) {
  image.colorMode = kTvMode;
  TCustomObject *custom = WithBackground(Hand8());
  ASSERT_EQ(custom->Calculate(), 1);
  ASSERT_EQ(custom->rasterFiles.cols, 3);
  const float wavelengths[] = {0.4358f, 0.5461f, 0.7000f};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(custom->rasterFiles.data[k].fileName, BitmapRasterFileName(k));
    EXPECT_EQ(custom->rasterFiles.data[k].wavelength, wavelengths[k]);
    EXPECT_EQ(custom->frameFiles.data[k].fileName, BitmapSpectrumFileName(k));
  }
  const Mem<float> blue = Raster(0);
  const Mem<float> green = Raster(1);
  const Mem<float> red = Raster(2);
  // Pure red at (30, 30): 1 in the red raster only; green and blue likewise.
  EXPECT_EQ(Cell(red, 30, 30), 1.0f);
  EXPECT_EQ(Cell(green, 30, 30), 0.0f);
  EXPECT_EQ(Cell(blue, 30, 30), 0.0f);
  EXPECT_EQ(Cell(green, 31, 30), 1.0f);
  EXPECT_EQ(Cell(blue, 32, 30), 1.0f);
  EXPECT_APPROX(Cell(blue, 31, 31), 30.0 / 255.0, kCellTolerance);
  EXPECT_APPROX(Cell(green, 31, 31), 20.0 / 255.0, kCellTolerance);
  EXPECT_APPROX(Cell(red, 31, 31), 10.0 / 255.0, kCellTolerance);
}

TEST_F(CustomObjectPage, BadAndTruncatedFilesAreRefusedWithAMessage) {
  TCustomObject *custom = OnCustom();
  std::vector<std::uint8_t> truncated = Hand24();
  truncated.resize(truncated.size() - 7);
  std::vector<std::uint8_t> tableCut = Hand8();
  tableCut.resize(60);
  std::vector<std::uint8_t> hugeRows = Hand24();
  hugeRows[22] = 0xFF;  // height 0x...FF04: rows far beyond the file
  hugeRows[23] = 0x7F;
  const std::vector<std::vector<std::uint8_t>> bad = {
      truncated, tableCut, hugeRows, {'B', 'M', 0, 0}, std::vector<std::uint8_t>(80, 'x')};
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(i);
    const std::size_t before = Boxes().boxes.size();
    custom->backgroundFile = Write("bad" + std::to_string(i) + ".bmp", bad[i]);
    custom->LoadBackground();
    ASSERT_EQ(Boxes().boxes.size(), before + 1);
    EXPECT_EQ(Boxes().boxes.back().caption, "Warning");
    EXPECT_EQ(Boxes().boxes.back().text.rfind("The picture can not be read:", 0), 0u)
        << Boxes().boxes.back().text;
    EXPECT_TRUE(custom->BackgroundPicture().Empty());
    EXPECT_TRUE(custom->backgroundFile.empty());
    EXPECT_EQ(Text(custom, kCustomBackgroundBox), "---");
  }
  // A missing file says so too; the page stays usable and computes a black scene.
  custom->backgroundFile = Scratch("missing.bmp");
  custom->LoadBackground();
  EXPECT_EQ(Boxes().boxes.back().text.rfind("The picture can not be read:", 0), 0u);
  custom->ShowPictures();
  ASSERT_EQ(custom->Calculate(), 1);
  EXPECT_EQ(Cell(Raster(0), 32, 32), 0.0f);
  // An empty name only beeps.
  const std::size_t beeps = Boxes().beeps.size();
  custom->LoadObject();
  EXPECT_EQ(Boxes().beeps.size(), beeps + 1);
}

TEST_F(CustomObjectPage, ACancelledFileDialogKeepsThePictureAndAChosenObjectIsCaptured) {
  TCustomObject *custom = OnCustom();
  TScriptedFileDialog files;
  const std::string background = Write("plain.bmp", Plain24(8, 8, {0, 0, 200}));
  files.Choose({background});
  custom->SendMessage(WM_COMMAND, kCustomBackgroundButton, 0);
  ASSERT_EQ(custom->backgroundFile, background);
  ASSERT_NE(custom->backgroundWindow, nullptr);
  EXPECT_EQ(files.asked.size(), 1u);
  files.Cancel();
  custom->SendMessage(WM_COMMAND, kCustomBackgroundButton, 0);
  EXPECT_EQ(custom->backgroundFile, background);
  EXPECT_EQ(custom->BackgroundPicture().width, 8);
  // The object: a 2 x 2 picture, black top-left, white elsewhere; it is captured at once.
  std::vector<std::uint8_t> rows = {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  files.Choose({Write("object.bmp", BitmapBytes(2, 2, 24, {}, rows))});
  custom->SendMessage(WM_COMMAND, kCustomObjectButton, 0);
  test_kit::RunFor(20);
  ASSERT_NE(custom->objectWindow, nullptr);
  ASSERT_EQ(custom->rasterFiles.cols, 1);
  // Centred on the frame's centre (32, 32): its top-left at (31, 31).
  const POINT at = custom->ObjectPlace();
  EXPECT_EQ(at.x, 31);
  EXPECT_EQ(at.y, 31);
  const Mem<float> raster = Raster(0);
  // Blue 200 everywhere on the 8 x 8 background at (28, 28); the black object pixel covers,
  // the white ones let the blue through.
  EXPECT_EQ(Cell(raster, 30, 30), 1.0f);
  EXPECT_EQ(Cell(raster, 31, 31), 0.0f);
  EXPECT_EQ(Cell(raster, 32, 31), 1.0f);
  EXPECT_EQ(Cell(raster, 31, 32), 1.0f);
  EXPECT_EQ(Cell(raster, 27, 30), 0.0f);
}

TEST_F(CustomObjectPage, DraggingTheObjectWindowMovesItAndTheCapturedObject) {
  TCustomObject *custom = WithBackground(Plain24(8, 8, {0, 200, 0}));
  std::vector<std::uint8_t> rows = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  custom->objectFile = Write("black.bmp", BitmapBytes(2, 2, 24, {}, rows));
  custom->LoadObject();
  custom->ShowPictures();
  test_kit::RunFor(20);
  TObjectGraph *object = custom->objectWindow;
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->borderShown, 0);
  EXPECT_STREQ(object->BorderMenuText(), "Enable border");
  const RECT before = object->GetWindowRect();
  // A synthesis has transformed the capture: moving the object makes it stale.
  custom->state = kSpectraWritten;
  object->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  EXPECT_EQ(object->dragging, 1);
  object->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 1));
  object->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(11, 1));
  EXPECT_EQ(object->dragging, 0);
  EXPECT_EQ(custom->state, kNothingComputed);
  const RECT after = object->GetWindowRect();
  EXPECT_EQ(after.left, before.left + 10);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_EQ(custom->ObjectPlace().x, 41);
  ASSERT_EQ(custom->Calculate(), 1);
  const Mem<float> raster = Raster(0);
  // The black square now lies at (41, 31), beyond the green background (28 .. 35).
  EXPECT_EQ(Cell(raster, 31, 31), 1.0f);
  EXPECT_EQ(Cell(raster, 41, 31), 0.0f);
  object->CmToggleBorder();
  EXPECT_STREQ(object->BorderMenuText(), "Disable border");
  EXPECT_EQ(object->forceRedraw, 0);
  // A system close leaves the window to the bitmap object that holds it.
  object->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  test_kit::RunFor(20);
  EXPECT_EQ(custom->objectWindow, object);
  EXPECT_TRUE(object->IsWindow());
}

TEST_F(CustomObjectPage, TheSceneMovesOnlyItsFrameAndItsCloseBoxHidesIt) {
  TCustomObject *custom = WithBackground(Plain24(200, 100, {50, 50, 50}));
  TGumGraph *scene = custom->backgroundWindow;
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(custom->SceneSize().cx, 200);
  EXPECT_EQ(custom->SceneSize().cy, 100);
  EXPECT_EQ(scene->GetClientSize().cx, 200);
  EXPECT_EQ(scene->GetWindowText(), "Image: Custom object");
  const RECT first = scene->GetSelection();
  EXPECT_EQ(first.right, 64);
  // Without the focus even a press inside changes nothing.
  page->SetFocus();
  scene->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_FALSE(scene->IsDragging());
  scene->SetFocus();
  ASSERT_EQ(GetFocus(), scene->GetHandle());
  // A press outside the frame draws no new one.
  scene->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 80));
  scene->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(180, 90));
  scene->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(180, 90));
  EXPECT_EQ(scene->GetSelection().left, first.left);
  EXPECT_EQ(scene->GetSelection().right, first.right);
  // A press inside moves it, and the capture must be taken again.
  custom->state = kSpectraWritten;
  scene->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  scene->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 15));
  scene->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 15));
  EXPECT_EQ(scene->GetSelection().left, first.left + 20);
  EXPECT_EQ(scene->GetSelection().top, first.top + 5);
  EXPECT_EQ(scene->GetSelection().right - scene->GetSelection().left, 64);
  EXPECT_EQ(custom->state, kNothingComputed);
  // A new N puts an N x N frame about the old centre (52, 37): 128 gives (0, 0, 128, 128).
  image.pixelCount = 128;
  custom->PlaceSelection();
  EXPECT_EQ(scene->GetSelection().left, 0);
  EXPECT_EQ(scene->GetSelection().right, 128);
  image.pixelCount = 64;
  // The close box hides the scene; it stays the object's until the object lets it go.
  scene->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  test_kit::RunFor(20);
  EXPECT_EQ(custom->backgroundWindow, scene);
  EXPECT_TRUE(scene->IsWindow());
  EXPECT_FALSE(scene->IsWindowVisible());
  // Leaving the type drops pictures, windows and names.
  Choose(kObjectRadialMira);
  EXPECT_EQ(custom->backgroundWindow, nullptr);
  EXPECT_TRUE(custom->backgroundFile.empty());
  EXPECT_TRUE(custom->BackgroundPicture().Empty());
  EXPECT_EQ(folder->viewButtons, 1);
}

TEST_F(CustomObjectPage, APictureLargerThanTheScreenScrollsInASceneWindowOnTheScreen) {
  const int screenX = GetSystemMetrics(SM_CXSCREEN), screenY = GetSystemMetrics(SM_CYSCREEN);
  TCustomObject *custom = WithBackground(Plain24(screenX + 300, screenY + 200, {90, 60, 30}));
  TGumGraph *scene = custom->backgroundWindow;
  ASSERT_NE(scene, nullptr);
  const RECT outer = scene->GetWindowRect();
  EXPECT_TRUE(outer.left >= 0 && outer.top >= 0 && outer.right <= screenX && outer.bottom <= screenY);
  EXPECT_EQ(scene->GetBitmapSize().cx, screenX + 300);
  EXPECT_EQ(scene->GetBitmapSize().cy, screenY + 200);
  // Scrolled, the frame stays in the picture's pixels, and so does the capture.
  const RECT frame = scene->GetSelection();
  scene->ScrollTo(200, 100);
  EXPECT_EQ(scene->GetSelection().left, frame.left);
  ASSERT_EQ(custom->Calculate(), 1);
  EXPECT_APPROX(Cell(Raster(0), 63, 63), 1.0, kCellTolerance);
  // Placed in the scene's last corner, beyond the window's first view, the frame is drawn there.
  const SIZE whole = scene->GetBitmapSize();
  scene->SetSelection(whole.cx - 70, whole.cy - 70, whole.cx - 6, whole.cy - 6);
  TDC *memory = scene->GetDCs().second;
  ASSERT_NE(memory, nullptr);
  int drawn = 0;
  for (int x = whole.cx - 70; x < whole.cx - 50; ++x)
    drawn += memory->GetPixel(x, whole.cy - 70) != memory->GetPixel(x, whole.cy - 60) ? 1 : 0;
  EXPECT_GT(drawn, 0);
}

TEST_F(CustomObjectPage, APsfPerFieldPointCapturesTheWholeSceneInAWindowOfItsShape) {
  image.realImage = 1;
  TCustomObject *custom = WithBackground(Plain24(100, 200, {255, 255, 255}));
  // The scene is 100 x 200 (N = 64 is smaller); the frame is all of it.
  const RECT s = custom->Selection();
  EXPECT_EQ(s.right, 100);
  EXPECT_EQ(s.bottom, 200);
  ASSERT_EQ(custom->Calculate(), 1);
  EXPECT_EQ(custom->pictureSize.cx, 101);
  EXPECT_EQ(custom->pictureSize.cy, 201);
  EXPECT_EQ(custom->pictureCentre.x, 50);
  EXPECT_EQ(custom->pictureCentre.y, 100);
  const Mem<float> raster = Raster(0);
  EXPECT_EQ(Cell(raster, 99, 199), 1.0f);
  EXPECT_EQ(Cell(raster, 100, 100), 0.0f);
  // The picture window's larger side becomes 256: 101 / 201 x 256 = 128.6 -> 128.
  const std::size_t boxes = Boxes().boxes.size();
  custom->ShowColorImage();
  ASSERT_NE(image.picture, nullptr);
  EXPECT_EQ(Boxes().boxes.size(), boxes);
  TWindow *window = WindowFromHandle(TPictureWindows().PictureHandle(image.picture));
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->GetClientRect().right, 128);
  EXPECT_EQ(window->GetClientRect().bottom, 256);
  // The field brightness is the captured raster's, on the scale of the synthesis with one
  // PSF (white is 1) and for every wavelength, a fourth one too; the frame's extra last
  // column is black.
  image.objectStep = 1.0;
  for (int component = 0; component < 4; ++component)
    EXPECT_EQ(custom->ValueAt(component, 0.0, 0.0), 1.0) << component;
  EXPECT_EQ(custom->ValueAt(0, 49.0, 0.0), 1.0);
  EXPECT_EQ(custom->ValueAt(0, 50.0, 0.0), 0.0);
  delete window;
}

TEST_F(CustomObjectPage, NothingToShowBeforeAPictureSaysSo) {
  TCustomObject *custom = OnCustom();
  custom->ShowColorImage();
  ASSERT_FALSE(Boxes().boxes.empty());
  EXPECT_EQ(Boxes().boxes.back().text, "Not enougn information!");
  EXPECT_EQ(Boxes().boxes.back().caption, "Warning");
}

TEST_F(CustomObjectPage, TheObjectWindowPaintsItsOwnColoursAndNeverItsWhite) {
  TCustomObject *custom = WithBackground(Plain24(8, 8, {0, 0, 255}));
  // Red top-left, white elsewhere.
  std::vector<std::uint8_t> rows = {0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  custom->objectFile = Write("red.bmp", BitmapBytes(2, 2, 24, {}, rows));
  custom->LoadObject();
  custom->ShowPictures();
  TObjectGraph *object = custom->objectWindow;
  ASSERT_NE(object, nullptr);
  ASSERT_TRUE(object->IsTransparent());
  test_kit::RunUntil([object] { return !object->IsGrabPending(); });
  object->Invalidate();
  object->UpdateWindow();
  test_kit::RunFor(20);
  EXPECT_EQ(test_kit::ClientPixel(*object, 0, 0), RGB(255, 0, 0));
  EXPECT_NE(test_kit::ClientPixel(*object, 1, 0), RGB(255, 255, 255));
  EXPECT_NE(test_kit::ClientPixel(*object, 1, 1), RGB(255, 255, 255));
}
