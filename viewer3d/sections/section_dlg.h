#pragma once
// TSectionDlg: the modal dialog "Sections parameters" in which the user cuts the viewer's
// element solids open. One row per element of the scene: its name and the two angles
// "Fi 1" and "Fi 2" in whole degrees, between which the round elements are cut. The dialog
// edits the viewer's element list in place: "Apply" and OK write the table into it and
// repaint the scene (a cell that holds no angle is refused with a message naming it, and
// nothing is written); Cancel puts back the angles it found and repaints once more when the
// scene had been repainted. "Set  for all" writes its two angles into every entry (and the
// table), leaving the scene as it is until Apply. A scene of more than 20 elements gets as
// many rows; rows beyond the elements stay empty and are never read.

#include <string>
#include <vector>

#include "toolkit/dialogs/color_dlg.h"
#include "viewer3d/scene/viewer_scene.h"

class TTableWindow;

class TSectionDlg : public TColorDlg {
 public:
  enum { kTablePlace = 820, kSetForAll = 830, kFirstAngle = 840, kSecondAngle = 850, kApply = 810 };
  // The table's rows at least, and the rows that fill it.
  static constexpr int kRows = 20;
  static constexpr int kVisibleRows = 10;

  // entries: the scene's element list, edited in place; scene: repainted after Apply.
  TSectionDlg(TWindow *parentWindow, const char *resource, std::vector<ViewerElementEntry> &entries,
              TViewerScene &scene);
  ~TSectionDlg() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  void CmSetForAll();
  void CmApply();
  void CmOkSections();
  void CmCancelSections();

  TTableWindow *Table() const { return table_; }
  bool Applied() const { return applied_; }
  // The text of a cell ("" outside the table), and setting it as the user types it.
  std::string CellText(int column, int row) const;
  void SetCellText(int column, int row, const std::string &text);

 private:
  void FillTable();
  void Repaint();
  // The table into the entries and the scene repainted: false, nothing written, when a
  // cell is refused.
  bool ApplyTable();
  // The angle of edit `id` into degrees; false, after telling why, when it is refused.
  bool ReadAngleEdit(int id, const char *field, double &degrees);
  // Both angles of every row into `angles` (Fi 1, Fi 2 of each entry in turn); false, after
  // telling why and making the refused cell current, when a cell is refused.
  bool ReadTableAngles(std::vector<double> &angles);
  void TellRefused(const std::string &message);

  std::vector<ViewerElementEntry> &entries_;
  std::vector<ViewerElementEntry> saved_;
  TViewerScene &scene_;
  TTableWindow *table_ = nullptr;
  bool applied_ = false;
};

// A section angle as the user typed it, in degrees, through the one reader of typed
// numbers: blanks around it, a sign, a decimal point or comma and an exponent are taken;
// an empty text is 0 (not cut). A text that is not wholly a number, or an angle beyond a
// full turn either way, is refused: false, with the message naming `field` in `message`.
bool ReadSectionAngle(const std::string &text, const std::string &field, double &degrees, std::string &message);
