#include "platform/core/font_faces.h"
#include "synthesis/lightsource/light_source_tables.h"

#include <algorithm>

#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "toolkit/tables/table2.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr int kCellPoints = 6;
// The objects' temperature column.
constexpr int kTemperatureColumn = 1;

// The sans face at a point size, 96 pixels an inch.
TFont *SansFont(int points) { return new TFont(kFaceSansSerif, -(points * 96 + 36) / 72); }

}  // namespace

TLightSourceTable::TLightSourceTable(TWindow *page, int placeholderId, int columnTotal, int rowTotal)
    : TWinDirectTable(page, placeholderId, columnTotal, rowTotal, kTableOfColumns, SansFont(kCellPoints)) {}

void TLightSourceTable::Finish() {
  Grid()->SetColors(kBlack, kWhite);
  Grid()->SetMarkedColors(kBlack, kYellow);
  HighlightText = kBlack;
  HighlightBack = kYellow;
  SetShowZeros(0);
  FitLayout(0, 0);
  ValuesToCells();
}

TLightSourceZonesTable::TLightSourceZonesTable(TWindow *page, int placeholderId)
    : TLightSourceTable(page, placeholderId, 4, kZoneRows) {}

void TLightSourceZonesTable::Bind(int *numbers, double *z, double *az, double *ay, double *bright) {
  BindCell(-1, "N", numbers, kZoneRows, kCellInt, "%4d");
  BindCell(0, " Z ", z, kZoneRows, kCellDouble, "%8g");
  BindCell(1, " Az ", az, kZoneRows, kCellDouble, "%8g");
  BindCell(2, " Ay ", ay, kZoneRows, kCellDouble, "%8g");
  BindCell(3, " Bright ", bright, kZoneRows, kCellDouble, "%8g");
  Finish();
}

TLightSourceObjectTable::TLightSourceObjectTable(TWindow *page, int placeholderId, int objects)
    : TLightSourceTable(page, placeholderId, 2, std::max(objects, 0)) {}

void TLightSourceObjectTable::Bind(STRING *numbers, STRING *names, float *temperatures, int count) {
  // Bound also without rows: the headers show.
  BindCell(-1, "N", numbers, count, kCellString, "%4s");
  BindCell(0, "    Name Object    ", names, count, kCellString, "%s");
  BindCell(1, " T(Kelvin) ", temperatures, count, kCellFloat, "%8g");
  Grid()->SetColumnReadOnly(0, true);
  Finish();
}

void TLightSourceObjectTable::CellContextMenu(int column, int row) {
  if (column != kTemperatureColumn || Grid() == nullptr || GetParentO() == nullptr) return;
  TPopupMenu menu;
  menu.AppendMenu(MF_STRING, kCmSetForAllObjects, "Set for all objects");
  long scrollX = 0, scrollY = 0;
  Grid()->ScrollPosition(scrollX, scrollY);
  const POINT origin = Grid()->GetCellOrigin(column, row);
  const SIZE size = Grid()->GetCellSize(column, row);
  POINT centre{origin.x - static_cast<int>(scrollX) + size.cx / 2, origin.y - static_cast<int>(scrollY) + size.cy / 2};
  Grid()->ClientToScreen(centre);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, centre, 0, GetParentO()->GetHandle());
}

void TLightSourceObjectTable::SetTemperatureForAll() {
  TWinTableEdit *cellGrid = Grid();
  if (cellGrid == nullptr) return;
  cellGrid->CommitEditor();
  TStringTable &cells = cellGrid->Cells();
  const int column = cellGrid->CurrentColumn(), row = cellGrid->CurrentRow();
  if (!cells.Contains(column, row)) return;
  const std::string text = cells.GetItem(column, row).text;
  for (int r = 0; r < cells.Rows(); ++r)
    if (cells.Contains(kTemperatureColumn, r)) cells.GetItem(kTemperatureColumn, r).text = text;
  Redraw();
}

TLightSourceLimitTable::TLightSourceLimitTable(TWindow *page, int placeholderId)
    : TLightSourceTable(page, placeholderId, 2, kLimitRows) {}

void TLightSourceLimitTable::Bind(STRING *labels, double *minima, double *maxima) {
  BindCell(-1, "  ", labels, kLimitRows, kCellString, "%4s");
  BindCell(0, " Min ", minima, kLimitRows, kCellDouble, "%8g");
  BindCell(1, " Max ", maxima, kLimitRows, kCellDouble, "%8g");
  Finish();
}

TLightSourceScreenTable::TLightSourceScreenTable(TWindow *page, int placeholderId)
    : TLightSourceTable(page, placeholderId, 2, kScreenRows) {}

void TLightSourceScreenTable::Bind(int *numbers, double *z, double *h) {
  BindCell(-1, " N ", numbers, kScreenRows, kCellInt, "%4d");
  BindCell(0, " Z ", z, kScreenRows, kCellDouble, "%8g");
  BindCell(1, " H ", h, kScreenRows, kCellDouble, "%8g");
  Finish();
}

TLightSourceWaveLenghtTable::TLightSourceWaveLenghtTable(TWindow *page, int placeholderId)
    : TLightSourceTable(page, placeholderId, 2, kWavelengthRows) {}

void TLightSourceWaveLenghtTable::Bind(int *numbers, double *wavelengths, double *weights) {
  BindCell(-1, " N ", numbers, kWavelengthRows, kCellInt, "%4d");
  BindCell(0, " Wavelength (µm) ", wavelengths, kWavelengthRows, kCellDouble, "%8g");
  BindCell(1, " Weight ", weights, kWavelengthRows, kCellDouble, "%8g");
  Finish();
}
