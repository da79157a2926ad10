#pragma once
// The quick decenter and tilt tables: small modeless windows beside the canvas that show
// the selected element's place (or tilt) and the shift (or turn) the mouse is making, and
// put typed values on the selected elements. The editor opens and closes them with its
// Decenter and Tilt commands; a table the user closes tells its owner with
// CM_QUICK_TABLE_CLOSED (lParam: the table) as its window goes, so the owner never keeps
// a pointer to a table that is gone.

#include <string>

#include "editor/canvas/edit_graph.h"
#include "toolkit/dialogs/color_dlg.h"

class TSystemImage;

constexpr int CM_QUICK_TABLE_CLOSED = 1141;

class TQuickTableDlg : public TColorDlg, public TPendingMoveView {
 public:
  static constexpr int kApply = 101;
  static constexpr int kElement = 102;
  static constexpr int kPending = 103;

  TQuickTableDlg(TWindow *frame, TSystemImage *system, const char *resource);

  // After this the table tells nobody of its going (its owner is going first).
  void ForgetOwner() { owner_ = nullptr; }
  // Shows the selected element's values again.
  virtual void Fill() = 0;
  // Puts the typed values on the marked elements: 1 when it did, 0 when there was nothing
  // to change or a value was refused (with a message). Values typed over what the table
  // showed of another element, or of the element as it stood before (another system
  // opened, the selection changed), are never put: the table shows it again and says so.
  virtual int Apply() = 0;

  bool Find(TEventInfo &info) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetupWindow() override;
  void CmApply();
  // TPendingMoveView: a table shows only its own kind of pending move.
  void SetPendingShift(double, double) override {}
  void SetPendingAngle(double) override {}
  void SelectionChanged() override { Fill(); }

 protected:
  // The number typed in the item, or false (with a message naming the field) when the
  // text is not a finite number.
  bool ReadNumber(int id, const char *field, double &value);
  void ShowNumber(int id, double value);
  // The selected element (the first marked one), or -1.
  int SelectedElement() const;
  // Recomputes the system after a change, records the undo step and refreshes the views.
  void Changed(const char *undoLabel);
  // What Fill showed: the element (-1: none) and its values.
  void Shown(int element, double a, double b = 0.0);
  // Whether the selected element, with these values, is what the table shows; when not,
  // the table shows it now and a message says the values must be typed again.
  bool StillShown(int element, double a, double b = 0.0);

  TSystemImage *system_;

 private:
  TWindow *owner_;
  int shownElement_ = -1;
  double shownA_ = 0.0, shownB_ = 0.0;
};

// The decenter table: the selected element's vertex (x along the axis, y across, mm) and
// the pending shift of a drag. Apply moves every marked element by the change of the
// selected one's vertex.
class TQuickPositionTableDlg : public TQuickTableDlg {
 public:
  static constexpr int kX = 110;
  static constexpr int kY = 111;

  TQuickPositionTableDlg(TWindow *frame, TSystemImage *system);
  void Fill() override;
  int Apply() override;
  // The shift (mm) the canvas is making by a drag; 0, 0 when none.
  void SetPendingShift(double dx, double dy) override;
  std::string PendingText() const { return pendingText_; }

 private:
  std::string pendingText_;
};

// The tilt table: the tilt of the selected element's first surface in the meridional
// plane (degrees) and the pending turn. Apply turns every marked element about its first
// vertex by the change of that tilt.
class TQuickInclinationTableDlg : public TQuickTableDlg {
 public:
  static constexpr int kAngle = 110;

  TQuickInclinationTableDlg(TWindow *frame, TSystemImage *system);
  void Fill() override;
  int Apply() override;
  // The turn (degrees) the canvas is making by a drag; 0 when none.
  void SetPendingAngle(double degrees) override;
  std::string PendingText() const { return pendingText_; }

 private:
  std::string pendingText_;
};
