#pragma once
// TApplication: the program object. It owns Qt's application object (unless one exists),
// the main window, and runs the message loop until the main window is destroyed.

#include <memory>
#include <string>

class QApplication;
class TQtDialogProviders;
class TQtProviders;
class TWindow;

class TApplication {
 public:
  TApplication(const char *name, int &argc, char **argv);
  virtual ~TApplication();
  TApplication(const TApplication &) = delete;
  TApplication &operator=(const TApplication &) = delete;

  // The one application object, or null.
  static TApplication *Current();

  // Makes the main window; the default makes an empty overlapped frame with the name as
  // its caption. Overrides call SetMainWindow.
  virtual void InitMainWindow();
  // Takes ownership of the window (the previous main window is deleted).
  void SetMainWindow(TWindow *window);
  TWindow *GetMainWindow() const { return mainWindow; }
  const std::string &GetName() const { return name; }

  // Message boxes, beeps, the cursor, the clock, the colour, file, print and find dialogs
  // and the clipboard through Qt (until the object goes).
  void InstallQtProviders();

  // InitMainWindow, creates and shows the main window (nCmdShow), runs the message loop.
  // Returns the loop's exit code, -1 when the main window could not be created.
  virtual int Run();
  int MessageLoop();

  int nCmdShow;

 private:
  std::string name;
  std::unique_ptr<QApplication> ownQt;
  std::unique_ptr<TQtProviders> providers;
  std::unique_ptr<TQtDialogProviders> dialogProviders;
  TWindow *mainWindow = nullptr;
};
