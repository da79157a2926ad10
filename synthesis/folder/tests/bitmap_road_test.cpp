// The bitmap object as a user takes it: the triplet focused on an object 500 mm away, the
// type "Custom", a 64 x 64 picture of our own chosen with the "Object" button and "Color"
// pressed. The object window shows the picture itself with no frame of the desktop round
// it, and the synthesised image is the picture, blurred by the lens, not a black field.

#include "synthesis/folder/test_object_folder.h"

#include <QImage>
#include <QWidget>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/pictures/color_picture.h"
#include "imaging/rasters/raster_records.h"
#include "platform/core/scripted_dialogs.h"
#include "synthesis/folder/folder_page_adapters.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "synthesis/objects/custom_object.h"
#include "synthesis/objects/test_object_graphs.h"
#include "synthesis/objects/test_object_parent.h"
#include "synthesis/objects/tests/bitmap_file_bytes.h"

namespace {

constexpr int kSide = 64;
constexpr std::uint8_t kGrey = 128;
// The picture is a white "F" on black with a grey square beside it.
bool InF(int x, int y) {
  return (x >= 8 && x < 20 && y >= 8 && y < 56) || (x >= 8 && x < 48 && y >= 8 && y < 20) ||
         (x >= 8 && x < 40 && y >= 28 && y < 38);
}
bool InSquare(int x, int y) { return x >= 44 && x < 58 && y >= 40 && y < 56; }
std::uint8_t Level(int x, int y) { return InSquare(x, y) ? kGrey : InF(x, y) ? 255 : 0; }

// The picture as a 24-bit bitmap file.
std::string WritePicture(const std::string &path) {
  std::vector<std::uint8_t> rows;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) rows.insert(rows.end(), 3, Level(x, y));
  const std::vector<std::uint8_t> bytes = bitmap_file_bytes::BitmapBytes(kSide, kSide, 24, {}, rows);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// Pearson's correlation of two rasters over the square [from, to) of cells.
double Correlation(const Mem<float> &a, const Mem<float> &b, int from, int to) {
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  int count = 0;
  for (int r = from; r < to; ++r)
    for (int c = from; c < to; ++c) {
      const double u = a.data[r * a.cols + c], v = b.data[r * b.cols + c];
      sa += u;
      sb += v;
      saa += u * u;
      sbb += v * v;
      sab += u * v;
      ++count;
    }
  const double cov = sab - sa * sb / count;
  const double va = saa - sa * sa / count, vb = sbb - sb * sb / count;
  return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

int Luminance(QRgb pixel) { return qRed(pixel) + qGreen(pixel) + qBlue(pixel); }

class BitmapRoad : public TFolderTestBase {
 protected:
  void SetUp() override {
    previousPage_ = SetObjectPageMaker(&MakeObjectParentPage);
    TFolderTestBase::SetUp();
    system_.name = Scratch("lens.os");
    system_.info.ObjectFinite = 1;
    ASSERT_EQ(PlaceObjectAndFocus(system_, 0.5), 1);
  }
  void TearDown() override {
    TFolderTestBase::TearDown();
    SetObjectPageMaker(previousPage_);
  }
  TObjectPageMaker previousPage_ = nullptr;
};

TEST_F(BitmapRoad, AnObjectPictureIsShownWithoutAFrameAndImagedAsItself) {
  TTestObjectFolder &folder = OpenFolder();
  auto *page = dynamic_cast<TTestObjectParent *>(folder.ObjectPage()->PageWindow());
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->SelectType(kObjectCustom), 1);
  TCustomObject &custom = *page->CustomObject();
  TScriptedFileDialog files;
  files.Choose({WritePicture(Scratch("f.bmp"))});
  custom.SendMessage(WM_COMMAND, kCustomObjectButton, 0);
  ASSERT_NE(custom.objectWindow, nullptr);
  test_kit::RunFor(20);

  // The object window is the picture: no frame of the desktop (a sizing frame would be
  // one, with its title band) and every pixel of the bitmap in its client, the white ones
  // too, for there is no background to let through.
  TObjectGraph &window = *custom.objectWindow;
  ASSERT_NE(window.HostWidget(), nullptr);
  EXPECT_TRUE(window.HostWidget()->windowFlags().testFlag(Qt::FramelessWindowHint));
  const SIZE client = window.GetClientSize();
  EXPECT_EQ(client.cx, kSide);
  EXPECT_EQ(client.cy, kSide);
  int wrong = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const COLORREF shown = test_kit::ClientPixel(window, x, y);
      wrong += shown == RGB(Level(x, y), Level(x, y), Level(x, y)) ? 0 : 1;
    }
  EXPECT_EQ(wrong, 0);

  answers_->boxes.clear();
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  EXPECT_TRUE(answers_->boxes.empty());
  ASSERT_EQ(folder.state, kRastersWritten);
  // The captured object: the picture whole at the frame's centre, white 1, grey 128 / 255.
  const int n = GetTestImage()->pixelCount;
  Mem<float> object;
  ASSERT_GT(RecordCount(custom.rasterFiles), 0);
  TFileData objectRecord(custom.rasterFiles.data[0]);
  ASSERT_TRUE(ReadSquareRaster(objectRecord, object, n));
  const int corner = n / 2 - kSide / 2;
  EXPECT_EQ(object.data[(corner + 10) * n + corner + 10], 1.0f);
  EXPECT_NEAR(object.data[(corner + 48) * n + corner + 50], kGrey / 255.0, 1e-6);
  EXPECT_EQ(object.data[(corner + 48) * n + corner + 30], 0.0f);
  // The image is the object seen through the lens: far from black, and alike cell by cell
  // (the blur only softens the edges of bars 10 or more cells wide).
  ASSERT_GT(RecordCount(folder.rasterFiles), 0);
  Mem<float> image;
  TFileData imageRecord(folder.rasterFiles.data[0]);
  ASSERT_TRUE(ReadSquareRaster(imageRecord, image, n));
  float brightest = 0.0f;
  for (int i = 0; i < n * n; ++i) brightest = std::max(brightest, image.data[i]);
  EXPECT_GT(brightest, 0.5f);
  EXPECT_GT(Correlation(image, object, corner - 8, corner + kSide + 8), 0.9);
  // And so is the picture window: the F's bar bright, the space inside the F dark.
  ASSERT_NE(GetTestImage()->picture, nullptr);
  TColorPicture &picture = *GetTestImage()->picture;
  const SIZE shown = picture.GetClientSize();
  ASSERT_EQ(shown.cx, n);
  const QImage pixels = test_kit::WindowPixels(picture);
  const POINT origin = picture.ClientToScreen(POINT{0, 0});
  const RECT outer = picture.GetWindowRect();
  const int dx = origin.x - outer.left, dy = origin.y - outer.top;
  const int bar = Luminance(pixels.pixel(dx + corner + 14, dy + corner + 45));
  const int gap = Luminance(pixels.pixel(dx + corner + 30, dy + corner + 48));
  EXPECT_GT(bar, 3 * 128);
  EXPECT_LT(gap, bar / 3);
}

}  // namespace
