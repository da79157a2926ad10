#include "platform/gui/bars/cursors.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/gui/windows/window.h"
#include "platform/gui/windows/window_hooks.h"

namespace {

std::map<std::string, std::unique_ptr<HCURSOR__>> &Cursors() {
  static std::map<std::string, std::unique_ptr<HCURSOR__>> cursors;
  return cursors;
}

std::unordered_map<HWND, HCURSOR> &WindowCursors() {
  static std::unordered_map<HWND, HCURSOR> cursors;
  return cursors;
}

HCURSOR current = nullptr;
QPointer<QWidget> mouseWidget;  // the window host the mouse last moved on
TWindowHooks previousHooks;

QCursor ToQCursor(HCURSOR cursor) {
  if (cursor == nullptr) return QCursor(Qt::BlankCursor);
  if (cursor->Picture.isNull()) return QCursor(static_cast<Qt::CursorShape>(cursor->Shape));
  return QCursor(QPixmap::fromImage(cursor->Picture), cursor->HotSpot.x, cursor->HotSpot.y);
}

HCURSOR Standard(UINT id) {
  static std::map<UINT, std::unique_ptr<HCURSOR__>> standard;
  auto found = standard.find(id);
  if (found != standard.end()) return found->second.get();
  Qt::CursorShape shape = Qt::ArrowCursor;
  switch (id) {
    case 32512: shape = Qt::ArrowCursor; break;
    case 32513: shape = Qt::IBeamCursor; break;
    case 32514: shape = Qt::WaitCursor; break;
    case 32515: shape = Qt::CrossCursor; break;
    case 32516: shape = Qt::UpArrowCursor; break;
    case 32642: shape = Qt::SizeFDiagCursor; break;
    case 32643: shape = Qt::SizeBDiagCursor; break;
    case 32644: shape = Qt::SizeHorCursor; break;
    case 32645: shape = Qt::SizeVerCursor; break;
    case 32646: shape = Qt::SizeAllCursor; break;
    case 32648: shape = Qt::ForbiddenCursor; break;
    case 32649: shape = Qt::PointingHandCursor; break;
    case 32650: shape = Qt::BusyCursor; break;
    default: return nullptr;
  }
  auto cursor = std::make_unique<HCURSOR__>();
  cursor->Shape = shape;
  HCURSOR handle = cursor.get();
  standard[id] = std::move(cursor);
  return handle;
}

// The layer's own cursors of the editor's canvas, 32 x 32, black with a white rim.
QImage DrawnCursor(int kind) {
  QImage picture(32, 32, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  const auto stroke = [&](auto draw) {
    painter.setPen(QPen(Qt::white, 3));
    draw();
    painter.setPen(QPen(Qt::black, 1));
    draw();
  };
  if (kind == 0) {
    // Moving the field: four arrows from the centre.
    stroke([&] {
      painter.drawLine(16, 3, 16, 29);
      painter.drawLine(3, 16, 29, 16);
      for (const auto &[x, y, dx, dy] : {std::tuple{16, 3, 1, 1}, std::tuple{16, 29, 1, -1},
                                         std::tuple{3, 16, 1, 1}, std::tuple{29, 16, -1, 1}}) {
        if (x == 16) {
          painter.drawLine(x, y, x - 3, y + 3 * dy);
          painter.drawLine(x, y, x + 3, y + 3 * dy);
        } else {
          painter.drawLine(x, y, x + 3 * dx, y - 3);
          painter.drawLine(x, y, x + 3 * dx, y + 3);
        }
      }
    });
  } else if (kind == 1) {
    // A single surface: a cross hair with a lens outline beside it.
    stroke([&] {
      painter.drawLine(8, 1, 8, 15);
      painter.drawLine(1, 8, 15, 8);
      painter.drawArc(16, 10, 10, 20, 90 * 16, 180 * 16);
      painter.drawArc(18, 10, 10, 20, -90 * 16, 180 * 16);
    });
  } else {
    // Zooming a selection: a magnifier.
    stroke([&] {
      painter.drawEllipse(3, 3, 16, 16);
      painter.drawLine(17, 17, 28, 28);
      painter.drawLine(7, 11, 15, 11);
      painter.drawLine(11, 7, 11, 15);
    });
  }
  return picture;
}

void RegisterOwnCursors() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterCursorResource("MoveField_Cur", DrawnCursor(0), {16, 16});
  RegisterCursorResource("SingleSurface_Cur", DrawnCursor(1), {8, 8});
  RegisterCursorResource("ZoomSelect_Cur", DrawnCursor(2), {11, 11});
}

bool DefaultSetCursor(TWindow &window, LRESULT hitTest) {
  QWidget *host = window.HostWidget();
  if (host == nullptr) return false;
  const HCURSOR own = hitTest == HTCLIENT ? GetWindowCursor(window.GetHandle()) : nullptr;
  const HCURSOR shown = own != nullptr ? own : LoadCursor(nullptr, IDC_ARROW);
  current = shown;
  host->setCursor(ToQCursor(shown));
  return own != nullptr;
}

void CursorWindowDestroyed(TWindow &window) {
  WindowCursors().erase(window.GetHandle());
  if (previousHooks.Destroyed != nullptr) previousHooks.Destroyed(window);
}

class TMouseWatcher final : public QObject {
 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
      if (auto *widget = qobject_cast<QWidget *>(watched)) mouseWidget = widget;
    }
    return false;
  }
};

}  // namespace

void RegisterCursorResource(TResId name, const QImage &picture, POINT hotSpot) {
  auto cursor = std::make_unique<HCURSOR__>();
  cursor->Shape = Qt::BitmapCursor;
  cursor->Picture = picture.convertToFormat(QImage::Format_ARGB32);
  cursor->HotSpot = hotSpot;
  Cursors()[name.Key()] = std::move(cursor);
}

HCURSOR LoadCursor(const void *module, TResId name) {
  RegisterOwnCursors();
  if (module == nullptr && !name.IsString()) {
    if (HCURSOR standard = Standard(name.Id())) return standard;
  }
  const auto found = Cursors().find(name.Key());
  return found != Cursors().end() ? found->second.get() : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  const HCURSOR previous = current;
  current = cursor;
  if (mouseWidget != nullptr) mouseWidget->setCursor(ToQCursor(cursor));
  return previous;
}

HCURSOR GetCursor() { return current; }

void SetWindowCursor(HWND handle, HCURSOR cursor) {
  TWindow *window = WindowFromHandle(handle);
  if (window == nullptr) return;
  if (cursor == nullptr) {
    WindowCursors().erase(handle);
  } else {
    WindowCursors()[handle] = cursor;
  }
  // Shown at once when the mouse is on the window's client area.
  QWidget *host = window->HostWidget();
  if (host != nullptr && mouseWidget == host) {
    POINT point;
    const QPoint global = QCursor::pos();
    point = {global.x(), global.y()};
    window->ScreenToClient(point);
    const RECT client = window->GetClientRect();
    if (point.x >= 0 && point.y >= 0 && point.x < client.right && point.y < client.bottom) {
      current = cursor != nullptr ? cursor : LoadCursor(nullptr, IDC_ARROW);
      host->setCursor(ToQCursor(current));
    }
  }
}

HCURSOR GetWindowCursor(HWND handle) {
  const auto found = WindowCursors().find(handle);
  return found != WindowCursors().end() ? found->second : nullptr;
}

void InstallCursorHooks() {
  RegisterOwnCursors();
  static bool installed = false;
  if (!installed) {
    // Once, chained with the menus' hooks: their cleanup runs too.
    installed = true;
    TWindowHooks hooks = CurrentWindowHooks();
    previousHooks.Destroyed = hooks.Destroyed;
    hooks.Destroyed = &CursorWindowDestroyed;
    hooks.SetCursor = &DefaultSetCursor;
    SetWindowHooks(hooks);
  }
  static TMouseWatcher *watcher = nullptr;
  if (watcher == nullptr && qApp != nullptr) {
    watcher = new TMouseWatcher;
    watcher->setParent(qApp);
    qApp->installEventFilter(watcher);
  }
}
