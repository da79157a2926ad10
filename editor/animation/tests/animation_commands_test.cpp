// The animation commands driven through the main window, offscreen: a lens run that ends
// by itself, stopped by the command or by Escape, the lens-animation services stepped by
// hand, the beam sweep, the file's creation and refusal.
#include <QTimer>

#include <filesystem>

#include "analysis/psf/show_psf.h"
#include "editor/animation/animation_file.h"
#include "editor/animation/animation_file_editor.h"
#include "editor/dialogs/quick_table_dlg.h"
#include "editor/edit/editor_tools.h"
#include "editor/properties/properties_general_info_dlg.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "foundation/testing/small_disk.h"
#include "optics/model/model_globals.h"
#include "platform/core/paths.h"
#include "platform/core/scripted_dialogs.h"
#include "synthesis/detectors/scan_animation.h"
#include "toolkit/palettes/tool_bar_wnd.h"
#include "toolkit/pump/message_queue.h"

namespace {

constexpr double kStepRoundOff = 1e-12;

// Chooses the beam command again once the beam animation runs (looking every millisecond,
// at most `tries` times).
void StopBeamWhenRunning(TOpticalEditor &editor, int tries) {
  QTimer::singleShot(1, [&editor, tries]() {
    if (editor.System().options.beamAnimationRunning != 0 && editor.EditTools().ButtonDown(CM_BEAM_ANIMATION))
      editor.PostMessage(WM_COMMAND, CM_BEAM_ANIMATION);
    else if (tries > 0)
      StopBeamWhenRunning(editor, tries - 1);
  });
}

class AnimationCommandsTest : public EditorShellTest {
 protected:
  std::string AnimationPath() const { return Scratch("Systems/Cooke_Triplet.anm"); }
  // The vertex of every surface.
  static std::vector<DPOINT3> Vertices(const TOpticalEditor &editor) {
    std::vector<DPOINT3> vertices;
    TOpticalEditor &e = const_cast<TOpticalEditor &>(editor);
    for (int i = 0; i < e.System().SurfaceCount(); ++i)
      vertices.push_back(e.System().GetSurfacePosition(i, 0, kGlobalFrame));
    return vertices;
  }
  static void ExpectSameVertices(const std::vector<DPOINT3> &a, const std::vector<DPOINT3> &b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].x, b[i].x) << i;
      EXPECT_EQ(a[i].y, b[i].y) << i;
      EXPECT_EQ(a[i].z, b[i].z) << i;
    }
  }
  bool Checked(UINT command) const { return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0; }
  // Closes the animation file's editor once its modal loop runs, then runs `after`.
  void CloseEditorWhenShown(TOpticalEditor &editor, bool &seen, std::function<void()> after = {}) {
    QTimer::singleShot(0, [&editor, &seen, after]() {
      seen = test_kit::RunUntil([&] { return CloseAnimationFileEditor(editor); });
      if (after) after();
    });
  }
};

TEST_F(AnimationCommandsTest, LensRunMovesTheElementByTheFileStepsAndOneUndoStepRestoresIt) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=0;\n[Elem_1]\nPosY=0, 1; dPosY=0.25\n");
  const std::vector<DPOINT3> before = Vertices(editor);
  const int undoIndex = editor.System().options.undoIndex;
  ASSERT_EQ(editor.Animations().RunLensAnimation(editor.Animations().AnimationFilePath()), 1);
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 1);
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex + 1);
  EXPECT_EQ(editor.Animations().Animation().cycleLength, 8);
  // The middle lens (surfaces 3 and 4) goes up by a quarter per step, turns at 1 and comes
  // back; nothing else moves.
  const double offsets[] = {0.25, 0.5, 0.75, 1.0, 0.75, 0.5, 0.25, 0.0, 0.25};
  for (double offset : offsets) {
    editor.Animations().ApplyAnimationStep();
    const std::vector<DPOINT3> now = Vertices(editor);
    for (std::size_t i = 0; i < now.size(); ++i) {
      const bool moved = i == 3 || i == 4;
      EXPECT_APPROX(now[i].y, before[i].y + (moved ? offset : 0.0), kStepRoundOff) << i;
      EXPECT_EQ(now[i].x, before[i].x) << i;
    }
  }
  ProgramMessageQueue().Leave(1);
  editor.System().options.lensAnimationRunning = 0;
  editor.Files().CmUndo();
  ExpectSameVertices(Vertices(editor), before);
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);
}

TEST_F(AnimationCommandsTest, TheScannersRunStepsTheSystemWithoutAnUndoStepAndEndsIdle) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=0;\n[Elem_1]\nPosY=0, 1; dPosY=0.25\n");
  const std::vector<DPOINT3> before = Vertices(editor);
  const int undoIndex = editor.System().options.undoIndex;
  const int busy = ProgramMessageQueue().BusyCount();
  TScanAnimation *scan = editor.ScanAnimation();
  ASSERT_NE(scan, nullptr);
  int steps = 0;
  ASSERT_TRUE(scan->BeginScan(steps));
  EXPECT_EQ(steps, 8);
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);  // nothing for a blind undo to take
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 1);
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), busy + 1);
  scan->StepScan();
  scan->StepScan();
  const std::vector<DPOINT3> moved = Vertices(editor);
  EXPECT_APPROX(moved[3].y, before[3].y + 0.5, kStepRoundOff);
  EXPECT_APPROX(moved[4].y, before[4].y + 0.5, kStepRoundOff);
  // The lens-animation toggle's own state is not touched.
  EXPECT_EQ(editor.Animations().Animation().RecordCount(), 0);
  scan->EndScan();
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 0);
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), busy);
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);
  // A missing file declined: nothing to run, nothing to end.
  std::filesystem::remove(AnimationPath());
  answers_->QueueAnswer(IDNO);
  EXPECT_FALSE(scan->BeginScan(steps));
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), busy);
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 0);
}

TEST_F(AnimationCommandsTest, NonContinuousLensCommandStopsAfterItsCycleAndRestoresTheSystem) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=0;\n[Elem_0]\nPosZ=0, 2; dPosZ=1; GoBack=1\n");
  const std::vector<DPOINT3> before = Vertices(editor);
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  // Three steps (two, plus one as the element jumps back); the fourth count ends the run.
  EXPECT_EQ(editor.Animations().Animation().stepCounter, 4);
  EXPECT_EQ(editor.Animations().Animation().RecordCount(), 0);
  ExpectSameVertices(Vertices(editor), before);
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 0);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));
  EXPECT_FALSE(Checked(CM_LENS_ANIMATION));
  EXPECT_FALSE(Grey(CM_BEAM_ANIMATION));
  // The run is one step of the ring, undone: Redo offers it.
  EXPECT_EQ(ItemText(CM_REDO), "Redo Lens animation (ctrl-Y)");
  EXPECT_TRUE(answers_->boxes.empty());
}

TEST_F(AnimationCommandsTest, ContinuousLensRunStopsAtTheCommandOrEscapeAndIsUndone) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Elem_2]\nRotX=0, 30; dRotX=1\n");
  const std::vector<DPOINT3> before = Vertices(editor);
  // Chosen again while it runs: handled at the first pump after the first step.
  editor.PostMessage(WM_COMMAND, CM_LENS_ANIMATION);
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  EXPECT_EQ(editor.Animations().Animation().stepCounter, 1);
  ExpectSameVertices(Vertices(editor), before);
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 0);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), 0);

  test_kit::PostKey(*editor.Canvas(), VK_ESCAPE);
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  EXPECT_GE(editor.Animations().Animation().stepCounter, 1);
  ExpectSameVertices(Vertices(editor), before);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), 0);
}

TEST_F(AnimationCommandsTest, PausedRunWaitsAndEscapeThenEndsItWithThePauseUp) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Elem_0]\nPosY=0, 1; dPosY=0.1\n");
  const std::vector<DPOINT3> before = Vertices(editor);
  // The pause is chosen during the first step; Escape comes while the run waits.
  editor.PostMessage(WM_COMMAND, CM_PAUSE_ANIMATION);
  bool pausedWhenEscaped = false;
  QTimer::singleShot(100, [&]() {
    pausedWhenEscaped = editor.EditTools().ButtonDown(CM_PAUSE_ANIMATION) &&
                        editor.System().options.lensAnimationRunning == 1;
    test_kit::PostKey(*editor.Canvas(), VK_ESCAPE);
  });
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  EXPECT_TRUE(pausedWhenEscaped);
  // One step made; the second count waited in the pause and went no further.
  EXPECT_EQ(editor.Animations().Animation().stepCounter, 2);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_PAUSE_ANIMATION));
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));
  ExpectSameVertices(Vertices(editor), before);
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), 0);
}

// A paused run stopped by its own command lets the Pause up, so the next run moves.
TEST_F(AnimationCommandsTest, APausedRunStoppedByItsCommandLetsThePauseUp) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=1;\n[Beam]\nBeam=0, 10; NStep=20\n[Elem_0]\nPosY=0, 1; dPosY=0.1\n");
  for (UINT command : {CM_BEAM_ANIMATION, CM_LENS_ANIMATION}) {
    editor.PostMessage(WM_COMMAND, CM_PAUSE_ANIMATION);
    bool pausedWhenStopped = false;
    QTimer::singleShot(100, [&]() {
      pausedWhenStopped = editor.EditTools().ButtonDown(CM_PAUSE_ANIMATION) && editor.EditTools().ButtonDown(command);
      editor.PostMessage(WM_COMMAND, command);
    });
    editor.SendMessage(WM_COMMAND, command);
    EXPECT_TRUE(pausedWhenStopped) << command;
    EXPECT_FALSE(editor.EditTools().ButtonDown(command)) << command;
    EXPECT_FALSE(editor.EditTools().ButtonDown(CM_PAUSE_ANIMATION)) << command;
    EXPECT_EQ(ProgramMessageQueue().BusyCount(), 0);
  }
}

// A beam run ended by Escape while paused gives back the three fields it replaced by one.
TEST_F(AnimationCommandsTest, PausedBeamRunEndedByEscapeGivesTheFieldsBack) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=1;\n\n[Beam]\nBeam=0, 10; NStep=20\n");
  editor.PostMessage(WM_COMMAND, CM_PAUSE_ANIMATION);
  bool pausedWhenEscaped = false;
  QTimer::singleShot(100, [&]() {
    pausedWhenEscaped = editor.EditTools().ButtonDown(CM_PAUSE_ANIMATION) &&
                        editor.System().info.AlfaM.cols * editor.System().info.AlfaM.rows == 1;
    test_kit::PostKey(*editor.Canvas(), VK_ESCAPE);
  });
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  EXPECT_TRUE(pausedWhenEscaped);
  const Mem<double> &beams = editor.System().info.AlfaM;
  ASSERT_EQ(beams.cols * beams.rows, 3);
  EXPECT_EQ(beams.data[0], 0.0);
  EXPECT_EQ(beams.data[1], 14.0);
  EXPECT_EQ(beams.data[2], 20.0);
  EXPECT_EQ(editor.System().options.beamAnimationRunning, 0);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_BEAM_ANIMATION));
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), 0);
}

// While a lens or beam run moves or waits in its pause, the commands that edit the system
// or write, replace or reload it are refused with a word, however they come; the run's end
// gives back the system, its file and its modified flag as the run found them.
TEST_F(AnimationCommandsTest, EditingAndFileCommandsWaitForTheRunsEnd) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=1;\n[Beam]\nNray=3\nBeam=0, 10; NStep=20\n[Elem_1]\nPosZ=1, 2; dPosZ=0.5\n");
  const std::string onDisk = ReadText(triplet_);
  const std::vector<DPOINT3> before = Vertices(editor);
  const int elements = editor.System().ElementCount();
  const UINT commands[] = {CM_SAVE_SYSTEM,  CM_SAVE_SYSTEM_AS,    CM_DELETE,      CM_CUT,        CM_UNDO,
                           CM_NEW_SYSTEM,   CM_OPEN_SYSTEM,       CM_OPEN_RECENT_FIRST, CM_OPEN_RECENT_FIRST + 2,
                           CM_OPEN_RECENT_LAST, CM_TURN_SYSTEM, CM_ADD_CONFIGURATION, CM_NEW_ELEMENT};
  // Windows opened before the run write the system without a command of the main window.
  editor.SendMessage(WM_COMMAND, CM_GENERAL_PARAMETERS);
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  editor.SendMessage(WM_COMMAND, CM_TILT);
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_TRUE(editor.Launchers().PsfWindow() != nullptr);
  ASSERT_TRUE(GeneralInfoWindow() != nullptr && PropertiesFolder() != nullptr &&
              editor.EditTools().inclinationTable != nullptr);
  PropertiesFolder()->SendMessage(WM_COMMAND, kOptimizationButtonId);
  auto panelButton = [](int id) { return [id] { PropertiesFolder()->SendMessage(WM_COMMAND, id); }; };
  // Every button of the PSF window that stores the typed Discrete, with PSF and with MTF chosen.
  auto psfButton = [&editor](int id, bool mtf = false) {
    return [&editor, id, mtf] {
      editor.Launchers().PsfWindow()->Page()->CheckDlgButton(kPsfRadioMtf, mtf ? BST_CHECKED : BST_UNCHECKED);
      editor.Launchers().PsfWindow()->Page()->SendMessage(WM_COMMAND, id, 0);
    };
  };
  const std::function<void()> windowEdits[] = {
      panelButton(kPanelVariablesId), panelButton(kPanelFunctionsId), panelButton(kPanelOptimizeId),
      [] { PropertiesFolder()->SurfacesPage()->Table()->cellEdited(kThicknessColumn, 4, "9"); },
      [] { GeneralInfoWindow()->Table()->cellEdited(0, 9, "60"); },
      [&editor] {
        editor.Launchers().PsfWindow()->Page()->SetDlgItemText(kPsfDiscreteEdit, "0.002");
        editor.Launchers().PsfWindow()->Page()->SendMessage(WM_COMMAND, kPsfApplyButton, 0);
      },
      psfButton(kPsfColorMapButton), psfButton(kPsf3DPlotButton), psfButton(CM_PSF_VIEW_AS_GRAPH),
      psfButton(CM_PSF_VIEW_AS_TEXT, true), psfButton(kPsfColorMapButton, true),
      [&editor] {
        TQuickInclinationTableDlg &tilt = *editor.EditTools().inclinationTable;
        tilt.SetDlgItemText(TQuickInclinationTableDlg::kAngle, "5");
        tilt.SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
      }};
  struct Row {
    UINT run;
    bool paused;
    int modified;
  };
  for (const Row row : {Row{CM_LENS_ANIMATION, false, 0}, Row{CM_LENS_ANIMATION, true, 1},
                        Row{CM_BEAM_ANIMATION, false, 1}, Row{CM_BEAM_ANIMATION, true, 0}}) {
    answers_->boxes.clear();
    editor.System().SetUnsavedChanges(row.modified);
    editor.System().elements.data[2].mark = 1;
    editor.System().hasSelection = 1;
    if (row.paused) editor.PostMessage(WM_COMMAND, CM_PAUSE_ANIMATION);
    // Once the run has made a step (and waits in its pause when paused).
    bool stepped = false;
    std::function<void(int)> act = [&](int tries) {
      QTimer::singleShot(1, [&, tries]() {
        const Mem<double> &beams = editor.System().info.AlfaM;
        stepped = editor.EditTools().ButtonDown(row.run) &&
                  (row.run == CM_LENS_ANIMATION ? Vertices(editor)[3].x != before[3].x : beams.cols * beams.rows == 1);
        if (!stepped && tries > 0) return act(tries - 1);
        for (UINT command : commands) editor.PostMessage(WM_COMMAND, command);
        for (const std::function<void()> &edit : windowEdits) edit();
        // The canvas's Delete key and the window's close take roads of their own.
        test_kit::PostKey(*editor.Canvas(), VK_DELETE);
        editor.PostMessage(WM_CLOSE);
        editor.PostMessage(WM_COMMAND, row.run);
      });
    };
    act(5000);
    editor.SendMessage(WM_COMMAND, row.run);
    EXPECT_TRUE(stepped) << row.run << row.paused;
    ASSERT_EQ(answers_->boxes.size(), std::size(commands) + std::size(windowEdits) + 2) << row.run << row.paused;
    for (const TRecordedMessageBox &box : answers_->boxes) EXPECT_EQ(box.text, "You should complete animated process!");
    EXPECT_EQ(editor.System().ElementCount(), elements);
    EXPECT_EQ(editor.System().info.Temperature, 20.0);
    ExpectSameVertices(Vertices(editor), before);
    EXPECT_EQ(editor.System().info.AlfaM.cols * editor.System().info.AlfaM.rows, 3);
    EXPECT_EQ(editor.System().HasUnsavedChanges(), row.modified) << row.run << row.paused;
    EXPECT_EQ(ReadText(triplet_), onDisk);
    EXPECT_NE(editor.GetHandle(), nullptr);
  }
}

TEST_F(AnimationCommandsTest, RunWithoutAnUndoStepOfItsOwnIsRefusedSoNoEditIsTakenBack) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=0;\n[Elem_0]\nPosY=0, 1; dPosY=0.5\n");
  const std::vector<DPOINT3> before = Vertices(editor);
  const int undoIndex = editor.System().options.undoIndex;
  // The snapshots cannot be written: ending the run by an undo step would load the one
  // before the user's last edit.
  SetTempDir(Scratch("no such directory"));
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  ASSERT_EQ(answers_->boxes.size(), 2u);
  for (const TRecordedMessageBox &box : answers_->boxes)
    EXPECT_NE(box.text.find("could not be kept for its undo"), std::string::npos) << box.text;
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);
  ExpectSameVertices(Vertices(editor), before);
  EXPECT_EQ(editor.System().info.AlfaM.cols, 3);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_BEAM_ANIMATION));
  EXPECT_EQ(editor.System().options.lensAnimationRunning + editor.System().options.beamAnimationRunning, 0);
}

TEST_F(AnimationCommandsTest, BeamRunSweepsTheBeamAndGivesEveryFieldBackAfterACycle) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(),
            "[Common]\nContinuous=0;\n\n[Beam]\nNray=3\nBeam=0, 10; NStep=20\n\n[Elem_0]\nPosZ=0, 1\n");
  const int rays = editor.System().beams.raysPerBeam;
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  // Forty steps: 0, 0.5 ... 10 ... 0.5; a completed cycle gives back every field it
  // changed, exactly.
  EXPECT_EQ(editor.Animations().Animation().stepCounter, 41);
  const Mem<double> &beams = editor.System().info.AlfaM;
  ASSERT_EQ(beams.cols * beams.rows, 3);
  EXPECT_EQ(beams.data[0], 0.0);
  EXPECT_EQ(beams.data[1], 14.0);
  EXPECT_EQ(beams.data[2], 20.0);
  EXPECT_EQ(editor.System().beams.raysPerBeam, rays);
  EXPECT_EQ(editor.System().options.beamAnimationRunning, 0);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_BEAM_ANIMATION));
  EXPECT_EQ(ReadText(AnimationPath()),
            "[Common]\nContinuous=0;\n\n[Beam]\nNray=3\nBeam=0, 10; NStep=20\n\n[Elem_0]\nPosZ=0, 1\n");
  // A later Save writes the triplet's own fields, not an animated one.
  const std::string saved = Scratch("Systems/Saved.os");
  ASSERT_EQ(editor.System().Save(saved), 1);
  TSystemImage written;
  ASSERT_EQ(written.Load(saved, 2), 1);
  ASSERT_EQ(written.info.AlfaM.cols * written.info.AlfaM.rows, 3);
  EXPECT_EQ(written.info.AlfaM.data[2], 20.0);
}

TEST_F(AnimationCommandsTest, BeamRunStoppedByTheCommandIsUndoneAndItsRangeIsFiled) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Beam]\nBeam=5, 1;\n[Common]\nContinuous=1;\n");
  editor.PostMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  const Mem<double> &beams = editor.System().info.AlfaM;
  ASSERT_EQ(beams.cols * beams.rows, 3);
  EXPECT_EQ(beams.data[2], 20.0);
  EXPECT_EQ(editor.System().options.beamAnimationRunning, 0);
  // The swapped range and the default steps and rays went into the file.
  const std::string text = ReadText(AnimationPath());
  EXPECT_NE(text.find("[Beam]\nNray=" + std::to_string(editor.System().beams.raysPerBeam) +
                      "\nBeam=1, 5; NStep=20\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("[Common]\nContinuous=1;"), std::string::npos) << text;
}

// Nothing of an unnamed system is written beside the program: its animation file, made
// by Edit Animation and read by the runs and the scanner, lives in the private temporary
// directory.
TEST_F(AnimationCommandsTest, AnUnnamedSystemsAnimationFileIsKeptInThePrivateTemporaryDirectory) {
  TOpticalEditor &editor = Open("");
  const std::string path = editor.Animations().AnimationFilePath();
  EXPECT_EQ(path, TempPath("untitled.anm"));
  bool seen = false;
  CloseEditorWhenShown(editor, seen);
  editor.SendMessage(WM_COMMAND, CM_EDIT_ANIMATION);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(JoinPath(ProgramDir(), "untitled.anm")));
  // New ends that system: the next one finds none of its sections.
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  EXPECT_FALSE(std::filesystem::exists(path));
  // Saved under a name (Save As, or the Save that asks for one), the unnamed system takes its
  // animation and parameter files along; one already beside that name is kept and the
  // unnamed one stays, as after a move that fails (a full disk): both are told.
  const std::string edited = "[Elem_0]\nPosZ=0, 1; dPosZ=0.5\n";
  TSmallDisk disk;
  const struct { UINT command; const char *name; const char *already; const char *extension; bool full; } rows[] = {
      {CM_SAVE_SYSTEM_AS, "AsNamed", nullptr, ".anm", false}, {CM_SAVE_SYSTEM, "Named", nullptr, ".par", false},
      {CM_SAVE_SYSTEM_AS, "Had", "[Common]\n", ".anm", false}, {CM_SAVE_SYSTEM_AS, "HadPar", "[Common]\n", ".par", false},
      {CM_SAVE_SYSTEM_AS, "Full", nullptr, ".anm", true}};
  TScriptedFileDialog files;
  for (const auto &row : rows) {
    if (row.full && !disk.Active()) continue;
    TOpticalEditor &unnamed = Open(triplet_);
    unnamed.System().name.clear();
    const std::string own = TempPath(std::string("untitled") + row.extension);
    // Larger than the small disk holds: the system file fits there, its animation does not.
    WriteText(own, row.full ? edited + std::string(64 * 1024, ';') : edited);
    const std::string place = row.full ? disk.PathOf("") : Scratch("Systems/");
    const std::string beside = place + row.name + row.extension;
    if (row.already != nullptr) WriteText(beside, row.already);
    files.Choose({place + row.name + ".os"});
    answers_->boxes.clear();
    unnamed.SendMessage(WM_COMMAND, row.command);
    const bool stays = row.already != nullptr || row.full;
    const std::string expected = row.already != nullptr ? row.already : row.full ? "" : edited;
    EXPECT_EQ(std::filesystem::exists(beside) ? ReadText(beside) : "", expected) << row.name;
    // What did not move takes a free name that neither New nor the next start removes.
    const std::string kept = (row.full ? TempPath(row.name) : place + row.name) + " (2)" + row.extension;
    EXPECT_FALSE(std::filesystem::exists(own)) << row.name;
    const bool told = !answers_->boxes.empty() && answers_->boxes.back().text.find(kept) != std::string::npos &&
                      answers_->boxes.back().text.find(row.full ? "no space left" : "already exists: it is kept") != std::string::npos;
    EXPECT_EQ(told, stays) << row.name;
    unnamed.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
    EXPECT_EQ(std::filesystem::exists(kept) ? ReadText(kept).substr(0, edited.size()) : "", stays ? edited : "") << row.name;
  }
}

TEST_F(AnimationCommandsTest, MissingFileIsOfferedAndMadeFromTheTemplate) {
  TOpticalEditor &editor = Open(triplet_);
  answers_->QueueAnswer(IDNO);
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "File \"" + AnimationPath() + "\" not exist!\nCreate it?");
  EXPECT_EQ(answers_->boxes[0].caption, "Warning");
  EXPECT_FALSE(std::filesystem::exists(AnimationPath()));
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));

  // Yes: the template is written and edited; the beam animation restarts from it and is
  // stopped by the command, and the system comes back as it was.
  answers_->QueueAnswer(IDYES);
  bool seen = false;
  CloseEditorWhenShown(editor, seen, [&editor]() { StopBeamWhenRunning(editor, 5000); });
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  EXPECT_TRUE(seen);
  const std::string text = ReadText(AnimationPath());
  EXPECT_NE(text.find("[Beam]\nNray=" + std::to_string(editor.System().beams.raysPerBeam) + "\nBeam=0, 20; NStep=20\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("[Elem_??]\n"), std::string::npos) << text;
  const Mem<double> &beams = editor.System().info.AlfaM;
  EXPECT_EQ(beams.cols * beams.rows, 3);
  EXPECT_EQ(editor.System().options.beamAnimationRunning, 0);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_BEAM_ANIMATION));
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), 0);
}

TEST_F(AnimationCommandsTest, AfterYesTheFirstCommandPlaysAndOneMoreStopsIt) {
  TOpticalEditor &editor = Open(triplet_);
  // Yes, the editor closed: the beam sweeps at once with its button down, and the next
  // command stops it, every field back.
  answers_->QueueAnswer(IDYES);
  bool seen = false;
  std::vector<double> swept;
  std::function<void(int)> watch = [&](int tries) {
    QTimer::singleShot(1, [&, tries]() {
      TSystemImage &system = editor.System();
      if (system.options.beamAnimationRunning != 0 && system.info.AlfaM.cols * system.info.AlfaM.rows == 1 &&
          editor.EditTools().ButtonDown(CM_BEAM_ANIMATION))
        swept.push_back(system.info.AlfaM.data[0]);
      if (swept.size() >= 3)
        editor.PostMessage(WM_COMMAND, CM_BEAM_ANIMATION);
      else if (tries > 0)
        watch(tries - 1);
    });
  };
  CloseEditorWhenShown(editor, seen, [&]() { watch(5000); });
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  ASSERT_TRUE(seen);
  ASSERT_GE(swept.size(), 3u);
  EXPECT_NE(swept.front(), swept.back());
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_BEAM_ANIMATION));
  EXPECT_EQ(editor.System().options.beamAnimationRunning, 0);
  EXPECT_EQ(editor.System().info.AlfaM.cols * editor.System().info.AlfaM.rows, 3);
  // The command after that starts a run again, without asking.
  const std::size_t asked = answers_->boxes.size();
  swept.clear();
  watch(5000);
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  EXPECT_GE(swept.size(), 3u);
  EXPECT_EQ(answers_->boxes.size(), asked);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_BEAM_ANIMATION));
  EXPECT_EQ(ProgramMessageQueue().BusyCount(), 0);
}

TEST_F(AnimationCommandsTest, ARunShowsTheToolsPaletteWithItsPauseButton) {
  TOpticalEditor &editor = Open(triplet_);
  WriteText(AnimationPath(), "[Common]\nContinuous=0;\n\n[Beam]\nBeam=0, 10; NStep=2\n");
  TToolBarWnd *palette = editor.EditTools().PaletteOf(CM_PAUSE_ANIMATION);
  ASSERT_NE(palette, nullptr);
  // The user closed the palette.
  editor.SendMessage(WM_COMMAND, CM_TOOLS_PALETTE);
  ASSERT_FALSE(palette->IsWindowVisible());
  bool shownWhileRunning = false;
  QTimer::singleShot(0, [&]() {
    shownWhileRunning = editor.System().options.beamAnimationRunning != 0 && palette->IsWindowVisible();
  });
  editor.SendMessage(WM_COMMAND, CM_BEAM_ANIMATION);
  EXPECT_EQ(editor.Animations().Animation().stepCounter, 5);
  EXPECT_TRUE(shownWhileRunning);
  EXPECT_TRUE(palette->IsWindowVisible());
  EXPECT_TRUE(Checked(CM_TOOLS_PALETTE));
  // A palette already shown stays shown: the run does not toggle it away.
  WriteText(AnimationPath(), "[Common]\nContinuous=0;\n\n[Elem_0]\nPosZ=0, 1; dPosZ=0.5\n");
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  EXPECT_TRUE(palette->IsWindowVisible());
  EXPECT_TRUE(Checked(CM_TOOLS_PALETTE));
}

TEST_F(AnimationCommandsTest, TemplateAloneAnimatesNoElementAndADamagedFileIsRefused) {
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_TRUE(WriteAnimationTemplate(AnimationPath(), 5, editor.System().info.AlfaM).Written());
  bool seen = false;
  CloseEditorWhenShown(editor, seen);
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  EXPECT_TRUE(seen);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "Animation element not exist");
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));
  EXPECT_EQ(editor.System().options.lensAnimationRunning, 0);

  const int undoIndex = editor.System().options.undoIndex;
  WriteText(AnimationPath(), std::string("[Elem_0]\nPosZ=0,\0 1\n", 20));
  editor.SendMessage(WM_COMMAND, CM_LENS_ANIMATION);
  ASSERT_EQ(answers_->boxes.size(), 2u);
  EXPECT_NE(answers_->boxes[1].text.find("cannot be used"), std::string::npos) << answers_->boxes[1].text;
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_LENS_ANIMATION));
}

}  // namespace
