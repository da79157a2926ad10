#pragma once
// TToolSelection: the main window's tool record: the three palette windows (null until
// shown), the command id of the active mouse tool (0: none), its flags and the canvas's
// mouse mode, which the canvas reads on every mouse press.

class TEditGraph;
class TWindow;

// The canvas's mouse modes.
constexpr int kPanMouseMode = 0;      // a drag moves the view
constexpr int kSelectMouseMode = 32;  // a dragged band marks the elements it meets
constexpr int kMoveMouseMode = 64;    // a drag moves the marked elements
constexpr int kZoomMouseMode = 256;   // a dragged band becomes the view window

// The tools that place a new element or surface where the user presses.
constexpr int kNewElementTool = 10115;
constexpr int kNewSingleSurfaceTool = 10120;
constexpr int kSelectTool = 10030;

// What the record needs of the tools palette: one of its buttons let up.
class TToolButtons {
 public:
  virtual ~TToolButtons() = default;
  virtual void ReleaseButton(int commandId) = 0;
};

class TToolSelection {
 public:
  // No tool, no flags, mouse mode 0 (the palettes stay).
  void Clear();
  // Makes newTool the current tool. When another tool was active, its button and the
  // button of keep are released, unless the old tool is keep itself; when the old tool was
  // Select and keep is not Select, the canvas (may be null) leaves its band and is redrawn,
  // and the mouse mode becomes 0.
  void SetTool(TEditGraph *canvas, int newTool, int keep);

  TToolButtons *toolsBox = nullptr;
  TWindow *alignmentBox = nullptr;
  TWindow *configBox = nullptr;
  int tool = 0;
  int flags = 0;
  int mouseMode = kPanMouseMode;
};
