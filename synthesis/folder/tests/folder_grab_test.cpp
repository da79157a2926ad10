// The image-synthesis folder grabbed as a picture: by Qt's grab of its window on every page,
// by the picture of a desktop that refuses screen grabs (the program's own windows composed
// over the desktop colour), and just after it closed, while Qt has yet to delete its widgets.

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <vector>

#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/tests/folder_test_support.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
const QRgb kDesktop = qRgb(0, 128, 128);

class FolderGrab : public TFolderTestBase {};

TEST_F(FolderGrab, EveryPageIsGrabbedAsTheFolderDrawsIt) {
  TTestObjectFolder &folder = OpenFolder();
  ASSERT_GT(folder.PageCount(), 1);
  QWidget *host = folder.HostWidget();
  ASSERT_NE(host, nullptr);
  for (int page = 0; page < folder.PageCount(); ++page) {
    folder.SelectPage(page);
    ASSERT_EQ(folder.CurrentPage(), page);
    const QImage picture = host->grab().toImage();
    ASSERT_EQ(picture.size(), host->size()) << page;
    // The folder's picture, its tabs' and the shown page's, each where it lies.
    const test_kit::TGrabComparison seen = test_kit::CompareGrab(folder, picture);
    EXPECT_GT(seen.compared, host->width() * host->height() / 20) << page;
    EXPECT_EQ(seen.differing, 0) << page;
  }
}

TEST_F(FolderGrab, TheComposedScreenShowsTheFolderWhereItLies) {
  TTestObjectFolder &folder = OpenFolder();
  QWidget *host = folder.HostWidget();
  ASSERT_NE(host, nullptr);
  const QPoint corner = host->mapToGlobal(QPoint(0, 0));
  const RECT screen{0, 0, corner.x() + host->width() + 20, corner.y() + host->height() + 20};
  const QImage composed = ComposeOwnWindows(screen);
  ASSERT_EQ(composed.size(), QSize(screen.right, screen.bottom));
  const QImage own = host->grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (const QPoint inside : {QPoint(5, 5), QPoint(host->width() / 2, host->height() / 2),
                              QPoint(host->width() - 6, host->height() - 6)})
    EXPECT_EQ(composed.pixel(corner + inside), own.pixel(inside)) << inside.x() << "," << inside.y();
  // Beyond the folder the desktop shows.
  EXPECT_EQ(composed.pixel(screen.right - 1, screen.bottom - 1), kDesktop);
}

TEST_F(FolderGrab, AClosedFoldersWidgetsAwaitingDeletionAreGrabbedSafely) {
  TTestObjectFolder &folder = OpenFolder();
  // Every page once, so each has made its fields.
  for (int page = 0; page < folder.PageCount(); ++page) folder.SelectPage(page);
  QPointer<QWidget> host = folder.HostWidget();
  ASSERT_FALSE(host.isNull());
  std::vector<QPointer<QWidget>> widgets;
  for (QWidget *child : host->findChildren<QWidget *>()) widgets.emplace_back(child);
  ASSERT_GT(widgets.size(), 20u);
  folder.SendMessage(WM_COMMAND, IDCANCEL, 0);
  ASSERT_EQ(folder.GetHandle(), nullptr);
  delete folder_;
  folder_ = nullptr;
  // The window objects are gone; Qt deletes their widgets once the loop runs again.
  ASSERT_FALSE(host.isNull());
  EXPECT_FALSE(host->isVisible());
  host->grab();
  for (const QPointer<QWidget> &widget : widgets) {
    if (!widget.isNull()) widget->grab();
  }
  // A grab of the screen passes the hidden folder by.
  const QImage composed = ComposeOwnWindows(RECT{0, 0, 64, 64});
  EXPECT_EQ(composed.pixel(1, 1), kDesktop);
  EXPECT_TRUE(test_kit::RunUntil([&] { return host.isNull(); }, kWaitMs));
}

}  // namespace
