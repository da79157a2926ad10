#include "platform/gui/bars/edit_file.h"

#include <QString>
#include <QStringDecoder>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/core/message_box.h"

namespace {

const TResponseTableEntry kEditSearchTable[] = {
    EvCommand<&TEditSearch::CmEditFind>(CM_EDITFIND),
    EvCommand<&TEditSearch::CmEditReplace>(CM_EDITREPLACE),
    EvCommand<&TEditSearch::CmEditFindNext>(CM_EDITFINDNEXT),
    EvCommand<&TEditSearch::CmEditUndo>(CM_EDITUNDO),
    EvCommand<&TEditSearch::CmEditCut>(CM_EDITCUT),
    EvCommand<&TEditSearch::CmEditCopy>(CM_EDITCOPY),
    EvCommand<&TEditSearch::CmEditPaste>(CM_EDITPASTE),
    EvCommand<&TEditSearch::CmEditDelete>(CM_EDITDELETE),
    EvCommand<&TEditSearch::CmEditClear>(CM_EDITCLEAR),
    EvCommandEnable<&TEditSearch::CeEditFindNext>(CM_EDITFINDNEXT),
};

const TResponseTableEntry kEditFileTable[] = {
    EvCommand<&TEditFile::CmFileNew>(CM_FILENEW),
    EvCommand<&TEditFile::CmFileOpen>(CM_FILEOPEN),
    EvCommand<&TEditFile::CmFileSave>(CM_FILESAVE),
    EvCommand<&TEditFile::CmFileSaveAs>(CM_FILESAVEAS),
};

constexpr const char *kUntitled = "Untitled";

QString TextOf(TEdit &edit) {
  std::string text(static_cast<std::size_t>(edit.GetTextLen()) + 1, '\0');
  const int copied = edit.GetText(text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(0, copied)));
  // A leading U+FEFF is the text's own character, never a mark to drop.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return utf8.decode(QByteArrayView(text));
}

bool IsWordCharacter(QChar c) { return c.isLetterOrNumber() || c == '_'; }

bool WholeWordAt(const QString &text, int index, int length) {
  const bool startOk = index == 0 || !IsWordCharacter(text.at(index - 1));
  const bool endOk = index + length >= text.size() || !IsWordCharacter(text.at(index + length));
  return startOk && endOk;
}

}  // namespace

bool ReadTextFile(const std::string &path, std::string &text, TTextFileForm *form) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return false;
  TTextFileForm read;
  read.holdsZero = bytes.find('\0') != std::string::npos;
  if (form != nullptr) *form = read;
  if (read.holdsZero) return false;
  // Line ends as they stand, before they become '\n'.
  bool crlf = false, lf = false, cr = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char *end = nullptr;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      crlf = true;
      end = "\r\n";
      ++i;
    } else if (bytes[i] == '\r') {
      cr = true;
      end = "\r";
    } else if (bytes[i] == '\n') {
      lf = true;
      end = "\n";
    }
    if (end != nullptr && crlf + lf + cr == 1) read.lineEnd = end;
  }
  read.mixedLineEnds = crlf + lf + cr > 1;
  // A UTF-8 byte-order mark is kept apart and written back; any other is a character.
  static const std::string kMark = "\xEF\xBB\xBF";
  read.byteOrderMark = bytes.compare(0, kMark.size(), kMark) == 0;
  const std::size_t from = read.byteOrderMark ? kMark.size() : 0;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  QString decoded = utf8.decode(QByteArray::fromStdString(bytes.substr(from)));
  if (utf8.hasError()) {
    decoded = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    read.latin1 = true;
    read.byteOrderMark = false;
  }
  decoded.replace("\r\n", "\n");
  decoded.replace('\r', '\n');
  text = decoded.toStdString();
  if (form != nullptr) *form = read;
  return true;
}

std::string TextInForm(const std::string &text, const TTextFileForm &form, bool &fits) {
  // A leading U+FEFF of the text itself is a character here, kept.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  QString lines = utf8.decode(QByteArray::fromStdString(text));
  if (form.lineEnd != "\n") lines.replace('\n', QString::fromLatin1(form.lineEnd.c_str()));
  fits = true;
  if (!form.latin1) return (form.byteOrderMark ? "\xEF\xBB\xBF" : "") + lines.toStdString();
  for (const QChar c : lines)
    if (c.unicode() > 0xFF) fits = false;
  return fits ? lines.toLatin1().toStdString() : lines.toStdString();
}

TFileWriteResult WriteTextFile(const std::string &path, const std::string &text) {
  if (path.empty()) return TFileWriteResult{TFileWriteFault::kNoDirectory, 0};
  return ReplaceFileContents(path, text);
}

TEditSearch::TEditSearch(TWindow *parentWindow, int id, const char *text, int xPos, int yPos,
                         int w, int h, TModule *module)
    : TEdit(parentWindow, id, text, xPos, yPos, w, h, 0, true, module) {
  SearchData.Flags = FR_DOWN;
}

bool TEditSearch::Find(TEventInfo &info) {
  return SearchResponseTable(kEditSearchTable, info) || TEdit::Find(info);
}

void TEditSearch::CeEditFindNext(TCommandEnabler &enabler) {
  enabler.Enable(GetTextLen() > 0);
}

// The dialog goes before the edit does, so it never speaks to an edit that is gone.
TEditSearch::~TEditSearch() { findDialog_.reset(); }

void TEditSearch::OpenSearchDialog(bool replace) {
  if (IsFindDialogOpen() && SearchData.Replace == replace) {
    findDialog_->Raise();
    return;
  }
  findDialog_.reset();
  SearchData.Owner = GetHandle();
  SearchData.Replace = replace;
  findDialog_ = OpenFindDialog(SearchData, [this](const TFindRequest &said) { SearchDialogSaid(said); });
}

void TEditSearch::CmEditFind() { OpenSearchDialog(false); }

void TEditSearch::CmEditReplace() { OpenSearchDialog(true); }

void TEditSearch::SearchDialogSaid(const TFindRequest &said) {
  // Find Next goes on with the last action's entries and options once the dialog is
  // closed; the dialog itself is let go at the next opening or with the edit, never inside
  // its own word.
  if (said.Flags & FR_DIALOGTERM) return;
  SearchData.Flags = said.Flags & (FR_DOWN | FR_WHOLEWORD | FR_MATCHCASE);
  SearchData.FindWhat = said.FindWhat;
  SearchData.ReplaceWith = said.ReplaceWith;
  SearchData.Replace = said.Replace;
  if (said.Flags & FR_REPLACEALL) {
    ReplaceAll();
  } else if (said.Flags & FR_REPLACE) {
    if (SelectionMatches()) Insert(SearchData.ReplaceWith.c_str());
    DoSearch();
  } else {
    DoSearch();
  }
}

void TEditSearch::CmEditFindNext() {
  if (SearchData.FindWhat.empty()) {
    CmEditFind();
    return;
  }
  DoSearch();
}

bool TEditSearch::SelectionMatches() {
  int start = 0;
  int end = 0;
  GetSelection(start, end);
  const QString text = TextOf(*this);
  const QString wanted = QString::fromStdString(SearchData.FindWhat);
  const Qt::CaseSensitivity sensitivity = (SearchData.Flags & FR_MATCHCASE) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  return end > start && end <= text.size() &&
         QString::compare(text.mid(start, end - start), wanted, sensitivity) == 0;
}

bool TEditSearch::DoSearch() {
  const QString wanted = QString::fromStdString(SearchData.FindWhat);
  if (wanted.isEmpty()) return false;
  const QString text = TextOf(*this);
  int start = 0;
  int end = 0;
  GetSelection(start, end);
  const Qt::CaseSensitivity sensitivity = (SearchData.Flags & FR_MATCHCASE) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  const bool down = (SearchData.Flags & FR_DOWN) != 0 || SearchData.Replace;
  const bool wholeWord = (SearchData.Flags & FR_WHOLEWORD) != 0;
  qsizetype found = -1;
  if (down) {
    for (qsizetype from = end; from <= text.size(); ++from) {
      found = text.indexOf(wanted, from, sensitivity);
      if (found < 0 || !wholeWord || WholeWordAt(text, static_cast<int>(found), static_cast<int>(wanted.size()))) break;
      from = found;
      found = -1;
    }
  } else {
    for (qsizetype from = start - 1; from >= 0; --from) {
      found = text.lastIndexOf(wanted, from, sensitivity);
      if (found < 0 || !wholeWord || WholeWordAt(text, static_cast<int>(found), static_cast<int>(wanted.size()))) break;
      from = found;
      found = -1;
    }
  }
  if (found < 0) {
    const std::string message = "Cannot find \"" + SearchData.FindWhat + "\".";
    MessageBox(GetHandle(), message, SearchData.Replace ? "Replace" : "Find", MB_OK | MB_ICONINFORMATION);
    return false;
  }
  SetSelection(static_cast<int>(found), static_cast<int>(found + wanted.size()));
  SendMessage(EM_SCROLLCARET);
  return true;
}

int TEditSearch::ReplaceAll() {
  const QString wanted = QString::fromStdString(SearchData.FindWhat);
  if (wanted.isEmpty()) return 0;
  const QString text = TextOf(*this);
  const QString replacement = QString::fromStdString(SearchData.ReplaceWith);
  const Qt::CaseSensitivity sensitivity = (SearchData.Flags & FR_MATCHCASE) ? Qt::CaseSensitive : Qt::CaseInsensitive;
  const bool wholeWord = (SearchData.Flags & FR_WHOLEWORD) != 0;
  QString result;
  int count = 0;
  qsizetype from = 0;
  while (from <= text.size()) {
    const qsizetype found = text.indexOf(wanted, from, sensitivity);
    if (found < 0) break;
    if (wholeWord && !WholeWordAt(text, static_cast<int>(found), static_cast<int>(wanted.size()))) {
      result += text.mid(from, found + 1 - from);
      from = found + 1;
      continue;
    }
    result += text.mid(from, found - from) + replacement;
    from = found + wanted.size();
    ++count;
  }
  if (count == 0) return 0;
  result += text.mid(from);
  // Through the selection, so that the change is one step to undo and marks the text changed.
  SetSelection(0, static_cast<int>(text.size()));
  Insert(result.toStdString().c_str());
  return count;
}

TEditFile::TEditFile(TWindow *parentWindow, int id, const char *text, int xPos, int yPos, int w,
                     int h, const char *fileName, TModule *module)
    : TEditSearch(parentWindow, id, text, xPos, yPos, w, h, module),
      FileData(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, "All Files (*.*)|*.*|", nullptr, nullptr, "txt"),
      fileName_(fileName != nullptr ? fileName : "") {}

bool TEditFile::Find(TEventInfo &info) {
  return SearchResponseTable(kEditFileTable, info) || TEditSearch::Find(info);
}

void TEditFile::SetupWindow() {
  TEditSearch::SetupWindow();
  // A file named at construction is read now; one that cannot be read leaves an empty,
  // unnamed text behind its message.
  if (!fileName_.empty() && !Read()) fileName_.clear();
}

void TEditFile::SetFileName(const char *fileName) { fileName_ = fileName != nullptr ? fileName : ""; }

bool TEditFile::CanClear() {
  if (!IsModified()) return true;
  const std::string name = fileName_.empty() ? kUntitled : fileName_;
  const std::string message = "The text in " + name + " has changed.\n\nDo you want to save the changes?";
  switch (MessageBox(GetHandle(), message, "Editor", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return Save();
    case IDNO: return true;
    default: return false;
  }
}

bool TEditFile::CanClose() { return CanClear(); }

void TEditFile::NewFile() {
  if (!CanClear()) return;
  Clear();
  ClearModify();
  fileName_.clear();
  form_ = TTextFileForm{};
}

void TEditFile::Open() {
  if (!CanClear()) return;
  FileData.Flags |= OFN_FILEMUSTEXIST;
  FileData.FileName = fileName_;
  TFileOpenDialog dialog(this, FileData);
  if (dialog.Execute() == IDOK) ReplaceWith(FileData.FileName.c_str());
}

bool TEditFile::Read(const char *fileName) {
  const std::string path = fileName != nullptr ? fileName : fileName_;
  std::string text;
  TTextFileForm form;
  if (path.empty() || !ReadTextFile(path, text, &form)) {
    MessageBox(GetHandle(),
               form.holdsZero ? path + " holds a zero byte: it is not a text file, and the editor does not open it."
                              : "Unable to read file " + path + ".",
               "Editor", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  SetText(text.c_str());
  ClearModify();
  form_ = form;
  return true;
}

void TEditFile::ReplaceWith(const char *fileName) {
  if (fileName != nullptr && Read(fileName)) SetFileName(fileName);
}

bool TEditFile::Save() {
  if (!IsModified()) return true;
  if (fileName_.empty()) return SaveAs();
  return Write();
}

bool TEditFile::SaveAs() {
  FileData.Flags &= ~OFN_FILEMUSTEXIST;
  FileData.Flags |= OFN_OVERWRITEPROMPT;
  FileData.FileName = fileName_;
  TFileSaveDialog dialog(this, FileData);
  if (dialog.Execute() != IDOK) return false;
  const std::string chosen = FileData.FileName;
  if (!Write(chosen.c_str())) return false;
  SetFileName(chosen.c_str());
  return true;
}

bool TEditFile::Write(const char *fileName) {
  const std::string path = fileName != nullptr ? fileName : fileName_;
  bool fits = true;
  const std::string bytes = TextInForm(TextOf(*this).toStdString(), form_, fits);
  const TFileWriteResult written = WriteTextFile(path, bytes);
  if (!written.Written()) {
    MessageBox(GetHandle(), FileWriteFaultText(path, written), "Editor", MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  ClearModify();
  // What changed in the file's form is told, and holds from now on.
  std::string changed;
  if (!fits) changed += "The text holds characters Latin-1 has no byte for: it was saved in UTF-8.\n";
  if (form_.mixedLineEnds) changed += "Its lines ended in more than one way: each now ends as its first line did.\n";
  if (!changed.empty()) MessageBox(GetHandle(), path + "\n\n" + changed, "Editor", MB_OK | MB_ICONINFORMATION);
  form_.latin1 = form_.latin1 && fits;
  form_.mixedLineEnds = false;
  return true;
}
