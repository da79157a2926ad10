#include "platform/gui/tests/gui_test_application.h"

#include <QApplication>

void EnsureGuiTestApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "platform_gui_tests";
  static char *argv[] = {name, nullptr};
  static QApplication *application = new QApplication(argc, argv);
  (void)application;
}
