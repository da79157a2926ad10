#pragma once
// The editor's command ids: menu items, accelerators, palette buttons and the canvas's
// pop-up menu all send these in WM_COMMAND.

enum TEditorCommand : int {
  CM_EXIT = 24310,
  CM_NEW_SYSTEM = 10045,
  CM_OPEN_SYSTEM = 10050,
  CM_SAVE_SYSTEM = 10065,
  CM_SAVE_SYSTEM_AS = 10060,
  CM_PRINT = 10055,
  CM_OPEN_RECENT_FIRST = 18000,  // 18000 .. 18004
  CM_OPEN_RECENT_LAST = 18004,
  CM_UNDO = 10035,
  CM_REDO = 10025,
  CM_DELETE = 10020,
  CM_SELECT = 10030,
  CM_CUT = 13036,
  CM_PASTE = 13056,
  CM_COPY = 13047,
  CM_NEW_SINGLE_SURFACE = 10120,
  CM_NEW_ELEMENT = 10115,
  CM_EDIT_AS_TABLE = 10105,
  CM_COMPONENT_LIBRARY = 13151,
  CM_NOTHING = 13152,
  CM_VENDOR_CATALOG = 101,
  CM_ALIGNMENT = 10005,
  CM_DECENTER = 10015,
  CM_TILT = 10010,
  CM_REFRESH = 10180,
  CM_SELECT_ZOOM = 10185,
  CM_ZOOM_OUT = 10190,
  CM_SCALE_SYSTEM = 13888,
  CM_ACTUAL_SIZE = 10160,
  CM_THERMO = 10172,
  CM_GENERAL_PARAMETERS = 10170,
  CM_CARDINAL_PLANES = 10165,
  CM_REAL_BEAMS = 10175,
  CM_ABERRATIONS = 10155,
  CM_3D_IMAGE = 10150,
  CM_VIEW_PROPERTIES_OF_SELECTED = 10177,
  CM_BASE_CONFIGURATION = 10102,
  CM_NEXT_CONFIGURATION = 10103,
  CM_PREV_CONFIGURATION = 10104,
  CM_INSERT_CONFIGURATION = 106,
  CM_ADD_CONFIGURATION = 107,
  CM_DELETE_CONFIGURATION = 108,
  CM_VIEW_REPORT = 12501,
  CM_SAVE_CURRENT_STEP = 12201,
  CM_SAVE_EACH_STEP = 12202,
  CM_CANCEL_SAVING = 12500,
  CM_BEAM_ANIMATION = 10017,
  CM_LENS_ANIMATION = 11002,
  CM_PAUSE_ANIMATION = 10016,
  CM_EDIT_ANIMATION = 10018,
  CM_SPOT_DIAGRAM = 10135,
  CM_PSF_MTF = 10130,
  CM_BEST_IMAGE_PLANE = 10140,
  CM_IMAGE_SYNTHESIS = 10145,
  CM_TURN_SYSTEM = 10142,
  CM_NARCISSUS = 10143,
  CM_TOOLS_PALETTE = 10095,
  CM_ZOOM_PALETTE = 10085,
  CM_CONFIGURATIONS_PALETTE = 10086,
  CM_PROPERTIES_OF_SELECTED = 10090,
  CM_SETTINGS = 10100,
  CM_HELP_CONTENTS = 10075,
  CM_EXAMPLES = 10076,
  CM_ABOUT = 10070,
};

// The commands that have an enabler, in the order of their flags (flag k belongs to entry
// k); the editor's other commands are always enabled.
constexpr int kEnabledCommands[] = {
    10045, 10050, 10065, 10060, 10055, 10035, 10025, 10030, 10020, 13036, 13047, 13056,
    10005, 10015, 10010, 10120, 10115, 106,   107,   108,   13151, 10105, 101,   10140,
    10142, 10135, 10155, 10130, 10145, 10017, 11002, 10018, 10143, 12501, 12201, 12202,
    12500, 10180, 10102, 10103, 10104, 10185, 10190, 10160, 10170, 10177, 10165, 10175,
    10150, 10095, 10085, 10086, 10100, 10075, 10076, 10070};
constexpr int kEnabledCommandCount = sizeof(kEnabledCommands) / sizeof(kEnabledCommands[0]);

// The buttons of the three palettes, in order.
constexpr int kToolsPaletteButtons[] = {10030, 10020, 10035, 10005, 10015, 10010,
                                        10090, 10120, 10115, 10175, 10155, 10135,
                                        10017, 11002, 10016, 10145, 10150, 10130};
constexpr int kZoomPaletteButtons[] = {13888, 10185, 10190, 10160};
constexpr int kConfigurationPaletteButtons[] = {10104, 10103, 106, 108};

// The views that show figures computed from the edited system, by the command that shows
// each: the general parameters, the beams drawn on the canvas, the spot diagram, the
// aberrations window and the printed listing. Each shows the system's own figures, or none
// ("-", no curve, no beam) while the system cannot be traced.
constexpr int kSystemFigureViews[] = {CM_GENERAL_PARAMETERS, CM_REAL_BEAMS, CM_SPOT_DIAGRAM, CM_ABERRATIONS,
                                      CM_PRINT};
