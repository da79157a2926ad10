#pragma once
// Shared set-up of the page-model tests: an example loaded as the editor has it (its first
// undo step written), the system saved to compare files byte for byte, every cell of a page
// compared after Save and Open, and the hit of a ray on a surface.

#include <cmath>
#include <string>

#include "document/system/tests/editor_test_support.h"
#include "editor/properties/grid_page_model.h"
#include "foundation/numerics/pi.h"

constexpr double kTestDegree = kPi / 180.0;

class PageModelTest : public EditorTest {
 protected:
  void Load(const std::string &example) {
    Open(image, example);
    image.RebuildElements(nullptr);
    image.StoreConfiguration(-1);
    image.DeleteUndoFiles();
    ASSERT_EQ(image.SaveUndo(""), 1);
  }
  std::string Saved() {
    EXPECT_EQ(image.Save(Scratch("saved.os")), 1);
    return ReadText(Scratch("saved.os"));
  }
  // Every cell of the model equal in the system saved and opened again.
  void ExpectKeptBySaveAndOpen(const TGridPageModel &model) {
    Saved();
    TSystemImage reopened;
    ASSERT_EQ(reopened.Load(Scratch("saved.os"), 2), 1);
    reopened.Update();
    const int rows = static_cast<int>(model.RowCaptions(image).size());
    ASSERT_EQ(static_cast<int>(model.RowCaptions(reopened).size()), rows);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < static_cast<int>(model.ColumnCaptions().size()); ++c)
        EXPECT_EQ(model.CellText(reopened, r, c), model.CellText(image, r, c)) << r << ", " << c;
  }
  // The hit on surface i of a ray from (-1, y) at the angle to the axis (the point and the
  // direction leaving it); false when the ray does not get there. result: the trace's.
  bool Hit(double y, double angle, int i, TIntersectionPoint &out, int *result = nullptr) {
    TCurrentRay ray = RayAlong(-1.0, y, 0.0, std::cos(angle), std::sin(angle), 0.0);
    Mem<TIntersectionPoint> hits;
    const int traced = image.TraceRay(ray, -1, &hits, 0);
    if (result != nullptr) *result = traced;
    if (hits.cols * hits.rows <= i) return false;
    out = hits.data[i];
    return true;
  }
  TSystemImage image;
};
