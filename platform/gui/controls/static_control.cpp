#include "platform/gui/controls/static_control.h"

#include "platform/gui/controls/control_paint.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/sys_colors.h"

TStatic::TStatic(TWindow *parentWindow, int id, const char *text, int xPos, int yPos, int w, int h, UINT limit,
                 TModule *module)
    : TControl(parentWindow, id, text, xPos, yPos, w, h, module), textLimit(limit) {}

TStatic::TStatic(TWindow *parentWindow, int resourceId, UINT limit, TModule *module)
    : TControl(parentWindow, resourceId, module), textLimit(limit) {}

int TStatic::GetText(char *buffer, int size) { return ::GetWindowText(GetHandle(), buffer, size); }

LRESULT TStatic::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_SETTEXT: {
      // A text limit (counting the terminating zero) cuts longer texts.
      const char *text = reinterpret_cast<const char *>(lParam);
      std::string kept = text != nullptr ? text : "";
      if (textLimit > 0 && kept.size() >= textLimit) kept.resize(textLimit - 1);
      const LRESULT result = TControl::DefWindowProc(msg, wParam, reinterpret_cast<LPARAM>(kept.c_str()));
      Invalidate(false);
      return result;
    }
    case WM_ENABLE:
      Invalidate(false);
      return 0;
    default:
      return TControl::DefWindowProc(msg, wParam, lParam);
  }
}

void TStatic::Paint(TDC &dc, bool, RECT &) {
  const RECT client = GetClientRect();
  const TControlColors colors = ParentColors(dc, CTLCOLOR_STATIC);
  const DWORD type = GetStyle() & SS_TYPEMASK;
  const COLORREF black = GetSysColor(COLOR_WINDOWFRAME);
  const COLORREF grey = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF white = GetSysColor(COLOR_WINDOW);
  switch (type) {
    case SS_BLACKRECT: FillSolid(dc, client, black); return;
    case SS_GRAYRECT: FillSolid(dc, client, grey); return;
    case SS_WHITERECT: FillSolid(dc, client, white); return;
    case SS_BLACKFRAME: case SS_GRAYFRAME: case SS_WHITEFRAME: {
      FillSolid(dc, client, colors.Background);
      const COLORREF line = type == SS_BLACKFRAME ? black : (type == SS_GRAYFRAME ? grey : white);
      Frame3d(dc, client, line, line);
      return;
    }
    default:
      break;
  }
  FillSolid(dc, client, colors.Background);
  RECT text = client;
  if (GetStyle() & SS_SUNKEN) {
    Frame3d(dc, client, grey, GetSysColor(COLOR_BTNHIGHLIGHT));
    text = {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
  }
  UINT format = DT_LEFT | DT_WORDBREAK;
  if (type == SS_CENTER) format = DT_CENTER | DT_WORDBREAK;
  if (type == SS_RIGHT) format = DT_RIGHT | DT_WORDBREAK;
  if (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) format = DT_LEFT | DT_SINGLELINE;
  // A static's tabs stand for stops of eight average characters, as a text window's do.
  format |= DT_EXPANDTABS;
  SelectFont(dc);
  const std::string caption = GetWindowText();
  ControlText(dc, caption, text, format | ((GetStyle() & SS_NOPREFIX) ? DT_NOPREFIX : 0), colors.Text,
              IsWindowEnabled());
}
