#include "toolkit/texteditor/text_editor.h"

#include "optics/model/model_globals.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/response_table.h"
#include "platform/gui/windows/window_handles.h"
#include "toolkit/printing/direct_print.h"

TTextEditor::TTextEditor(TWindow *parentWindow, const char *caption, const char *text,
                         const char *reportFile, int left, int top, int wide, int high)
    : TOEditor(parentWindow, caption, text, reportFile, left, top, wide, high),
      reportFile_(reportFile != nullptr ? reportFile : "") {}

void TTextEditor::SetupWindow() { TOEditor::SetupWindow(); }

namespace {

const TResponseTableEntry kTextEditorTable[] = {
    EvCommand<&TTextEditor::CmPrint>(CM_EDITORPRINT),
};

}  // namespace

bool TTextEditor::Find(TEventInfo &info) {
  return SearchResponseTable(kTextEditorTable, info) || TOEditor::Find(info);
}

void TTextEditor::CmPrint() {
  if (Client() == nullptr) return;
  // What the window shows prints, as it shows it: the report, a file opened since or a
  // text typed. Nothing is written: the file stays as the user saved it.
  const char *shownFile = Client()->GetFileName();
  const bool report = shownFile != nullptr && reportFile_ == shownFile;
  const std::string printTitle =
      report ? title_ : shownFile != nullptr && shownFile[0] != '\0' ? shownFile : "Untitled File";
  TDirectPrint job(this, printTitle.c_str());
  // At the page's left, as the report's own Print puts it: the same pages from both roads.
  job.AddHeldText(ShownText(), 0, 0);
  job.SetFont(&reportFont_, 0.0, 0.0, 400);
  job.SetCharHeight(charHeight_);
  job.SetRuleChar('=');
  job.Print();
}

namespace {

bool ViewerShows(const TWindow &owner, const std::string &path) {
  if (path.empty()) return false;
  for (TWindow *child : owner.GetChildren()) {
    const auto *viewer = dynamic_cast<const TOEditor *>(child);
    if (viewer == nullptr || viewer->GetHandle() == nullptr || viewer->Client() == nullptr) continue;
    const char *shown = viewer->Client()->GetFileName();
    if (shown != nullptr && path == shown) return true;
  }
  return false;
}

}  // namespace

std::string ReportNameNoViewerShows(const TWindow &owner, const std::string &name) {
  const std::size_t dot = name.rfind('.');
  const std::string stem = name.substr(0, dot), extension = dot == std::string::npos ? "" : name.substr(dot);
  std::string free = name;
  for (int n = 2; ViewerShows(owner, TempPath(free)); ++n) free = stem + std::to_string(n) + extension;
  return free;
}

namespace {

void SendFontToChildren(HWND window, HFONT font) {
  const WPARAM handle = reinterpret_cast<WPARAM>(
      font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(ANSI_VAR_FONT));
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessage(child, WM_SETFONT, handle, 0);
    SendFontToChildren(child, nullptr);
  }
}

}  // namespace

void SetFontToChildren(HWND window, HFONT font) {
  if (window == nullptr) return;
  SendFontToChildren(window, font);
}
