#include "toolkit/folders/book_mark_dlg.h"

#include <algorithm>

#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/folders/book_mark_folder.h"

const TResponseTableEntry kBookMarkDlgTable[] = {
    EvCommand<&TBookMarkDlg::CmIgnore>(IDOK),
    EvCommand<&TBookMarkDlg::CmIgnore>(IDCANCEL),
};

TBookMarkDlg::TBookMarkDlg(TWindow *folder, const char *resource, int, TModule *module)
    : TFolderDialogBase(folder, resource, module) {
  Attr.Style |= WS_CLIPCHILDREN;
}

bool TBookMarkDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kBookMarkDlgTable, info) || TFolderDialogBase::Find(info);
}

TBookMarkFolder *TBookMarkDlg::Folder() const { return dynamic_cast<TBookMarkFolder *>(GetParentO()); }

int TBookMarkDlg::DoPageCommand(int, void *) { return 0; }
int TBookMarkDlg::QueryPageCommand(int, void *) { return 0; }

void TBookMarkDlg::SetupWindow() {
  TFolderDialogBase::SetupWindow();
  TBookMarkFolder *folder = Folder();
  if (folder == nullptr) return;
  // The place the template gave is the offset from the page area's corner.
  const RECT own = GetWindowRect();
  POINT offset{own.left, own.top};
  folder->ScreenToClient(offset);
  POINT corner{0, 0};
  if (TWindow *area = WindowFromHandle(folder->GetDlgItem(folder->PageAreaControlId()))) {
    const RECT areaRect = area->GetWindowRect();
    corner = {areaRect.left, areaRect.top};
    folder->ScreenToClient(corner);
  } else {
    offset = {0, 0};
  }
  SetWindowPos(HWND_BOTTOM, corner.x + offset.x, corner.y + offset.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

void TBookMarkDlg::SetPageEnabled(int flag) {
  TBookMarkFolder *folder = Folder();
  if (folder == nullptr) return;
  if (TBookMarkInfo *entry = folder->Entry(folder->IndexOfPage(this))) {
    entry->enabled = flag;
    folder->PaintTabs();
  }
}

int TBookMarkDlg::IsPageEnabled() {
  TBookMarkFolder *folder = Folder();
  const TBookMarkInfo *entry = folder != nullptr ? folder->Entry(folder->IndexOfPage(this)) : nullptr;
  return entry != nullptr ? entry->enabled : 0;
}

LRESULT TBookMarkDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCPAINT) {
    PaintFrame();
    return 0;
  }
  if (msg == WM_NCHITTEST) {
    // The top band holds the folder's tabs: presses there go to the folder.
    const RECT own = GetWindowRect();
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (point.x >= own.left && point.x < own.right && point.y >= own.top &&
        point.y < own.top + GetSystemMetrics(SM_CYCAPTION))
      return HTTRANSPARENT;
  }
  return TFolderDialogBase::WindowProc(msg, wParam, lParam);
}

void TBookMarkDlg::PaintFrame() {
  if (IsIconic() || !IsWindow()) return;
  const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
  const RECT own = GetWindowRect();
  const int pageWidth = own.right - own.left;
  const int pageHeight = own.bottom - own.top;
  TWindowDC dc(*this);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  TBrush faceBrush(face);
  TBookMarkFolder *folder = Folder();
  // The band left of the first tab and right of the last one is plain face.
  int firstTab = pageWidth;
  int lastTab = 0;
  POINT origin{own.left, own.top};
  if (folder != nullptr) {
    folder->ScreenToClient(origin);
    for (int i = 0; i < folder->PageCount(); ++i) {
      const TBookMarkInfo *entry = folder->Entry(i);
      if (entry->tab.right <= entry->tab.left) continue;
      firstTab = std::min(firstTab, static_cast<int>(entry->tab.left - origin.x));
      lastTab = std::max(lastTab, static_cast<int>(entry->tab.right - origin.x));
    }
  }
  if (lastTab <= firstTab) {
    firstTab = pageWidth;
    lastTab = pageWidth;
  }
  dc.FillRect(RECT{0, 0, pageWidth, captionHeight - 1}, faceBrush);
  TPen facePen(face, 1, PS_SOLID);
  dc.SelectObject(facePen);
  dc.MoveTo(0, captionHeight);
  dc.LineTo(0, pageHeight - 1);
  dc.LineTo(pageWidth - 1, pageHeight - 1);
  dc.LineTo(pageWidth - 1, captionHeight - 1);
  dc.RestoreObjects();
  if (folder != nullptr) folder->PaintTabsOn(dc, origin);
}
