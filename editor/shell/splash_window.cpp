#include "editor/shell/splash_window.h"

#include "editor/settings/editor_settings.h"
#include "editor/shell/splash_picture.h"
#include "platform/core/paths.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/bars/o_bmp.h"
#include "toolkit/pump/message_queue.h"
#include "toolkit/render3d/o_dib.h"

TSplashWindow::TSplashWindow(const TOBmp &picture, int pictureWidth, int pictureHeight)
    : TWindow(nullptr, nullptr), picture_(picture) {
  Attr.Style = WS_POPUP | WS_VISIBLE;
  Attr.W = pictureWidth;
  Attr.H = pictureHeight;
  // Integer halves, toward zero, as the screen's centre is taken.
  Attr.X = (GetSystemMetrics(SM_CXSCREEN) - pictureWidth) / 2;
  Attr.Y = (GetSystemMetrics(SM_CYSCREEN) - pictureHeight) / 2;
}

void TSplashWindow::Paint(TDC &dc, bool, RECT &) { picture_.Draw(dc, 0, 0, nullptr, SRCCOPY); }

TSplashReport RunSplash(const std::string &programDirectory, void (*pause)(double seconds)) {
  TSplashReport report;
  const bool fast = FastOpenRequested(programDirectory);
  const TODib dib(JoinPath(programDirectory, kSplashPictureName).c_str());
  if (!dib.IsOK() || dib.Width() <= 0 || dib.Height() <= 0) return report;
  const TOBmp picture(dib, nullptr);
  TSplashWindow window(picture, dib.Width(), dib.Height());
  if (!window.Create()) return report;
  {
    TClientDC dc(window);
    picture.Draw(dc, 0, 0, nullptr, SRCCOPY);
  }
  // The picture reaches the screen before the pauses, which dispatch nothing.
  window.UpdateWindow();
  PumpWaitingMessages();
  report.shown = true;
  report.rect = window.GetWindowRect();
  if (!fast && pause != nullptr)
    for (double seconds : kSplashPauses) {
      pause(seconds);
      report.pauses.push_back(seconds);
    }
  window.Destroy();
  return report;
}
