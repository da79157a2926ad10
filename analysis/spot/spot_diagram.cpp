#include "analysis/spot/spot_diagram.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "analysis/legend/view_indication_dlg.h"
#include "foundation/helpers/helpers.h"
#include "optics/model/optical_system.h"
#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/help/win_help.h"
#include "toolkit/graph/c_graph.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/render3d/o_palette.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

// The spot diagram topic of the program's help file.

// A cell in which a spot's structure reads well (the settings record's own default).
constexpr int kDefaultFieldSize = 150;
constexpr int kDefaultRayNumber = 100;
// Layout of the plot: the scale bar's column, the cells' left edge and spacing.
constexpr int kCellsLeft = 27;
constexpr int kCellGap = 10;
constexpr int kTop = 10;
constexpr int kBarLeft = 17;
constexpr int kBarWidth = 5;
constexpr COLORREF kCrossColor = 0xC0C0C0;
constexpr int kWavelengthRampFirst = 9;
constexpr int kWavelengthRampLast = 13;
// The settings' bound fields: dark blue on white.
constexpr COLORREF kFieldText = 0xC00000;
constexpr COLORREF kFieldBack = 0xFFFFFF;

const TDialogTemplate kSpotTemplate{"SpotDiagramDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU, 10, 10, 200, 120,
                                    "Spot diagram", {}};
const TDialogRegistration kSpotRegistration(kSpotTemplate);

const TDialogTemplate kSettingsTemplate{"SpotSettingsDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                        20, 20, 150, 70, "Spot Diagram", {
    {"STATIC", "Size of field:", 0, SS_LEFT, 6, 8, 50, 9},
    {"EDIT", "", TSpotSettings::kFieldEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 60, 6, 40, 12},
    {"STATIC", "(pixel)", 0, SS_LEFT, 104, 8, 40, 9},
    {"STATIC", "Ray number:", 0, SS_LEFT, 6, 26, 50, 9},
    {"EDIT", "100", TSpotSettings::kRaysEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 60, 24, 40, 12},
    {"BUTTON", "Apply", TSpotSettings::kApply, BS_PUSHBUTTON | WS_TABSTOP, 6, 48, 40, 14},
    {"BUTTON", "Ok", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 54, 48, 40, 14},
    {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 102, 48, 40, 14},
}};
const TDialogRegistration kSettingsRegistration(kSettingsTemplate);

const TMenuTemplateItem kSpotMenu[] = {
    {"&Scale", 0, MF_POPUP},
    {"&Auto", CM_SPOT_AUTO, 0},
    {"&Keep", CM_SPOT_KEEP, 0},
    {"&Fixed", CM_SPOT_FIXED, 0},
    {nullptr, 0, MF_END},
    {"&Colors", CM_SPOT_COLORS, 0},
    {"Se&tting", CM_SPOT_SETTINGS, 0},
    {"&Help", CM_SPOT_HELP, 0},
};
struct TSpotMenuRegistration {
  TSpotMenuRegistration() {
    RegisterMenuResource("SPOT_DIAGRAM_MENU", kSpotMenu, static_cast<int>(std::size(kSpotMenu)));
  }
};
const TSpotMenuRegistration kSpotMenuRegistration;

const TResponseTableEntry kSpotTable[] = {
    EvMessage<WM_CLOSE, &TSpotDiagram::EvClose>(),
    EvMessage<WM_DESTROY, &TSpotDiagram::EvDestroy>(),
    EvCommand<&TSpotDiagram::CmAuto>(CM_SPOT_AUTO),
    EvCommand<&TSpotDiagram::CmKeep>(CM_SPOT_KEEP),
    EvCommand<&TSpotDiagram::CmFixed>(CM_SPOT_FIXED),
    EvCommand<&TSpotDiagram::CmSettings>(CM_SPOT_SETTINGS),
    EvCommand<&TSpotDiagram::CmHelp>(CM_SPOT_HELP),
    EvCommand<&TSpotDiagram::CmColors>(CM_SPOT_COLORS),
    EvCommand<&TSpotDiagram::CmLegendDestroyed>(CM_LEGEND_DESTROYED),
    EvMessage<&TSpotDiagram::EvBackgroundChanged>(WM_GRAPH_BACKGROUND_CHANGED),
};

const TResponseTableEntry kSettingsTable[] = {
    EvCommand<&TSpotSettings::CmApply>(TSpotSettings::kApply),
    EvCommand<&TSpotSettings::CmOkay>(IDOK),
};

int CommandOfMode(int mode) { return mode == 1 ? CM_SPOT_KEEP : mode == 2 ? CM_SPOT_FIXED : CM_SPOT_AUTO; }
int ModeOfCommand(int command) { return command == CM_SPOT_KEEP ? 1 : command == CM_SPOT_FIXED ? 2 : 0; }

// "%-10.4g" without its blanks.
std::string Compact(const char *prefix, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%-10.4g", prefix, value);
  std::string s(text);
  s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
  return s;
}

}  // namespace

TSpotDiagram::TSpotDiagram(TWindow *parentWindow, TOpticalSystem *system, TSpotSettingsRecord *settings)
    : TColorDlg(parentWindow, "SpotDiagramDlg"), system_(system), settings_(settings) {
  if (settings_->fieldSize == 0) settings_->fieldSize = kDefaultFieldSize;
  if (settings_->rayNumber == 0) settings_->rayNumber = kDefaultRayNumber;
  scaleCommand_ = CommandOfMode(settings_->scaleMode);
  const COLORREF backColor = RGB(settings_->bkColor[0], settings_->bkColor[1], settings_->bkColor[2]);
  graph_ = new TCGraph(this, 0, 0, 100, 100, WS_CHILD | WS_VISIBLE | kGraphMenu, backColor, SharedPalette);
}

TSpotDiagram::~TSpotDiagram() = default;

bool TSpotDiagram::Find(TEventInfo &info) {
  return SearchResponseTable(kSpotTable, info) || TColorDlg::Find(info);
}

void TSpotDiagram::SetupWindow() {
  TColorDlg::SetupWindow();
  if (HMENU menu = LoadMenu(nullptr, "SPOT_DIAGRAM_MENU")) SetMenu(GetHandle(), menu);
  CheckMenuItem(GetMenu(GetHandle()), scaleCommand_, MF_BYCOMMAND | MF_CHECKED);
  Recalculate();
  PlaceOnScreen(settings_->position[0], settings_->position[1], true);
}

void TSpotDiagram::PlaceOnScreen(int left, int top, bool opening) {
  // Wholly on the screen and clear of the editor's menu bar; the window keeps the size
  // of its plot. Opening, it steps aside from a window already open at that corner.
  const RECT window = GetWindowRect();
  const RECT wanted{left, top, left + (window.right - window.left), top + (window.bottom - window.top)};
  const RECT placed = opening ? PlaceCascaded(*this, wanted, SIZE{0, 0}) : PlaceReadable(GetParentO(), wanted, SIZE{0, 0});
  if (placed.left != window.left || placed.top != window.top)
    SetWindowPos(nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW);
}

void TSpotDiagram::Recalculate() {
  if (system_ == nullptr || graph_ == nullptr || graph_->GetHandle() == nullptr) return;
  SetWaitCursor();
  if (legend_ != nullptr) legend_->Layout(0, -1);
  settings_->scaleMode = ModeOfCommand(scaleCommand_);
  spot_.Compute(*system_, *settings_);
  Draw();
  SetArrowCursor();
}

void TSpotDiagram::Draw() {
  const int F = settings_->fieldSize;
  const int beams = spot_.beams.data ? spot_.beams.cols : 0;
  const int plotWidth = (F + kCellGap) * beams + kCellsLeft;
  const int plotHeight = F + 30;
  if (graph_->GetBitmapSize().cx != plotWidth || graph_->GetBitmapSize().cy != plotHeight) {
    // The window fits the plot: its frame, caption and menu around a client of that size.
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    const int frameX = (window.right - window.left) - (client.right - client.left);
    const int frameY = (window.bottom - window.top) - (client.bottom - client.top);
    SetWindowPos(nullptr, 0, 0, plotWidth + frameX, plotHeight + frameY,
                 SWP_NOMOVE | SWP_NOZORDER);
    graph_->CreateBitmap(plotWidth, plotHeight);
    graph_->MoveWindow(0, 0, plotWidth, plotHeight, true);
    // Grown by more beams or larger cells: still wholly on the screen.
    PlaceOnScreen(window.left, window.top);
  }
  const COLORREF backColor = graph_->GetHandleField();
  const COLORREF contrast = backColor == RGB(255, 255, 255) ? RGB(0, 0, 0) : RGB(255, 255, 255);
  graph_->ResetPen();
  graph_->SetPenColor(contrast);
  graph_->SetTextColor(contrast);
  graph_->SetPlotArea(1, 1, plotWidth - 2, plotHeight - 2, false, true);
  if (SharedPalette != nullptr) SharedPalette->SetRange(kWavelengthRampFirst, kWavelengthRampLast);

  const TSpotSettingsRecord &s = *settings_;
  // The scale bar: the meridional span of the common scale.
  graph_->SetPlotArea(kBarLeft, kTop, kBarWidth, F, false, false);
  graph_->SetWorld(-1.0, 1.0, spot_.plotMmin, spot_.plotMmax);
  const double barLow = s.Mmax < s.Mmin ? spot_.plotMmin : s.Mmin;
  const double barHigh = s.Mmax < s.Mmin ? spot_.plotMmax : s.Mmax;
  graph_->MoveTo(0.0, barLow, false);
  graph_->MoveTo(0.0, barHigh, true);
  for (double end : {barLow, barHigh}) {
    const POINT p = graph_->WorldToDevice(0.0, end);
    graph_->MoveToDevice(p.x - 2 - kBarLeft, p.y - kTop, false);
    graph_->MoveToDevice(p.x + 3 - kBarLeft, p.y - kTop, true);
  }
  TOFont turned(kFaceArial, 12);
  turned.SetEscapement(900);
  graph_->SetFont(turned);
  graph_->TextOut(kBarLeft - 3, kTop + F / 2, Compact("", spot_.meridionalSpan).c_str(), TA_CENTER | TA_BOTTOM);
  graph_->RestoreFont();

  graph_->SetMarkerSize(1, 1);
  for (int b = 0; b < beams; ++b) {
    const int left = (F + kCellGap) * b + kCellsLeft;
    graph_->SetPlotArea(left, kTop, F, F, false, false);
    double sLow = spot_.plotSmin, sHigh = spot_.plotSmax;
    if (sLow == sHigh) {
      sLow -= 1.0;
      sHigh += 1.0;
    }
    graph_->SetWorld(sLow, sHigh, spot_.plotMmin, spot_.plotMmax);
    // A grey cross through the origin, half of each range long.
    const double halfS = (sHigh - sLow) / 4.0, halfM = (spot_.plotMmax - spot_.plotMmin) / 4.0;
    graph_->SetPenColor(kCrossColor);
    graph_->MoveTo(-halfS, 0.0, false);
    graph_->MoveTo(halfS, 0.0, true);
    graph_->MoveTo(0.0, -halfM, false);
    graph_->MoveTo(0.0, halfM, true);
    graph_->SetPenColor(contrast);
    const TSpotPoints &points = spot_.beams.data[b];
    const int count = points.Cells();
    for (int p = 0; p < count; ++p) {
      const COLORREF color =
          SharedPalette != nullptr ? SharedPalette->ValueToColor(points.data[p].z) : contrast;
      graph_->FillMarker(points.data[p].x, points.data[p].y, color);
    }
    graph_->TextOut(left + F / 2, kTop + F + 3, Compact("Y=", spot_.beamFields.data[b]).c_str(),
                    TA_CENTER | TA_TOP);
  }
  graph_->Refresh();
}

int TSpotDiagram::SaveSettings() {
  settings_->scaleMode = ModeOfCommand(scaleCommand_);
  if (graph_ != nullptr) {
    const COLORREF backColor = graph_->GetHandleField();
    settings_->bkColor[0] = GetRValue(backColor);
    settings_->bkColor[1] = GetGValue(backColor);
    settings_->bkColor[2] = GetBValue(backColor);
  }
  const RECT window = GetWindowRect();
  settings_->position[0] = window.left;
  settings_->position[1] = window.top;
  return 1;
}

void TSpotDiagram::EvClose() {
  SaveSettings();
  DefaultProcessing();
}

void TSpotDiagram::EvDestroy() {
  // The settings are stored on every way out, not only through the close box.
  SaveSettings();
  if (legend_ != nullptr) {
    TViewIndicationDlg *legend = legend_;
    legend_ = nullptr;
    legend->Destroy();
  }
  graph_ = nullptr;
  if (TWindow *owner = GetParentO())
    owner->SendMessage(WM_COMMAND, CM_SPOT_DESTROYED, reinterpret_cast<LPARAM>(this));
  DefaultProcessing();
}

void TSpotDiagram::CmScale(int command) {
  HMENU menu = GetMenu(GetHandle());
  CheckMenuItem(menu, scaleCommand_, MF_BYCOMMAND | MF_UNCHECKED);
  scaleCommand_ = command;
  CheckMenuItem(menu, scaleCommand_, MF_BYCOMMAND | MF_CHECKED);
  Recalculate();
}

void TSpotDiagram::CmSettings() {
  TSpotSettings dialog(this, settings_);
  dialog.Execute();
}

void TSpotDiagram::CmHelp() {
  WinHelp(GetHandle(), ApplicationHelpFile().c_str(), HELP_CONTEXT, kSpotHelpContext);
}

void TSpotDiagram::CmColors() {
  if (legend_ != nullptr) return;
  legend_ = new TViewIndicationDlg(this, system_, 0, -1, kLegendSpot);
  if (!legend_->Create()) {
    legend_ = nullptr;
    return;
  }
  // Beside this window's client area, at its top-left corner, keeping its size.
  POINT corner{0, 0};
  ClientToScreen(corner);
  const RECT own = legend_->GetWindowRect();
  legend_->MoveWindow(corner.x, corner.y, own.right - own.left, own.bottom - own.top, true);
  legend_->ShowWindow(SW_SHOW);
}

TSpotSettings::TSpotSettings(TSpotDiagram *owner, TSpotSettingsRecord *settings)
    : TColorDlg(owner, "SpotSettingsDlg"),
      owner_(owner),
      settings_(settings),
      fields_(std::make_unique<TMultiEdit>(this, kMultiEditCapacity)),
      fieldSize_(settings != nullptr ? settings->fieldSize : kDefaultFieldSize),
      rayNumber_(settings != nullptr ? settings->rayNumber : kDefaultRayNumber) {
  fields_->AddEdit(kFieldEdit, &fieldSize_, 'i', "%d");
  fields_->AddEdit(kRaysEdit, &rayNumber_, 'i', "%d");
}

TSpotSettings::~TSpotSettings() = default;

bool TSpotSettings::Find(TEventInfo &info) {
  return SearchResponseTable(kSettingsTable, info) || TColorDlg::Find(info);
}

void TSpotSettings::SetupWindow() {
  TColorDlg::SetupWindow();
  SetFontToChildren(GetHandle(), static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  fields_->SetColors(kFieldBack, kFieldText);
  fields_->WriteAll();
}

void TSpotSettings::SetControlColors() {
  TColorDlg::SetControlColors();
  fields_->EditTextColor(currentKind, currentId, textColor);
}

bool TSpotSettings::Apply() {
  if (fields_->ReadAll() == 0) return false;
  // A field of no pixels draws nothing and no rays make no spot: refused by the field's
  // name, as a text that is no number is, instead of being dropped without a word. More
  // rays than the cap would overflow the square of rays or ask for memory without end.
  const auto refuse = [this](int id, const std::string &why) {
    MessageBox(GetHandle(), fields_->FieldName(id) + ": " + why, "Spot Diagram", MB_OK | MB_ICONEXCLAMATION);
    if (TWindow *field = ChildWithId(id)) field->SetFocus();
    return false;
  };
  if (fieldSize_ < 1) return refuse(kFieldEdit, std::to_string(fieldSize_) + " is no size; at least 1 pixel.");
  if (rayNumber_ < 1) return refuse(kRaysEdit, std::to_string(rayNumber_) + " is no ray number; at least 1 ray.");
  if (rayNumber_ > kMaxSpotRayNumber)
    return refuse(kRaysEdit, "at most " + std::to_string(kMaxSpotRayNumber) + " rays per beam.");
  if (settings_ != nullptr) {
    settings_->fieldSize = fieldSize_;
    settings_->rayNumber = rayNumber_;
  }
  if (owner_ != nullptr) owner_->Recalculate();
  return true;
}

void TSpotSettings::CmOkay() {
  if (Apply()) EndDialog(IDOK);
}
