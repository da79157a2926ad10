#include "document/system/tests/editor_test_support.h"

namespace {

// Turning twice reorders the same vertices twice; the element offsets pass two
// subtractions and additions of numbers near 100.
constexpr double kVertexTolerance = 1e-9;
// An offset is a position less the base position: exact but for the last bit.
constexpr double kOffsetRoundOff = 1e-12;

DPOINT3 Position(const TSystemImage &image, int k, int e) {
  return image.configurations.data[k].positions.data[e];
}

class ConfigurationsTest : public EditorTest {
 protected:
  // The triplet with three configurations: the second moves the middle lens 1 along the
  // axis, the third moves the last lens 0.5 up; the third is current.
  void OpenThree(TSystemImage &image) {
    Open(image, "cooke_triplet.os");
    ASSERT_EQ(image.StoreConfiguration(-1), 1);
    image.InsertConfiguration(0);
    TOpticalElement &middle = image.elements.data[1];
    middle.MoveTo(middle.referencePoint.x + 1.0, middle.referencePoint.y,
                  middle.referencePoint.z);
    image.StoreConfiguration(-1);
    image.InsertConfiguration(1);
    TOpticalElement &last = image.elements.data[2];
    last.MoveTo(last.referencePoint.x, last.referencePoint.y + 0.5, last.referencePoint.z);
    image.StoreConfiguration(-1);
    ASSERT_EQ(image.ConfigurationCount(), 3);
    ASSERT_EQ(image.currentConfiguration, 2);
  }
};

TEST_F(ConfigurationsTest, OffsetsAreKeptFromTheBaseAndAppliedOnSelection) {
  TSystemImage image;
  OpenThree(image);
  const DPOINT3 base1 = Position(image, 0, 1);
  // Configuration 3 carries both moves: the middle lens's from its copy of configuration 2.
  EXPECT_APPROX(Position(image, 2, 1).x, 1.0, kOffsetRoundOff);
  EXPECT_APPROX(Position(image, 2, 2).y, 0.5, kOffsetRoundOff);
  EXPECT_APPROX(Position(image, 1, 2).y, 0.0, kOffsetRoundOff);
  EXPECT_EQ(image.SelectConfiguration(0), 1);
  EXPECT_APPROX(image.elements.data[1].referencePoint.x, base1.x, kOffsetRoundOff);
  EXPECT_EQ(image.elements.data[2].referencePoint.y, 0.0);
  EXPECT_EQ(image.SelectConfiguration(1), 1);
  EXPECT_APPROX(image.elements.data[1].referencePoint.x, base1.x + 1.0, kOffsetRoundOff);
  EXPECT_EQ(image.SelectConfiguration(1), 1);  // already current
  EXPECT_EQ(image.SelectConfiguration(3), 0);
  EXPECT_EQ(image.SelectConfiguration(-1), 0);
  EXPECT_EQ(image.currentConfiguration, 1);
}

TEST_F(ConfigurationsTest, InsertingAtTwoOfThreeGivesFourWithTheThirdACopyOfTheSecond) {
  TSystemImage image;
  OpenThree(image);
  const TConfigurationParameters second = image.configurations.data[1];
  const TConfigurationParameters third = image.configurations.data[2];
  ASSERT_EQ(image.SelectConfiguration(1), 1);
  image.SetUnsavedChanges(0);
  image.InsertConfiguration(image.currentConfiguration);
  ASSERT_EQ(image.ConfigurationCount(), 4);
  EXPECT_EQ(image.currentConfiguration, 2);  // the caption shows 3/4
  EXPECT_EQ(image.HasUnsavedChanges(), 1);
  for (int e = 0; e < 3; ++e) {
    EXPECT_APPROX(Position(image, 2, e).x, second.positions.data[e].x, kOffsetRoundOff) << e;
    EXPECT_APPROX(Position(image, 2, e).y, second.positions.data[e].y, kOffsetRoundOff) << e;
    EXPECT_APPROX(Position(image, 3, e).y, third.positions.data[e].y, kOffsetRoundOff) << e;
    EXPECT_APPROX(Position(image, 1, e).x, second.positions.data[e].x, kOffsetRoundOff) << e;
  }
}

TEST_F(ConfigurationsTest, DeletingTheLastSelectsTheOneBeforeAndTheBaseStays) {
  TSystemImage image;
  OpenThree(image);
  const double baseX = Position(image, 0, 1).x;
  image.DeleteConfiguration(2);
  EXPECT_EQ(image.ConfigurationCount(), 2);
  EXPECT_EQ(image.currentConfiguration, 1);  // the caption shows 2/2
  EXPECT_EQ(image.elements.data[2].referencePoint.y, 0.0);
  EXPECT_APPROX(image.elements.data[1].referencePoint.x, baseX + 1.0, kOffsetRoundOff);
  image.DeleteConfiguration(0);
  EXPECT_EQ(image.ConfigurationCount(), 2);
  EXPECT_EQ(image.currentConfiguration, 0);
  EXPECT_APPROX(image.elements.data[1].referencePoint.x, baseX, kOffsetRoundOff);
}

TEST_F(ConfigurationsTest, NextAndPreviousBeepAtTheEnds) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  image.StoreConfiguration(-1);
  const int before = Beeps(Boxes());
  EXPECT_EQ(image.NextConfiguration(), 0);
  EXPECT_EQ(image.PrevConfiguration(), 0);
  EXPECT_EQ(Beeps(Boxes()), before + 2);
  image.InsertConfiguration(0);
  EXPECT_EQ(image.PrevConfiguration(), 1);
  EXPECT_EQ(image.currentConfiguration, 0);
  EXPECT_EQ(image.NextConfiguration(), 1);
  EXPECT_EQ(image.FirstConfiguration(), 1);
  EXPECT_EQ(image.currentConfiguration, 0);
}

TEST_F(ConfigurationsTest, TurningEveryConfigurationTwiceRestoresEveryVertex) {
  TSystemImage image;
  OpenThree(image);
  const int n = image.SurfaceCount();
  std::vector<std::vector<DPOINT3>> original;
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(image.SelectConfiguration(k), 1);
    original.push_back(Vertices(image));
  }
  ASSERT_EQ(image.SelectConfiguration(1), 1);

  image.ForEachConfiguration();
  ASSERT_EQ(image.ConfigurationCount(), 3);
  EXPECT_EQ(image.currentConfiguration, 1);
  EXPECT_EQ(image.info.TurnSystem, 1);
  // Turned, each configuration holds the same vertices in reverse order.
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(image.SelectConfiguration(k), 1);
    const std::vector<DPOINT3> turned = Vertices(image);
    for (int i = 0; i < n; ++i) {
      EXPECT_APPROX(turned[i].x, original[k][n - 1 - i].x, kVertexTolerance) << k << " " << i;
      EXPECT_APPROX(turned[i].y, original[k][n - 1 - i].y, kVertexTolerance) << k << " " << i;
    }
  }

  image.ForEachConfiguration();
  EXPECT_EQ(image.info.TurnSystem, 0);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(image.SelectConfiguration(k), 1);
    const std::vector<DPOINT3> back = Vertices(image);
    for (int i = 0; i < n; ++i) {
      EXPECT_APPROX(back[i].x, original[k][i].x, kVertexTolerance) << k << " " << i;
      EXPECT_APPROX(back[i].y, original[k][i].y, kVertexTolerance) << k << " " << i;
      EXPECT_APPROX(back[i].z, original[k][i].z, kVertexTolerance) << k << " " << i;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(JoinPath(TempDir(), "~~Turn.tmp")));
}

// An element moved out of the plane of the drawing (z) in a configuration keeps the sign of
// that move in the configuration record, the file and the selection.
TEST_F(ConfigurationsTest, AnOutOfPlaneOffsetKeepsItsSignThroughTheFile) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  ASSERT_EQ(image.StoreConfiguration(-1), 1);
  image.InsertConfiguration(0);
  TOpticalElement &first = image.elements.data[0];
  const double baseZ = first.referencePoint.z;
  const double baseVertexZ = image.Surface(1)->general.vertex[2];
  first.MoveTo(first.referencePoint.x, first.referencePoint.y, baseZ + 2.0);
  image.StoreConfiguration(-1);
  EXPECT_APPROX(Position(image, 1, 0).z, 2.0, kOffsetRoundOff);
  const std::string path = Scratch("tmp/offset.os");
  ASSERT_EQ(image.Save(path), 1);
  EXPECT_NE(ReadText(path).find("dZ(0)=2;"), std::string::npos) << ReadText(path);
  TSystemImage again;
  ASSERT_EQ(again.Load(path, 2), 1);
  ASSERT_EQ(again.ConfigurationCount(), 2);
  EXPECT_APPROX(Position(again, 1, 0).z, 2.0, kOffsetRoundOff);
  EXPECT_APPROX(again.Surface(1)->general.vertex[2], baseVertexZ, kOffsetRoundOff);
  ASSERT_EQ(again.SelectConfiguration(1), 1);
  EXPECT_APPROX(again.elements.data[0].referencePoint.z, baseZ + 2.0, kOffsetRoundOff);
  EXPECT_APPROX(again.Surface(1)->general.vertex[2], baseVertexZ + 2.0, kOffsetRoundOff);
}

// A file written before configurations kept their image's place holds no "Image=" key: the
// image stays where the file's surfaces put it, in every configuration, and stepping
// through them changes no vertex of the base.
TEST_F(ConfigurationsTest, AFileWithoutTheImagesPlaceKeepsTheImageWhereItsSurfacesPutIt) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  ASSERT_EQ(image.StoreConfiguration(-1), 1);
  image.InsertConfiguration(0);
  TOpticalElement &last = image.elements.data[2];
  last.MoveTo(last.referencePoint.x + 1.0, last.referencePoint.y, last.referencePoint.z);
  image.StoreConfiguration(-1);
  // A copy: saving regroups the elements `last` refers to.
  const double movedX = last.referencePoint.x;
  const std::string path = Scratch("tmp/older.os");
  ASSERT_EQ(image.Save(path), 1);
  std::string text = ReadText(path);
  ASSERT_NE(text.find("Image="), std::string::npos);
  std::string older;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, end - start);
    if (line.rfind("Image=", 0) != 0) older += line + "\n";
    start = end + 1;
  }
  WriteText(path, older);
  TSystemImage again;
  ASSERT_EQ(again.Load(path, 2), 1);
  ASSERT_EQ(again.ConfigurationCount(), 2);
  const int n = again.SurfaceCount();
  std::vector<double> base;
  for (int i = 0; i < n; ++i) base.push_back(again.Surface(i)->general.vertex[0]);
  ASSERT_EQ(again.SelectConfiguration(1), 1);
  EXPECT_EQ(again.Surface(n - 1)->general.vertex[0], base[n - 1]);
  EXPECT_APPROX(again.elements.data[2].referencePoint.x, movedX, kOffsetRoundOff);
  ASSERT_EQ(again.SelectConfiguration(0), 1);
  for (int i = 0; i < n; ++i) EXPECT_APPROX(again.Surface(i)->general.vertex[0], base[i], kOffsetRoundOff) << i;
}

// Deleting a configuration other than the shown one keeps the shown one shown, under its
// new index, and the edits that follow are stored into it, never into a neighbour.
TEST_F(ConfigurationsTest, DeletingAnotherConfigurationKeepsTheShownOneAndItsEdits) {
  struct Case {
    int shown;
    int deleted;
    int shownAfter;
  };
  for (const Case c : {Case{2, 1, 1}, Case{0, 1, 0}, Case{0, 2, 0}, Case{1, 2, 1}}) {
    SCOPED_TRACE(testing::Message() << "shown " << c.shown << ", deleted " << c.deleted);
    TSystemImage image;
    OpenThree(image);
    ASSERT_EQ(image.SelectConfiguration(c.shown), 1);
    const std::vector<DPOINT3> shown = Vertices(image);
    const int other = 1 - c.shownAfter;  // the one left beside it
    const int otherBefore = other < c.deleted ? other : other + 1;
    ASSERT_EQ(image.SelectConfiguration(otherBefore), 1);
    const std::vector<DPOINT3> otherVertices = Vertices(image);
    ASSERT_EQ(image.SelectConfiguration(c.shown), 1);

    image.DeleteConfiguration(c.deleted);
    ASSERT_EQ(image.ConfigurationCount(), 2);
    EXPECT_EQ(image.currentConfiguration, c.shownAfter);
    const std::vector<DPOINT3> kept = Vertices(image);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      EXPECT_EQ(kept[i].x, shown[i].x) << i;
      EXPECT_EQ(kept[i].y, shown[i].y) << i;
    }

    // An edit afterwards: the first lens 3 up, stored where the shown configuration is.
    TOpticalElement &first = image.elements.data[0];
    const double firstY = first.referencePoint.y;
    first.MoveTo(first.referencePoint.x, firstY + 3.0, first.referencePoint.z);
    ASSERT_EQ(image.StoreConfiguration(-1), 1);
    ASSERT_EQ(image.SelectConfiguration(other), 1);
    const std::vector<DPOINT3> otherAfter = Vertices(image);
    for (std::size_t i = 0; i < otherVertices.size(); ++i)
      EXPECT_APPROX(otherAfter[i].y, otherVertices[i].y, kOffsetRoundOff) << i;
    ASSERT_EQ(image.SelectConfiguration(c.shownAfter), 1);
    EXPECT_APPROX(image.elements.data[0].referencePoint.y, firstY + 3.0, kOffsetRoundOff);
  }
}

}  // namespace

// A finite image turned becomes a finite object whose fields are heights (unit 2, mm): the
// unit stays through the snapshot Undo and Redo read, and through the file.
TEST_F(ConfigurationsTest, ATurnedSystemKeepsItsFieldUnitInMillimetres) {
  TSystemImage image;
  Open(image, "fold_mirror.os");
  image.DeleteUndoFiles();
  ASSERT_EQ(image.SaveUndo(""), 1);
  image.ForEachConfiguration();
  ASSERT_EQ(image.info.Unit, 2);
  ASSERT_EQ(image.SaveUndo("Turn system"), 1);
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(image.info.Unit, 0);
  ASSERT_EQ(image.Redo(), 1);
  EXPECT_EQ(image.info.Unit, 2);
  ASSERT_EQ(image.Save(Scratch("turned.os")), 1);
  TSystemImage reopened;
  ASSERT_EQ(reopened.Load(Scratch("turned.os"), 2), 1);
  EXPECT_EQ(reopened.info.Unit, 2);
}
