// The editor's palettes: where they first stand, kept on the screen, following the canvas,
// their buttons' states and their hiding and showing.

#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_palettes.h"
#include "editor/edit/palette_placement.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/settings/editor_settings.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "platform/core/scripted_dialogs.h"

namespace {

TEST(PalettePlacement, DefaultPlaceAndClampToTheScreen) {
  const RECT canvas{100, 200, 700, 600};
  const POINT place = DefaultPalettePlace(canvas, SIZE{50, 120}, 18);
  EXPECT_EQ(place.x, 700 - 50 - 18);
  EXPECT_EQ(place.y, 203);
  const SIZE screen{1024, 768};
  const POINT left = ClampPaletteToScreen(POINT{-40, -3}, SIZE{50, 120}, screen);
  EXPECT_EQ(left.x, 0);
  EXPECT_EQ(left.y, 0);
  const POINT right = ClampPaletteToScreen(POINT{2000, 900}, SIZE{50, 120}, screen);
  EXPECT_EQ(right.x, 1024 - 50);
  EXPECT_EQ(right.y, 768 - 120);
  // A palette wider than the screen keeps its left edge on it.
  EXPECT_EQ(ClampPaletteToScreen(POINT{30, 0}, SIZE{1500, 10}, screen).x, 0);
  // The canvas's corner moved 30 right and 10 up: at its offset the palette follows.
  const POINT offset = OffsetFromCanvasCorner(POINT{600, 210}, canvas);
  EXPECT_EQ(offset.x, -100);
  EXPECT_EQ(offset.y, 10);
  const POINT followed = PlaceAtCanvasOffset(RECT{130, 190, 730, 590}, offset);
  EXPECT_EQ(followed.x, 630);
  EXPECT_EQ(followed.y, 200);
}

using PalettesTest = EditorShellTest;

TEST_F(PalettesTest, StoredPlacesOffTheScreenGoToTheNearestEdge) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 1024);
  screen.SetMetric(SM_CYSCREEN, 768);
  TEditorSettings settings;
  settings.palettes[0] = TPaletteSettings{true, 0, -50, 5000};    // tools
  settings.palettes[2] = TPaletteSettings{true, 0, 3000, -20};    // zoom
  ASSERT_EQ(WriteEditorSettings(SettingsFilePath(ProgramDir()), settings), 1);
  // The tools and zoom palettes show as the editor is set up.
  TOpticalEditor &editor = Open(triplet_);
  TToolsBox *tools = editor.EditTools().toolsPalette;
  TAlignmentBox *zoom = editor.EditTools().zoomPalette;
  ASSERT_NE(tools, nullptr);
  ASSERT_NE(zoom, nullptr);
  const RECT toolsPlace = tools->GetWindowRect();
  EXPECT_EQ(toolsPlace.left, 0);
  EXPECT_EQ(toolsPlace.bottom, 768);
  const RECT zoomPlace = zoom->GetWindowRect();
  EXPECT_EQ(zoomPlace.right, 1024);
  EXPECT_EQ(zoomPlace.top, 0);
}

TEST_F(PalettesTest, WithoutSettingsTheToolsStandBesideTheFrameOffTheDrawing) {
  TOpticalEditor &editor = Open(triplet_);
  TToolsBox *tools = editor.EditTools().toolsPalette;
  ASSERT_NE(tools, nullptr);
  EXPECT_TRUE(tools->IsWindowVisible());
  EXPECT_NE(GetMenuState(Menu(), CM_TOOLS_PALETTE, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_NE(editor.EditTools().zoomPalette, nullptr);
  // The configurations palette is made at set-up, hidden for a system of one configuration.
  ASSERT_NE(editor.EditTools().configPalette, nullptr);
  EXPECT_FALSE(editor.EditTools().configPalette->IsWindowVisible());
  // The frame's decorations settle after set-up; the palettes keep their place beside it.
  editor.Palettes().PlacePalettes();
  const RECT canvas = editor.Canvas()->GetWindowRect();
  const RECT place = tools->GetWindowRect();
  EXPECT_GE(place.left, editor.GetWindowRect().right);
  EXPECT_EQ(place.top, canvas.top + 3);
  EXPECT_EQ(tools->GetButtonState(CM_SELECT), TButtonGadget::Up);

  // The palette's buttons follow the tool state.
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  EXPECT_EQ(tools->GetButtonState(CM_SELECT), TButtonGadget::Down);
  // The View menu's item hides it; the object stays with its state.
  editor.SendMessage(WM_COMMAND, CM_TOOLS_PALETTE);
  EXPECT_FALSE(tools->IsWindowVisible());
  EXPECT_EQ(editor.EditTools().toolsPalette, tools);
  EXPECT_EQ(GetMenuState(Menu(), CM_TOOLS_PALETTE, MF_BYCOMMAND) & MF_CHECKED, 0u);
  // Shown again it stands where it was; its own "&Close" hides it too.
  editor.SendMessage(WM_COMMAND, CM_TOOLS_PALETTE);
  EXPECT_TRUE(tools->IsWindowVisible());
  EXPECT_EQ(tools->GetWindowRect().left, place.left);
  EXPECT_EQ(tools->GetWindowRect().top, place.top);
  EXPECT_EQ(tools->GetButtonState(CM_SELECT), TButtonGadget::Down);
  tools->SendMessage(WM_COMMAND, CM_PALETTE_CLOSE);
  EXPECT_FALSE(tools->IsWindowVisible());
}

TEST_F(PalettesTest, ToggleButtonsFollowTheirOptionAndWindows) {
  TOpticalEditor &editor = Open(triplet_);
  TToolsBox *tools = editor.EditTools().toolsPalette;
  ASSERT_NE(tools, nullptr);
  auto down = [&](int id) { return tools->GetButtonState(id) == TButtonGadget::Down; };
  const bool beams = editor.System().options.ShowCourseBeam != 0;
  EXPECT_EQ(down(CM_REAL_BEAMS), beams);
  editor.SendMessage(WM_COMMAND, CM_REAL_BEAMS);
  EXPECT_EQ(down(CM_REAL_BEAMS), !beams);
  // The aberrations window opened by its palette button and closed again.
  EXPECT_FALSE(down(CM_ABERRATIONS));
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  EXPECT_TRUE(down(CM_ABERRATIONS));
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  EXPECT_FALSE(down(CM_ABERRATIONS));
  editor.SendMessage(WM_COMMAND, CM_DECENTER);
  EXPECT_TRUE(down(CM_DECENTER));
}

TEST_F(PalettesTest, APaletteMovedAndReLaidOutComesBackThereNextTime) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 1024);
  screen.SetMetric(SM_CYSCREEN, 768);
  {
    TOpticalEditor &editor = Open(triplet_);
    TAlignmentBox *zoom = editor.EditTools().zoomPalette;
    ASSERT_NE(zoom, nullptr);
    zoom->SetLayout(TToolBarWnd::RowLayout);
    const RECT place = zoom->GetWindowRect();
    zoom->MoveWindow(300, 400, place.right - place.left, place.bottom - place.top);
    editor.ShowConfigurationBar(1);
    TConfigBox *config = editor.EditTools().configPalette;
    const RECT configPlace = config->GetWindowRect();
    config->MoveWindow(600, 300, configPlace.right - configPlace.left, configPlace.bottom - configPlace.top);
    editor.SendMessage(WM_CLOSE);
    ASSERT_EQ(editor.GetHandle(), nullptr);
    delete editor_;
    editor_ = nullptr;
  }
  TEditorSettings stored;
  ASSERT_EQ(ReadEditorSettings(SettingsFilePath(ProgramDir()), stored), 1);
  EXPECT_TRUE(stored.palettes[2].present);
  EXPECT_EQ(stored.palettes[2].x, 300);
  EXPECT_EQ(stored.palettes[2].y, 400);
  EXPECT_EQ(stored.palettes[2].direction, TToolBarWnd::RowLayout);
  TOpticalEditor &editor = Open(triplet_);
  TAlignmentBox *zoom = editor.EditTools().zoomPalette;
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(zoom->GetWindowRect().left, 300);
  EXPECT_EQ(zoom->GetWindowRect().top, 400);
  EXPECT_EQ(zoom->GetLayout(), TToolBarWnd::RowLayout);
  // The configurations palette, made hidden, may report the desktop's place until it is
  // first shown (as under X11): shown, it stands where it stood.
  TConfigBox *config = editor.EditTools().configPalette;
  ASSERT_FALSE(config->IsWindowVisible());
  const RECT hidden = config->GetWindowRect();
  config->MoveWindow(100, 100, hidden.right - hidden.left, hidden.bottom - hidden.top);
  editor.ShowConfigurationBar(1);
  EXPECT_EQ(config->GetWindowRect().left, 600);
  EXPECT_EQ(config->GetWindowRect().top, 300);
}

// A palette never shown keeps the place the settings file gave it, whatever its hidden
// window reports and however the frame moves; a place below the screen is kept as the
// palette stands once drawn back onto it.
TEST_F(PalettesTest, ANeverShownPaletteKeepsThePlaceReadFromTheSettings) {
  for (const int y : {234, 99999}) {
    SCOPED_TRACE(y);
    TEditorSettings settings;
    settings.palettes[1] = TPaletteSettings{true, 0, 321, y};  // configurations
    ASSERT_EQ(WriteEditorSettings(SettingsFilePath(ProgramDir()), settings), 1);
    TOpticalEditor &editor = Open(triplet_);
    TConfigBox *config = editor.EditTools().configPalette;
    ASSERT_TRUE(config != nullptr && !config->IsWindowVisible());
    const RECT hidden = config->GetWindowRect();
    config->MoveWindow(100, 100, hidden.right - hidden.left, hidden.bottom - hidden.top);  // as X11 reports
    const RECT frame = editor.GetWindowRect();
    editor.MoveWindow(frame.left + 30, frame.top + 20, frame.right - frame.left, frame.bottom - frame.top);
    EXPECT_EQ(editor.Settings().palettes[1].x, 321);  // what the file is written from
    const int saved = editor.Settings().palettes[1].y;
    EXPECT_EQ(saved == 234, y == 234);
    editor.ShowConfigurationBar(1);
    EXPECT_EQ(config->GetWindowRect().top, saved);
  }
}

TEST_F(PalettesTest, AClickOnAButtonRunsItsCommand) {
  TOpticalEditor &editor = Open(triplet_);
  TToolsBox *tools = editor.EditTools().toolsPalette;
  ASSERT_NE(tools, nullptr);
  TGadget *select = tools->GetToolBox()->GadgetWithId(CM_SELECT);
  ASSERT_NE(select, nullptr);
  const RECT bounds = select->GetBounds();
  const POINT centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  test_kit::PostMouse(*tools->GetToolBox(), WM_LBUTTONDOWN, centre, MK_LBUTTON);
  test_kit::PostMouse(*tools->GetToolBox(), WM_LBUTTONUP, centre);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.Tools().mouseMode == kSelectMouseMode; }));
  EXPECT_EQ(tools->GetButtonState(CM_SELECT), TButtonGadget::Down);
  EXPECT_TRUE(editor.Canvas()->GetSelectMode());
}

TEST_F(PalettesTest, MovingTheFrameMovesTheVisiblePalettes) {
  TOpticalEditor &editor = Open(triplet_);
  editor.ShowConfigurationBar(1);
  editor.ShowConfigurationBar(0);
  TToolsBox *tools = editor.EditTools().toolsPalette;
  TConfigBox *config = editor.EditTools().configPalette;
  const RECT toolsBefore = tools->GetWindowRect();
  const RECT configBefore = config->GetWindowRect();
  const RECT frame = editor.GetWindowRect();
  editor.MoveWindow(frame.left - 40, frame.top + 25, frame.right - frame.left,
                    frame.bottom - frame.top);
  const RECT toolsAfter = tools->GetWindowRect();
  EXPECT_EQ(toolsAfter.left, toolsBefore.left - 40);
  EXPECT_EQ(toolsAfter.top, toolsBefore.top + 25);
  // A hidden palette stays where it was.
  EXPECT_EQ(config->GetWindowRect().left, configBefore.left);
}

TEST_F(PalettesTest, OneConfigurationLeavesOnlyInsertEnabled) {
  TOpticalEditor &editor = Open(triplet_);
  editor.ShowConfigurationBar(1);
  TConfigBox *config = editor.EditTools().configPalette;
  ASSERT_NE(config, nullptr);
  auto enabled = [&](int id) {
    auto *gadget = config->GetToolBox()->GadgetWithId(id);
    return gadget != nullptr && gadget->GetEnabled();
  };
  EXPECT_TRUE(enabled(CM_INSERT_CONFIGURATION));
  for (int id : {CM_PREV_CONFIGURATION, CM_NEXT_CONFIGURATION, CM_DELETE_CONFIGURATION})
    EXPECT_FALSE(enabled(id)) << id;
  // A second configuration, current: Previous and Delete wake, Next stays asleep.
  answers_->QueueAnswer(IDYES);
  editor.SendMessage(WM_COMMAND, CM_INSERT_CONFIGURATION);
  ASSERT_EQ(editor.System().ConfigurationCount(), 2);
  EXPECT_TRUE(enabled(CM_PREV_CONFIGURATION));
  EXPECT_TRUE(enabled(CM_DELETE_CONFIGURATION));
  EXPECT_FALSE(enabled(CM_NEXT_CONFIGURATION));
}

// From a fresh editor: the configuration commands that have nothing to do are grey on a
// system of one configuration, and a system of two shows its palette by itself, Previous
// and Delete grey on its first configuration, Next grey on its last.
TEST_F(PalettesTest, ConfigurationCommandsFollowTheConfigurationsFromTheStart) {
  const std::string two = Scratch("Systems/Two.os");
  {
    TSystemImage image;
    ASSERT_EQ(image.Load(triplet_, 2), 1);
    image.StoreConfiguration(-1);
    image.InsertConfiguration(0);
    ASSERT_EQ(image.SelectConfiguration(0), 1);
    ASSERT_EQ(image.Save(two), 1);
  }
  Open(triplet_);
  for (UINT command : {CM_BASE_CONFIGURATION, CM_NEXT_CONFIGURATION, CM_PREV_CONFIGURATION, CM_DELETE_CONFIGURATION})
    EXPECT_TRUE(Grey(command)) << command;
  for (UINT command : {CM_INSERT_CONFIGURATION, CM_ADD_CONFIGURATION}) EXPECT_FALSE(Grey(command)) << command;
  editor_->Destroy();
  delete editor_;
  editor_ = nullptr;

  TOpticalEditor &second = Open(two);
  ASSERT_EQ(second.System().ConfigurationCount(), 2);
  ASSERT_NE(second.EditTools().configPalette, nullptr);
  EXPECT_TRUE(second.EditTools().configPalette->IsWindowVisible());
  EXPECT_TRUE(Grey(CM_PREV_CONFIGURATION));
  EXPECT_TRUE(Grey(CM_DELETE_CONFIGURATION));
  EXPECT_FALSE(Grey(CM_NEXT_CONFIGURATION));
  EXPECT_FALSE(Grey(CM_BASE_CONFIGURATION));
  second.SendMessage(WM_COMMAND, CM_NEXT_CONFIGURATION);
  EXPECT_EQ(second.System().currentConfiguration, 1);
  EXPECT_FALSE(Grey(CM_PREV_CONFIGURATION));
  EXPECT_FALSE(Grey(CM_DELETE_CONFIGURATION));
  EXPECT_TRUE(Grey(CM_NEXT_CONFIGURATION));

  // Opening a system of one configuration puts the palette away again, and back.
  TScriptedFileDialog files;
  files.Choose({triplet_});
  second.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  EXPECT_FALSE(second.EditTools().configPalette->IsWindowVisible());
  EXPECT_TRUE(Grey(CM_NEXT_CONFIGURATION));
  files.Choose({two});
  second.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  EXPECT_TRUE(second.EditTools().configPalette->IsWindowVisible());
}

// The palettes float with the frame: hidden or minimised, it takes the showing ones with it
// and brings them back; one the user put away stays away.
TEST_F(PalettesTest, PalettesHideAndComeBackWithTheFrame) {
  TOpticalEditor &editor = Open(triplet_);
  editor.ShowWindow(SW_SHOWNORMAL);
  TToolsBox *tools = editor.EditTools().toolsPalette;
  TAlignmentBox *zoom = editor.EditTools().zoomPalette;
  ASSERT_TRUE(tools->IsWindowVisible());
  ASSERT_TRUE(zoom->IsWindowVisible());
  editor.SendMessage(WM_COMMAND, CM_ZOOM_PALETTE);  // put away by the user
  ASSERT_FALSE(zoom->IsWindowVisible());
  editor.ShowWindow(SW_HIDE);
  EXPECT_FALSE(tools->IsWindowVisible());
  editor.ShowWindow(SW_SHOWNORMAL);
  EXPECT_TRUE(tools->IsWindowVisible());
  EXPECT_FALSE(zoom->IsWindowVisible());
  // Minimised and restored, as the window reports it.
  editor.SendMessage(WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_FALSE(tools->IsWindowVisible());
  const RECT client = editor.GetClientRect();
  editor.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  EXPECT_TRUE(tools->IsWindowVisible());
}

// A palette closed from outside (the window manager's close, Alt+F4) is put away as its own
// "Close" puts it: its menu command brings it back, for every palette.
TEST_F(PalettesTest, APaletteClosedFromOutsideComesBackByItsMenuCommand) {
  TOpticalEditor &editor = Open(triplet_);
  editor.ShowWindow(SW_SHOWNORMAL);
  for (const int command : {CM_TOOLS_PALETTE, CM_ZOOM_PALETTE, CM_CONFIGURATIONS_PALETTE}) {
    SCOPED_TRACE(command);
    TToolBarWnd *palette = command == CM_TOOLS_PALETTE ? static_cast<TToolBarWnd *>(editor.EditTools().toolsPalette)
                           : command == CM_ZOOM_PALETTE ? static_cast<TToolBarWnd *>(editor.EditTools().zoomPalette)
                                                        : nullptr;
    if (palette == nullptr) editor.SendMessage(WM_COMMAND, static_cast<WPARAM>(command));
    if (palette == nullptr) palette = editor.EditTools().configPalette;
    ASSERT_NE(palette, nullptr);
    ASSERT_TRUE(palette->IsWindowVisible());
    test_kit::CloseFromOutside(*palette);
    test_kit::FireEveryTimer();
    EXPECT_FALSE(palette->IsWindowVisible());
    editor.SendMessage(WM_COMMAND, static_cast<WPARAM>(command));
    EXPECT_TRUE(palette->IsWindow());
    EXPECT_TRUE(palette->IsWindowVisible());
  }
}

bool Overlap(const RECT &a, const RECT &b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != 0;
}

// At the first start on a 1280 x 1024 screen (a new system, its properties folder shown)
// no window covers another's working area or its palettes: the folder stays off the frame
// and the palettes, the configurations palette off the canvas, and each is wholly on the
// screen. The next start puts every one back where it was.
TEST_F(PalettesTest, AtTheFirstStartNoWindowCoversAnothers) {
  TScriptedScreenProvider screen;
  screen.SetMetric(SM_CXSCREEN, 1280);
  screen.SetMetric(SM_CYSCREEN, 1024);
  struct TPlaces {
    RECT frame, canvas, folder, tools, zoom, config;
  };
  std::vector<TPlaces> starts;
  for (int start = 0; start < 2; ++start) {
    TOpticalEditor &editor = Open("");
    editor.ShowConfigurationBar(1);
    ASSERT_NE(PropertiesFolder(), nullptr);
    starts.push_back(TPlaces{editor.GetWindowRect(), editor.Canvas()->GetWindowRect(),
                             PropertiesFolder()->GetWindowRect(), editor.EditTools().toolsPalette->GetWindowRect(),
                             editor.EditTools().zoomPalette->GetWindowRect(),
                             editor.EditTools().configPalette->GetWindowRect()});
    CloseDiscardingChanges(editor);
    delete editor_;
    editor_ = nullptr;
  }
  const TPlaces &first = starts[0];
  const struct {
    const char *what;
    RECT a, b;
  } apart[] = {
      {"folder over the frame", first.folder, first.frame},
      {"folder over the tools", first.folder, first.tools},
      {"folder over the zoom palette", first.folder, first.zoom},
      {"folder over the configurations palette", first.folder, first.config},
      {"configurations palette over the canvas", first.config, first.canvas},
      {"configurations palette over the tools", first.config, first.tools},
      {"configurations palette over the zoom palette", first.config, first.zoom},
      {"tools over the zoom palette", first.tools, first.zoom},
      {"tools over the canvas", first.tools, first.canvas},
      {"zoom palette over the canvas", first.zoom, first.canvas},
  };
  for (const auto &pair : apart) EXPECT_FALSE(Overlap(pair.a, pair.b)) << pair.what;
  for (const RECT &window : {first.frame, first.folder, first.tools, first.zoom, first.config}) {
    EXPECT_GE(window.left, 0);
    EXPECT_GE(window.top, 0);
    EXPECT_LE(window.right, 1280);
    EXPECT_LE(window.bottom, 1024);
  }
  // The frame's own return is the platform's (an offscreen frame reports its place its
  // own way); the folder, tools, zoom and configurations palettes come back where they stood.
  int index = 0;
  for (RECT TPlaces::*window : {&TPlaces::folder, &TPlaces::tools, &TPlaces::zoom, &TPlaces::config}) {
    EXPECT_EQ((starts[1].*window).left, (first.*window).left) << "window " << index;
    EXPECT_EQ((starts[1].*window).top, (first.*window).top) << "window " << index++;
  }
}

}  // namespace
