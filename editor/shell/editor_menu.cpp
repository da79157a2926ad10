#include "editor/shell/editor_menu.h"

#include <iterator>

#include "editor/commands/editor_commands.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/menus/menu.h"

namespace {

const TMenuTemplateItem kEditorMenu[] = {
    {"&File", 0, MF_POPUP},
    {"&New system", CM_NEW_SYSTEM, 0},
    {"&Open system", CM_OPEN_SYSTEM, 0},
    {"&Save system", CM_SAVE_SYSTEM, 0},
    {"Save system &as...", CM_SAVE_SYSTEM_AS, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Print", CM_PRINT, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Exit", CM_EXIT, 0},
    {nullptr, 0, MF_END},
    {"&Edit", 0, MF_POPUP},
    {"&UnDo (ctrl-Z)", CM_UNDO, MF_GRAYED},
    {"&ReDo (ctrl-Y)", CM_REDO, MF_GRAYED},
    {nullptr, 0, MF_SEPARATOR},
    {"&Delete (Del)", CM_DELETE, 0},
    {"&Select", CM_SELECT, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Cut (Shift-Del)", CM_CUT, 0},
    {"C&opy (ctrl-Insert)", CM_COPY, 0},
    {"&Paste (shift-Insert)", CM_PASTE, 0},
    {nullptr, 0, MF_END},
    {"&Alignment", 0, MF_POPUP},
    {"&Alignment surfaces", CM_ALIGNMENT, 0},
    {"&Decenter surfaces", CM_DECENTER, 0},
    {"&Tilt surfaces", CM_TILT, 0},
    {nullptr, 0, MF_END},
    {"&Resource", 0, MF_POPUP},
    {"New &Single Surface", CM_NEW_SINGLE_SURFACE, 0},
    {"New &Element", CM_NEW_ELEMENT, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"Edit as &table", CM_EDIT_AS_TABLE, 0},
    {"&Custom component library", CM_COMPONENT_LIBRARY, 0},
    {"&Vendor catalog", CM_VENDOR_CATALOG, MF_GRAYED},
    {nullptr, 0, MF_SEPARATOR},
    {"&Insert new configuration", CM_INSERT_CONFIGURATION, 0},
    {"&Add new configuration", CM_ADD_CONFIGURATION, 0},
    {"&Delete configuration", CM_DELETE_CONFIGURATION, 0},
    {nullptr, 0, MF_END},
    {"&Tools", 0, MF_POPUP},
    {"T&hermo", CM_THERMO, 0},
    {"&Aberrations", CM_ABERRATIONS, 0},
    {"&Spot-diagram", CM_SPOT_DIAGRAM, 0},
    {"&PSF and MTF", CM_PSF_MTF, 0},
    {"Plane of best &installation", CM_BEST_IMAGE_PLANE, 0},
    {"I&mage Synthesis", CM_IMAGE_SYNTHESIS, 0},
    {"&Narcissus analysis", CM_NARCISSUS, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Turn system", CM_TURN_SYSTEM, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"Animation of &Beams", CM_BEAM_ANIMATION, 0},
    {"Animation of &Lens", CM_LENS_ANIMATION, 0},
    {"&Edit Animation (ctrl-A)", CM_EDIT_ANIMATION, 0},
    {nullptr, 0, MF_END},
    {"Re&port", 0, MF_POPUP},
    {"&View report", CM_VIEW_REPORT, 0},
    {"Save &current step (ctrl-S)", CM_SAVE_CURRENT_STEP, 0},
    {"Save &each step", CM_SAVE_EACH_STEP, 0},
    {"C&ancel saving", CM_CANCEL_SAVING, 0},
    {nullptr, 0, MF_END},
    {"&View", 0, MF_POPUP},
    {"&Refresh (ctrl-R)", CM_REFRESH, 0},
    {"&Select Zoom", CM_SELECT_ZOOM, 0},
    {"&Zoom out (:2)", CM_ZOOM_OUT, 0},
    {"&Actual size", CM_ACTUAL_SIZE, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&General parameters of system", CM_GENERAL_PARAMETERS, 0},
    {"&Cardinal planes", CM_CARDINAL_PLANES, 0},
    {"R&eal beams", CM_REAL_BEAMS, 0},
    {"&3D Image", CM_3D_IMAGE, 0},
    {"&Properties of selected elements", CM_VIEW_PROPERTIES_OF_SELECTED, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Base Configuration", CM_BASE_CONFIGURATION, 0},
    {"&Next Configuration", CM_NEXT_CONFIGURATION, 0},
    {"Pre&vious Configuration", CM_PREV_CONFIGURATION, 0},
    {nullptr, 0, MF_SEPARATOR},
    {"&Tools palette", CM_TOOLS_PALETTE, 0},
    {"Zoo&m palette", CM_ZOOM_PALETTE, 0},
    {"C&onfigurations palette", CM_CONFIGURATIONS_PALETTE, 0},
    {nullptr, 0, MF_END},
    {"&Settings", CM_SETTINGS, 0},
    {"&Help", 0, MF_POPUP},
    {"&Contents", CM_HELP_CONTENTS, 0},
    {"&Examples", CM_EXAMPLES, 0},
    {"&About Korvex", CM_ABOUT, 0},
    {nullptr, 0, MF_END},
};

// ctrl+Z, ctrl+Y and ctrl+S as the characters they type; the others as keys. The editing
// keys act from the editor's own window (its canvas and palettes) only: pressed in a folder,
// a dialog or an analysis window they stay there and never edit the system behind it. Save
// current step edits nothing and acts from every window of the program where no field
// uses ctrl+S. Ctrl+R and ctrl+A (Edit animation) are the canvas's keys, not this table's.
constexpr WORD kVkDelete = 0x2E;
constexpr WORD kVkInsert = 0x2D;
const ACCEL kEditorAccelerators[] = {
    {FOWNWINDOW, 26, CM_UNDO},
    {FOWNWINDOW, 25, CM_REDO},
    {FVIRTKEY | FOWNWINDOW, kVkDelete, CM_DELETE},
    {FVIRTKEY | FSHIFT | FOWNWINDOW, kVkDelete, CM_CUT},
    {FVIRTKEY | FCONTROL | FOWNWINDOW, kVkInsert, CM_COPY},
    {FVIRTKEY | FSHIFT | FOWNWINDOW, kVkInsert, CM_PASTE},
    {0, 19, CM_SAVE_CURRENT_STEP},
};

struct THint {
  int id;
  const char *text;
};
const THint kHints[] = {
    {CM_EXIT, "Quit the application, prompting to save documents"},
    {CM_NEW_SYSTEM, "Create new optical system"},
    {CM_OPEN_SYSTEM, "Open optical system"},
    {CM_SAVE_SYSTEM, "Save optical system"},
    {CM_SAVE_SYSTEM_AS, "Save optical system in new file"},
    {CM_PRINT, "Print Optical System"},
    {CM_UNDO, "Undo change of optical system"},
    {CM_REDO, "Redo change of optical system"},
    {CM_DELETE, "Delete select components"},
    {CM_SELECT, "Select optical components"},
    {CM_CUT, "Cut select element"},
    {CM_PASTE, "Paste element from clipboard"},
    {CM_COPY, "Copy element to clipboard"},
    {CM_NEW_SINGLE_SURFACE, "Insert in optical system single surface"},
    {CM_NEW_ELEMENT, "Insert element in optical system"},
    {CM_EDIT_AS_TABLE, "Table editing of optical system"},
    {CM_COMPONENT_LIBRARY, "Custom component library"},
    {CM_ALIGNMENT, "Alignment select elements"},
    {CM_DECENTER, "Decenter select components"},
    {CM_TILT, "Tilt select components"},
    {CM_REFRESH, "Refresh image of optical system"},
    {CM_SELECT_ZOOM, "Zoom select elements"},
    {CM_ZOOM_OUT, "Zoom out (:2)"},
    {CM_SCALE_SYSTEM, "Set scale of image of optical system"},
    {CM_ACTUAL_SIZE, "Actual size of image of optical system"},
    {CM_THERMO, "Set temperature and pressure in optical system"},
    {CM_GENERAL_PARAMETERS, "View general parameters of optical system"},
    {CM_CARDINAL_PLANES, "Show cardinal planes of optical system"},
    {CM_REAL_BEAMS, "Trace real rays through optical system"},
    {CM_ABERRATIONS, "Show aberrations"},
    {CM_3D_IMAGE, "Show 3-D image of optical system"},
    {CM_VIEW_PROPERTIES_OF_SELECTED, "Show general parameters of selected elements"},
    {CM_BASE_CONFIGURATION, "Switching on a base configuration"},
    {CM_NEXT_CONFIGURATION, "Switching on a next configuration"},
    {CM_PREV_CONFIGURATION, "Switching on a previous configuration"},
    {CM_INSERT_CONFIGURATION, "Insert new configuration of optical system"},
    {CM_ADD_CONFIGURATION, "Add new configuration of optical system"},
    {CM_DELETE_CONFIGURATION, "Delete current configuration of optical system"},
    {CM_BEAM_ANIMATION, "Beam animation"},
    {CM_LENS_ANIMATION, "Lens animation"},
    {CM_PAUSE_ANIMATION, "Animation pause"},
    {CM_EDIT_ANIMATION, "Edit animation file"},
    {CM_SPOT_DIAGRAM, "Show spot diagram"},
    {CM_PSF_MTF, "Calculate and show PSF"},
    {CM_IMAGE_SYNTHESIS, "Calculate & show image synthesis result"},
    {CM_TURN_SYSTEM, "Turn of optical system"},
    {CM_TOOLS_PALETTE, "Show tools palette"},
    {CM_ZOOM_PALETTE, "Show zoom palette"},
    {CM_CONFIGURATIONS_PALETTE, "Show configuration palette"},
    {CM_PROPERTIES_OF_SELECTED, "Table editor of optical system"},
    {CM_SETTINGS, "Setting image parameters"},
};

}  // namespace

void RegisterEditorResources() {
  static const bool registered = [] {
    RegisterMenuResource("EditorMenu", kEditorMenu, static_cast<int>(std::size(kEditorMenu)));
    RegisterAcceleratorResource("EDITORMENU", kEditorAccelerators,
                                static_cast<int>(std::size(kEditorAccelerators)));
    for (const THint &hint : kHints) RegisterString(static_cast<UINT>(hint.id), hint.text);
    return true;
  }();
  (void)registered;
}
