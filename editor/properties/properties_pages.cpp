#include "editor/properties/properties_pages.h"

#include <string>
#include <utility>
#include <vector>

#include "document/system/animation_hold.h"
#include "document/system/system_image.h"
#include "editor/properties/beams_model.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/system_properties_folder.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "toolkit/tables/table_header.h"

namespace {

// The pages fill the folder's page area (less the caption band).
const TDialogTemplate kGeneralPage{"PropertiesGeneralPage", WS_CHILD | WS_CAPTION, 0, 0,
                                   kPropertiesPageWidth, kPropertiesPageHeight, "",
                                   {
                                       {"STATIC", "", kGeneralTableId, SS_LEFT, 4, 4, kPropertiesTableWidth, 190},
                                   }};
const TDialogTemplate kSurfacesPage{"PropertiesSurfacesPage", WS_CHILD | WS_CAPTION, 0, 0,
                                   kPropertiesPageWidth, kPropertiesPageHeight, "",
                                    {
                                        {"STATIC", "", kSurfacesTableId, SS_LEFT, 4, 4, kPropertiesTableWidth, 190},
                                    }};
const TDialogTemplate kBeamsPage{"PropertiesBeamsPage", WS_CHILD | WS_CAPTION, 0, 0,
                                   kPropertiesPageWidth, kPropertiesPageHeight, "",
                                 {
                                     {"STATIC", "", kApertureTableId, SS_LEFT, 4, 4, kPropertiesTableWidth, 64},
                                     {"STATIC", "", kFieldsTableId, SS_LEFT, 4, 72, 110, 122},
                                     {"STATIC", "", kSpectrumTableId, SS_LEFT, 118, 72,
                                      kPropertiesTableWidth - 114, 122},
                                 }};
const TDialogRegistration kGeneralRegistration(kGeneralPage);
const TDialogRegistration kSurfacesRegistration(kSurfacesPage);
const TDialogRegistration kBeamsRegistration(kBeamsPage);

// Row captions: the numbers from 1, and the lists' empty row for a new entry.
std::vector<std::string> NumberedRows(int count, bool withNewRow) {
  std::vector<std::string> captions;
  for (int k = 1; k <= count; ++k) captions.push_back(std::to_string(k));
  if (withNewRow) captions.emplace_back("new");
  return captions;
}

}  // namespace

TPropertiesPage::TPropertiesPage(TWindow *folder, const char *resource, TSystemImage *system)
    : TBookMarkDlg(folder, resource), system_(system) {}

void TPropertiesPage::Answer(const TPropertyEdit &edit) {
  if (!edit.message.empty())
    MessageBox(GetHandle(), edit.message, "Warning", MB_OK | (edit.accepted ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
  if (edit.accepted)
    system_->NotifyEdited();
  else
    Fill();
}

TPropertiesTable *TPropertiesPage::MakeTable(
    int id, const std::vector<std::string> &captions, const std::vector<int> &widths, int rowCaptionWidth,
    std::function<TPropertyEdit(int column, int row, const std::string &text)> edit) {
  TWindow *placeholder = WindowFromHandle(GetDlgItem(id));
  auto *table = new TPropertiesTable(this, id, captions, widths, rowCaptionWidth);
  table->cellEdited = [this, edit = std::move(edit)](int column, int row, const std::string &text) {
    // A page opened before a run would otherwise write into the run's step, which the run's
    // end takes back.
    if (AnimationRuns(system_->options)) {
      Answer(TPropertyEdit::Refused(kCompleteAnimationText));
      return;
    }
    // Under a running optimization the system is not edited: the cell shows its value again.
    if (OptimizationRunRefusesEdit()) {
      Fill();
      return;
    }
    Answer(edit(column, row, text));
  };
  // The placeholder only marks the table's place.
  if (placeholder != nullptr) placeholder->ShowWindow(SW_HIDE);
  table->Create();
  return table;
}

TPropertiesTable *MakeGeneralInfoTable(TWindow *dialog, int placeholderId) {
  TWindow *placeholder = WindowFromHandle(GetDlgItem(dialog->GetHandle(), placeholderId));
  auto *table = new TPropertiesTable(dialog, placeholderId, {"Value"}, {12}, 26);
  if (placeholder != nullptr) placeholder->ShowWindow(SW_HIDE);
  table->Create();
  return table;
}

void FillGeneralInfoTable(TPropertiesTable &table, TSystemImage &system) {
  const std::vector<TGeneralInfoItem> items = GeneralInfoItems(system);
  std::vector<std::string> captions;
  for (const TGeneralInfoItem &item : items) captions.push_back(item.caption);
  table.SetRows(captions);
  for (std::size_t k = 0; k < items.size(); ++k)
    table.SetCell(0, static_cast<int>(k), items[k].value, items[k].editable);
}

// General.
TPropertiesGeneralPage::TPropertiesGeneralPage(TWindow *folder, TSystemImage *system)
    : TPropertiesPage(folder, "PropertiesGeneralPage", system) {}

void TPropertiesGeneralPage::SetupWindow() {
  TPropertiesPage::SetupWindow();
  table_ = MakeTable(kGeneralTableId, {"Value"}, {12}, 26, [this](int, int row, const std::string &text) {
    return EditGeneralInfo(*system_, row, text);
  });
  Fill();
}

void TPropertiesGeneralPage::Fill() {
  CountFill();
  if (table_ != nullptr) FillGeneralInfoTable(*table_, *system_);
}

// Surfaces.
TPropertiesSurfacesPage::TPropertiesSurfacesPage(TWindow *folder, TSystemImage *system)
    : TPropertiesPage(folder, "PropertiesSurfacesPage", system) {}

void TPropertiesSurfacesPage::SetupWindow() {
  TPropertiesPage::SetupWindow();
  std::vector<std::string> captions;
  for (int c = 0; c < kSurfaceColumnCount; ++c) captions.emplace_back(SurfaceColumnCaption(c));
  table_ = MakeTable(kSurfacesTableId, captions, {10, 10, 12, 10, 8}, 4,
                     [this](int column, int row, const std::string &text) {
                       return EditSurfaceCell(*system_, row, column, text);
                     });
  Fill();
}

void TPropertiesSurfacesPage::Fill() {
  CountFill();
  if (table_ == nullptr) return;
  const int count = system_->SurfaceCount();
  table_->SetRows(NumberedRows(count, false));
  for (int r = 0; r < count; ++r)
    for (int c = 0; c < kSurfaceColumnCount; ++c)
      table_->SetCell(c, r, SurfaceCellText(*system_, r, c), SurfaceCellEditable(*system_, r, c));
}

// Beams and wavelengths.
TPropertiesBeamsPage::TPropertiesBeamsPage(TWindow *folder, TSystemImage *system)
    : TPropertiesPage(folder, "PropertiesBeamsPage", system) {}

void TPropertiesBeamsPage::SetupWindow() {
  TPropertiesPage::SetupWindow();
  aperture_ = MakeTable(kApertureTableId, {"Aperture"}, {12}, 24, [this](int, int row, const std::string &text) {
    return EditAperture(*system_, row, text);
  });
  fields_ = MakeTable(kFieldsTableId, {"Field"}, {10}, 4, [this](int, int row, const std::string &text) {
    return EditField(*system_, row, text);
  });
  spectrum_ = MakeTable(kSpectrumTableId, {"Wavelength, um", "Weight"}, {12, 8}, 4,
                        [this](int column, int row, const std::string &text) {
                          return EditSpectrum(*system_, row, column, text);
                        });
  Fill();
}

void TPropertiesBeamsPage::Fill() {
  CountFill();
  if (aperture_ == nullptr) return;
  std::vector<std::string> apertureRows;
  for (int k = 0; k < kApertureLineCount; ++k) apertureRows.emplace_back(ApertureCaption(k));
  aperture_->SetRows(apertureRows);
  for (int k = 0; k < kApertureLineCount; ++k) aperture_->SetCell(0, k, ApertureText(*system_, k), true);

  const int fieldCount = system_->info.BeamCount();
  fields_->SetRows(NumberedRows(fieldCount, true));
  fields_->ColumnHeader()->SetCaption(0, FieldCaption(*system_));
  for (int r = 0; r <= fieldCount; ++r) fields_->SetCell(0, r, FieldText(*system_, r), true);

  const int wavelengthCount = system_->info.WavelengthCount();
  spectrum_->SetRows(NumberedRows(wavelengthCount, true));
  for (int r = 0; r <= wavelengthCount; ++r) {
    spectrum_->SetCell(kWavelengthColumn, r, SpectrumText(*system_, r, kWavelengthColumn), true);
    spectrum_->SetCell(kWeightColumn, r, SpectrumText(*system_, r, kWeightColumn), r < wavelengthCount);
  }
}
