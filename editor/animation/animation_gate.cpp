#include "editor/animation/animation_gate.h"

#include <algorithm>
#include <iterator>

#include "document/system/options_image.h"
#include "editor/commands/editor_commands.h"
#include "platform/core/message_box.h"

namespace {

// File commands, editing, insertion, alignment, configurations, the system's own
// dialogs and the commands that turn or refocus it. Analyses, views, zoom and the step
// movie only look at the system and go on with the run.
constexpr int kWaitingCommands[] = {
    CM_NEW_SYSTEM,           CM_OPEN_SYSTEM,          CM_SAVE_SYSTEM,
    CM_SAVE_SYSTEM_AS,       CM_UNDO,                 CM_REDO,
    CM_DELETE,               CM_CUT,                  CM_PASTE,
    CM_NEW_SINGLE_SURFACE,   CM_NEW_ELEMENT,          CM_COMPONENT_LIBRARY,
    CM_ALIGNMENT,            CM_DECENTER,             CM_TILT,
    CM_SCALE_SYSTEM,         CM_INSERT_CONFIGURATION, CM_ADD_CONFIGURATION,
    CM_DELETE_CONFIGURATION, CM_BASE_CONFIGURATION,   CM_NEXT_CONFIGURATION,
    CM_PREV_CONFIGURATION,   CM_TURN_SYSTEM,          CM_BEST_IMAGE_PLANE,
    CM_PROPERTIES_OF_SELECTED, CM_EDIT_AS_TABLE,      CM_GENERAL_PARAMETERS,
    CM_THERMO,               CM_SETTINGS};

}  // namespace

bool CommandWaitsForAnimation(int command) {
  if (command >= CM_OPEN_RECENT_FIRST && command <= CM_OPEN_RECENT_LAST) return true;
  return std::find(std::begin(kWaitingCommands), std::end(kWaitingCommands), command) !=
         std::end(kWaitingCommands);
}

bool RefuseDuringAnimation(HWND owner, const TOptionsImage &options) {
  if (!AnimationRuns(options)) return false;
  MessageBox(owner, kCompleteAnimationText, "Warning", MB_OK | MB_ICONINFORMATION);
  return true;
}

bool RefuseCommandDuringAnimation(HWND owner, const TOptionsImage &options, int command) {
  return CommandWaitsForAnimation(command) && RefuseDuringAnimation(owner, options);
}
