#pragma once
// The 3-D viewer's command ids: the buttons of its control bar and of its two palettes.
// Every button's picture is the bitmap resource with its id, drawn in code, and its hint
// the string resource with its id.

enum TViewerCommand : int {
  CM_FAST_DRAFT_QUALITY = 800,
  CM_DRAFT_QUALITY = 801,
  CM_FINE_QUALITY = 802,
  CM_ROTATE_X_PLUS = 803,
  CM_ROTATE_X_MINUS = 804,
  CM_ROTATE_Y_PLUS = 805,
  CM_ROTATE_Y_MINUS = 806,
  CM_ROTATE_Z_PLUS = 807,
  CM_ROTATE_Z_MINUS = 808,
  CM_MOVE_X_PLUS = 809,
  CM_MOVE_X_MINUS = 810,
  CM_MOVE_Y_PLUS = 811,
  CM_MOVE_Y_MINUS = 812,
  CM_MOVE_Z_PLUS = 813,
  CM_MOVE_Z_MINUS = 814,
  CM_ZOOM_IN = 815,
  CM_ZOOM_OUT_VIEW = 816,
  CM_ACTUAL_VIEW = 817,
  CM_ROTATE_TOOLS = 820,
  CM_MOVE_TOOLS = 821,
  CM_SHOW_AXES = 822,
  CM_SHOW_RAYS = 823,
  CM_FIT_ELEMENTS = 824,
  CM_FIT_ELEMENTS_AND_RAYS = 825,
  CM_SECTIONS = 826,
  CM_STEREO = 827,
  CM_SWAP_EYES = 828,
  CM_CREATE_ANIMATION = 829,
  CM_PLAY_ANIMATION = 830,
};

// Registers the buttons' pictures and hint texts (once).
void RegisterViewerResources();
