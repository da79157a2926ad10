#pragma once
// THelpWindow: the program's help viewer. A frame owned by the window that asked for help,
// around a browser of the help's HTML pages (links between the pages are followed inside
// it). One viewer serves the whole program (win_help.h); it lets go of that role when it
// is deleted. Escape closes it.

#include <string>

#include "platform/gui/bars/frame_window.h"
#include "platform/gui/controls/html_view.h"

class THelpWindow : public TFrameWindow {
 public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

  explicit THelpWindow(TWindow *ownerWindow);
  ~THelpWindow() override;
  const char *GetClassName() override { return "KorvexHelp"; }
  // Escape, in the window or its page, closes the window.
  bool PreProcessMsg(MSG &msg) override;

  // Moves the window beside `asker` (the window that asked for help): to its right where
  // the screen has room, else to its left, else to the side with more room; its top level
  // with the asker's. Wholly on the screen and below the main window's menu bar, as the
  // analysis windows open, smaller only when the screen is. Where it must cover something, it
  // stands where it covers least of the main window, the asker and their palettes.
  void PlaceBeside(const TWindow *asker);

  // Shows the page (a local HTML file); false, showing a short note instead, when the file
  // cannot be read.
  bool ShowPage(const std::string &path);
  // The page shown now (empty before the first), and its text without markup.
  std::string Page() const;
  std::string PageText() const;
  // The page's title ("" when it has none).
  std::string PageTitle() const;

 private:
  THtmlView *view_;  // the client: the page browser
  std::string missingPage_;  // the page asked for when it could not be read
};
