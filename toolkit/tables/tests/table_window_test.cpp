// The table frame: layout of headers and grid, the corner box, headers kept in step with
// the grid's scrolling, and the header strips' painting.

#include "toolkit/tables/table_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kPlaceholder = 600;

const TDialogTemplate kFrameTestDlg{"TableFrameTestDlg", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 120, "Frame",
                                    {
                                        {"STATIC", "", kPlaceholder, SS_LEFT, 8, 8, 150, 80},
                                    }};
const TDialogRegistration kFrameTestRegistration(kFrameTestDlg);

class TableWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    dialog = std::make_unique<TDialog>(nullptr, "TableFrameTestDlg");
    ASSERT_TRUE(dialog->Create());
    table = new TTableWindow(dialog.get(), kPlaceholder, 3, 12, new TFont("Arial", -11));
    ASSERT_TRUE(table->Create());
    test_kit::RunFor(20);
  }
  void TearDown() override { dialog.reset(); }
  RECT InTable(TWindow &child) {
    const RECT screen = child.GetWindowRect();
    POINT corner{screen.left, screen.top};
    table->ScreenToClient(corner);
    return {corner.x, corner.y, corner.x + (screen.right - screen.left), corner.y + (screen.bottom - screen.top)};
  }
  std::unique_ptr<TDialog> dialog;
  TTableWindow *table = nullptr;
};

TEST_F(TableWindowTest, WithoutHeaderSizesTheGridFillsTheTableAndNoCornerIsPainted) {
  const RECT grid = InTable(*table->Grid());
  EXPECT_EQ(grid.left, 0);
  EXPECT_EQ(grid.top, 0);
  EXPECT_EQ(grid.right, table->GetClientRect().right);
  table->Invalidate();
  table->UpdateWindow();
  // No corner box: the table's own image keeps its background at the corner.
  EXPECT_EQ(test_kit::ClientPixel(*table, 0, 0), table->GetBkgndColor());
}

TEST_F(TableWindowTest, HeadersFrameTheGridAndFollowItsScrolling) {
  table->SetHeaderHeight(20);
  table->SetRowHeaderWidth(30);
  const RECT grid = InTable(*table->Grid());
  EXPECT_EQ(grid.left, 30);
  EXPECT_EQ(grid.top, 20);
  EXPECT_EQ(InTable(*table->ColumnHeader()).left, 30);
  EXPECT_EQ(InTable(*table->RowHeader()).top, 20);
  EXPECT_EQ(grid.bottom, table->GetClientRect().bottom);
  // The corner box: frame colour at its outer edge, light line inside.
  table->Invalidate();
  table->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*table, 0, 0), table->ColumnHeader()->frameColor);
  EXPECT_EQ(test_kit::ClientPixel(*table, 1, 1), table->ColumnHeader()->lightColor);

  table->Redraw();
  ASSERT_GT(table->Grid()->Scroller->YRange, 0);  // 12 rows of 30 pixels do not fit
  table->Grid()->Scroller->ScrollTo(0, 30);
  EXPECT_EQ(table->RowHeader()->offset, -30);
  EXPECT_EQ(table->ColumnHeader()->offset, 0);
  table->Grid()->Scroller->ScrollTo(0, 0);
  EXPECT_EQ(table->RowHeader()->offset, 0);
}

TEST_F(TableWindowTest, RowAndColumnOperationsKeepCaptionsWithTheirCells) {
  table->RowHeader()->SetCaption(0, "first");
  table->RowHeader()->SetCaption(1, "second");
  table->Grid()->Cells().GetItem(0, 1).text = "x";
  ASSERT_EQ(table->InsertRow(1, "new"), 1);
  EXPECT_EQ(table->RowHeader()->Caption(1), "new");
  EXPECT_EQ(table->RowHeader()->Caption(2), "second");
  EXPECT_EQ(table->Grid()->Cells().GetItem(0, 2).text, "x");
  ASSERT_EQ(table->DeleteRow(0), 1);
  EXPECT_EQ(table->RowHeader()->Caption(0), "new");
  EXPECT_EQ(table->InsertRow(99), 0);
  EXPECT_EQ(table->DeleteColumn(3), 0);
  ASSERT_EQ(table->AppendColumn("D"), 1);
  EXPECT_EQ(table->ColumnHeader()->Caption(3), "D");
  EXPECT_EQ(table->Grid()->Columns(), 4);
  EXPECT_EQ(table->Grid()->GetCellSize(3, 0).cx, kDefaultColumnWidth);
}

TEST_F(TableWindowTest, AHeaderWithoutThicknessPaintsNothingAndAnOffsetScrollsItsCaptions) {
  TTableHeader &header = *table->ColumnHeader();
  const COLORREF before = test_kit::ClientPixel(header, 0, 0);
  header.Invalidate();
  header.UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(header, 0, 0), before);

  table->SetHeaderHeight(20);
  header.offset = 0;
  header.Invalidate();
  header.UpdateWindow();
  // Entry 1 starts at 50: its frame line.
  EXPECT_EQ(test_kit::ClientPixel(header, 50, 5), header.frameColor);
  header.offset = -40;
  header.Invalidate();
  header.UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(header, 10, 5), header.frameColor);
  EXPECT_NE(test_kit::ClientPixel(header, 50, 5), header.frameColor);
}

}  // namespace

namespace {

TEST_F(TableWindowTest, TabIntoAColumnOfAnotherAlignmentRemakesTheEditor) {
  table->Grid()->SetAllAlignment(2);
  ASSERT_EQ(table->AppendColumn("D"), 1);  // centred, the others right-aligned
  table->Grid()->Cells().GetItem(3, 0).text = "new";
  table->Grid()->SetCurrentCell(2, 0);
  TWindow *first = table->Grid()->Editor();
  first->SetFocus();
  ASSERT_TRUE(test_kit::RunUntil([&] { return GetFocus() == first->GetHandle(); }, test_kit::kPatienceMs));
  test_kit::PostKey(*first, VK_TAB);
  ASSERT_TRUE(test_kit::RunUntil([&] { return table->Grid()->CurrentColumn() == 3; }, test_kit::kPatienceMs));
  test_kit::RunFor(20);
  EXPECT_NE(static_cast<TWindow *>(table->Grid()->Editor()), first);
  EXPECT_EQ(table->Grid()->Editor()->GetWindowText(), "new");
  EXPECT_EQ(GetFocus(), table->Grid()->Editor()->GetHandle());
}

}  // namespace
