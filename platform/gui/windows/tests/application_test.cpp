// The application object's loop, posted quits, and the screen and message-box providers.

#include "platform/gui/windows/application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

#include "foundation/testing/comma_locale.h"

#include "platform/gui/windows/qt_providers.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

char programName[] = "workbench";
char *programArgs[] = {programName, nullptr};

}  // namespace

TEST(Application, ClosingTheMainWindowEndsTheLoop) {
  test_kit::EnsureApplication();
  int argc = 1;
  TApplication application("Test program", argc, programArgs);
  EXPECT_EQ(TApplication::Current(), &application);
  application.InitMainWindow();
  TWindow *mainWindow = application.GetMainWindow();
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_EQ(mainWindow->GetWindowText(), "Test program");
  QTimer::singleShot(30, [mainWindow] { PostMessage(mainWindow->GetHandle(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(application.Run(), 0);
  EXPECT_FALSE(mainWindow->IsWindow());
}

TEST(Application, NumbersStayInCFormUnderADecimalCommaLocale) {
  test_kit::EnsureApplication();
  TCommaLocale comma;  // as Qt leaves it for a German or Russian user
  SKIP_WITHOUT_COMMA_LOCALE(comma);
  int argc = 1;
  TApplication application("Test program", argc, programArgs);
  char text[32];
  std::snprintf(text, sizeof text, "%g", 1.5);
  EXPECT_STREQ(text, "1.5");
}

TEST(Application, PostQuitMessageGivesItsExitCode) {
  test_kit::EnsureApplication();
  int argc = 1;
  TApplication application("Quit test", argc, programArgs);
  QTimer::singleShot(10, [] { PostQuitMessage(3); });
  EXPECT_EQ(application.Run(), 3);
  EXPECT_TRUE(application.GetMainWindow()->IsWindow());
}

TEST(Application, QtProvidersInstallAndRestore) {
  test_kit::EnsureApplication();
  TMessageBoxProvider *before = &CurrentMessageBoxProvider();
  {
    TQtProviders providers;
    EXPECT_NE(&CurrentMessageBoxProvider(), before);
    const DWORD first = GetTickCount();
    test_kit::RunFor(20);
    const DWORD elapsed = GetTickCount() - first;
    EXPECT_GE(elapsed, 19u);
    EXPECT_LT(elapsed, 2000u);
  }
  EXPECT_EQ(&CurrentMessageBoxProvider(), before);
}

TEST(Application, MessageBoxTypesMapToButtonsAndAnswers) {
  TMessageBoxButton buttons[3];
  EXPECT_EQ(MessageBoxButtons(MB_OK, buttons), 1);
  EXPECT_EQ(buttons[0].Answer, IDOK);
  ASSERT_EQ(MessageBoxButtons(MB_YESNOCANCEL | MB_ICONQUESTION, buttons), 3);
  EXPECT_EQ(buttons[0].StandardButton, QMessageBox::Yes);
  EXPECT_EQ(buttons[1].Answer, IDNO);
  EXPECT_EQ(buttons[2].Answer, IDCANCEL);
  ASSERT_EQ(MessageBoxButtons(MB_RETRYCANCEL, buttons), 2);
  EXPECT_EQ(buttons[0].Answer, IDRETRY);
  ASSERT_EQ(MessageBoxButtons(MB_ABORTRETRYIGNORE, buttons), 3);
  EXPECT_EQ(buttons[2].Answer, IDIGNORE);
}

TEST(Application, QtMessageBoxAnswersWithTheChosenButton) {
  test_kit::EnsureApplication();
  TQtMessageBoxProvider provider;
  // Press the default button (the second, "No") as soon as the box is up.
  QTimer::singleShot(50, [] {
    for (QWidget *widget : QApplication::topLevelWidgets()) {
      if (auto *box = qobject_cast<QMessageBox *>(widget); box != nullptr && box->isVisible()) {
        box->defaultButton()->click();
      }
    }
  });
  EXPECT_EQ(provider.ShowMessageBox(nullptr, "Really?", "Question", MB_YESNO | MB_DEFBUTTON2),
            IDNO);
}

TEST(ScreenProvider, ScriptedMetricsCursorAndGrabs) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CYCAPTION, 25);
  screen.bitsPerPixel = 8;
  screen.cursor = {300, 200};
  screen.picture = QImage(100, 100, QImage::Format_RGB32);
  screen.picture.fill(qRgb(1, 2, 3));
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 25);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), StandardFrameMetric(SM_CXVSCROLL));
  EXPECT_EQ(ScreenBitsPerPixel(), 8);
  POINT cursor;
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, 300);
  EXPECT_FALSE(GetCursorPos(nullptr));
  const QImage grab = GrabScreen({10, 10, 30, 20});
  ASSERT_EQ(screen.grabs.size(), 1u);
  EXPECT_EQ(grab.width(), 20);
  EXPECT_EQ(grab.height(), 10);
  EXPECT_EQ(grab.pixel(0, 0), qRgb(1, 2, 3));
  EXPECT_TRUE(GrabScreen({10, 10, 5, 5}).isNull()) << "an empty rectangle grabs nothing";
}

TEST(ScreenProvider, QtProviderKnowsTheScreen) {
  test_kit::EnsureApplication();
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
  EXPECT_GT(ScreenBitsPerPixel(), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), StandardFrameMetric(SM_CYCAPTION));
}
