#pragma once
// TOptimizationViewer: the small window that follows an optimization run: iteration,
// current and previous merit, speed, time, the stage of the evaluation, the parameter and
// the function being evaluated, and a gauge of LED segments; Stop ends the run, UnDo steps
// the system back, Ok closes. At most one exists; it is the current viewer the optimizer
// writes through while it exists, and a later run reuses it. A coloured dialog on the
// template "OptimizationViewer".

#include <functional>
#include <map>

#include "optimization/panels/optimization_viewer_state.h"
#include "toolkit/dialogs/color_dlg.h"

class TButton;
class TMessageQueue;
class TOGauge;
class TStatic;

class TOptimizationViewer : public TColorDlg {
 public:
  // Popup with caption and minimize box, placed by PlaceNear beside the program's main
  // window (or the outermost window above the owner) when it is shown (ShowPlaced).
  explicit TOptimizationViewer(TWindow *owner);
  // The same at (x, y) of the screen.
  TOptimizationViewer(TWindow *owner, int left, int top);
  ~TOptimizationViewer() override;

  // The existing viewer, or null.
  static TOptimizationViewer *Existing();
  // Where a window of the size goes beside a main window (screen coordinates): right of it,
  // level with its bottom, when the screen has room there; else over its lower right
  // corner; always on the screen, its top left corner winning.
  static POINT PlaceNear(const RECT &mainWindow, SIZE window, SIZE screen);

  void SetupWindow() override;
  // Shows the window at its place: beside the main window, or at the place given.
  void ShowPlaced();
  bool Find(TEventInfo &info) override;

  // A run begins with its message queue (lent for the run): Stop on, Ok and UnDo off.
  void BeginRun(TMessageQueue *queue);
  // Stop, and the end of the run: the queue is left and given back; Ok and UnDo on.
  void EndRun();
  void CmOk();
  void CmUndo();
  void CmStop() { EndRun(); }
  // Escape (the dialog's cancel) and the close box close the window as Ok does.
  // Escape and the close box: during a run they stop it as Stop does and the window stays
  // with its last figures; after the run they close it.
  void CmCancel();

  TOptimizationViewerState &State() { return state; }
  // The text a field shows now.
  std::string FieldText(int id);
  int GaugeValue() const;
  TOGauge *Gauge() const { return gauge; }

  // The editor's undo command.
  std::function<void()> undo;

 private:
  class TQueueLender;
  void Show(int id);
  void Close();
  void PlaceBesideMainWindow();

  TOptimizationViewerState state;
  std::map<int, TStatic *> fields;
  TOGauge *gauge = nullptr;
  POINT place{0, 0};
  TButton *stopButton = nullptr;
  TButton *undoButton = nullptr;
  TButton *okButton = nullptr;
  TQueueLender *lender = nullptr;  // owned
  bool placeNearMain = false;
};
