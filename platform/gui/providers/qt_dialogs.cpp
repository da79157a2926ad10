#include "platform/gui/providers/qt_dialogs.h"

#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "platform/gui/windows/modal_scope.h"
#include "platform/gui/windows/window.h"

namespace {

QWidget *OwnerWidget(HWND owner) {
  TWindow *window = WindowFromHandle(owner);
  return window != nullptr ? window->HostWidget() : nullptr;
}

QColor ToQColor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }
COLORREF FromQColor(const QColor &color) { return RGB(color.red(), color.green(), color.blue()); }

constexpr int kFileHeaderSize = 14;

}  // namespace

QStringList QtNameFilters(const std::string &filter) {
  QStringList filters;
  for (const auto &[description, patterns] : ParseFileFilter(filter)) {
    QString qtPatterns = QString::fromStdString(patterns);
    qtPatterns.replace(';', ' ');
    // A description that already ends with its patterns in brackets is shown as it is
    // ("Optical System (*.os)", not "Optical System (*.os) (*.os)").
    const QString text = QString::fromStdString(description);
    const QString bracketed = "(" + qtPatterns + ")";
    filters << (text.trimmed().endsWith(bracketed) ? text : text + " " + bracketed);
  }
  return filters;
}

QImage ImageFromPackedDib(const std::vector<std::uint8_t> &packedDib) {
  if (packedDib.size() < 40) return {};
  // A DIB file is the packed DIB behind a 14-byte header that says where the rows start.
  std::uint32_t headerSize = 0;
  std::memcpy(&headerSize, packedDib.data(), 4);
  std::uint16_t bitCount = 0;
  std::memcpy(&bitCount, packedDib.data() + 14, 2);
  std::uint32_t compression = 0;
  std::memcpy(&compression, packedDib.data() + 16, 4);
  std::uint32_t colorsUsed = 0;
  std::memcpy(&colorsUsed, packedDib.data() + 32, 4);
  if (headerSize < 40 || headerSize > packedDib.size()) return {};
  std::uint64_t colors = bitCount <= 8 ? (colorsUsed != 0 ? colorsUsed : (1u << bitCount)) : colorsUsed;
  if (compression == 3 && headerSize == 40) colors += 3;  // the bit-field masks
  const std::uint64_t offset = kFileHeaderSize + headerSize + 4 * colors;
  if (offset > kFileHeaderSize + packedDib.size()) return {};
  QByteArray file(kFileHeaderSize, '\0');
  const std::uint32_t fileSize = static_cast<std::uint32_t>(kFileHeaderSize + packedDib.size());
  const std::uint32_t bitsOffset = static_cast<std::uint32_t>(offset);
  file[0] = 'B';
  file[1] = 'M';
  std::memcpy(file.data() + 2, &fileSize, 4);
  std::memcpy(file.data() + 10, &bitsOffset, 4);
  file.append(reinterpret_cast<const char *>(packedDib.data()), static_cast<qsizetype>(packedDib.size()));
  QImage image;
  image.loadFromData(file, "BMP");
  return image;
}

std::vector<std::uint8_t> PackedDibFromImage(const QImage &image) {
  if (image.isNull()) return {};
  QByteArray file;
  QBuffer buffer(&file);
  buffer.open(QIODevice::WriteOnly);
  if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP") || file.size() <= kFileHeaderSize) {
    return {};
  }
  return std::vector<std::uint8_t>(file.begin() + kFileHeaderSize, file.end());
}

bool TQtColorDialog::ChooseColor(CHOOSECOLOR &choice) {
  if (choice.lpCustColors != nullptr) {
    for (int i = 0; i < 16; ++i) QColorDialog::setCustomColor(i, ToQColor(choice.lpCustColors[i]));
  }
  const QColor initial = (choice.Flags & CC_RGBINIT) ? ToQColor(choice.rgbResult) : QColor(Qt::white);
  QColorDialog dialog(initial, OwnerWidget(choice.hwndOwner));
  QColor chosen;
  if (TModalScope scope(&dialog); dialog.exec() == QDialog::Accepted) chosen = dialog.selectedColor();
  if (choice.lpCustColors != nullptr) {
    for (int i = 0; i < 16; ++i) choice.lpCustColors[i] = FromQColor(QColorDialog::customColor(i));
  }
  if (!chosen.isValid()) return false;
  choice.rgbResult = FromQColor(chosen);
  return true;
}

namespace {

// Whether the text is a list of quoted names and nothing else: `"a.os" "b.os"`.
bool IsQuotedList(const QString &text) {
  bool quoted = false;
  bool any = false;
  for (const QChar c : text) {
    if (c == u'"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && !c.isSpace()) {
      return false;
    }
  }
  return any && !quoted;
}

// Qt's dialog reads quotation marks in a typed name as a list of names and keeps the quoted
// ones: `folder/my "best" lens.os` would save best.os in the dialog's folder (or open it).
// A typed name holding a quotation mark is one name, taken whole; only where several files
// may be opened does a text that is wholly a list of quoted names stay a list.
class TWholeNameFileDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  QStringList Chosen() const { return whole_.isEmpty() ? selectedFiles() : QStringList{whole_}; }

  void accept() override {
    auto *edit = findChild<QLineEdit *>("fileNameEdit");
    const QString typed = edit != nullptr ? edit->text() : QString();
    const bool save = acceptMode() == AcceptSave;
    const bool severalAllowed = fileMode() == ExistingFiles && IsQuotedList(typed);
    if ((!save && fileMode() != ExistingFile && fileMode() != ExistingFiles) || !typed.contains(u'"') ||
        severalAllowed) {
      QFileDialog::accept();
      return;
    }
    QString path = directory().absoluteFilePath(typed);
    if (save && QFileInfo(path).suffix().isEmpty() && !defaultSuffix().isEmpty()) path += u'.' + defaultSuffix();
    const QFileInfo info(path);
    if (!save) {
      if (!info.isFile()) {
        QMessageBox::warning(this, windowTitle(), "The file " + info.absoluteFilePath() + " does not exist.");
        return;
      }
      whole_ = info.absoluteFilePath();
      QDialog::accept();
      return;
    }
    if (!info.dir().exists()) {
      QMessageBox::warning(this, windowTitle(), "The folder " + info.absolutePath() + " does not exist.");
      return;
    }
    if (info.isDir()) {
      QMessageBox::warning(this, windowTitle(), info.absoluteFilePath() + " is a folder.");
      return;
    }
    if (info.exists() && !testOption(DontConfirmOverwrite) &&
        QMessageBox::warning(this, windowTitle(), info.fileName() + " already exists.\nDo you want to replace it?",
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
      return;
    whole_ = info.absoluteFilePath();
    QDialog::accept();
  }

 private:
  QString whole_;
};

}  // namespace

bool TQtFileDialog::Run(const TFileDialogRequest &request, TFileDialogAnswer &answer) {
  TWholeNameFileDialog dialog(OwnerWidget(request.Owner));
  if (!request.Title.empty()) dialog.setWindowTitle(QString::fromStdString(request.Title));
  dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  if (request.Save) {
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setFileMode((request.Flags & OFN_ALLOWMULTISELECT) ? QFileDialog::ExistingFiles
                                                              : QFileDialog::ExistingFile);
  }
  if ((request.Flags & OFN_OVERWRITEPROMPT) == 0) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = QtNameFilters(request.Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const int index = std::clamp(request.FilterIndex, 1, static_cast<int>(filters.size())) - 1;
    dialog.selectNameFilter(filters[index]);
  }
  if (!request.DefaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(request.DefaultExt));
  const QFileInfo offered(QString::fromStdString(request.FileName));
  if (!request.InitialDir.empty()) {
    dialog.setDirectory(QString::fromStdString(request.InitialDir));
  } else if (!request.FileName.empty() && offered.dir().exists() && request.FileName.find('/') != std::string::npos) {
    dialog.setDirectory(offered.dir());
  }
  if (!request.FileName.empty()) dialog.selectFile(offered.fileName());
  if (TModalScope scope(&dialog); dialog.exec() != QDialog::Accepted) return false;
  for (const QString &path : dialog.Chosen()) answer.Paths.push_back(path.toStdString());
  answer.FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
  return true;
}

bool TQtPrintDialog::Run(TPrintSettings &settings) {
  QPrinter printer(QPrinter::HighResolution);
  if (!settings.PrinterName.empty()) printer.setPrinterName(QString::fromStdString(settings.PrinterName));
  printer.setCopyCount(std::max(1, settings.Copies));
  if (settings.PaperWidthMm > 0 && settings.PaperHeightMm > 0) {
    printer.setPageSize(QPageSize(QSizeF(settings.PaperWidthMm, settings.PaperHeightMm), QPageSize::Millimeter));
  }
  printer.setPageOrientation(settings.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  QPrintDialog dialog(&printer, OwnerWidget(settings.Owner));
  dialog.setMinMax(settings.MinPage, settings.MaxPage);
  dialog.setFromTo(settings.FromPage, settings.ToPage);
  QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange;
  if (settings.Flags & PD_NOPAGENUMS) options &= ~QAbstractPrintDialog::PrintDialogOptions(QAbstractPrintDialog::PrintPageRange);
  if (settings.Flags & (PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE)) {
    options &= ~QAbstractPrintDialog::PrintDialogOptions(QAbstractPrintDialog::PrintToFile);
  }
  dialog.setOptions(options);
  if (TModalScope scope(&dialog); dialog.exec() != QDialog::Accepted) return false;
  settings.Flags &= ~(PD_PAGENUMS | PD_SELECTION | PD_PRINTTOFILE);
  if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
    settings.Flags |= PD_PAGENUMS;
    settings.FromPage = printer.fromPage();
    settings.ToPage = printer.toPage();
  }
  settings.Copies = printer.copyCount();
  settings.Landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
  settings.PrinterName = printer.printerName().toStdString();
  settings.OutputFile = printer.outputFileName().toStdString();
  if (!settings.OutputFile.empty()) settings.Flags |= PD_PRINTTOFILE;
  settings.DotsPerInch = printer.resolution();
  const QSizeF paper = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
  settings.PaperWidthMm = paper.width();
  settings.PaperHeightMm = paper.height();
  return true;
}

namespace {

class TQtFindSession final : public TFindSession {
 public:
  explicit TQtFindSession(QDialog *dialog) : dialog_(dialog) {}
  ~TQtFindSession() override {
    if (dialog_ == nullptr) return;
    // Closed by its owner: no word of the close reaches an owner that may be going.
    dialog_->disconnect();
    delete dialog_;
  }
  bool IsOpen() const override { return dialog_ != nullptr && dialog_->isVisible(); }
  void Raise() override {
    if (dialog_ == nullptr) return;
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
  }

 private:
  QPointer<QDialog> dialog_;
};

}  // namespace

std::unique_ptr<TFindSession> TQtFindDialog::Open(const TFindRequest &request, TFindNotify notify) {
  auto *dialog = new QDialog(OwnerWidget(request.Owner));
  dialog->setModal(false);
  dialog->setWindowTitle(request.Replace ? "Replace" : "Find");
  auto *form = new QFormLayout;
  auto *findWhat = new QLineEdit(QString::fromStdString(request.FindWhat));
  auto *replaceWith = new QLineEdit(QString::fromStdString(request.ReplaceWith));
  form->addRow("Fi&nd what:", findWhat);
  if (request.Replace) form->addRow("Re&place with:", replaceWith);
  auto *matchCase = new QCheckBox("Match &case");
  auto *wholeWord = new QCheckBox("Match &whole word only");
  auto *up = new QRadioButton("&Up");
  auto *down = new QRadioButton("&Down");
  matchCase->setChecked(request.Flags & FR_MATCHCASE);
  wholeWord->setChecked(request.Flags & FR_WHOLEWORD);
  (request.Flags & FR_DOWN ? down : up)->setChecked(true);
  const bool replacing = request.Replace;
  // The entries as they stand when a button is pressed.
  auto said = [=](DWORD action) {
    return TFindRequest{request.Owner, replacing,
                        action | (matchCase->isChecked() ? FR_MATCHCASE : 0) |
                            (wholeWord->isChecked() ? FR_WHOLEWORD : 0) |
                            (replacing || down->isChecked() ? FR_DOWN : 0),
                        findWhat->text().toStdString(), replaceWith->text().toStdString()};
  };
  auto *buttons = new QDialogButtonBox;
  const auto addAction = [&](const char *text, DWORD flag) {
    QPushButton *button = buttons->addButton(text, QDialogButtonBox::ActionRole);
    QObject::connect(button, &QPushButton::clicked, dialog, [said, notify, flag] { notify(said(flag)); });
    return button;
  };
  addAction("&Find Next", FR_FINDNEXT)->setDefault(true);
  if (request.Replace) {
    addAction("&Replace", FR_REPLACE);
    addAction("Replace &All", FR_REPLACEALL);
  }
  buttons->addButton(QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  QObject::connect(dialog, &QDialog::finished, dialog, [said, notify] { notify(said(FR_DIALOGTERM)); });
  auto *layout = new QVBoxLayout(dialog);
  layout->addLayout(form);
  layout->addWidget(matchCase);
  layout->addWidget(wholeWord);
  if (!request.Replace) {
    layout->addWidget(up);
    layout->addWidget(down);
  }
  layout->addWidget(buttons);
  dialog->show();
  return std::make_unique<TQtFindSession>(dialog);
}

void TQtClipboard::Empty() {
  if (QGuiApplication::clipboard() != nullptr) QGuiApplication::clipboard()->clear();
}

void TQtClipboard::SetData(UINT format, const std::vector<std::uint8_t> &data) {
  QClipboard *clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return;
  // Both formats go into one set of data, so setting one keeps the other.
  auto *mime = new QMimeData;
  if (const QMimeData *current = clipboard->mimeData()) {
    if (current->hasText()) mime->setText(current->text());
    if (current->hasImage()) mime->setImageData(current->imageData());
  }
  if (format == CF_TEXT) {
    mime->setText(QString::fromUtf8(reinterpret_cast<const char *>(data.data()), static_cast<qsizetype>(data.size())));
  } else if (format == CF_DIB) {
    const QImage image = ImageFromPackedDib(data);
    if (!image.isNull()) mime->setImageData(image);
  }
  clipboard->setMimeData(mime);
}

bool TQtClipboard::GetData(UINT format, std::vector<std::uint8_t> &data) {
  QClipboard *clipboard = QGuiApplication::clipboard();
  const QMimeData *mime = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (mime == nullptr) return false;
  if (format == CF_TEXT && mime->hasText()) {
    const QByteArray bytes = mime->text().toUtf8();
    data.assign(bytes.begin(), bytes.end());
    return true;
  }
  if (format == CF_DIB && mime->hasImage()) {
    data = PackedDibFromImage(qvariant_cast<QImage>(mime->imageData()));
    return !data.empty();
  }
  return false;
}

bool TQtClipboard::HasFormat(UINT format) {
  QClipboard *clipboard = QGuiApplication::clipboard();
  const QMimeData *mime = clipboard != nullptr ? clipboard->mimeData() : nullptr;
  if (mime == nullptr) return false;
  return (format == CF_TEXT && mime->hasText()) || (format == CF_DIB && mime->hasImage());
}

TQtDialogProviders::TQtDialogProviders()
    : previousColor(SetColorDialogProvider(&color)),
      previousFile(SetFileDialogProvider(&file)),
      previousPrint(SetPrintDialogProvider(&print)),
      previousFind(SetFindDialogProvider(&find)),
      previousClipboard(SetClipboardProvider(&clipboard)) {}

TQtDialogProviders::~TQtDialogProviders() {
  SetColorDialogProvider(previousColor);
  SetFileDialogProvider(previousFile);
  SetPrintDialogProvider(previousPrint);
  SetFindDialogProvider(previousFind);
  SetClipboardProvider(previousClipboard);
}
