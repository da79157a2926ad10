#pragma once
// TBookMarkDlg: the base of every page of a tabbed folder. A page places itself on the
// folder's page area, lets the folder's tabs show through its caption band (which it
// paints itself, with no system caption), keeps Enter and Escape to itself, and may refuse
// to be left or entered.

#include "toolkit/folders/folder_dialog_base.h"

class TBookMarkFolder;

class TBookMarkDlg : public TFolderDialogBase {
 public:
  TBookMarkDlg(TWindow *folder, const char *resource, int value = 0, TModule *module = nullptr);

  bool Find(TEventInfo &info) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetupWindow() override;

  // 0 refuses to be shown (EnterPage) or hidden (LeavePage).
  virtual int EnterPage() { return 1; }
  virtual int LeavePage() { return 1; }
  // After the page has been shown.
  virtual void PageEntered() {}
  virtual int DoPageCommand(int command, void *argument);
  virtual int QueryPageCommand(int command, void *argument);

  // The enabled field of this page's entry in its folder (tabs repainted).
  void SetPageEnabled(int flag);
  int IsPageEnabled();

  // The folder this page lies on, or null.
  TBookMarkFolder *Folder() const;

  // Enter and Escape inside a page close nothing.
  void CmIgnore() {}

 private:
  void PaintFrame();
};
