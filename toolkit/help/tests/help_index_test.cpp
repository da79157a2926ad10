#include "toolkit/help/help_index.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string ShippedHelp(const std::string &name) {
  return std::string(TEST_SOURCE_DIR) + "/../resources/help/" + name;
}

TEST(HelpIndex, ReadsPagesByContextAndTheContents) {
  THelpIndex index;
  int bad = -1;
  ASSERT_TRUE(ParseHelpIndex("; remark\n# another\n\n contents = pages/index.html \n"
                             "61=pages/psf.html\r\n4294967295 = last.html\n",
                             index, &bad));
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(index.contents, "pages/index.html");
  EXPECT_EQ(HelpPageOfContext(index, 61), "pages/psf.html");  // a Windows line end too
  EXPECT_EQ(HelpPageOfContext(index, 4294967295u), "last.html");
  EXPECT_EQ(HelpPageOfContext(index, 62), "");
}

TEST(HelpIndex, LinesThatNameNoPageAreSkippedAndReported) {
  THelpIndex index;
  int bad = 0;
  // A number beyond 32 bits, a sign, a word, a missing page and a line without '='.
  ASSERT_TRUE(ParseHelpIndex("4294967296 = a.html\n-5 = b.html\nspot = c.html\n"
                             "7 =\njust words\n8 = d.html\n",
                             index, &bad));
  EXPECT_EQ(bad, 1);
  ASSERT_EQ(index.pages.size(), 1u);
  EXPECT_EQ(HelpPageOfContext(index, 8), "d.html");
  EXPECT_EQ(HelpPageOfContext(index, 0), "");  // 4294967296 did not wrap round to 0
  EXPECT_FALSE(ParseHelpIndex("nothing here\n", index, &bad));
  EXPECT_TRUE(index.contents.empty());
}

TEST(HelpIndex, PagesAreFoundBesideTheHelpFile) {
  THelpIndex index;
  const std::string file = ShippedHelp("korvex.hlp");
  ASSERT_TRUE(ReadHelpIndex(file, index));
  const std::string directory = std::filesystem::path(file).parent_path().string();
  EXPECT_EQ(index.contents, directory + "/pages/index.html");
  // Every page the shipped files name exists: the analysis windows' contexts and the
  // examples.
  for (const auto &[context, page] : index.pages)
    EXPECT_TRUE(std::filesystem::is_regular_file(page)) << context << " " << page;
  for (std::uint32_t context : {61u, 64u, 65u, 89u, 2020u, 3030u})
    EXPECT_FALSE(HelpPageOfContext(index, context).empty()) << context;
  THelpIndex examples;
  ASSERT_TRUE(ReadHelpIndex(ShippedHelp("examples.hlp"), examples));
  EXPECT_TRUE(std::filesystem::is_regular_file(HelpPageOfContext(examples, 3060)));
}

TEST(HelpIndex, ForeignFilesAreRefused) {
  const std::string scratch =
      (std::filesystem::temp_directory_path() / ("help_index_" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(scratch);
  THelpIndex index;
  EXPECT_FALSE(ReadHelpIndex(scratch + "/missing.hlp", index));
  EXPECT_FALSE(ReadHelpIndex(scratch, index));  // a directory
  const std::string large = scratch + "/large.hlp";
  {
    std::ofstream out(large, std::ios::binary);
    out << "contents = index.html\n" << std::string(kHelpIndexMaxBytes, ';');
  }
  EXPECT_FALSE(ReadHelpIndex(large, index));
  EXPECT_TRUE(index.contents.empty());
  std::filesystem::remove_all(scratch);
}

}  // namespace
