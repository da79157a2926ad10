// Printing from the text editor: the title of an unnamed text, long texts over several
// pages in whole lines, the print dialog asked first, and the report viewer saving its
// report before printing it through the report printer.

#include "toolkit/texteditor/printout_editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "platform/core/scripted_dialogs.h"
#include "platform/gui/printing/capture_printer.h"
#include "platform/gui/printing/qt_printer_device.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/printing/direct_print.h"
#include "toolkit/printing/o_printer.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

namespace fs = std::filesystem;
constexpr double kMmPerInch = 25.4;
constexpr int kDotsPerInch = 150;

int Dots(double mm) { return static_cast<int>(mm * kDotsPerInch / kMmPerInch); }

bool Dark(const QImage &page, int x, int y) { return (page.pixel(x, y) & 0xFFu) < 128; }

// Runs of dark dots down one column: one per hyphen printed across it.
int DarkRuns(const QImage &page, int x) {
  int runs = 0;
  bool inRun = false;
  for (int y = 0; y < page.height(); ++y) {
    const bool dark = Dark(page, x, y);
    if (dark && !inRun) ++runs;
    inRun = dark;
  }
  return runs;
}

bool SameArea(const QImage &a, const QImage &b, const QRect &area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

bool AnyDark(const QImage &page, const QRect &area) {
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (Dark(page, x, y)) return true;
  return false;
}

class EditorPrinting : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    device.SetA4(kDotsPerInch, kDotsPerInch);
  }
  void Open(const char *text, const char *file = nullptr) {
    editor = std::make_unique<TOEditor>(nullptr, "Editor", text, file);
    editor->Attr.Style = WS_POPUP | WS_BORDER;
    ASSERT_TRUE(editor->Create());
  }
  QImage PrintTitled(const char *title) {
    TPrintoutEditor printout("Editor", editor.get(), "text", title);
    TOPrinter printer;
    EXPECT_TRUE(printer.Print(nullptr, printout, false));
    return device.pages.empty() ? QImage() : device.pages.back();
  }
  TCapturePrinter device;
  std::unique_ptr<TOEditor> editor;
};

TEST_F(EditorPrinting, AnUnnamedTextIsTitledUntitledFile) {
  Open("text");
  const QImage unnamed = PrintTitled(nullptr);
  const QImage empty = PrintTitled("");
  const QImage named = PrintTitled("Untitled File");
  const QImage other = PrintTitled("notes.txt");
  ASSERT_EQ(device.pages.size(), 4u);
  // The title's place: from 70 mm across, 10 mm down, one 5 mm line high.
  const QRect titleArea(Dots(70), Dots(10), Dots(80), Dots(7));
  EXPECT_TRUE(AnyDark(unnamed, titleArea));
  EXPECT_TRUE(SameArea(unnamed, named, titleArea));
  EXPECT_TRUE(SameArea(empty, named, titleArea));
  EXPECT_FALSE(SameArea(other, named, titleArea));
  EXPECT_EQ(TPrintoutEditor("Editor", nullptr, "", nullptr).TitleText(), "Untitled File");
}

TEST_F(EditorPrinting, ALongTextPrintsEveryLineOnceOverSeveralPages) {
  Open("");
  editor->SetPrintHeader(false, false);
  constexpr int kLines = 150;
  std::string text;
  for (int k = 0; k < kLines; ++k) text += "-\n";
  text += "-";
  TPrintoutEditor printout("Editor", editor.get(), text.c_str(), "long.txt");
  TOPrinter printer;
  EXPECT_TRUE(printer.Print(nullptr, printout, false));
  // 151 lines of 4 mm Arial (about 4.6 mm apart) on 267 mm between the margins.
  ASSERT_EQ(device.pages.size(), 3u);
  // The hyphens start 20 mm in; a column a little further crosses each of them.
  const int column = Dots(20) + Dots(0.6);
  int printed = 0;
  for (const QImage &page : device.pages) printed += DarkRuns(page, column);
  EXPECT_EQ(printed, kLines + 1);
  // Every page starts 10 mm down, and nothing goes into the bottom margin.
  for (const QImage &page : device.pages) {
    EXPECT_FALSE(AnyDark(page, QRect(0, 0, page.width(), Dots(10))));
    EXPECT_FALSE(AnyDark(page, QRect(0, page.height() - Dots(10), page.width(), Dots(10))));
  }
}

TEST_F(EditorPrinting, PrintAsksTheDialogWithoutItsSetUpHookAndPrintsTheText) {
  Open("a few words");
  TScriptedPrintDialog dialog;
  dialog.Print(TPrintSettings{});
  editor->SendMessage(WM_COMMAND, CM_EDITORPRINT, 0);
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_EQ(dialog.asked[0].Flags & PD_ENABLESETUPHOOK, 0u);
  ASSERT_EQ(device.pages.size(), 1u);
  EXPECT_EQ(device.titles[0], "Editor");
  // The text's first line, 35 mm down below the header and title.
  EXPECT_TRUE(AnyDark(device.pages[0], QRect(Dots(20), Dots(35), Dots(40), Dots(5))));
  // A cancelled dialog prints nothing.
  dialog.Cancel();
  editor->SendMessage(WM_COMMAND, CM_EDITORPRINT, 0);
  EXPECT_EQ(device.pages.size(), 1u);
}

// Counts what the print dialog shows its hook.
class THookedPrinter : public TOPrinter {
 public:
  void DialogHook(UINT msg, WPARAM wParam, LPARAM) override {
    if (msg == WM_INITDIALOG) ++opened;
    if (msg == WM_COMMAND) closedWith = static_cast<int>(wParam);
  }
  int opened = 0;
  int closedWith = 0;
};

TEST_F(EditorPrinting, ThePrintersHookSeesTheDialogOpenAndClose) {
  TScriptedPrintDialog dialog;
  dialog.Cancel();
  THookedPrinter printer;
  printer.GetSetup().Flags |= PD_ENABLESETUPHOOK | PD_COLLATE;
  TPrintoutEditor printout("Editor", nullptr, "x", nullptr);
  EXPECT_FALSE(printer.Print(nullptr, printout, true));
  EXPECT_EQ(printer.opened, 1);
  EXPECT_EQ(printer.closedWith, IDCANCEL);
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_EQ(dialog.asked[0].Flags & PD_ENABLESETUPHOOK, 0u);
  EXPECT_EQ(dialog.asked[0].Flags & PD_COLLATE, PD_COLLATE);
}

// The report viewer prints what it shows and writes nothing: the report edited, another
// file opened in it, a new text typed and saved. Each print is the print of a viewer opened
// on a file holding that text, under that title.
TEST_F(EditorPrinting, TheReportViewerPrintsTheTextItShowsAndWritesNothing) {
  const fs::path dir = fs::temp_directory_path() / ("printout_editor_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string report = (dir / "aberrat.txt").string(), other = (dir / "other.txt").string(),
                    typed = (dir / "typed.txt").string(), expected = (dir / "expected.txt").string();
  const std::string reportText = "+===+\n| y |\n+===+\n";
  { std::ofstream(other) << "Focal length 100\n"; }
  TScriptedFileDialog files;
  struct Row {
    std::function<void(TTextEditor &)> act;
    std::string shown, title;
  };
  const Row rows[] = {
      {[](TTextEditor &viewer) { viewer.Client()->Insert("note\n"); }, "note\n" + reportText, "System aberrations"},
      {[&](TTextEditor &viewer) {
         files.Choose({other});
         viewer.SendMessage(WM_COMMAND, CM_FILEOPEN, 0);
       },
       "Focal length 100\n", other},
      {[&](TTextEditor &viewer) {
         viewer.SendMessage(WM_COMMAND, CM_FILENEW, 0);
         viewer.Client()->Insert("typed words\n");
         files.Choose({typed});
         viewer.SendMessage(WM_COMMAND, CM_FILESAVE, 0);
       },
       "typed words\n", typed}};
  const auto print = [](const std::string &file, const std::string &title, const std::function<void(TTextEditor &)> &act) {
    TTextEditor viewer(nullptr, "Aberrations", nullptr, file.c_str());
    viewer.SetTitle(title);
    viewer.Attr.Style = WS_POPUP | WS_BORDER;
    EXPECT_TRUE(viewer.Create());
    viewer.Client()->SetSelection(0, 0);
    if (act) act(viewer);
    viewer.SendMessage(WM_COMMAND, CM_EDITORPRINT, 0);
  };
  for (const Row &row : rows) {
    { std::ofstream(report) << reportText; }
    device.pages.clear();
    device.titles.clear();
    print(report, "System aberrations", row.act);
    { std::ofstream(expected) << row.shown; }
    print(expected, row.title, {});
    ASSERT_EQ(device.pages.size(), 2u) << row.title;
    EXPECT_EQ(device.titles[0], row.title);
    EXPECT_EQ(device.titles[1], row.title);
    EXPECT_TRUE(device.pages[0] == device.pages[1]) << row.title;
    std::ifstream saved(report);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>()), reportText);
    // At the page's left, as the report's own Print puts it.
    EXPECT_TRUE(AnyDark(device.pages[0], QRect(0, 0, Dots(10), Dots(5))));
  }
  fs::remove_all(dir);
}

// The words of a report as the paper must show them: rules and bars are lines, not words.
std::multiset<std::string> ReportWords(std::string text) {
  std::replace(text.begin(), text.end(), '|', ' ');
  std::multiset<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;)
    if (word.find_first_not_of("=+") != std::string::npos) words.insert(word);
  return words;
}

// A ruled report from the seed as the analyses write them, under a long remark: a key column
// and two value cells per curve, `curves` wide and `rows` long.
std::string RuledReport(std::mt19937 &random, int curves, int rows) {
  std::string rule = "+=========+", head = "|    H    |";
  for (int c = 0; c < 2 * curves; ++c) rule += "==========+", head += c % 2 ? "  z'-z0'  |" : "  y'-y0'  |";
  std::string text = "System: report" + std::to_string(curves) + "\nRemark:";
  // A plain line wider than the page, of words from one to nine letters long.
  for (int w = 0; w < 30 * curves; ++w) text += " " + std::string(1 + random() % 9, static_cast<char>('a' + w % 26));
  text += "\n" + rule + "\n" + head + "\n" + rule + "\n";
  std::uniform_real_distribution<double> value(-2.0, 2.0);
  char cell[32];
  for (int r = 0; r < rows; ++r, text += "\n") {
    text += (std::snprintf(cell, sizeof cell, "|%9.3g|", r * 0.125), cell);
    for (int c = 0; c < 2 * curves; ++c)
      text += (std::snprintf(cell, sizeof cell, "%10.3g|", value(random) * std::pow(10.0, (r + c) % 7 - 3)), cell);
  }
  return text + rule + "\n";
}

void PrintFrom(TOEditor &&window) {
  ASSERT_TRUE(window.Create());
  window.SendMessage(WM_COMMAND, CM_EDITORPRINT, 0);
}

// Every road a report takes to paper keeps every word of it, for reports wider than the
// page and longer than one: the report files' road (the aberrations' and the listing's
// Print) at their two heights, the report viewer's Print and the plain text window's.
TEST_F(EditorPrinting, EveryPrintRoadPutsEveryWordOfAWideAndALongReportOnPaper) {
  device.drawsTextAndLines = true;
  const std::string file = (fs::temp_directory_path() / ("print_roads_" + std::to_string(::getpid()) + ".txt")).string();
  TScriptedPrintDialog dialog;
  const std::function<void()> roads[] = {
      [&] { PrintReportFile(nullptr, file, "System aberrations", 4.0); },
      [&] { PrintReportFile(nullptr, file, "System report", 3.5); },
      [&] { PrintFrom(TTextEditor(nullptr, "Aberrations", nullptr, file.c_str())); },
      [&] { dialog.Print(TPrintSettings{}), PrintFrom(TOEditor(nullptr, "Editor", nullptr, file.c_str())); }};
  std::mt19937 random(::testing::UnitTest::GetInstance()->random_seed());
  for (const auto &[curves, rows] : {std::pair{8 + static_cast<int>(random() % 10), 12}, std::pair{1, 150 + static_cast<int>(random() % 100)}}) {
    const std::string report = RuledReport(random, curves, rows);
    { std::ofstream(file, std::ios::binary) << report; }
    const std::multiset<std::string> wanted = ReportWords(report);
    for (std::size_t road = 0; road < std::size(roads); ++road) {
      device.printed.clear();
      roads[road]();
      std::multiset<std::string> onPaper;
      for (const TPrintedPage &page : device.printed)
        for (const std::string &word : page.WordsOnPaper(device.format.Width, device.format.Height))
          for (const std::string &part : ReportWords(word)) onPaper.insert(part);
      EXPECT_TRUE(std::includes(onPaper.begin(), onPaper.end(), wanted.begin(), wanted.end()))
          << "road " << road << ", " << curves << " curves, " << rows << " rows";
    }
  }
  fs::remove(file);
}

TEST(EditorPrintToFile, PrintToFileWritesAPdfOfTheText) {
  test_kit::EnsureApplication();
  const fs::path file = fs::temp_directory_path() /
                        ("editor_print_" + std::to_string(::getpid()) + ".pdf");
  fs::remove(file);
  TQtPrinterDevice desktop;
  TPrinterDevice *previous = SetPrinterDevice(&desktop);
  TScriptedPrintDialog dialog;
  TPrintSettings toFile;
  toFile.Flags = PD_PRINTTOFILE;
  toFile.OutputFile = file.string();
  dialog.Print(toFile);
  {
    TOEditor editor(nullptr, "Editor", "Focal length  100.0 mm\n\tBack focus  95.2 mm\n", nullptr);
    editor.Attr.Style = WS_POPUP | WS_BORDER;
    ASSERT_TRUE(editor.Create());
    editor.SendMessage(WM_COMMAND, CM_EDITORPRINT, 0);
  }
  SetPrinterDevice(previous);
  std::ifstream pdf(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(pdf)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  EXPECT_NE(bytes.find("/Count 1"), std::string::npos);
  if (std::getenv("KEEP_PRINTED_PDF") == nullptr) fs::remove(file);
}

}  // namespace
