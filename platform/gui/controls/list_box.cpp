#include "platform/gui/controls/list_box.h"

#include <QListWidget>
#include <algorithm>
#include <cstring>

#include "platform/gui/controls/native_colors.h"
#include "platform/gui/drawing/font_map.h"
#include "platform/gui/drawing/gdi_objects.h"

namespace {

constexpr int kDataRole = Qt::UserRole;

}  // namespace

TListBox::TListBox(TWindow *parentWindow, int id, int xPos, int yPos, int w, int h, TModule *module)
    : TControl(parentWindow, id, nullptr, xPos, yPos, w, h, module) {
  Attr.Style |= WS_TABSTOP | WS_BORDER | LBS_NOTIFY;
}

TListBox::TListBox(TWindow *parentWindow, int resourceId, TModule *module)
    : TControl(parentWindow, resourceId, module) {}

bool TListBox::Create() {
  Attr.Style &= ~(WS_VSCROLL | WS_HSCROLL);  // the list shows its own
  return TControl::Create();
}

void TListBox::SetupWindow() {
  TControl::SetupWindow();
  list = new QListWidget;
  list->setFrameStyle(QFrame::NoFrame);
  list->setUniformItemSizes(true);
  list->setFont(FontFromLogFont((GetWindowFont() != nullptr ? GetWindowFont() : DefaultControlFont())->logFont));
  if (GetStyle() & LBS_EXTENDEDSEL) {
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  } else if (GetStyle() & LBS_MULTIPLESEL) {
    list->setSelectionMode(QAbstractItemView::MultiSelection);
  } else {
    list->setSelectionMode(QAbstractItemView::SingleSelection);
  }
  QObject::connect(list, &QListWidget::itemSelectionChanged, list, [this]() {
    if (!programmatic && (GetStyle() & LBS_NOTIFY)) NotifyParent(LBN_SELCHANGE);
  });
  QObject::connect(list, &QListWidget::itemDoubleClicked, list, [this]() {
    if (GetStyle() & LBS_NOTIFY) NotifyParent(LBN_DBLCLK);
  });
  SetNativeWidget(list);
  colors = new TNativeColors(*this, CTLCOLOR_LISTBOX, list, list->viewport());
}

std::string TListBox::GetString(int index) {
  const LRESULT length = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

int TListBox::FindItem(int startAfter, const char *text, bool exact) const {
  const QString wanted = QString::fromUtf8(text != nullptr ? text : "");
  const int count = list->count();
  if (count == 0) return static_cast<int>(LB_ERR);
  // The search starts after `startAfter` and wraps round to it.
  const int first = startAfter < 0 || startAfter >= count ? 0 : startAfter + 1;
  for (int step = 0; step < count; ++step) {
    const int index = (first + step) % count;
    const QString item = list->item(index)->text();
    const bool found = exact ? item.compare(wanted, Qt::CaseInsensitive) == 0
                             : item.startsWith(wanted, Qt::CaseInsensitive);
    if (found) return index;
  }
  return static_cast<int>(LB_ERR);
}

int TListBox::Insert(int index, const char *text) {
  const QString item = QString::fromUtf8(text != nullptr ? text : "");
  const bool sorted = (GetStyle() & LBS_SORT) != 0;
  if (sorted) {
    index = 0;
    while (index < list->count() && list->item(index)->text().compare(item, Qt::CaseInsensitive) <= 0) ++index;
  }
  if (index < 0 || index > list->count()) index = list->count();
  auto *entry = new QListWidgetItem(item);
  entry->setData(kDataRole, QVariant::fromValue<qulonglong>(0));
  list->insertItem(index, entry);
  return index;
}

LRESULT TListBox::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (list == nullptr) return TControl::DefWindowProc(msg, wParam, lParam);
  const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  const bool valid = index >= 0 && index < list->count();
  struct TQuiet {  // the program's own selection changes
    bool &flag;
    bool saved;
    explicit TQuiet(bool &f) : flag(f), saved(f) { flag = true; }
    ~TQuiet() { flag = saved; }
  };
  switch (msg) {
    case LB_ADDSTRING:
      return Insert(-1, reinterpret_cast<const char *>(lParam));
    case LB_INSERTSTRING:
      if (index > list->count()) return LB_ERR;
      return Insert(index, reinterpret_cast<const char *>(lParam));
    case LB_DELETESTRING: {
      if (!valid) return LB_ERR;
      TQuiet quiet(programmatic);
      delete list->takeItem(index);
      return list->count();
    }
    case LB_RESETCONTENT: {
      TQuiet quiet(programmatic);
      list->clear();
      return 0;
    }
    case LB_GETCOUNT:
      return list->count();
    case LB_SETCURSEL: {
      TQuiet quiet(programmatic);
      if (!valid) {
        list->clearSelection();
        list->setCurrentRow(-1);
        return LB_ERR;  // also for -1, which only takes the selection away
      }
      list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
      list->scrollToItem(list->item(index));
      return index;
    }
    case LB_GETCURSEL: {
      const QList<QListWidgetItem *> selected = list->selectedItems();
      if (list->selectionMode() == QAbstractItemView::SingleSelection) {
        return selected.isEmpty() ? LB_ERR : list->row(selected.front());
      }
      return list->currentRow() >= 0 ? list->currentRow() : LB_ERR;
    }
    case LB_SETSEL: {  // wParam: select or not; lParam: the index, -1 for all
      TQuiet quiet(programmatic);
      const int item = static_cast<int>(lParam);
      if (item == -1) {
        for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(wParam != 0);
        return 0;
      }
      if (item < 0 || item >= list->count()) return LB_ERR;
      list->item(item)->setSelected(wParam != 0);
      return 0;
    }
    case LB_GETSEL:
      return valid ? (list->item(index)->isSelected() ? 1 : 0) : LB_ERR;
    case LB_GETSELCOUNT:
      return list->selectedItems().size();
    case LB_GETSELITEMS: {
      auto *indexes = reinterpret_cast<int *>(lParam);
      int stored = 0;
      for (int i = 0; i < list->count() && stored < index && indexes != nullptr; ++i) {
        if (list->item(i)->isSelected()) indexes[stored++] = i;
      }
      return stored;
    }
    case LB_GETTEXT: {
      if (!valid || lParam == 0) return LB_ERR;
      const std::string text = list->item(index)->text().toStdString();
      std::memcpy(reinterpret_cast<char *>(lParam), text.c_str(), text.size() + 1);
      return static_cast<LRESULT>(text.size());
    }
    case LB_GETTEXTLEN:
      return valid ? static_cast<LRESULT>(list->item(index)->text().toStdString().size()) : LB_ERR;
    case LB_FINDSTRING:
      return FindItem(index, reinterpret_cast<const char *>(lParam), false);
    case LB_FINDSTRINGEXACT:
      return FindItem(index, reinterpret_cast<const char *>(lParam), true);
    case LB_SELECTSTRING: {
      const int found = FindItem(index, reinterpret_cast<const char *>(lParam), false);
      if (found >= 0) SendMessage(LB_SETCURSEL, static_cast<WPARAM>(found));
      return found;
    }
    case LB_GETITEMDATA:
      return valid ? static_cast<LRESULT>(list->item(index)->data(kDataRole).toULongLong()) : LB_ERR;
    case LB_SETITEMDATA:
      if (!valid) return LB_ERR;
      list->item(index)->setData(kDataRole, QVariant::fromValue<qulonglong>(static_cast<std::uintptr_t>(lParam)));
      return 0;
    case LB_GETTOPINDEX: {
      QListWidgetItem *top = list->itemAt(0, 0);
      return top != nullptr ? list->row(top) : 0;
    }
    case LB_SETTOPINDEX:
      if (!valid) return LB_ERR;
      list->scrollToItem(list->item(index), QAbstractItemView::PositionAtTop);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS: {
      const LRESULT result = TControl::DefWindowProc(msg, wParam, lParam);
      if (GetStyle() & LBS_NOTIFY) NotifyParent(LBN_SETFOCUS);
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = TControl::DefWindowProc(msg, wParam, lParam);
      if (GetStyle() & LBS_NOTIFY) NotifyParent(LBN_KILLFOCUS);
      return result;
    }
    case WM_SETFONT:
      if (auto chosen = reinterpret_cast<HFONT>(wParam)) list->setFont(FontFromLogFont(chosen->logFont));
      return TControl::DefWindowProc(msg, wParam, lParam);
    default:
      return TControl::DefWindowProc(msg, wParam, lParam);
  }
}
