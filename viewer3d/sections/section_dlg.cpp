#include "viewer3d/sections/section_dlg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/numtext/typed_number.h"
#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"

#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/table_window.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr COLORREF kHeaderText = RGB(0, 0, 128);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kMarked = RGB(255, 255, 0);
constexpr int kColumnWidths[3] = {90, 35, 35};
constexpr const char *kCaptions[3] = {"Element", "Fi 1", "Fi 2"};
// The room the table leaves for the header below ten rows.
constexpr int kHeaderRoom = 16;
constexpr int kEditLength = 64;
constexpr double kFullTurnDegrees = 360.0;

// An angle as the table and the edits show it: whole degrees without a point, every digit a
// typed angle may carry.
std::string AngleText(double degrees) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", degrees);
  return text;
}

const TDialogTemplate kSectionTemplate{
    "SectionDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 0, 0, 196, 128,
    "Sections parameters",
    {
        {"STATIC", "", TSectionDlg::kTablePlace, SS_BLACKFRAME, 6, 6, 126, 116},
        {"EDIT", "", TSectionDlg::kFirstAngle, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 140, 8, 50, 12},
        {"EDIT", "", TSectionDlg::kSecondAngle, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 140, 24, 50, 12},
        {"BUTTON", "Set  for all", TSectionDlg::kSetForAll, BS_PUSHBUTTON | WS_TABSTOP, 140, 40, 50, 14},
        {"BUTTON", "Apply", TSectionDlg::kApply, BS_PUSHBUTTON | WS_TABSTOP, 140, 72, 50, 14},
        {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 90, 50, 14},
        {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 140, 108, 50, 14},
    }};
const TDialogRegistration kSectionRegistration(kSectionTemplate);

const TResponseTableEntry kSectionTable[] = {
    EvCommand<&TSectionDlg::CmSetForAll>(TSectionDlg::kSetForAll),
    EvCommand<&TSectionDlg::CmApply>(TSectionDlg::kApply),
    EvCommand<&TSectionDlg::CmOkSections>(IDOK),
    EvCommand<&TSectionDlg::CmCancelSections>(IDCANCEL),
};

// An 8-point face at the screen's resolution, normal weight.
TFont *TableFont() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? TDC::FromHandle(screen)->GetDeviceCaps(LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return new TFont(kFaceSansSerif, -(8 * dpi + 36) / 72, 0, 0, 400);
}

// The table of names and angles. A name cannot be typed over, so the cell editor shows a
// selected name with its caret at the start rather than its text selected: the cell stays
// black on white like every other.
class TSectionTable final : public TTableWindow {
 public:
  using TTableWindow::TTableWindow;
  void CellSelected(int column, int) override {
    if (column != 0 || Grid() == nullptr || Grid()->Editor() == nullptr) return;
    Grid()->Editor()->EditInPlace(0);
  }
  // Enter (and every key the cell editor ends an edit with) selects the cell's text whole;
  // a name keeps the look it had when clicked.
  void CellKey(UINT, int column, int row) override {
    if (Grid() != nullptr && Grid()->Editor() != nullptr && !Grid()->Editor()->EditingInPlace())
      CellSelected(column, row);
  }
};

}  // namespace

bool ReadSectionAngle(const std::string &text, const std::string &field, double &degrees, std::string &message) {
  double value = 0.0;
  TNumberRead read = ReadTypedNumber(text, value);
  if (read == TNumberRead::Empty) {
    degrees = 0.0;
    return true;
  }
  // Beyond a full turn the open sector has no meaning.
  if (read == TNumberRead::Number && std::fabs(value) > kFullTurnDegrees) read = TNumberRead::OutOfRange;
  if (read != TNumberRead::Number) {
    message = RefusedNumberMessage(field, text, read);
    return false;
  }
  degrees = value;
  return true;
}

TSectionDlg::TSectionDlg(TWindow *parentWindow, const char *resource, std::vector<ViewerElementEntry> &entries,
                         TViewerScene &scene)
    : TColorDlg(parentWindow, resource), entries_(entries), saved_(entries), scene_(scene) {}

// The table is a child window: it goes with the dialog.
TSectionDlg::~TSectionDlg() = default;

bool TSectionDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kSectionTable, info) || TColorDlg::Find(info);
}

void TSectionDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  if (TWindow *place = WindowFromHandle(GetDlgItem(kTablePlace))) place->ShowWindow(SW_HIDE);
  const int rows = std::max(kRows, static_cast<int>(entries_.size()));
  table_ = new TSectionTable(this, kTablePlace, 3, rows, TableFont());
  table_->Create();
  table_->SetRowHeaderWidth(0);
  if (TWinTableEdit *grid = table_->Grid()) {
    // Ten rows fill the grid below the header.
    const RECT gridRect = table_->GetGridRect();
    const int gridHeight = static_cast<int>(gridRect.bottom - gridRect.top);
    const int rowHeight = std::max(1, (gridHeight - kHeaderRoom) / kVisibleRows);
    grid->SetAllRowHeights(rowHeight);
    grid->vScrollStep = rowHeight;
    grid->hScrollStep = 1;
    table_->SetHeaderHeight(gridHeight - kVisibleRows * rowHeight);
    for (int c = 0; c < 3; ++c) grid->SetColumnWidth(c, kColumnWidths[c]);
    grid->SetColors(kBlack, kWhite);
    grid->SetSelectionColors(kBlack, kWhite);
    grid->SetMarkedColors(kBlack, kMarked);
    grid->SetColumnReadOnly(0, true);
  }
  if (TTableHeader *header = table_->ColumnHeader()) {
    header->SetFont(TableFont());
    header->textColor = kHeaderText;
    for (int c = 0; c < 3; ++c) header->SetCaption(c, kCaptions[c]);
  }
  FillTable();
  // The table starts on the first name.
  if (TWinTableEdit *grid = table_->Grid(); grid != nullptr && grid->Editor() != nullptr) table_->CellSelected(0, 0);
  SetDlgItemText(kFirstAngle, "0");
  SetDlgItemText(kSecondAngle, "90");
}

void TSectionDlg::FillTable() {
  if (table_ == nullptr || table_->Grid() == nullptr) return;
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
    const ViewerElementEntry &entry = entries_[static_cast<std::size_t>(i)];
    SetCellText(0, i, std::string(entry.name, strnlen(entry.name, sizeof entry.name)));
    SetCellText(1, i, AngleText(entry.fi1));
    SetCellText(2, i, AngleText(entry.fi2));
  }
  table_->Grid()->Refresh();
  table_->Redraw();
}

std::string TSectionDlg::CellText(int column, int row) const {
  if (table_ == nullptr || table_->Grid() == nullptr) return std::string();
  TStringTable &cells = table_->Grid()->Cells();
  return cells.Contains(column, row) ? cells.GetItem(column, row).text : std::string();
}

void TSectionDlg::SetCellText(int column, int row, const std::string &text) {
  if (table_ == nullptr || table_->Grid() == nullptr) return;
  TStringTable &cells = table_->Grid()->Cells();
  if (cells.Contains(column, row)) cells.GetItem(column, row).text = text;
}

void TSectionDlg::TellRefused(const std::string &message) {
  MessageBox(GetHandle(), message.c_str(), "Warning", MB_OK | MB_ICONEXCLAMATION);
}

bool TSectionDlg::ReadAngleEdit(int id, const char *field, double &degrees) {
  char text[kEditLength] = {};
  GetDlgItemText(id, text, sizeof text);
  std::string message;
  if (ReadSectionAngle(text, field, degrees, message)) return true;
  TellRefused(message);
  if (TWindow *edit = WindowFromHandle(GetDlgItem(id))) edit->SetFocus();
  return false;
}

bool TSectionDlg::ReadTableAngles(std::vector<double> &angles) {
  angles.assign(entries_.size() * 2, 0.0);
  for (int i = 0; i < static_cast<int>(entries_.size()); ++i)
    for (int column = 1; column <= 2; ++column) {
      const std::string field =
          std::string(kCaptions[column]) + " of " + CellText(0, i);
      std::string message;
      if (ReadSectionAngle(CellText(column, i), field, angles[static_cast<std::size_t>(2 * i + column - 1)],
                           message))
        continue;
      if (table_ != nullptr && table_->Grid() != nullptr) table_->Grid()->SetCurrentCell(column, i);
      TellRefused(message);
      return false;
    }
  return true;
}

void TSectionDlg::Repaint() {
  scene_.ClearScene();
  scene_.PaintObjects(scene_.ObjectsProgressive());
  scene_.PaintRays(scene_.RaysProgressive());
}

void TSectionDlg::CmSetForAll() {
  double first = 0.0, second = 0.0;
  if (!ReadAngleEdit(kFirstAngle, kCaptions[1], first) || !ReadAngleEdit(kSecondAngle, kCaptions[2], second))
    return;
  const double low = std::min(first, second), high = std::max(first, second);
  SetDlgItemText(kFirstAngle, AngleText(low).c_str());
  SetDlgItemText(kSecondAngle, AngleText(high).c_str());
  for (ViewerElementEntry &entry : entries_) {
    entry.fi1 = low;
    entry.fi2 = high;
  }
  FillTable();
}

bool TSectionDlg::ApplyTable() {
  // A cell still being typed in counts as typed.
  if (table_ != nullptr && table_->Grid() != nullptr) table_->Grid()->CommitEditor();
  // Every cell is read before any entry changes: a refused one leaves the scene as it was.
  std::vector<double> angles;
  if (!ReadTableAngles(angles)) return false;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    entries_[i].fi1 = std::min(angles[2 * i], angles[2 * i + 1]);
    entries_[i].fi2 = std::max(angles[2 * i], angles[2 * i + 1]);
  }
  Repaint();
  applied_ = true;
  return true;
}

void TSectionDlg::CmApply() { ApplyTable(); }

void TSectionDlg::CmOkSections() {
  if (ApplyTable()) CloseWindow(IDOK);
}

void TSectionDlg::CmCancelSections() {
  for (std::size_t i = 0; i < entries_.size() && i < saved_.size(); ++i) {
    entries_[i].fi1 = saved_[i].fi1;
    entries_[i].fi2 = saved_[i].fi2;
  }
  if (applied_) Repaint();
  CloseWindow(IDCANCEL);
}
