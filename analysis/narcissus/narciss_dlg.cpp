#include "analysis/narcissus/narciss_dlg.h"

#include <string>

#include "analysis/narcissus/narcissus_systems.h"
#include "document/system/system_image.h"
#include "foundation/helpers/helpers.h"
#include "foundation/numtext/number_text.h"
#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/binding/field_label.h"
#include "toolkit/binding/value_text.h"
#include "toolkit/help/win_help.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

// 8 points at 96 pixels an inch.
constexpr int kFontHeight = -11;
// Nine rows (a window, a scanning mirror, two lenses, a dummy plane and "All") show at
// once under the header.
constexpr int kRowHeight = 12;
constexpr int kLabelWidth = 40;  // column 0, the surface numbers
constexpr COLORREF kLabelText = 0x808000;
constexpr COLORREF kHeaderText = 0x800000;
constexpr COLORREF kEditText = 0x7F0000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kNoteText = 0x000080;
constexpr int kNoteId = 10000;
// Edits hold up to 127 characters.
constexpr int kEditLength = 128;

const TDialogTemplate kNarcissTemplate{
    "NarcissDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 20, 20, 299, 191,
    "Narcissus analysis(paraxial approximation)",
    {
        {"STATIC", "Spectral band (µm):", 0, SS_LEFT, 6, 6, 80, 9},
        {"EDIT", "", TNarcissDlg::kLambdaMin, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 86, 4, 28, 12},
        {"EDIT", "", TNarcissDlg::kLambdaMax, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 117, 4, 28, 12},
        {"STATIC", "Fraction of light per surface:", 0, SS_LEFT, 152, 6, 114, 9},
        {"EDIT", "", TNarcissDlg::kFraction, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 266, 4, 29, 12},
        {"BUTTON", "Temperatures (Deg.C):", 0, BS_GROUPBOX, 4, 18, 144, 50},
        {"STATIC", "Scene background:", 0, SS_LEFT, 10, 29, 74, 9},
        {"EDIT", "", TNarcissDlg::kScene, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 86, 27, 56, 12},
        {"STATIC", "Lens housing:", 0, SS_LEFT, 10, 42, 74, 9},
        {"EDIT", "", TNarcissDlg::kHousing, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 86, 40, 56, 12},
        {"STATIC", "Detector:", 0, SS_LEFT, 10, 55, 74, 9},
        {"EDIT", "", TNarcissDlg::kDetector, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 86, 53, 56, 12},
        {"BUTTON", "Scanner:", 0, BS_GROUPBOX, 152, 18, 143, 50},
        {"STATIC", "Surface:", 0, SS_LEFT, 158, 29, 86, 9},
        {"EDIT", "", TNarcissDlg::kScanner, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 246, 27, 43, 12},
        {"STATIC", "Max scan angle(deg.):", 0, SS_LEFT, 158, 42, 86, 9},
        {"EDIT", "", TNarcissDlg::kMaxAngle, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 246, 40, 43, 12},
        {"STATIC", "Predicted narcisus induced temperature difference (Deg.C)", 0, SS_LEFT, 6, 70, 280, 9},
        {"STATIC", "", TNarcissDlg::kTablePlace, SS_BLACKFRAME, 4, 79, 291, 85},
        {"STATIC", "Progress", 0, SS_LEFT, 6, 167, 34, 9},
        {"STATIC", "", TNarcissDlg::kGaugePlace, SS_LEFT, 42, 166, 253, 9},
        {"BUTTON", "Compute", TNarcissDlg::kCompute, BS_DEFPUSHBUTTON | WS_TABSTOP, 4, 177, 60, 12},
        {"BUTTON", "Help", TNarcissDlg::kHelp, BS_PUSHBUTTON | WS_TABSTOP, 120, 177, 60, 12},
        {"BUTTON", "Close", IDOK, BS_PUSHBUTTON | WS_TABSTOP, 235, 177, 60, 12},
    }};
const TDialogRegistration kNarcissRegistration(kNarcissTemplate);

const TResponseTableEntry kNarcissTable[] = {
    EvCommand<&TNarcissDlg::CmCalculate>(TNarcissDlg::kCompute),
    EvCommand<&TNarcissDlg::CmClose>(IDOK),
    EvCommand<&TNarcissDlg::CmCancelDlg>(IDCANCEL),
    EvMessage<WM_CLOSE, &TNarcissDlg::EvClose>(),
    EvCommand<&TNarcissDlg::CmHelp>(TNarcissDlg::kHelp),
};

}  // namespace

TMyTableWindow::TMyTableWindow(TWindow *parentDialog, int controlId, int columnCount, int rowCount, TFont *font)
    : TTableWindow(parentDialog, controlId, columnCount, rowCount, font) {}

TMyTableWindow::~TMyTableWindow() = default;

bool TMyTableWindow::Find(TEventInfo &info) { return TTableWindow::Find(info); }

void TMyTableWindow::GetCellColors(int column, int row, const char *, COLORREF &textColor, COLORREF &) {
  TWinTableEdit *cellGrid = Grid();
  if (column != 0 || cellGrid == nullptr || !cellGrid->Cells().Contains(column, row)) return;
  if ((cellGrid->Cells().GetFlags(column, row) & kCellMarked) == 0) textColor = kLabelText;
}

TNarcissDlg::TNarcissDlg(TWindow *parentWindow, TSystemImage *system, TNarcissusParameters *parameters, int turned)
    : TColorDlg(parentWindow, "NarcissDlg"), system_(system), parameters_(parameters), turned_(turned) {
  // Made with the dialog, over its place.
  gauge_ = new TOGauge(this, kGaugePlace);
}

// The table and the gauge are child windows, deleted with the dialog's windows.
TNarcissDlg::~TNarcissDlg() = default;

bool TNarcissDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kNarcissTable, info) || TColorDlg::Find(info);
}

void TNarcissDlg::SetupWindow() {
  TColorDlg::SetupWindow();
  if (TWindow *place = WindowFromHandle(GetDlgItem(kTablePlace))) place->ShowWindow(SW_HIDE);
  table_ = new TMyTableWindow(this, kTablePlace, kColumns, 1, new TFont(kFaceSansSerif, kFontHeight));
  table_->Create();
  for (TTableHeader *header : {table_->ColumnHeader(), table_->RowHeader()}) {
    if (header == nullptr) continue;
    header->SetFont(new TFont(kFaceSansSerif, kFontHeight));
    header->textColor = kHeaderText;
  }
  if (TWinTableEdit *grid = table_->Grid()) {
    grid->SetAllRowHeights(kRowHeight);
    grid->vScrollStep = kRowHeight;
    grid->SetColors(0x000000, kWhite);
    // The table only shows results.
    grid->SetAllCellFlag(kCellReadOnly, true);
    // The columns share the width left beside the labels and a vertical scroll bar.
    const RECT client = table_->GetClientRect();
    const int rest = (static_cast<int>(client.right) - kLabelWidth - GetSystemMetrics(SM_CXVSCROLL) - 2) / (kColumns - 1);
    grid->SetColumnWidth(0, kLabelWidth);
    for (int c = 1; c < kColumns; ++c) grid->SetColumnWidth(c, rest > 30 ? rest : 30);
  }
  table_->SetHeaderHeight(kRowHeight + 2);
  table_->SetRowHeaderWidth(0);
  if (TTableHeader *header = table_->ColumnHeader()) {
    header->SetCaption(0, "#sf");
    for (int c = 1; c < kColumns; ++c) header->SetCaption(c, "-");
  }
  const TNarcissusParameters &p = *parameters_;
  SetDlgItemText(kLambdaMin, FormatDouble(p.lambdaMin, 8, 3, 1e-8));
  SetDlgItemText(kLambdaMax, FormatDouble(p.lambdaMax, 8, 3, 1e-8));
  SetDlgItemText(kScene, FormatDouble(p.sceneTemperature, 8, 3, 1e-8));
  SetDlgItemText(kHousing, FormatDouble(p.housingTemperature, 8, 3, 1e-8));
  SetDlgItemText(kDetector, FormatDouble(p.detectorTemperature, 8, 3, 1e-8));
  SetDlgItemText(kFraction, FormatDouble(p.fraction, 8, 3, 1e-8));
  SetDlgItemText(kMaxAngle, FormatDouble(p.maxScanAngle, 8, 3, 1e-8));
  // The scanner as the editor numbers its surfaces, also when the copy analysed is turned.
  SetDlgItemText(kScanner, FormatInt(EditorSurfaceNumber(p.scannerSurface, system_->SurfaceCount(), turned_ != 0)));
  gauge_->MoveOverControl();
  gauge_->SetRange(0, 100);
  table_->Redraw();
  SetFontToChildren(GetHandle(), nullptr);
}

void TNarcissDlg::SetControlColors() {
  TColorDlg::SetControlColors();
  if (currentKind == CTLCOLOR_EDIT) {
    textColor = kEditText;
    backgroundColor = kWhite;
  } else if (currentKind == CTLCOLOR_STATIC && currentId == kNoteId) {
    textColor = kNoteText;
  }
}

void TNarcissDlg::KeepTypedValues() {
  if (parameters_ == nullptr || system_ == nullptr || GetHandle() == nullptr) return;
  // Only what reads as a number is kept; a field left unreadable keeps the value it had.
  const auto keep = [this](int id, char type, void *value) {
    char text[kEditLength] = {};
    GetDlgItemText(id, text, sizeof text);
    ParseBoundValue(type, value, 0, nullptr, text, nullptr);
  };
  TNarcissusParameters &p = *parameters_;
  keep(kLambdaMin, 'd', &p.lambdaMin);
  keep(kLambdaMax, 'd', &p.lambdaMax);
  keep(kFraction, 'd', &p.fraction);
  keep(kScene, 'd', &p.sceneTemperature);
  keep(kHousing, 'd', &p.housingTemperature);
  keep(kDetector, 'd', &p.detectorTemperature);
  keep(kMaxAngle, 'd', &p.maxScanAngle);
  int typed = 0;
  char text[kEditLength] = {};
  GetDlgItemText(kScanner, text, sizeof text);
  const int count = system_->SurfaceCount();
  if (ParseBoundValue('i', &typed, 0, nullptr, text, nullptr) != 0) {
    const int scanner = AnalysedSurfaceIndex(typed, count, turned_ != 0);
    if (scanner >= 0 && scanner < count) p.scannerSurface = scanner;
  }
}

bool TNarcissDlg::ReadField(int id, char type, void *value) {
  char text[kEditLength] = {};
  GetDlgItemText(id, text, sizeof text);
  TNumberRead why = TNumberRead::Number;
  if (ParseBoundValue(type, value, 0, nullptr, text, &why) != 0) return true;
  // Typed numbers are read as every field reads them: a text that is not wholly a number,
  // or one beyond the field's type, is refused by the field's name, and nothing runs.
  TWindow *field = ChildWithId(id);
  const std::string name = field != nullptr ? FieldLabel(*this, *field) : "Field";
  MessageBox(GetHandle(), RefusedNumberMessage(name, text, why).c_str(), kNarcissCaption, MB_OK);
  return false;
}

int TNarcissDlg::RowCount() const {
  return table_ != nullptr && table_->Grid() != nullptr ? table_->Grid()->Rows() : 0;
}

std::string TNarcissDlg::CellText(int column, int row) const {
  if (table_ == nullptr || table_->Grid() == nullptr) return std::string();
  TStringTable &cells = table_->Grid()->Cells();
  return cells.Contains(column, row) ? cells.GetItem(column, row).text : std::string();
}

std::string TNarcissDlg::ColumnCaption(int column) const {
  if (table_ == nullptr || table_->ColumnHeader() == nullptr) return std::string();
  return table_->ColumnHeader()->Caption(column);
}

void TNarcissDlg::SetCell(int column, int row, const std::string &text) {
  TWinTableEdit *grid = table_ != nullptr ? table_->Grid() : nullptr;
  if (grid == nullptr) return;
  while (grid->Rows() <= row) table_->AppendRow("");
  grid->Cells().GetItem(column, row).text = text;
}

void TNarcissDlg::CmCalculate() {
  if (running_ != 0 || system_ == nullptr || parameters_ == nullptr) return;
  int typed = 0;
  TNarcissusParameters typedValues = *parameters_;
  if (!ReadField(kLambdaMin, 'd', &typedValues.lambdaMin) || !ReadField(kLambdaMax, 'd', &typedValues.lambdaMax) ||
      !ReadField(kFraction, 'd', &typedValues.fraction) || !ReadField(kScene, 'd', &typedValues.sceneTemperature) ||
      !ReadField(kHousing, 'd', &typedValues.housingTemperature) ||
      !ReadField(kDetector, 'd', &typedValues.detectorTemperature) || !ReadField(kScanner, 'i', &typed) ||
      !ReadField(kMaxAngle, 'd', &typedValues.maxScanAngle))
    return;
  const int count = system_->SurfaceCount();
  const int scanner = AnalysedSurfaceIndex(typed, count, turned_ != 0);
  const std::string refusal =
      CheckNarcissusInput(scanner + 1, count, typedValues.lambdaMin, typedValues.lambdaMax, typedValues);
  if (!refusal.empty()) {
    MessageBox(GetHandle(), refusal.c_str(), kNarcissCaption, MB_OK);
    return;
  }
  typedValues.scannerSurface = scanner;
  running_ = 1;
  ::EnableWindow(GetDlgItem(kCompute), 0);
  ::EnableWindow(GetDlgItem(IDOK), 0);
  *parameters_ = typedValues;
  if (TWinTableEdit *grid = table_->Grid()) {
    grid->ClearAll();
    while (grid->Rows() > 1) table_->DeleteRow(grid->Rows() - 1);
  }
  for (int c = 1; c < kColumns; ++c) table_->ColumnHeader()->SetCaption(c, "-");
  table_->Redraw();
  gauge_->SetPosition(0);

  SetWaitCursor();
  TSystemImageNarcissus systems(*system_);
  const TNarcissusResult result = ComputeNarcissus(*system_, systems, *parameters_, turned_ != 0, [this](int percent) {
    gauge_->SetPosition(percent);
    gauge_->UpdateWindow();
  });
  ShowResult(result);
  EndRun();
  if (!result.Ok()) MessageBox(GetHandle(), result.message.c_str(), kNarcissCaption, MB_OK);
}

void TNarcissDlg::ShowResult(const TNarcissusResult &result) {
  const int positions = static_cast<int>(result.angles.size());
  for (int p = 0; p < positions && p + 1 < kColumns; ++p)
    table_->ColumnHeader()->SetCaption(p + 1, FormatDouble(result.angles[p], 5, 3, 1e-8));
  const int rows = static_cast<int>(result.shownRows.size());
  if (!result.cells.empty()) {
    TNarcissusCell zero;
    zero.kind = TNarcissusCell::kNone;
    for (int r = 0; r < rows; ++r) {
      const int computed = result.shownRows[r];
      SetCell(0, r, FormatInt(result.shownLabels[r]));
      for (int p = 0; p < positions && p + 1 < kColumns; ++p)
        SetCell(p + 1, r, NarcissusCellText(computed < 0 ? zero : result.cells[computed][p]));
    }
    SetCell(0, rows, "All");
    for (int p = 0; p < positions && p + 1 < kColumns; ++p) SetCell(p + 1, rows, NarcissusCellText(result.all[p]));
  }
  if (TWinTableEdit *grid = table_->Grid()) {
    grid->SetAllRowHeights(kRowHeight);
    grid->SetAllCellFlag(kCellReadOnly, true);
    grid->Refresh();
  }
  table_->ColumnHeader()->Invalidate();
  table_->Redraw();
}

void TNarcissDlg::EndRun() {
  running_ = 0;
  ::EnableWindow(GetDlgItem(kCompute), 1);
  ::EnableWindow(GetDlgItem(IDOK), 1);
  SetArrowCursor();
}

void TNarcissDlg::CmClose() {
  if (running_ != 0) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  KeepTypedValues();
  CmOk();
}

void TNarcissDlg::CmCancelDlg() {
  if (running_ != 0) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  KeepTypedValues();
  CmCancel();
}

void TNarcissDlg::EvClose() {
  if (running_ != 0) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  KeepTypedValues();
  CmCancel();
}

void TNarcissDlg::CmHelp() { WinHelp(GetHandle(), ApplicationHelpFile().c_str(), HELP_CONTEXT, kHelpContext); }
