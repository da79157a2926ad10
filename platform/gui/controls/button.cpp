#include "platform/gui/controls/button.h"

#include <algorithm>

#include "platform/gui/controls/control_paint.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/sys_colors.h"

namespace {

constexpr int kCheckBoxSize = 13;
constexpr int kRadioSize = 12;
constexpr int kTextGap = 4;  // between the box and the text

RECT ClientOf(TWindow &window) { return window.GetClientRect(); }

}  // namespace

// ---- push button -----------------------------------------------------------------------

TButton::TButton(TWindow *parentWindow, int id, const char *text, int xPos, int yPos, int w, int h, bool isDefault,
                 TModule *module)
    : TControl(parentWindow, id, text, xPos, yPos, w, h, module) {
  Attr.Style |= WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

TButton::TButton(TWindow *parentWindow, int resourceId, TModule *module) : TControl(parentWindow, resourceId, module) {}

void TButton::SetPushed(bool pushed) {
  const UINT next = pushed ? (state | BST_PUSHED) : (state & ~BST_PUSHED);
  if (next == state) return;
  state = next;
  Invalidate(false);
}

void TButton::Clicked() {
  switch (Kind()) {
    case BS_AUTOCHECKBOX:
      check = check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      Invalidate(false);
      break;
    case BS_AUTO3STATE:
      check = (check + 1) % 3;
      Invalidate(false);
      break;
    default:
      break;
  }
  NotifyParent(BN_CLICKED);
}

LRESULT TButton::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (Kind() != BS_GROUPBOX) {
        SetFocus();
        SetCapture();
        tracking = true;
        SetPushed(true);
      }
      return 0;
    case WM_MOUSEMOVE:
      if (tracking) {
        const RECT client = GetClientRect();
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetPushed(point.x >= 0 && point.y >= 0 && point.x < client.right && point.y < client.bottom);
      }
      return 0;
    case WM_LBUTTONUP:
      if (tracking) {
        tracking = false;
        const bool inside = (state & BST_PUSHED) != 0;
        if (GetCapture() == GetHandle()) ReleaseCapture();
        SetPushed(false);
        if (inside) Clicked();
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) SetPushed(true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && (state & BST_PUSHED)) {
        SetPushed(false);
        Clicked();
      }
      return 0;
    case WM_CHAR:
      return 0;  // a button types nothing
    case BM_CLICK:
      Clicked();
      return 0;
    case BM_GETCHECK:
      return static_cast<LRESULT>(check);
    case BM_SETCHECK:
      if (check != (static_cast<UINT>(wParam) & 3)) {
        check = static_cast<UINT>(wParam) & 3;
        Invalidate(false);
      }
      return 0;
    case BM_GETSTATE:
      return static_cast<LRESULT>(state | check);
    case BM_SETSTATE:
      SetPushed(wParam != 0);
      return 0;
    case BM_SETSTYLE:
      Attr.Style = (Attr.Style & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK);
      if (LOWORD(static_cast<std::uintptr_t>(lParam)) != 0) Invalidate(false);
      return 0;
    case WM_GETDLGCODE: {
      switch (Kind()) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON: case BS_OWNERDRAW: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
      }
    }
    case WM_SETFOCUS:
      state |= BST_FOCUS;
      Invalidate(false);
      return 0;
    case WM_KILLFOCUS:
      state &= ~BST_FOCUS;
      if (tracking) {
        tracking = false;
        if (GetCapture() == GetHandle()) ReleaseCapture();
      }
      SetPushed(false);
      Invalidate(false);
      return 0;
    case WM_ENABLE:
      Invalidate(false);
      return 0;
    case WM_SETTEXT: {
      const LRESULT result = TControl::DefWindowProc(msg, wParam, lParam);
      Invalidate(false);
      return result;
    }
    default:
      return TControl::DefWindowProc(msg, wParam, lParam);
  }
}

void TButton::PaintOwnerDrawn(TDC &dc) {
  TWindow *owner = GetParentO();
  if (owner == nullptr || !owner->IsWindow()) return;
  // The parent draws it all: the button only says where, on what and in which state.
  DRAWITEMSTRUCT draw;
  draw.CtlType = ODT_BUTTON;
  draw.CtlID = static_cast<UINT>(GetId());
  draw.itemAction = ODA_DRAWENTIRE;
  if (state & BST_PUSHED) draw.itemState |= ODS_SELECTED;
  if (state & BST_FOCUS) draw.itemState |= ODS_FOCUS;
  if (!IsWindowEnabled()) draw.itemState |= ODS_DISABLED;
  draw.hwndItem = GetHandle();
  draw.hDC = dc.GetHDC();
  draw.rcItem = ClientOf(*this);
  owner->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(GetId()), reinterpret_cast<LPARAM>(&draw));
}

void TButton::Paint(TDC &dc, bool, RECT &) {
  if (Kind() == BS_OWNERDRAW) {
    PaintOwnerDrawn(dc);
    return;
  }
  RECT r = ClientOf(*this);
  const TControlColors colors = ParentColors(dc, CTLCOLOR_BTN);
  FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
  const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  // The default button (and a focused push button) carries a black ring.
  if (IsDefault() || (state & BST_FOCUS)) {
    Frame3d(dc, r, frame, frame);
    r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  const bool pushed = (state & BST_PUSHED) != 0;
  if (pushed) {
    Frame3d(dc, r, shadow, shadow);
  } else {
    Frame3d(dc, r, light, frame);
    Frame3d(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, GetSysColor(COLOR_BTNFACE), shadow);
  }
  RECT text = r;
  if (pushed) {
    text.left += 1;
    text.top += 1;
  }
  SelectFont(dc);
  ControlText(dc, GetWindowText(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, colors.Text,
              IsWindowEnabled());
  if (state & BST_FOCUS) {
    DottedFrame(dc, {r.left + 3, r.top + 3, r.right - 3, r.bottom - 3}, frame);
  }
}

// ---- check box -------------------------------------------------------------------------

TCheckBox::TCheckBox(TWindow *parentWindow, int id, const char *text, int xPos, int yPos, int w, int h,
                     TModule *module)
    : TButton(parentWindow, id, text, xPos, yPos, w, h, false, module) {
  Attr.Style = (Attr.Style & ~BS_TYPEMASK) | BS_AUTOCHECKBOX;
}

TCheckBox::TCheckBox(TWindow *parentWindow, int resourceId, TModule *module)
    : TButton(parentWindow, resourceId, module) {}

void TCheckBox::Layout(const RECT &client, RECT &box, RECT &text) const {
  const int size = (Kind() == BS_RADIOBUTTON || Kind() == BS_AUTORADIOBUTTON) ? kRadioSize : kCheckBoxSize;
  const LONG top = client.top + (client.Height() - size) / 2;
  if (GetStyle() & BS_LEFTTEXT) {
    box = {client.right - size, top, client.right, top + size};
    text = {client.left, client.top, box.left - kTextGap, client.bottom};
  } else {
    box = {client.left, top, client.left + size, top + size};
    text = {box.right + kTextGap, client.top, client.right, client.bottom};
  }
}

void TCheckBox::PaintLabel(TDC &dc, const RECT &text, COLORREF textColor) {
  SelectFont(dc);
  ControlText(dc, GetWindowText(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, textColor,
              IsWindowEnabled());
  if (!(state & BST_FOCUS)) return;
  // The focus shows as a dotted frame around the text itself.
  RECT measured = text;
  dc.DrawText(GetWindowText().c_str(), -1, measured, DT_CALCRECT | DT_SINGLELINE);
  const LONG textHeight = measured.Height();
  const LONG top = text.top + (text.Height() - textHeight) / 2;
  DottedFrame(dc, {text.left - 1, top - 1, std::min(text.right, measured.right + 1), top + textHeight + 1},
              GetSysColor(COLOR_WINDOWFRAME));
}

void TCheckBox::Paint(TDC &dc, bool, RECT &) {
  const RECT client = GetClientRect();
  const TControlColors colors = ParentColors(dc, CTLCOLOR_STATIC);
  FillSolid(dc, client, colors.Background);
  RECT box;
  RECT text;
  Layout(client, box, text);
  // A sunken white box: shadow and black above and left, white and face below and right.
  Frame3d(dc, box, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  const RECT inner{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
  Frame3d(dc, inner, GetSysColor(COLOR_WINDOWFRAME), GetSysColor(COLOR_BTNFACE));
  const RECT well{inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1};
  const bool pushed = (state & BST_PUSHED) != 0;
  FillSolid(dc, well, pushed || !IsWindowEnabled() ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW));
  if (check != BST_UNCHECKED) {
    // The tick: three pixels thick, down from the left to the low point, then up.
    const COLORREF mark = check == BST_INDETERMINATE || !IsWindowEnabled() ? GetSysColor(COLOR_BTNSHADOW)
                                                                           : GetSysColor(COLOR_WINDOWTEXT);
    const int left = well.left + 1;
    const int top = well.top + 3;
    for (int i = 0; i < 7; ++i) {
      const int row = i < 3 ? top + i : top + 4 - (i - 2);
      for (int t = 0; t < 3; ++t) dc.SetPixel(left + i, row + t, mark);
    }
  }
  PaintLabel(dc, text, colors.Text);
}

// ---- radio button ----------------------------------------------------------------------

TRadioButton::TRadioButton(TWindow *parentWindow, int id, const char *text, int xPos, int yPos, int w, int h,
                           TModule *module)
    : TCheckBox(parentWindow, id, text, xPos, yPos, w, h, module) {
  Attr.Style = (Attr.Style & ~BS_TYPEMASK) | BS_AUTORADIOBUTTON;
}

TRadioButton::TRadioButton(TWindow *parentWindow, int resourceId, TModule *module)
    : TCheckBox(parentWindow, resourceId, module) {}

void TRadioButton::Clicked() {
  if (Kind() == BS_AUTORADIOBUTTON && GetParentO() != nullptr) {
    // The group: back to the sibling that starts it (WS_GROUP), on to the next start.
    const std::vector<TWindow *> &siblings = GetParentO()->GetChildren();
    const auto self = std::find(siblings.begin(), siblings.end(), static_cast<TWindow *>(this));
    auto first = self;
    while (first != siblings.begin() && !((*first)->GetStyle() & WS_GROUP)) --first;
    for (auto it = first; it != siblings.end(); ++it) {
      if (it != first && ((*it)->GetStyle() & WS_GROUP)) break;
      auto *radio = dynamic_cast<TRadioButton *>(*it);
      if (radio == nullptr || radio == this || !radio->IsWindow()) continue;
      if ((radio->GetStyle() & BS_TYPEMASK) == BS_AUTORADIOBUTTON) radio->SetCheck(BST_UNCHECKED);
    }
    SetCheck(BST_CHECKED);
  }
  NotifyParent(BN_CLICKED);
}

void TRadioButton::Paint(TDC &dc, bool, RECT &) {
  const RECT client = GetClientRect();
  const TControlColors colors = ParentColors(dc, CTLCOLOR_STATIC);
  FillSolid(dc, client, colors.Background);
  RECT box;
  RECT text;
  Layout(client, box, text);
  // The circle, pixel by pixel: shadow and black above and left, white and face below and
  // right, a white well, and the dot when checked.
  static constexpr const char *kCircle[kRadioSize] = {
      "....SSSS....", "..SSKKKKSS..", ".SKKWWWWKKH.", ".SKWWWWWWFH.", "SKWWWWWWWWFH", "SKWWWWWWWWFH",
      "SKWWWWWWWWFH", "SKWWWWWWWWFH", ".SKWWWWWWFH.", ".HFFWWWWFFH.", "..HHFFFFHH..", "....HHHH....",
  };
  static constexpr const char *kDot[4] = {".XX.", "XXXX", "XXXX", ".XX."};
  const bool pushed = (state & BST_PUSHED) != 0;
  const COLORREF well = pushed || !IsWindowEnabled() ? GetSysColor(COLOR_BTNFACE) : GetSysColor(COLOR_WINDOW);
  for (int row = 0; row < kRadioSize; ++row) {
    for (int column = 0; column < kRadioSize; ++column) {
      COLORREF color;
      switch (kCircle[row][column]) {
        case 'S': color = GetSysColor(COLOR_BTNSHADOW); break;
        case 'K': color = GetSysColor(COLOR_WINDOWFRAME); break;
        case 'H': color = GetSysColor(COLOR_BTNHIGHLIGHT); break;
        case 'F': color = GetSysColor(COLOR_BTNFACE); break;
        case 'W': color = well; break;
        default: continue;
      }
      const int dotRow = row - 4;
      const int dotColumn = column - 4;
      if (check == BST_CHECKED && dotRow >= 0 && dotRow < 4 && dotColumn >= 0 && dotColumn < 4 &&
          kDot[dotRow][dotColumn] == 'X') {
        color = IsWindowEnabled() ? GetSysColor(COLOR_WINDOWTEXT) : GetSysColor(COLOR_BTNSHADOW);
      }
      dc.SetPixel(box.left + column, box.top + row, color);
    }
  }
  PaintLabel(dc, text, colors.Text);
}

// ---- group box -------------------------------------------------------------------------

TGroupBox::TGroupBox(TWindow *parentWindow, int id, const char *text, int xPos, int yPos, int w, int h,
                     TModule *module)
    : TControl(parentWindow, id, text, xPos, yPos, w, h, module) {
  Attr.Style |= BS_GROUPBOX;
}

TGroupBox::TGroupBox(TWindow *parentWindow, int resourceId, TModule *module)
    : TControl(parentWindow, resourceId, module) {}

LRESULT TGroupBox::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // presses go to the controls and the dialog beneath
    case WM_SETTEXT: {
      const LRESULT result = TControl::DefWindowProc(msg, wParam, lParam);
      Invalidate(false);
      return result;
    }
    default:
      return TControl::DefWindowProc(msg, wParam, lParam);
  }
}

void TGroupBox::Paint(TDC &dc, bool, RECT &) {
  const RECT client = GetClientRect();
  const TControlColors colors = ParentColors(dc, CTLCOLOR_STATIC);
  FillSolid(dc, client, colors.Background);
  SelectFont(dc);
  TEXTMETRIC metrics;
  dc.GetTextMetrics(metrics);
  const LONG lineTop = client.top + metrics.tmHeight / 2;
  // An etched frame: a white line one pixel below and right of a shadow line.
  const COLORREF white = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  Frame3d(dc, {client.left + 1, lineTop + 1, client.right, client.bottom}, white, white);
  Frame3d(dc, {client.left, lineTop, client.right - 1, client.bottom - 1}, shadow, shadow);
  const std::string text = GetWindowText();
  if (!text.empty()) {
    RECT measured{client.left + 8, client.top, client.right - 8, client.top + metrics.tmHeight};
    dc.DrawText(text.c_str(), -1, measured, DT_CALCRECT | DT_SINGLELINE);
    FillSolid(dc, {measured.left - 2, client.top, std::min(measured.right + 2, client.right - 2), client.top + metrics.tmHeight},
              colors.Background);
    ControlText(dc, text, measured, DT_LEFT | DT_SINGLELINE, colors.Text, IsWindowEnabled());
  }
}
