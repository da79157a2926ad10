// The program's entry point.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[]) {
  QApplication application(argc, argv);
  QWidget frame;
  frame.setWindowTitle("Optical Workbench");
  frame.resize(1024, 768);
  frame.show();
  return application.exec();
}
