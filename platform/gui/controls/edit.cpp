#include "platform/gui/controls/edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QTextBlock>
#include <QStringDecoder>
#include <QTextDocument>
#include <algorithm>
#include <cstring>

#include "platform/gui/controls/native_colors.h"
#include "platform/gui/drawing/font_map.h"
#include "platform/gui/drawing/gdi_objects.h"

namespace {

constexpr int kNoLimit = 32767;

// A single-line edit whose caret rectangle can be asked.
class TLineWidget final : public QLineEdit {
 public:
  using QLineEdit::cursorRect;
};

// A style that draws a single-line edit's caret zero pixels wide while it is hidden.
class TCaretStyle final : public QProxyStyle {
 public:
  bool hidden = false;
  int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override {
    if (metric == PM_TextCursorWidth && hidden) return 0;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// A leading U+FEFF is a character of the text, kept like any other.
QString FromUtf8(LPARAM text) {
  const char *bytes = reinterpret_cast<const char *>(text);
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return utf8.decode(QByteArrayView(bytes != nullptr ? bytes : ""));
}

// Copies at most size - 1 bytes and a terminating zero; the bytes copied.
LRESULT CopyOut(const std::string &text, char *buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::size_t copied = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<LRESULT>(copied);
}

}  // namespace

TEdit::TEdit(TWindow *parentWindow, int id, const char *text, int xPos, int yPos, int w, int h, UINT limit,
             bool multiline, TModule *module)
    : TControl(parentWindow, id, text, xPos, yPos, w, h, module), textLimit(limit) {
  Attr.Style |= WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL;
  if (multiline) Attr.Style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
}

TEdit::TEdit(TWindow *parentWindow, int resourceId, UINT limit, TModule *module)
    : TControl(parentWindow, resourceId, module), textLimit(limit) {}

bool TEdit::Create() {
  // The widget shows the scroll bars; the window keeps none of its own.
  scrollStyle = Attr.Style & (WS_VSCROLL | WS_HSCROLL);
  Attr.Style &= ~(WS_VSCROLL | WS_HSCROLL);
  return TControl::Create();
}

void TEdit::SetupWindow() {
  TControl::SetupWindow();
  const QString initial = QString::fromStdString(TControl::GetWindowText());
  QWidget *widget = nullptr;
  if (Multiline()) {
    multi = new QPlainTextEdit;
    multi->setPlainText(initial);
    multi->setLineWrapMode((GetStyle() & ES_AUTOHSCROLL) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    multi->setVerticalScrollBarPolicy((scrollStyle & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    multi->setHorizontalScrollBarPolicy((scrollStyle & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    multi->document()->setModified(false);
    QObject::connect(multi, &QPlainTextEdit::textChanged, multi, [this]() {
      if (!settingText) NotifyParent(EN_CHANGE);
    });
    widget = multi;
  } else {
    line = new TLineWidget;
    auto *caretStyle = new TCaretStyle;
    caretStyle->setParent(line);  // a widget does not own the style it is given
    line->setStyle(caretStyle);
    line->setText(initial);
    line->setCursorPosition(0);
    line->setModified(false);
    QObject::connect(line, &QLineEdit::textChanged, line, [this]() {
      if (!settingText) NotifyParent(EN_CHANGE);
    });
    widget = line;
  }
  if (ownContextMenu) widget->setContextMenuPolicy(Qt::NoContextMenu);
  if (line != nullptr) line->setFrame(false);
  if (multi != nullptr) multi->setFrameStyle(QFrame::NoFrame);
  widget->setFont(FontFromLogFont((GetWindowFont() != nullptr ? GetWindowFont() : DefaultControlFont())->logFont));
  SetNativeWidget(widget);
  colors = new TNativeColors(*this, CTLCOLOR_EDIT, widget, multi != nullptr ? multi->viewport() : widget);
  ApplyLimit();
  ApplyStyle();
}

bool TEdit::WouldPassLimit(qsizetype inserted) const {
  if (line == nullptr) return false;
  const qsizetype kept = line->text().size() - line->selectedText().size();
  return kept + inserted > line->maxLength();
}

void TEdit::ApplyLimit() {
  const int limit = textLimit > 1 ? static_cast<int>(textLimit) - 1 : kNoLimit;
  if (line != nullptr) line->setMaxLength(limit);
}

void TEdit::ApplyStyle() {
  const DWORD style = GetStyle();
  const Qt::Alignment align = (style & ES_RIGHT) ? Qt::AlignRight : ((style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft);
  if (line != nullptr) {
    line->setAlignment(align | Qt::AlignVCenter);
    line->setReadOnly((style & ES_READONLY) != 0);
    line->setEchoMode((style & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
  }
  if (multi != nullptr) multi->setReadOnly((style & ES_READONLY) != 0);
}

QString TEdit::Text() const {
  if (line != nullptr) return line->text();
  if (multi != nullptr) {
    // The characters as typed or read, only the breaks between blocks made '\n': the plain
    // text would also turn a no-break space into a space and a line separator into '\n',
    // and a file saved from it would change without a word. Positions stay one to one.
    QString text = multi->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
  }
  return QString::fromStdString(const_cast<TEdit *>(this)->TControl::GetWindowText());
}

int TEdit::CaretIndex() const {
  if (line != nullptr) return line->cursorPosition();
  if (multi != nullptr) return multi->textCursor().position();
  return 0;
}

int TEdit::SelectionStart() const {
  if (line != nullptr) return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
  if (multi != nullptr) return multi->textCursor().selectionStart();
  return 0;
}

int TEdit::SelectionEnd() const {
  if (line != nullptr) return line->hasSelectedText() ? line->selectionEnd() : line->cursorPosition();
  if (multi != nullptr) return multi->textCursor().selectionEnd();
  return 0;
}

void TEdit::Select(int start, int end) {
  const int length = Text().size();
  if (start < 0) {  // -1 takes the selection away, leaving the caret where it is
    start = end = CaretIndex();
  }
  if (end < 0 || end > length) end = length;
  start = std::clamp(start, 0, length);
  // The caret goes to the end given (which may come before the start).
  if (line != nullptr) {
    line->setSelection(start, end - start);
    if (start == end) line->setCursorPosition(start);
  } else if (multi != nullptr) {
    QTextCursor cursor = multi->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    multi->setTextCursor(cursor);
  }
}

void TEdit::GetSelection(int &start, int &end) {
  // Through the two full words, never the packed result: positions pass 65,535.
  DWORD from = 0;
  DWORD to = 0;
  SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  start = static_cast<int>(from);
  end = static_cast<int>(to);
}

void TEdit::ShowCaret(bool show) {
  caretHidden = show ? std::max(0, caretHidden - 1) : caretHidden + 1;
  const bool hidden = caretHidden > 0;
  if (line != nullptr) {
    if (auto *style = dynamic_cast<TCaretStyle *>(line->style())) style->hidden = hidden;
    line->update();
  }
  if (multi != nullptr) multi->setCursorWidth(hidden ? 0 : 1);
}

LRESULT TEdit::LineMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int asked = static_cast<int>(static_cast<std::intptr_t>(wParam));
  // A multi-line text answers from its blocks, one per line, found by halving without a
  // copy of the text: the status line of a file of megabytes keeps up with the keys.
  if (multi != nullptr && msg != EM_GETLINE) {
    const QTextDocument *document = multi->document();
    const int at = asked < 0 ? CaretIndex() : std::min(asked, document->characterCount() - 1);
    switch (msg) {
      case EM_GETLINECOUNT:
        return document->blockCount();
      case EM_LINEINDEX: {
        const QTextBlock block = asked < 0 ? document->findBlock(at) : document->findBlockByNumber(asked);
        return block.isValid() ? block.position() : -1;
      }
      case EM_LINEFROMCHAR:
        return document->findBlock(at).blockNumber();
      case EM_LINELENGTH:
        return document->findBlock(at).length() - 1;  // less its line end
      default:
        return 0;
    }
  }
  const QString text = Text();
  // Lines split at '\n' (single-line edits have one).
  std::vector<int> starts{0};
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('\n')) starts.push_back(i + 1);
  }
  auto lineOf = [&](int index) {
    return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), index) - starts.begin()) - 1;
  };
  auto lengthOf = [&](int lineNumber) {
    const int end = lineNumber + 1 < static_cast<int>(starts.size()) ? starts[lineNumber + 1] - 1 : text.size();
    return end - starts[lineNumber];
  };
  switch (msg) {
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(starts.size());
    case EM_LINEINDEX: {
      const int lineNumber = asked < 0 ? lineOf(CaretIndex()) : asked;
      return lineNumber < static_cast<int>(starts.size()) ? starts[lineNumber] : -1;
    }
    case EM_LINEFROMCHAR:
      return lineOf(asked < 0 ? CaretIndex() : std::min(asked, static_cast<int>(text.size())));
    case EM_LINELENGTH:
      return lengthOf(lineOf(asked < 0 ? CaretIndex() : std::min(asked, static_cast<int>(text.size()))));
    case EM_GETLINE: {
      // The buffer's first word holds its size.
      auto *buffer = reinterpret_cast<char *>(lParam);
      if (buffer == nullptr || asked < 0 || asked >= static_cast<int>(starts.size())) return 0;
      WORD size = 0;
      std::memcpy(&size, buffer, sizeof size);
      const std::string lineText = text.mid(starts[asked], lengthOf(asked)).toStdString();
      const std::size_t copied = std::min<std::size_t>(lineText.size(), size);
      std::memcpy(buffer, lineText.data(), copied);
      return static_cast<LRESULT>(copied);
    }
    default:
      return 0;
  }
}

LRESULT TEdit::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (line == nullptr && multi == nullptr) return TControl::DefWindowProc(msg, wParam, lParam);
  switch (msg) {
    case WM_SETTEXT: {
      const QString text = FromUtf8(lParam);
      if (line != nullptr) {
        line->setText(text);  // also clears the modified flag
        line->setCursorPosition(0);
      } else {
        settingText = true;
        multi->setPlainText(text);
        multi->document()->setModified(false);
        settingText = false;
        NotifyParent(EN_CHANGE);
      }
      return 1;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(Text().toStdString().size());
    case WM_GETTEXT:
      return CopyOut(Text().toStdString(), reinterpret_cast<char *>(lParam), wParam);
    case EM_GETSEL: {
      const int start = SelectionStart();
      const int end = SelectionEnd();
      if (wParam != 0) *reinterpret_cast<DWORD *>(wParam) = static_cast<DWORD>(start);
      if (lParam != 0) *reinterpret_cast<DWORD *>(lParam) = static_cast<DWORD>(end);
      return MAKELPARAM(start, end);
    }
    case EM_SETSEL:
      Select(static_cast<int>(static_cast<std::intptr_t>(wParam)), static_cast<int>(lParam));
      return 1;
    case EM_GETMODIFY:
      return line != nullptr ? (line->isModified() ? 1 : 0) : (multi->document()->isModified() ? 1 : 0);
    case EM_SETMODIFY:
      if (line != nullptr) line->setModified(wParam != 0);
      if (multi != nullptr) multi->document()->setModified(wParam != 0);
      return 0;
    case EM_LIMITTEXT:
      textLimit = wParam == 0 ? 0 : static_cast<UINT>(wParam) + 1;
      ApplyLimit();
      return 0;
    case EM_GETLIMITTEXT:
      return textLimit > 1 ? static_cast<LRESULT>(textLimit - 1) : kNoLimit;
    case EM_SETREADONLY:
      Attr.Style = wParam != 0 ? (Attr.Style | ES_READONLY) : (Attr.Style & ~ES_READONLY);
      ApplyStyle();
      return 1;
    case EM_REPLACESEL: {
      const QString text = FromUtf8(lParam);
      if (line != nullptr) {
        const bool cut = WouldPassLimit(text.size());
        line->insert(text);
        if (cut) NotifyParent(EN_MAXTEXT);
      } else {
        multi->insertPlainText(text);
      }
      return 0;
    }
    case EM_CANUNDO:
      return line != nullptr ? line->isUndoAvailable() : multi->document()->isUndoAvailable();
    case EM_UNDO:
    case WM_UNDO:
      if (line != nullptr) line->undo(); else multi->undo();
      return 1;
    case EM_EMPTYUNDOBUFFER:
      if (multi != nullptr) multi->document()->clearUndoRedoStacks();
      return 0;
    case WM_CUT:
      if (line != nullptr) line->cut(); else multi->cut();
      return 0;
    case WM_COPY:
      if (line != nullptr) line->copy(); else multi->copy();
      return 0;
    case WM_PASTE:
      if (line != nullptr) {
        const QClipboard *clipboard = QGuiApplication::clipboard();
        const bool cut = clipboard != nullptr && WouldPassLimit(clipboard->text().size());
        line->paste();
        if (cut) NotifyParent(EN_MAXTEXT);
      } else {
        multi->paste();
      }
      return 0;
    case WM_CHAR:
      // A character the text limit has no room for is dropped by the widget; the parent
      // hears of it, as of any insertion the limit cut.
      if (line != nullptr && wParam >= 0x20 && wParam != 0x7F && WouldPassLimit(1)) NotifyParent(EN_MAXTEXT);
      return TControl::DefWindowProc(msg, wParam, lParam);
    case WM_CLEAR:
      if (line != nullptr) line->del(); else multi->textCursor().removeSelectedText();
      return 0;
    case EM_SCROLLCARET:
      if (multi != nullptr) multi->ensureCursorVisible();
      return 1;
    case EM_GETLINECOUNT:
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    case EM_LINELENGTH:
    case EM_GETLINE:
      return LineMessage(msg, wParam, lParam);
    case EM_CHARFROMPOS: {
      const QPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      if (line != nullptr) return MAKELPARAM(line->cursorPositionAt(point), 0);
      const QTextCursor cursor = multi->cursorForPosition(multi->viewport()->mapFrom(multi, point));
      return MAKELPARAM(cursor.position(), cursor.blockNumber());
    }
    case EM_POSFROMCHAR: {
      const int index = static_cast<int>(wParam);
      QRect where;
      if (line != nullptr) {
        const int saved = line->cursorPosition();
        const bool blocked = line->blockSignals(true);
        line->setCursorPosition(index);
        where = static_cast<TLineWidget *>(line)->cursorRect();
        line->setCursorPosition(saved);
        line->blockSignals(blocked);
      } else {
        QTextCursor cursor = multi->textCursor();
        cursor.setPosition(std::clamp(index, 0, static_cast<int>(multi->toPlainText().size())));
        where = multi->cursorRect(cursor);
        where.translate(multi->viewport()->pos());
      }
      return MAKELPARAM(where.left(), where.top());
    }
    case EM_GETRECT: {
      auto *rect = reinterpret_cast<RECT *>(lParam);
      if (rect != nullptr) {
        const RECT client = GetClientRect();
        *rect = {client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
      }
      return 0;
    }
    case WM_GETDLGCODE: {
      UINT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      const auto *message = reinterpret_cast<const MSG *>(lParam);
      if (Multiline() && message != nullptr && message->message == WM_KEYDOWN) {
        // A multi-line edit keeps Enter (with ES_WANTRETURN) but leaves Tab and Escape.
        if (message->wParam == VK_RETURN && (GetStyle() & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_SETFOCUS: {
      const LRESULT result = TControl::DefWindowProc(msg, wParam, lParam);
      NotifyParent(EN_SETFOCUS);
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = TControl::DefWindowProc(msg, wParam, lParam);
      NotifyParent(EN_KILLFOCUS);
      return result;
    }
    case WM_SETFONT: {
      const LRESULT result = TControl::DefWindowProc(msg, wParam, lParam);
      if (auto chosen = reinterpret_cast<HFONT>(wParam)) {
        QWidget *widget = line != nullptr ? static_cast<QWidget *>(line) : multi;
        widget->setFont(FontFromLogFont(chosen->logFont));
      }
      return result;
    }
    default:
      return TControl::DefWindowProc(msg, wParam, lParam);
  }
}

namespace {

TEdit *FocusedEdit() { return dynamic_cast<TEdit *>(WindowFromHandle(GetFocus())); }

}  // namespace

BOOL GetCaretPos(POINT *point) {
  TEdit *edit = FocusedEdit();
  if (point == nullptr || edit == nullptr) return 0;
  int start = 0;
  int end = 0;
  edit->GetSelection(start, end);
  const auto packed = static_cast<std::uintptr_t>(edit->SendMessage(EM_POSFROMCHAR, static_cast<WPARAM>(start), 0));
  *point = {static_cast<std::int16_t>(LOWORD(packed)), static_cast<std::int16_t>(HIWORD(packed))};
  return 1;
}

BOOL HideCaret(HWND handle) {
  auto *edit = dynamic_cast<TEdit *>(WindowFromHandle(handle != nullptr ? handle : GetFocus()));
  if (edit == nullptr) return 0;
  edit->ShowCaret(false);
  return 1;
}

BOOL ShowCaret(HWND handle) {
  auto *edit = dynamic_cast<TEdit *>(WindowFromHandle(handle != nullptr ? handle : GetFocus()));
  if (edit == nullptr) return 0;
  edit->ShowCaret(true);
  return 1;
}
