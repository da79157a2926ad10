// Every window the editor opens, grabbed as a picture: by Qt's grab of the window and by
// the picture of a desktop that refuses screen grabs (the program's own windows composed
// over the desktop colour). Each grab shows the window as drawn, also once the windows of a
// closed folder await Qt's deletion.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <string>
#include <vector>

#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window_host.h"
#include "synthesis/folder/test_object_folder.h"

namespace {

constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1000;

class WindowGrabTest : public EditorShellTest {
 protected:
  // The shown top-level windows of ours and their grabs.
  struct TShown {
    TWindow *window;
    QImage picture;
  };
  static std::vector<TShown> GrabShown() {
    std::vector<TShown> shown;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
      if (!widget->isVisible()) continue;
      auto *host = dynamic_cast<TWindowHost *>(widget);
      TWindow *window = host != nullptr ? host->Owner() : nullptr;
      if (window == nullptr) continue;
      shown.push_back({window, widget->grab().toImage().convertToFormat(QImage::Format_RGB32)});
    }
    return shown;
  }
  // Every shown window grabbed with its picture, and the composed screen showing each where
  // no other window lies over it; the count of windows checked.
  static int ExpectEveryWindowGrabbed(const std::string &when) {
    const std::vector<TShown> shown = GrabShown();
    const QImage screen = ComposeOwnWindows(RECT{0, 0, kScreenWidth, kScreenHeight});
    EXPECT_EQ(screen.size(), QSize(kScreenWidth, kScreenHeight)) << when;
    for (const TShown &one : shown) {
      QWidget *host = one.window->HostWidget();
      const std::string what = when + ": " + one.window->GetWindowText();
      EXPECT_EQ(one.picture.size(), host->size()) << what;
      const test_kit::TGrabComparison seen = test_kit::CompareGrab(*one.window, one.picture);
      EXPECT_GT(seen.compared, 0) << what;
      EXPECT_EQ(seen.differing, 0) << what;
      // A point of it no other shown window covers shows the same in the composed screen.
      const QRect rect(host->mapToGlobal(QPoint(0, 0)), host->size());
      QRegion free(rect);
      for (const TShown &other : shown)
        if (other.window != one.window)
          free -= QRect(other.window->HostWidget()->mapToGlobal(QPoint(0, 0)), other.window->HostWidget()->size());
      free &= QRect(0, 0, kScreenWidth, kScreenHeight);
      if (free.isEmpty()) continue;
      const QRect part = *free.begin();
      const QPoint at = part.center();
      EXPECT_EQ(screen.pixel(at), one.picture.pixel(at - rect.topLeft())) << what;
    }
    return static_cast<int>(shown.size());
  }
};

TEST_F(WindowGrabTest, EveryWindowTheEditorOpensIsGrabbedWithItsPicture) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().info.MonochromeSystem = 1;
  editor.System().info.Nd = 64;
  editor.System().info.ShowRecommendation = 0;
  EXPECT_GE(ExpectEveryWindowGrabbed("editor"), 1);
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  ASSERT_NE(PropertiesFolder(), nullptr);
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  TTestObjectFolder *synthesis = editor.Launchers().SynthesisWindow();
  ASSERT_NE(synthesis, nullptr);
  synthesis->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  editor.SendMessage(WM_COMMAND, CM_3D_IMAGE);
  ASSERT_NE(editor.Launchers().ViewerWindow(), nullptr);
  // The editor, both folders, the colour picture, the two analysis windows, the viewer.
  EXPECT_GE(ExpectEveryWindowGrabbed("all open"), 7);

  // The folder closes; its windows' widgets wait for Qt's deletion meanwhile, grabbed too.
  QPointer<QWidget> folderHost = synthesis->HostWidget();
  std::vector<QPointer<QWidget>> left;
  for (QWidget *child : folderHost->findChildren<QWidget *>()) left.emplace_back(child);
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  ASSERT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  ASSERT_FALSE(folderHost.isNull());
  for (const QPointer<QWidget> &widget : left) {
    if (!widget.isNull()) widget->grab();
  }
  ExpectEveryWindowGrabbed("folder closed");
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_NE(editor.Launchers().PsfWindow(), nullptr);
  ExpectEveryWindowGrabbed("psf");
  EXPECT_TRUE(test_kit::RunUntil([&] { return folderHost.isNull(); }));
}

}  // namespace
