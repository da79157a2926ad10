#pragma once
// The start-up picture: a caption-less pop-up of the picture's size in the middle of the
// screen, showing "pic.1" from the program directory for a few seconds while the program
// starts. A file "fast_open.ini" beside the program (or in the user's settings) keeps the
// picture but drops the pauses.

#include <string>
#include <vector>

#include "platform/gui/windows/window.h"

class TOBmp;

class TSplashWindow : public TWindow {
 public:
  // The picture is not owned; it must outlive the window.
  TSplashWindow(const TOBmp &picture, int pictureWidth, int pictureHeight);
  const char *GetClassName() override { return "KorvexSplash"; }
  void Paint(TDC &dc, bool erase, RECT &rect) override;

 private:
  const TOBmp &picture_;
};

// What a start-up picture did.
struct TSplashReport {
  bool shown = false;        // the picture was read and its window shown
  RECT rect{0, 0, 0, 0};     // the window's place on the screen
  std::vector<double> pauses;  // the pauses made, in seconds
};

// Pauses of the start-up picture, in seconds, in order.
constexpr double kSplashPauses[] = {1.0, 1.0, 2.0};

// Shows the picture of the program directory and makes the pauses through `pause` (none in
// fast mode). A missing or unreadable picture shows nothing and makes no pause.
TSplashReport RunSplash(const std::string &programDirectory, void (*pause)(double seconds));
