// The analysis windows as the user meets them on the double Gauss: each opens at a size
// that reads, wholly on the screen and below the editor's menu bar; the picture's "Tune"
// palette goes when the PSF and MTF window or image synthesis that made the picture is
// cancelled.

#include <string>
#include <vector>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/psf/show_psf.h"
#include "analysis/spot/spot_diagram.h"
#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_tune.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/testobject/test_image.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/windows/screen.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "toolkit/graph/c_graph.h"
#include "toolkit/graph/graph.h"
#include "toolkit/plot3d/graphics3d.h"

namespace {

// A screen of the size the program is tried on.
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1000;
// The least client areas that read well: both aberration fans, a spot cell, a PSF
// picture or graph, a section of a picture, the section report. (The desktop draws the
// frames and captions around them.)
constexpr SIZE kAberrations{600, 360};
constexpr int kSpotCell = 150;
constexpr int kResultClient = 384;
constexpr SIZE kRowSection{360, 180};
constexpr SIZE kColumnSection{200, 360};
constexpr SIZE kReport{560, 360};
// The aberration window's frames and gaps around and between its two fans.
constexpr int kAberrationsMargin = 20;

class AnalysisWindowsTest : public EditorShellTest {
 protected:
  void SetUp() override {
    EditorShellTest::SetUp();
    screen_.SetMetric(SM_CXSCREEN, kScreenWidth);
    screen_.SetMetric(SM_CYSCREEN, kScreenHeight);
    previousWindows_ = SetSynthesisWindows(&windows_);
    previousAsker_ = SetSectionStepAsker([](TWindow *, double *) { return IDOK; });
  }
  void TearDown() override {
    EditorShellTest::TearDown();
    SetSectionStepAsker(previousAsker_);
    SetSynthesisWindows(previousWindows_);
  }
  // The double Gauss in one colour on a 64-node grid, so that its PSF runs fast.
  TOpticalEditor &OpenDoubleGauss() {
    TOpticalEditor &editor = Open(ScratchExample("double_gauss.os", "double_gauss.os"));
    TOpticalSystemInformation &info = editor.System().info;
    info.MonochromeSystem = 1;
    info.Nd = 64;
    info.ShowRecommendation = 0;
    menuBottom_ = editor.ClientToScreen(POINT{0, 0}).y;
    return editor;
  }
  // Whole on the screen, below the editor's menu bar, its client at least `least`.
  void ExpectReadable(const TWindow &window, SIZE least, const std::string &what) const {
    const RECT r = window.GetWindowRect();
    EXPECT_GE(r.left, 0) << what;
    EXPECT_GE(r.top, menuBottom_) << what;
    EXPECT_LE(r.right, kScreenWidth) << what;
    EXPECT_LE(r.bottom, kScreenHeight) << what;
    const RECT client = window.GetClientRect();
    EXPECT_GE(client.right - client.left, least.cx) << what;
    EXPECT_GE(client.bottom - client.top, least.cy) << what;
  }
  template <class T>
  static std::vector<T *> Owned(const TWindow &owner) {
    std::vector<T *> found;
    for (TWindow *child : owner.GetChildren())
      if (auto *window = dynamic_cast<T *>(child)) found.push_back(window);
    return found;
  }

  TScriptedScreenProvider screen_;
  TPictureWindows windows_;
  TSynthesisWindows *previousWindows_ = nullptr;
  TSectionStepAsker previousAsker_ = nullptr;
  int menuBottom_ = 0;
};

TEST_F(AnalysisWindowsTest, EachWindowOpensReadableOnTheScreenBelowTheEditorsMenuBar) {
  TOpticalEditor &editor = OpenDoubleGauss();
  // The editor stands where the settings of a first start put it, its menu bar at the top.
  ASSERT_GT(editor.MenuBarHeight(), 0);
  ASSERT_GT(menuBottom_, 0);

  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  TShowEasyAberrationsDlg &aberrations = *editor.Launchers().AberrationsWindow();
  ExpectReadable(aberrations, kAberrations, "aberrations");
  // Grown from its template, it lays its children out anew inside the larger client: the
  // two fans share its width and the beam list stays within it.
  const RECT window = aberrations.GetWindowRect();
  const RECT list = aberrations.BeamList()->GetWindowRect();
  EXPECT_GE(list.left, window.left);
  EXPECT_LE(list.right, window.right);
  EXPECT_LE(list.bottom, window.bottom);
  for (int side : {0, 1}) {
    const RECT graph = aberrations.Graph(side)->GetWindowRect();
    EXPECT_GE(graph.left, window.left) << side;
    EXPECT_LE(graph.right, window.right) << side;
    EXPECT_GE(graph.right - graph.left, kAberrations.cx / 2 - kAberrationsMargin) << side;
  }

  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  TSpotDiagram *spot = editor.Launchers().SpotWindow();
  ASSERT_NE(spot, nullptr);
  // Its plot holds a cell per field, each of a readable side, and the field's label below.
  ExpectReadable(*spot, SIZE{kSpotCell, kSpotCell}, "spot diagram");

  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  TShowPSFFolder *folder = editor.Launchers().PsfWindow();
  ASSERT_NE(folder, nullptr);
  ExpectReadable(*folder, SIZE{0, 0}, "PSF and MTF window");
  TShowPSF *page = folder->Page();
  page->SendMessage(WM_COMMAND, kPsfColorMapButton, 0);
  TColorPicture *picture = GetTestImage() != nullptr ? GetTestImage()->picture : nullptr;
  ASSERT_NE(picture, nullptr);
  ExpectReadable(*picture, SIZE{kResultClient, kResultClient}, "colour map");
  page->SendMessage(WM_COMMAND, kPsf3DPlotButton, 0);
  ASSERT_EQ(Owned<TGraphics3D>(editor).size(), 1u);
  ExpectReadable(*Owned<TGraphics3D>(editor)[0], SIZE{kResultClient, kResultClient}, "3-D plot");
  page->SendMessage(WM_COMMAND, CM_PSF_VIEW_AS_GRAPH, 0);
  ASSERT_NE(page->LastSectionGraph(), nullptr);
  ExpectReadable(*page->LastSectionGraph(), SIZE{kResultClient, kResultClient}, "concentration graph");
  page->SendMessage(WM_COMMAND, CM_PSF_VIEW_AS_TEXT, 0);
  TWindow *report = nullptr;
  for (TWindow *child : editor.GetChildren())
    if (child->GetWindowText() == "Concentration") report = child;
  ASSERT_NE(report, nullptr);
  ExpectReadable(*report, kReport, "concentration report");

  // The picture's sections through its centre: a row below it and a column beside it.
  for (int command : {CM_PICTURE_ENERGY, CM_PICTURE_RGB}) {
    picture->lastClick = POINT{kResultClient / 2, kResultClient / 2};
    picture->Command(command);
    const std::vector<TGraph *> sections = Owned<TGraph>(*picture);
    ASSERT_GE(sections.size(), 2u) << command;
    const TGraph &row = *sections[sections.size() - 2];
    const TGraph &column = *sections[sections.size() - 1];
    ExpectReadable(row, kRowSection, "row section " + std::to_string(command));
    ExpectReadable(column, kColumnSection, "column section " + std::to_string(command));
  }
  EXPECT_TRUE(answers_->boxes.empty());
}

TEST_F(AnalysisWindowsTest, AWindowStoredOverTheMenuBarOrOffTheScreenComesBackOnIt) {
  TOpticalEditor &editor = OpenDoubleGauss();
  // Places a former session or another screen left: over the menu bar, past the right edge.
  editor.Settings().spot.position[0] = 0;
  editor.Settings().spot.position[1] = 0;
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  ExpectReadable(*editor.Launchers().SpotWindow(), SIZE{kSpotCell, kSpotCell}, "spot at (0, 0)");
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  editor.Settings().spot.position[0] = kScreenWidth - 40;
  editor.Settings().spot.position[1] = kScreenHeight - 40;
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  ExpectReadable(*editor.Launchers().SpotWindow(), SIZE{kSpotCell, kSpotCell}, "spot past the edge");
}

TEST_F(AnalysisWindowsTest, WindowsWithoutAStoredPlaceCascadeInsteadOfCoveringEachOther) {
  TOpticalEditor &editor = OpenDoubleGauss();
  // A first start: neither window has a place of its own, both want the top left corner.
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  const RECT aberrations = editor.Launchers().AberrationsWindow()->GetWindowRect();
  const RECT spot = editor.Launchers().SpotWindow()->GetWindowRect();
  ExpectReadable(*editor.Launchers().AberrationsWindow(), kAberrations, "aberrations");
  ExpectReadable(*editor.Launchers().SpotWindow(), SIZE{kSpotCell, kSpotCell}, "spot diagram");
  // The later window steps down and right by a caption, so both captions stay in sight.
  const int step = GetSystemMetrics(SM_CYCAPTION);
  ASSERT_GT(step, 0);
  EXPECT_GE(spot.left - aberrations.left, step);
  EXPECT_GE(spot.top - aberrations.top, step);
  // Opened again over itself, a window keeps its own place.
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  const RECT again = editor.Launchers().SpotWindow()->GetWindowRect();
  EXPECT_GE(again.left - aberrations.left, step);
  EXPECT_GE(again.top - aberrations.top, step);
}

TEST_F(AnalysisWindowsTest, ThePicturesTunePaletteStaysWithItsPictureWhenThePsfWindowIsCancelled) {
  TOpticalEditor &editor = OpenDoubleGauss();
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_NE(editor.Launchers().PsfWindow(), nullptr);
  editor.Launchers().PsfWindow()->Page()->SendMessage(WM_COMMAND, kPsfColorMapButton, 0);
  ASSERT_NE(GetPictureTune(), nullptr);
  TColorPicture *picture = GetTestImage()->picture;
  ASSERT_EQ(GetPictureTune()->Picture(), picture);
  // A second picture takes the palette; closed, it hands the palette back to the first.
  editor.Launchers().PsfWindow()->Page()->SendMessage(WM_COMMAND, kPsfColorMapButton, 0);
  ASSERT_NE(GetTestImage()->picture, picture);
  EXPECT_EQ(GetPictureTune()->Picture(), GetTestImage()->picture);
  GetTestImage()->picture->Destroy();
  ASSERT_NE(GetPictureTune(), nullptr);
  EXPECT_EQ(GetPictureTune()->Picture(), picture);
  // The user's Cancel: the folder goes, its pictures stay as results do, with the palette;
  // it goes with the last picture.
  editor.Launchers().PsfWindow()->SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(editor.Launchers().PsfWindow(), nullptr);
  ASSERT_NE(GetPictureTune(), nullptr);
  EXPECT_EQ(GetPictureTune()->Picture(), picture);
  picture->Destroy();
  EXPECT_EQ(GetPictureTune(), nullptr);
}

TEST_F(AnalysisWindowsTest, ThePicturesTunePaletteGoesWhenImageSynthesisIsCancelled) {
  TTinyObjectPageScope tinyObject;
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  TTestObjectFolder *folder = editor.Launchers().SynthesisWindow();
  ASSERT_NE(folder, nullptr);
  folder->SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_NE(GetTestImage(), nullptr);
  ASSERT_NE(GetTestImage()->picture, nullptr);
  ASSERT_NE(GetPictureTune(), nullptr);
  folder->SendMessage(WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(editor.Launchers().SynthesisWindow(), nullptr);
  EXPECT_EQ(GetPictureTune(), nullptr);
}

}  // namespace
