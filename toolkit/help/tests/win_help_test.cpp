// The help viewer: the help file's pages opened at contents and at context numbers in one
// window owned by the asking frame, links followed inside it, and what a missing help
// file or page gives.

#include "toolkit/help/win_help.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace
