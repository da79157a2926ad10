#include "toolkit/printing/direct_print.h"

#include <cstdarg>
#include <cstdio>

#include "platform/core/font_faces.h"
#include "toolkit/graph/o_font.h"

namespace {


std::string FormatText(const char *format, std::va_list arguments) {
  if (format == nullptr) return "";
  std::va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, arguments);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

TDirectPrint::TDirectPrint(TWindow *window, const char *title) : output_(title), window_(window) {}

TPrintCollection &TDirectPrint::Add(int kind, TWindow *window, const std::string &text, double x,
                                    double y, int coordinates) {
  TPrintCollection item;
  item.window = window;
  item.text = text;
  item.kind = kind;
  item.alignment = output_.alignment;
  item.x1 = x;
  item.y1 = y;
  item.coordinates = coordinates;
  item.font = output_.font;
  item.rules = output_.rules;
  item.charHeight = static_cast<float>(output_.charHeight);
  item.charWidth = static_cast<float>(output_.charWidth);
  item.weight = output_.weight;
  output_.items.push_back(item);
  return output_.items.back();
}

void TDirectPrint::AddText(const char *name, int x, int y) {
  Add(TPrintCollection::TextFile, window_, name != nullptr ? name : "", x, y, 0);
}

void TDirectPrint::AddHeldText(const std::string &text, int x, int y) {
  Add(TPrintCollection::HeldText, window_, text, x, y, 0);
}

void TDirectPrint::AddTextMm(const char *name, double x, double y) {
  Add(TPrintCollection::TextFile, window_, name != nullptr ? name : "", x, y, 1);
}

void TDirectPrint::AddFormattedText(int x, int y, const char *format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const std::string text = FormatText(format, arguments);
  va_end(arguments);
  Add(TPrintCollection::FormattedText, window_, text, x, y, 0);
}

void TDirectPrint::AddFormattedTextMm(double x, double y, const char *format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const std::string text = FormatText(format, arguments);
  va_end(arguments);
  Add(TPrintCollection::FormattedText, window_, text, x, y, 1);
}

void TDirectPrint::AddWindowImage(TWindow *window, int x, int y, bool framed) {
  Add(TPrintCollection::Picture, window, "", x, y, 0).framed = framed;
}

void TDirectPrint::AddWindowImageSized(TWindow *window, int x, int y, int w, int h, bool framed) {
  TPrintCollection &item = Add(TPrintCollection::Picture, window, "", x, y, 0);
  item.x2 = w;
  item.y2 = h;
  item.framed = framed;
}

void TDirectPrint::AddWindowImageMm(TWindow *window, double x, double y, bool framed) {
  Add(TPrintCollection::Picture, window, "", x, y, 1).framed = framed;
}

void TDirectPrint::AddWindowImageSizedMm(TWindow *window, double x, double y, double w, double h,
                                         bool framed) {
  TPrintCollection &item = Add(TPrintCollection::Picture, window, "", x, y, 1);
  item.x2 = w;
  item.y2 = h;
  item.framed = framed;
}

void TDirectPrint::SetFont(TOFont *font, double heightMm, double widthMm, int weight) {
  output_.font = font;
  // A height of 0 keeps the default character height.
  if (heightMm > 0.0) output_.charHeight = heightMm;
  output_.charWidth = widthMm > 0.0 ? widthMm : 0.0;
  output_.weight = weight;
  if (output_.items.empty()) return;
  TPrintCollection &last = output_.items.back();
  last.font = font;
  last.charHeight = static_cast<float>(output_.charHeight);
  last.charWidth = static_cast<float>(output_.charWidth);
  last.weight = weight;
}

void TDirectPrint::SetCharHeight(double heightMm) {
  if (heightMm <= 0.0) return;
  output_.charHeight = heightMm;
  if (!output_.items.empty()) output_.items.back().charHeight = static_cast<float>(heightMm);
}

void TDirectPrint::SetTextAlign(int flags) {
  output_.alignment = flags;
  if (!output_.items.empty()) output_.items.back().alignment = flags;
}

void TDirectPrint::SetRules(bool on) {
  output_.rules = on;
  if (!output_.items.empty()) output_.items.back().rules = on;
}

void TDirectPrint::SetRuleChar(char c) { output_.horizontalRule = c; }
void TDirectPrint::SetVerticalRuleChar(char c) { output_.verticalRule = c; }
void TDirectPrint::SetCrossRuleChar(char c) { output_.crossRule = c; }
void TDirectPrint::SetTabSize(int size) { output_.tabSize = size > 0 ? size : 1; }

bool TDirectPrint::Print() {
  const bool printed = TPrinter::Print(window_, output_, false);
  output_.items.clear();
  return printed;
}

bool PrintReportFile(TWindow *owner, const std::string &path, const char *title, double charHeightMm) {
  TOFont font(kFaceCourierNew, 30, 0, true);
  TDirectPrint job(owner, title);
  job.SetFont(&font, charHeightMm, 0.0, 400);
  job.SetCharHeight(charHeightMm);
  job.SetRuleChar('=');
  job.AddText(path.c_str(), 0, 0);
  return job.Print();
}
