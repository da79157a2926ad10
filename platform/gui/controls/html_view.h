#pragma once
// THtmlView: a child window that shows local HTML pages and follows the links between them
// inside itself; a link out of the pages goes nowhere. The help viewer's page area.

#include <string>

#include "platform/gui/windows/window.h"

class QTextBrowser;

class THtmlView : public TWindow {
 public:
  explicit THtmlView(TWindow *parentWindow);
  const char *GetClassName() override { return "KorvexHtmlView"; }
  void SetupWindow() override;

  // Shows the page file; false, changing nothing, before the window is made.
  bool ShowFile(const std::string &path);
  // Shows the given markup as the page (a note in place of a page that cannot be read).
  bool ShowHtml(const std::string &html);
  // The file shown now ("" for markup or before the first), its text without markup and
  // its title ("" when it has none).
  std::string Source() const;
  std::string PlainText() const;
  std::string Title() const;
  bool IsReady() const { return browser_ != nullptr; }

 private:
  QTextBrowser *browser_ = nullptr;
};
