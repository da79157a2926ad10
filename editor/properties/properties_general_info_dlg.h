#pragma once
// TPropertiesGeneralInfoDlg: the standalone general-information window of the edited
// system (General parameters and Thermo of the View menu when the properties folder is
// closed): the first-order values, and the temperature and pressure the user may change.
// Modeless and without a parent; the program-wide pointer holds it while it is open. It
// follows the system's edits as one of its observers.

#include <functional>

#include "document/system/system_observer.h"
#include "toolkit/dialogs/color_dlg.h"

class TPropertiesTable;
class TSystemImage;

class TPropertiesGeneralInfoDlg : public TColorDlg, public TSystemObserver {
 public:
  static constexpr int kTableId = 321;

  TPropertiesGeneralInfoDlg(TWindow *parentWindow, TSystemImage *system);
  ~TPropertiesGeneralInfoDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Refills the values from the system.
  void Fill();
  // TSystemObserver: the values follow the edit.
  void SystemEdited() override { Fill(); }
  TPropertiesTable *Table() const { return table_; }

  // Called when the window goes.
  std::function<void()> closed;

  void EvDestroy();
  void CmClose() { Destroy(IDCANCEL); }

 private:
  TSystemImage *system_;
  TPropertiesTable *table_ = nullptr;
};

// The program-wide pointer to the open window (null while it is closed).
TPropertiesGeneralInfoDlg *GeneralInfoWindow();
void SetGeneralInfoWindow(TPropertiesGeneralInfoDlg *window);
