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

// Fontconfig keeps a cache allocation for the life of the process; it is not ours to free.
// Weak, so that another definition in the test program takes precedence.
extern "C" __attribute__((weak)) const char *__lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
