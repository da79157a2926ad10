#include "platform/gui/windows/application.h"

#include <QApplication>

#include <clocale>

#include "platform/gui/windows/message_loop.h"
#include "platform/gui/windows/qt_providers.h"
#include "platform/gui/providers/qt_dialogs.h"
#include "platform/gui/windows/window.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/menus/menu_window.h"

namespace {
TApplication *currentApplication = nullptr;
}

TApplication::TApplication(const char *appName, int &argc, char **argv)
    : nCmdShow(SW_SHOWNORMAL), name(appName != nullptr ? appName : "") {
  if (QCoreApplication::instance() == nullptr) ownQt = std::make_unique<QApplication>(argc, argv);
  QCoreApplication::setApplicationName(QString::fromStdString(name));
  // Qt takes the locale from the environment; a decimal comma there would make every C
  // conversion of the program read "1.5" as 1 and write "1,5". Numbers stay in C form.
  std::setlocale(LC_NUMERIC, "C");
  currentApplication = this;
  // WM_PAINT reaches the windows with a paint context on their image.
  InstallPaintDispatcher();
  // Menu bars, system menus and accelerators.
  InstallMenuHooks();
  InstallAcceleratorFilter();
  InstallCursorHooks();
}

TApplication::~TApplication() {
  // Not the main window any more while it goes: its destruction then posts no quit.
  TWindow *window = mainWindow;
  mainWindow = nullptr;
  delete window;
  // Hosts of destroyed windows wait for Qt to delete them; let it, while Qt is still here.
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  dialogProviders.reset();
  providers.reset();
  if (currentApplication == this) currentApplication = nullptr;
}

TApplication *TApplication::Current() { return currentApplication; }

void TApplication::InitMainWindow() { SetMainWindow(new TWindow(nullptr, name.c_str())); }

void TApplication::SetMainWindow(TWindow *window) {
  if (window == mainWindow) return;
  TWindow *previous = mainWindow;
  mainWindow = window;
  delete previous;
}

void TApplication::InstallQtProviders() {
  if (providers == nullptr) providers = std::make_unique<TQtProviders>();
  if (dialogProviders == nullptr) dialogProviders = std::make_unique<TQtDialogProviders>();
}

int TApplication::Run() {
  if (mainWindow == nullptr) InitMainWindow();
  if (mainWindow == nullptr) return -1;
  mainWindow->Attr.Style &= ~WS_VISIBLE;
  if (!mainWindow->Create()) return -1;
  mainWindow->ShowWindow(nCmdShow);
  mainWindow->UpdateWindow();
  return MessageLoop();
}

int TApplication::MessageLoop() { return RunMessageLoop(); }
