#pragma once
// The program's menu walk: pop-ups drawn in Qt pop-up windows of our own, the menu bar
// highlighted in its window's image, the mouse and keys followed as classic menus do.
// Internal to the menus area; tests reach the walk in progress through
// CurrentMenuTracking to find the pop-ups and their items.

#include <QEventLoop>
#include <QPoint>
#include <memory>
#include <vector>

#include "platform/gui/menus/menu_look.h"
#include "platform/gui/menus/menu_tracker.h"

class QWidget;
class TMenuPopupWindow;

class TDrawnMenuTracker final : public TMenuTrackProvider {
 public:
  UINT Walk(const TMenuWalk &walk) override;
};

class TMenuTracking {
 public:
  explicit TMenuTracking(const TMenuWalk &walk);
  ~TMenuTracking();
  TMenuTracking(const TMenuTracking &) = delete;
  TMenuTracking &operator=(const TMenuTracking &) = delete;

  // Runs until a choice or a cancel; the chosen id (0: none).
  UINT Run();

  // The open pop-ups, outermost first.
  int Levels() const { return static_cast<int>(levels.size()); }
  QWidget *PopupWidget(int level) const;
  HMENU LevelMenu(int level) const;
  int Selection(int level) const;
  // An item's centre on the screen.
  QPoint ItemCenter(int level, int index) const;
  int BarSelection() const { return barIndex; }

  // Input from the pop-ups (screen points; Qt key codes).
  void MouseMove(QPoint global);
  void MousePress(QPoint global);
  void MouseRelease(QPoint global, Qt::MouseButton button);
  void Key(int qtKey, const QString &text);
  void PopupClosedByQt();

 private:
  struct TLevel {
    HMENU Menu = nullptr;
    TMenuLayout Layout;
    int Selected = -1;
    std::unique_ptr<TMenuPopupWindow> Window;
  };
  // Where a screen point falls: a pop-up level and item (-1: none), or a bar item.
  struct THit {
    int Level = -1;
    int Item = -1;
    int BarItem = -1;
  };

  THit HitTest(QPoint global) const;
  void OpenBarItem(int index);
  void OpenLevel(HMENU menu, int indexInParent, QPoint anchor, int alternativeRight);
  void CloseLevelsFrom(int level);
  void Select(int level, int index);
  void OpenSubMenuOf(int level);
  void MoveSelection(int level, int step);
  void ActivateSelection(int level);
  void StepBar(int step);
  void Finish(UINT id);
  void Repaint(int level);

  TMenuWalk walk;
  std::vector<TLevel> levels;
  int barIndex = -1;
  QPoint openedAt;           // where the mouse was when the walk began
  bool mouseActive = false;  // moved or pressed since
  bool done = false;
  UINT chosen = 0;
  QEventLoop loop;
};
