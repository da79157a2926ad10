#pragma once
// THelpWindow: the program's help viewer. A frame owned by the window that asked for help,
// around a browser of the help's HTML pages (links between the pages are followed inside
// it). One viewer serves the whole program (win_help.h); it lets go of that role when it
// is deleted.

#include <string>

#include "platform/gui/bars/frame_window.h"

class QTextBrowser;

// The client of the help frame: the page browser.
class THelpView : public TWindow {
 public:
  explicit THelpView(TWindow *parentWindow);
  const char *GetClassName() override { return "KorvexHelpView"; }
  void SetupWindow() override;
  QTextBrowser *Browser() const { return browser_; }

 private:
  QTextBrowser *browser_ = nullptr;
};

class THelpWindow : public TFrameWindow {
 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

  explicit THelpWindow(TWindow *ownerWindow);
  ~THelpWindow() override;
  const char *GetClassName() override { return "KorvexHelp"; }

  // Shows the page (a local HTML file); false, showing a short note instead, when the file
  // cannot be read.
  bool ShowPage(const std::string &path);
  // The page shown now (empty before the first), and its text without markup.
  std::string Page() const;
  std::string PageText() const;
  // The page's title ("" when it has none).
  std::string PageTitle() const;

 private:
  THelpView *view_;
  std::string missingPage_;  // the page asked for when it could not be read
};
