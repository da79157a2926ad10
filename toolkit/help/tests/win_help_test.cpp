// The help viewer: the help file's pages opened at contents and at context numbers in one
// window owned by the asking frame, links followed inside it, what a missing help file or
// page gives, where the window opens and how Escape closes it.

#include "toolkit/help/win_help.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gui/menus/menu.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/help/help_window.h"
#include "toolkit/help/tests/help_owner_test_support.h"

namespace {

std::string ShippedHelp(const std::string &name) {
  return std::string(TEST_SOURCE_DIR) + "/../resources/help/" + name;
}

using HelpViewerTest = HelpOwnerTest;

TEST_F(HelpViewerTest, ContentsAndContextsOpenTheirPagesInOneWindow) {
  const std::string help = ShippedHelp("korvex.hlp");
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), help.c_str(), HELP_CONTENTS, 0));
  THelpWindow *window = CurrentHelpWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_NE(window->GetHandle(), nullptr);
  EXPECT_EQ(window->GetParentO(), owner_);
  EXPECT_EQ(window->GetWindowText(), "Korvex Help");
  EXPECT_EQ(window->PageTitle(), "Korvex Help");
  EXPECT_NE(window->PageText().find("Spot diagram"), std::string::npos);

  // The spot diagram's context, in the same window.
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), help.c_str(), HELP_CONTEXT, 64));
  EXPECT_EQ(CurrentHelpWindow(), window);
  EXPECT_EQ(std::filesystem::path(window->Page()).filename(), "spot_diagram.html");
  EXPECT_EQ(window->PageTitle(), "Spot diagram");

  // The examples file at its one context.
  const std::string examples = ShippedHelp("examples.hlp");
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), examples.c_str(), HELP_CONTEXT, 3060));
  EXPECT_EQ(window->PageTitle(), "Example systems");
  EXPECT_NE(window->PageText().find("cooke_triplet.os"), std::string::npos);

  // A context without a page of its own shows the contents.
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), help.c_str(), HELP_CONTEXT, 999));
  EXPECT_EQ(window->PageTitle(), "Korvex Help");
  EXPECT_TRUE(boxes_.boxes.empty());

  EXPECT_TRUE(WinHelp(owner_->GetHandle(), nullptr, HELP_QUIT, 0));
  EXPECT_EQ(CurrentHelpWindow(), nullptr);
}

TEST_F(HelpViewerTest, EveryLinkOfTheContentsLeadsToAPage) {
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), ShippedHelp("korvex.hlp").c_str(), HELP_CONTENTS, 0));
  THelpWindow *window = CurrentHelpWindow();
  ASSERT_NE(window, nullptr);
  const std::filesystem::path pages = std::filesystem::path(window->Page()).parent_path();
  std::ifstream contents(window->Page());
  const std::string html((std::istreambuf_iterator<char>(contents)), std::istreambuf_iterator<char>());
  int links = 0;
  for (std::size_t at = html.find("href=\""); at != std::string::npos; at = html.find("href=\"", at + 1)) {
    const std::size_t end = html.find('"', at + 6);
    const std::string target = html.substr(at + 6, end - at - 6);
    EXPECT_TRUE(std::filesystem::is_regular_file(pages / target)) << target;
    ++links;
  }
  EXPECT_GE(links, 10);
}

TEST_F(HelpViewerTest, AMissingHelpFileOrPageIsSaidPlainly) {
  const std::string scratch =
      (std::filesystem::temp_directory_path() / ("win_help_" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(scratch);
  const std::string missing = scratch + "/none.hlp";
  EXPECT_FALSE(WinHelp(owner_->GetHandle(), missing.c_str(), HELP_CONTENTS, 0));
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_NE(boxes_.boxes[0].text.find(missing), std::string::npos);
  EXPECT_EQ(CurrentHelpWindow(), nullptr);

  // A file that names a page that is not there: the window says which.
  const std::string broken = scratch + "/broken.hlp";
  std::ofstream(broken) << "contents = gone.html\n";
  EXPECT_FALSE(WinHelp(owner_->GetHandle(), broken.c_str(), HELP_CONTENTS, 0));
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_NE(CurrentHelpWindow()->PageText().find("gone.html"), std::string::npos);
  std::filesystem::remove_all(scratch);
}

TEST_F(HelpViewerTest, AWindowTheUserClosedOpensAgain) {
  const std::string help = ShippedHelp("korvex.hlp");
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), help.c_str(), HELP_CONTEXT, 89));
  THelpWindow *window = CurrentHelpWindow();
  ASSERT_NE(window, nullptr);
  window->SendMessage(WM_CLOSE);
  EXPECT_EQ(window->GetHandle(), nullptr);
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), help.c_str(), HELP_CONTEXT, 89));
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_NE(CurrentHelpWindow()->GetHandle(), nullptr);
  EXPECT_EQ(CurrentHelpWindow()->PageTitle(), "Aberrations");
  EXPECT_NE(CurrentHelpWindow()->PageText().find("ray aberrations"), std::string::npos);
}

TEST_F(HelpViewerTest, TheWindowGoesWithItsOwner) {
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), ShippedHelp("korvex.hlp").c_str(), HELP_CONTENTS, 0));
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  owner_->Destroy();
  delete owner_;
  // The deleted window no longer answers for the program's help.
  EXPECT_EQ(CurrentHelpWindow(), nullptr);
  owner_ = new TFrameWindow(nullptr, "Second owner");
  ASSERT_TRUE(owner_->Create());
  EXPECT_TRUE(WinHelp(owner_->GetHandle(), ShippedHelp("korvex.hlp").c_str(), HELP_CONTENTS, 0));
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_EQ(CurrentHelpWindow()->GetParentO(), owner_);
}

TEST_F(HelpViewerTest, OpensBesideTheAskingWindowOnTheScreenAndBelowTheMenuBar) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 1600);
  screen.SetMetric(SM_CYSCREEN, 900);
  // The editor's main window over the whole screen, with its menu bar.
  const TMenuTemplateItem rows[] = {{"&File", 0, MF_POPUP}, {"&Open", 100, 0}, {nullptr, 0, MF_END}};
  RegisterMenuResource("HelpPlacementMenu", rows, 3);
  TFrameWindow main(nullptr, "Editor");
  main.Attr.X = 0;
  main.Attr.Y = 0;
  main.Attr.W = 1600;
  main.Attr.H = 880;
  main.AssignMenu("HelpPlacementMenu");
  ASSERT_TRUE(main.Create());
  const int belowMenu = BelowMainMenuBar(&main);
  ASSERT_GT(belowMenu, 0);
  // An analysis window with room on its right, one with room only on its left, one over
  // the menu bar, and the main window itself, which leaves no room beside it.
  const RECT askers[] = {{100, 300, 500, 600}, {1000, 300, 1500, 600}, {100, 5, 500, 300}, {0, 0, 1600, 880}};
  for (const RECT &at : askers) {
    const bool isMain = at.Width() == 1600;
    TFrameWindow analysis(&main, "Analysis");
    TWindow *asker = &main;
    if (!isMain) {
      analysis.Attr.X = at.left;
      analysis.Attr.Y = at.top;
      analysis.Attr.W = at.Width();
      analysis.Attr.H = at.Height();
      ASSERT_TRUE(analysis.Create());
      asker = &analysis;
    }
    ASSERT_TRUE(WinHelp(asker->GetHandle(), ShippedHelp("korvex.hlp").c_str(), HELP_CONTEXT, 64));
    THelpWindow *window = CurrentHelpWindow();
    ASSERT_NE(window, nullptr);
    const RECT help = window->GetWindowRect(), beside = asker->GetWindowRect();
    SCOPED_TRACE(testing::Message() << "asker at " << beside.left << ", " << beside.top << "; help at " << help.left
                                    << ", " << help.top);
    EXPECT_GE(help.left, 0);
    EXPECT_LE(help.right, 1600);
    EXPECT_GE(help.top, belowMenu);
    EXPECT_LE(help.bottom, 900);
    // Level with the asker and clear of it where the screen has room.
    if (!isMain) {
      EXPECT_EQ(help.top, std::max(static_cast<int>(beside.top), belowMenu));
      EXPECT_TRUE(help.left >= beside.right || help.right <= beside.left);
    }
    WinHelp(asker->GetHandle(), nullptr, HELP_QUIT, 0);
  }
  // At 1024 x 768 the main window 640 wide leaves no room beside it for the help window of
  // 640: it covers less of the main window's drawing at the right edge, over a palette, than
  // at the left edge.
  screen.SetMetric(SM_CXSCREEN, 1024);
  screen.SetMetric(SM_CYSCREEN, 768);
  main.SetWindowPos(nullptr, 0, 0, 640, 480, SWP_NOZORDER);
  TFrameWindow palette(&main, "Tools");
  palette.Attr.X = 660;
  palette.Attr.Y = 100;
  palette.Attr.W = 60;
  palette.Attr.H = 200;
  ASSERT_TRUE(palette.Create());
  palette.ShowWindow(SW_SHOWNORMAL);
  ASSERT_TRUE(WinHelp(main.GetHandle(), ShippedHelp("korvex.hlp").c_str(), HELP_CONTEXT, 64));
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  const RECT help = CurrentHelpWindow()->GetWindowRect();
  EXPECT_EQ(help.right, 1024) << help.left;
  WinHelp(main.GetHandle(), nullptr, HELP_QUIT, 0);
}

TEST_F(HelpViewerTest, EscapeClosesTheWindow) {
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), ShippedHelp("korvex.hlp").c_str(), HELP_CONTEXT, 61));
  THelpWindow *window = CurrentHelpWindow();
  ASSERT_NE(window, nullptr);
  // Another key leaves it open; Escape in the page closes it.
  test_kit::PostKey(*window->GetClientWindow(), VK_DOWN);
  test_kit::RunFor(50);
  EXPECT_NE(window->GetHandle(), nullptr);
  test_kit::PostKey(*window->GetClientWindow(), VK_ESCAPE);
  EXPECT_TRUE(test_kit::RunUntil([window] { return window->GetHandle() == nullptr; }));
  // Help asked for again opens it again.
  ASSERT_TRUE(WinHelp(owner_->GetHandle(), ShippedHelp("korvex.hlp").c_str(), HELP_CONTEXT, 61));
  EXPECT_NE(CurrentHelpWindow()->GetHandle(), nullptr);
}

}  // namespace
