#include "optimization/windows/functions_tables.h"

#include "optimization/panels/functions_page.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/drawing/sys_colors.h"

namespace {

constexpr int kFirstCellId = 1000;
constexpr int kHeaderId = 900;
constexpr int kRowCaptionId = 950;

}  // namespace

TCellGrid::TCellGrid(TWindow *owner, int id, int left, int top, int columnCount, int rowCount, int rowCaptionWidth,
                     int columnWidth)
    : TWindow(owner),
      columns(columnCount),
      rows(rowCount),
      headerTexts(static_cast<std::size_t>(columnCount + 1)),
      rowTexts(static_cast<std::size_t>(rowCount)) {
  Attr.Id = id;
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER;
  Attr.X = left;
  Attr.Y = top;
  Attr.W = rowCaptionWidth + columns * columnWidth + 2;
  Attr.H = (rows + 1) * kRowHeight + 2;
  SetBkgndColor(GetSysColor(COLOR_BTNFACE));
  headers.push_back(new TStatic(this, kHeaderId, "", 0, 0, rowCaptionWidth, kRowHeight));
  for (int c = 0; c < columns; ++c)
    headers.push_back(
        new TStatic(this, kHeaderId + 1 + c, "", rowCaptionWidth + c * columnWidth, 0, columnWidth, kRowHeight));
  for (TStatic *header : headers) header->Attr.Style |= SS_CENTER | SS_SUNKEN;
  for (int r = 0; r < rows; ++r) {
    auto *caption = new TStatic(this, kRowCaptionId + r, "", 0, (r + 1) * kRowHeight, rowCaptionWidth, kRowHeight);
    caption->Attr.Style |= SS_SUNKEN;
    rowCaptions.push_back(caption);
    for (int c = 0; c < columns; ++c)
      cells.push_back(new TEdit(this, kFirstCellId + r * columns + c, "", rowCaptionWidth + c * columnWidth,
                                (r + 1) * kRowHeight, columnWidth, kRowHeight));
  }
}

void TCellGrid::SetupWindow() {
  TWindow::SetupWindow();
  for (std::size_t k = 0; k < headers.size(); ++k) headers[k]->SetText(headerTexts[k].c_str());
  for (std::size_t k = 0; k < rowCaptions.size(); ++k) rowCaptions[k]->SetText(rowTexts[k].c_str());
}

void TCellGrid::SetColumnCaption(int column, const char *text) {
  if (column < -1 || column >= columns) return;
  const auto k = static_cast<std::size_t>(column + 1);
  headerTexts[k] = text;
  if (headers[k]->IsWindow()) headers[k]->SetText(text);
}

void TCellGrid::SetRowCaption(int row, const std::string &text) {
  if (row < 0 || row >= rows) return;
  const auto k = static_cast<std::size_t>(row);
  rowTexts[k] = text;
  if (rowCaptions[k]->IsWindow()) rowCaptions[k]->SetText(text.c_str());
}

void TCellGrid::SetCell(int column, int row, const std::string &text) {
  if (column < 0 || column >= columns || row < 0 || row >= rows) return;
  cells[static_cast<std::size_t>(row * columns + column)]->SetText(text.c_str());
}

std::string TCellGrid::GetCell(int column, int row) {
  if (column < 0 || column >= columns || row < 0 || row >= rows) return std::string();
  return cells[static_cast<std::size_t>(row * columns + column)]->GetWindowText();
}

TBeamsTable::TBeamsTable(TWindow *owner, int id, int left, int top)
    : TCellGrid(owner, id, left, top, 3, TOptimizationFunctionsPage::kBeamRows, 30, 62) {
  SetColumnCaption(-1, " N ");
  SetColumnCaption(0, " Y beam ");
  SetColumnCaption(1, " Z beam ");
  SetColumnCaption(2, " Weight ");
  for (int r = 0; r < Rows(); ++r) SetRowCaption(r, std::to_string(r + 1));
}

TFunctionsTable::TFunctionsTable(TWindow *owner, int id, int left, int top)
    : TCellGrid(owner, id, left, top, 2, TOptimizationFunctionsPage::kFunctionRows, 92, 56) {
  SetColumnCaption(-1, "    ");
  SetColumnCaption(0, "Required");
  SetColumnCaption(1, "Weight");
  for (int r = 0; r < Rows(); ++r) SetRowCaption(r, TOptimizationFunctionsPage::RowName(r));
}
