// The Object page in a folder of its own that plays the synthesis folder: the type list at
// an infinite and a finite object, types that cannot be made, the unit buttons keeping the
// image-side size, the space buttons, a new distance of a finite object (moved by hand
// geometry, one undo step that Undo takes back, nothing for an untouched box), the size
// test of leaving and of "Color map", the disc and the bar targets made from their boxes,
// and the colour map and 3-D plot of an object.

#include "synthesis/objects/tests/object_page_fixture.h"

using namespace object_page_test;

TEST_F(ObjectPage, TheListNamesFourTypesAtInfinityAndStartsOnTheRadialMira) {
  OpenOn("cooke_triplet.os");
  ASSERT_NE(List(), nullptr);
  ASSERT_EQ(List()->GetCount(), 4);
  EXPECT_EQ(List()->GetString(0), "Disk");
  EXPECT_EQ(List()->GetString(1), "Radial mira");
  EXPECT_EQ(List()->GetString(2), "Square mira");
  EXPECT_EQ(List()->GetString(3), "Custom");
  EXPECT_EQ(page->CurrentTypeIndex(), kObjectRadialMira);
  EXPECT_EQ(page->CurrentObject(), static_cast<TTestObject *>(page->RadialMira()));
  EXPECT_TRUE(page->RadialMira()->IsWindowVisible());
  EXPECT_FALSE(page->DiffractionPoint()->IsWindowVisible());
  EXPECT_EQ(page->GetWindowText(), "Test-object parent");
  // Set up in object space, at infinity every unit can be chosen.
  EXPECT_EQ(image.ObjectSpaceCheck, 1);
  EXPECT_TRUE(Checked(kObjectSpaceRadio));
  EXPECT_TRUE(Enabled(kUnitMinutesRadio));
  EXPECT_TRUE(Enabled(kUnitDegreesRadio));
  EXPECT_EQ(page->RadialMira()->owner, page->GetHandle());
}

TEST_F(ObjectPage, AFiniteObjectListsTheLightSourceAndFixesTheUnitToMetres) {
  OpenOn("cooke_triplet.os", true);
  ASSERT_EQ(List()->GetCount(), 5);
  EXPECT_EQ(List()->GetString(4), "Light source");
  EXPECT_EQ(image.UnitBtn, kUnitMetres);
  EXPECT_TRUE(Checked(kUnitMetresRadio));
  EXPECT_FALSE(Enabled(kUnitMinutesRadio));
  EXPECT_FALSE(Enabled(kUnitDegreesRadio));
  // The distance box shows surface 1's distance from the object surface.
  EXPECT_APPROX(Shown(kObjectDistanceEdit), ObjectDistanceOf(system), kShownTolerance);
}

TEST_F(ObjectPage, LensArraysStartOnTheDiskInImageSpace) {
  OpenOn("lens_array.os");
  ASSERT_NE(system.HasRasterZones(), 0);
  EXPECT_EQ(page->currentType, kObjectDisk);
  EXPECT_EQ(page->CurrentTypeIndex(), kObjectDisk);
  EXPECT_EQ(image.ObjectSpaceCheck, 0);
  EXPECT_FALSE(Enabled(kObjectSpaceRadio));
  EXPECT_TRUE(Checked(kImageSpaceRadio));
  // A finite image: lengths, not angles.
  EXPECT_TRUE(Enabled(kUnitMetresRadio));
  EXPECT_FALSE(Enabled(kUnitMinutesRadio));
}

TEST_F(ObjectPage, ChoosingATypeShowsItsDialogAndTellsTheFolder) {
  OpenOn("cooke_triplet.os");
  folder->psfPage->SetPageEnabled(0);
  page->RadialMira()->state = kSpectraWritten;
  page->SquareMira()->state = kSpectraWritten;
  Choose(kObjectSquareMira);
  EXPECT_EQ(page->currentType, kObjectSquareMira);
  EXPECT_TRUE(page->SquareMira()->IsWindowVisible());
  EXPECT_FALSE(page->RadialMira()->IsWindowVisible());
  EXPECT_EQ(page->SquareMira()->state, kNothingComputed);
  EXPECT_EQ(page->RadialMira()->state, kSpectraWritten);
  EXPECT_EQ(folder->typeChanges, 1);
  EXPECT_EQ(folder->viewButtons, 1);
  EXPECT_EQ(folder->psfPage->IsPageEnabled(), 1);
  // The same choice again changes nothing.
  Choose(kObjectSquareMira);
  EXPECT_EQ(folder->typeChanges, 1);
  // While a computation runs the choice only beeps.
  folder->computing = true;
  const std::size_t beeps = Boxes().beeps.size();
  Choose(kObjectDisk);
  EXPECT_EQ(Boxes().beeps.size(), beeps + 1);
  EXPECT_EQ(page->currentType, kObjectSquareMira);
}

TEST_F(ObjectPage, UnitButtonsConvertTheSizeAndKeepItsImage) {
  OpenOn("cooke_triplet.os");
  Click(kImageSpaceRadio);
  EXPECT_EQ(image.ObjectSpaceCheck, 0);
  Click(kUnitMinutesRadio);
  Type(kObjectSizeEdit, "30");
  page->ReadObjectSize();
  EXPECT_APPROX(image.ObjectSize, 30.0, kShownTolerance);
  EXPECT_APPROX(image.fieldSize, 15.0, kShownTolerance);  // 0.5 mm a minute
  EXPECT_APPROX(image.pixelSize, 15.0 / 64 / 0.8, kShownTolerance);
  Click(kUnitDegreesRadio);
  EXPECT_EQ(image.UnitBtn, kUnitDegrees);
  EXPECT_APPROX(Shown(kObjectSizeEdit), 0.5, kShownTolerance);  // 30 minutes
  EXPECT_APPROX(image.fieldSize, 15.0, kShownTolerance);
  EXPECT_TRUE(Checked(kUnitDegreesRadio));
  EXPECT_FALSE(Checked(kUnitMinutesRadio));
  Click(kUnitMetresRadio);
  EXPECT_APPROX(Shown(kObjectSizeEdit), 1.5, kShownTolerance);  // 10 mm a metre
  EXPECT_APPROX(image.fieldSize, 15.0, kShownTolerance);
}

TEST_F(ObjectPage, ImageSpaceAtAnInfiniteImageTurnsMetresIntoMinutes) {
  // An object at infinity, and one at a finite distance: its image at infinity has an
  // angular field too.
  for (const bool finiteObject : {false, true}) {
    SCOPED_TRACE(finiteObject);
    if (finiteObject) folder.reset();
    OpenOn("prism.os", finiteObject);
    ASSERT_EQ(system.info.ImageFinite, 0);
    Click(kUnitMetresRadio);
    Type(kObjectSizeEdit, "2");
    Click(kObjectSpaceRadio);
    EXPECT_EQ(image.ObjectSpaceCheck, 1);
    EXPECT_APPROX(image.fieldSize, 20.0, kShownTolerance);
    Click(kImageSpaceRadio);
    EXPECT_EQ(image.ObjectSpaceCheck, 0);
    EXPECT_EQ(image.UnitBtn, kUnitMinutes);
    EXPECT_TRUE(Checked(kUnitMinutesRadio));
    EXPECT_FALSE(Enabled(kUnitMetresRadio));
    EXPECT_APPROX(Shown(kObjectSizeEdit), 40.0, kShownTolerance);  // the same 20 mm
    // And back in object space: the same field, a finite object's size in metres again.
    Click(kObjectSpaceRadio);
    EXPECT_APPROX(image.fieldSize, 20.0, kShownTolerance);
    if (finiteObject) {
      EXPECT_EQ(image.UnitBtn, kUnitMetres);
      EXPECT_APPROX(Shown(kObjectSizeEdit), 2.0, kShownTolerance);
    }
  }
}

TEST_F(ObjectPage, ANewDistanceMovesTheSystemWithOneUndoStepThatUndoTakesBack) {
  OpenOn("cooke_triplet.os", true);
  const int last = system.SurfaceCount() - 1;
  const DPOINT3 first = system.GetSurfacePosition(1, 0, 1);
  const DPOINT3 end = system.GetSurfacePosition(last, 0, 1);
  const DPOINT3 object = system.GetSurfacePosition(0, 0, 1);
  const double before = ObjectDistanceOf(system);
  // An untouched box moves nothing and records nothing.
  page->ReadObjectSize();
  EXPECT_EQ(folder->distanceChanges, 0);
  EXPECT_TRUE(folder->undoSteps.empty());
  EXPECT_EQ(folder->refreshes, 0);
  // While a lens or beam run holds the system the move is refused with a word: the run's
  // end would take it back.
  Type(kObjectDistanceEdit, "0.5");
  system.options.beamAnimationRunning = 1;
  EXPECT_EQ(page->ReadObjectSize(), 0);
  system.options.beamAnimationRunning = 0;
  ASSERT_FALSE(Boxes().boxes.empty());
  EXPECT_EQ(Boxes().boxes.back().text, "You should complete animated process!");
  EXPECT_EQ(system.GetSurfacePosition(1, 0, 1).x, first.x);
  EXPECT_TRUE(folder->undoSteps.empty());
  EXPECT_APPROX(Shown(kObjectDistanceEdit), before, kShownTolerance);

  Type(kObjectDistanceEdit, "0.5");
  page->ReadObjectSize();
  EXPECT_APPROX(image.Distance, 0.5, kPlaceTolerance);
  EXPECT_APPROX(ObjectDistanceOf(system), 0.5, kPlaceTolerance);
  // Along the axis from the object surface: every later surface by the same length.
  const double shift = 500.0 - (first.x - object.x);
  EXPECT_APPROX(system.GetSurfacePosition(1, 0, 1).x, first.x + shift, kPlaceTolerance);
  EXPECT_APPROX(system.GetSurfacePosition(last, 0, 1).x, end.x + shift, kPlaceTolerance);
  EXPECT_APPROX(system.GetSurfacePosition(last, 0, 1).y, end.y, kPlaceTolerance);
  EXPECT_EQ(folder->distanceChanges, 1);
  ASSERT_EQ(folder->undoSteps.size(), 1u);
  EXPECT_EQ(folder->undoSteps[0], "Change object distance");
  EXPECT_EQ(system.UndoMenuText(), "Undo Change object distance (ctrl-Z)");
  EXPECT_EQ(folder->refreshes, 1);

  ASSERT_EQ(system.Undo(-1), 1);
  EXPECT_APPROX(ObjectDistanceOf(system), before, kPlaceTolerance);
  EXPECT_APPROX(system.GetSurfacePosition(last, 0, 1).x, end.x, kPlaceTolerance);
  // The step holds the moved system.
  ASSERT_EQ(system.Redo(), 1);
  EXPECT_APPROX(ObjectDistanceOf(system), 0.5, kPlaceTolerance);
}

TEST_F(ObjectPage, TheDistanceBoxRoundingNeverMovesTheSystemAndNegativesAreRefused) {
  OpenOn("cooke_triplet.os", true);
  // A distance the box cannot show in six digits.
  ASSERT_EQ(PlaceObjectAt(system, 0.123456789), 1);
  page->ShowObjectSize();
  Type(kObjectSizeEdit, "0.5");
  const DPOINT3 first = system.GetSurfacePosition(1, 0, 1);
  EXPECT_EQ(page->LeavePage(), 1);
  EXPECT_EQ(system.GetSurfacePosition(1, 0, 1).x, first.x);
  EXPECT_EQ(image.Distance, ObjectDistanceOf(system));
  EXPECT_TRUE(folder->undoSteps.empty());

  const std::size_t boxes = Boxes().boxes.size();
  Type(kObjectDistanceEdit, "-2");
  page->ReadObjectSize();
  ASSERT_EQ(Boxes().boxes.size(), boxes + 1);
  EXPECT_EQ(Boxes().boxes.back().text, "Parameter 'Distance' can not be negative!");
  EXPECT_EQ(system.GetSurfacePosition(1, 0, 1).x, first.x);
  EXPECT_TRUE(folder->undoSteps.empty());
  EXPECT_APPROX(Shown(kObjectDistanceEdit), 0.123457, kShownTolerance);
}

TEST_F(ObjectPage, AZeroSizeIsRefusedAndKeepsThePageAndTheColourMapAway) {
  OpenOn("cooke_triplet.os");
  Type(kObjectSizeEdit, "0.25");
  EXPECT_EQ(page->LeavePage(), 1);
  // A size of 0 is refused, not replaced: the box shows the size kept.
  Type(kObjectSizeEdit, "0");
  const std::size_t boxes = Boxes().boxes.size();
  EXPECT_EQ(page->LeavePage(), 0);
  ASSERT_EQ(Boxes().boxes.size(), boxes + 1);
  EXPECT_EQ(Boxes().boxes.back().text, "Parameter 'Size' can not be 0!");
  EXPECT_EQ(Boxes().boxes.back().caption, "Warning");
  EXPECT_APPROX(Shown(kObjectSizeEdit), 0.25, kShownTolerance);
  EXPECT_APPROX(image.ObjectSize, 0.25, kShownTolerance);
  Type(kObjectSizeEdit, "0");
  Press(kObjectColorMapButton);
  EXPECT_EQ(Boxes().boxes.size(), boxes + 2);
  EXPECT_EQ(image.picture, nullptr);
  Type(kObjectSizeEdit, "0.5");
  EXPECT_EQ(page->LeavePage(), 1);
  EXPECT_APPROX(image.fieldSize, 5.0, kShownTolerance);
}

TEST_F(ObjectPage, TheDiskTakesItsDiameterFromTheSizeBoxAndTheObjectSizeFromItsField) {
  OpenOn("cooke_triplet.os");
  Click(kImageSpaceRadio);
  Click(kUnitMetresRadio);
  Choose(kObjectDisk);
  ASSERT_EQ(page->currentType, kObjectDisk);
  // The raster spans 0.64 m of object, 6.4 mm of image at 0.1 mm a cell; the disc 0.1 m
  // across is 1 mm, 10 cells: the 81 cells within 5 of the centre.
  page->DiffractionPoint()->SetDlgItemText(kDiffractionFieldEdit, "0.64");
  Type(kObjectSizeEdit, "0.1");
  page->ReadObjectSize();
  EXPECT_APPROX(image.ObjectSize, 0.64, kShownTolerance);
  EXPECT_APPROX(image.fieldSize, 6.4, kShownTolerance);
  EXPECT_APPROX(image.pixelSize, 0.1, kShownTolerance);
  EXPECT_APPROX(page->DiffractionPoint()->diameter, 1.0, kShownTolerance);
  ASSERT_EQ(page->DiffractionPoint()->Calculate(), 1);
  Mem<float> raster;
  ASSERT_EQ(page->DiffractionPoint()->rasterFiles.data[0].Read(raster), 1);
  double sum = 0.0;
  for (int k = 0; k < raster.cols * raster.rows; ++k) sum += raster.data[k];
  EXPECT_EQ(sum, 81.0);
  EXPECT_EQ(raster.data[32 * 64 + 37], 1.0f);
  EXPECT_EQ(page->DiffractionPoint()->rasterFiles.data[0].fileName, Scratch("tmp/obj.img"));
  EXPECT_EQ(page->DiffractionPoint()->frameFiles.data[0].fileName, Scratch("tmp/obj.spc"));
  EXPECT_EQ(page->DiffractionPoint()->frameFiles.data[0].width, 64);
  // The unit label follows the object-size unit.
  char label[16];
  page->DiffractionPoint()->GetDlgItemText(kDiffractionUnitLabel, label, sizeof label);
  EXPECT_STREQ(label, "(m)");
  // A diameter of 0 is refused and the disc keeps its diameter.
  Type(kObjectSizeEdit, "0");
  EXPECT_EQ(page->ReadObjectSize(), 0);
  EXPECT_EQ(Boxes().boxes.back().text, "Parameter 'Size' can not be 0!");
  EXPECT_APPROX(page->DiffractionPoint()->diameter, 1.0, kShownTolerance);
  EXPECT_APPROX(Shown(kObjectSizeEdit), 0.1, kShownTolerance);
  // So is a field of 0, by its own name.
  page->DiffractionPoint()->SetDlgItemText(kDiffractionFieldEdit, "0");
  EXPECT_EQ(page->ReadObjectSize(), 0);
  EXPECT_EQ(Boxes().boxes.back().text, "Parameter 'Field' can not be 0!");
  EXPECT_APPROX(image.ObjectSize, 0.64, kShownTolerance);
}

TEST_F(ObjectPage, BarTargetsRefuseCountsBelowOneAndDrawFromTheirBoxes) {
  OpenOn("cooke_triplet.os");
  TRadialMira *radial = page->RadialMira();
  EXPECT_APPROX(Shown(kObjectSizeEdit), image.ObjectSize, kShownTolerance);
  // No strokes is refused by the field's name; the box shows the count kept.
  radial->SetDlgItemText(kRadialStrokesEdit, "0");
  EXPECT_EQ(page->ReadObjectSize(), 0);
  EXPECT_EQ(Boxes().boxes.back().text, "Parameter 'N strokes' can not be 0!");
  EXPECT_EQ(radial->strokes, 20);
  EXPECT_EQ(DoubleFromControl(radial->GetDlgItem(kRadialStrokesEdit)), 20.0);
  radial->state = kSpectraWritten;
  radial->SetDlgItemText(kRadialStrokesEdit, "1");
  ASSERT_EQ(radial->Calculate(), 1);
  EXPECT_EQ(radial->strokes, 1);
  EXPECT_EQ(DoubleFromControl(radial->GetDlgItem(kRadialStrokesEdit)), 1.0);
  Mem<float> raster;
  ASSERT_EQ(radial->rasterFiles.data[0].Read(raster), 1);
  // One stroke: the right half of the star is bright, the left dark.
  EXPECT_EQ(raster.data[32 * 64 + 32 + 20], 1.0f);
  EXPECT_EQ(raster.data[32 * 64 + 32 - 20], 0.0f);

  Choose(kObjectSquareMira);
  TSquareMira *square = page->SquareMira();
  EXPECT_EQ(square->groups, 1);
  EXPECT_EQ(square->strokesMin, 10);
  const std::size_t boxes = Boxes().boxes.size();
  square->SetDlgItemText(kSquareGroupsEdit, "-1");
  square->SetDlgItemText(kSquareStrokesMinEdit, "8");
  square->SetDlgItemText(kSquareStrokesMaxEdit, "4");
  EXPECT_EQ(square->ReadParameters(), 0);
  // One message, for the first box refused.
  ASSERT_EQ(Boxes().boxes.size(), boxes + 1);
  EXPECT_EQ(Boxes().boxes.back().text, "Parameter 'N group in row' can not be negative!");
  EXPECT_EQ(square->groups, 1);
  EXPECT_EQ(square->strokesMax, 8);
  EXPECT_EQ(DoubleFromControl(square->GetDlgItem(kSquareStrokesMaxEdit)), 8.0);
  square->SetDlgItemText(kSquareStrokesMaxEdit, "4");
  EXPECT_EQ(square->ReadParameters(), 0);
  EXPECT_EQ(Boxes().boxes.back().text, "Parameter 'N strokes max' can not be less than 'N strokes min'!");
  square->state = kNothingComputed;
  ASSERT_EQ(square->Calculate(), 1);
  ASSERT_EQ(square->plane.cols, 64);
  // N = 64: group side 51, quadrant 25, margin 6; bars 51 x 0.25 / 8 = 1.59 -> 2 cells.
  EXPECT_EQ(square->plane.data[10 * 64 + 6 + 1], 0.0f);
  EXPECT_EQ(square->plane.data[10 * 64 + 6 + 2], 1.0f);
  EXPECT_EQ(square->plane.data[10 * 64 + 6 + 4], 0.0f);
  EXPECT_EQ(square->plane.data[10 * 64 + 5], 0.0f);
  image.objectStep = 1.0;
  EXPECT_EQ(square->ValueAt(0, -24.0, 22.0), 1.0);  // column 8, row 10
}

TEST_F(ObjectPage, ColourMapAndPlotShowTheChosenObject) {
  OpenOn("cooke_triplet.os");
  Type(kObjectSizeEdit, "0.64");
  Press(kObjectColorMapButton);
  ASSERT_NE(image.picture, nullptr);
  EXPECT_EQ(image.picture->Title(), "Image: Radial mira");
  EXPECT_EQ(image.picture->GetParent(), folder->GetHandle());
  // The picture shows the 64 cells at 4 pixels each, rows downwards, smoothed between the
  // cells' centres at 4 c, 4 r, with axes through the centre. 20 cells right of the centre
  // the bright sector about angle 0 spans rows 31 .. 33 (|dy| <= 20 tan 4.5 degrees =
  // 1.57), the dark one about 9 degrees row 29; outside the star (radius 25.6 cells) all is
  // dark.
  const COLORREF bright = test_kit::ClientPixel(*image.picture, 4 * 52, 4 * 33);
  const COLORREF dark = test_kit::ClientPixel(*image.picture, 4 * 52, 4 * 29);
  const COLORREF outside = test_kit::ClientPixel(*image.picture, 4 * 2, 4 * 60);
  EXPECT_EQ(bright, RGB(255, 255, 255));
  EXPECT_EQ(dark, outside);
  EXPECT_NE(bright, dark);
  delete image.picture;
  image.picture = nullptr;
  const std::size_t children = folder->GetChildren().size();
  folder->computing = true;
  Press(kObject3DPlotButton);
  EXPECT_EQ(folder->GetChildren().size(), children);
  folder->computing = false;
  Press(kObject3DPlotButton);
  ASSERT_EQ(folder->GetChildren().size(), children + 1);
  auto *plot = dynamic_cast<TGraphics3D *>(folder->GetChildren().back());
  ASSERT_NE(plot, nullptr);
  EXPECT_EQ(plot->GetWindowText(), "Image: Radial mira");
}

TEST_F(ObjectPage, ARasterThatCannotBeWrittenIsNeverShownFromAnOlderFile) {
  OpenOn("cooke_triplet.os");
  Type(kObjectSizeEdit, "0.64");
  Press(kObjectColorMapButton);
  ASSERT_NE(image.picture, nullptr);
  delete image.picture;
  image.picture = nullptr;
  // A new stroke count with nowhere to write its raster: the old "obj.img" is not shown.
  page->RadialMira()->SetDlgItemText(kRadialStrokesEdit, "7");
  const std::string writable = TempDir();
  SetTempDir(Scratch("missing/folder"));
  const std::size_t boxes = Boxes().boxes.size();
  Press(kObjectColorMapButton);
  SetTempDir(writable);
  EXPECT_EQ(image.picture, nullptr);
  ASSERT_EQ(Boxes().boxes.size(), boxes + 1);
  EXPECT_EQ(Boxes().boxes.back().text, "Not enougn information!");
  EXPECT_EQ(page->RadialMira()->strokes, 7);
}

TEST_F(ObjectPage, TheDiskWithoutAnyObjectSizeKeepsAFiniteDiameter) {
  OpenOn("cooke_triplet.os");
  Choose(kObjectDisk);
  image.pixelSize = 0.0;
  image.fieldSize = 0.0;
  image.ObjectSize = 0.0;
  page->DiffractionPoint()->SetDlgItemText(kDiffractionFieldEdit, "0");
  Type(kObjectSizeEdit, "0.1");
  page->ReadObjectSize();
  // Nothing to scale the typed diameter by: it is the default, a tenth of the (empty)
  // raster side, never a division by zero.
  EXPECT_EQ(page->DiffractionPoint()->diameter, 0.0);
  ASSERT_EQ(page->DiffractionPoint()->Calculate(), 1);
  Mem<float> raster;
  ASSERT_EQ(page->DiffractionPoint()->rasterFiles.data[0].Read(raster), 1);
  double sum = 0.0;
  for (int k = 0; k < raster.cols * raster.rows; ++k) sum += raster.data[k];
  EXPECT_EQ(sum, 1.0);  // the point alone
}

TEST_F(ObjectPage, EnterAndEscapeInAnObjectBoxCloseNothing) {
  OpenOn("cooke_triplet.os");
  TRadialMira *radial = page->RadialMira();
  TWindow *edit = radial->ChildWithId(kRadialStrokesEdit);
  ASSERT_NE(edit, nullptr);
  radial->SetDlgItemText(kRadialStrokesEdit, "");
  radial->FocusItem(edit->GetHandle());
  test_kit::PostText(*edit, "12");
  test_kit::PostKey(*edit, VK_RETURN);
  test_kit::PostKey(*edit, VK_ESCAPE);
  test_kit::RunFor(50);
  radial->SendMessage(WM_COMMAND, IDOK, 0);
  radial->SendMessage(WM_COMMAND, IDCANCEL, 0);
  test_kit::RunFor(20);
  ASSERT_NE(radial->GetHandle(), nullptr);
  EXPECT_TRUE(radial->IsWindowVisible());
  ASSERT_NE(folder->GetHandle(), nullptr);
  ASSERT_EQ(radial->ReadParameters(), 1);
  EXPECT_EQ(radial->strokes, 12);
}

TEST_F(ObjectPage, APageWithoutItsWindowKeepsTheRecordsDistance) {
  Open(system, "cooke_triplet.os");
  TObjectTestFolder unshown(&system);
  image.Distance = 5.0;
  image.ObjectSize = 0.5;
  unshown.page->ReadObjectSize();
  EXPECT_EQ(image.Distance, 5.0);
  EXPECT_EQ(image.ObjectSize, 0.5);
  EXPECT_APPROX(image.fieldSize, 5.0, kShownTolerance);  // the folder got the size
}
