#pragma once
// TBookMarkFolder: a dialog that shows one of several page dialogs at a time behind a row
// of bookmark tabs it draws itself. The tabs run on from one another left to right, each
// as wide as its title, never past the page's right edge; a click on a tab selects its
// page, and pages may refuse to be left or entered.

#include "foundation/containers/mem.h"
#include "foundation/interfaces/toolkit_records.h"
#include "toolkit/folders/folder_dialog_base.h"

class TBookMarkDlg;
class TDC;

// WM_USER+20: wParam a page index, or lParam a page dialog, to select.
constexpr UINT WM_SELECTPAGE = WM_USER + 20;
// The page-area placeholder id of the folders.
constexpr int kPageAreaId = 10220;

class TBookMarkFolder : public TFolderDialogBase {
 public:
  TBookMarkFolder(TWindow *parent, const char *resource, int pageAreaId = kPageAreaId, int ownsPages = 1,
                  TModule *module = nullptr);
  ~TBookMarkFolder() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Appends a page and its tab (in tab order, before the window exists). The title is
  // not copied.
  void AddPage(TWindow *page, const char *title);
  // 1 when the page accepted; 0 for an index out of range, a disabled page, a page that
  // would not be left, or one that would not be entered.
  int SelectPage(int index);
  int SelectPageByDialog(TWindow *page);
  void PostSelectPage(int index);
  void PostPageMessage(TWindow *page);
  TWindow *GetPage(int index);
  int IndexOfPage(const TWindow *page) const;
  int PageCount() const { return pageCount; }
  int CurrentPage() const { return currentPage; }
  TBookMarkInfo *Entry(int index);
  void SetInitialPage(int index);
  void SetInitialPageByDialog(TWindow *page);
  // index -1: every page.
  void SetTabColors(int index, COLORREF text, COLORREF raisedText);
  void SetPageColors(TWindow *page, COLORREF text, COLORREF raisedText);
  void SetDisabledColor(int index, COLORREF color);

  virtual int DoPageCommand(int command, void *argument);
  virtual int QueryPageCommand(int command, void *argument);

  // Draws the page frame and every tab (the current one last, over its neighbours).
  void PaintTabs();
  // The same drawing in another context whose origin lies at `origin` of this folder's
  // client area (a page's caption band shows the tabs over it).
  void PaintTabsOn(TDC &dc, POINT origin);
  // The page area: the union of the pages' rectangles in client coordinates.
  const RECT &PageArea() const { return pageArea; }
  int PageAreaControlId() const { return pageAreaControlId; }

  void EvLButtonDown(UINT keys, const POINT &point);
  void EvPaint();
  void EvDestroy();
  void CmOk();
  LRESULT EvSelectPage(WPARAM wParam, LPARAM lParam);

 private:
  // allowReturn: a refused entry posts the return to the previous page.
  int Select(int index, bool allowReturn);
  // After every other way failed: the first enabled page from `start` on that accepts.
  void SelectAnyWilling(int start);
  void ComputeTabs();
  void EraseTab(const TBookMarkInfo &entry);
  TBookMarkDlg *PageDialog(int index);

  Mem<TBookMarkInfo> pages;
  int pageCount = 0;
  RECT pageArea{0, 0, 0, 0};
  int currentPage = -1;
  int initialPage = 0;
  int pageAreaControlId;
  int ownsPages;
  int settingUp = 0;
  // The page a refused entry is returning to (-1: none), so that a page refusing the
  // return too ends the exchange instead of posting for ever.
  int returningTo = -1;
};
