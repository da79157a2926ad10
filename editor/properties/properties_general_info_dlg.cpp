#include "editor/properties/properties_general_info_dlg.h"

#include "document/system/animation_hold.h"
#include "document/system/system_image.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_table.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"

namespace {

TPropertiesGeneralInfoDlg *theWindow = nullptr;

// The table holds its header and every line of the general information (11) whole, so that
// no scroll bar takes room from the values.
const TDialogTemplate kInfoTemplate{
    "PropertiesGeneralInfoDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 40, 40, 200, 198,
    "General parameters of system",
    {
        {"STATIC", "", TPropertiesGeneralInfoDlg::kTableId, SS_LEFT, 4, 4, 192, 172},
        {"BUTTON", "&Close", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 146, 180, 50, 14},
    }};
const TDialogRegistration kInfoRegistration(kInfoTemplate);

const TResponseTableEntry kInfoTable[] = {
    EvMessage<WM_DESTROY, &TPropertiesGeneralInfoDlg::EvDestroy>(),
    EvCommand<&TPropertiesGeneralInfoDlg::CmClose>(IDCANCEL),
};

}  // namespace

TPropertiesGeneralInfoDlg *GeneralInfoWindow() { return theWindow; }
void SetGeneralInfoWindow(TPropertiesGeneralInfoDlg *window) { theWindow = window; }

TPropertiesGeneralInfoDlg::TPropertiesGeneralInfoDlg(TWindow *parentWindow, TSystemImage *system)
    : TColorDlg(parentWindow, "PropertiesGeneralInfoDlg"), system_(system) {
  if (system_ != nullptr) system_->AddObserver(this);
}

TPropertiesGeneralInfoDlg::~TPropertiesGeneralInfoDlg() {
  if (system_ != nullptr) system_->RemoveObserver(this);
  if (theWindow == this) theWindow = nullptr;
}

bool TPropertiesGeneralInfoDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kInfoTable, info) || TColorDlg::Find(info);
}

void TPropertiesGeneralInfoDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  table_ = MakeGeneralInfoTable(this, kTableId);
  table_->cellEdited = [this](int, int row, const std::string &text) {
    // As every page of the properties: a run's step is not the design to edit.
    const TPropertyEdit edit = AnimationRuns(system_->options) ? TPropertyEdit::Refused(kCompleteAnimationText)
                                                               : EditGeneralInfo(*system_, row, text);
    if (!edit.message.empty())
      MessageBox(GetHandle(), edit.message, "Warning",
                 MB_OK | (edit.accepted ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    // An accepted edit reaches every view, this window among them, by the system's notice.
    if (edit.accepted)
      system_->NotifyEdited();
    else
      Fill();
  };
  Fill();
}

void TPropertiesGeneralInfoDlg::Fill() {
  if (table_ != nullptr && system_ != nullptr) FillGeneralInfoTable(*table_, *system_);
}

void TPropertiesGeneralInfoDlg::EvDestroy() {
  // Its table goes with the window: later edits tell it nothing.
  if (system_ != nullptr) system_->RemoveObserver(this);
  if (theWindow == this) {
    theWindow = nullptr;
    if (closed) closed();
  }
  DefaultProcessing();
}
