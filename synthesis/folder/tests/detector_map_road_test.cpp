// The Detector page's "Map" in the image-synthesis folder on the shipped Cooke triplet, as
// the user meets it: the folder opened at its own settings, the round detector picked in
// the type list, "Map" pressed, the picture window's pixels read.

#include <QImage>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "imaging/pictures/color_picture.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/test_image.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/detectors/detector_type_dlg.h"
#include "synthesis/detectors/element_detector_dlgs.h"
#include "synthesis/detectors/transformer_detector_dlgs.h"
#include "platform/gui/bars/edit_file.h"
#include "toolkit/texteditor/o_editor.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/tests/folder_test_support.h"

namespace {

struct TLitPixels {
  int count = 0;
  int left = 0, right = -1, top = 0, bottom = -1;  // the box round them
};

class DetectorMapRoad : public TFolderTestBase {
 protected:
  TTestDetector &Detector() {
    return *dynamic_cast<TTestDetector *>(folder_->DetectorPage()->PageWindow());
  }
  TDetectorRound &Round() { return *dynamic_cast<TDetectorRound *>(Detector().Model(kDetectorRound)); }
  // The user picks a type in the Type page's list.
  void Pick(int type) {
    TDetectorTypeDlg &page = *Detector().InnerFolder()->TypePage();
    auto &list = *dynamic_cast<TComboBox *>(page.ChildWithId(kDetectorTypeList));
    list.SetSelIndex(type);
    page.SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | kDetectorTypeList),
                     reinterpret_cast<LPARAM>(list.GetHandle()));
  }
  // The newest picture window's client as the screen shows it.
  static QImage Client(TColorPicture &picture) {
    picture.UpdateWindow();
    const QImage pixels = test_kit::WindowPixels(picture);
    const RECT client = picture.GetClientRect();
    if (pixels.width() == client.right && pixels.height() == client.bottom) return pixels;
    POINT origin{0, 0};
    picture.ClientToScreen(origin);
    const RECT frame = picture.GetWindowRect();
    return pixels.copy(origin.x - frame.left, origin.y - frame.top, client.right, client.bottom);
  }
  static TLitPixels Lit(const QImage &map) {
    TLitPixels lit;
    lit.left = map.width();
    lit.top = map.height();
    for (int y = 0; y < map.height(); ++y)
      for (int x = 0; x < map.width(); ++x) {
        if (qGray(map.pixel(x, y)) <= 127) continue;
        ++lit.count;
        lit.left = std::min(lit.left, x);
        lit.right = std::max(lit.right, x);
        lit.top = std::min(lit.top, y);
        lit.bottom = std::max(lit.bottom, y);
      }
    return lit;
  }
};

// At its own size, one pixel across, the round element is the raster's centre pixel: the
// picture shows it cell for cell (256 cells in 256 client pixels) where the white axes
// cross, and there the axes let the picture show through, so the element is seen with the
// axes on as without them. A larger element shows as its disc.
TEST_F(DetectorMapRoad, TheRoundElementIsTheLitCentreWhereTheAxesCross) {
  OpenFolder();
  Pick(kDetectorRound);
  const TTestImage &image = *GetTestImage();
  ASSERT_EQ(image.pixelCount, kSmallPictureSide);
  EXPECT_EQ(Round().Diameter, static_cast<float>(image.pixelSize));
  Detector().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  ASSERT_NE(image.picture, nullptr);
  TColorPicture &picture = *image.picture;
  ASSERT_NE(picture.drawAxes, 0);
  const int centre = kSmallPictureSide / 2;
  const QImage withAxes = Client(picture);
  ASSERT_EQ(withAxes.width(), kSmallPictureSide);
  // The axes are drawn, along the centre row and column away from the crossing...
  EXPECT_GT(qGray(withAxes.pixel(centre + 40, centre)), 127);
  EXPECT_GT(qGray(withAxes.pixel(centre, centre + 40)), 127);
  // ...and round the crossing the picture shows: the lit element alone, dark beside it on
  // the axes' own row and column.
  EXPECT_GT(qGray(withAxes.pixel(centre, centre)), 127);
  for (const auto &[dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1},
                               std::pair{2, 0}, std::pair{0, -2}})
    EXPECT_LE(qGray(withAxes.pixel(centre + dx, centre + dy)), 127) << dx << " " << dy;

  // "Draw axes" off: the element alone.
  picture.SendMessage(WM_COMMAND, CM_PICTURE_AXES, 0);
  const TLitPixels one = Lit(Client(picture));
  EXPECT_EQ(one.count, 1);
  EXPECT_EQ(one.left, centre);
  EXPECT_EQ(one.top, centre);

  // 9 pixels across: every cell within 4.5 cells of the centre, 69 of them (columns of
  // 5, 7, 9, 9, 9, 9, 9, 7 and 5), 9 wide and 9 high round the centre.
  char typed[32];
  std::snprintf(typed, sizeof typed, "%g", 9.0 * image.pixelSize);
  SetDlgItemText(Round().GetHandle(), kDetectorFirstSizeEdit, typed);
  Detector().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  ASSERT_NE(image.picture, nullptr);
  const TLitPixels disc = Lit(Client(*image.picture));
  EXPECT_EQ(disc.count, 69);
  EXPECT_EQ(disc.left, centre - 4);
  EXPECT_EQ(disc.right, centre + 4);
  EXPECT_EQ(disc.top, centre - 4);
  EXPECT_EQ(disc.bottom, centre + 4);
}

// The optical transformer without its data file: "Color" says so and opens no picture, as
// there is no image through a response that is not there. "Edit" opens an empty editor
// without a word, and its last tool-bar command closes it at once.
TEST_F(DetectorMapRoad, TheTransformerWithoutItsFileGivesNoImageAndEditsANewFileEmpty) {
  OpenFolder();
  Pick(kDetectorOpticalTransformer);
  answers_->boxes.clear();
  folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_NE(answers_->boxes[0].text.find("No optical transformer data file"), std::string::npos);
  EXPECT_EQ(GetTestImage()->picture, nullptr);
  EXPECT_NE(folder_->state, kRastersWritten);

  auto &transformer = *dynamic_cast<TDetectorOpticalTransformer *>(Detector().Model(kDetectorOpticalTransformer));
  answers_->boxes.clear();
  transformer.SendMessage(WM_COMMAND, kTransformerEditButton, 0);
  EXPECT_TRUE(answers_->boxes.empty());
  TOEditor *editor = transformer.Editor();
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->IsWindow());
  EXPECT_EQ(editor->Client()->GetTextLen(), 0);
  editor->SendMessage(WM_COMMAND, CM_EXIT, 0);
  test_kit::RunFor(20);
  EXPECT_FALSE(editor->IsWindowVisible() && editor->IsWindow());
}

TEST_F(DetectorMapRoad, ARealImageSaysItPassesThroughNoDetector) {
  // The image with a PSF per field node uses no detector model: with one chosen (even the
  // transformer pair without its file) the picture comes with a word naming it.
  for (const int type : {kDetectorMatrixTransformer, kDetectorNone}) {
    SCOPED_TRACE(type);
    OpenFolder();
    Pick(type);
    GetTestImage()->realImage = 1;
    answers_->boxes.clear();
    folder_->SendMessage(WM_COMMAND, kFolderColorButton, 0);
    ASSERT_EQ(folder_->state, kRastersWritten);
    EXPECT_NE(GetTestImage()->picture, nullptr);
    if (type == kDetectorNone) {
      EXPECT_TRUE(answers_->boxes.empty()) << answers_->boxes.front().text;
    } else {
      ASSERT_EQ(answers_->boxes.size(), 1u);
      EXPECT_NE(answers_->boxes[0].text.find("without the detector \"Matrix & Transformer\""), std::string::npos)
          << answers_->boxes[0].text;
    }
    CloseFolder();
  }
}

}  // namespace
