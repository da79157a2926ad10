#include "editor/commands/menu_state.h"

#include <gtest/gtest.h>

namespace {

TEditorStateView Loaded() {
  TEditorStateView v;
  v.surfaceCount = 8;
  v.undoIndex = 1;
  v.redoBound = 2;
  v.undoLabels = std::vector<std::string>(10);
  return v;
}

TEST(MenuState, EmptySystemGreysEditingDrawingAndAnalyses) {
  TEditorMenuState state;
  TEditorStateView v;
  state.Update(v);
  for (int command : {CM_SELECT, CM_DELETE, CM_CUT, CM_COPY, CM_PASTE, CM_ABERRATIONS, CM_SPOT_DIAGRAM,
                      CM_PSF_MTF, CM_REAL_BEAMS, CM_3D_IMAGE, CM_ACTUAL_SIZE})
    EXPECT_EQ(state.Flag(command), 0) << command;
  for (int command : {CM_NEW_SYSTEM, CM_OPEN_SYSTEM, CM_SAVE_SYSTEM, CM_SAVE_SYSTEM_AS, CM_PRINT, CM_EXIT})
    EXPECT_EQ(state.Flag(command), 1) << command;
  EXPECT_FALSE(state.Button(CM_SELECT).enabled);
  EXPECT_TRUE(state.Button(CM_PROPERTIES_OF_SELECTED).enabled);
  EXPECT_FALSE(state.Button(CM_ZOOM_OUT).enabled);
  EXPECT_EQ(state.Flag(CM_VENDOR_CATALOG), 0);
}

TEST(MenuState, FailedOpenGreysDrawingUntilAnOpenSucceeds) {
  TEditorMenuState state;
  TEditorStateView v = Loaded();
  v.lastOpenSucceeded = false;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_ABERRATIONS), 0);
  EXPECT_FALSE(state.Button(CM_PROPERTIES_OF_SELECTED).enabled);
  v.lastOpenSucceeded = true;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_ABERRATIONS), 1);
  EXPECT_TRUE(state.Button(CM_ABERRATIONS).enabled);
}

TEST(MenuState, PipesAnimationsAndPsfExcludeWhatTheyMust) {
  TEditorMenuState state;
  TEditorStateView v = Loaded();
  v.pipesEnabled = true;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_PSF_MTF), 0);
  EXPECT_EQ(state.Flag(CM_IMAGE_SYNTHESIS), 0);
  v.pipesEnabled = false;
  v.beamAnimationRunning = true;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_LENS_ANIMATION), 0);
  EXPECT_EQ(state.Flag(CM_BEAM_ANIMATION), 1);
  v.beamAnimationRunning = false;
  v.lensAnimationRunning = true;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_BEAM_ANIMATION), 0);
  v.lensAnimationRunning = false;
  v.psfButtonPressed = true;
  state.Update(v);
  EXPECT_TRUE(state.Button(CM_PSF_MTF).pressed);
  EXPECT_FALSE(state.Button(CM_IMAGE_SYNTHESIS).enabled);
  EXPECT_EQ(state.Flag(CM_IMAGE_SYNTHESIS), 0);
}

TEST(MenuState, UndoAndRedoTextsFollowTheRing) {
  TEditorMenuState state;
  TEditorStateView v = Loaded();
  state.Update(v);
  EXPECT_EQ(state.UndoText(), "Can't Undo");  // the first snapshot of a loaded system
  EXPECT_EQ(state.Flag(CM_UNDO), 0);
  // One edit: index 2, bound 3.
  v.undoIndex = 2;
  v.redoBound = 3;
  v.undoLabels[2] = "Delete element";
  state.Update(v);
  EXPECT_EQ(state.UndoText(), "Undo Delete element (ctrl-Z)");
  EXPECT_EQ(state.Flag(CM_UNDO), 1);
  EXPECT_EQ(state.RedoText(), "Can't Redo");
  // Undone: index 1, the bound stays.
  v.undoIndex = 1;
  state.Update(v);
  EXPECT_EQ(state.RedoText(), "Redo Delete element (ctrl-Y)");
  EXPECT_EQ(state.Flag(CM_REDO), 1);
  // The ring of 10 reaches back 9 steps: at index 15 with bound 16, index 6 is too far.
  v.undoIndex = 6;
  v.redoBound = 16;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_UNDO), 0);
  v.undoIndex = 7;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_UNDO), 1);
}

TEST(MenuState, ConfigurationItemsFollowTheCurrentOne) {
  TEditorMenuState state;
  TEditorStateView v = Loaded();
  v.configurationCount = 3;
  v.currentConfiguration = 1;
  state.Update(v);
  for (int command : {CM_PREV_CONFIGURATION, CM_NEXT_CONFIGURATION, CM_DELETE_CONFIGURATION})
    EXPECT_EQ(state.Flag(command), 1) << command;
  EXPECT_EQ(state.Flag(CM_NEW_ELEMENT), 0);  // elements are added in the base only
  v.currentConfiguration = 0;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_PREV_CONFIGURATION), 0);
  EXPECT_EQ(state.Flag(CM_DELETE_CONFIGURATION), 0);
  EXPECT_EQ(state.Flag(CM_NEXT_CONFIGURATION), 1);
  v.configurationCount = 1;
  state.Update(v);
  EXPECT_TRUE(state.ConfigurationPaletteReduced());
  EXPECT_TRUE(state.Button(CM_INSERT_CONFIGURATION).enabled);
  EXPECT_FALSE(state.Button(CM_NEXT_CONFIGURATION).enabled);
}

TEST(MenuState, SelectionAndClipboardDecideEditing) {
  TEditorMenuState state;
  TEditorStateView v = Loaded();
  v.selectMode = true;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_DELETE), 0);  // select mode without a selection
  EXPECT_TRUE(state.Button(CM_DELETE).enabled);
  v.hasSelection = true;
  v.clipboardHoldsSystem = true;
  state.Update(v);
  EXPECT_EQ(state.Flag(CM_DELETE), 1);
  EXPECT_EQ(state.Flag(CM_PASTE), 1);
}

TEST(MenuState, CaptionKeepsTheNameAndNamesConfigurationAndTurn) {
  EXPECT_EQ(EditorCaption("/home/u/Lenses/Cooke.os", 3, 1, " (1:2.5)", true),
            "Korvex - /home/u/Lenses/Cooke.os, Configuration: 2/3 (1:2.5), Turned");
  EXPECT_EQ(EditorCaption("/a/b.os", 1, 0, " (1:0.0050)", false), "Korvex - /a/b.os (1:0.0050)");
}

}  // namespace
