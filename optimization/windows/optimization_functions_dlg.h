#pragma once
// TOptimizationFunctionsDlg: the modal dialog in which the user edits the merit functions,
// one configuration at a time: targets and weights of eight kinds, the beams and their
// weights, rays per beam, the unit of the beams, the narcissus term, monochrome or
// polychrome, where the image surface goes, sagittal rays; Load and Save of *.fun files.
// It edits the set in place: what it stored before closing stays, also after Cancel. A
// coloured dialog on the template "OptimizationFunctionsDlg": its two tables are bound to
// the page's arrays, its three number fields to the page's fields (dark blue text); a cell
// or field that is not a number is refused by name and the page is neither turned nor
// stored until it is mended.

#include <functional>
#include <memory>
#include <string>

#include "optimization/panels/functions_page.h"
#include "toolkit/dialogs/color_dlg.h"

class TBeamsTable;
class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TFunctionsTable;
class TMultiEdit;
class TOptimizationFunctions;
class TRadioButton;

// Control ids of the dialog.
enum TFunctionsDlgControl : int {
  kFunctionsTableId = 201,
  kBeamsTableId = 12075,
  kUnitDegreesId = 12110,
  kUnitMinutesId = 12115,
  kUnitMillimetresId = 12120,
  kRaysPerBeamId = 12005,
  kSagittalId = 109,
  kPreviousId = 10104,
  kNextId = 10103,
  kInitParametersId = 114,
  kScannerSurfaceId = 117,
  kNarcissusWeightId = 118,
  kPolychromeListId = 115,
  kImagePlacementListId = 116,
  kLoadId = 110,
  kSaveId = 111,
};

class TOptimizationFunctionsDlg : public TColorDlg {
 public:
  TOptimizationFunctionsDlg(TWindow *owner, TOptimizationFunctions *set);
  ~TOptimizationFunctionsDlg() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  // The controls into the page, then the page into the set; false (nothing stored) when a
  // cell or field was refused.
  bool StorePage();
  // The set's values of the shown configuration into the page and the controls.
  void ShowPage();

  void CmOk();
  void CmCancel();
  // Asked first by OK: true when the system changed since the dialog opened and its owner
  // ended it with a word, so that nothing taken from the system as it was is stored.
  std::function<bool()> endIfSystemChanged;
  void CmPrevious();
  void CmNext();
  void CmInitParameters();
  void CmDegrees() { SelectUnit(0); }
  void CmMinutes() { SelectUnit(1); }
  void CmMillimetres() { SelectUnit(2); }
  void CmPolychrome();
  void CmImagePlacement();
  void CmLoad();
  void CmSave();

  TOptimizationFunctionsPage &Page() { return page; }
  TBeamsTable *BeamsTable() const { return beams; }
  TFunctionsTable *FunctionsTable() const { return table; }

 protected:
  // The bound fields in dark blue.
  void SetControlColors() override;

 private:
  void SelectUnit(int unit);
  // Page fields to controls and back; a refused number keeps the page's value, is told by
  // the field's or cell's name, and makes ControlsToPage false.
  void PageToControls();
  bool ControlsToPage();
  // The proposed file: the system's directory and base name with ".fun".
  void ProposeFile(class TFileName &request) const;

  TOptimizationFunctions *functions;
  TOptimizationFunctionsPage page;
  std::unique_ptr<TMultiEdit> fields;
  TBeamsTable *beams = nullptr;
  TFunctionsTable *table = nullptr;
  TRadioButton *units[3] = {};
  TCheckBox *sagittal = nullptr;
  TComboBox *polychrome = nullptr;
  TComboBox *placement = nullptr;
  TButton *previous = nullptr;
  TButton *next = nullptr;
};
