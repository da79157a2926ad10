#include "toolkit/folders/book_mark_folder.h"

#include <algorithm>
#include <vector>

#include "platform/gui/controls/control.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/folders/book_mark_dlg.h"

namespace {

// The fields of a tab record: raised flag, the pair (text colour, raised text colour),
// and the disabled text colour in the flag word.
int &Raised(TBookMarkInfo &entry) { return entry.reserved; }
COLORREF &TextColor(TBookMarkInfo &entry) { return entry.colors[0]; }
COLORREF &RaisedTextColor(TBookMarkInfo &entry) { return entry.colors[1]; }
COLORREF DisabledColor(const TBookMarkInfo &entry) { return static_cast<COLORREF>(entry.flag); }
void SetDisabled(TBookMarkInfo &entry, COLORREF color) { entry.flag = static_cast<int>(color); }

constexpr COLORREF kDisabledGrey = 0x808080;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
// How far a raised tab stands out of the row: up, left and right.
constexpr int kTabGrowth = 2;
// The corners of a tab are cut by this many pixels.
constexpr int kCornerCut = 3;

RECT Shifted(const RECT &rect, POINT origin) {
  return {rect.left - origin.x, rect.top - origin.y, rect.right - origin.x, rect.bottom - origin.y};
}

// A window's rectangle in the folder's client coordinates.
RECT RectInClient(const TWindow &folder, const TWindow &window) {
  const RECT screen = window.GetWindowRect();
  POINT topLeft{screen.left, screen.top};
  POINT bottomRight{screen.right, screen.bottom};
  folder.ScreenToClient(topLeft);
  folder.ScreenToClient(bottomRight);
  return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace

const TResponseTableEntry kBookMarkFolderTable[] = {
    EvMessage<WM_DESTROY, &TBookMarkFolder::EvDestroy>(),
    EvCommand<&TBookMarkFolder::CmOk>(IDOK),
    EvMessage<WM_LBUTTONDOWN, &TBookMarkFolder::EvLButtonDown>(),
    EvMessage<WM_PAINT, &TBookMarkFolder::EvPaint>(),
    EvMessage<&TBookMarkFolder::EvSelectPage>(WM_SELECTPAGE),
};

TBookMarkFolder::TBookMarkFolder(TWindow *parentWindow, const char *resource, int pageAreaId, int ownsPagesFlag,
                                 TModule *module)
    : TFolderDialogBase(parentWindow, resource, module), pageAreaControlId(pageAreaId), ownsPages(ownsPagesFlag) {}

TBookMarkFolder::~TBookMarkFolder() = default;

bool TBookMarkFolder::Find(TEventInfo &info) {
  return SearchResponseTable(kBookMarkFolderTable, info) || TFolderDialogBase::Find(info);
}

void TBookMarkFolder::AddPage(TWindow *page, const char *pageTitle) {
  if (pageCount >= pages.cols && pages.Resize(pageCount + 1, 1) == 0) return;
  TBookMarkInfo entry;
  entry.page = page;
  entry.title = pageTitle;
  Raised(entry) = 0;
  TextColor(entry) = kBlack;
  RaisedTextColor(entry) = kBlack;
  SetDisabled(entry, kDisabledGrey);
  entry.enabled = 1;
  pages.data[pageCount++] = entry;
}

TBookMarkInfo *TBookMarkFolder::Entry(int index) {
  return index >= 0 && index < pageCount ? &pages.data[index] : nullptr;
}

TWindow *TBookMarkFolder::GetPage(int index) {
  const TBookMarkInfo *entry = Entry(index);
  return entry != nullptr ? static_cast<TWindow *>(entry->page) : nullptr;
}

TBookMarkDlg *TBookMarkFolder::PageDialog(int index) { return dynamic_cast<TBookMarkDlg *>(GetPage(index)); }

int TBookMarkFolder::IndexOfPage(const TWindow *page) const {
  for (int i = 0; i < pageCount; ++i)
    if (pages.data[i].page == page) return i;
  return -1;
}

void TBookMarkFolder::SetInitialPage(int index) { initialPage = index >= 0 && index < pageCount ? index : 0; }

void TBookMarkFolder::SetInitialPageByDialog(TWindow *page) { SetInitialPage(IndexOfPage(page)); }

void TBookMarkFolder::SetTabColors(int index, COLORREF text, COLORREF raisedText) {
  for (int i = 0; i < pageCount; ++i) {
    if (index != -1 && index != i) continue;
    TextColor(pages.data[i]) = text;
    RaisedTextColor(pages.data[i]) = raisedText;
  }
}

void TBookMarkFolder::SetPageColors(TWindow *page, COLORREF text, COLORREF raisedText) {
  const int index = IndexOfPage(page);
  if (index >= 0) SetTabColors(index, text, raisedText);
}

void TBookMarkFolder::SetDisabledColor(int index, COLORREF color) {
  for (int i = 0; i < pageCount; ++i)
    if (index == -1 || index == i) SetDisabled(pages.data[i], color);
}

int TBookMarkFolder::QueryPageCommand(int command, void *argument) {
  TBookMarkDlg *page = PageDialog(currentPage);
  return page != nullptr ? page->QueryPageCommand(command, argument) : 0;
}

int TBookMarkFolder::DoPageCommand(int command, void *argument) {
  if (QueryPageCommand(command, argument) == 0) return 0;
  TBookMarkDlg *page = PageDialog(currentPage);
  return page != nullptr ? page->DoPageCommand(command, argument) : 0;
}

void TBookMarkFolder::SetupWindow() {
  TFolderDialogBase::SetupWindow();
  // The page-area control only marks where the pages go; shown, it would lie over them.
  if (TWindow *area = WindowFromHandle(GetDlgItem(pageAreaControlId))) area->ShowWindow(SW_HIDE);
  for (int i = 0; i < pageCount; ++i) {
    TextColor(pages.data[i]) = kBlack;
    RaisedTextColor(pages.data[i]) = kBlack;
    TWindow *page = GetPage(i);
    if (page != nullptr && !page->IsWindow()) page->Create();
    if (page != nullptr) page->ShowWindow(SW_HIDE);
  }
  ComputeTabs();
  settingUp = 1;
  if (Select(initialPage, false) == 0) SelectAnyWilling(initialPage + 1);
  settingUp = 0;
}

void TBookMarkFolder::ComputeTabs() {
  const int captionHeight = GetSystemMetrics(SM_CYCAPTION);
  TClientDC dc(*this);
  // Each tab is as wide as its title. When the titles together are wider than the page,
  // every tab is narrowed in proportion (its title clipped), so no tab is squeezed to
  // nothing at the page's right edge and every page stays reachable by the mouse.
  std::vector<int> titleWidths(static_cast<std::size_t>(pageCount), 0);
  std::vector<int> titleHeights(static_cast<std::size_t>(pageCount), 0);
  int total = 0;
  int narrowestPage = -1;
  for (int i = 0; i < pageCount; ++i) {
    TWindow *page = GetPage(i);
    if (page == nullptr || !page->IsWindow()) continue;
    RECT measured{0, 0, 0, 0};
    const char *tabTitle = pages.data[i].title != nullptr ? pages.data[i].title : "";
    dc.DrawText(tabTitle, -1, measured, DT_CALCRECT | DT_SINGLELINE);
    titleWidths[static_cast<std::size_t>(i)] = measured.right - measured.left;
    titleHeights[static_cast<std::size_t>(i)] = measured.bottom - measured.top;
    total += measured.right - measured.left;
    const RECT place = RectInClient(*this, *page);
    if (narrowestPage < 0 || place.right - place.left < narrowestPage) narrowestPage = place.right - place.left;
  }
  const int room = narrowestPage - 1;
  if (total > room && room > 0) {
    int left = room;
    int titlesLeft = total;
    for (int i = 0; i < pageCount; ++i) {
      int &tabWidth = titleWidths[static_cast<std::size_t>(i)];
      if (tabWidth == 0) continue;
      // The share of what is left, so the rounding never runs past the edge.
      const int share = std::max(1, static_cast<int>(static_cast<long long>(tabWidth) * left / titlesLeft));
      titlesLeft -= tabWidth;
      tabWidth = std::min(share, std::max(left, 1));
      left = std::max(0, left - tabWidth);
    }
  }
  int runX = 1;
  bool first = true;
  for (int i = 0; i < pageCount; ++i) {
    TBookMarkInfo &entry = pages.data[i];
    TWindow *page = GetPage(i);
    if (page == nullptr || !page->IsWindow()) continue;
    const int titleWidth = titleWidths[static_cast<std::size_t>(i)];
    const int titleHeight = titleHeights[static_cast<std::size_t>(i)];
    const RECT place = RectInClient(*this, *page);
    const int pageWidth = place.right - place.left;
    if ((page->GetStyle() & WS_CAPTION) == WS_CAPTION) {
      entry.tab.top = place.top;
      entry.tab.bottom = place.top + captionHeight;
    } else {
      entry.tab.top = place.top - titleHeight - 2;
      entry.tab.bottom = place.top;
    }
    entry.tab.left = place.left + runX;
    entry.tab.right = entry.tab.left + titleWidth;
    runX += titleWidth;
    if (runX > pageWidth) {
      runX = pageWidth;
      entry.tab.right = place.left + pageWidth;
      entry.tab.left = std::min(entry.tab.left, entry.tab.right);
    }
    if (first) pageArea = place;
    else {
      pageArea.left = std::min(pageArea.left, place.left);
      pageArea.top = std::min(pageArea.top, place.top);
      pageArea.right = std::max(pageArea.right, place.right);
      pageArea.bottom = std::max(pageArea.bottom, place.bottom);
    }
    first = false;
  }
}

void TBookMarkFolder::EraseTab(const TBookMarkInfo &entry) {
  if (!IsWindow()) return;
  TClientDC dc(*this);
  TBrush face(GetSysColor(COLOR_BTNFACE));
  dc.FillRect(entry.tab, face);
}

int TBookMarkFolder::SelectPage(int index) { return Select(index, true); }

int TBookMarkFolder::Select(int index, bool allowReturn) {
  TBookMarkInfo *entry = Entry(index);
  if (entry == nullptr || entry->enabled == 0) return 0;
  const int previous = currentPage;
  if (TBookMarkInfo *old = Entry(currentPage)) {
    TBookMarkDlg *oldPage = PageDialog(currentPage);
    if (oldPage != nullptr && oldPage->LeavePage() == 0) return 0;
    TWindow *window = GetPage(currentPage);
    if (window != nullptr) window->ShowWindow(SW_HIDE);
    EraseTab(*old);
    // Only a raised tab was grown, so only a raised one shrinks: a page hidden while the
    // folder itself was not shown must not leave its tab grown for good.
    if (Raised(*old) != 0) {
      old->tab.top += kTabGrowth;
      old->tab.left += kTabGrowth;
      old->tab.right -= kTabGrowth;
    }
    Raised(*old) = 0;
  }
  currentPage = index;
  PaintTabs();
  TBookMarkDlg *page = PageDialog(index);
  const int accepted = page != nullptr ? page->EnterPage() : 1;
  if (accepted != 0) {
    returningTo = -1;
    if (TWindow *window = GetPage(index)) window->ShowWindow(SW_SHOWNORMAL);
    Raised(*entry) = 1;
    entry->tab.top -= kTabGrowth;
    entry->tab.left -= kTabGrowth;
    entry->tab.right += kTabGrowth;
    if (page != nullptr) page->PageEntered();
  } else if (allowReturn && previous >= 0 && returningTo < 0) {
    // The previous page comes back once the message arrives.
    returningTo = previous;
    PostSelectPage(previous);
  } else if (allowReturn && returningTo >= 0) {
    // The page being returned to refused as well: the first other page that accepts
    // ends the exchange, once round the table at most.
    const int failed = returningTo;
    returningTo = -1;
    SelectAnyWilling(failed + 1);
  }
  PaintTabs();
  return accepted != 0 ? 1 : 0;
}

void TBookMarkFolder::SelectAnyWilling(int start) {
  for (int k = 0; k < pageCount; ++k) {
    const int index = (start % pageCount + k) % pageCount;
    if (pages.data[index].enabled == 0) continue;
    if (Select(index, false) != 0) return;
    // The shown page would not be left: it stays.
    if (currentPage != index) return;
  }
}

int TBookMarkFolder::SelectPageByDialog(TWindow *page) {
  const int index = IndexOfPage(page);
  return SelectPage(index >= 0 ? index : 0);
}

void TBookMarkFolder::PostSelectPage(int index) { PostMessage(WM_SELECTPAGE, static_cast<WPARAM>(index), 0); }

void TBookMarkFolder::PostPageMessage(TWindow *page) { PostMessage(WM_SELECTPAGE, 0, reinterpret_cast<LPARAM>(page)); }

LRESULT TBookMarkFolder::EvSelectPage(WPARAM wParam, LPARAM lParam) {
  if (lParam != 0) SelectPageByDialog(reinterpret_cast<TWindow *>(lParam));
  else SelectPage(static_cast<int>(wParam));
  return DefaultProcessing();
}

void TBookMarkFolder::EvLButtonDown(UINT keys, const POINT &point) {
  TFolderDialogBase::EvLButtonDown(keys, point);
  for (int i = 0; i < pageCount; ++i) {
    const RECT &tab = pages.data[i].tab;
    if (point.x >= tab.left && point.x < tab.right && point.y >= tab.top && point.y < tab.bottom) {
      if (i != currentPage) SelectPage(i);
      return;
    }
  }
}

void TBookMarkFolder::EvPaint() {
  TFolderDialogBase::EvPaint();
  if (!IsIconic()) PaintTabs();
}

void TBookMarkFolder::EvDestroy() {
  if (ownsPages != 0) {
    // The page objects are this window's children and go with it; their windows close
    // with IDCANCEL here, in table order.
    for (int i = 0; i < pageCount; ++i)
      if (TWindow *page = GetPage(i); page != nullptr && page->IsWindow()) page->Destroy(IDCANCEL);
  }
  TFolderDialogBase::EvDestroy();
}

void TBookMarkFolder::CmOk() { TFolderDialogBase::CmOk(); }

void TBookMarkFolder::PaintTabs() {
  if (!IsWindow()) return;
  {
    TClientDC dc(*this);
    PaintTabsOn(dc, POINT{0, 0});
  }
  // The tabs of captioned pages stand on the shown page's caption band, which lies over
  // the folder: the page draws them there too.
  if (TWindow *page = GetPage(currentPage); page != nullptr && page->IsWindow() && page->IsWindowVisible())
    page->SendMessage(WM_NCPAINT, 1, 0);
}

void TBookMarkFolder::PaintTabsOn(TDC &dc, POINT origin) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  TPen facePen(face, 1, PS_INSIDEFRAME);
  TPen whitePen(kWhite, 1, PS_INSIDEFRAME);
  TPen blackPen(kBlack, 1, PS_INSIDEFRAME);
  TBrush faceBrush(face);
  dc.SetBkColor(face);
  dc.SelectObject(faceBrush);

  if (pageCount > 0) {
    RECT area = Shifted(pageArea, origin);
    area.top += GetSystemMetrics(SM_CYCAPTION);
    dc.SelectObject(whitePen);
    dc.MoveTo(area.left - 1, area.bottom);
    dc.LineTo(area.left - 1, area.top - 1);
    dc.LineTo(area.right, area.top - 1);
    dc.SelectObject(blackPen);
    dc.LineTo(area.right, area.bottom);
    dc.LineTo(area.left - 1, area.bottom);
  }

  // Titles in the dialog's own face and size, so they read like the text on its pages.
  LOGFONT titleFont = (GetWindowFont() != nullptr ? GetWindowFont() : DefaultControlFont())->logFont;
  titleFont.lfWeight = FW_NORMAL;
  TFont normalFont(titleFont);
  titleFont.lfWeight = FW_BOLD;
  TFont boldFont(titleFont);
  const auto paintOne = [&](int i) {
    TBookMarkInfo &entry = pages.data[i];
    const RECT tab = Shifted(entry.tab, origin);
    if (tab.right <= tab.left) return;
    const bool isCurrent = i == currentPage;
    if (isCurrent || settingUp != 0) dc.FillRect(tab, faceBrush);
    const char *tabTitle = entry.title != nullptr ? entry.title : "";
    dc.SelectObject(Raised(entry) != 0 ? boldFont : normalFont);
    dc.SetTextAlign(TA_CENTER | TA_BASELINE);
    const int cx = (tab.left + tab.right) / 2;
    const int cy = (tab.top + tab.bottom) / 2;
    // A narrowed tab's title stays inside its own tab.
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(RECT{tab.left + 1, tab.top, tab.right - 1, tab.bottom});
    if (entry.enabled == 0) {
      dc.SetBkMode(OPAQUE);
      dc.SetTextColor(kWhite);
      dc.TextOut(cx + 1, cy + 5, tabTitle);
      dc.SetBkMode(TRANSPARENT);
      dc.SetTextColor(DisabledColor(entry));
      dc.TextOut(cx, cy + 4, tabTitle);
    } else {
      dc.SetBkMode(OPAQUE);
      dc.SetTextColor(Raised(entry) != 0 ? RaisedTextColor(entry) : TextColor(entry));
      dc.TextOut(cx, cy + 4, tabTitle);
    }
    dc.RestoreDC(saved);
    const int bottom = isCurrent ? tab.bottom - 1 : tab.bottom - 2;
    dc.SelectObject(whitePen);
    dc.MoveTo(tab.left, bottom);
    dc.LineTo(tab.left, tab.top + kCornerCut);
    dc.LineTo(tab.left + kCornerCut, tab.top);
    dc.LineTo(tab.right - kCornerCut, tab.top);
    dc.SelectObject(blackPen);
    dc.LineTo(tab.right - 1, tab.top + kCornerCut);
    dc.LineTo(tab.right - 1, bottom);
  };
  for (int i = 0; i < pageCount; ++i)
    if (i != currentPage) paintOne(i);
  if (Entry(currentPage) != nullptr) paintOne(currentPage);
  dc.RestoreObjects();
}
