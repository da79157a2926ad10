#include "document/elements/edit_path.h"
#include "document/system/tests/editor_test_support.h"

namespace {

// The device rectangle of an element's world box, a pixel inside its edges.
RECT InnerRect(const TOpticalElement &element, const TScaleCanvas &canvas) {
  const POINT a = canvas.WorldToDevice(element.extent.x1, element.extent.y2);
  const POINT b = canvas.WorldToDevice(element.extent.x2, element.extent.y1);
  return RECT{a.x + 1, a.y + 1, b.x - 1, b.y - 1};
}

struct TSurfaceCopy {
  double R;
  std::string glass;
  double vertex[3];
};

std::vector<TSurfaceCopy> Copies(const TSystemImage &image, int first, int last) {
  std::vector<TSurfaceCopy> copies;
  for (int i = first; i <= last; ++i) {
    const TGeneralParameters &g = image.Surface(i)->general;
    copies.push_back({g.R, g.glass, {g.vertex[0], g.vertex[1], g.vertex[2]}});
  }
  return copies;
}

using SelectionTest = EditorTest;

TEST_F(SelectionTest, ARectangleMarksTheElementsItMeets) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  EXPECT_EQ(image.SelectInRect(&canvas, InnerRect(image.elements.data[1], canvas)), 1);
  EXPECT_EQ(image.hasSelection, 1);
  EXPECT_EQ(image.selectedElement, 1);
  EXPECT_EQ(image.elements.data[0].mark, 0);
  EXPECT_EQ(image.EditSurface(3)->Marked(), 1);
  // A rectangle far from every surface clears the selection, as the canvas's click does.
  EXPECT_EQ(image.SelectInRect(&canvas, RECT{30000, 30000, 30000, 30000}), 0);
  EXPECT_EQ(image.hasSelection, 0);
  EXPECT_EQ(image.EditSurface(3)->Marked(), 0);
  // A thin rectangle across one surface's profile only selects that surface.
  const POINT top = canvas.WorldToDevice(image.Surface(6)->general.vertex[0], 0.0);
  image.SelectInRect(&canvas, RECT{top.x - 1, top.y - 2, top.x + 1, top.y + 2});
  EXPECT_EQ(image.selectedSurface, 6);
  EXPECT_EQ(image.selectedElement, 2);
}

TEST_F(SelectionTest, CutThenAssignGivesBackTheSelectedElement) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  const std::vector<TSurfaceCopy> middle = Copies(image, 3, 4);
  image.SelectInRect(&canvas, InnerRect(image.elements.data[1], canvas));
  image.SetUnsavedChanges(0);

  TSystemImage clipboard;
  image.CutSelection(clipboard, &canvas);
  ASSERT_EQ(image.SurfaceCount(), 6);
  EXPECT_EQ(image.ElementCount(), 2);
  EXPECT_EQ(image.HasUnsavedChanges(), 1);
  EXPECT_EQ(image.hasSelection, 0);
  ASSERT_EQ(clipboard.SurfaceCount(), 4);  // object, the two faces, image
  EXPECT_EQ(clipboard.ElementCount(), 1);

  TSystemImage pasted;
  pasted.Assign(clipboard, 1);
  ASSERT_EQ(pasted.ElementCount(), 1);
  const TOpticalElement &lens = pasted.elements.data[0];
  ASSERT_EQ(lens.SurfaceCount(), 2);
  for (int k = 0; k < 2; ++k) {
    const TGeneralParameters &g = lens.surfaces.data[k]->general;
    EXPECT_EQ(g.R, middle[k].R) << k;
    EXPECT_EQ(g.glass, middle[k].glass) << k;
    for (int c = 0; c < 3; ++c) EXPECT_EQ(g.vertex[c], middle[k].vertex[c]) << k;
  }
  // The copy holds surfaces of its own.
  EXPECT_NE(static_cast<const TSurface *>(lens.surfaces.data[0]), clipboard.Surface(1));
}

TEST_F(SelectionTest, CopyLeavesTheSystemAndCutWithoutSelectionDoesNothing) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  image.SetUnsavedChanges(0);
  TSystemImage clipboard;
  image.CutSelection(clipboard, &canvas);
  EXPECT_EQ(image.SurfaceCount(), 8);
  EXPECT_EQ(clipboard.SurfaceCount(), 0);
  image.SelectInRect(&canvas, InnerRect(image.elements.data[2], canvas));
  image.CopySelection(clipboard, &canvas);
  EXPECT_EQ(image.SurfaceCount(), 8);
  EXPECT_EQ(image.HasUnsavedChanges(), 0);
  EXPECT_EQ(image.elements.data[2].mark, 1);
  ASSERT_EQ(clipboard.ElementCount(), 1);
  EXPECT_EQ(clipboard.elements.data[0].FirstSurface()->general.R,
            image.Surface(5)->general.R);
}

TEST_F(SelectionTest, DeleteRemovesTheElementsPositionsFromEveryConfiguration) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  image.StoreConfiguration(-1);
  image.InsertConfiguration(0);
  for (int e = 0; e < 3; ++e) {
    TOpticalElement &element = image.elements.data[e];
    element.MoveTo(element.referencePoint.x, element.referencePoint.y + 0.5 * (e + 1),
                   element.referencePoint.z);
  }
  image.StoreConfiguration(-1);
  ASSERT_EQ(image.SelectConfiguration(0), 1);
  const TConfigurationParameters base = image.configurations.data[0];
  const TConfigurationParameters moved = image.configurations.data[1];
  image.SelectInRect(&canvas, InnerRect(image.elements.data[1], canvas));
  image.DeleteSelected(&canvas);
  ASSERT_EQ(image.ElementCount(), 2);
  for (int k = 0; k < 2; ++k) ASSERT_EQ(image.configurations.data[k].positions.cols, 2) << k;
  // The first and the last element keep their entries in both configurations.
  EXPECT_EQ(image.configurations.data[0].positions.data[1].x, base.positions.data[2].x);
  EXPECT_EQ(image.configurations.data[1].positions.data[0].y, moved.positions.data[0].y);
  EXPECT_EQ(image.configurations.data[1].positions.data[1].y, moved.positions.data[2].y);
  ASSERT_EQ(image.SelectConfiguration(1), 1);
  EXPECT_EQ(image.elements.data[1].referencePoint.y,
            base.positions.data[2].y + moved.positions.data[2].y);
}

// The triplet's stop is the negative lens's rear face (surface number 5). Deleting the
// first lens keeps it there, number 3 now, in the system and in both configurations, so
// the chief rays still cross the same face; deleting the negative lens takes the stop with
// it and leaves none in the configurations.
TEST_F(SelectionTest, DeletingSurfacesKeepsTheStopOnTheSameFace) {
  TSystemImage image;
  Open(image, "cooke_triplet.os");
  TScaleCanvas canvas;
  image.RebuildElements(&canvas);
  ASSERT_EQ(image.info.Naper, 5);
  image.StoreConfiguration(-1);
  image.InsertConfiguration(0);
  ASSERT_EQ(image.ConfigurationCount(), 2);
  const TSurface *stop = image.Surface(4);
  image.SelectInRect(&canvas, InnerRect(image.elements.data[0], canvas));
  image.DeleteSelected(&canvas);
  ASSERT_EQ(image.ElementCount(), 2);
  EXPECT_EQ(image.info.Naper, 3);
  EXPECT_EQ(image.Surface(image.info.Naper - 1), stop);
  for (int k = 0; k < 2; ++k) EXPECT_EQ(image.configurations.data[k].Naper, 3) << k;
  ASSERT_EQ(image.SelectConfiguration(0), 1);
  EXPECT_EQ(image.info.Naper, 3);

  image.SelectInRect(&canvas, InnerRect(image.elements.data[0], canvas));
  image.DeleteSelected(&canvas);
  ASSERT_EQ(image.ElementCount(), 1);
  for (int k = 0; k < 2; ++k) EXPECT_EQ(image.configurations.data[k].Naper, 0) << k;
  EXPECT_EQ(image.info.Naper, 0);
  // The pupil solve finds a stop of its own among the surfaces left.
  ASSERT_GE(image.Prepare(0.0, 1, 0), 1);
  EXPECT_GE(image.info.stopIndex, 1);
  EXPECT_LE(image.info.stopIndex, image.SurfaceCount() - 2);
}

}  // namespace
