#include "toolkit/texteditor/o_editor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/bars/gadgets.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/application.h"
#include "platform/gui/windows/response_table.h"
#include "toolkit/bars/o_control_bar.h"
#include "toolkit/printing/o_printer.h"
#include "toolkit/texteditor/editor_glyphs.h"
#include "toolkit/texteditor/printout_editor.h"

namespace {

constexpr const char *kDefaultFilter = "All Files  (*.*)|*.*|";

const TResponseTableEntry kOEditFileTable[] = {
    EvCommand<&TOEditFile::CmFileNew>(CM_FILENEW),
    EvCommand<&TOEditFile::CmFileOpen>(CM_FILEOPEN),
    EvCommand<&TOEditFile::CmFileSave>(CM_FILESAVE),
    EvCommand<&TOEditFile::CmFileSaveAs>(CM_FILESAVEAS),
};

const TResponseTableEntry kOEditorTable[] = {
    EvCommand<&TOEditor::CmExit>(CM_EXIT),
    EvCommand<&TOEditor::CmPrint>(CM_EDITORPRINT),
    EvCommandEnable<&TOEditor::CePrint>(CM_EDITORPRINT),
    EvCommandEnable<&TOEditor::CeFind>(CM_EDITFIND),
    EvCommandEnable<&TOEditor::CeReplace>(CM_EDITREPLACE),
    EvCommandEnable<&TOEditor::CeFindNext>(CM_EDITFINDNEXT),
};

// The folder a file lies in (the path itself when it has none).
std::string FolderOf(const std::string &path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  return parent.empty() ? path : parent.string();
}

}  // namespace

TOEditFile::TOEditFile(TWindow *parentWindow, const char *text, const char *fileName)
    : TEditFile(parentWindow, 0, text, 0, 0, 0, 0, fileName) {}

bool TOEditFile::Find(TEventInfo &info) {
  return SearchResponseTable(kOEditFileTable, info) || TEditFile::Find(info);
}

void TOEditFile::SetupWindow() {
  TEditFile::SetupWindow();
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), 1);
}

LRESULT TOEditFile::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = TEditFile::WindowProc(msg, wParam, lParam);
  if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) {
    UpdateCaretPos();
    UpdateStatus();
  }
  return result;
}

void TOEditFile::UpdateCaretPos() {
  int start = 0;
  int end = 0;
  GetSelection(start, end);
  // Line and index both from the caret's end of the selection, so a selection over
  // several lines cannot give a column before its line.
  caretLine_ = std::max(0, GetLineFromPos(end));
  caretIndex_ = std::max(0, end);
}

std::string TOEditFile::StatusText() {
  const int lineStart = std::max(0, GetLineIndex(caretLine_));
  const int column = std::max(1, caretIndex_ - lineStart + 1);
  char text[64];
  std::snprintf(text, sizeof text, "Lin= %-4d  Col= %-4d", caretLine_ + 1, column);
  return text;
}

void TOEditFile::UpdateStatus() {
  if (editor_ == nullptr) return;
  if (TStatusBar *status = editor_->GetStatusBar()) status->SetText(StatusText().c_str());
}

void TOEditFile::Reset() {
  caretLine_ = 0;
  caretIndex_ = 0;
  UpdateStatus();
  SetFocus();
}

void TOEditFile::PrepareDialog() {
  if (editor_ == nullptr) return;
  FileData.Filter = editor_->Filter();
  FileData.DefExt = "txt";
  FileData.Flags |= OFN_HIDEREADONLY;
  if (!editor_->Directory().empty()) {
    FileData.InitialDir = FolderOf(editor_->Directory());
  }
}

void TOEditFile::KeepFolder() {
  if (editor_ != nullptr && GetFileName() != nullptr) editor_->SetDirectory(FolderOf(GetFileName()));
}

void TOEditFile::CmFileNew() {
  NewFile();
  Reset();
}

void TOEditFile::CmFileOpen() {
  PrepareDialog();
  const std::string before = GetFileName() != nullptr ? GetFileName() : "";
  Open();
  if ((GetFileName() != nullptr ? GetFileName() : "") != before) KeepFolder();
  Reset();
}

void TOEditFile::CmFileSave() {
  PrepareDialog();
  // The framework's save asks for a name first when a changed text has none.
  if (Save()) KeepFolder();
  SetFocus();
}

void TOEditFile::CmFileSaveAs() {
  PrepareDialog();
  if (SaveAs()) KeepFolder();
  SetFocus();
}

TOEditor::TOEditor(TWindow *parentWindow, const char *caption, const char *text,
                   const char *fileName, int left, int top, int wide, int high)
    : TDecoratedFrame(parentWindow, caption, new TOEditFile(nullptr, text, fileName)),
      font_(kDefaultFontFace, 12),
      client_(static_cast<TOEditFile *>(GetClientWindow())),
      filter_(kDefaultFilter) {
  Attr.Style = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
  Attr.X = left == 0 ? CW_USEDEFAULT : left;
  Attr.Y = top == 0 ? CW_USEDEFAULT : top;
  Attr.W = wide == 0 ? 480 : wide;
  Attr.H = high == 0 ? 310 : high;
  if (fileName != nullptr) directory_ = fileName;

  RegisterEditorGlyphs();
  auto *bar = new TOControlBar(this);
  const struct {
    UINT command;
    int gap;
  } buttons[] = {{CM_FILENEW, 2},     {CM_FILEOPEN, 2},     {CM_FILESAVE, 10},
                 {CM_EDITCUT, 2},     {CM_EDITCOPY, 2},     {CM_EDITPASTE, 10},
                 {CM_EDITFIND, 2},    {CM_EDITREPLACE, 2},  {CM_EDITFINDNEXT, 10},
                 {CM_EDITORPRINT, 2}, {CM_EXIT, 10}};
  for (const auto &button : buttons) {
    bar->Insert(*new TButtonGadget(TResId(static_cast<int>(button.command)),
                                   static_cast<int>(button.command)));
    bar->Insert(*new TSeparatorGadget(button.gap));
  }
  Insert(*bar, Top);
  bar_ = bar;
  Insert(*new TStatusBar(this, TGadget::Recessed), Bottom);
}

TOEditor::~TOEditor() {
  if (!modal_) return;
  // A modal editor that goes away ends its loop as a cancel, and the program's main
  // window takes the keyboard back.
  if (IsModal()) EndModal(IDCANCEL);
  TApplication *application = TApplication::Current();
  TWindow *main = application != nullptr ? application->GetMainWindow() : nullptr;
  if (main != nullptr && main != this && main->GetHandle() != nullptr) main->SetFocus();
}

void TOEditor::CloseWindow(int returnValue) {
  TDecoratedFrame::CloseWindow(modal_ && returnValue == 0 ? IDCANCEL : returnValue);
}

int TOEditor::RunModal() {
  modal_ = true;
  if (GetHandle() == nullptr && !Create()) return -1;
  return BeginModal();
}

bool TOEditor::Find(TEventInfo &info) {
  return SearchResponseTable(kOEditorTable, info) || TDecoratedFrame::Find(info);
}

void TOEditor::SetupWindow() {
  TDecoratedFrame::SetupWindow();
  client_->SetEditor(this);
  client_->UpdateCaretPos();
  client_->UpdateStatus();
}

void TOEditor::SetFilter(const char *filter) {
  filter_ = filter != nullptr && filter[0] != '\0' ? filter : kDefaultFilter;
}

bool TOEditor::HasText() const { return client_ != nullptr && client_->GetTextLen() > 0; }

void TOEditor::CmExit() {
  SetFocus();
  SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string TOEditor::ShownText() const {
  if (client_ == nullptr) return std::string();
  std::string text(static_cast<std::size_t>(client_->GetTextLen()) + 1, '\0');
  text.resize(static_cast<std::size_t>(std::max(0, client_->GetText(text.data(), static_cast<int>(text.size())))));
  return text;
}

LRESULT TOEditor::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = TDecoratedFrame::WindowProc(msg, wParam, lParam);
  // A change of the text is no command of the frame's: the buttons would wait for one.
  if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE && bar_ != nullptr && bar_->IsWindow())
    bar_->UpdateGadgetStates();
  return result;
}

void TOEditor::CmPrint() {
  if (client_ == nullptr) return;
  const std::string text = ShownText();
  TPrintoutEditor printout("Editor", this, text.c_str(), client_->GetFileName());
  TOPrinter printer(1, nullptr);
  printer.Print(this, printout, true);
}

void TOEditor::CePrint(TCommandEnabler &enabler) { enabler.Enable(HasText()); }
void TOEditor::CeFind(TCommandEnabler &enabler) { enabler.Enable(HasText()); }
void TOEditor::CeReplace(TCommandEnabler &enabler) { enabler.Enable(HasText()); }
void TOEditor::CeFindNext(TCommandEnabler &enabler) { enabler.Enable(HasText()); }
