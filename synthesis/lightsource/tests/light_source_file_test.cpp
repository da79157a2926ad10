// The light-source file (*.srl) and the import of emitting meshes from DXF files.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/testing/approx.h"
#include "foundation/testing/comma_locale.h"
#include "foundation/testing/small_disk.h"
#include "imaging/rasters/tests/raster_test_support.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/tests/dxf_samples.h"

namespace {

using TBytes = std::vector<unsigned char>;

// Builds a file's bytes by hand, in the little-endian layout of the format.
class TFileBytes {
 public:
  template <class T>
  TFileBytes &Put(T value) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.insert(bytes.end(), raw, raw + sizeof(T));
    return *this;
  }
  TFileBytes &Int(std::int32_t value) { return Put(value); }
  TFileBytes &Double(double value) { return Put(value); }
  TFileBytes &Text(const std::string &text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
  }
  TBytes bytes;
};

// A zone source: two zones, two limits, one screen, two spectral entries, "hot core".
TBytes ZoneSourceBytes() {
  TFileBytes file;
  file.Int(0).Int(0).Int(0).Int(2).Int(2).Int(1).Int(2).Int(8).Text("hot core");
  file.Double(-5.0).Double(10.0).Double(4.0).Double(1.0);
  file.Double(-2.0).Double(4.0).Double(2.0).Double(3.5);
  file.Double(-1e20).Double(1e20).Double(-1.5).Double(1.5);
  file.Double(20.0).Double(0.75);
  file.Double(0.45).Double(0.8).Double(0.65).Double(1.2);
  return file.bytes;
}

// A solid source: objects "abc" at 900 K and "wall" at 300 K, two triangles, no limits.
TBytes SolidSourceBytes() {
  TFileBytes file;
  file.Int(1).Int(2).Int(2).Int(0).Int(0).Int(0).Int(1).Int(0);
  file.Int(4).Text(std::string("abc\0", 4)).Put(900.0f);
  file.Int(5).Text(std::string("wall\0", 5)).Put(300.0f);
  for (const double v : {0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0}) file.Double(v);
  file.Int(0);
  for (const double v : {3.0, 0.0, 0.0, 3.0, 2.0, 0.0, 3.0, 0.0, 2.5}) file.Double(v);
  file.Int(1);
  file.Double(1.0).Double(0.5);
  return file.bytes;
}

class LightSourceFile : public SynthesisTest {};

TEST_F(LightSourceFile, ZoneSourceIsReadAndWrittenByteForByte) {
  const std::string path = Scratch("zones.srl");
  WriteBytes(path, ZoneSourceBytes());
  TLightSource source;
  ASSERT_EQ(source.ReadFile(path), 1);
  EXPECT_EQ(source.SourceType, kZoneSource);
  EXPECT_EQ(source.Comment, "hot core");
  ASSERT_EQ(source.Zones.cols, 2);
  EXPECT_EQ(source.Zones.data[1].Z, -2.0);
  EXPECT_EQ(source.Zones.data[1].Bright, 3.5);
  ASSERT_EQ(source.LocLimits.cols, 2);
  EXPECT_EQ(source.LocLimits.data[1].Min, -1.5);
  EXPECT_EQ(source.LocLimits.data[1].Active, 0);
  EXPECT_EQ(source.Screens.data[0].H, 0.75);
  EXPECT_EQ(source.Screens.data[0].HSquared, 0.0);
  EXPECT_EQ(source.Spectrum.data[1].lambda, 0.65);
  const std::string copy = Scratch("copy.srl");
  ASSERT_EQ(source.WriteFile(copy), 1);
  EXPECT_EQ(Bytes(copy), ZoneSourceBytes());
}

TEST_F(LightSourceFile, SolidSourceIsReadAndWrittenByteForByte) {
  const std::string path = Scratch("solid.srl");
  WriteBytes(path, SolidSourceBytes());
  TLightSource source;
  ASSERT_EQ(source.ReadFile(path), 1);
  EXPECT_EQ(source.SourceType, kSolidSource);
  ASSERT_EQ(source.ObjectNames.cols, 2);
  EXPECT_EQ(source.ObjectNames.data[0], "abc");
  EXPECT_EQ(source.ObjectNames.data[1], "wall");
  EXPECT_EQ(source.ObjectTemperatures.data[0], 900.0f);
  ASSERT_EQ(source.Triangles.cols, 2);
  EXPECT_EQ(source.Triangles.data[1].B.data[1], 2.0);
  EXPECT_EQ(source.Triangles.data[1].Object, 1);
  EXPECT_EQ(source.LocLimits.data, nullptr);
  const std::string copy = Scratch("copy.srl");
  ASSERT_EQ(source.WriteFile(copy), 1);
  EXPECT_EQ(Bytes(copy), SolidSourceBytes());
}

TEST_F(LightSourceFile, ZoneSourceCountsTheMeshItHoldsWithoutItsRecords) {
  TLightSource source;
  source.Zones.Allocate(1, 1);
  source.Zones.data[0].Az = 1.0;
  source.Triangles.Allocate(3, 1);
  source.ObjectNames.Allocate(1, 1);
  const std::string path = Scratch("mixed.srl");
  ASSERT_EQ(source.WriteFile(path), 1);
  const TBytes bytes = Bytes(path);
  ASSERT_EQ(bytes.size(), 32u + 32u);
  std::int32_t counts[2];
  std::memcpy(counts, bytes.data() + 4, sizeof counts);
  EXPECT_EQ(counts[0], 3);
  EXPECT_EQ(counts[1], 1);
  TLightSource read;
  ASSERT_EQ(read.ReadFile(path), 1);
  EXPECT_EQ(read.Triangles.data, nullptr);
  EXPECT_EQ(read.Zones.data[0].Az, 1.0);
}

TEST_F(LightSourceFile, OverlongCommentAndNamesAreCutToTheirBuffers) {
  TLightSource source;
  source.SourceType = kSolidSource;
  source.Comment = std::string(300, 'c');
  source.ObjectNames.Allocate(1, 1);
  source.ObjectTemperatures.Allocate(1, 1);
  source.ObjectNames.data[0] = std::string(40, 'n');
  const std::string path = Scratch("long.srl");
  ASSERT_EQ(source.WriteFile(path), 1);
  TLightSource read;
  ASSERT_EQ(read.ReadFile(path), 1);
  EXPECT_EQ(read.Comment, std::string(255, 'c'));
  EXPECT_EQ(read.ObjectNames.data[0], std::string(30, 'n'));
}

TEST_F(LightSourceFile, DamagedFilesAreRefusedAndChangeNothing) {
  struct TCase {
    const char *what;
    TBytes bytes;
  };
  std::vector<TCase> cases;
  TBytes zones = ZoneSourceBytes();
  cases.push_back({"header cut short", TBytes(zones.begin(), zones.begin() + 20)});
  cases.push_back({"last spectral entry cut short", TBytes(zones.begin(), zones.end() - 3)});
  TBytes type = zones;
  type[0] = 7;
  cases.push_back({"unknown type", type});
  TBytes huge = zones;
  const std::int32_t many = 0x7FFFFFFF;
  std::memcpy(huge.data() + 12, &many, 4);
  cases.push_back({"zone count beyond the file", huge});
  TBytes negative = zones;
  const std::int32_t minusOne = -1;
  std::memcpy(negative.data() + 16, &minusOne, 4);
  cases.push_back({"negative limit count", negative});
  TBytes comment = zones;
  const std::int32_t longComment = 300;
  std::memcpy(comment.data() + 28, &longComment, 4);
  cases.push_back({"comment over 255 bytes", comment});
  TBytes name = SolidSourceBytes();
  const std::int32_t longName = 40;
  std::memcpy(name.data() + 32, &longName, 4);
  cases.push_back({"object name over 31 bytes", name});
  TBytes object = SolidSourceBytes();
  const std::int32_t missingObject = 2;
  std::memcpy(object.data() + 32 + 12 + 13 + 72, &missingObject, 4);
  cases.push_back({"triangle of an object the file lacks", object});
  TBytes nan = SolidSourceBytes();
  const double notANumber = std::nan("");
  std::memcpy(nan.data() + 32 + 12 + 13, &notANumber, 8);
  cases.push_back({"vertex not a number", nan});

  for (const TCase &each : cases) {
    SCOPED_TRACE(each.what);
    boxes.boxes.clear();
    const std::string path = Scratch("bad.srl");
    WriteBytes(path, each.bytes);
    TLightSource source;
    source.Comment = "before";
    source.Zones.Allocate(1, 1);
    source.Zones.data[0].Bright = 9.0;
    EXPECT_EQ(source.ReadFile(path), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("is damaged"), std::string::npos);
    EXPECT_EQ(source.Comment, "before");
    EXPECT_EQ(source.SourceType, kZoneSource);
    ASSERT_EQ(source.Zones.cols, 1);
    EXPECT_EQ(source.Zones.data[0].Bright, 9.0);
  }
  boxes.boxes.clear();
  TLightSource source;
  EXPECT_EQ(source.ReadFile(Scratch("absent.srl")), 0);
}

// Each failed save keeps the old file and names its true cause.
TEST_F(LightSourceFile, FailedSaveKeepsTheOldFileAndSaysWhy) {
  const std::string sourcePath = Scratch("source.srl");
  WriteBytes(sourcePath, ZoneSourceBytes());
  TLightSource source;
  ASSERT_EQ(source.ReadFile(sourcePath), 1);
  const std::string readOnly = Scratch("keep.srl");
  WriteBytes(readOnly, SolidSourceBytes());
  // Marked read-only: refused whoever runs the program.
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
  struct TCase {
    std::string path;
    const char *words;
  };
  const TCase cases[] = {{readOnly, "is marked as read-only!"},
                         {Scratch("missing/keep.srl"), "its directory does not exist"}};
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.path);
    boxes.boxes.clear();
    EXPECT_EQ(source.WriteFile(c.path), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find(c.words), std::string::npos) << boxes.boxes[0].text;
  }
  EXPECT_EQ(Bytes(readOnly), SolidSourceBytes());

  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  const std::string full = disk.PathOf("keep.srl");
  WriteBytes(full, SolidSourceBytes());
  disk.Fill();
  boxes.boxes.clear();
  EXPECT_EQ(source.WriteFile(full), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("no space left"), std::string::npos) << boxes.boxes[0].text;
  EXPECT_EQ(Bytes(full), SolidSourceBytes());
}

void WriteText(const std::string &path, const std::string &text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST_F(LightSourceFile, DxfFacesBecomeTrianglesOfTheirLayers) {
  const std::string path = Scratch("two.dxf");
  WriteText(path, kTwoTriangles);
  TLightSource source;
  source.MeshPrepared = 1;
  ASSERT_EQ(source.ImportDXF(path), 1);
  EXPECT_EQ(source.MeshPrepared, 0);
  ASSERT_EQ(source.ObjectNames.cols, 2);
  EXPECT_EQ(source.ObjectNames.data[0], "HOT");
  EXPECT_EQ(source.ObjectNames.data[1], "COLD");
  EXPECT_EQ(source.ObjectTemperatures.data[0], 273.0f);
  EXPECT_EQ(source.ObjectTemperatures.data[1], 273.0f);
  ASSERT_EQ(source.Triangles.cols, 2);
  const TTriangle &first = source.Triangles.data[0];
  EXPECT_EQ(first.Object, 1);
  EXPECT_EQ(first.B.data[1], 10.0);
  EXPECT_EQ(first.C.data[2], 5.0);
  const TTriangle &second = source.Triangles.data[1];
  EXPECT_EQ(second.Object, 0);
  const double a[3] = {1.5, -2.0, 0.25}, b[3] = {1.5, 30.0, 0.0}, c[3] = {1.5, -2.0, 4.75};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(second.A.data[i], a[i]);
    EXPECT_EQ(second.B.data[i], b[i]);
    EXPECT_EQ(second.C.data[i], c[i]);
  }
  // The imported mesh is a source: areas |E1 x E2| / 2 = 10 * 5 / 2 = 25 and, with
  // E1 = (0, 32, -0.25) and E2 = (0, 0, 4.5), 32 * 4.5 / 2 = 72.
  source.SourceType = kSolidSource;
  ASSERT_EQ(source.Prepare(), 1);
  EXPECT_APPROX(source.Triangles.data[0].Area, 25.0, 1e-12);
  EXPECT_APPROX(source.Triangles.data[1].Area, 72.0, 1e-12);
}

TEST_F(LightSourceFile, DxfNumbersKeepTheirPointUnderADecimalCommaLocale) {
  const std::string path = Scratch("two.dxf");
  WriteText(path, kTwoTriangles);
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  TLightSource source;
  ASSERT_EQ(source.ImportDXF(path), 1);
  EXPECT_EQ(source.Triangles.data[1].A.data[0], 1.5);
  EXPECT_EQ(source.Triangles.data[1].C.data[2], 4.75);
}

TEST_F(LightSourceFile, DxfWithCarriageReturnsAndNoLayerTableStillImports) {
  std::string text = "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\n3DFACE\r\n8\r\nPLATE\r\n"
                     "10\r\n1\r\n20\r\n2\r\n30\r\n3\r\n11\r\n4\r\n21\r\n5\r\n31\r\n6\r\n"
                     "12\r\n7\r\n22\r\n8\r\n32\r\n10\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";
  const std::string path = Scratch("plain.dxf");
  WriteText(path, text);
  TLightSource source;
  ASSERT_EQ(source.ImportDXF(path), 1);
  ASSERT_EQ(source.ObjectNames.cols, 1);
  EXPECT_EQ(source.ObjectNames.data[0], "PLATE");
  EXPECT_EQ(source.Triangles.data[0].C.data[2], 10.0);
}

TEST_F(LightSourceFile, DamagedDxfIsRefusedAndChangesNothing) {
  const std::string whole = kTwoTriangles;
  const std::vector<std::pair<const char *, std::string>> cases = {
      {"cut inside a face", whole.substr(0, whole.find(" 32\n5.0"))},
      {"coordinate not a number", std::string(whole).replace(whole.find("3e1"), 3, "3x1")},
      {"group code not a number", std::string(whole).replace(whole.find(" 62\n1"), 3, "abc")},
      {"no face at all", whole.substr(0, whole.find("  0\n3DFACE")) + "  0\nEOF\n"},
      {"face without its third corner",
       std::string(whole).replace(whole.find(" 12\n0.0\n"), 8, " 13\n0.0\n")}};
  for (const auto &[what, text] : cases) {
    SCOPED_TRACE(what);
    boxes.boxes.clear();
    const std::string path = Scratch("bad.dxf");
    WriteText(path, text);
    TLightSource source;
    source.Triangles.Allocate(1, 1);
    source.Triangles.data[0].Object = 4;
    EXPECT_EQ(source.ImportDXF(path), 0);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("is damaged at line"), std::string::npos);
    ASSERT_EQ(source.Triangles.cols, 1);
    EXPECT_EQ(source.Triangles.data[0].Object, 4);
    EXPECT_EQ(source.ObjectNames.data, nullptr);
  }
  boxes.boxes.clear();
  TLightSource source;
  EXPECT_EQ(source.ImportDXF(Scratch("absent.dxf")), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Error open File ");
}

}  // namespace
