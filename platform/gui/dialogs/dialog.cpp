#include "platform/gui/dialogs/dialog.h"

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/gui/controls/control.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"

namespace {

// One font per face and size for every dialog; never deleted, so no item outlives its font.
HFONT SharedDialogFont(const char *face, int pointSize) {
  static auto *fonts = new std::map<std::pair<std::string, int>, HFONT>;  // lives as long as the program
  const std::pair<std::string, int> key{face != nullptr ? face : "", pointSize};
  auto found = fonts->find(key);
  if (found != fonts->end()) return found->second;
  LOGFONT logFont{};
  logFont.lfHeight = -((pointSize > 0 ? pointSize : 8) * 96 + 36) / 72;
  logFont.lfWeight = FW_NORMAL;
  std::snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s", key.first.c_str());
  HFONT font = CreateFontIndirect(logFont);
  (*fonts)[key] = font;
  return font;
}

const TResponseTableEntry kDialogTable[] = {
    EvCommand<&TDialog::CmOk>(IDOK),
    EvCommand<&TDialog::CmCancel>(IDCANCEL),
};

}  // namespace

TDialog::TDialog(TWindow *parentWindow, const char *name, TModule *module)
    : TWindow(parentWindow, nullptr, module), resourceName(name != nullptr ? name : "") {}

bool TDialog::Find(TEventInfo &info) { return SearchResponseTable(kDialogTable, info) || TWindow::Find(info); }

bool TDialog::PlaceFromTemplate() {
  dialogTemplate = FindDialogTemplate(resourceName.c_str());
  if (dialogTemplate == nullptr) return false;
  const TDialogTemplate &source = *dialogTemplate;
  units = DialogUnitsOfFont(source.FontFace, source.PointSize);
  font = SharedDialogFont(source.FontFace, source.PointSize);
  DWORD style = source.Style;
  TWindow *owner = GetParentO();
  if (owner == nullptr) style &= ~WS_CHILD;
  const bool child = (style & WS_CHILD) != 0;
  Attr.Style = style;
  RECT frame{0, 0, units.ToPixelsX(source.Cx), units.ToPixelsY(source.Cy)};
  AdjustWindowRect(&frame, style, 0);
  Attr.W = frame.Width();
  Attr.H = frame.Height();
  const int left = units.ToPixelsX(source.X);
  const int top = units.ToPixelsY(source.Y);
  if (child) {
    Attr.X = left;
    Attr.Y = top;
  } else {
    while (owner != nullptr && owner->IsChild()) owner = owner->GetParentO();
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner != nullptr && owner->IsWindow()) around = owner->GetWindowRect();
    if ((style & DS_CENTER) || owner == nullptr || !owner->IsWindow()) {
      Attr.X = around.left + (around.Width() - Attr.W) / 2;
      Attr.Y = around.top + (around.Height() - Attr.H) / 2;
    } else {
      const POINT origin = owner->ClientToScreen(POINT{0, 0});
      Attr.X = origin.x + left;
      Attr.Y = origin.y + top;
    }
    keepClientWhenFramed = true;
  }
  SetCaption(source.Caption != nullptr ? source.Caption : "");
  return true;
}

bool TDialog::Create() {
  if (IsWindow()) return true;
  if (!PlaceFromTemplate()) return false;
  if (!TWindow::Create()) return false;
  HWND first = GetNextDlgTabItem(GetHandle(), nullptr, 0);
  const bool giveFocus = SendMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(first), 0) != 0;
  if (!IsWindow()) return false;
  first = GetNextDlgTabItem(GetHandle(), nullptr, 0);
  if (giveFocus && first != nullptr) FocusItem(first);
  return true;
}

void TDialog::SetupWindow() {
  if (dialogTemplate != nullptr && dialogTemplate->Menu != nullptr) {
    if (HMENU menu = LoadMenu(nullptr, dialogTemplate->Menu)) {
      SetMenu(GetHandle(), menu);
      if (const int bar = MenuBarHeight(); bar > 0) {
        const RECT frame = GetWindowRect();
        SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + bar,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
    }
  }
  MakeItems();
  TWindow::SetupWindow();
}

void TDialog::MakeItems() {
  if (dialogTemplate == nullptr) return;
  std::vector<TWindow *> order;
  for (const TDialogItem &item : dialogTemplate->Items) {
    // The derived dialog's own object for the id, else one of the item's class.
    TWindow *object = nullptr;
    if (item.Id != IDC_STATIC) {
      for (TWindow *child : GetChildren()) {
        // Only controls made in the resource form stand for items: a window placed with
        // a place of its own (a gauge over a placeholder, a page) is not one, whatever its id.
        auto *control = dynamic_cast<TControl *>(child);
        if (control == nullptr || !control->IsFromResource()) continue;
        if (child->GetId() == item.Id && !child->IsWindow() &&
            std::find(order.begin(), order.end(), child) == order.end()) {
          object = child;
          break;
        }
      }
    }
    if (object == nullptr) object = MakeControlOfClass(item.ClassName, item.Style, this, item.Id);
    if (object == nullptr) continue;  // a class nobody knows: the item is left out
    object->Attr.Id = item.Id;
    object->Attr.Style = item.Style | WS_CHILD | WS_VISIBLE;
    object->Attr.ExStyle = item.ExStyle;
    object->Attr.X = units.ToPixelsX(item.X);
    object->Attr.Y = units.ToPixelsY(item.Y);
    object->Attr.W = units.ToPixelsX(item.Cx);
    object->Attr.H = units.ToPixelsY(item.Cy);
    if (item.Text != nullptr && *item.Text != '\0') object->SetWindowText(item.Text);
    object->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    order.push_back(object);
  }
  SetChildOrder(order);
}

int TDialog::Execute() { return TWindow::Execute(); }

void TDialog::EndDialog(int result) {
  if (IsModal()) {
    EndModal(result);
  } else {
    Destroy(result);
  }
}

void TDialog::CmOk() {
  if (CanClose()) EndDialog(IDOK);
}

void TDialog::CmCancel() { EndDialog(IDCANCEL); }

void TDialog::CloseWindow(int returnValue) {
  if (CanClose()) EndDialog(returnValue);
}

bool TDialog::EvInitDialog(HWND) { return true; }

LRESULT TDialog::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return EvInitDialog(reinterpret_cast<HWND>(wParam)) ? 1 : 0;
    case WM_ERASEBKGND: {
      // The dialog asks itself for its background (WM_CTLCOLORDLG); the face colour else.
      QImage scratch(1, 1, QImage::Format_RGB32);
      TDC dc(&scratch, POINT{0, 0}, RECT{0, 0, 1, 1});
      auto *brush = reinterpret_cast<HBRUSH>(
          SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc.GetHDC()), reinterpret_cast<LPARAM>(GetHandle())));
      const bool isBrush = brush != nullptr && static_cast<HGDIOBJ>(brush)->kind == GdiKind::Brush;
      SetBkgndColor(isBrush ? brush->logBrush.lbColor : GetSysColor(COLOR_BTNFACE));
      return TWindow::DefWindowProc(msg, wParam, lParam);
    }
    case WM_CLOSE:
      // Closing a dialog is choosing Cancel (its handler may refuse, as a page's does).
      SendMessage(WM_COMMAND, IDCANCEL, 0);
      return 0;
    case DM_GETDEFID:
      return MAKELPARAM(defaultId, DC_HASDEFID);
    case DM_SETDEFID:
      defaultId = static_cast<int>(wParam);
      return 1;
    case WM_GETDLGCODE:
      return 0;
    default:
      return TWindow::DefWindowProc(msg, wParam, lParam);
  }
}

HWND TDialog::GetDlgItem(int id) const { return ::GetDlgItem(GetHandle(), id); }

void TDialog::SetDlgItemText(int id, const char *text) { ::SetDlgItemText(GetHandle(), id, text); }

int TDialog::GetDlgItemText(int id, char *buffer, int size) const {
  return static_cast<int>(::GetDlgItemText(GetHandle(), id, buffer, size));
}

void TDialog::CheckDlgButton(int id, UINT check) { ::CheckDlgButton(GetHandle(), id, check); }

UINT TDialog::IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(GetHandle(), id); }

LRESULT TDialog::SendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::SendDlgItemMessage(GetHandle(), id, msg, wParam, lParam);
}

void TDialog::FocusItem(HWND item) {
  TWindow *window = WindowFromHandle(item);
  if (window == nullptr) return;
  window->SetFocus();
  if (window->SendMessage(WM_GETDLGCODE) & DLGC_HASSETSEL) window->SendMessage(EM_SETSEL, 0, -1);
}
