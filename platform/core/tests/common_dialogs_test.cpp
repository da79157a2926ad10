// The colour, file, print and find dialogs and the clipboard through their providers.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/core/scripted_dialogs.h"

TEST(ColorDialog, ChoiceAndCustomColoursComeBackCancelKeepsTheColour) {
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i) custom[i] = RGB(16 * i, 16 * i, 16 * i);
  CHOOSECOLOR choice;
  choice.rgbResult = 0x5A0000;
  choice.lpCustColors = custom;
  choice.Flags = CC_RGBINIT;
  {
    TScriptedColorDialog dialog;
    dialog.SetCustomColor(3, 0x123456);
    dialog.Choose(0x00FF00);
    dialog.Cancel();
    EXPECT_TRUE(ChooseColor(&choice));
    EXPECT_EQ(choice.rgbResult, 0x00FF00u);
    EXPECT_EQ(custom[3], 0x123456u);
    EXPECT_FALSE(ChooseColor(&choice));
    EXPECT_EQ(choice.rgbResult, 0x00FF00u);
    ASSERT_EQ(dialog.asked.size(), 2u);
    EXPECT_EQ(dialog.asked[0].Initial, 0x5A0000u);
    EXPECT_EQ(dialog.asked[0].CustomColors[15], RGB(240, 240, 240));
    EXPECT_EQ(dialog.asked[1].CustomColors[3], 0x123456u);  // kept for the next dialog
  }
  // Without a provider the dialog is cancelled.
  EXPECT_FALSE(ChooseColor(&choice));
  EXPECT_FALSE(ChooseColor(nullptr));
}

TEST(FileDialog, FilterPairsAndDefaultExtension) {
  const auto pairs = ParseFileFilter("Components library(*.lct)|*.lct|Texts|*.txt;*.text|Broken|");
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[0].first, "Components library(*.lct)");
  EXPECT_EQ(pairs[1].second, "*.txt;*.text");
  EXPECT_EQ(WithDefaultExtension("/tmp/a.b/report", "txt"), "/tmp/a.b/report.txt");
  EXPECT_EQ(WithDefaultExtension("/tmp/report.dat", "txt"), "/tmp/report.dat");
  EXPECT_EQ(WithDefaultExtension("/tmp/report", ""), "/tmp/report");
  EXPECT_EQ(WithDefaultExtension("/tmp/report", ".txt"), "/tmp/report.txt");
}

TEST(FileDialog, ScriptedAnswersCountOneFileUnlessManyWereAllowed) {
  TScriptedFileDialog dialog;
  dialog.Choose({"/data/one", "/data/two"});
  dialog.Choose({"/data/a.txt", "/data/b txt", "/data/c.txt"});
  dialog.Cancel();
  TFileDialogRequest request;
  request.Save = true;
  request.DefaultExt = "txt";
  request.Filter = "All Files  (*.*)|*.*|";
  TFileDialogAnswer answer;
  ASSERT_TRUE(RunFileDialog(request, answer));
  EXPECT_EQ(answer.Paths, std::vector<std::string>{"/data/one.txt"});
  request.Save = false;
  request.Flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
  request.DefaultExt.clear();
  ASSERT_TRUE(RunFileDialog(request, answer));
  EXPECT_EQ(answer.Paths.size(), 3u);
  EXPECT_EQ(answer.Paths[1], "/data/b txt");  // a name with a space stays one name
  EXPECT_FALSE(RunFileDialog(request, answer));
  EXPECT_TRUE(answer.Paths.empty());
  ASSERT_EQ(dialog.asked.size(), 3u);
  EXPECT_TRUE(dialog.asked[0].Save);
  EXPECT_EQ(dialog.asked[0].Filter, "All Files  (*.*)|*.*|");
}

TEST(PrintDialog, PagesComeBackInsideTheLimits) {
  TScriptedPrintDialog dialog;
  TPrintSettings answer;
  answer.Flags = PD_PAGENUMS;
  answer.FromPage = 0;
  answer.ToPage = 500;
  answer.Copies = 0;
  answer.PrinterName = "Office";
  dialog.Print(answer);
  dialog.Cancel();
  TPrintSettings settings;
  settings.MinPage = 1;
  settings.MaxPage = 100;
  ASSERT_TRUE(RunPrintDialog(settings));
  EXPECT_EQ(settings.FromPage, 1);
  EXPECT_EQ(settings.ToPage, 100);
  EXPECT_EQ(settings.Copies, 1);
  EXPECT_EQ(settings.PrinterName, "Office");
  const TPrintSettings before = settings;
  EXPECT_FALSE(RunPrintDialog(settings));
  EXPECT_EQ(settings.PrinterName, before.PrinterName);
}

TEST(FindDialog, StaysOpenTellingOneActionAtATimeUntilClosed) {
  TScriptedFindDialog dialog;
  std::vector<TFindRequest> heard;
  const auto listen = [&heard](const TFindRequest &said) { heard.push_back(said); };
  EXPECT_EQ(OpenFindDialog(TFindRequest{}, nullptr), nullptr);  // nobody to tell
  TFindRequest find;
  find.FindWhat = "lens";
  const std::unique_ptr<TFindSession> session = OpenFindDialog(find, listen);
  ASSERT_NE(session, nullptr);
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_EQ(dialog.asked[0].FindWhat, "lens");
  // Several words while it is open; a find dialog only finds, and an empty text is no action.
  EXPECT_TRUE(dialog.Press("lens", FR_REPLACEALL | FR_MATCHCASE, "mirror"));
  EXPECT_TRUE(dialog.Press("", FR_FINDNEXT));
  EXPECT_TRUE(dialog.Press("prism", FR_FINDNEXT | FR_DOWN));
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].Flags, FR_FINDNEXT | FR_MATCHCASE);
  EXPECT_FALSE(heard[0].Replace);
  EXPECT_EQ(heard[1].FindWhat, "prism");
  EXPECT_TRUE(session->IsOpen());
  EXPECT_TRUE(dialog.UserCloses());
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_TRUE(heard[2].Flags & FR_DIALOGTERM);
  EXPECT_FALSE(session->IsOpen());
  EXPECT_FALSE(dialog.Press("lens", FR_FINDNEXT));  // nothing open: nobody hears it
  EXPECT_EQ(heard.size(), 3u);
}

TEST(FindDialog, TheReplaceDialogTellsOneActionAndAClosedSessionHearsNothing) {
  TScriptedFindDialog dialog;
  std::vector<TFindRequest> heard;
  TFindRequest replace;
  replace.Replace = true;
  dialog.Answer("lens", FR_REPLACE | FR_REPLACEALL | FR_DOWN, "mirror");
  auto session = OpenFindDialog(replace, [&heard](const TFindRequest &said) { heard.push_back(said); });
  ASSERT_EQ(heard.size(), 1u);  // the queued answer, said as it opened
  EXPECT_EQ(heard[0].Flags, FR_REPLACEALL | FR_DOWN);
  EXPECT_EQ(heard[0].ReplaceWith, "mirror");
  EXPECT_TRUE(heard[0].Replace);
  // The owner lets the dialog go: it closes without a word, and later presses reach no one.
  session.reset();
  EXPECT_FALSE(dialog.HasOpenDialog());
  EXPECT_FALSE(dialog.Press("lens", FR_REPLACE));
  EXPECT_EQ(heard.size(), 1u);
}

TEST(Clipboard, TextAndDibNeedTheClipboardOpenToBeSet) {
  TScriptedClipboard clipboard;
  EXPECT_FALSE(SetClipboardText("early"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));  // one owner at a time
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_TRUE(SetClipboardText(std::string("ab\0cd", 5)));
  const std::vector<std::uint8_t> dib{40, 0, 0, 0, 1, 2, 3};
  EXPECT_TRUE(SetClipboardDib(dib));
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  std::string text;
  ASSERT_TRUE(GetClipboardText(text));
  EXPECT_EQ(text, "ab");  // text ends at its first zero
  std::vector<std::uint8_t> back;
  ASSERT_TRUE(GetClipboardDib(back));
  EXPECT_EQ(back, dib);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(GetClipboardText(text));
}
