// The framework's dialog classes over scripted providers, and the Qt side's conversions.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/core/scripted_dialogs.h"
#include "platform/gui/providers/common_dialogs.h"
#include "platform/gui/providers/qt_dialogs.h"
#include "platform/gui/windows/test_kit.h"

TEST(FileDialogClasses, SeveralFilesGiveTheDirectoryAndSpaceSeparatedNames) {
  TScriptedFileDialog dialog;
  dialog.Choose({"/data/lib/a.lct", "/data/lib/b.lct", "/data/lib/c.lct"}, 1);
  TOpenSaveDialog::TData data(OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT,
                              "Components library(*.lct)|*.lct|", nullptr, "/data", "lct", 2048);
  data.FileName = "old.lct";
  TFileOpenDialog open(nullptr, data);
  ASSERT_EQ(open.Execute(), IDOK);
  EXPECT_EQ(data.FileName, "/data/lib a.lct b.lct c.lct");
  ASSERT_EQ(data.SelectedPaths.size(), 3u);
  EXPECT_EQ(data.SelectedPaths[2], "/data/lib/c.lct");
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_FALSE(dialog.asked[0].Save);
  EXPECT_EQ(dialog.asked[0].FileName, "old.lct");
  EXPECT_EQ(dialog.asked[0].InitialDir, "/data");
}

TEST(FileDialogClasses, SaveAddsTheExtensionAndAnAnswerTooLongIsRefused) {
  TScriptedFileDialog dialog;
  dialog.Choose({"/data/report"});
  dialog.Choose({"/data/a-very-long-name-that-does-not-fit.txt"});
  dialog.Cancel();
  TOpenSaveDialog::TData data(OFN_OVERWRITEPROMPT, "Texts|*.txt|", nullptr, nullptr, "txt", 20);
  TFileSaveDialog save(nullptr, data);
  ASSERT_EQ(save.Execute(), IDOK);
  EXPECT_EQ(data.FileName, "/data/report.txt");
  EXPECT_EQ(save.Execute(), IDCANCEL);
  EXPECT_EQ(data.Error, FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(data.FileName, "/data/report.txt");  // kept
  EXPECT_EQ(save.Execute(), IDCANCEL);
  EXPECT_EQ(data.Error, 0u);
}

TEST(ColorDialogClass, ExecuteTakesTheChoiceOnlyOnOk) {
  TScriptedColorDialog dialog;
  dialog.Cancel();
  dialog.Choose(0x7F0000);
  COLORREF custom[16] = {};
  TChooseColorDialog::TData data;
  data.Flags = CC_RGBINIT;
  data.Color = 0x5A0000;
  data.CustColors = custom;
  TChooseColorDialog choose(nullptr, data);
  EXPECT_EQ(choose.Execute(), IDCANCEL);
  EXPECT_EQ(data.Color, 0x5A0000u);
  EXPECT_EQ(choose.Execute(), IDOK);
  EXPECT_EQ(data.Color, 0x7F0000u);
}

TEST(QtDialogs, NameFiltersAndPackedDibsConvert) {
  const QStringList filters = QtNameFilters("Texts|*.txt;*.text|All Files  (*.*)|*.*|");
  ASSERT_EQ(filters.size(), 2);
  EXPECT_EQ(filters[0].toStdString(), "Texts (*.txt *.text)");
  // A description that shows its patterns already keeps them once.
  EXPECT_EQ(filters[1].toStdString(), "All Files  (*.*)");
  EXPECT_EQ(QtNameFilters("Optical System (*.os)|*.os|Images (bitmaps)|*.bmp|").join('/').toStdString(),
            "Optical System (*.os)/Images (bitmaps) (*.bmp)");

  QImage image(5, 3, QImage::Format_RGB32);
  image.fill(qRgb(10, 20, 30));
  image.setPixel(4, 2, qRgb(200, 100, 50));
  const std::vector<std::uint8_t> dib = PackedDibFromImage(image);
  ASSERT_GE(dib.size(), 40u);
  EXPECT_EQ(dib[0], 40);  // the header's size comes first: no file header
  const QImage back = ImageFromPackedDib(dib);
  ASSERT_EQ(back.size(), image.size());
  EXPECT_EQ(back.pixel(4, 2) & 0xFFFFFFu, qRgb(200, 100, 50) & 0xFFFFFFu);
  EXPECT_EQ(back.pixel(0, 0) & 0xFFFFFFu, qRgb(10, 20, 30) & 0xFFFFFFu);
  // Truncated or lying headers give no image.
  EXPECT_TRUE(ImageFromPackedDib(std::vector<std::uint8_t>(dib.begin(), dib.begin() + 20)).isNull());
  std::vector<std::uint8_t> lying = dib;
  lying[0] = 0xFF;
  lying[1] = 0xFF;
  EXPECT_TRUE(ImageFromPackedDib(lying).isNull());
}

namespace {

// The one open Qt find dialog, its "Find what" entry and the button with the text.
QDialog *OpenQtDialog() {
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    auto *dialog = qobject_cast<QDialog *>(widget);
    if (dialog != nullptr && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

QPushButton *ButtonOf(QDialog &dialog, const QString &text) {
  for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

}  // namespace

TEST(QtFindDialog, IsModelessTellsEveryPressAndItsCloseOnce) {
  test_kit::EnsureApplication();
  TQtFindDialog provider;
  TFindDialogProvider *previous = SetFindDialogProvider(&provider);
  std::vector<TFindRequest> heard;
  TFindRequest request;
  request.Replace = true;
  request.FindWhat = "lens";
  std::unique_ptr<TFindSession> session =
      OpenFindDialog(request, [&heard](const TFindRequest &said) { heard.push_back(said); });
  ASSERT_NE(session, nullptr);
  QDialog *dialog = OpenQtDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(dialog->isModal());  // open beside the text, not over it
  EXPECT_EQ(dialog->windowTitle(), "Replace");
  const QList<QLineEdit *> entries = dialog->findChildren<QLineEdit *>();
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0]->text(), "lens");
  entries[1]->setText("mirror");
  QPushButton *findNext = ButtonOf(*dialog, "&Find Next");
  QPushButton *replace = ButtonOf(*dialog, "&Replace");
  ASSERT_NE(findNext, nullptr);
  ASSERT_NE(replace, nullptr);
  findNext->click();
  replace->click();
  entries[0]->setText("prism");
  findNext->click();
  EXPECT_TRUE(session->IsOpen());  // still open after three words
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].Flags, FR_FINDNEXT | FR_DOWN);
  EXPECT_EQ(heard[1].Flags, FR_REPLACE | FR_DOWN);
  EXPECT_EQ(heard[1].ReplaceWith, "mirror");
  EXPECT_EQ(heard[2].FindWhat, "prism");
  dialog->reject();  // Cancel or the close box
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_TRUE(heard[3].Flags & FR_DIALOGTERM);
  EXPECT_FALSE(session->IsOpen());

  // Let go while open, it closes without a word more.
  session = OpenFindDialog(request, [&heard](const TFindRequest &said) { heard.push_back(said); });
  ASSERT_NE(OpenQtDialog(), nullptr);
  session.reset();
  EXPECT_EQ(OpenQtDialog(), nullptr);
  EXPECT_EQ(heard.size(), 4u);
  SetFindDialogProvider(previous);
}

// Qt's dialog reads quotation marks in a typed name as a list of names; where one file is
// asked for, the name is taken whole in whichever folder it was typed, never cut to its quoted
// part in the folder the dialog showed.
TEST(QtFileDialog, ATypedNameIsTakenWholeQuotationMarksAndAll) {
  test_kit::EnsureApplication();
  namespace fs = std::filesystem;
  const fs::path base = fs::temp_directory_path() / ("qt_file_dialog_" + std::to_string(::getpid()));
  const fs::path shown = base / "os";
  const fs::path chosen = base / "mine";
  const fs::path opened = base / "opened";
  for (const fs::path &folder : {shown, chosen, opened}) fs::create_directories(folder);
  // To open: the file of the whole name, though its quoted part names a file too.
  std::ofstream(opened / "my \"best\" lens.os") << "x";
  std::ofstream(opened / "best.os") << "x";
  fs::create_directories(opened / "sub");
  std::ofstream(opened / "sub" / "my \"best.os\" lens.os") << "x";
  struct TCase {
    bool save;
    std::string typed;
    fs::path expected;
    bool several = false;  // the Open dialog that takes several files
  } cases[] = {
      {true, (chosen / "my \"best\" lens.os").string(), chosen / "my \"best\" lens.os"},
      {true, "my \"best\" lens", shown / "my \"best\" lens.os"},
      {true, "\"best\" \"lens\"", shown / "\"best\" \"lens\".os"},
      {true, "plain.os", shown / "plain.os"},
      {false, "my \"best\" lens.os", opened / "my \"best\" lens.os"},
      {false, "sub/my \"best.os\" lens.os", opened / "sub" / "my \"best.os\" lens.os", true},
      {false, "my \"best\" lens.os", opened / "my \"best\" lens.os", true},
      {false, "\"best.os\"", opened / "best.os", true},
  };
  for (const TCase &c : cases) {
    bool typed = false;
    int waits = 0;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
      auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
      auto *edit = dialog != nullptr ? dialog->findChild<QLineEdit *>("fileNameEdit") : nullptr;
      if (edit == nullptr || typed) return;
      // A user types into the focused field, which the dialog's own file list leaves as typed
      // (it rewrites an unfocused one with the file it selects once its folder is listed).
      if (!edit->hasFocus() && ++waits < 200) {
        dialog->activateWindow();
        edit->setFocus();
        return;
      }
      typed = true;
      edit->setText(QString::fromStdString(c.typed));
      // As the Save button does: the dialog's own accept, whatever it is.
      static_cast<QDialog *>(dialog)->accept();
    });
    typist.start(10);
    TQtFileDialog provider;
    TFileDialogRequest request;
    request.Save = c.save;
    request.Flags = c.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | (c.several ? OFN_ALLOWMULTISELECT : 0);
    request.Filter = "Optical System (*.os)|*.os|";
    request.InitialDir = (c.save ? shown : opened).string();
    request.DefaultExt = "os";
    TFileDialogAnswer answer;
    // Only the typist accepts: a run that returns true was typed into.
    ASSERT_TRUE(provider.Run(request, answer)) << c.typed;
    EXPECT_EQ(answer.Paths, std::vector<std::string>{c.expected.string()}) << c.typed;
  }
  std::error_code error;
  fs::remove_all(base, error);
}
