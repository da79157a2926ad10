#include "editor/settings/editor_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/testing/comma_locale.h"
#include "foundation/testing/key_damage.h"
#include "foundation/testing/small_disk.h"

namespace {

namespace fs = std::filesystem;

class EditorSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = fs::temp_directory_path() /
                 ("editor_settings_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(directory_);
    fs::create_directories(directory_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(directory_, fs::perms::owner_all, ignored);
    fs::remove_all(directory_, ignored);
  }
  std::string Path(const std::string &name) const { return (directory_ / name).string(); }
  static std::string Read(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void Write(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  fs::path directory_;
};

const char *const kForeign =
    "[Aberrations Window]\nPosition=10, 20;\nBkColor=0, 0, 0;\nScale=101;\n"
    "TransMmin=-0.125; TransMmax=0.25;\n\n"
    "[Properties table]\nPosition=300, 200;\n\n"
    "[Some Future Window]\nWhatever = 1, 2, 3 ; \"quoted; text\"\n\n";

TEST_F(EditorSettingsFile, RoundTripKeepsForeignSectionsByteForByte) {
  const std::string path = Path("RodIru2Z.ini");
  Write(path, kForeign);
  TEditorSettings written;
  written.helpFileName = "/opt/korvex/help/korvex.hlp";
  written.NStepUndoMax = 12;
  written.havePosition = true;
  written.position[0] = 40;
  written.position[1] = 50;
  written.position[2] = 840;
  written.position[3] = 650;
  written.graphSize[0] = 700;
  written.graphSize[1] = 420;
  written.bkColor[2] = 90;
  written.systemName = "/home/user/Lenses/Cooke Triplet.os";
  written.recent[0] = "/home/user/Lenses/Double Gauss.os";
  written.recent[1] = "/home/user/lenses/singlet.os";
  written.GridAxes = 1;
  written.spot.fieldSize = 120;
  written.spot.Mmin = -0.0123456789012345;
  written.spot.Mmax = 0.0123456789012345;
  written.palettes[0] = {true, 1, 15, 25};
  written.palettes[2] = {true, 0, 600, 30};
  ASSERT_EQ(WriteEditorSettings(path, written), 1);
  const std::string text = Read(path);
  // Every foreign section is still there, whole.
  EXPECT_NE(text.find("[Aberrations Window]\nPosition=10, 20;\nBkColor=0, 0, 0;\nScale=101;\n"
                      "TransMmin=-0.125; TransMmax=0.25;\n"),
            std::string::npos);
  EXPECT_NE(text.find("[Properties table]\nPosition=300, 200;\n"), std::string::npos);
  EXPECT_NE(text.find("[Some Future Window]\nWhatever = 1, 2, 3 ; \"quoted; text\"\n"),
            std::string::npos);

  TEditorSettings read;
  ASSERT_EQ(ReadEditorSettings(path, read), 1);
  EXPECT_EQ(read.helpFileName, written.helpFileName);
  EXPECT_EQ(read.NStepUndoMax, 12);
  EXPECT_TRUE(read.havePosition);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(read.position[k], written.position[k]);
  EXPECT_EQ(read.graphSize[0], 700);
  EXPECT_EQ(read.bkColor[2], 90);
  EXPECT_EQ(read.systemName, written.systemName);
  EXPECT_EQ(read.recent[0], written.recent[0]);
  EXPECT_EQ(read.recent[1], written.recent[1]);
  EXPECT_EQ(read.recent[2], "");
  EXPECT_EQ(read.GridAxes, 1);
  EXPECT_EQ(read.spot.fieldSize, 120);
  EXPECT_EQ(read.spot.Mmin, written.spot.Mmin);
  EXPECT_EQ(read.spot.Mmax, written.spot.Mmax);
  EXPECT_TRUE(read.palettes[0].present);
  EXPECT_EQ(read.palettes[0].x, 15);
  EXPECT_FALSE(read.palettes[1].present);
  EXPECT_EQ(read.palettes[2].x, 600);

  // Writing what was read gives the same file.
  ASSERT_EQ(WriteEditorSettings(path, read), 1);
  EXPECT_EQ(Read(path), text);
}

TEST_F(EditorSettingsFile, MissingValuesTakeTheirDefaults) {
  const std::string path = Path("RodIru2Z.ini");
  Write(path, "[Fields]\nGraphSize=0, 0\n");
  TEditorSettings settings;
  settings.graphSize[0] = 10;
  settings.spot.position[0] = 400;
  settings.spot.scaleMode = 2;
  ASSERT_EQ(ReadEditorSettings(path, settings), 1);
  EXPECT_EQ(settings.graphSize[0], 550);
  EXPECT_EQ(settings.graphSize[1], 380);
  EXPECT_FALSE(settings.havePosition);
  // No [Spot]: the window's place, colour and scale start over, the rest keeps its values.
  EXPECT_EQ(settings.spot.position[0], 1);
  EXPECT_EQ(settings.spot.position[1], 1);
  EXPECT_EQ(settings.spot.scaleMode, 0);
  EXPECT_EQ(settings.spot.fieldSize, 150);
  EXPECT_EQ(settings.spot.rayNumber, 1000);
  EXPECT_EQ(settings.spot.Mmin, 1e20);
  EXPECT_EQ(settings.spot.Smax, -1e20);
  TEditorSettings untouched;
  untouched.NStepUndoMax = 7;
  EXPECT_EQ(ReadEditorSettings(Path("absent.ini"), untouched), 0);
  EXPECT_EQ(untouched.NStepUndoMax, 7);
}

TEST_F(EditorSettingsFile, SevenRecordsAreReadAndFiveWritten) {
  const std::string path = Path("RodIru2Z.ini");
  std::string text = "[Names]\nEnableName=1\nSystemName=/s/open.os\n\n";
  for (int k = 0; k < 7; ++k) text += "{ File=\"/s/f" + std::to_string(k) + ".os\"; }\n";
  Write(path, text);
  TEditorSettings settings;
  ASSERT_EQ(ReadEditorSettings(path, settings), 1);
  EXPECT_EQ(settings.recent[6], "/s/f6.os");
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  TEditorSettings again;
  ASSERT_EQ(ReadEditorSettings(path, again), 1);
  EXPECT_EQ(again.recent[4], "/s/f4.os");
  EXPECT_EQ(again.recent[5], "");
}

// Names are the user's: a quote, a semicolon, a line break or a percent sign comes back
// exactly, and never splits the file; names earlier files hold raw still read as written.
TEST_F(EditorSettingsFile, FileNamesOfAnyCharactersComeBackExactly) {
  const std::string path = Path("RodIru2Z.ini");
  TEditorSettings settings;
  const std::string names[] = {"/s/my \"best\" lens.os", "/s/two\nlines]\n[Common]\nx.os", "/s/a;b %41 100%.os",
                               "/s/\xd0\xbb\xd0\xb8\xd0\xbd\xd0\xb7\xd0\xb0.os"};
  for (int k = 0; k < 4; ++k) settings.recent[k] = names[k];
  settings.systemName = names[1];
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  TEditorSettings again;
  std::string notes;
  ASSERT_EQ(ReadEditorSettings(path, again, &notes), 1);
  EXPECT_EQ(notes, "");
  for (int k = 0; k < 4; ++k) EXPECT_EQ(again.recent[k], names[k]) << k;
  EXPECT_EQ(again.systemName, names[1]);
  // A settings file of an earlier version: raw names.
  Write(path, "[Names]\nEnableName=1\nSystemName=/s/old lens.os\n{ File=\"/s/50% off.os\"; }\n\n");
  TEditorSettings old;
  ASSERT_EQ(ReadEditorSettings(path, old), 1);
  EXPECT_EQ(old.systemName, "/s/old lens.os");
  EXPECT_EQ(old.recent[0], "/s/50% off.os");
}

// A save over a settings file filled with zeros writes one the next start reads with no note.
TEST_F(EditorSettingsFile, ASaveOverADamagedFileReadsBackWithoutANote) {
  const std::string path = Path("RodIru2Z.ini");
  Write(path, std::string(4096, '\0') + "\n" + kForeign);
  TEditorSettings settings;
  settings.recent[0] = "/s/kept.os";
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  TEditorSettings again;
  std::string notes;
  ASSERT_EQ(ReadEditorSettings(path, again, &notes), 1);
  EXPECT_EQ(notes, "");
  EXPECT_EQ(again.recent[0], "/s/kept.os");
  EXPECT_NE(Read(path).find("[Some Future Window]"), std::string::npos);
}

TEST_F(EditorSettingsFile, ReadOnlyFileIsLeftUntouched) {
  const std::string path = Path("RodIru2Z.ini");
  Write(path, kForeign);
  // Without any write bit: kept also when the administrator, who may write it, runs.
  ::chmod(path.c_str(), 0444);
  TEditorSettings settings;
  EXPECT_EQ(WriteEditorSettings(path, settings), 0);
  EXPECT_EQ(Read(path), kForeign);
}

TEST_F(EditorSettingsFile, SaveDisabledWritesOnlyCommonAndSave) {
  const std::string path = Path("RodIru2Z.ini");
  Write(path, "[Options]\nGridAxes=1\n\n");
  TEditorSettings settings;
  settings.EnableSave = 0;
  settings.GridAxes = 0;
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  const std::string text = Read(path);
  EXPECT_NE(text.find("[Save]\nEnableSave=0\n"), std::string::npos);
  EXPECT_NE(text.find("[Options]\nGridAxes=1\n"), std::string::npos);
  EXPECT_EQ(text.find("[Names]"), std::string::npos);
}

TEST_F(EditorSettingsFile, InstallationCopyGivesTheFirstDefaults) {
  const std::string program = Path("program");
  fs::create_directories(program);
  Write(program + "/RodIru2Z.ini", "[Save]\nNStepUndoMax=4\n");
  const std::string config = Path("config");
  const char *old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  const std::string path = SettingsFilePath(program);
  EXPECT_EQ(path, config + "/korvex/RodIru2Z.ini");
  TEditorSettings settings;
  ASSERT_EQ(ReadEditorSettings(path, settings), 1);
  EXPECT_EQ(settings.NStepUndoMax, 4);
  // The user's copy is the one written; the installation's stays as it was.
  settings.NStepUndoMax = 9;
  ASSERT_EQ(WriteEditorSettings(path, settings), 1);
  EXPECT_EQ(Read(program + "/RodIru2Z.ini"), "[Save]\nNStepUndoMax=4\n");
  EXPECT_FALSE(FastOpenRequested(program));
  Write(config + "/korvex/fast_open.ini", "");
  EXPECT_TRUE(FastOpenRequested(program));
  if (old != nullptr)
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace

namespace {

// Values the program cannot use are held to what it offers, each named once.
TEST_F(EditorSettingsFile, ValuesBeyondWhatTheProgramOffersAreHeldAndNamed) {
  const std::string path = Path("RodIru2Z.ini");
  Write(path,
        "[Save]\nEnableSave=1\nNStepUndoMax=2000000000\n\n"
        "[Fields]\nGraphSize=99999999, 300\nBkColor=300, -5, 64\n\n"
        "[Spot]\nField=150\nNray=2000000000\nScale=7;\nMmin=nan; Mmax=1;\n\n");
  TEditorSettings settings;
  std::string notes;
  ASSERT_EQ(ReadEditorSettings(path, settings, &notes), 1);
  EXPECT_EQ(settings.NStepUndoMax, 100);
  EXPECT_EQ(settings.graphSize[0], 16384);
  EXPECT_EQ(settings.graphSize[1], 300);
  EXPECT_EQ(settings.bkColor[0], 255);
  EXPECT_EQ(settings.bkColor[1], 0);
  EXPECT_EQ(settings.spot.rayNumber, 1000000);
  EXPECT_EQ(settings.spot.scaleMode, 2);
  EXPECT_EQ(settings.spot.Mmin, 1e20);
  EXPECT_EQ(settings.spot.Mmax, 1.0);
  for (const char *named : {"NStepUndoMax=2000000000 is taken as 100", "GraphSize=99999999 is taken as 16384",
                            "BkColor=300 is taken as 255", "BkColor=-5 is taken as 0",
                            "Nray=2000000000 is taken as 1000000", "Scale=7 is taken as 2", "Mmin=nan, which is not a number"})
    EXPECT_NE(notes.find(named), std::string::npos) << named << " in:" << notes;
  // A sound file says nothing.
  const std::string sound = Path("sound.ini");
  Write(sound, "[Save]\nEnableSave=1\nNStepUndoMax=12\n\n");
  ASSERT_EQ(ReadEditorSettings(sound, settings, &notes), 1);
  EXPECT_EQ(notes, "");
  // A file cut short is read as far as it goes, and said so.
  Write(sound, "[Save]\nEnableSave=1\nNStepUndoMax=12\n\n[Fie");
  ASSERT_EQ(ReadEditorSettings(sound, settings, &notes), 1);
  EXPECT_NE(notes.find("cut short"), std::string::npos) << notes;
}

// A write that cannot reach the file says why; the file stays as it was.
TEST_F(EditorSettingsFile, AFailedWriteSaysItsCause) {
  TEditorSettings settings;
  TFileWriteResult why;
  const std::string kept = Path("RodIru2Z.ini");
  Write(kept, kForeign);
  ::chmod(kept.c_str(), 0444);
  EXPECT_EQ(WriteEditorSettings(kept, settings, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kReadOnly);
  EXPECT_EQ(WriteEditorSettings(Path("gone/RodIru2Z.ini"), settings, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoDirectory);
  TSmallDisk disk;
  SKIP_WITHOUT_SMALL_DISK(disk);
  Write(disk.PathOf("RodIru2Z.ini"), kForeign);
  disk.Fill();
  EXPECT_EQ(WriteEditorSettings(disk.PathOf("RodIru2Z.ini"), settings, &why), 0);
  EXPECT_EQ(why.fault, TFileWriteFault::kNoSpace);
  EXPECT_EQ(Read(disk.PathOf("RodIru2Z.ini")), kForeign);
}

// The same bytes whatever decimal sign the desktop uses.
TEST_F(EditorSettingsFile, TheFileIsTheSameUnderADecimalComma) {
  TEditorSettings settings;
  settings.spot.Mmin = -0.125;
  settings.spot.Mmax = 2.5;
  ASSERT_EQ(WriteEditorSettings(Path("plain.ini"), settings), 1);
  TCommaLocale comma;
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  ASSERT_EQ(WriteEditorSettings(Path("comma.ini"), settings), 1);
  EXPECT_EQ(Read(Path("comma.ini")), Read(Path("plain.ini")));
  TEditorSettings read;
  ASSERT_EQ(ReadEditorSettings(Path("comma.ini"), read), 1);
  EXPECT_EQ(read.spot.Mmin, -0.125);
  EXPECT_EQ(read.spot.Mmax, 2.5);
}

}  // namespace

// Every key the reader registers, damaged every way its kind admits: named by key and
// line, and the next save keeps every other value; every header mistyped is named.
TEST_F(EditorSettingsFile, EveryKeyDamagedIsNamedAndTheRestSaved) {
  TEditorSettings written;
  written.helpFileName = "/opt/help/optics.hlp";
  written.NStepUndoMax = 12;
  written.havePosition = true;
  written.position[0] = 40;
  written.recent[0] = "/s/a.os";
  written.recent[1] = "/s/b.os";
  written.systemName = "/s/a.os";
  written.GridAxes = 1;
  written.spot.rayNumber = 300;
  written.spot.Smax = 0.25;
  ASSERT_EQ(WriteEditorSettings(Path("sound.ini"), written), 1);
  const int opened = CheckEveryKeyDamage("editor settings", Read(Path("sound.ini")), Path("RodIru2Z.ini"),
                                         [this](const std::string &path) {
    TEditorSettings settings;
    TOpenOutcome outcome;
    outcome.refused = ReadEditorSettings(path, settings, &outcome.told) != 1;
    // Saved as the program saves it: over the file read, which other parts share.
    std::filesystem::copy_file(path, Path("saved.ini"), std::filesystem::copy_options::overwrite_existing);
    if (!outcome.refused && WriteEditorSettings(Path("saved.ini"), settings) == 1) outcome.saved = Read(Path("saved.ini"));
    return outcome;
  }, {{"file", "file"}});  // the recent files close up over one lost
  EXPECT_GT(opened, 100);
}
