#include "toolkit/texteditor/printout_editor.h"

#include <algorithm>
#include <vector>

#include "foundation/reports/page_columns.h"
#include "platform/core/font_faces.h"
#include "platform/gui/drawing/dc.h"
#include "toolkit/graph/o_font.h"
#include "toolkit/printing/direct_print.h"
#include "toolkit/texteditor/o_editor.h"

namespace {

// Tab stops every eight characters, as the text is drawn.
constexpr int kTabSize = 8;

std::vector<std::string> LinesOf(const char *text) {
  std::vector<std::string> lines;
  if (text == nullptr || text[0] == '\0') return lines;
  std::string line;
  for (const char *c = text; *c != '\0'; ++c) {
    if (*c == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (*c != '\r') {
      line.push_back(*c);
    }
  }
  lines.push_back(line);
  return lines;
}

}  // namespace

TPrintoutEditor::TPrintoutEditor(const char *printoutTitle, TOEditor *editor, const char *text,
                                 const char *title)
    : TOPrintout(printoutTitle), editor_(editor), text_(text), title_(title != nullptr ? title : "") {}

std::string TPrintoutEditor::TitleText() const { return title_.empty() ? "Untitled File" : title_; }

void TPrintoutEditor::PrintTitle(TDC &dc, int x, int y) {
  TOFont font(kFaceArial, MmToDeviceY(5), 0, true);
  font.SetItalic(true);
  font.SelectInto(dc);
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  const std::string title = TitleText();
  dc.TextOut(x, y, title.c_str());
  dc.SetBkMode(oldMode);
  dc.RestoreFont();
}

int TPrintoutEditor::PrintContent(TDC &dc) {
  const bool header = editor_ == nullptr || editor_->PrintsHeader();
  const bool title = editor_ == nullptr || editor_->PrintsTitle();
  const bool firstPage = CurrentPage() <= 1;
  if (firstPage) {
    nextLine_ = 0;
    if (header) PrintHeader(dc, MmToDeviceX(20), MmToDeviceY(10));
    if (title) PrintTitle(dc, MmToDeviceX(header ? 70 : 20), MmToDeviceY(10));
  }

  TOFont font(kFaceArial, MmToDeviceY(4), 0, true);
  if (editor_ != nullptr && editor_->PrintFont() != nullptr) font = *editor_->PrintFont();
  font.SelectInto(dc);
  TEXTMETRIC metrics{};
  dc.GetTextMetrics(metrics);
  const int lineHeight = std::max<int>(1, metrics.tmHeight);

  // The printable height in logical units, less a bottom margin as wide as the top one.
  POINT bottom{0, dc.GetDeviceCaps(VERTRES)};
  dc.DPtoLP(&bottom, 1);
  const int lastY = bottom.y - MmToDeviceY(10);
  const int x = MmToDeviceX(20);
  int y = MmToDeviceY(firstPage && (header || title) ? 35 : 10);

  // Every column reaches the paper: lines wider than the room between the margins go in
  // blocks one under another (tables) or wrap.
  POINT right{dc.GetDeviceCaps(HORZRES), 0};
  dc.DPtoLP(&right, 1);
  const int room = right.x - MmToDeviceX(10) - x;
  const int columns = static_cast<int>(room / PrintCellWidth(dc));
  if (firstPage) lines_ = FitLinesToColumns(LinesOf(text_), columns, TRuleChars{'|', '=', '+'}, kTabSize);
  const std::vector<std::string> &lines = lines_;
  // Whole lines only; a page takes at least one line, so a giant font cannot stall.
  bool printedOne = false;
  while (nextLine_ < lines.size() && (!printedOne || y + lineHeight <= lastY)) {
    const std::string &line = lines[nextLine_];
    if (!line.empty()) PrintText(dc, line.c_str(), x, y);
    y += lineHeight;
    ++nextLine_;
    printedOne = true;
  }
  dc.RestoreFont();
  return nextLine_ < lines.size() ? 1 : 0;
}
