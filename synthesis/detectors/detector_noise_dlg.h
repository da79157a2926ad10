#pragma once
// The noise and filter pages of the Detector page's inner folder. The noise page chooses
// whether the synthesised image gets white noise and its noise-to-signal ratio, both kept
// in the shared detector record. The filter page lists electrical filter kinds to choose
// from; nothing it holds is kept or used (its tab is never selectable).

#include "toolkit/folders/book_mark_dlg.h"

class TComboBox;
class TDetectorSynthesisOwner;
class TListBox;
class TMultiEdit;

enum TDetectorNoiseControl : int {
  kNoiseKindList = 10280,
  kNoiseLevelEdit = 10281,
};

enum TDetectorFilterControl : int {
  kTypicalFilterList = 12231,
  kChosenFilterList = 12202,
  kFilterConstantsEdit = 12211,
  kAddFilterButton = 12221,
  kRemoveFilterButton = 12230,
};

class TDetectorNoiseDlg : public TBookMarkDlg {
 public:
  // The shared detector record must exist: the edit is bound to its noise level. The
  // owner (may be null) is told of every change of the noise: the image is out of date.
  TDetectorNoiseDlg(TWindow *folder, TDetectorSynthesisOwner *owner);
  ~TDetectorNoiseDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  int EnterPage() override;
  int LeavePage() override;

  // The edit into the record's noise level (a change is told); 1.
  int ReadParameters();
  // The noise level into the edit; 1.
  int ShowParameters();

  // The list's selection is the noise kind at once (a change is told).
  void CbnSelChange();
  void EvDestroy();

 private:
  TComboBox *kindList;
  TMultiEdit *edits_ = nullptr;
  TDetectorSynthesisOwner *owner_;
};

class TDetectorFilterDlg : public TBookMarkDlg {
 public:
  explicit TDetectorFilterDlg(TWindow *folder);

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  int ReadParameters() { return 1; }
  int ShowParameters() { return 1; }

  // "+": the selected typical filter is appended to the chosen ones and selected there;
  // nothing without a selection.
  void CmAddFilter();
  // "-": the selected chosen filter goes; the one that takes its place is selected, or
  // the new last one.
  void CmRemoveFilter();

 private:
  TListBox *typicalList;
  TListBox *chosenList;
};
