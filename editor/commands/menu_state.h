#pragma once
// The editor's menu state without a window: which commands are enabled (one flag per
// command that has an enabler), which items are checked, the texts of Undo and Redo, the
// states of the palettes' buttons, and the frame's caption, all computed from what the
// editor knows of its system. The main window applies the result to its menu bar and
// palettes; the rules live here once.

#include <map>
#include <string>
#include <vector>

#include "editor/commands/editor_commands.h"

// What the menu rules read.
struct TEditorStateView {
  int surfaceCount = 0;
  bool lastOpenSucceeded = true;    // false after an Open whose load failed
  bool turned = false;
  bool beamAnimationRunning = false;
  bool lensAnimationRunning = false;
  bool pipesEnabled = false;
  bool selectMode = false;          // the canvas's rubber-band selection is on
  int configurationCount = 1;
  int currentConfiguration = 0;     // 0-based
  bool hasSelection = false;
  bool clipboardHoldsSystem = false;
  bool viewPropertiesOfSelected = false;
  bool propertiesFolderOpen = false;
  bool viewerOpen = false;
  bool psfButtonPressed = false;    // the PSF and MTF window is open
  bool synthesisButtonPressed = false;
  bool configurationPaletteExists = true;
  // The undo ring: its size N, index i, redo bound b and labels (N of them).
  int undoSize = 10;
  int undoIndex = 0;
  int redoBound = 0;
  std::vector<std::string> undoLabels;
};

// One palette button: greyed or not, pressed or not.
struct TButtonState {
  bool enabled = true;
  bool pressed = false;
};

class TEditorMenuState {
 public:
  // Every flag 1 but the vendor catalog's, which is never enabled.
  TEditorMenuState();

  // Recomputes from the state; flags the rules do not touch in that state keep their values.
  void Update(const TEditorStateView &view);

  // 1 when the command's item is enabled; commands without an enabler always are.
  int Flag(int command) const;
  bool Checked(int command) const;
  const std::string &UndoText() const { return undoText_; }
  const std::string &RedoText() const { return redoText_; }
  TButtonState Button(int command) const;
  // Set when the configurations palette is to be shown in its single-configuration form.
  bool ConfigurationPaletteReduced() const { return configurationPaletteReduced_; }

 private:
  void SetFlag(int command, int value);
  void SetButton(int command, bool enabled);
  void Press(int command, bool pressed);

  std::map<int, int> flags_;
  std::map<int, bool> checks_;
  std::map<int, TButtonState> buttons_;
  std::string undoText_ = "Can't Undo";
  std::string redoText_ = "Can't Redo";
  bool configurationPaletteReduced_ = false;
};

// "Korvex - <name>[, Configuration: c/n]<scale text>[, Turned]"; the name keeps its case.
std::string EditorCaption(const std::string &systemName, int configurationCount,
                          int currentConfiguration, const std::string &scaleText, bool turned);
