// The picture window's companions: the colour-of-point window, the tuning window, the
// scale dialog, the section windows, the mode notice and the density picture.

#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/tests/picture_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>
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
#include "platform/core/recording_providers.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/test_kit.h"

using picture_test::BitmapPixel;
using picture_test::PictureWindow;
using picture_test::SameColors;
using picture_test::kZoomTolerance;

TEST_F(PictureWindow, ColourOfPointMarksRedAndGreyAtTheirChromaticities) {
  Fill(image, 64, [](int x, int) {
    return x < 32 ? COLORVECTOR{255.0f, 0.0f, 0.0f} : COLORVECTOR{128.0f, 128.0f, 128.0f};
  });
  TColorPicture *picture = Show(image, 128);
  ASSERT_NE(picture, nullptr);
  picture->Command(CM_PICTURE_POINT_WINDOW);
  TRGBGraph *point = picture->pointWindow;
  ASSERT_NE(point, nullptr);
  EXPECT_EQ(point->GetWindowText(), "Color");
  picture->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 60));
  const POINT red = point->WorldToDevice(0.735, 0.265);
  EXPECT_EQ(BitmapPixel(*point, red.x, red.y), RGB(255, 0, 0));
  // Trail mode: the grey mark joins the red one.
  picture->Command(CM_PICTURE_POINT_TRAIL);
  picture->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 60));
  const POINT grey = point->WorldToDevice(1.0 / 3.0, 1.0 / 3.0);
  EXPECT_EQ(BitmapPixel(*point, grey.x, grey.y), RGB(255, 255, 255));
  EXPECT_EQ(BitmapPixel(*point, red.x, red.y), RGB(255, 0, 0));
  // Without trail the diagram is drawn again: the red mark goes.
  picture->Command(CM_PICTURE_POINT_CURRENT);
  picture->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 60));
  EXPECT_NE(BitmapPixel(*point, red.x, red.y), RGB(255, 0, 0));
  EXPECT_EQ(BitmapPixel(*point, grey.x, grey.y), RGB(255, 255, 255));
}

TEST_F(PictureWindow, ClosingTheColourWindowForgetsItAndOffersCreateAgain) {
  Fill(image, 64, [](int, int) { return COLORVECTOR{10.0f, 10.0f, 10.0f}; });
  TColorPicture *picture = Show(image, 64);
  ASSERT_NE(picture, nullptr);
  picture->Command(CM_PICTURE_POINT_WINDOW);
  ASSERT_NE(picture->pointWindow, nullptr);
  picture->pointWindow->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(test_kit::RunUntil([&] { return picture->pointWindow == nullptr; }));
  HMENU menu = picture->BuildMenu();
  char text[32] = {};
  GetMenuString(menu, CM_PICTURE_POINT_WINDOW, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Create window");
  DestroyMenu(menu);
}

TEST_F(PictureWindow, TuningWindowFollowsTheNewestPicture) {
  Fill(image, 64, [](int, int) { return COLORVECTOR{10.0f, 10.0f, 10.0f}; });
  image.pixelPitch = 0.01f;
  TColorPicture *first = Show(image, 64);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(GetPictureTune(), nullptr);
  EXPECT_EQ(GetPictureTune()->Picture(), first);
  TColorImage second;
  Fill(second, 64, [](int, int) { return COLORVECTOR{20.0f, 20.0f, 20.0f}; });
  second.pixelPitch = 0.01f;
  TColorPicture *newer = Show(second, 64);
  ASSERT_NE(newer, nullptr);
  TColorPictureTune *tune = GetPictureTune();
  ASSERT_NE(tune, nullptr);
  EXPECT_EQ(tune->Picture(), newer);
  int x = 0, y = 0;
  ASSERT_TRUE(tune->ScreenOrigin(x, y));
  const POINT origin = newer->ClientToScreen(POINT{0, 0});
  EXPECT_EQ(x, origin.x);
  EXPECT_EQ(y, origin.y);
  // The axes button follows the picture's flag and switches it.
  const int axes = newer->drawAxes;
  EXPECT_EQ(tune->IsPressed(CM_PICTURE_AXES), axes != 0);
  tune->Click(CM_PICTURE_AXES);
  EXPECT_NE(newer->drawAxes, axes);
  EXPECT_EQ(tune->IsPressed(CM_PICTURE_AXES), newer->drawAxes != 0);
  EXPECT_EQ(first->drawAxes, axes);
}

TEST_F(PictureWindow, ScaleDialogChangesTheZoomToTheEnteredScale) {
  Fill(image, 128, [](int, int) { return COLORVECTOR{10.0f, 10.0f, 10.0f}; });
  image.pixelPitch = 0.005f;
  TColorPicture *picture = Show(image);
  ASSERT_NE(picture, nullptr);
  const double shown = PictureScale(*picture);
  ASSERT_GT(shown, 0.0);
  {
    TScaleImageDlg dialog(*picture);
    ASSERT_TRUE(dialog.Create());
    EXPECT_APPROX(dialog.scale, shown, 1e-6 * shown);
    dialog.SendMessage(WM_COMMAND, IDC_SCALE_APPLY, 0);
    EXPECT_EQ(picture->zoom, 1.0f);
    char text[32];
    std::snprintf(text, sizeof text, "%g", shown / 2.0);
    dialog.SetDlgItemText(IDC_SCALE_VALUE, text);
    dialog.SendMessage(WM_COMMAND, IDC_SCALE_APPLY, 0);
    EXPECT_APPROX(picture->zoom, 2.0, kZoomTolerance);
    // Half the pixels are shown now (63 pixel steps across instead of 127).
    EXPECT_APPROX(PictureScale(*picture), shown * 63.0 / 127.0, 1e-3 * shown);
    // An entry of 0 leaves the zoom.
    dialog.SetDlgItemText(IDC_SCALE_VALUE, "0");
    dialog.SendMessage(WM_COMMAND, IDC_SCALE_APPLY, 0);
    EXPECT_APPROX(picture->zoom, 2.0, kZoomTolerance);
    // The field is bound as every number field is: a decimal comma is the point, a text
    // that is no number is refused by the field's name, and Ok then keeps the dialog open.
    TRecordingMessageBoxProvider boxes;
    std::snprintf(text, sizeof text, "%g", PictureScale(*picture) / 2.0);
    std::string comma = text;
    std::replace(comma.begin(), comma.end(), '.', ',');
    dialog.SetDlgItemText(IDC_SCALE_VALUE, comma.c_str());
    dialog.SendMessage(WM_COMMAND, IDC_SCALE_APPLY, 0);
    EXPECT_APPROX(picture->zoom, 4.0, 2.0 * kZoomTolerance);
    EXPECT_TRUE(boxes.boxes.empty());
    dialog.SetDlgItemText(IDC_SCALE_VALUE, "1e400");
    dialog.SendMessage(WM_COMMAND, IDOK, 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("\"1e400\""), std::string::npos);
    EXPECT_TRUE(dialog.IsWindow());
    EXPECT_APPROX(picture->zoom, 4.0, 2.0 * kZoomTolerance);
    dialog.Destroy();
  }
  // The picture now shows the central quarter.
  EXPECT_EQ(picture->view.left, 48);
  EXPECT_EQ(picture->view.right, 79);
}

namespace {

// The scale as the caption should show it: N with 4 decimals below 0.01, 3 below 0.1, else 1.
std::string ScaleText(double n) {
  std::ostringstream text;
  text << std::fixed << std::setprecision(n < 0.01 ? 4 : n < 0.1 ? 3 : 1) << n;
  return " (1:" + text.str() + ")";
}

}  // namespace

TEST_F(PictureWindow, CaptionShowsTheScaleAfterTheTitleWithoutPadding) {
  Fill(image, 128, [](int, int) { return COLORVECTOR{10.0f, 10.0f, 10.0f}; });
  image.pixelPitch = 0.005f;
  TColorPicture *picture = Show(image);
  ASSERT_NE(picture, nullptr);
  picture->SetImage("Image: Lens");
  const double fine = PictureScale(*picture);
  ASSERT_LT(fine, 0.01);
  EXPECT_EQ(picture->GetWindowText(), "Image: Lens" + ScaleText(fine));
  // Each range of the scale keeps its decimals, and the redraw sets the caption again.
  for (const double wanted : {0.05, 0.5}) {
    ApplyPictureScale(*picture, wanted);
    const double shown = PictureScale(*picture);
    EXPECT_APPROX(shown, wanted, 0.02 * wanted);
    EXPECT_EQ(picture->GetWindowText(), "Image: Lens" + ScaleText(shown));
  }
  EXPECT_EQ(picture->GetWindowText().find("  "), std::string::npos);
}

TEST(DensityPicture, OpensInAPictureWindowOnTop) {
  test_kit::EnsureApplication();
  TSynthesisWindows *previousWindows = InstallSynthesisWindows();
  const TColorImageFactory previousFactory = InstallColorImageFactory();
  Mem<float> raster(48, 32);
  for (int i = 0; i < 48 * 32; ++i) raster.data[i] = static_cast<float>(i % 48);
  ASSERT_EQ(ShowDensityImage(raster), 1);
  TTestImage *record = GetTestImage();
  ASSERT_NE(record, nullptr);
  TColorPicture *picture = record->picture;
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->IsWindowVisible());
  EXPECT_NE(picture->Attr.ExStyle & WS_EX_TOPMOST, 0u);
  EXPECT_EQ(picture->GetClientSize().cx, 48);
  EXPECT_EQ(picture->GetClientSize().cy, 32);
  // Brighter to the right, as the raster.
  const COLORREF left = BitmapPixel(*picture, 2, 10);
  const COLORREF right = BitmapPixel(*picture, 40, 10);
  EXPECT_LT(GetRValue(left), GetRValue(right));
  delete picture;
  ReleaseDensityImage();
  DeletePictureTune();
  delete GetTestImage();
  SetTestImage(nullptr);
  SetColorImageFactory(previousFactory);
  SetSynthesisWindows(previousWindows);
  SetTopmostRaiser(nullptr);
}

namespace {

// Two components of constant rasters 1 and 3.
void TwoComponents(TColorImage &target, float firstUm, float secondUm) {
  for (const auto &[value, wavelength] : {std::pair{1.0f, firstUm}, std::pair{3.0f, secondUm}}) {
    Mem<float> raster(16, 16);
    for (int i = 0; i < 256; ++i) raster.data[i] = value;
    TFileData record;
    record.wavelength = wavelength;
    record.weight = value == 1.0f ? 1.0f : 3.0f;
    ASSERT_EQ(target.WriteComponents(record, raster), 1);
  }
}

int CountColor(TGraphWindow &graph, COLORREF color) {
  const QImage *image = graph.GetDCs().second->Image();
  int count = 0;
  for (int y = 0; y < image->height(); ++y) {
    for (int x = 0; x < image->width(); ++x) {
      const QRgb p = image->pixel(x, y);
      if (RGB(qRed(p), qGreen(p), qBlue(p)) == color) ++count;
    }
  }
  return count;
}

}  // namespace

TEST(EnergySections, TrapezoidalMeanOverWavelengthAndEqualWavelengths) {
  TColorImage image;
  // Listed long wavelength first: the sum sorts them.
  TwoComponents(image, 0.6f, 0.5f);
  Mem<float> energy;
  ASSERT_TRUE(EnergyRaster(image, energy));
  // (1 x 1 + 3 x 3) h / ((1 + 3) h) = 2.5
  EXPECT_APPROX(energy.data[0], 2.5, 1e-6);
  EXPECT_APPROX(image.components.data[0].wavelength, 0.5f, 1e-6);
  TColorImage same;
  TwoComponents(same, 0.55f, 0.55f);
  ASSERT_TRUE(EnergyRaster(same, energy));
  EXPECT_APPROX(energy.data[17], 2.5, 1e-6);
}

TEST_F(PictureWindow, EnergySectionsOpenThroughTheClickedPoint) {
  TwoComponents(image, 0.5f, 0.6f);
  ASSERT_EQ(image.BuildFromComponents(kDefaultColorMode), 1);
  image.pixelPitch = 0.01f;
  TColorPicture *picture = Show(image, 128);
  ASSERT_NE(picture, nullptr);
  const std::size_t before = picture->GetChildren().size();
  picture->lastClick = {64, 64};
  picture->Command(CM_PICTURE_ENERGY);
  const auto &children = picture->GetChildren();
  ASSERT_EQ(children.size(), before + 2);
  auto *row = dynamic_cast<TGraph *>(children[before]);
  auto *column = dynamic_cast<TGraph *>(children[before + 1]);
  ASSERT_NE(row, nullptr);
  ASSERT_NE(column, nullptr);
  EXPECT_EQ(row->GetWindowText().rfind("Y=", 0), 0u);
  EXPECT_EQ(column->GetWindowText().rfind("X=", 0), 0u);
  EXPECT_TRUE(row->IsWindowVisible());
  EXPECT_GT(CountColor(*row, RGB(255, 255, 0)), 10);
  EXPECT_GT(CountColor(*column, RGB(255, 255, 0)), 10);
}

TEST(DensityPicture, ASecondDensityImageLeavesTheFirstPictureShowing) {
  test_kit::EnsureApplication();
  TSynthesisWindows *previousWindows = InstallSynthesisWindows();
  const TColorImageFactory previousFactory = InstallColorImageFactory();
  Mem<float> raster(32, 32);
  for (int i = 0; i < 32 * 32; ++i) raster.data[i] = static_cast<float>(i % 32);
  ASSERT_EQ(ShowDensityImage(raster), 1);
  TColorPicture *first = GetTestImage()->picture;
  ASSERT_NE(first, nullptr);
  const COLORREF shown = BitmapPixel(*first, 30, 5);
  ASSERT_EQ(ShowDensityImage(raster), 1);
  TColorPicture *second = GetTestImage()->picture;
  ASSERT_NE(second, first);
  EXPECT_FALSE(first->IsMenuEnabled());
  EXPECT_TRUE(second->IsMenuEnabled());
  first->Command(CM_PICTURE_FLIP_V);
  EXPECT_EQ(BitmapPixel(*first, 30, 5), shown);
  delete first;
  delete second;
  ReleaseDensityImage();
  DeletePictureTune();
  delete GetTestImage();
  SetTestImage(nullptr);
  SetColorImageFactory(previousFactory);
  SetSynthesisWindows(previousWindows);
  SetTopmostRaiser(nullptr);
}

TEST_F(PictureWindow, TuningButtonsSwitchSpectrumAndScaleBackAndForth) {
  Fill(image, 32, [](int, int) { return COLORVECTOR{50.0f, 60.0f, 70.0f}; });
  image.SetGeometry(0.45f, 0.65f, 0.001f, 0.0f);
  image.modeWord = kNaturalColor | kLineSpectrum;
  TColorPicture *picture = Show(image, 64);
  ASSERT_NE(picture, nullptr);
  TColorPictureTune *tune = GetPictureTune();
  ASSERT_NE(tune, nullptr);
  EXPECT_TRUE(tune->IsPressed(CM_PICTURE_NATURAL));
  EXPECT_FALSE(tune->IsPressed(CM_PICTURE_LINE));
  // "Line spectrum" while the line spectrum is on switches to the continuous one, and back.
  picture->Command(CM_PICTURE_LINE);
  EXPECT_EQ(picture->modeWord, kNaturalColor | kContinuousSpectrum);
  EXPECT_TRUE(tune->IsPressed(CM_PICTURE_LINE));
  tune->Click(CM_PICTURE_LINE);
  EXPECT_EQ(picture->modeWord, kNaturalColor | kLineSpectrum);
  // The scale button: logarithmic, then linear again.
  tune->Click(CM_PICTURE_LOG);
  EXPECT_EQ(image.scaleMode, 1);
  EXPECT_EQ(image.gammaFlag, 0);
  EXPECT_TRUE(tune->IsPressed(CM_PICTURE_LOG));
  tune->Click(CM_PICTURE_LOG);
  EXPECT_EQ(image.scaleMode, 0);
  EXPECT_EQ(image.gammaFlag, 1);
  // Brightness steps by 2 in the linear scale.
  tune->Click(CM_PICTURE_MORE_BRIGHTNESS);
  EXPECT_FLOAT_EQ(image.gain, 2.0f);
  EXPECT_FLOAT_EQ(image.dynamicRange, 0.0005f);
  tune->Click(CM_PICTURE_ACTUAL_BRIGHTNESS);
  EXPECT_FLOAT_EQ(image.gain, 1.0f);
}

namespace {

// A folder window that keeps the colour-mode words its pictures post.
class TModeFolder : public TWindow {
 public:
  TModeFolder() : TWindow(nullptr, "folder") {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.W = 100;
    Attr.H = 100;
  }
  bool Find(TEventInfo &info) override;
  void EvMode(WPARAM wParam, LPARAM) { modes.push_back(static_cast<int>(wParam)); }
  std::vector<int> modes;

 private:
  static const TResponseTableEntry kTable[];
};
const TResponseTableEntry TModeFolder::kTable[] = {
    EvMessage<&TModeFolder::EvMode>(WM_PICTURE_MODE),
};
bool TModeFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kTable, info) || TWindow::Find(info);
}

}  // namespace

TEST_F(PictureWindow, ANewColourModeIsPostedToTheParent) {
  TModeFolder folder;
  ASSERT_TRUE(folder.Create());
  Fill(image, 32, [](int, int) { return COLORVECTOR{50.0f, 60.0f, 70.0f}; });
  image.SetGeometry(0.45f, 0.65f, 0.001f, 0.0f);
  image.ShowInWindow(folder.GetHandle(), 40, 40, 64, 64, kPictureWindowStyle, 0);
  TColorPicture *picture = image.window;
  ASSERT_NE(picture, nullptr);
  picture->Command(CM_PICTURE_PSEUDO);
  EXPECT_TRUE(test_kit::RunUntil([&] { return !folder.modes.empty(); }));
  ASSERT_EQ(folder.modes.size(), 1u);
  EXPECT_EQ(folder.modes[0], kPseudoColor | kLineSpectrum);
  EXPECT_EQ(picture->drawColorScale, 1);
  delete picture;
}

TEST_F(PictureWindow, RgbSectionsTraceTheDrawnChannels) {
  // Red on the left half, blue on the right.
  Fill(image, 32, [](int x, int) {
    return x < 16 ? COLORVECTOR{200.0f, 0.0f, 0.0f} : COLORVECTOR{0.0f, 0.0f, 200.0f};
  });
  image.pixelPitch = 0.01f;
  TColorPicture *picture = Show(image, 128);
  ASSERT_NE(picture, nullptr);
  const std::size_t before = picture->GetChildren().size();
  picture->lastClick = {64, 64};
  picture->Command(CM_PICTURE_RGB);
  ASSERT_EQ(picture->GetChildren().size(), before + 2);
  auto *row = dynamic_cast<TGraph *>(picture->GetChildren()[before]);
  ASSERT_NE(row, nullptr);
  EXPECT_GT(CountColor(*row, RGB(255, 0, 0)), 20);
  EXPECT_GT(CountColor(*row, RGB(0, 0, 255)), 20);
  // The picture has its axes back afterwards.
  EXPECT_EQ(picture->drawAxes, GetTestImage()->pictureInt2);
}
