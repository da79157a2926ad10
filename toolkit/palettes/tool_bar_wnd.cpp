#include "toolkit/palettes/tool_bar_wnd.h"

#include "platform/gui/bars/resources.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window_handles.h"
#include "toolkit/bars/show_help_wnd.h"

namespace {

constexpr COLORREF kBoxFace = 0xC0C0C0;
constexpr int kTinyCaptionPercent = 70;
constexpr int kFrameCaptionPercent = 58;

const TResponseTableEntry kToolBarWndTable[] = {
    EvMessage<WM_TIMER, &TToolBarWnd::EvTimer>(),
    EvCommand<&TToolBarWnd::CmAlwaysOnTop>(CM_PALETTE_ON_TOP),
    EvCommand<&TToolBarWnd::CmHorizontal>(CM_PALETTE_HORIZONTAL),
    EvCommand<&TToolBarWnd::CmVertical>(CM_PALETTE_VERTICAL),
    EvCommand<&TToolBarWnd::CmDefault>(CM_PALETTE_DEFAULT),
    EvCommand<&TToolBarWnd::CmClosePalette>(CM_PALETTE_CLOSE),
};

}  // namespace

TOToolBox::TOToolBox(TWindow *parentWindow, int columns, int rows, TTileDirection direction,
                     TModule *module)
    : TToolBox(parentWindow, columns, rows, direction, module),
      defaultColumns(columns),
      defaultRows(rows),
      defaultDirection(direction) {}

TToolBarWnd::TToolBarWnd(TWindow *parentWindow, const char *titleText, TOToolBox *box, TModule *module)
    : TFloatingFrame(parentWindow, titleText, box, true, kFrameCaptionPercent, true, module), toolBox(box) {
  Attr.Style |= WS_POPUP | WS_BORDER | WS_SYSMENU;
  EnableTinyCaption(kTinyCaptionPercent, false);
}

TToolBarWnd::~TToolBarWnd() {
  DeleteTip();
  if (IsWindow()) KillTimer(kPaletteTipTimerId);
}

bool TToolBarWnd::Find(TEventInfo &info) {
  return SearchResponseTable(kToolBarWndTable, info) || TFloatingFrame::Find(info);
}

void TToolBarWnd::SetupWindow() {
  TFloatingFrame::SetupWindow();
  if (toolBox != nullptr) toolBox->SetBkgndColor(kBoxFace);
  SetTimer(kPaletteTipTimerId, kPaletteTipTimerMs);
  HMENU menu = GetSystemMenu(GetHandle(), 0);
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  AppendMenu(menu, MF_STRING, CM_PALETTE_ON_TOP, "&Always on top");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, CM_PALETTE_HORIZONTAL, "&Horizontal");
  AppendMenu(menu, MF_STRING, CM_PALETTE_VERTICAL, "&Vertical");
  AppendMenu(menu, MF_STRING, CM_PALETTE_DEFAULT, "&Default");
  AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenu(menu, MF_STRING, CM_PALETTE_CLOSE, "&Close");
  // A layout chosen before the window existed (from the settings) takes effect now.
  if (layout != DefaultLayout) SetLayout(layout);
}

void TToolBarWnd::ShowHint(const char *) {}

void TToolBarWnd::ClosePalette() { CloseWindow(0); }

int TToolBarWnd::GetButtonState(int commandId) const {
  if (toolBox == nullptr) return kNoButton;
  const auto *button = dynamic_cast<const TButtonGadget *>(toolBox->GadgetWithId(commandId));
  return button != nullptr ? static_cast<int>(button->GetButtonState()) : kNoButton;
}

void TToolBarWnd::SetButtonState(int commandId, int state) {
  if (toolBox == nullptr) return;
  auto *button = dynamic_cast<TButtonGadget *>(toolBox->GadgetWithId(commandId));
  if (button == nullptr || state < TButtonGadget::Up || state > TButtonGadget::Indeterminate) return;
  button->SetButtonState(static_cast<TButtonGadget::TState>(state));
}

void TToolBarWnd::EnableGadget(int commandId, bool flag) {
  if (toolBox == nullptr) return;
  if (TGadget *gadget = toolBox->GadgetWithId(commandId)) gadget->SetEnabled(flag);
}

void TToolBarWnd::ForEachGadget(bool flag) {
  if (toolBox == nullptr) return;
  for (TGadget *gadget = toolBox->FirstGadget(); gadget != nullptr; gadget = toolBox->NextGadget(*gadget)) {
    gadget->SetEnabled(flag);
  }
}

void TToolBarWnd::SetHintColors(COLORREF backColor, COLORREF shadowColor) {
  tipBackground = backColor;
  tipShadow = shadowColor;
}

void TToolBarWnd::SetLayout(int newLayout) {
  // A value from elsewhere (a settings file) that names no layout means the default one.
  layout = newLayout == ColumnLayout || newLayout == RowLayout ? newLayout : DefaultLayout;
  if (toolBox == nullptr) return;
  switch (layout) {
    case RowLayout:
      toolBox->SetDirection(TGadgetWindow::Horizontal);
      toolBox->SetRowsColumns(1, TToolBox::kAsManyAsNeeded);
      break;
    case ColumnLayout:
      toolBox->SetDirection(TGadgetWindow::Vertical);
      toolBox->SetRowsColumns(TToolBox::kAsManyAsNeeded, 1);
      break;
    default:
      toolBox->SetDirection(toolBox->DefaultDirection());
      toolBox->SetRowsColumns(toolBox->DefaultRows(), toolBox->DefaultColumns());
      break;
  }
  if (IsWindow()) FitToClient();
}

bool TToolBarWnd::IsAlwaysOnTop() const {
  if (!IsWindow()) return false;
  const UINT state = GetMenuState(GetSystemMenu(GetHandle(), 0), CM_PALETTE_ON_TOP, MF_BYCOMMAND);
  return state != kMenuStateMissing && (state & MF_CHECKED) != 0;
}

void TToolBarWnd::CmAlwaysOnTop() {
  HMENU menu = GetSystemMenu(GetHandle(), 0);
  const bool wasOnTop = IsAlwaysOnTop();
  CheckMenuItem(menu, CM_PALETTE_ON_TOP, MF_BYCOMMAND | (wasOnTop ? MF_UNCHECKED : MF_CHECKED));
  SetWindowPos(wasOnTop ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TToolBarWnd::DeleteTip() {
  tip.Delete();
}

int TToolBarWnd::RestStep(const POINT &cursor) const {
  if (tipMode == 0) {
    return toolBox != nullptr && toolBox->GetHandle() != nullptr && GetFocus() == toolBox->GetHandle() ? 1 : 0;
  }
  const HWND under = WindowFromPoint(cursor);
  // The point is visible in the palette: on its frame (no child there) or on the box.
  if (toolBox != nullptr && under == toolBox->GetHandle()) return 1;
  if (under == GetHandle()) return 0;
  return -1;
}

void TToolBarWnd::ShowTip(const TGadget &gadget, const POINT &cursor) {
  if (gadget.GetId() <= 0) return;
  text[0] = '\0';
  if (LoadString(nullptr, static_cast<UINT>(gadget.GetId() + stringIdOffset), text,
                 static_cast<int>(sizeof text)) <= 0 ||
      text[0] == '\0') {
    return;
  }
  const HWND focus = GetFocus();
  // The tip places itself below the cursor, as the bars' tips do.
  tip = new TShowHelpWnd(this, cursor, text, tipBackground, tipShadow, nullptr);
  if (!tip->Create()) DeleteTip();
  if (focus != nullptr && ::IsWindow(focus)) ::SetFocus(focus);
}

void TToolBarWnd::EvTimer(UINT timerId) {
  if (timerId != kPaletteTipTimerId) {
    DefaultProcessing();
    return;
  }
  if (tipsEnabled == 0) {
    DeleteTip();
    return;
  }
  if (toolBox == nullptr || !toolBox->IsWindow()) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  POINT boxPoint = cursor;
  toolBox->ScreenToClient(boxPoint);
  // A window over the palette (an open menu) hides its buttons: the cursor on it is not
  // on them.
  const HWND under = WindowFromPoint(cursor);
  const bool onPalette = under == GetHandle() || ::IsChild(GetHandle(), under);
  const TGadget *gadget = onPalette ? toolBox->GadgetFromPoint(boxPoint) : nullptr;
  if (gadget == nullptr) {
    tickCount = 0;
    lastGadget = nullptr;
    DeleteTip();
    return;
  }
  if (gadget != lastGadget) {
    // The hint goes out even when empty, so the owner's status text never names a button
    // the mouse has left.
    char hint[256] = {};
    if (gadget->GetId() > 0) {
      LoadString(nullptr, static_cast<UINT>(gadget->GetId()), hint, static_cast<int>(sizeof hint));
    }
    lastGadget = gadget;
    tickCount = 0;
    DeleteTip();
    ShowHint(hint);
    return;
  }
  if (tickCount < ticksBeforeTip) {
    const int step = RestStep(cursor);
    if (step > 0) ++tickCount;
    if (step == 0) tickCount = 0;
    return;
  }
  // A tip the user closed stays closed until the cursor moves to another button.
  if (tip == nullptr && !tip.Gone()) ShowTip(*gadget, cursor);
}
