// The folder's settings file, scripted through its menu: the default file beside the
// system read at set-up and written on closing, Read, Save, Save As and Default.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "document/system/system_image.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/core/recording_providers.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_enabling.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/detectors/element_detectors.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/folder/folder_page_adapters.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "synthesis/folder/tti_settings.h"
#include "synthesis/objects/custom_object.h"
#include "synthesis/objects/radial_mira.h"
#include "synthesis/objects/square_mira.h"
#include "synthesis/objects/test_object_parent.h"

namespace {

class TtiFolderTest : public TFolderTestBase {
 protected:
  TtiFolderTest() : TFolderTestBase(false) {}
  void SetUp() override {
    previousObject_ = SetObjectPageMaker(&MakeObjectParentPage);
    previousDetector_ = SetDetectorPageMaker(&MakeTestDetectorPage);
    TFolderTestBase::SetUp();
    // The system as if it lay in the scratch directory: its settings file goes there.
    system_.name = Scratch("lens.os");
  }
  void TearDown() override {
    TFolderTestBase::TearDown();
    SetObjectPageMaker(previousObject_);
    SetDetectorPageMaker(previousDetector_);
  }
  TTestObjectFolder &Open() { return OpenFolder(); }
  void Close() {
    folder_->SendMessage(WM_COMMAND, IDCANCEL, 0);
    delete folder_;
    folder_ = nullptr;
  }
  void Command(int id) { folder_->SendMessage(WM_COMMAND, id, 0); }
  TTestObjectParent &ObjectPage() {
    return *dynamic_cast<TTestObjectParent *>(folder_->ObjectPage()->PageWindow());
  }
  TTestDetector &DetectorPage() {
    return *dynamic_cast<TTestDetector *>(folder_->DetectorPage()->PageWindow());
  }
  int Selection(int id) {
    auto *list = dynamic_cast<TComboBox *>(folder_->SettingsPage()->ChildWithId(id));
    return list != nullptr ? list->GetSelIndex() : -2;
  }
  static std::string Slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Put(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  bool BoxSaid(const std::string &part) const {
    for (const auto &box : answers_->boxes)
      if (box.text.find(part) != std::string::npos) return true;
    return false;
  }

  TObjectPageMaker previousObject_ = nullptr;
  TDetectorPageMaker previousDetector_ = nullptr;
  TScriptedFileDialog files_;
};

const std::string kNotes = "[MyNotes]\nask the shop; \"f/4, not f/5\" ! twice\n\n";

TEST_F(TtiFolderTest, TheFileBesideTheSystemIsReadAtSetUpAndWrittenOnClosing) {
  const std::string beside = Scratch("lens.tti");
  Put(beside,
      "[Common settings]\nMatrixSizeList=0\nColorScaleList=1\n\n[Objects settings]\nTypeList=2\n"
      "[Square mira]\nNGroup=3\nNStrokesMin=4\nNStrokesMax=9\n[Detector type]\nDetectorList=1\n" +
          kNotes + "[Round detector]\nDiameter=0.0125\n");
  TTestObjectFolder &folder = Open();
  EXPECT_EQ(folder.SettingsFileName(), beside);
  EXPECT_EQ(Selection(kSettingsSizeList), 0);
  EXPECT_EQ(GetTestImage()->pixelCount, 64);
  EXPECT_EQ(Selection(kSettingsScaleList), 1);
  EXPECT_EQ(ObjectPage().currentType, kObjectSquareMira);
  EXPECT_EQ(ObjectPage().SquareMira()->groups, 3);
  EXPECT_EQ(ObjectPage().SquareMira()->strokesMax, 9);
  EXPECT_EQ(DetectorPage().DetectorType(), 1);
  auto *round = dynamic_cast<TDetectorRoundModel *>(DetectorPage().Model(1));
  ASSERT_NE(round, nullptr);
  EXPECT_EQ(round->Diameter, 0.0125f);
  ObjectPage().SquareMira()->strokesMin = 5;
  Close();
  // Closing wrote every setting back, the change among them.
  TTtiSettings read;
  unsigned sections = 0;
  std::string problem;
  ASSERT_EQ(ReadTtiFile(beside, read, sections, problem), TTtiReadResult::Read) << problem;
  EXPECT_EQ(read.matrixSizeList, 0);
  EXPECT_EQ(read.typeList, kObjectSquareMira);
  EXPECT_EQ(read.nStrokesMin, 5);
  EXPECT_EQ(read.detectorList, 1);
  EXPECT_EQ(read.roundDiameter, 0.0125f);
  // The user's notes stay, go with Save As, and are their file's own.
  EXPECT_NE(Slurp(beside).find(kNotes), std::string::npos) << Slurp(beside);
  Open();
  files_.Choose({Scratch("copy.tti")});
  Command(CM_SYNTHESIS_SAVE_SETTINGS_AS);
  EXPECT_NE(Slurp(Scratch("copy.tti")).find(kNotes), std::string::npos) << Slurp(Scratch("copy.tti"));
  files_.Choose({Scratch("new.tti")});  // not there yet: a beep, and the name is taken
  Command(CM_SYNTHESIS_READ_SETTINGS);
  Command(CM_SYNTHESIS_SAVE_SETTINGS);
  EXPECT_EQ(Slurp(Scratch("new.tti")).find("[MyNotes]"), std::string::npos);
  Put(Scratch("plain.tti"), "[Radial mira]\nNStrokes=12\n");
  files_.Choose({Scratch("plain.tti")});
  Command(CM_SYNTHESIS_READ_SETTINGS);
  Command(CM_SYNTHESIS_SAVE_SETTINGS);
  EXPECT_EQ(Slurp(Scratch("plain.tti")).find("[MyNotes]"), std::string::npos);
}

TEST_F(TtiFolderTest, WithoutAFileThePagesKeepTheirValuesAndSaveWritesTheSameBytesTwice) {
  TTestObjectFolder &folder = Open();
  EXPECT_FALSE(answers_->beeps.empty());  // no file beside the system
  EXPECT_EQ(Selection(kSettingsSizeList), 2);
  EXPECT_EQ(ObjectPage().RadialMira()->strokes, 20);
  const TTtiSettings before = folder.CurrentTtiSettings();
  Command(CM_SYNTHESIS_SAVE_SETTINGS);
  const std::string first = Slurp(Scratch("lens.tti"));
  ASSERT_FALSE(first.empty());
  Command(CM_SYNTHESIS_SAVE_SETTINGS);
  EXPECT_EQ(Slurp(Scratch("lens.tti")), first);
  EXPECT_EQ(folder.CurrentTtiSettings(), before);
  // A change, then Read puts the saved values back.
  ObjectPage().RadialMira()->strokes = 7;
  files_.Choose({Scratch("lens.tti")});
  Command(CM_SYNTHESIS_READ_SETTINGS);
  EXPECT_EQ(ObjectPage().RadialMira()->strokes, 20);
  Command(CM_SYNTHESIS_SAVE_SETTINGS);
  EXPECT_EQ(Slurp(Scratch("lens.tti")), first);
}

TEST_F(TtiFolderTest, ADamagedFileIsRefusedWithAMessageAndReceivesNothingOnClosing) {
  TTestObjectFolder &folder = Open();
  const std::string damaged = "[Radial mira]\nNStrokes=3\n[Custom object]\nFileFon=" +
                              std::string(400, 'x') + "\n";
  Put(Scratch("bad.tti"), damaged);
  files_.Choose({Scratch("bad.tti")});
  Command(CM_SYNTHESIS_READ_SETTINGS);
  EXPECT_TRUE(BoxSaid("is damaged"));
  EXPECT_EQ(ObjectPage().RadialMira()->strokes, 20);
  EXPECT_EQ(folder.SettingsFileName(), Scratch("lens.tti"));
  Close();
  EXPECT_EQ(Slurp(Scratch("bad.tti")), damaged);
  EXPECT_FALSE(Slurp(Scratch("lens.tti")).empty());
}

TEST_F(TtiFolderTest, ARefusedFileBesideTheSystemIsNotWrittenOverOnClosing) {
  // Damaged: its last line has no line end; made for another system: metres at infinity.
  for (const bool damaged : {true, false}) {
    system_.info.ImageFinite = damaged ? 1 : 0;
    const std::string text = damaged ? kNotes + "[Radial mira]\nNStrokes=3"
                                     : "[Common settings]\nUnitBtn=0\nObjectSpaceCheck=0\n" + kNotes;
    Put(Scratch("lens.tti"), text);
    Open();
    EXPECT_TRUE(!damaged || BoxSaid("is damaged"));
    files_.Cancel();
    Close();
    EXPECT_EQ(Slurp(Scratch("lens.tti")), text);
  }
}

TEST_F(TtiFolderTest, TwoNotesSectionsOfOneNameAreBothWrittenBack) {
  const std::string notes = "[MyNotes]\nfirst\n\n[mynotes]\nsecond\n";
  Put(Scratch("lens.tti"), "[Radial mira]\nNStrokes=12\n\n" + notes);
  Open();
  Close();
  EXPECT_NE(Slurp(Scratch("lens.tti")).find(notes), std::string::npos) << Slurp(Scratch("lens.tti"));
}

TEST_F(TtiFolderTest, SaveAsCancelledReadAndAFailedSave) {
  TTestObjectFolder &folder = Open();
  files_.Choose({Scratch("other.tti")});
  Command(CM_SYNTHESIS_SAVE_SETTINGS_AS);
  EXPECT_EQ(folder.SettingsFileName(), Scratch("other.tti"));
  EXPECT_NE(Slurp(Scratch("other.tti")).find("[Common settings]\nMatrixSizeList=2\n"), std::string::npos);
  // A cancelled Read keeps the file in use: the next Save goes there without asking.
  files_.Cancel();
  Command(CM_SYNTHESIS_READ_SETTINGS);
  EXPECT_EQ(folder.SettingsFileName(), Scratch("other.tti"));
  std::filesystem::remove(Scratch("other.tti"));
  const std::size_t asked = files_.asked.size();
  Command(CM_SYNTHESIS_SAVE_SETTINGS);
  EXPECT_EQ(files_.asked.size(), asked);
  EXPECT_FALSE(Slurp(Scratch("other.tti")).empty());
  // A save into a directory that is not there says so and keeps the old name's file.
  const std::size_t boxes = answers_->boxes.size();
  EXPECT_EQ(folder.WriteSettings(Scratch("missing/x.tti")), 0);
  ASSERT_EQ(answers_->boxes.size(), boxes + 1);
  EXPECT_EQ(answers_->boxes.back().text,
            "File \"" + Scratch("missing/x.tti") + "\" cannot be written: its directory does not exist.");
  EXPECT_EQ(answers_->boxes.back().caption, "Warning");
}

TEST_F(TtiFolderTest, DefaultPutsTheDefaultChoicesIntoThePages) {
  Put(Scratch("lens.tti"),
      "[Common settings]\nMatrixSizeList=3\nColorScaleList=2\n[Objects settings]\nTypeList=2\n"
      "[Radial mira]\nNStrokes=5\n[Detector type]\nDetectorList=1\n");
  Open();
  ASSERT_EQ(Selection(kSettingsSizeList), 3);
  ASSERT_EQ(DetectorPage().DetectorType(), 1);
  Command(CM_SYNTHESIS_DEFAULT_SETTINGS);
  EXPECT_EQ(Selection(kSettingsSizeList), 1);
  EXPECT_EQ(GetTestImage()->pixelCount, 128);
  EXPECT_EQ(Selection(kSettingsScaleList), 0);
  EXPECT_EQ(ObjectPage().currentType, kObjectRadialMira);
  EXPECT_EQ(ObjectPage().RadialMira()->strokes, 20);
  EXPECT_EQ(ObjectPage().SquareMira()->strokesMax, 10);
  EXPECT_EQ(DetectorPage().DetectorType(), 0);
  EXPECT_EQ(GetTestImage()->ObjectSpaceCheck, 1);
}

// Makes a file that can be read but not opened for writing, as on a read-only share: its
// mode, and for a user whom modes do not stop, its immutable flag. False when neither holds.
bool MakeUnwritable(const std::string &path, bool unwritable) {
  ::chmod(path.c_str(), unwritable ? 0444 : 0644);
  if (const int fd = ::open(path.c_str(), O_RDONLY); fd >= 0) {
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = unwritable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
  }
  std::FILE *file = std::fopen(path.c_str(), "rb+");
  if (file != nullptr) std::fclose(file);
  return file == nullptr;
}

TEST_F(TtiFolderTest, ACustomObjectReadsBackAsRadialBarsAndMissingPicturesAreToldOnce) {
  TTestObjectFolder &folder = Open();
  // A picture that is only read serves from a read-only share.
  Put(Scratch("there.bmp"), "BM");
  const std::shared_ptr<void> writableAgain(nullptr, [&](void *) { MakeUnwritable(Scratch("there.bmp"), false); });
  if (!MakeUnwritable(Scratch("there.bmp"), true)) GTEST_SKIP() << "no file here can be made read-only";
  Put(Scratch("custom.tti"), "[Objects settings]\nTypeList=3\n[Custom object]\nFileFon=" +
                                 Scratch("gone.bmp") + "\nFileObject=" + Scratch("there.bmp") + "\n");
  EXPECT_EQ(folder.ReadSettings(Scratch("custom.tti")), 1);
  EXPECT_EQ(ObjectPage().currentType, kObjectRadialMira);
  // The hand-written file lacks most of what the folder writes: said first.
  ASSERT_EQ(answers_->boxes.size(), 2u);
  EXPECT_NE(answers_->boxes[0].text.find("lacks the section [Common settings]"), std::string::npos);
  EXPECT_EQ(answers_->boxes[1].text, "Background description \"" + Scratch("gone.bmp") + "\" not exist.");
  EXPECT_EQ(answers_->boxes[1].caption, "About custom object descriptions");
  EXPECT_EQ(ObjectPage().CustomObject()->backgroundFile, "");
  EXPECT_EQ(ObjectPage().CustomObject()->objectFile, Scratch("there.bmp"));
  // The object's boxes show what the folder now holds.
  char shown[2][512] = {};
  GetDlgItemText(ObjectPage().CustomObject()->GetHandle(), kCustomObjectBox, shown[0], sizeof shown[0]);
  GetDlgItemText(ObjectPage().CustomObject()->GetHandle(), kCustomBackgroundBox, shown[1], sizeof shown[1]);
  EXPECT_EQ(std::string(shown[0]) + "|" + shown[1], Scratch("there.bmp") + "|---");
  ASSERT_EQ(ObjectPage().SelectType(kObjectCustom), 1);  // the object named has something to show
  for (const int id : {kObjectColorMapButton, kObject3DPlotButton}) EXPECT_TRUE(IsWindowEnabled(ObjectPage().GetDlgItem(id)));
  for (const int id : {kFolderColorButton, kFolder3DButton}) EXPECT_TRUE(IsWindowEnabled(folder.GetDlgItem(id)));
  // A folder opens for reading but holds no picture: told, and its name not kept.
  const std::string folderName = Scratch("pictures");
  std::filesystem::create_directories(folderName);
  Put(Scratch("custom.tti"), "[Objects settings]\nTypeList=3\n[Custom object]\nFileFon=\nFileObject=" + folderName + "\n");
  EXPECT_EQ(folder.ReadSettings(Scratch("custom.tti")), 1);
  EXPECT_EQ(answers_->boxes.back().text, "\nObject description \"" + folderName + "\" not exist.");
  EXPECT_EQ(ObjectPage().CustomObject()->objectFile, "");
}

TEST_F(TtiFolderTest, CellsReadWhileMatrixAndTransformerIsChosenAreTheOnesItCombinesAndSaves) {
  TTestObjectFolder &folder = Open();
  ASSERT_EQ(DetectorPage().ChooseDetectorType(3), 1);  // the matrix's boxes shown once
  ASSERT_EQ(DetectorPage().ChooseDetectorType(7), 1);
  const TTtiArrayCells read{0.5f, 0.25f, 0.75f, 0.375f};
  Put(Scratch("cells.tti"), "[Detector type]\nDetectorList=7\n[Matrix detector]\nLy=0.5; Lz=0.25; dY0=0.75; dZ0=0.375\n");
  EXPECT_EQ(folder.ReadSettings(Scratch("cells.tti")), 1);
  // The combined detector takes the matrix's values through its hidden page, as Map,
  // Color and Save do: the values read, not those the page showed before.
  DetectorPage().ReadParameters();
  EXPECT_EQ(folder.CurrentTtiSettings().matrix, read);
}

TEST_F(TtiFolderTest, ATypedObjectSizeAndDistanceSurviveSaveAndRead) {
  TTestObjectFolder &folder = Open();
  ASSERT_EQ(ObjectPage().currentType, kObjectRadialMira);
  SetDlgItemText(ObjectPage().GetHandle(), kObjectSizeEdit, "0.1234567");
  folder.ReadParameters();
  const double typedSize = GetTestImage()->ObjectSize;
  EXPECT_EQ(typedSize, 0.1234567);
  const double distance = GetTestImage()->Distance;
  Command(CM_SYNTHESIS_SAVE_SETTINGS);
  GetTestImage()->ObjectSize = 1.0;
  files_.Choose({Scratch("lens.tti")});
  Command(CM_SYNTHESIS_READ_SETTINGS);
  // The page shows the size to six digits; taking the boxes again keeps all of them.
  folder.ReadParameters();
  folder.ShowParameters();
  folder.ReadParameters();
  EXPECT_EQ(GetTestImage()->ObjectSize, typedSize);
  EXPECT_EQ(GetTestImage()->Distance, distance);
}

TEST_F(TtiFolderTest, TheScannerValuesSurviveOpeningAndClosingAlsoWithoutAnImageSize) {
  const std::string beside = Scratch("lens.tti");
  Put(beside, "[Detector type]\nDetectorList=2\n[Scanner]\nFrequence=25.5; Tau=0.0031; RealMovement=1; Yscanning=0\n");
  Open();
  const TScannerParameters *scanner = GetScannerParameters();
  ASSERT_NE(scanner, nullptr);
  EXPECT_EQ(scanner->Frequence, 25.5f);
  EXPECT_EQ(scanner->Tau, 0.0031f);
  EXPECT_EQ(scanner->RealMovement, 1);
  EXPECT_EQ(scanner->Yscanning, 0);
  // Taking the pages' values (as every request does) keeps what the file gave.
  folder_->ReadParameters();
  EXPECT_EQ(scanner->Frequence, 25.5f);
  EXPECT_EQ(scanner->RealMovement, 1);
  GetTestImage()->fieldSize = 0.0;
  Close();
  TTtiSettings read;
  unsigned sections = 0;
  std::string problem;
  ASSERT_EQ(ReadTtiFile(beside, read, sections, problem), TTtiReadResult::Read) << problem;
  EXPECT_NE(sections & kTtiScanner, 0u);
  EXPECT_EQ(read.frequence, 25.5f);
  EXPECT_EQ(read.tau, 0.0031f);
  EXPECT_EQ(read.realMovement, 1);
  EXPECT_EQ(read.yscanning, 0);
}

TEST_F(TtiFolderTest, AFileForAnImageAtInfinityInMetresDoesNotSuitAndChangesNothing) {
  system_.info.ImageFinite = 0;
  TTestObjectFolder &folder = Open();
  Put(Scratch("metres.tti"), "[Common settings]\nUnitBtn=0\nObjectSpaceCheck=0\nMatrixSizeList=0\n"
                             "[Radial mira]\nNStrokes=3\n");
  files_.Choose({Scratch("metres.tti")});
  Command(CM_SYNTHESIS_READ_SETTINGS);
  EXPECT_TRUE(BoxSaid("does not suit this optical system"));
  EXPECT_EQ(Selection(kSettingsSizeList), 2);
  EXPECT_EQ(ObjectPage().RadialMira()->strokes, 20);
  EXPECT_EQ(folder.SettingsFileName(), Scratch("lens.tti"));
}

// The editor greys its own commands while the folder is open, and some of them share the
// folder's menu numbers: the folder's menu answers for itself, so Read stays offered.
class TGreyingOwner : public TWindow {
 public:
  TGreyingOwner() : TWindow(nullptr, "editor") { Attr.Style = WS_POPUP; }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND_ENABLE && lParam != 0) {
      reinterpret_cast<TCommandEnabler *>(lParam)->Enable(false);
      return 0;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
};

TEST_F(TtiFolderTest, TheParametersMenuStaysOfferedUnderAnEditorThatGreysItsCommands) {
  TGreyingOwner editor;
  ASSERT_TRUE(editor.Create());
  folder_ = new TTestObjectFolder(&editor, &system_);
  ASSERT_TRUE(folder_->Create());
  HMENU bar = GetMenu(folder_->GetHandle());
  ASSERT_NE(bar, nullptr);
  HMENU parameters = GetSubMenu(bar, 0);
  ASSERT_NE(parameters, nullptr);
  EnableMenuCommands(folder_->GetHandle(), parameters);
  for (int position = 0; position < GetMenuItemCount(parameters); ++position) {
    if (GetMenuItemID(parameters, position) == 0) continue;  // the separator
    EXPECT_EQ(GetMenuState(parameters, static_cast<UINT>(position), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED), 0u)
        << "item " << position;
  }
  // Read from the menu reads the file the dialog gives.
  Put(Scratch("other.tti"), "[Radial mira]\nNStrokes=7\n");
  files_.Choose({Scratch("other.tti")});
  Command(CM_SYNTHESIS_READ_SETTINGS);
  EXPECT_EQ(ObjectPage().RadialMira()->strokes, 7);
  Close();
}

}  // namespace
