#include "document/system/tests/editor_test_support.h"

namespace {

class UndoRingTest : public EditorTest {
 protected:
  void OpenForEditing(TSystemImage &image) {
    Open(image, "cooke_triplet.os");
    image.RebuildElements(nullptr);
    image.StoreConfiguration(-1);
    image.DeleteUndoFiles();
    ASSERT_EQ(image.SaveUndo(""), 1);
  }
  // Edit k: the first lens goes 0.25 further along the axis.
  static void Edit(TSystemImage &image, int k) {
    TOpticalElement &lens = image.elements.data[0];
    lens.MoveTo(lens.referencePoint.x + 0.25, lens.referencePoint.y, lens.referencePoint.z);
    image.SetUnsavedChanges(1);
    ASSERT_EQ(image.SaveUndo("Move " + std::to_string(k)), 1);
  }
  // The system as written now.
  std::string Written(TSystemImage &image, const std::string &name) {
    const std::string path = Scratch(name);
    EXPECT_EQ(image.Save(path), 1);
    return ReadText(path);
  }
};

TEST_F(UndoRingTest, FifteenEditsGiveNineUndosAndRedoWalksBackToTheBound) {
  TSystemImage image;
  OpenForEditing(image);
  ASSERT_EQ(image.options.NStepUndoMax, 10);
  std::vector<std::string> states{Written(image, "state0.os")};
  for (int k = 1; k <= 15; ++k) {
    Edit(image, k);
    states.push_back(Written(image, "state" + std::to_string(k) + ".os"));
  }
  EXPECT_NE(states[15], states[14]);
  const int beeps = Beeps(Boxes());
  for (int step = 1; step <= 9; ++step) {
    ASSERT_EQ(image.Undo(-1), 1) << step;
    EXPECT_EQ(Written(image, "undone.os"), states[15 - step]) << step;
  }
  EXPECT_EQ(Beeps(Boxes()), beeps);
  EXPECT_EQ(image.CanUndo(), 0);
  EXPECT_EQ(image.Undo(-1), 0);
  EXPECT_EQ(Beeps(Boxes()), beeps + 1);
  EXPECT_EQ(image.options.undoIndex, 7);
  EXPECT_EQ(Written(image, "undone.os"), states[6]);

  for (int step = 7; step <= 15; ++step) {
    ASSERT_EQ(image.Redo(), 1) << step;
    EXPECT_EQ(Written(image, "redone.os"), states[step]) << step;
  }
  EXPECT_EQ(image.CanRedo(), 0);
  EXPECT_EQ(image.Redo(), 0);
  EXPECT_EQ(Beeps(Boxes()), beeps + 2);
  EXPECT_EQ(image.options.undoIndex, 16);
}

TEST_F(UndoRingTest, MenuTextsNameTheStepAndANewEditDropsTheRedo) {
  TSystemImage image;
  OpenForEditing(image);
  EXPECT_EQ(image.UndoMenuText(), "Can't Undo");  // the opening snapshot
  EXPECT_EQ(image.Undo(-1), 0);
  Edit(image, 1);
  EXPECT_EQ(image.UndoMenuText(), "Undo Move 1 (ctrl-Z)");
  EXPECT_EQ(image.RedoMenuText(), "Can't Redo");
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(image.RedoMenuText(), "Redo Move 1 (ctrl-Y)");
  Edit(image, 2);
  EXPECT_EQ(image.CanRedo(), 0);
  const int beeps = Beeps(Boxes());
  EXPECT_EQ(image.Redo(), 0);
  EXPECT_EQ(Beeps(Boxes()), beeps + 1);
}

TEST_F(UndoRingTest, RingsOfNoneOrOneSlotWorkAsTwo) {
  TSystemImage image;
  OpenForEditing(image);
  image.options.SetUndoDepth(0);
  EXPECT_EQ(image.options.NStepUndoMax, kMinUndoSteps);
  image.options.NStepUndoMax = 1;  // as a settings file may give it
  EXPECT_EQ(image.options.RingSize(), 2);
  ASSERT_EQ(image.SaveUndo(""), 1);
  const std::string before = Written(image, "before.os");
  Edit(image, 1);
  EXPECT_EQ(image.CanUndo(), 1);
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(Written(image, "after.os"), before);
  EXPECT_EQ(image.Undo(-1), 0);
}

TEST_F(UndoRingTest, SnapshotsAreWrittenAndDeletedUnderOneName) {
  TSystemImage image;
  OpenForEditing(image);
  Edit(image, 1);
  const std::string directory = TempDir();
  EXPECT_TRUE(std::filesystem::exists(directory + "/Undo1.os"));
  EXPECT_TRUE(std::filesystem::exists(directory + "/Undo2.os"));
  WriteText(directory + "/~~system.tmp", "copy");
  WriteText(directory + "/Undone.txt", "not a snapshot");
  WriteText(directory + "/undo3.os", "another name, left alone");
  Mem<STRING> found;
  ASSERT_EQ(ListUndoFiles(directory, found), 2);
  EXPECT_EQ(found.data[0], directory + "/Undo1.os");
  image.DeleteUndoFiles();
  EXPECT_FALSE(std::filesystem::exists(directory + "/Undo1.os"));
  EXPECT_FALSE(std::filesystem::exists(directory + "/Undo2.os"));
  EXPECT_FALSE(std::filesystem::exists(directory + "/~~system.tmp"));
  EXPECT_TRUE(std::filesystem::exists(directory + "/Undone.txt"));
  EXPECT_TRUE(std::filesystem::exists(directory + "/undo3.os"));
  EXPECT_EQ(ListUndoFiles(directory, found), 0);
  EXPECT_EQ(image.options.undoIndex, 0);
  EXPECT_EQ(image.options.redoBound, 0);
  EXPECT_TRUE(IsUndoFileName("Undo12.os"));
  EXPECT_FALSE(IsUndoFileName("undo12.os"));
  EXPECT_FALSE(IsUndoFileName("Undo.os"));
}

TEST_F(UndoRingTest, ASnapshotThatCannotBeWrittenIsNoStep) {
  TSystemImage image;
  OpenForEditing(image);
  Edit(image, 1);
  const std::string directory = TempDir();
  SetTempDir(Scratch("no/such/directory"));
  TOpticalElement &lens = image.elements.data[0];
  lens.MoveTo(lens.referencePoint.x + 1.0, lens.referencePoint.y, lens.referencePoint.z);
  TakePendingMessage();
  EXPECT_EQ(image.SaveUndo("Lost"), 0);
  EXPECT_NE(TakePendingMessage().find("its directory does not exist"), std::string::npos);
  EXPECT_EQ(image.options.undoIndex, 2);
  EXPECT_EQ(image.options.redoBound, 3);
  EXPECT_EQ(image.UndoMenuText(), "Undo Move 1 (ctrl-Z)");
  SetTempDir(directory);
}

TEST_F(UndoRingTest, UndoInAnotherConfigurationComesBackToIt) {
  TSystemImage image;
  OpenForEditing(image);
  image.InsertConfiguration(0);
  ASSERT_EQ(image.SaveUndo("Insert new configuration"), 1);
  const std::string inserted = Written(image, "inserted.os");
  Edit(image, 1);
  EXPECT_EQ(image.currentConfiguration, 1);
  ASSERT_EQ(image.Undo(-1), 1);
  EXPECT_EQ(image.currentConfiguration, 1);
  EXPECT_EQ(image.ConfigurationCount(), 2);
  EXPECT_EQ(Written(image, "undone.os"), inserted);
}

// A snapshot read back as it was written is not compared with a fresh write; one changed
// on the disk since is read as any file: the keys it lost, in [Common] and in a
// configuration's section, are named.
TEST_F(UndoRingTest, ASnapshotChangedSinceItWasWrittenIsCheckedAsAnyFile) {
  TSystemImage image;
  OpenForEditing(image);
  image.InsertConfiguration(0);
  ASSERT_EQ(image.SaveUndo("Insert new configuration"), 1);
  Edit(image, 1);
  Edit(image, 2);
  const std::size_t told = Boxes().boxes.size();
  ASSERT_EQ(image.Undo(-1), 1);
  ASSERT_EQ(image.Redo(), 1);
  EXPECT_EQ(Boxes().boxes.size(), told);
  const std::string path = TempDir() + "/" + UndoFileName((image.options.undoIndex - 1) % image.options.RingSize());
  std::string text = ReadText(path);
  for (const std::string key : {"Dentr=", "Dzr="}) {
    const std::size_t at = text.rfind(key);
    ASSERT_NE(at, std::string::npos) << key;
    text.erase(at, text.find_first_of(";\n", at) - at);
  }
  WriteText(path, text);
  ASSERT_EQ(image.Undo(-1), 1);
  std::string warning;
  for (std::size_t k = told; k < Boxes().boxes.size(); ++k) warning += Boxes().boxes[k].text;
  EXPECT_NE(warning.find("Dentr"), std::string::npos) << warning;
  EXPECT_NE(warning.find("Config_2"), std::string::npos) << warning;
}

}  // namespace
