#include "toolkit/dialogs/file_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/scripted_dialogs.h"

namespace {

constexpr const char *kSystemFilter = "Optical systems (*.osd)|*.osd|All files (*.*)|*.*|";

TEST(FileName, OpenRequestAsksForExistingFilesAndAllowsSeveral) {
  TScriptedFileDialog dialog;
  dialog.Cancel();
  TFileName name(nullptr, kSystemFilter, TFileName::kOpen);
  name.SetInitialDir("/data/lenses");
  name.SetFileName("triplet.osd");
  name.Title = "Open system";
  EXPECT_EQ(name.Execute(), "");
  ASSERT_EQ(dialog.asked.size(), 1u);
  const TFileDialogRequest &asked = dialog.asked[0];
  EXPECT_FALSE(asked.Save);
  EXPECT_EQ(asked.Flags, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
  EXPECT_EQ(asked.Filter, kSystemFilter);
  EXPECT_EQ(asked.InitialDir, "/data/lenses");
  EXPECT_EQ(asked.FileName, "triplet.osd");
  EXPECT_EQ(asked.Title, "Open system");
}

TEST(FileName, SinglePathWithSpacesComesBackWhole) {
  TScriptedFileDialog dialog;
  dialog.Choose({"/home/ann/My Lenses/cooke triplet.osd"});
  TFileName name(nullptr, kSystemFilter, TFileName::kOpen);
  EXPECT_EQ(name.Execute(), "/home/ann/My Lenses/cooke triplet.osd");
  EXPECT_EQ(name.GetResult(), 1);
  EXPECT_EQ(name.GetCount(), 1);
  EXPECT_EQ(name.GetDirectory(), "/home/ann/My Lenses");
  EXPECT_EQ(name.GetSelectedName(0), "cooke triplet.osd");
  EXPECT_EQ(name.GetSelectedExtension(0), "osd");
  EXPECT_EQ(name.GetSelectedPath(5), "");
  EXPECT_EQ(name.GetSelectedPath(-1), "");
  EXPECT_EQ(name.GetSelectedName(1), "");
  EXPECT_EQ(name.GetSelectedExtension(1), "");
}

TEST(FileName, MultipleChoiceOfNamesWithSpacesKeepsEachNameWhole) {
  TScriptedFileDialog dialog;
  const std::string folder = "/srv/shared lens data";
  dialog.Choose({folder + "/first lens.osd", folder + "/second  lens.osd", folder + "/third one.txt"});
  TFileName name(nullptr, kSystemFilter, TFileName::kOpen);
  EXPECT_EQ(name.Execute(2), folder + "/third one.txt");
  EXPECT_EQ(name.GetCount(), 3);
  EXPECT_EQ(name.GetDirectory(), folder);
  EXPECT_EQ(name.GetSelectedPath(0), folder + "/first lens.osd");
  EXPECT_EQ(name.GetSelectedPath(1), folder + "/second  lens.osd");
  EXPECT_EQ(name.GetSelectedName(1), "second  lens.osd");
  EXPECT_EQ(name.GetSelectedExtension(2), "txt");
  EXPECT_EQ(name.GetSelectedPath(3), "");
  // The one-line answer of the record still reads as the directory and the names.
  EXPECT_EQ(name.GetData().FileName,
            "/srv/shared lens data first lens.osd second  lens.osd third one.txt");
}

TEST(FileName, ExtensionIsTheFileNamesNotADottedDirectorys) {
  TScriptedFileDialog dialog;
  dialog.Choose({"/data/release 2.1/readme"});
  TFileName name(nullptr, kSystemFilter, TFileName::kOpen);
  ASSERT_EQ(name.Execute(), "/data/release 2.1/readme");
  EXPECT_EQ(name.GetSelectedExtension(0), "");
}

TEST(FileName, LongMultipleChoiceIsNotLostToTheBuffer) {
  TScriptedFileDialog dialog;
  std::vector<std::string> chosen;
  for (int k = 0; k < 100; ++k)
    chosen.push_back("/data/a rather long directory name/component library number " +
                     std::to_string(k) + ".lct");
  dialog.Choose(chosen);
  TFileName name(nullptr, "Components library(*.lct)|*.lct|", TFileName::kOpen);
  EXPECT_EQ(name.Execute(99), chosen[99]);
  EXPECT_EQ(name.GetCount(), 100);
}

TEST(FileName, SaveAnswerWithSpacesIsOneFileWithTheDefaultExtension) {
  TScriptedFileDialog dialog;
  dialog.Choose({"/tmp/new design/wide angle"});
  TFileName name(nullptr, kSystemFilter, TFileName::kSave);
  name.SetDefExt("osd");
  EXPECT_EQ(name.Execute(), "/tmp/new design/wide angle.osd");
  EXPECT_EQ(name.GetCount(), 1);
  EXPECT_EQ(name.GetDirectory(), "/tmp/new design");
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_TRUE(dialog.asked[0].Save);
  EXPECT_EQ(dialog.asked[0].Flags, OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
  EXPECT_EQ(dialog.asked[0].DefaultExt, "osd");
}

TEST(FileName, CancelReturnsNothingAndChangesNothing) {
  TScriptedFileDialog dialog;
  dialog.Choose({"/a b/c d.osd", "/a b/e f.osd"});
  dialog.Cancel();
  TFileName name(nullptr, kSystemFilter, TFileName::kOpen);
  ASSERT_EQ(name.Execute(1), "/a b/e f.osd");
  EXPECT_EQ(name.Execute(), "");
  EXPECT_EQ(name.GetResult(), 1);
  EXPECT_EQ(name.GetCount(), 2);
  EXPECT_EQ(name.GetDirectory(), "/a b");
  EXPECT_EQ(name.GetSelectedPath(0), "/a b/c d.osd");

  // Cancelled before anything was chosen: nothing at all.
  dialog.Cancel();
  TFileName fresh(nullptr, kSystemFilter, TFileName::kOpen);
  EXPECT_EQ(fresh.Execute(), "");
  EXPECT_EQ(fresh.GetResult(), 0);
  EXPECT_EQ(fresh.GetCount(), 0);
  EXPECT_EQ(fresh.GetSelectedPath(0), "");
}

}  // namespace
