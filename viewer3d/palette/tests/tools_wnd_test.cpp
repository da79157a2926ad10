// The tool palette window alone: its first place by its parent, its commands handed to
// its owner, and its owner told when it is closed and when it goes.

#include "viewer3d/palette/tools_wnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/windows/test_kit.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

// An owner that records what the palette tells it and the commands it gets.
class TRecordingOwner : public TWindow, public TPaletteOwner {
 public:
  TRecordingOwner() : TWindow(nullptr, "owner") {}
  TWindow &PaletteCommandTarget() override { return *this; }
  void PaletteClosedByUser(TToolsWnd &) override { ++closed; }
  void PaletteGone(TToolsWnd &) override { ++gone; }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND) commands.push_back(static_cast<int>(LOWORD(wParam)));
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int closed = 0;
  int gone = 0;
  std::vector<int> commands;
};

TToolBox *Box() {
  RegisterViewerResources();
  auto *box = new TToolBox(nullptr, 2);
  for (int k = 0; k < 6; ++k) box->Insert(*new TButtonGadget(TResId(CM_ROTATE_X_PLUS + k), CM_ROTATE_X_PLUS + k, TButtonGadget::Command, true));
  return box;
}

TEST(ToolsWnd, StandsByItsParentSendsItsCommandsOnAndTellsItsOwner) {
  test_kit::EnsureApplication();
  TRecordingOwner owner;
  TFrameWindow parent(nullptr, "parent");
  parent.Attr.X = 200, parent.Attr.Y = 100, parent.Attr.W = 500, parent.Attr.H = 300;
  ASSERT_TRUE(parent.Create());
  auto *palette = new TToolsWnd(&parent, "", Box(), &owner);
  ASSERT_TRUE(palette->Create());
  const RECT parentRect = parent.GetWindowRect();
  EXPECT_EQ(palette->GetWindowRect().left, parentRect.right - kPaletteRightInset);
  EXPECT_EQ(palette->GetWindowRect().top, parentRect.top + kPaletteTopInset);
  // Shrunk to its buttons: a grid of two by three.
  SIZE box{};
  palette->Box()->GetDesiredSize(box);
  EXPECT_EQ(palette->GetClientRect().Width(), box.cx);
  // A click on the first button reaches the owner, not the parent.
  const RECT first = palette->Box()->FirstGadget()->GetBounds();
  const POINT inside{(first.left + first.right) / 2, (first.top + first.bottom) / 2};
  test_kit::PostMouse(*palette->Box(), WM_LBUTTONDOWN, inside, MK_LBUTTON);
  test_kit::PostMouse(*palette->Box(), WM_LBUTTONUP, inside);
  test_kit::RunUntil([&] { return !owner.commands.empty(); });
  ASSERT_EQ(owner.commands.size(), 1u);
  EXPECT_EQ(owner.commands[0], CM_ROTATE_X_PLUS);
  // Moved, then closed: its place is kept in the object, the owner told.
  palette->SetWindowPos(nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  palette->SendMessage(WM_CLOSE);
  EXPECT_EQ(owner.closed, 1);
  EXPECT_FALSE(palette->IsWindow());
  EXPECT_EQ(palette->Place().x, 40);
  EXPECT_EQ(palette->Place().y, 50);
  delete palette;
  EXPECT_EQ(owner.gone, 1);
  // A palette given a place takes it.
  auto *again = new TToolsWnd(&parent, "", Box(), &owner, POINT{60, 70});
  ASSERT_TRUE(again->Create());
  EXPECT_EQ(again->GetWindowRect().left, 60);
  EXPECT_EQ(again->GetWindowRect().top, 70);
  delete again;
  EXPECT_EQ(owner.gone, 2);
}

}  // namespace
