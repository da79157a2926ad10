#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "optics/model/color_image_service.h"
#include "optics/model/color_vector.h"
#include "optics/model/file_data.h"

namespace {

TEST(ColorVector, CellsCopyAsRawValues) {
  Mem<COLORVECTOR> pixels(2, 1);
  pixels.data[0] = COLORVECTOR{1.0f, 2.0f, 3.0f};
  Mem<COLORVECTOR> copy(pixels);
  pixels.data[0].green = 0.0f;
  EXPECT_EQ(copy.data[0].green, 2.0f);
  EXPECT_EQ(copy.data[0].blue, 3.0f);
}

// Stands in for the synthesis layer's colour image.
class RecordingImage : public TColorImageService {
 public:
  void WriteComponents(TFileData &record, int) override { lastName = record.fileName; }
  void BuildFromComponents(int mode) override { builtWith = mode; }
  HWND ShowInWindow(HWND, int, int, int, int, int, int) override { return nullptr; }
  std::string lastName;
  int builtWith = -1;
};

TEST(ColorImageService, NoFactoryGivesNoImage) {
  const TColorImageFactory previous = SetColorImageFactory(nullptr);
  EXPECT_EQ(CreateColorImage(), nullptr);
  SetColorImageFactory([]() -> TColorImageService * { return new RecordingImage; });
  std::unique_ptr<TColorImageService> image(CreateColorImage());
  ASSERT_NE(image, nullptr);
  TFileData record;
  record.fileName = "~~dens.bak";
  image->WriteComponents(record, 0);
  image->BuildFromComponents(1);
  EXPECT_EQ(static_cast<RecordingImage *>(image.get())->lastName, "~~dens.bak");
  EXPECT_EQ(static_cast<RecordingImage *>(image.get())->builtWith, 1);
  SetColorImageFactory(previous);
}

TEST(FileData, NewRecordHasUnitWeightAndNoName) {
  const TFileData record;
  EXPECT_EQ(record.fileName, "");
  EXPECT_EQ(record.weight, 1.0f);
  EXPECT_EQ(record.wavelength, 0.0f);
  EXPECT_EQ(record.width, 0);
  EXPECT_EQ(record.handle, nullptr);
  Mem<float> raster(1, 1);
  TFileData unnamed;
  EXPECT_EQ(unnamed.Write(raster), 0);  // nowhere to write
}

}  // namespace
