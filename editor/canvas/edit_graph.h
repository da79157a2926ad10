#pragma once
// TEditGraph: the editor's canvas. A selection graph that shows the edited system's view
// window and draws the system on its bitmap, and turns the mouse into the tools' work:
// pan the view, select or zoom with a band, move the selection, pick a placement; its keys
// and pop-up menu reach the editor's commands.

#include <functional>
#include <string>

#include "document/elements/edit_canvas.h"
#include "editor/canvas/tool_selection.h"
#include "toolkit/graph/g_graph.h"

class TSystemImage;

// What the quick position and inclination tables take from a drag on the canvas while they
// are open: the pending shift (mm) and the pending angle (degrees), and a selection made.
class TPendingMoveView {
 public:
  virtual ~TPendingMoveView() = default;
  virtual void SetPendingShift(double dx, double dy) = 0;
  virtual void SetPendingAngle(double degrees) = 0;
  virtual void SelectionChanged() {}
};

class TEditGraph : public TGGraph, public TEditCanvas {
 public:
  static constexpr int kWidth = 519;
  static constexpr int kHeight = 319;
  // The outline, fill and ray colours of the system's drawing.
  static constexpr COLORREF kOutlineColor = 0xFFFFFF;
  static constexpr COLORREF kFillColor = 0xFFFFFF;
  static constexpr COLORREF kRayColor = 0xFF0000;
  // The outline and fill of the selected elements, and the rays drawn beside them.
  static constexpr COLORREF kSelectedColor = 0x00FFFF;
  static constexpr COLORREF kSelectedRayColor = 0x800000;
  // The mouse mode of the rubber-band selection.
  static constexpr int kSelectMouseMode = ::kSelectMouseMode;

  TEditGraph(TWindow *parentWindow, COLORREF backColor);
  ~TEditGraph() override;

  // The system drawn (not owned; null: none).
  void SetSystem(TSystemImage *system) { system_ = system; }
  TSystemImage *System() const { return system_; }
  // The tool record read on every press (not owned; null: the canvas's own).
  void SetToolSelection(TToolSelection *tools) { tools_ = tools != nullptr ? tools : &ownTools_; }
  TToolSelection &Tools() const { return *tools_; }
  // Takes the system's view window into the world window, widened on one axis so that a
  // millimetre is as long across as along the axis.
  void UpdateZoomWindow();
  // Erases the picture and draws the system on it: the selection highlighted in place when
  // there is one and no animation runs, else plainly.
  void Redraw();

  // Hooks into the editor. Refresh: what a move ends with and ctrl+R runs (the editor's
  // refresh of every view; unset, the canvas only redraws itself). Placement: told the
  // press point (bitmap pixels) and the tool when a placement tool's press leaves the
  // band. Commands of the keys and the pop-up menu go to the command target (unset: the
  // parent window) as WM_COMMAND.
  void SetRefreshHook(std::function<void()> refresh) { refresh_ = std::move(refresh); }
  void SetPlacementHook(std::function<void(POINT, int)> placed) { placed_ = std::move(placed); }
  // Told whenever the world window takes a new scale (a zoom band, a new view or extent, a
  // resized canvas), so that what shows the scale follows at once.
  void SetScaleHook(std::function<void()> scaled) { scaled_ = std::move(scaled); }
  void SetCommandTarget(HWND target) { commandTarget_ = target; }
  // The quick tables while they are open (null when closed).
  void SetQuickPositionTable(TPendingMoveView *table) { positionTable_ = table; }
  void SetQuickInclinationTable(TPendingMoveView *table) { inclinationTable_ = table; }
  // The last placement press and its tool (tool 0: none since the last Clear).
  POINT PlacementPoint() const { return placementPoint_; }
  int PlacementTool() const { return placementTool_; }
  void ClearPlacement() { placementTool_ = 0; }

  bool Find(TEventInfo &info) override;
  // The mouse mode of the tool record; the rubber-band selection's mode switches the
  // graph's selection rectangle on, any other switches it off.
  void SetMouseMode(int mode);
  int MouseMode() const { return tools_->mouseMode; }
  // Selects the elements met near the device point (a point far outside, such as
  // (30000, 30000), clears the selection) and redraws; the number marked.
  int SelectAt(POINT point);
  void EvLButtonDown(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);
  void EvMouseMove(UINT keys, const POINT &point);
  void EvRButtonDown(UINT keys, const POINT &point);
  void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
  // The pop-up's Refresh is the canvas's own.
  void CeRefresh(TCommandEnabler &enabler);

  // TEditCanvas.
  POINT WorldToDevice(double atX, double atY) const override;
  DPOINT DeviceToWorld(POINT device) const override;
  void DrawWorldPolyline(const DPOINT *points, int count, COLORREF color) override;
  void FillWorldPolygon(const DPOINT *points, int count, COLORREF color) override;
  void DrawWorldText(double atX, double atY, const char *text, COLORREF color) override;
  void DrawGridAxes(COLORREF color) override;
  void ShowNote(const std::string &text) override;
  void CloseNote() override;
  // The note window while it is open, else null.
  HWND NoteHandle() const;

 private:
  // Selects the elements whose regions meet the device rectangle and redraws.
  int SelectIn(const RECT &rect);
  // The picture with the marked elements shifted by the pending offset.
  void DrawPendingMove(POINT offset);
  void EndPan(POINT at, bool last);
  void EndMove(POINT at);
  void EndZoom();
  void PlacementPress(POINT at);
  void RunRefresh();
  void SendCommand(int command);
  // True when the band is on and the bitmap point lies outside it.
  bool OutsideBand(POINT at) const;
  // True when the bitmap point lies on the selection: inside a drawn band that holds
  // marked elements, or on a marked element itself.
  bool OnSelection(POINT at) const;

  TSystemImage *system_ = nullptr;
  TToolSelection ownTools_;
  TToolSelection *tools_ = &ownTools_;
  std::function<void()> refresh_;
  std::function<void(POINT, int)> placed_;
  std::function<void()> scaled_;
  double toldScale_ = 0.0;  // mm per pixel last told to the scale hook
  HWND commandTarget_ = nullptr;
  TPendingMoveView *positionTable_ = nullptr;
  TPendingMoveView *inclinationTable_ = nullptr;
  // The press in progress: its mode and point (bitmap pixels), and the view it began with.
  enum class TDrag { None, Pan, Move, Band };
  TDrag drag_ = TDrag::None;
  int dragMode_ = 0;
  POINT pressPoint_{};
  POINT lastPoint_{};
  double panFrom_[4] = {0.0, 0.0, 0.0, 0.0};
  POINT placementPoint_{};
  int placementTool_ = 0;
  std::string noteText_;
  HWND noteHandle_ = nullptr;
};
