#include "toolkit/tables/table_window.h"

#include <algorithm>

#include "platform/core/font_faces.h"
#include "platform/gui/controls/control_constants.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

// An 8-point face for a header at the screen's resolution.
TFont *HeaderFont() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? TDC::FromHandle(screen)->GetDeviceCaps(LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  const int height = -(8 * dpi + 36) / 72;
  return new TFont(kFaceSansSerif, height, 0, 0, 400, 0x22);
}

}  // namespace

const TResponseTableEntry kTableWindowTable[] = {
    EvMessage<WM_SIZE, &TTableWindow::EvSize>(),
};

TTableWindow::TTableWindow(TWindow *parentDialog, int controlId, int columnCount, int rowCount, TFont *font)
    : TWindow(parentDialog), columns(columnCount), rows(rowCount), cellFont(font),
      owner(parentDialog) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_BORDER;
  Attr.ExStyle |= WS_EX_CLIENTEDGE;
  Attr.Id = controlId;
  // The placeholder's place in the dialog's client area becomes ours.
  if (parentDialog != nullptr && parentDialog->IsWindow()) {
    if (TWindow *placeholder = WindowFromHandle(::GetDlgItem(parentDialog->GetHandle(), controlId))) {
      const RECT screen = placeholder->GetWindowRect();
      POINT topLeft{screen.left, screen.top};
      parentDialog->ScreenToClient(topLeft);
      Attr.X = topLeft.x;
      Attr.Y = topLeft.y;
      Attr.W = screen.right - screen.left;
      Attr.H = screen.bottom - screen.top;
    }
  }
}

TTableWindow::~TTableWindow() = default;

bool TTableWindow::Find(TEventInfo &info) { return SearchResponseTable(kTableWindowTable, info) || TWindow::Find(info); }

void TTableWindow::SetupWindow() {
  TWindow::SetupWindow();
  grid = new TWinTableEdit(this, columns, rows, cellFont);
  grid->Attr.X = 0;
  grid->Attr.Y = 0;
  grid->Attr.W = grid->ContentWidth();
  grid->Attr.H = grid->ContentHeight();
  grid->Create();
  columnHeader = new TTableHeader(this, TTableHeader::kColumns, 0, &grid->ColumnWidths(), HeaderFont());
  columnHeader->Attr.W = grid->ContentWidth();
  columnHeader->Create();
  rowHeader = new TTableHeader(this, TTableHeader::kRows, 0, &grid->RowHeights(), HeaderFont());
  rowHeader->Attr.H = grid->ContentHeight();
  rowHeader->Create();
  cornerTitle.clear();
  Layout();
  grid->SetCurrentCell(0, 0);
}

void TTableWindow::Layout() {
  if (grid == nullptr || !IsWindow()) return;
  const RECT client = GetClientRect();
  lastClient = {client.right, client.bottom};
  const int gridWidth = std::max(static_cast<int>(client.right) - rowHeaderWidth, 0);
  const int gridHeight = std::max(static_cast<int>(client.bottom) - headerHeight, 0);
  grid->MoveWindow(rowHeaderWidth, headerHeight, gridWidth, gridHeight, true);
  columnHeader->thickness = headerHeight;
  rowHeader->thickness = rowHeaderWidth;
  columnHeader->MoveWindow(rowHeaderWidth, 0, gridWidth, headerHeight, true);
  rowHeader->MoveWindow(0, headerHeight, rowHeaderWidth, gridHeight, true);
  long scrollX = 0;
  long scrollY = 0;
  grid->ScrollPosition(scrollX, scrollY);
  columnHeader->offset = -static_cast<int>(scrollX);
  rowHeader->offset = -static_cast<int>(scrollY);
  columnHeader->Invalidate();
  rowHeader->Invalidate();
  Invalidate();
}

void TTableWindow::EvSize(UINT sizeType, const SIZE &size) {
  TWindow::EvSize(sizeType, size);
  if (sizeType == SIZE_MINIMIZED || (size.cx == lastClient.cx && size.cy == lastClient.cy)) return;
  Layout();
}

void TTableWindow::SetHeaderHeight(int newHeight) {
  headerHeight = std::max(newHeight, 0);
  Layout();
}

void TTableWindow::SetRowHeaderWidth(int newWidth) {
  rowHeaderWidth = std::max(newWidth, 0);
  Layout();
}

void TTableWindow::ScrollHeaders(long scrollX, long scrollY) {
  if (columnHeader != nullptr && columnHeader->offset != -scrollX) {
    columnHeader->offset = -static_cast<int>(scrollX);
    columnHeader->Invalidate(false);
  }
  if (rowHeader != nullptr && rowHeader->offset != -scrollY) {
    rowHeader->offset = -static_cast<int>(scrollY);
    rowHeader->Invalidate(false);
  }
}

void TTableWindow::Paint(TDC &dc, bool, RECT &) {
  if (columnHeader == nullptr || rowHeader == nullptr || rowHeaderWidth <= 0 || headerHeight <= 0) return;
  if (columnHeader->Font() != nullptr) dc.SelectObject(*columnHeader->Font());
  PaintHeaderButton(dc, RECT{0, 0, rowHeaderWidth, headerHeight}, cornerTitle.c_str(), DT_CENTER, *columnHeader);
  dc.RestoreObjects();
}

void TTableWindow::Redraw() {
  if (columnHeader != nullptr) {
    columnHeader->Invalidate();
    columnHeader->UpdateWindow();
  }
  if (rowHeader != nullptr) {
    rowHeader->Invalidate();
    rowHeader->UpdateWindow();
  }
  if (grid != nullptr) grid->Refresh();
}

void TTableWindow::RedrawCells(int column1, int row1, int column2, int row2) {
  if (grid != nullptr) grid->RedrawCells(column1, row1, column2, row2);
}

namespace {

// A new caption entry in a header at index (the end for Append).
int AddCaption(TTableHeader *header, int index, const char *caption) {
  if (header == nullptr) return 0;
  TStringTable &captions = header->Captions();
  const int ok = index >= captions.Columns() ? captions.AppendColumn() : captions.InsertColumn(index);
  if (ok != 0 && caption != nullptr) header->SetCaption(index, caption);
  header->Invalidate();
  return ok;
}

}  // namespace

int TTableWindow::AppendColumn(const char *caption) {
  if (grid == nullptr) return 0;
  const int column = grid->Columns();
  return grid->AppendColumn() != 0 && AddCaption(columnHeader, column, caption) != 0 ? 1 : 0;
}

int TTableWindow::AppendRow(const char *caption) {
  if (grid == nullptr) return 0;
  const int row = grid->Rows();
  return grid->AppendRow() != 0 && AddCaption(rowHeader, row, caption) != 0 ? 1 : 0;
}

int TTableWindow::InsertColumn(int column, const char *caption) {
  if (grid == nullptr || grid->InsertColumn(column) == 0) return 0;
  return AddCaption(columnHeader, column, caption);
}

int TTableWindow::InsertRow(int row, const char *caption) {
  if (grid == nullptr || grid->InsertRow(row) == 0) return 0;
  return AddCaption(rowHeader, row, caption);
}

int TTableWindow::InsertRowCopy(int row, int source, const char *caption) {
  if (grid == nullptr || grid->InsertRowCopy(row, source) == 0) return 0;
  return AddCaption(rowHeader, row, caption);
}

int TTableWindow::DeleteColumn(int column) {
  if (grid == nullptr || grid->DeleteColumn(column) == 0) return 0;
  columnHeader->Captions().DeleteColumn(column);
  columnHeader->Invalidate();
  return 1;
}

int TTableWindow::DeleteRow(int row) {
  if (grid == nullptr || grid->DeleteRow(row) == 0) return 0;
  rowHeader->Captions().DeleteColumn(row);
  rowHeader->Invalidate();
  return 1;
}

RECT TTableWindow::GetGridRect() const {
  if (grid == nullptr) return RECT{0, 0, 0, 0};
  if (grid->IsWindow()) return grid->GetClientRect();
  return RECT{grid->Attr.X, grid->Attr.Y, grid->Attr.X + grid->Attr.W, grid->Attr.Y + grid->Attr.H};
}

void TTableWindow::CellContextMenu(int column, int row) {
  if (grid == nullptr || grid->Editor() == nullptr) return;
  TPopupMenu menu;
  menu.AppendMenu(MF_STRING, kCmCellUndo, "&Undo");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, kCmCellCut, "Cu&t");
  menu.AppendMenu(MF_STRING, kCmCellCopy, "&Copy");
  menu.AppendMenu(MF_STRING, kCmCellPaste, "&Paste");
  menu.AppendMenu(MF_STRING, kCmCellDelete, "&Delete");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING | (grid->Editor()->CanSelectAll() ? 0U : MF_GRAYED), kCmCellSelectAll, "Select &All");
  long scrollX = 0;
  long scrollY = 0;
  grid->ScrollPosition(scrollX, scrollY);
  const POINT origin = grid->GetCellOrigin(column, row);
  const SIZE size = grid->GetCellSize(column, row);
  POINT centre{origin.x - static_cast<int>(scrollX) + size.cx / 2, origin.y - static_cast<int>(scrollY) + size.cy / 2};
  grid->ClientToScreen(centre);
  menu.TrackPopupMenu(TPM_RIGHTBUTTON, centre, 0, grid->Editor()->GetHandle());
}

TTableScroller::TTableScroller(TWinTableEdit *gridWindow, int xUnit, int yUnit, long xRange, long yRange)
    : TScroller(gridWindow, xUnit, yUnit, xRange, yRange), grid(gridWindow) {}

void TTableScroller::ScrollTo(long x, long y) {
  const long oldX = XPos;
  const long oldY = YPos;
  TScroller::ScrollTo(x, y);
  if (XPos == oldX && YPos == oldY) return;
  grid->PlaceEditor();
  if (grid->Owner() != nullptr) grid->Owner()->ScrollHeaders(XPos, YPos);
}
