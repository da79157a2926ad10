#pragma once
// TDetectorTypeDlg: the "Type" page of the Detector page's inner folder. A list of the
// eight detector types and, below it, the dialog of the chosen model; every model dialog
// is made once with the page and keeps its values while another type is shown.

#include <array>

#include "toolkit/folders/book_mark_dlg.h"

class TComboBox;
class TDetectorSynthesisOwner;
class TTestDetector;
class TTestObject;

// The type list of the page.
constexpr int kDetectorTypeList = 10280;
// The number of detector types in the list.
constexpr int kDetectorTypeCount = 8;

// The list's text of a type, "" outside the list.
const char *DetectorTypeText(int type);

class TDetectorTypeDlg : public TBookMarkDlg {
 public:
  // detectorPage: the Detector page told about every change of type (may be null).
  TDetectorTypeDlg(TWindow *folder, TTestDetector *detectorPage, TDetectorSynthesisOwner *owner);

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  int EnterPage() override;
  int LeavePage() override;

  // The chosen model takes the values of its dialog (for "Matrix & Transformer" the matrix
  // and the optical transformer take theirs); 1 (a model's correction is shown in its
  // dialog, the page can always be left).
  int ReadParameters();
  // The chosen model shows its values; 1.
  int ShowParameters();

  // The model of the list's selection (before the window exists: the chosen one), or null.
  TTestObject *CurrentModel();
  // The model of a type, null out of the list.
  TTestObject *Model(int type);
  // The chosen type.
  int CurrentType() const { return current; }
  // Chooses a type as the user does in the list: the model being left takes its values,
  // the new one is shown and the shared detector record takes the type. 1 when the type
  // is chosen (also when it was chosen already); 0 outside the list, the choice then
  // staying.
  int ChooseType(int type);

  // The list's selection changed.
  void CbnSelChange();

 private:
  // The type to start with: the shared record's when it is in the list, else 0.
  int StartingType() const;
  void SelectInList(int type);
  TWindow *Dialog(int type);

  TComboBox *typeList;
  std::array<TWindow *, kDetectorTypeCount> models{};  // by type
  int current = 0;
  TTestDetector *detectorPage_;
};
