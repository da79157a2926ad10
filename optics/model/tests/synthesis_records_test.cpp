#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "optics/model/color_image_service.h"
#include "optics/model/color_vector.h"
#include "optics/model/file_data.h"
#include "optics/model/light_source_records.h"

namespace {

TEST(LightSourceRecords, NewRecordsHoldTheirDefaults) {
  const TLightSourceZone zone;
  EXPECT_EQ(zone.Z, 0.0);
  EXPECT_EQ(zone.Bright, 0.0);
  const TLimitLoc limit;
  EXPECT_EQ(limit.Active, 0);
  EXPECT_EQ(limit.Min, -1e20);
  EXPECT_EQ(limit.Max, 1e20);
  const TLimitDir screen;
  EXPECT_EQ(screen.H, 0.0);
  const TTriangle triangle;
  EXPECT_EQ(triangle.Object, 0);
  EXPECT_EQ(triangle.Area, 0.0);
  EXPECT_EQ(triangle.flag, 0);
  for (const Vector *v : {&triangle.A, &triangle.B, &triangle.C, &triangle.E1, &triangle.E2,
                          &triangle.N, &triangle.U, &triangle.V}) {
    ASSERT_EQ(v->n, 3);
    EXPECT_EQ(v->data[2], 0.0);
  }
}

TEST(LightSourceRecords, ResetsRestoreTheDefaults) {
  TLimitLoc limit;
  limit.Active = 1;
  limit.Min = 2.0;
  limit.Reset();
  EXPECT_EQ(limit.Active, 0);
  EXPECT_EQ(limit.Min, -1e20);
  TLightSourceZone zone;
  zone.Ay = 4.0;
  zone.Clear();
  EXPECT_EQ(zone.Ay, 0.0);
  TLimitDir screen;
  screen.HSquared = 9.0;
  screen.Clear();
  EXPECT_EQ(screen.HSquared, 0.0);
  TTriangle triangle;
  triangle.Area = 3.0;
  triangle.flag = 1;
  triangle.D11 = 5.0;
  triangle.ClearGeometry();
  EXPECT_EQ(triangle.Area, 0.0);
  EXPECT_EQ(triangle.flag, 0);
  EXPECT_EQ(triangle.D11, 5.0);
}

TEST(LightSourceRecords, TriangleCopiesOwnTheirVectors) {
  TTriangle source;
  source.Object = 2;
  source.B.data[1] = 7.0;
  source.Det = 0.5;
  TTriangle copy(source);
  TTriangle assigned;
  assigned = source;
  source.B.data[1] = -1.0;
  EXPECT_EQ(copy.B.data[1], 7.0);
  EXPECT_EQ(assigned.B.data[1], 7.0);
  EXPECT_NE(assigned.B.data, source.B.data);
  EXPECT_EQ(assigned.Object, 2);
  EXPECT_EQ(copy.Det, 0.5);
  Mem<TTriangle> mesh(2, 1);
  mesh.data[1] = copy;
  Mem<TTriangle> meshCopy(mesh);
  mesh.data[1].B.data[1] = 0.0;
  EXPECT_EQ(meshCopy.data[1].B.data[1], 7.0);
}

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
