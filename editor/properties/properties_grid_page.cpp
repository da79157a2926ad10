#include "editor/properties/properties_grid_page.h"

#include <string>
#include <utility>
#include <vector>

#include "document/system/system_image.h"
#include "editor/properties/grid_page_model.h"
#include "editor/properties/properties_table.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/dialogs/dialog_template.h"

namespace {

// The page area of the folder (less the caption band): the table above, the legend's two
// or three lines below it.
const TDialogTemplate kGridPage{"PropertiesGridPage", WS_CHILD | WS_CAPTION, 0, 0,
                                   kPropertiesPageWidth, kPropertiesPageHeight, "",
                                {
                                    {"STATIC", "", kGridTableId, SS_LEFT, 4, 4, kPropertiesTableWidth, 154},
                                    {"STATIC", "", kGridLegendId, SS_LEFT, 4, 162, kPropertiesTableWidth, 32},
                                }};
const TDialogRegistration kGridRegistration(kGridPage);

}  // namespace

TPropertiesGridPage::TPropertiesGridPage(TWindow *folder, TSystemImage *system, std::unique_ptr<TGridPageModel> model)
    : TPropertiesPage(folder, "PropertiesGridPage", system), model_(std::move(model)) {}

TPropertiesGridPage::~TPropertiesGridPage() = default;

void TPropertiesGridPage::SetupWindow() {
  TPropertiesPage::SetupWindow();
  std::vector<int> widths = model_->ColumnWidths();
  const int rowCaptionWidth = widths.empty() ? 4 : widths.back();
  if (!widths.empty()) widths.pop_back();
  table_ = MakeTable(kGridTableId, model_->ColumnCaptions(), widths, rowCaptionWidth,
                     [this](int column, int row, const std::string &text) {
                       return model_->EditCell(*system_, row, column, text);
                     });
  SetDlgItemText(kGridLegendId, model_->Legend().c_str());
  Fill();
}

void TPropertiesGridPage::Fill() {
  CountFill();
  if (table_ == nullptr) return;
  const std::vector<std::string> rows = model_->RowCaptions(*system_);
  table_->SetRows(rows);
  const int columns = static_cast<int>(model_->ColumnCaptions().size());
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < columns; ++c)
      table_->SetCell(c, r, model_->CellText(*system_, r, c), model_->CellEditable(*system_, r, c));
}
