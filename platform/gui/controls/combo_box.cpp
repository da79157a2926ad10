#include "platform/gui/controls/combo_box.h"

#include <QComboBox>
#include <QLineEdit>
#include <cstring>
#include <functional>

#include "platform/gui/controls/native_colors.h"
#include "platform/gui/drawing/font_map.h"
#include "platform/gui/drawing/gdi_objects.h"

namespace {

constexpr int kDataRole = Qt::UserRole;

// A combo that tells its list is about to open, before it opens (the parent may fill it).
class TComboWidget final : public QComboBox {
 public:
  std::function<void()> aboutToDrop;
  void showPopup() override {
    if (aboutToDrop) aboutToDrop();
    QComboBox::showPopup();
  }
};

LRESULT CopyOut(const std::string &text, char *buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const std::size_t copied = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<LRESULT>(copied);
}

}  // namespace

TComboBox::TComboBox(TWindow *parentWindow, int id, int xPos, int yPos, int w, int h, DWORD style, UINT limit,
                     TModule *module)
    : TControl(parentWindow, id, nullptr, xPos, yPos, w, h, module), textLimit(limit) {
  Attr.Style |= WS_TABSTOP | style;
}

TComboBox::TComboBox(TWindow *parentWindow, int resourceId, UINT limit, TModule *module)
    : TControl(parentWindow, resourceId, module), textLimit(limit) {}

bool TComboBox::Create() {
  // A scroll-bar style is the open list's, which shows its own: the box carries none.
  Attr.Style &= ~(WS_VSCROLL | WS_HSCROLL);
  return TControl::Create();
}

void TComboBox::SetupWindow() {
  TControl::SetupWindow();
  auto *dropping = new TComboWidget;
  dropping->aboutToDrop = [this]() { NotifyParent(CBN_DROPDOWN); };
  combo = dropping;
  combo->setEditable(Editable());
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setFont(FontFromLogFont((GetWindowFont() != nullptr ? GetWindowFont() : DefaultControlFont())->logFont));
  if (combo->lineEdit() != nullptr) {
    if (textLimit > 1) combo->lineEdit()->setMaxLength(static_cast<int>(textLimit) - 1);
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [this]() { NotifyParent(CBN_EDITCHANGE); });
  }
  QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [this]() {
    if (!programmatic) NotifyParent(CBN_SELCHANGE);
  });
  SetNativeWidget(combo);
  // The height asked for is that of the open list: the closed box takes one line.
  const int lineHeight = combo->sizeHint().height();
  if (GetClientRect().bottom > lineHeight) MoveWindow(Attr.X, Attr.Y, Attr.W, lineHeight + (Attr.H - GetClientRect().bottom));
  colors = new TNativeColors(*this, CTLCOLOR_EDIT, combo, combo);
}

std::string TComboBox::GetString(int index) {
  const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int TComboBox::FindItem(int startAfter, const char *text, bool exact) const {
  const QString wanted = QString::fromUtf8(text != nullptr ? text : "");
  const int count = combo->count();
  if (count == 0) return static_cast<int>(CB_ERR);
  const int first = startAfter < 0 || startAfter >= count ? 0 : startAfter + 1;
  for (int step = 0; step < count; ++step) {
    const int index = (first + step) % count;
    const QString item = combo->itemText(index);
    if (exact ? item.compare(wanted, Qt::CaseInsensitive) == 0 : item.startsWith(wanted, Qt::CaseInsensitive)) {
      return index;
    }
  }
  return static_cast<int>(CB_ERR);
}

LRESULT TComboBox::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (combo == nullptr) return TControl::DefWindowProc(msg, wParam, lParam);
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  const bool valid = index >= 0 && index < combo->count();
  const bool saved = programmatic;
  programmatic = true;  // nothing the program does itself is told back to it
  LRESULT result = 0;
  switch (msg) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      const QString item = QString::fromUtf8(reinterpret_cast<const char *>(lParam) != nullptr
                                                 ? reinterpret_cast<const char *>(lParam) : "");
      int at = msg == CB_ADDSTRING || index < 0 || index > combo->count() ? combo->count() : index;
      if (msg == CB_ADDSTRING && (GetStyle() & CBS_SORT)) {
        at = 0;
        while (at < combo->count() && combo->itemText(at).compare(item, Qt::CaseInsensitive) <= 0) ++at;
      }
      combo->insertItem(at, item, QVariant::fromValue<qulonglong>(0));
      // An item added to an empty list is not chosen by that (the field stays empty).
      if (combo->count() == 1 && !Editable()) combo->setCurrentIndex(-1);
      result = at;
      break;
    }
    case CB_DELETESTRING:
      if (valid) {
        combo->removeItem(index);
        result = combo->count();
      } else {
        result = CB_ERR;
      }
      break;
    case CB_RESETCONTENT:
      combo->clear();
      break;
    case CB_GETCOUNT:
      result = combo->count();
      break;
    case CB_SETCURSEL:
      combo->setCurrentIndex(valid ? index : -1);
      result = valid ? index : CB_ERR;
      break;
    case CB_GETCURSEL:
      result = combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
      break;
    case CB_GETLBTEXT:
      if (valid && lParam != 0) {
        const std::string text = combo->itemText(index).toStdString();
        std::memcpy(reinterpret_cast<char *>(lParam), text.c_str(), text.size() + 1);
        result = static_cast<LRESULT>(text.size());
      } else {
        result = CB_ERR;
      }
      break;
    case CB_GETLBTEXTLEN:
      result = valid ? static_cast<LRESULT>(combo->itemText(index).toStdString().size()) : CB_ERR;
      break;
    case CB_FINDSTRING:
      result = FindItem(index, reinterpret_cast<const char *>(lParam), false);
      break;
    case CB_FINDSTRINGEXACT:
      result = FindItem(index, reinterpret_cast<const char *>(lParam), true);
      break;
    case CB_SELECTSTRING:
      result = FindItem(index, reinterpret_cast<const char *>(lParam), false);
      if (result >= 0) combo->setCurrentIndex(static_cast<int>(result));
      break;
    case CB_GETITEMDATA:
      result = valid ? static_cast<LRESULT>(combo->itemData(index, kDataRole).toULongLong()) : CB_ERR;
      break;
    case CB_SETITEMDATA:
      if (valid) {
        combo->setItemData(index, QVariant::fromValue<qulonglong>(static_cast<std::uintptr_t>(lParam)), kDataRole);
      } else {
        result = CB_ERR;
      }
      break;
    case CB_LIMITTEXT:
      textLimit = wParam == 0 ? 0 : static_cast<UINT>(wParam) + 1;
      if (combo->lineEdit() != nullptr) combo->lineEdit()->setMaxLength(wParam == 0 ? 32767 : static_cast<int>(wParam));
      result = 1;
      break;
    case CB_SHOWDROPDOWN:
      if (wParam != 0) combo->showPopup(); else combo->hidePopup();
      result = 1;
      break;
    case WM_SETTEXT:
      if (combo->lineEdit() != nullptr) {
        combo->lineEdit()->setText(QString::fromUtf8(reinterpret_cast<const char *>(lParam)));
        result = 1;
      } else {
        result = FindItem(-1, reinterpret_cast<const char *>(lParam), true) >= 0 ? 1 : CB_ERR;
        if (result == 1) combo->setCurrentIndex(FindItem(-1, reinterpret_cast<const char *>(lParam), true));
      }
      break;
    case WM_GETTEXTLENGTH:
      result = static_cast<LRESULT>(combo->currentText().toStdString().size());
      break;
    case WM_GETTEXT:
      result = CopyOut(combo->currentText().toStdString(), reinterpret_cast<char *>(lParam), wParam);
      break;
    case WM_GETDLGCODE:
      result = DLGC_WANTARROWS | DLGC_WANTCHARS | (Editable() ? DLGC_HASSETSEL : 0);
      break;
    case EM_SETSEL:
    case CB_SETEDITSEL:
      if (combo->lineEdit() != nullptr) {
        const int length = combo->lineEdit()->text().size();
        int start = msg == EM_SETSEL ? index : static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
        int end = msg == EM_SETSEL ? static_cast<int>(lParam) : static_cast<std::int16_t>(HIWORD(static_cast<std::uintptr_t>(lParam)));
        if (end < 0 || end > length) end = length;
        start = std::clamp(start, 0, length);
        combo->lineEdit()->setSelection(start, end - start);
      }
      result = 1;
      break;
    case WM_SETFOCUS:
      result = TControl::DefWindowProc(msg, wParam, lParam);
      NotifyParent(CBN_SETFOCUS);
      break;
    case WM_KILLFOCUS:
      result = TControl::DefWindowProc(msg, wParam, lParam);
      NotifyParent(CBN_KILLFOCUS);
      break;
    case WM_SETFONT:
      if (auto chosen = reinterpret_cast<HFONT>(wParam)) combo->setFont(FontFromLogFont(chosen->logFont));
      result = TControl::DefWindowProc(msg, wParam, lParam);
      break;
    default:
      programmatic = saved;
      return TControl::DefWindowProc(msg, wParam, lParam);
  }
  programmatic = saved;
  return result;
}
