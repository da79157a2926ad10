#pragma once
// The Qt side of platform/core's dialog and clipboard providers: the colour, file, print
// and find dialogs as Qt dialogs over the owner's window, and the desktop's clipboard.
// Constructing TQtDialogProviders installs all of them; its destructor puts the previous
// ones back.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/clipboard.h"
#include "platform/core/color_dialog.h"
#include "platform/core/file_dialog.h"
#include "platform/core/find_dialog.h"
#include "platform/core/print_dialog.h"

class QImage;

class TQtColorDialog final : public TColorDialogProvider {
 public:
  bool ChooseColor(CHOOSECOLOR &choice) override;
};

class TQtFileDialog final : public TFileDialogProvider {
 public:
  bool Run(const TFileDialogRequest &request, TFileDialogAnswer &answer) override;
};

class TQtPrintDialog final : public TPrintDialogProvider {
 public:
  bool Run(TPrintSettings &settings) override;
};

// A modeless Qt dialog over the owner's window: Find Next (and Replace, Replace All) tell
// the owner and leave it open; Cancel or the close box closes it.
class TQtFindDialog final : public TFindDialogProvider {
 public:
  std::unique_ptr<TFindSession> Open(const TFindRequest &request, TFindNotify notify) override;
};

class TQtClipboard final : public TClipboardProvider {
 public:
  void Empty() override;
  void SetData(UINT format, const std::vector<std::uint8_t> &data) override;
  bool GetData(UINT format, std::vector<std::uint8_t> &data) override;
  bool HasFormat(UINT format) override;
};

class TQtDialogProviders {
 public:
  TQtDialogProviders();
  ~TQtDialogProviders();
  TQtDialogProviders(const TQtDialogProviders &) = delete;
  TQtDialogProviders &operator=(const TQtDialogProviders &) = delete;

 private:
  TQtColorDialog color;
  TQtFileDialog file;
  TQtPrintDialog print;
  TQtFindDialog find;
  TQtClipboard clipboard;
  TColorDialogProvider *previousColor;
  TFileDialogProvider *previousFile;
  TPrintDialogProvider *previousPrint;
  TFindDialogProvider *previousFind;
  TClipboardProvider *previousClipboard;
};

// Qt's name filters for a filter of "description|patterns|" pairs: "Texts (*.txt *.text)".
QStringList QtNameFilters(const std::string &filter);
// A packed DIB (header, colours, rows) as an image and back; a null image or empty bytes
// when the data cannot be read.
QImage ImageFromPackedDib(const std::vector<std::uint8_t> &packedDib);
std::vector<std::uint8_t> PackedDibFromImage(const QImage &image);
