#include "optimization/windows/functions_tables.h"

#include "optimization/panels/functions_page.h"
#include "platform/core/font_faces.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kYellow = 0x00FFFF;

// The sans face of the dialogs at a point size, 96 pixels an inch.
TFont *SansFont(int points) { return new TFont(kFaceSansSerif, -(points * 96 + 36) / 72); }

void SetTableColours(TWinDirectTable &table) {
  table.Grid()->SetColors(kBlack, kWhite);
  table.Grid()->SetMarkedColors(kBlack, kYellow);
}

}  // namespace

TBeamsTable::TBeamsTable(TWindow *dialog, int placeholderId)
    : TWinDirectTable(dialog, placeholderId, 3, TOptimizationFunctionsPage::kBeamRows, kTableOfColumns, SansFont(6)) {}

TBeamsTable::~TBeamsTable() = default;

void TBeamsTable::Bind(TOptimizationFunctionsPage &page) {
  SetTableColours(*this);
  constexpr int beamRows = TOptimizationFunctionsPage::kBeamRows;
  BindCell(-1, " N ", page.beamNumbers, beamRows, kCellInt, "%4d");
  BindCell(0, " Y beam ", page.beamY, beamRows, kCellDouble, "%g");
  BindCell(1, " Z beam ", page.beamZ, beamRows, kCellDouble, "%g");
  BindCell(2, " Weight ", page.beamWeight, beamRows, kCellDouble, "%g");
  SetShowZeros(0);
  FitLayout(0, 0);
}

TFunctionsTable::TFunctionsTable(TWindow *dialog, int placeholderId)
    : TWinDirectTable(dialog, placeholderId, 2, TOptimizationFunctionsPage::kFunctionRows, kTableOfColumns,
                      SansFont(8)) {
  for (int r = 0; r < TOptimizationFunctionsPage::kFunctionRows; ++r)
    rowNames[r] = TOptimizationFunctionsPage::RowName(r);
}

TFunctionsTable::~TFunctionsTable() = default;

void TFunctionsTable::Bind(TOptimizationFunctionsPage &page) {
  SetTableColours(*this);
  constexpr int functionRows = TOptimizationFunctionsPage::kFunctionRows;
  BindCell(-1, "    ", rowNames, functionRows, kCellString, "%10s");
  BindCell(0, "Required", page.required, functionRows, kCellDouble, "%g");
  // Every digit a weight holds ("%g"): a fraction such as 0.5 is shown and kept as it is.
  BindCell(1, "Weight", page.weight, functionRows, kCellDouble, "%g");
  FitLayout(0, 0);
}
