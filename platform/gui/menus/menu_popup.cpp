#include "platform/gui/menus/menu_popup.h"

#include <QHideEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <QCursor>
#include <algorithm>

#include "platform/gui/drawing/dc.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"

// One pop-up on the screen: it shows its image and hands every input to the walk.
class TMenuPopupWindow final : public QWidget {
 public:
  explicit TMenuPopupWindow(TMenuTracking *walkInProgress)
      : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint), tracking(walkInProgress) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
  }
  QImage image;
  bool closingByWalk = false;

 protected:
  void paintEvent(QPaintEvent *event) override {
    QPainter painter(this);
    painter.drawImage(event->rect(), image, event->rect());
  }
  void mouseMoveEvent(QMouseEvent *event) override {
    tracking->MouseMove(event->globalPosition().toPoint());
  }
  void mousePressEvent(QMouseEvent *event) override {
    tracking->MousePress(event->globalPosition().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent *event) override {
    tracking->MouseRelease(event->globalPosition().toPoint(), event->button());
  }
  void keyPressEvent(QKeyEvent *event) override { tracking->Key(event->key(), event->text()); }
  void hideEvent(QHideEvent *) override {
    if (!closingByWalk) tracking->PopupClosedByQt();
  }

 private:
  TMenuTracking *tracking;
};

namespace {

TMenuTracking *currentTracking = nullptr;

bool Contains(const RECT &rect, QPoint point) {
  return point.x() >= rect.left && point.x() < rect.right && point.y() >= rect.top &&
         point.y() < rect.bottom;
}

}  // namespace

TMenuTracking *CurrentMenuTracking() { return currentTracking; }

UINT TDrawnMenuTracker::Walk(const TMenuWalk &walk) {
  TMenuTracking tracking(walk);
  return tracking.Run();
}

TMenuTracking::TMenuTracking(const TMenuWalk &menuWalk) : walk(menuWalk) {}

TMenuTracking::~TMenuTracking() {
  CloseLevelsFrom(0);
  if (walk.Bar) SetMenuBarSelection(walk.Owner, -1);
  if (currentTracking == this) currentTracking = nullptr;
}

UINT TMenuTracking::Run() {
  currentTracking = this;
  openedAt = QCursor::pos();
  if (walk.Bar) {
    OpenBarItem(std::max(0, walk.StartIndex));
  } else {
    OpenMenuPopup(walk, walk.Menu, 0);
    int x = walk.Screen.x;
    int y = walk.Screen.y;
    const TMenuLayout layout = LayoutPopupMenu(walk.Owner, walk.Menu);
    if (walk.Flags & TPM_CENTERALIGN) x -= layout.Size.cx / 2;
    if (walk.Flags & TPM_RIGHTALIGN) x -= layout.Size.cx;
    if (walk.Flags & TPM_VCENTERALIGN) y -= layout.Size.cy / 2;
    if (walk.Flags & TPM_BOTTOMALIGN) y -= layout.Size.cy;
    OpenLevel(walk.Menu, 0, QPoint(x, y), x);
  }
  if (walk.Bar && !done && levels.empty()) {
    // A bar item without a pop-up is a command of its own: chosen by the click.
    const TMenuItem *item = FindMenuItem(walk.Menu, static_cast<UINT>(barIndex), MF_BYPOSITION);
    Finish(item != nullptr && item->SubMenu == nullptr && MenuItemSelectable(*item) ? item->Id : 0);
  }
  if (!done && !levels.empty()) loop.exec();
  CloseLevelsFrom(0);
  if (walk.Bar) SetMenuBarSelection(walk.Owner, -1);
  currentTracking = nullptr;
  return chosen;
}

QWidget *TMenuTracking::PopupWidget(int level) const {
  return level >= 0 && level < Levels() ? levels[static_cast<std::size_t>(level)].Window.get()
                                        : nullptr;
}

HMENU TMenuTracking::LevelMenu(int level) const {
  return level >= 0 && level < Levels() ? levels[static_cast<std::size_t>(level)].Menu : nullptr;
}

int TMenuTracking::Selection(int level) const {
  return level >= 0 && level < Levels() ? levels[static_cast<std::size_t>(level)].Selected : -1;
}

QPoint TMenuTracking::ItemCenter(int level, int index) const {
  if (level < 0 || level >= Levels()) return {};
  const TLevel &entry = levels[static_cast<std::size_t>(level)];
  if (index < 0 || index >= static_cast<int>(entry.Layout.Items.size())) return {};
  const RECT &rect = entry.Layout.Items[static_cast<std::size_t>(index)];
  return entry.Window->mapToGlobal(QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
}

TMenuTracking::THit TMenuTracking::HitTest(QPoint global) const {
  THit hit;
  for (int level = Levels() - 1; level >= 0; --level) {
    const TLevel &entry = levels[static_cast<std::size_t>(level)];
    if (!entry.Window->geometry().contains(global)) continue;
    hit.Level = level;
    const QPoint local = entry.Window->mapFromGlobal(global);
    for (std::size_t i = 0; i < entry.Layout.Items.size(); ++i) {
      if (Contains(entry.Layout.Items[i], local)) hit.Item = static_cast<int>(i);
    }
    return hit;
  }
  if (walk.Bar) {
    TWindow *owner = WindowFromHandle(walk.Owner);
    if (owner != nullptr && owner->HostWidget() != nullptr) {
      const QPoint local = owner->HostWidget()->mapFromGlobal(global);
      for (int i = 0; i < GetMenuItemCount(walk.Menu); ++i) {
        if (Contains(MenuBarItemRect(walk.Owner, i), local)) hit.BarItem = i;
      }
    }
  }
  return hit;
}

void TMenuTracking::OpenBarItem(int index) {
  CloseLevelsFrom(0);
  const TMenuItem *item = FindMenuItem(walk.Menu, static_cast<UINT>(index), MF_BYPOSITION);
  if (item == nullptr) return;
  barIndex = index;
  SetMenuBarSelection(walk.Owner, index);
  SelectMenuItem(walk, walk.Menu, index);
  if (item->SubMenu == nullptr || !MenuItemSelectable(*item)) return;
  HMENU sub = item->SubMenu;
  OpenMenuPopup(walk, sub, index);
  TWindow *owner = WindowFromHandle(walk.Owner);
  if (done || owner == nullptr || owner->HostWidget() == nullptr || !IsMenu(sub)) return;
  const RECT rect = MenuBarItemRect(walk.Owner, index);
  const QPoint anchor = owner->HostWidget()->mapToGlobal(QPoint(rect.left, rect.bottom));
  OpenLevel(sub, index, anchor, anchor.x());
}

void TMenuTracking::OpenLevel(HMENU menu, int, QPoint anchor, int alternativeRight) {
  TLevel level;
  level.Menu = menu;
  level.Layout = LayoutPopupMenu(walk.Owner, menu);
  const int width = std::max<int>(1, level.Layout.Size.cx);
  const int height = std::max<int>(1, level.Layout.Size.cy);
  // Kept on the screen: a pop-up that would pass the right edge opens to the left of what
  // opened it, one that would pass the bottom moves up.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int x = anchor.x();
  int y = anchor.y();
  if (screenWidth > 0 && x + width > screenWidth) x = std::max(0, alternativeRight - width);
  if (screenHeight > 0 && y + height > screenHeight) y = std::max(0, screenHeight - height);
  level.Window = std::make_unique<TMenuPopupWindow>(this);
  level.Window->setGeometry(x, y, width, height);
  levels.push_back(std::move(level));
  Repaint(Levels() - 1);
  levels.back().Window->show();
}

void TMenuTracking::CloseLevelsFrom(int level) {
  while (Levels() > std::max(0, level)) {
    std::unique_ptr<TMenuPopupWindow> window = std::move(levels.back().Window);
    levels.pop_back();
    if (window != nullptr) {
      window->closingByWalk = true;
      window->hide();
    }
  }
}

void TMenuTracking::Repaint(int level) {
  if (level < 0 || level >= Levels()) return;
  TLevel &entry = levels[static_cast<std::size_t>(level)];
  QImage &image = entry.Window->image;
  const SIZE size = entry.Layout.Size;
  if (image.width() != size.cx || image.height() != size.cy) {
    image = QImage(std::max<int>(1, size.cx), std::max<int>(1, size.cy), QImage::Format_RGB32);
  }
  TDC dc(&image, {0, 0}, {0, 0, image.width(), image.height()});
  PaintPopupMenu(dc, walk.Owner, entry.Menu, entry.Layout, entry.Selected);
  entry.Window->update();
}

void TMenuTracking::Select(int level, int index) {
  if (level < 0 || level >= Levels()) return;
  TLevel &entry = levels[static_cast<std::size_t>(level)];
  if (entry.Selected == index) return;
  const int previous = entry.Selected;
  entry.Selected = index;
  QImage &image = entry.Window->image;
  if (image.width() == entry.Layout.Size.cx && image.height() == entry.Layout.Size.cy) {
    // Only the two items change, as owner-drawn menus expect (ODA_SELECT).
    TDC dc(&image, {0, 0}, {0, 0, image.width(), image.height()});
    PaintPopupSelectionChange(dc, walk.Owner, entry.Menu, entry.Layout, previous, index);
    entry.Window->update();
  } else {
    Repaint(level);
  }
  SelectMenuItem(walk, entry.Menu, index);
}

void TMenuTracking::OpenSubMenuOf(int level) {
  if (level < 0 || level >= Levels()) return;
  const TLevel &entry = levels[static_cast<std::size_t>(level)];
  const int index = entry.Selected;
  const TMenuItem *item = FindMenuItem(entry.Menu, static_cast<UINT>(index), MF_BYPOSITION);
  if (item == nullptr || item->SubMenu == nullptr || !MenuItemSelectable(*item)) return;
  if (Levels() > level + 1 && levels[static_cast<std::size_t>(level) + 1].Menu == item->SubMenu) return;
  CloseLevelsFrom(level + 1);
  HMENU sub = item->SubMenu;
  OpenMenuPopup(walk, sub, index);
  if (done || !IsMenu(sub) || level >= Levels()) return;
  const TLevel &parent = levels[static_cast<std::size_t>(level)];
  const RECT &rect = parent.Layout.Items[static_cast<std::size_t>(index)];
  const QPoint right = parent.Window->mapToGlobal(QPoint(rect.right, rect.top - kMenuPopupBorder));
  const QPoint left = parent.Window->mapToGlobal(QPoint(0, 0));
  OpenLevel(sub, index, right, left.x());
}

void TMenuTracking::MoveSelection(int level, int step) {
  if (level < 0 || level >= Levels()) return;
  const TLevel &entry = levels[static_cast<std::size_t>(level)];
  if (!IsMenu(entry.Menu)) return;
  const int count = static_cast<int>(entry.Menu->Items.size());
  if (count == 0) return;
  int index = entry.Selected;
  // Grey items can be highlighted (and show their hint), separators are passed over.
  for (int tries = 0; tries < count; ++tries) {
    index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
    if (!(entry.Menu->Items[static_cast<std::size_t>(index)].Flags & MF_SEPARATOR)) break;
  }
  CloseLevelsFrom(level + 1);
  Select(level, index);
}

void TMenuTracking::ActivateSelection(int level) {
  if (level < 0 || level >= Levels()) return;
  const TLevel &entry = levels[static_cast<std::size_t>(level)];
  const TMenuItem *item =
      FindMenuItem(entry.Menu, static_cast<UINT>(entry.Selected), MF_BYPOSITION);
  if (item == nullptr || !MenuItemSelectable(*item)) return;
  if (item->SubMenu != nullptr) {
    OpenSubMenuOf(level);
    if (Levels() > level + 1) MoveSelection(level + 1, 1);
    return;
  }
  Finish(item->Id);
}

void TMenuTracking::Finish(UINT id) {
  if (done) return;
  done = true;
  chosen = id;
  loop.quit();
}

void TMenuTracking::MouseMove(QPoint global) {
  if (done) return;
  if (global != openedAt) mouseActive = true;
  if (!::IsWindow(walk.Owner)) {
    Finish(0);
    return;
  }
  const THit hit = HitTest(global);
  if (hit.Level >= 0) {
    if (hit.Item < 0) return;
    CloseLevelsFrom(hit.Level + 1);
    Select(hit.Level, hit.Item);
    OpenSubMenuOf(hit.Level);
    return;
  }
  // Moving along the bar opens the pop-up of the item under the mouse (plain commands on
  // the bar wait for a click).
  if (hit.BarItem >= 0 && hit.BarItem != barIndex) {
    const TMenuItem *item = FindMenuItem(walk.Menu, static_cast<UINT>(hit.BarItem), MF_BYPOSITION);
    if (item != nullptr && item->SubMenu != nullptr && MenuItemSelectable(*item)) OpenBarItem(hit.BarItem);
  }
}

void TMenuTracking::MousePress(QPoint global) {
  if (done) return;
  mouseActive = true;
  const THit hit = HitTest(global);
  if (hit.Level >= 0) {
    MouseMove(global);
    return;
  }
  if (hit.BarItem >= 0) {
    // A second press on the open bar item closes the menu.
    if (hit.BarItem == barIndex && !levels.empty()) {
      Finish(0);
      return;
    }
    const TMenuItem *item = FindMenuItem(walk.Menu, static_cast<UINT>(hit.BarItem), MF_BYPOSITION);
    if (item != nullptr && item->SubMenu == nullptr) {
      // A plain command on the bar: chosen by the click when it can be.
      Finish(MenuItemSelectable(*item) ? item->Id : 0);
      return;
    }
    OpenBarItem(hit.BarItem);
    return;
  }
  Finish(0);
}

void TMenuTracking::MouseRelease(QPoint global, Qt::MouseButton button) {
  // The right button chooses only in menus tracked with it; and the release of the press
  // that opened the menu chooses nothing until the mouse has moved.
  const bool chooses = button == Qt::LeftButton || (button == Qt::RightButton && (walk.Flags & TPM_RIGHTBUTTON));
  if (done || !chooses || !mouseActive) return;
  const THit hit = HitTest(global);
  if (hit.Level >= 0 && hit.Item >= 0) {
    Select(hit.Level, hit.Item);
    const TMenuItem *item =
        FindMenuItem(levels[static_cast<std::size_t>(hit.Level)].Menu, static_cast<UINT>(hit.Item), MF_BYPOSITION);
    // A grey item or a separator keeps the menu open, as does a pop-up item.
    if (item != nullptr && item->SubMenu == nullptr && MenuItemSelectable(*item)) Finish(item->Id);
    return;
  }
}

void TMenuTracking::Key(int qtKey, const QString &text) {
  if (done) return;
  const int top = Levels() - 1;
  switch (qtKey) {
    case Qt::Key_Escape:
      if (top <= 0) {
        Finish(0);
      } else {
        CloseLevelsFrom(top);
      }
      return;
    case Qt::Key_Up:
      MoveSelection(top, -1);
      return;
    case Qt::Key_Down:
      MoveSelection(top, 1);
      return;
    case Qt::Key_Right: {
      const TMenuItem *item =
          top >= 0 ? FindMenuItem(levels[static_cast<std::size_t>(top)].Menu,
                                  static_cast<UINT>(levels[static_cast<std::size_t>(top)].Selected), MF_BYPOSITION)
                   : nullptr;
      if (item != nullptr && item->SubMenu != nullptr) {
        ActivateSelection(top);
      } else if (walk.Bar) {
        StepBar(1);
      }
      return;
    }
    case Qt::Key_Left:
      if (top > 0) {
        CloseLevelsFrom(top);
      } else if (walk.Bar) {
        StepBar(-1);
      }
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      ActivateSelection(top);
      return;
    default:
      break;
  }
  if (text.isEmpty() || top < 0) return;
  const QChar typed = text.at(0).toLower();
  const TLevel &entry = levels[static_cast<std::size_t>(top)];
  if (!IsMenu(entry.Menu)) return;
  for (std::size_t i = 0; i < entry.Menu->Items.size(); ++i) {
    if (MenuMnemonic(entry.Menu->Items[i]) == typed.toLatin1() && typed.toLatin1() != 0) {
      Select(top, static_cast<int>(i));
      ActivateSelection(top);
      return;
    }
  }
}

void TMenuTracking::StepBar(int step) {
  // Only bar items with a pop-up take the keys: a plain item would leave nothing open.
  const int count = GetMenuItemCount(walk.Menu);
  for (int i = 1; i < count; ++i) {
    const int index = ((barIndex + step * i) % count + count) % count;
    const TMenuItem *item = FindMenuItem(walk.Menu, static_cast<UINT>(index), MF_BYPOSITION);
    if (item != nullptr && item->SubMenu != nullptr && MenuItemSelectable(*item)) {
      OpenBarItem(index);
      if (Levels() > 0) MoveSelection(0, 1);
      return;
    }
  }
}

void TMenuTracking::PopupClosedByQt() { Finish(0); }
