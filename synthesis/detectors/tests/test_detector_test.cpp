// The Detector page in a folder of its own with a recording owner: the type list and the
// model shown under it, types this program does not have refused, the models' sizes read
// from their edits and cut to the field, their values kept across type changes, the Map
// button's picture of the element, the noise and filter pages, and the shared record.

#include "synthesis/detectors/test_detector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "foundation/testing/approx.h"
#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/tests/recording_windows.h"
#include "imaging/testobject/tests/test_object_support.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/list_box.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/detectors/array_detector_dlgs.h"
#include "synthesis/detectors/detector_noise_dlg.h"
#include "synthesis/detectors/detector_owner.h"
#include "synthesis/detectors/detector_type_dlg.h"
#include "synthesis/detectors/element_detector_dlgs.h"
#include "synthesis/detectors/transformer_detector_dlgs.h"
#include "synthesis/folder/isoplanar_synthesis.h"
#include "toolkit/graph/graph.h"
#include "toolkit/texteditor/o_editor.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr int kSide = 16;
constexpr double kPixel = 0.01;
// The edits show sizes with six significant digits ("%g").
constexpr double kShownTolerance = 1e-6;

const TDialogTemplate kOuterFolderTemplate{"DetectorTestFolder", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 232, 160,
                                           "Image synthesis",
                                           {
                                               {"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 220, 148},
                                           }};
const TDialogRegistration kOuterFolderRegistration(kOuterFolderTemplate);

class TRecordingDetectorOwner final : public TDetectorSynthesisOwner {
 public:
  void DetectorChanged() override { ++changes; }
  bool ImageAtInfinity() override { return atInfinity; }
  int changes = 0;
  bool atInfinity = false;
};

// The image-synthesis folder as the page sees it: the Detector page alone.
class TOuterFolder : public TBookMarkFolder {
 public:
  explicit TOuterFolder(TDetectorSynthesisOwner *owner) : TBookMarkFolder(nullptr, "DetectorTestFolder") {
    page = new TTestDetector(this, owner);
    AddPage(page, " Detector ");
  }
  TTestDetector *page;
};

class DetectorPage : public TestObjectTest {
 protected:
  void SetUp() override {
    TestObjectTest::SetUp();
    test_kit::EnsureApplication();
    UsePixels(kSide, kPixel);
    image.colorImage = new TColorImage();
  }
  void TearDown() override {
    folder.reset();
    TestObjectTest::TearDown();
  }
  void Open() {
    folder = std::make_unique<TOuterFolder>(&owner);
    ASSERT_TRUE(folder->Create());
    test_kit::RunFor(20);
    image.folderWindow = folder->GetHandle();
  }
  TTestDetector &Page() { return *folder->page; }
  TDetectorTypeDlg &TypePage() { return *Page().InnerFolder()->TypePage(); }
  TComboBox &TypeList() { return *dynamic_cast<TComboBox *>(TypePage().ChildWithId(kDetectorTypeList)); }
  // The user picks a type in the list.
  void Pick(int type) {
    TypeList().SetSelIndex(type);
    TypePage().SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | kDetectorTypeList),
                           reinterpret_cast<LPARAM>(TypeList().GetHandle()));
  }
  TDetectorRound &Round() { return *dynamic_cast<TDetectorRound *>(Page().Model(kDetectorRound)); }
  TDetectorRectangle &Rectangle() { return *dynamic_cast<TDetectorRectangle *>(Page().Model(kDetectorRectangle)); }
  TDetectorMatrix &Matrix() { return *dynamic_cast<TDetectorMatrix *>(Page().Model(kDetectorMatrix)); }
  static std::string Text(TWindow &dialog, int id) {
    char text[64] = "";
    GetDlgItemText(dialog.GetHandle(), id, text, sizeof text);
    return text;
  }
  static void Type(TWindow &dialog, int id, const char *text) { SetDlgItemText(dialog.GetHandle(), id, text); }
  static bool Shown(TTestObject *model) {
    auto *window = dynamic_cast<TWindow *>(model);
    return window != nullptr && window->IsWindowVisible();
  }

  TRecordingDetectorOwner owner;
  std::unique_ptr<TOuterFolder> folder;
};

TEST_F(DetectorPage, OpensOnNoDetectorWithTheEightTypesListed) {
  Open();
  ASSERT_NE(GetDetectorParameters(), nullptr);
  EXPECT_EQ(GetDetectorParameters()->detectorType, kDetectorNone);
  const char *expected[] = {"None",        "Round",       "Rectangle",           "Matrix",
                            "Single line", "Double line", "Optical transformer", "Matrix & Transformer"};
  ASSERT_EQ(TypeList().GetCount(), kDetectorTypeCount);
  for (int i = 0; i < kDetectorTypeCount; ++i) EXPECT_EQ(TypeList().GetString(i), expected[i]);
  EXPECT_EQ(TypeList().GetSelIndex(), kDetectorNone);
  EXPECT_EQ(Page().CurrentModel()->name, "None");
  EXPECT_TRUE(Shown(Page().Model(kDetectorNone)));
  EXPECT_FALSE(Shown(Page().Model(kDetectorRound)));
  EXPECT_FALSE(Shown(Page().Model(kDetectorRectangle)));
  // The models start at the pixel size: a round element of p, a square of 2 p.
  EXPECT_EQ(Round().Diameter, static_cast<float>(kPixel));
  EXPECT_EQ(Rectangle().Ly, static_cast<float>(2 * kPixel));
  EXPECT_EQ(Rectangle().Lz, static_cast<float>(2 * kPixel));
  // Type, noise, filter and scanner tabs; the filter tab cannot be chosen, the scanner
  // tab not while there is no detector to scan.
  TTestDetectorFolder &inner = *Page().InnerFolder();
  ASSERT_EQ(inner.PageCount(), 4);
  EXPECT_EQ(inner.Entry(2)->enabled, 0);
  EXPECT_EQ(inner.SelectPage(2), 0);
  EXPECT_EQ(inner.Entry(3)->enabled, 0);
  EXPECT_EQ(inner.SelectPage(3), 0);
  EXPECT_EQ(inner.CurrentPage(), 0);
}

TEST_F(DetectorPage, ChoosingATypeShowsItsModelAndMarksTheImageOutOfDate) {
  Open();
  // The user's road: the list takes the focus and the arrow key picks the next type.
  TypeList().SetFocus();
  test_kit::PostKey(TypeList(), VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return TypePage().CurrentType() == kDetectorRound; }, kWaitMs));
  EXPECT_TRUE(Shown(Page().Model(kDetectorRound)));
  EXPECT_FALSE(Shown(Page().Model(kDetectorNone)));
  EXPECT_EQ(GetDetectorParameters()->detectorType, kDetectorRound);
  EXPECT_EQ(Page().CurrentModel()->name, "Round");
  EXPECT_EQ(owner.changes, 1);
  // The Detector tab's text is red while a detector is chosen.
  EXPECT_EQ(folder->Entry(0)->colors[0], kDetectorChosenTabColor);

  Pick(kDetectorRound);  // the same type again changes nothing
  EXPECT_EQ(owner.changes, 1);
  Pick(kDetectorRectangle);
  EXPECT_TRUE(Shown(Page().Model(kDetectorRectangle)));
  EXPECT_FALSE(Shown(Page().Model(kDetectorRound)));
  EXPECT_EQ(owner.changes, 2);
  Pick(kDetectorNone);
  EXPECT_EQ(folder->Entry(0)->colors[0], 0u);
  EXPECT_EQ(Page().DetectorType(), kDetectorNone);
}

TEST_F(DetectorPage, EveryListedTypeHasItsModelAndOthersAreRefused) {
  Open();
  const char *names[] = {"None",        "Round",       "Rectangle",           "Matrix",
                         "Single line", "Double line", "Optical transformer", "Matrix & Transformer"};
  boxes.boxes.clear();
  for (int type = kDetectorTypeCount - 1; type >= 0; --type) {
    Pick(type);
    EXPECT_EQ(TypeList().GetSelIndex(), type);
    EXPECT_EQ(GetDetectorParameters()->detectorType, type);
    ASSERT_NE(Page().Model(type), nullptr) << type;
    EXPECT_EQ(Page().CurrentModel(), Page().Model(type));
    EXPECT_EQ(Page().CurrentModel()->name, names[type]);
    for (int other = 0; other < kDetectorTypeCount; ++other)
      EXPECT_EQ(Shown(Page().Model(other)), other == type) << type << " " << other;
  }
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(owner.changes, kDetectorTypeCount);  // every pick, down to None, was a change
  // The settings file's road: a type outside the list is no type.
  EXPECT_EQ(Page().ChooseDetectorType(kDetectorRound), 1);
  EXPECT_EQ(Page().ChooseDetectorType(kDetectorTypeCount), 0);
  EXPECT_EQ(Page().ChooseDetectorType(-1), 0);
  EXPECT_EQ(Page().DetectorType(), kDetectorRound);
  EXPECT_EQ(Page().Model(kDetectorTypeCount), nullptr);
}

TEST_F(DetectorPage, TheModelsTakeTheirEditsAndCutSizesToTheField) {
  Open();
  Pick(kDetectorRound);
  Type(Round(), kDetectorFirstSizeEdit, "0.05");
  Round().state = kSpectraWritten;
  EXPECT_EQ(Page().LeavePage(), 1);
  EXPECT_EQ(Round().Diameter, 0.05f);
  EXPECT_EQ(Round().state, kNothingComputed);
  // Above 0.8 N p = 0.128 mm: cut just below, shown, and the page may still be left.
  Type(Round(), kDetectorFirstSizeEdit, "1");
  EXPECT_EQ(Page().LeavePage(), 1);
  const float limit = static_cast<float>(kSide * kPixel * 0.8);
  EXPECT_EQ(Round().Diameter, limit * 0.99999f);
  EXPECT_APPROX(std::stod(Text(Round(), kDetectorFirstSizeEdit)), Round().Diameter, kShownTolerance);

  Pick(kDetectorRectangle);
  Type(Rectangle(), kDetectorFirstSizeEdit, "0.03");
  Type(Rectangle(), kDetectorSecondSizeEdit, "0.5");
  // The model reports its cut; the page does not pass it on.
  EXPECT_EQ(Rectangle().ReadParameters(), 0);
  EXPECT_EQ(Rectangle().Ly, 0.03f);
  EXPECT_EQ(Rectangle().Lz, limit * 0.99999f);
  EXPECT_APPROX(std::stod(Text(Rectangle(), kDetectorSecondSizeEdit)), Rectangle().Lz, kShownTolerance);
  Type(Rectangle(), kDetectorSecondSizeEdit, "0.5");
  EXPECT_EQ(Page().ReadParameters(), 1);
  // "nan" is read as a number but is no size: the side stays.
  Type(Rectangle(), kDetectorFirstSizeEdit, "nan");
  EXPECT_EQ(Page().ReadParameters(), 1);
  EXPECT_EQ(Rectangle().Ly, 0.03f);
  // A negative side would cover nothing: it is refused with a message, both sides stay
  // and the edits show them again.
  boxes.boxes.clear();
  const float keptLz = Rectangle().Lz;
  Type(Rectangle(), kDetectorFirstSizeEdit, "-0.02");
  Type(Rectangle(), kDetectorSecondSizeEdit, "0.04");
  EXPECT_EQ(Rectangle().ReadParameters(), 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, kNegativeSideText);
  EXPECT_EQ(Rectangle().Ly, 0.03f);
  EXPECT_EQ(Rectangle().Lz, keptLz);
  EXPECT_EQ(Text(Rectangle(), kDetectorFirstSizeEdit), "0.03");
}

TEST_F(DetectorPage, AModelKeepsItsValuesWhileAnotherTypeIsShown) {
  Open();
  Pick(kDetectorRound);
  Type(Round(), kDetectorFirstSizeEdit, "0.07");
  Pick(kDetectorRectangle);  // leaving the round model takes its edit
  EXPECT_EQ(Round().Diameter, 0.07f);
  Pick(kDetectorRound);
  EXPECT_EQ(Text(Round(), kDetectorFirstSizeEdit), "0.07");
}

TEST_F(DetectorPage, SizesAreInMilliradiansForAnImageAtInfinity) {
  owner.atInfinity = true;
  Open();
  EXPECT_EQ(Text(Round(), kDetectorUnitLabel), "(mrad)");
  EXPECT_EQ(Text(Rectangle(), kDetectorUnitLabel), "(mrad)");
  folder.reset();
  owner.atInfinity = false;
  Open();
  EXPECT_EQ(Text(Round(), kDetectorUnitLabel), "(mm)");
  EXPECT_EQ(Text(Rectangle(), kDetectorUnitLabel), "(mm)");
}

TEST_F(DetectorPage, MapShowsTheElementAndWarnsWithoutADetector) {
  TRecordingWindows windows;
  Open();
  Pick(kDetectorRectangle);
  Type(Rectangle(), kDetectorFirstSizeEdit, "0.02");
  Type(Rectangle(), kDetectorSecondSizeEdit, "0.04");
  Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_EQ(windows.pictures[0].caption, "Image: Rectangle");
  TFileData reader;
  reader.fileName = Scratch("d_rect.img");
  Mem<float> raster;
  ASSERT_EQ(reader.Read(raster), 1);
  double covered = 0.0;
  for (int k = 0; k < kSide * kSide; ++k) covered += raster.data[k];
  EXPECT_APPROX(covered, 4.0 * 2.0, 1e-5);  // 0.04 mm across = 4 pixels, 0.02 mm down = 2

  Pick(kDetectorNone);
  boxes.boxes.clear();
  Page().SendMessage(WM_COMMAND, kDetector3DPlotButton, 0);
  EXPECT_TRUE(windows.plots.empty());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
}

TEST_F(DetectorPage, TheNoisePageKeepsItsChoiceInTheSharedRecord) {
  Open();
  TTestDetectorFolder &inner = *Page().InnerFolder();
  ASSERT_EQ(inner.SelectPage(1), 1);
  TDetectorNoiseDlg &noise = *inner.NoisePage();
  auto &kinds = *dynamic_cast<TComboBox *>(noise.ChildWithId(kNoiseKindList));
  ASSERT_EQ(kinds.GetCount(), 2);
  EXPECT_EQ(kinds.GetString(0), "None");
  EXPECT_EQ(kinds.GetString(1), "White");
  EXPECT_EQ(kinds.GetSelIndex(), 0);
  kinds.SetSelIndex(1);
  noise.SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | kNoiseKindList),
                    reinterpret_cast<LPARAM>(kinds.GetHandle()));
  EXPECT_EQ(GetDetectorParameters()->noiseKind, kNoiseWhite);  // at once
  // Every change of the noise puts the image out of date, a repeated choice does not.
  const int changes = owner.changes;
  EXPECT_EQ(changes, 1);
  noise.SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | kNoiseKindList),
                    reinterpret_cast<LPARAM>(kinds.GetHandle()));
  EXPECT_EQ(owner.changes, changes);
  Type(noise, kNoiseLevelEdit, "0.1");
  EXPECT_EQ(GetDetectorParameters()->noiseLevel, 0.0f);
  ASSERT_EQ(inner.SelectPage(0), 1);  // leaving the page takes the level
  EXPECT_EQ(GetDetectorParameters()->noiseLevel, 0.1f);
  EXPECT_EQ(owner.changes, changes + 1);
  EXPECT_EQ(Page().ReadParameters(), 1);
  EXPECT_EQ(owner.changes, changes + 1);
  GetDetectorParameters()->noiseLevel = 0.25f;
  EXPECT_EQ(Page().ShowParameters(), 1);
  EXPECT_EQ(Text(noise, kNoiseLevelEdit), "0.25");
}

TEST_F(DetectorPage, TheFilterPageAddsAndRemovesChosenFilters) {
  Open();
  TDetectorFilterDlg &filter = *Page().InnerFolder()->FilterPage();
  auto &typical = *dynamic_cast<TListBox *>(filter.ChildWithId(kTypicalFilterList));
  auto &chosen = *dynamic_cast<TListBox *>(filter.ChildWithId(kChosenFilterList));
  ASSERT_EQ(typical.GetCount(), 3);
  EXPECT_EQ(typical.GetString(2), "Integro-differential");
  filter.CmAddFilter();  // nothing selected: nothing added
  EXPECT_EQ(chosen.GetCount(), 0);
  for (int i = 0; i < 3; ++i) {
    typical.SetSelIndex(i);
    filter.CmAddFilter();
    EXPECT_EQ(chosen.GetSelIndex(), i);
  }
  EXPECT_EQ(chosen.GetString(1), "Differential");
  // Removing the first selects the former second; removing the last, the new last.
  chosen.SetSelIndex(0);
  filter.CmRemoveFilter();
  EXPECT_EQ(chosen.GetCount(), 2);
  EXPECT_EQ(chosen.GetString(chosen.GetSelIndex()), "Differential");
  chosen.SetSelIndex(1);
  filter.CmRemoveFilter();
  EXPECT_EQ(chosen.GetSelIndex(), 0);
  EXPECT_EQ(chosen.GetString(0), "Differential");
}

TEST_F(DetectorPage, ThePageGivesBackOnlyTheRecordItMade) {
  Open();
  ASSERT_NE(GetDetectorParameters(), nullptr);
  folder.reset();
  EXPECT_EQ(GetDetectorParameters(), nullptr);

  // A record that was there before the page stays, with the page's choices in it.
  TDetectorParameters shared;
  shared.detectorType = kDetectorRectangle;
  shared.noiseLevel = 0.5f;
  SetDetectorParameters(&shared);
  Open();
  EXPECT_EQ(Page().DetectorType(), kDetectorRectangle);
  EXPECT_EQ(Text(*Page().InnerFolder()->NoisePage(), kNoiseLevelEdit), "0.5");
  folder.reset();
  EXPECT_EQ(GetDetectorParameters(), &shared);
  SetDetectorParameters(nullptr);

  // A type outside the list in a record starts the page on no detector.
  shared.detectorType = kDetectorTypeCount + 4;
  SetDetectorParameters(&shared);
  Open();
  EXPECT_EQ(Page().DetectorType(), kDetectorNone);
  EXPECT_EQ(shared.detectorType, kDetectorNone);
  folder.reset();
  SetDetectorParameters(nullptr);
}

TEST_F(DetectorPage, TheMatrixTakesItsEditsAndReportsADistanceBelowTheElement) {
  Open();
  Pick(kDetectorMatrix);
  EXPECT_TRUE(Shown(Page().Model(kDetectorMatrix)));
  EXPECT_EQ(Page().CurrentModel()->name, "Matrix");
  EXPECT_EQ(Text(Matrix(), kArrayElementYEdit), "0.02");
  EXPECT_EQ(Text(Matrix(), kArrayDistanceXEdit), "0.02");
  Type(Matrix(), kArrayElementYEdit, "0.03");
  Type(Matrix(), kArrayElementXEdit, "0.02");
  Type(Matrix(), kArrayDistanceYEdit, "0.05");
  Type(Matrix(), kArrayDistanceXEdit, "0.04");
  boxes.boxes.clear();
  EXPECT_EQ(Page().LeavePage(), 1);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(Matrix().Ly, 0.03f);
  EXPECT_EQ(Matrix().dZ0, 0.04f);
  // A distance below its element: the warning, and both distances equal the elements.
  Type(Matrix(), kArrayDistanceYEdit, "0.01");
  EXPECT_EQ(Page().LeavePage(), 1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Gap between elements should be greate or equal 0");
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_EQ(Matrix().dY0, 0.03f);
  EXPECT_EQ(Matrix().dZ0, 0.02f);
  EXPECT_EQ(Text(Matrix(), kArrayDistanceYEdit), "0.03");
  EXPECT_EQ(Text(Matrix(), kArrayDistanceXEdit), "0.02");
  // Half a pixel is raised to a pixel and shown; an element above the field N p is cut
  // and the model reports it, the page does not.
  Type(Matrix(), kArrayElementXEdit, "0.005");
  Type(Matrix(), kArrayElementYEdit, "0.5");
  EXPECT_EQ(Matrix().ReadParameters(), 0);
  EXPECT_EQ(Matrix().Lz, static_cast<float>(kPixel));
  EXPECT_EQ(Text(Matrix(), kArrayElementXEdit), "0.01");
  EXPECT_EQ(Matrix().Ly, static_cast<float>(kSide * kPixel) * 0.99999f);
  Type(Matrix(), kArrayElementYEdit, "0.5");
  EXPECT_EQ(Page().ReadParameters(), 1);
}

TEST_F(DetectorPage, TheMatrixMapAndPlotShowItsElementLayout) {
  TRecordingWindows windows;
  Open();
  Pick(kDetectorMatrix);
  // 2 p elements 4 p apart on 16 pixels: 5 x 5 elements, rows and columns 0, 3-4, 7-8,
  // 11-12, 15 covered (8 x 8 pixels).
  Type(Matrix(), kArrayElementYEdit, "0.02");
  Type(Matrix(), kArrayElementXEdit, "0.02");
  Type(Matrix(), kArrayDistanceYEdit, "0.04");
  Type(Matrix(), kArrayDistanceXEdit, "0.04");
  Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_EQ(windows.pictures[0].caption, "Image: Matrix");
  EXPECT_EQ(windows.pictures[0].width, 256);
  EXPECT_TRUE(std::filesystem::exists(Scratch("d_matr.img")));
  // The picture shows the layout: bright on the elements, black in the gaps.
  const TColorImage &picture = *image.colorImage;
  ASSERT_EQ(picture.pixels.cols, kSide);
  EXPECT_GT(picture.Pixel(3, 4).green, 0.0f);
  EXPECT_EQ(picture.Pixel(5, 4).green, 0.0f);
  EXPECT_EQ(picture.Pixel(3, 6).green, 0.0f);

  Page().SendMessage(WM_COMMAND, kDetector3DPlotButton, 0);
  ASSERT_EQ(windows.plots.size(), 1u);
  const TRecordedPlot &plot = windows.plots[0];
  EXPECT_EQ(plot.request.caption, "Image: Matrix");
  ASSERT_EQ(plot.request.n, kSide);
  ASSERT_EQ(plot.cells.size(), static_cast<size_t>(kSide * kSide));
  int covered = 0;
  for (const float cell : plot.cells) covered += cell == 1.0f ? 1 : 0;
  EXPECT_EQ(covered, 64);
  EXPECT_EQ(plot.cells[4 * kSide + 3], 1.0f);
  EXPECT_EQ(plot.cells[4 * kSide + 5], 0.0f);
}

TEST_F(DetectorPage, TheMatrixMapFillsItsWindowToTheEdges) {
  // The map in the program's own picture window: its client is the picture, cell for cell
  // up to the right and lower edges (no band of another colour along any edge).
  TPictureWindows windows;
  TSynthesisWindows *previous = SetSynthesisWindows(&windows);
  Open();
  Pick(kDetectorMatrix);
  // 1 p elements 3 p apart: lit and dark cells alternate right up to each edge.
  Type(Matrix(), kArrayElementYEdit, "0.01");
  Type(Matrix(), kArrayElementXEdit, "0.01");
  Type(Matrix(), kArrayDistanceYEdit, "0.03");
  Type(Matrix(), kArrayDistanceXEdit, "0.03");
  Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  ASSERT_NE(image.picture, nullptr);
  TColorPicture &picture = *image.picture;
  picture.UpdateWindow();
  const QImage pixels = test_kit::WindowPixels(picture);
  const RECT client = picture.GetClientRect();
  ASSERT_EQ(client.right, kSmallPictureSide);
  ASSERT_EQ(client.bottom, kSmallPictureSide);
  const TColorImage &layout = *image.colorImage;
  ASSERT_EQ(layout.pixels.cols, kSide);
  // Client pixels to window-image pixels: the image may hold a frame round the client.
  POINT origin{0, 0};
  picture.ClientToScreen(origin);
  const RECT frame = picture.GetWindowRect();
  const bool clientOnly = pixels.width() == client.right && pixels.height() == client.bottom;
  const int dx = clientOnly ? 0 : origin.x - frame.left, dy = clientOnly ? 0 : origin.y - frame.top;
  constexpr int kCell = kSmallPictureSide / kSide;
  int lit = 0, dark = 0;
  // The outermost cells along the right and lower edges, off the axes through the centre.
  for (int k = 0; k < kSide; ++k) {
    for (const auto &[col, row] : {std::pair{kSide - 1, k}, std::pair{k, kSide - 1}}) {
      if (col == kSide / 2 || row == kSide / 2 || col == kSide / 2 - 1 || row == kSide / 2 - 1) continue;
      const bool bright = layout.Pixel(col, row).green > 0.0f;
      const QRgb shown = pixels.pixel(dx + col * kCell + kCell / 2, dy + row * kCell + kCell / 2);
      EXPECT_EQ(qGreen(shown) > 127, bright) << "cell " << col << ", " << row;
      (bright ? lit : dark) += 1;
    }
  }
  EXPECT_GT(lit, 0);
  EXPECT_GT(dark, 0);
  folder.reset();
  SetSynthesisWindows(previous);
}

TEST_F(DetectorPage, TheLineArraysTakeTheirEditsAndTheSingleLineHoldsNoSecondLine) {
  TRecordingWindows windows;
  Open();
  Pick(kDetectorSingleLine);
  auto &line = *dynamic_cast<TDetectorSingleLine *>(Page().Model(kDetectorSingleLine));
  EXPECT_TRUE(Shown(&line));
  EXPECT_EQ(Page().CurrentModel()->name, "Single line");
  EXPECT_EQ(Text(line, kArrayDistanceXEdit), "0");
  EXPECT_FALSE(line.ChildWithId(kArrayDistanceXEdit)->IsWindowEnabled());
  Type(line, kArrayElementYEdit, "0.03");
  Type(line, kArrayDistanceYEdit, "0.02");  // below the element: allowed, no message
  Type(line, kArrayDistanceXEdit, "0.05");  // the disabled edit is not taken
  boxes.boxes.clear();
  EXPECT_EQ(line.ReadParameters(), 1);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(line.Ly, 0.03f);
  EXPECT_EQ(line.dY0, 0.02f);
  EXPECT_EQ(line.dZ0, 0.0f);
  EXPECT_EQ(Text(line, kArrayDistanceXEdit), "0");
  // Above 0.8 N p the element is cut and the model reports it.
  Type(line, kArrayElementXEdit, "0.2");
  EXPECT_EQ(line.ReadParameters(), 0);
  EXPECT_EQ(line.Lz, static_cast<float>(kSide * kPixel * 0.8) * 0.99999f);

  Pick(kDetectorDoubleLine);
  auto &slide = *dynamic_cast<TDetectorSlide *>(Page().Model(kDetectorDoubleLine));
  EXPECT_EQ(Page().CurrentModel()->name, "Double line");
  EXPECT_TRUE(slide.ChildWithId(kArrayDistanceXEdit)->IsWindowEnabled());
  Type(slide, kArrayDistanceXEdit, "0.04");
  Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  EXPECT_EQ(slide.dZ0, 0.04f);
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_EQ(windows.pictures[0].caption, "Image: Double line");
  EXPECT_TRUE(std::filesystem::exists(Scratch("d_slide.img")));
}

TEST_F(DetectorPage, TheOpticalTransformerChoosesItsFileAndRefusesABrokenOne) {
  TRecordingWindows windows;
  TScriptedFileDialog files;
  Open();
  Pick(kDetectorOpticalTransformer);
  auto &transformer = *dynamic_cast<TDetectorOpticalTransformer *>(Page().Model(kDetectorOpticalTransformer));
  EXPECT_EQ(Text(transformer, kTransformerFileLabel), "Untitled");
  // 1 / (16 x 0.01 mm) and half of 16 steps.
  EXPECT_EQ(Text(transformer, kTransformerSpectrumText), "dF=6.25, Fmax=50");
  EXPECT_FALSE(transformer.ChildWithId(kTransformerViewButton)->IsWindowEnabled());
  // "Map" without a file: a beep and the reason, no picture.
  boxes.boxes.clear();
  Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  EXPECT_TRUE(windows.pictures.empty());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("No optical transformer data file"), std::string::npos);

  // The file is chosen in the open dialog; its name keeps its case and is shown by its end.
  const std::string path = Scratch("Low_Pass_Transformer.otd");
  std::ofstream(path) << "{F=0; G=1;}\n{F=100; G=1;}\n";
  files.Choose({path});
  transformer.SendMessage(WM_COMMAND, kTransformerFileButton, 0);
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_EQ(files.asked[0].Filter, "Data (*.otd)|*.otd|All files (*.*)|*.*|");
  EXPECT_EQ(transformer.FileName, path);
  EXPECT_EQ(Text(transformer, kTransformerFileLabel), "..." + path.substr(path.size() - 20));
  EXPECT_TRUE(transformer.ChildWithId(kTransformerViewButton)->IsWindowEnabled());
  Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_EQ(windows.pictures[0].caption, "Image: Optical transformer");
  EXPECT_TRUE(std::filesystem::exists(Scratch("d_trans.img")));
  // "View" plots the table in a window of the page's.
  transformer.SendMessage(WM_COMMAND, kTransformerViewButton, 0);
  TWindow *graph = nullptr;
  for (TWindow *child : transformer.GetChildren())
    if (dynamic_cast<TGraph *>(child) != nullptr) graph = child;
  ASSERT_NE(graph, nullptr);
  EXPECT_EQ(graph->GetWindowText(), "Optical transformer: 2 samples, F to 100");
  // A broken file: "View" beeps and says why, and draws nothing more.
  std::ofstream(path, std::ios::trunc) << "{F=0; G=1;}\n{F=3; G=1;}\n{F=2; G=1;}\n";
  boxes.boxes.clear();
  boxes.beeps.clear();
  transformer.SendMessage(WM_COMMAND, kTransformerViewButton, 0);
  EXPECT_EQ(boxes.beeps.size(), 1u);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("does not rise"), std::string::npos);
  // Short names are shown whole.
  EXPECT_EQ(ShortTransformerFileName("a/b.otd"), "a/b.otd");
  EXPECT_EQ(ShortTransformerFileName(std::string(22, 'x')), std::string(22, 'x'));
  EXPECT_EQ(ShortTransformerFileName(std::string(23, 'x')), "..." + std::string(20, 'x'));
}

TEST_F(DetectorPage, TheOpticalTransformerEditsItsFileInTheTextEditor) {
  Open();
  Pick(kDetectorOpticalTransformer);
  auto &transformer = *dynamic_cast<TDetectorOpticalTransformer *>(Page().Model(kDetectorOpticalTransformer));
  transformer.FileName = Scratch("edit.otd");
  std::ofstream(transformer.FileName) << "{G=1;}\n";
  transformer.SendMessage(WM_COMMAND, kTransformerEditButton, 0);
  ASSERT_NE(transformer.Editor(), nullptr);
  EXPECT_TRUE(transformer.Editor()->IsWindow());
  EXPECT_EQ(transformer.Editor()->Filter(), "Transformer (*.otd)|*.otd|All files (*.*)|*.*|");
  // A second "Edit" closes the first editor and opens another.
  transformer.SendMessage(WM_COMMAND, kTransformerEditButton, 0);
  ASSERT_NE(transformer.Editor(), nullptr);
  EXPECT_TRUE(transformer.Editor()->IsWindow());
  // Text typed and not saved is offered for saving; Cancel keeps that editor and its text.
  TOEditor *typedInto = transformer.Editor();
  typedInto->Client()->SetWindowText("{G=1;}\n{G=0.5;}\n");
  typedInto->Client()->SendMessage(EM_SETMODIFY, 1);
  boxes.boxes.clear();
  boxes.QueueAnswer(IDCANCEL);
  transformer.SendMessage(WM_COMMAND, kTransformerEditButton, 0);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("has changed"), std::string::npos);
  EXPECT_EQ(transformer.Editor(), typedInto);
  EXPECT_TRUE(typedInto->IsWindow());
  EXPECT_EQ(typedInto->Client()->GetWindowText(), "{G=1;}\n{G=0.5;}\n");
  // Answered "No": the changes go and a new editor opens.
  boxes.QueueAnswer(IDNO);
  transformer.SendMessage(WM_COMMAND, kTransformerEditButton, 0);
  ASSERT_NE(transformer.Editor(), nullptr);
  EXPECT_TRUE(transformer.Editor()->IsWindow());
}

TEST_F(DetectorPage, MatrixAndTransformerTakesTheValuesOfBothPages) {
  TRecordingWindows windows;
  Open();
  Pick(kDetectorMatrix);
  Type(Matrix(), kArrayElementYEdit, "0.02");
  Type(Matrix(), kArrayElementXEdit, "0.04");
  auto &transformer = *dynamic_cast<TDetectorOpticalTransformer *>(Page().Model(kDetectorOpticalTransformer));
  transformer.FileName = Scratch("point.otd");
  std::ofstream(transformer.FileName) << "{F=0; G=1;}\n{F=100; G=1;}\n";
  Pick(kDetectorMatrixTransformer);
  EXPECT_EQ(Matrix().Lz, 0.04f);
  // The hidden matrix page is read when the combined type's page is left.
  Type(Matrix(), kArrayElementXEdit, "0.02");
  EXPECT_EQ(Page().LeavePage(), 1);
  EXPECT_EQ(Matrix().Lz, 0.02f);
  Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
  ASSERT_EQ(windows.pictures.size(), 1u);
  EXPECT_EQ(windows.pictures[0].caption, "Image: Matrix & Transformer");
  // Through the point response the combined element is the matrix's 2 x 2 pixels' area.
  TFileData reader;
  reader.fileName = Scratch("d_m_tran.img");
  Mem<float> raster;
  ASSERT_EQ(reader.Read(raster), 1);
  float sum = 0.0f;
  for (int k = 0; k < kSide * kSide; ++k) sum += raster.data[k];
  EXPECT_APPROX(sum, 4.0, 1e-4);
  EXPECT_APPROX(raster.data[8 * kSide + 8], 1.0, 1e-5);
}

// Every detector kind, with and without the PSF: the picture of an object lit at its edges
// is the object convolved cell by cell with the PSF and the responses the models wrote,
// on a plane large enough for all the light, then cut to the picture: nothing comes back
// in at the opposite edge.
TEST_F(DetectorPage, EveryDetectorsPictureIsTheLinearConvolutionOfItsResponses) {
  Open();
  for (const int type : {kDetectorRound, kDetectorRectangle, kDetectorMatrix, kDetectorSingleLine, kDetectorDoubleLine}) {
    Type(*dynamic_cast<TWindow *>(Page().Model(type)), kDetectorFirstSizeEdit, "0.03");
    Type(*dynamic_cast<TWindow *>(Page().Model(type)), kDetectorSecondSizeEdit, "0.07");
  }
  auto *transformer = dynamic_cast<TDetectorOpticalTransformerModel *>(Page().Model(kDetectorOpticalTransformer));
  transformer->FileName = Scratch("low.otd");
  std::ofstream(transformer->FileName) << "{F=0; G=1;}\n{F=30; G=0.2;}\n{F=45; G=0;}\n";
  std::vector<float> object(kSide * kSide, 0.0f), psf(kSide * kSide, 0.0f);
  for (int k = 0; k < kSide; ++k) object[k * kSide] = object[(kSide - 1) * kSide + k] = 1.0f + 0.1f * k;
  for (int r = 5; r < 11; ++r)
    for (int c = 4; c < 12; ++c) psf[r * kSide + c] = 1.0f + 0.3f * c + 0.1f * r;
  const auto raster = [](TFileData reader) {
    Mem<float> cells;
    return ReadSquareRaster(reader, cells, kSide) ? std::vector<float>(cells.data, cells.data + kSide * kSide)
                                                  : std::vector<float>(kSide * kSide, -1.0f);
  };
  constexpr int kPlane = 5 * kSide, kOrigin = 2 * kSide;
  for (int type = 0; type < kDetectorTypeCount; ++type)
    for (const bool traced : {false, true}) {
      SCOPED_TRACE(type * 10 + traced);
      Pick(type);
      TRasterObject lit(*this, kSide), spread(*this, kSide);
      lit.values = {object};
      spread.values = {psf};
      spread.stem = "psf";
      TIsoplanarParticipants who{&lit, traced ? nullptr : &spread, type == 0 ? nullptr : Page().CurrentModel(), nullptr};
      TIsoplanarSettings settings{kSide, kPixel, 0, 0.0f, Scratch(""), traced};
      Mem<TFileData> results;
      std::int32_t custom = 0;
      ASSERT_EQ(SynthesizeIsoplanarImage(who, settings, nullptr, results, custom), 1);
      std::vector<std::vector<float>> responses;
      if (!traced) responses.push_back(psf);
      const bool both = type == kDetectorMatrixTransformer;
      if (type != 0) responses.push_back(raster(Page().Model(both ? kDetectorMatrix : type)->rasterFiles.data[0]));
      if (both) responses.push_back(raster(transformer->rasterFiles.data[0]));
      std::vector<double> plane(kPlane * kPlane, 0.0);
      for (int i = 0; i < kSide * kSide; ++i) plane[(kOrigin + i / kSide) * kPlane + kOrigin + i % kSide] = object[i];
      for (const auto &response : responses) {
        std::vector<double> next(plane.size(), 0.0);
        for (int y = kSide; y < kPlane - kSide; ++y)
          for (int x = kSide; x < kPlane - kSide; ++x)
            for (int i = 0; i < kSide * kSide; ++i)
              next[y * kPlane + x] += plane[(y - i / kSide + kSide / 2) * kPlane + x - i % kSide + kSide / 2] * response[i];
        plane.swap(next);
      }
      const double scale = traced ? 1.0 : kPixel * kPixel;
      double largest = 0.0;
      for (const double v : plane) largest = std::max(largest, std::fabs(v) * scale);
      const std::vector<float> picture = raster(results.data[0]);
      for (int i = 0; i < kSide * kSide; ++i)
        ASSERT_NEAR(picture[i], scale * plane[(kOrigin + i / kSide) * kPlane + kOrigin + i % kSide], 2e-6 * largest) << i;
      if (!both || !traced) continue;
      // Its Map: the matrix's element through the transformer, whose rings reach the edges.
      TRecordingWindows windows;
      Page().SendMessage(WM_COMMAND, kDetectorMapButton, 0);
      const std::vector<float> shown = raster(Page().CurrentModel()->rasterFiles.data[0]);
      for (int i = 0; i < kSide * kSide; ++i) {
        double sum = 0.0;
        for (int j = 0; j < kSide * kSide; ++j) {
          const int r = i / kSide - j / kSide + kSide / 2, c = i % kSide - j % kSide + kSide / 2;
          if (r >= 0 && r < kSide && c >= 0 && c < kSide) sum += responses[0][j] * responses[1][r * kSide + c];
        }
        ASSERT_NEAR(shown[i], sum, 2e-6) << i;
      }
    }
}

}  // namespace
