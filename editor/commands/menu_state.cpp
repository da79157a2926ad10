#include "editor/commands/menu_state.h"

#include <cstdio>

namespace {

constexpr int kEmptyStateFlags[] = {10055, 10025, 10030, 10020, 13036, 13047, 13056, 13151, 10005,
                                    10015, 10010, 10120, 10115, 10140, 10130, 10135, 10185, 10190,
                                    10160, 10165, 10155, 10175, 10150, 10170, 10177};
constexpr int kFullStateFlags[] = {10005, 10015, 10010, 10140, 10135, 10185, 10190,
                                   10160, 10165, 10155, 10175, 10150, 10170, 10177};

std::string Label(const std::vector<std::string> &labels, int k) {
  return k >= 0 && k < static_cast<int>(labels.size()) ? labels[k] : std::string();
}

}  // namespace

TEditorMenuState::TEditorMenuState() {
  for (int command : kEnabledCommands) flags_[command] = 1;
  flags_[CM_VENDOR_CATALOG] = 0;
  for (int command : kToolsPaletteButtons) buttons_[command] = TButtonState();
  for (int command : kZoomPaletteButtons) buttons_[command] = TButtonState();
  for (int command : kConfigurationPaletteButtons) buttons_[command] = TButtonState();
}

void TEditorMenuState::SetFlag(int command, int value) {
  if (command == CM_VENDOR_CATALOG) return;
  flags_[command] = value;
}

void TEditorMenuState::SetButton(int command, bool enabled) { buttons_[command].enabled = enabled; }

void TEditorMenuState::Press(int command, bool pressed) { buttons_[command].pressed = pressed; }

int TEditorMenuState::Flag(int command) const {
  const auto found = flags_.find(command);
  return found == flags_.end() ? 1 : found->second;
}

bool TEditorMenuState::Checked(int command) const {
  const auto found = checks_.find(command);
  return found != checks_.end() && found->second;
}

TButtonState TEditorMenuState::Button(int command) const {
  const auto found = buttons_.find(command);
  return found == buttons_.end() ? TButtonState() : found->second;
}

void TEditorMenuState::Update(const TEditorStateView &v) {
  checks_[CM_TURN_SYSTEM] = v.turned;
  if (v.surfaceCount == 0 || !v.lastOpenSucceeded) {
    for (int command : kToolsPaletteButtons) SetButton(command, false);
    if (v.lastOpenSucceeded) SetButton(CM_PROPERTIES_OF_SELECTED, true);
    for (int command : kConfigurationPaletteButtons) SetButton(command, false);
    for (int command : kEmptyStateFlags) SetFlag(command, 0);
  } else {
    for (int command : kToolsPaletteButtons) SetButton(command, true);
    // The two animations exclude each other.
    SetButton(CM_LENS_ANIMATION, !v.beamAnimationRunning);
    SetFlag(CM_LENS_ANIMATION, v.beamAnimationRunning ? 0 : 1);
    SetButton(CM_BEAM_ANIMATION, !v.lensAnimationRunning);
    SetFlag(CM_BEAM_ANIMATION, v.lensAnimationRunning ? 0 : 1);
    // Light pipes have no PSF and no synthesised image.
    SetButton(CM_PSF_MTF, !v.pipesEnabled);
    SetFlag(CM_PSF_MTF, v.pipesEnabled ? 0 : 1);
    SetButton(CM_IMAGE_SYNTHESIS, !v.pipesEnabled);
    SetFlag(CM_IMAGE_SYNTHESIS, v.pipesEnabled ? 0 : 1);
    for (int command : {CM_PRINT, CM_REDO, CM_SELECT, CM_COMPONENT_LIBRARY}) SetFlag(command, 1);
    const bool editable = v.selectMode && v.currentConfiguration == 0;
    for (int command : {CM_DELETE, CM_CUT, CM_COPY}) SetFlag(command, editable ? 1 : 0);
    SetButton(CM_DELETE, editable);
    const bool base = v.currentConfiguration == 0;
    for (int command : {CM_NEW_SINGLE_SURFACE, CM_NEW_ELEMENT}) {
      SetButton(command, base);
      SetFlag(command, base ? 1 : 0);
    }
    for (int command : kFullStateFlags) SetFlag(command, 1);
    checks_[CM_VIEW_PROPERTIES_OF_SELECTED] = v.viewPropertiesOfSelected;
  }
  Press(CM_PROPERTIES_OF_SELECTED, v.propertiesFolderOpen);
  checks_[CM_EDIT_AS_TABLE] = v.propertiesFolderOpen;
  if (!v.propertiesFolderOpen) checks_[CM_GENERAL_PARAMETERS] = false;
  Press(CM_3D_IMAGE, v.viewerOpen);
  checks_[CM_3D_IMAGE] = v.viewerOpen;
  for (int command : kZoomPaletteButtons) SetButton(command, v.surfaceCount >= 1);
  // The PSF window and image synthesis exclude each other.
  Press(CM_PSF_MTF, v.psfButtonPressed);
  Press(CM_IMAGE_SYNTHESIS, v.synthesisButtonPressed);
  if (v.psfButtonPressed) {
    SetButton(CM_IMAGE_SYNTHESIS, false);
    SetFlag(CM_IMAGE_SYNTHESIS, 0);
  }
  if (v.synthesisButtonPressed) {
    SetButton(CM_PSF_MTF, false);
    SetFlag(CM_PSF_MTF, 0);
  }
  configurationPaletteReduced_ = false;
  if (v.configurationPaletteExists) {
    const int n = v.configurationCount, c = v.currentConfiguration;
    if (n <= 1) {
      for (int command : kConfigurationPaletteButtons) SetButton(command, command == CM_INSERT_CONFIGURATION);
      configurationPaletteReduced_ = true;
      for (int command : {CM_BASE_CONFIGURATION, CM_NEXT_CONFIGURATION, CM_PREV_CONFIGURATION})
        SetFlag(command, 0);
      SetFlag(CM_INSERT_CONFIGURATION, 1);
      SetFlag(CM_ADD_CONFIGURATION, 1);
      SetFlag(CM_DELETE_CONFIGURATION, 0);
    } else {
      SetFlag(CM_BASE_CONFIGURATION, 1);
      SetButton(CM_PREV_CONFIGURATION, c > 0);
      SetFlag(CM_PREV_CONFIGURATION, c > 0 ? 1 : 0);
      SetButton(CM_NEXT_CONFIGURATION, c < n - 1);
      SetFlag(CM_NEXT_CONFIGURATION, c < n - 1 ? 1 : 0);
      SetButton(CM_DELETE_CONFIGURATION, c != 0);
      SetFlag(CM_DELETE_CONFIGURATION, c != 0 ? 1 : 0);
    }
  }
  // The undo ring: snapshot 0 is the opened system itself, so one step back needs i > 1.
  const int N = v.undoSize > 0 ? v.undoSize : 1;
  const int i = v.undoIndex, b = v.redoBound;
  if (i > 1 && i > b - N) {
    undoText_ = "Undo " + Label(v.undoLabels, i % N) + " (ctrl-Z)";
    SetFlag(CM_UNDO, 1);
  } else {
    undoText_ = "Can't Undo";
    SetFlag(CM_UNDO, 0);
  }
  if (i + 1 < b) {
    redoText_ = "Redo " + Label(v.undoLabels, (i + 1) % N) + " (ctrl-Y)";
    SetFlag(CM_REDO, 1);
  } else {
    redoText_ = "Can't Redo";
    SetFlag(CM_REDO, 0);
  }
  for (int command : {CM_SAVE_SYSTEM, CM_SAVE_SYSTEM_AS, CM_PRINT}) SetFlag(command, 1);
  for (int command : {CM_DELETE, CM_CUT, CM_COPY}) SetFlag(command, v.hasSelection ? 1 : 0);
  // A paste follows a surface the user clicks: a system without surfaces offers none; like
  // New Element it places in the base configuration only.
  SetFlag(CM_PASTE, v.clipboardHoldsSystem && v.surfaceCount > 0 && v.lastOpenSucceeded && v.currentConfiguration == 0 ? 1 : 0);
}

std::string EditorCaption(const std::string &systemName, int configurationCount,
                          int currentConfiguration, const std::string &scaleText, bool turned) {
  std::string caption = "Korvex - " + systemName;
  if (configurationCount > 1) {
    char text[64];
    std::snprintf(text, sizeof text, ", Configuration: %-d/%-d", currentConfiguration + 1,
                  configurationCount);
    caption += text;
  }
  caption += scaleText;
  if (turned) caption += ", Turned";
  return caption;
}
