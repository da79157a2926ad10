// The framework's dialog classes over scripted providers, and the Qt side's conversions.

#include <gtest/gtest.h>

#include <QImage>

#include "platform/core/scripted_dialogs.h"
#include "platform/gui/providers/common_dialogs.h"
#include "platform/gui/providers/qt_dialogs.h"

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
