#include "platform/gui/controls/list_box.h"

#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstring>

#include "platform/gui/controls/native_colors.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/font_map.h"
#include "platform/gui/drawing/gdi_objects.h"

namespace {

constexpr int kDataRole = Qt::UserRole;

// The items of an owner-drawn list, measured and painted by the list's parent.
class TOwnerDrawnItems final : public QStyledItemDelegate {
 public:
  TOwnerDrawnItems(TListBox &box, QObject *parent) : QStyledItemDelegate(parent), box_(box) {}

  void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    TWindow *owner = box_.GetParentO();
    if (owner == nullptr || !owner->IsWindow() || option.rect.isEmpty()) return;
    // The parent draws on a context over a picture of the item whose device origin is the
    // list's client origin, so rcItem is where the item lies in the list.
    const QRect place = option.rect;
    QImage picture(place.size(), QImage::Format_RGB32);
    picture.fill(option.palette.color(QPalette::Base));
    TDC dc(&picture, POINT{-place.x(), -place.y()}, RECT{0, 0, place.width(), place.height()});
    DRAWITEMSTRUCT draw;
    draw.CtlType = ODT_LISTBOX;
    draw.CtlID = static_cast<UINT>(box_.GetId());
    draw.itemID = static_cast<UINT>(index.row());
    draw.itemAction = ODA_DRAWENTIRE;
    if (option.state & QStyle::State_Selected) draw.itemState |= ODS_SELECTED;
    if (option.state & QStyle::State_HasFocus) draw.itemState |= ODS_FOCUS;
    if (!box_.IsWindowEnabled()) draw.itemState |= ODS_DISABLED;
    draw.hwndItem = box_.GetHandle();
    draw.hDC = dc.GetHDC();
    draw.rcItem = {place.left(), place.top(), place.left() + place.width(), place.top() + place.height()};
    draw.itemData = static_cast<std::uintptr_t>(index.data(kDataRole).toULongLong());
    owner->SendMessage(WM_DRAWITEM, static_cast<WPARAM>(box_.GetId()), reinterpret_cast<LPARAM>(&draw));
    painter->drawImage(place.topLeft(), picture);
  }

  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
    const bool fixed = (box_.GetStyle() & LBS_OWNERDRAWVARIABLE) == 0;
    if (fixed && fixedHeight_ > 0) return {option.rect.width(), fixedHeight_};
    MEASUREITEMSTRUCT measure;
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = static_cast<UINT>(box_.GetId());
    measure.itemID = fixed ? 0 : static_cast<UINT>(index.row());
    measure.itemWidth = static_cast<UINT>(std::max(0, option.rect.width()));
    measure.itemHeight = static_cast<UINT>(option.fontMetrics.height());  // kept when unanswered
    measure.itemData = fixed ? 0 : static_cast<std::uintptr_t>(index.data(kDataRole).toULongLong());
    TWindow *owner = box_.GetParentO();
    if (owner != nullptr && owner->IsWindow()) {
      owner->SendMessage(WM_MEASUREITEM, static_cast<WPARAM>(box_.GetId()), reinterpret_cast<LPARAM>(&measure));
    }
    const int height = std::clamp(static_cast<int>(measure.itemHeight), 1, 255);
    if (fixed) fixedHeight_ = height;
    return {option.rect.width(), height};
  }

 private:
  TListBox &box_;
  mutable int fixedHeight_ = 0;
};

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
  list->setUniformItemSizes((GetStyle() & LBS_OWNERDRAWVARIABLE) == 0);
  if (IsOwnerDrawn()) list->setItemDelegate(new TOwnerDrawnItems(*this, list));
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

int TListBox::InsertItem(int index, LPARAM item) {
  if (!IsOwnerDrawn() || (GetStyle() & LBS_HASSTRINGS)) return Insert(index, reinterpret_cast<const char *>(item));
  // No strings: the value is the item (never read as a text), and there is nothing to sort by.
  if (index < 0 || index > list->count()) index = list->count();
  auto *entry = new QListWidgetItem;
  entry->setData(kDataRole, QVariant::fromValue<qulonglong>(static_cast<std::uintptr_t>(item)));
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
      return InsertItem(-1, lParam);
    case LB_INSERTSTRING:
      if (index > list->count()) return LB_ERR;
      return InsertItem(index, lParam);
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
