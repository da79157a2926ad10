#include "platform/gui/controls/control.h"

#include <QString>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>

#include "platform/core/font_faces.h"
#include "platform/gui/controls/button.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/gauge.h"
#include "platform/gui/controls/list_box.h"
#include "platform/gui/controls/scroll_bar.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"

TControl::TControl(TWindow *parentWindow, int id, const char *titleText, int xPos, int yPos, int w, int h,
                   TModule *module)
    : TWindow(parentWindow, titleText, module) {
  Attr.Id = id;
  Attr.X = xPos;
  Attr.Y = yPos;
  Attr.W = w;
  Attr.H = h;
  Attr.Style = WS_CHILD | WS_VISIBLE;
}

TControl::TControl(TWindow *parentWindow, int resourceId, TModule *module)
    : TWindow(parentWindow, nullptr, module), fromResource(true) {
  Attr.Id = resourceId;
  Attr.Style = WS_CHILD | WS_VISIBLE;
}

void TControl::NotifyParent(UINT code) {
  TWindow *owner = GetParentO();
  if (owner == nullptr || !owner->IsWindow() || !IsWindow()) return;
  owner->SendMessage(WM_COMMAND, static_cast<WPARAM>(MAKELPARAM(GetId(), static_cast<int>(code))),
                     reinterpret_cast<LPARAM>(GetHandle()));
}

TControlColors TControl::ParentColors(TDC &dc, UINT kind) {
  const bool field = kind == CTLCOLOR_EDIT || kind == CTLCOLOR_LISTBOX;
  TControlColors colors;
  colors.Text = GetSysColor(field ? COLOR_WINDOWTEXT : COLOR_BTNTEXT);
  colors.Background = GetSysColor(field ? COLOR_WINDOW : COLOR_BTNFACE);
  dc.SetTextColor(colors.Text);
  dc.SetBkColor(colors.Background);
  TWindow *owner = GetParentO();
  if (owner != nullptr && owner->IsWindow()) {
    const LRESULT answer = owner->SendMessage(WM_CTLCOLORMSGBOX + kind, reinterpret_cast<WPARAM>(dc.GetHDC()),
                                              reinterpret_cast<LPARAM>(GetHandle()));
    auto *brush = reinterpret_cast<HBRUSH>(answer);
    if (brush != nullptr && static_cast<HGDIOBJ>(brush)->kind == GdiKind::Brush) {
      colors.Brush = brush;
      colors.Background = brush->logBrush.lbColor;
    }
  }
  colors.Text = dc.GetTextColor();
  if (colors.Brush == nullptr) colors.Brush = GetSysColorBrush(field ? COLOR_WINDOW : COLOR_BTNFACE);
  return colors;
}

LRESULT TControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETFONT:
      controlFont = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<std::uintptr_t>(lParam)) != 0) Invalidate(true);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(controlFont);
    case WM_ERASEBKGND:
      return 1;  // the control's paint fills its whole face
    default:
      return TWindow::DefWindowProc(msg, wParam, lParam);
  }
}

void TControl::Paint(TDC &dc, bool, RECT &) {
  const TControlColors colors = ParentColors(dc, CTLCOLOR_STATIC);
  dc.FillRect(GetClientRect(), colors.Brush);
}

char TControl::MnemonicOf(const std::string &text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

void TControl::SelectFont(TDC &dc) const { dc.SelectObject(controlFont != nullptr ? controlFont : DefaultControlFont()); }

HFONT DefaultControlFont() {
  static HFONT font = [] {
    LOGFONT logFont{};
    logFont.lfHeight = -11;  // 8 points at 96 pixels an inch
    logFont.lfWeight = FW_NORMAL;
    std::snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s", kFaceSansSerif);
    return CreateFontIndirect(logFont);
  }();
  return font;
}

HBRUSH GetSysColorBrush(int index) {
  // Never destroyed, so the brushes stay reachable (and unreported) to the program's end.
  static auto &brushes = *new std::map<int, HBRUSH>();
  auto found = brushes.find(index);
  if (found != brushes.end()) return found->second;
  HBRUSH brush = CreateSolidBrush(GetSysColor(index));
  brushes[index] = brush;
  return brush;
}

namespace {

std::map<std::string, TControlFactory> &Factories() {
  static std::map<std::string, TControlFactory> factories;
  return factories;
}

std::string Upper(const char *name) {
  return QString::fromLatin1(name != nullptr ? name : "").toUpper().toStdString();
}

}  // namespace

void RegisterControlClass(const char *className, TControlFactory factory) {
  Factories()[Upper(className)] = factory;
}

TWindow *MakeControlOfClass(const char *className, DWORD style, TWindow *parent, int id) {
  const std::string name = Upper(className);
  auto found = Factories().find(name);
  if (found != Factories().end()) return found->second(parent, id);
  if (name == "BUTTON") {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
        return new TCheckBox(parent, id);
      case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
        return new TRadioButton(parent, id);
      case BS_GROUPBOX:
        return new TGroupBox(parent, id);
      default:
        return new TButton(parent, id);
    }
  }
  if (name == "EDIT") return new TEdit(parent, id);
  if (name == "STATIC") return new TStatic(parent, id);
  if (name == "LISTBOX") return new TListBox(parent, id);
  if (name == "COMBOBOX") return new TComboBox(parent, id);
  if (name == "SCROLLBAR") return new TScrollBar(parent, id);
  if (name == "GAUGE") return new TGauge(parent, id);
  return nullptr;
}
