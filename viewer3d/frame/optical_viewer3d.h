#pragma once
// TOpticalViewer3D: the modeless frame in which an optical system is seen as shaded solids
// and ray paths. Its client is the scene window TOptic3DV, of the fixed scene size; above
// it a control bar of view commands (quality, zoom, the two tool palettes, axes, rays, fit,
// sections, stereo, the movie buttons), below it a status bar. The frame owns the scene (the element
// and ray records, viewer3d/scene/viewer_scene.h), reads its settings from "View_3D.ini"
// and drives the stereo-glasses driver. The editor opens it as TOpticalViewer3DForEdit2D,
// which tells its parent when it goes.
//
// The view commands turn or shift the view by one step and repaint without fitting; only
// the two fit commands, stereo and the editor's refresh fit the scene again. Zooming keeps
// the scale within [kMinViewScale, kMaxViewScale], so neither it nor the shift step ever
// reaches 0 or infinity.

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/bars/frame_window.h"
#include "viewer3d/movies/viewer_movie.h"
#include "viewer3d/palette/tools_wnd.h"
#include "viewer3d/scene/viewer_scene.h"
#include "viewer3d/settings/viewer_settings.h"

class TButtonGadget;
class TCommandEnabler;
class TOControlBar;
class TOptic3DV;
class TStatusBar;

// The notice the editor's viewer sends its parent (WM_COMMAND, lParam the viewer) when it
// goes.
constexpr int CM_VIEWER3D_DESTROYED = 1130;

constexpr double kMinViewScale = 1e-6;
constexpr double kMaxViewScale = 1e6;

class TOpticalViewer3D : public TDecoratedFrame, public TPaletteOwner {
 public:
  // The scene window is sceneWidth x sceneHeight unless "View_3D.ini" gives "iwSize" and
  // "ihSize", in either case no larger than the screen shows whole; the frame stands at
  // (x, y) (screen), w + 100 by h + 100 at first, and snaps to the scene and its bars,
  // wholly on the screen.
  TOpticalViewer3D(TWindow *parentWindow, const char *titleText, int sceneWidth, int sceneHeight, int left,
                   int top, int w, int h);
  ~TOpticalViewer3D() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

  // The view.
  void SetScale(double scale);
  double Scale() const;
  void SetViewport(double centreX, double centreY);
  void TurnView(const DANGLE3 &angles, const DPOINT3 &shift);
  void SetElementPlacement(const DANGLE3 &angles, const DPOINT3 &position);
  // Centres the projected elements in the scene window at the present scale.
  void CentreScene();
  // The element and ray records, their painting and fitting.
  TViewerScene &Scene() { return *scene_; }
  TOptic3DV &SceneWindow() { return *sceneWindow_; }
  void ClearObjects() { scene_->ClearObjects(); }
  void ClearRays() { scene_->ClearRays(); }
  void Redraw(bool elementsOnly) { scene_->Redraw(elementsOnly); }
  // ClearScene, then the elements and the rays as the viewer paints them.
  void Repaint();

  // Commands.
  void CmQuality(WPARAM id, LPARAM);
  // The twelve turns and shifts (803-814): one step, then a repaint.
  void CmStep(WPARAM id, LPARAM);
  // Zoom in and out double and halve the scale about the scene window's centre, so what
  // the user looks at stays in view; 1:1 takes the zoom steps back the same way.
  void CmZoomIn();
  void CmZoomOut();
  void CmActualView();
  void CmRotateTools();
  void CmMoveTools();
  void CmAxes();
  void CmRays();
  void CmFitElements();
  void CmFitElementsAndRays();
  void CmSections();
  void CmStereo();
  void CmSwapEyes();
  // Movies: the animation pop-up (829), the start of an animation's movie (its items,
  // 10000 + the kind), the player (830).
  void CmCreateAnimation();
  void CmStartAnimation(WPARAM id, LPARAM);
  void CmPlayMovie();
  // The system rotation of View_3D.ini's [Animation]: each frame written before its turn,
  // the rotation step put back afterwards (also after a failed write), the movie finished
  // after a whole run.
  void RunSystemRotation();
  // The scene window's picture as the movie's next frame, standing for `step` periods.
  int WriteViewerFrame(int step) { return movie_->WriteViewerFrame(step); }
  TViewerMovie &Movie() { return *movie_; }
  void CeStereo(TCommandEnabler &enabler);
  void CeSwapEyes(TCommandEnabler &enabler);
  // The other commands of the viewer are always enabled.
  void CeViewerCommand(TCommandEnabler &enabler);
  void EvSize(UINT sizeType, const SIZE &size);
  void EvSetFocus(HWND lost);
  void EvClose();

  // TPaletteOwner.
  TWindow &PaletteCommandTarget() override { return *this; }
  void PaletteClosedByUser(TToolsWnd &palette) override;
  void PaletteGone(TToolsWnd &palette) override;

  // Draws the stereo grid over the scene's background (while stereo is on).
  void DrawStereoGrid();

  // State.
  int Quality() const { return scene_->Quality(); }
  int NQuality() const { return nQuality_; }
  int ZoomLevel() const { return zoomLevel_; }
  double RotStep() const { return rotStep_; }
  // The shift of one move command in scene units: a tenth of the scene's width at scale 1.
  double MoveStep() const;
  bool StereoOn() const { return stereoOn_; }
  // 1 installed, 0 not, -1 not asked yet (the first press of the stereo button asks).
  int DriverPresent() const { return driverPresent_; }
  int SceneWidth() const { return sceneWidth_; }
  int SceneHeight() const { return sceneHeight_; }
  TToolsWnd *RotatePalette() const { return rotatePalette_; }
  TToolsWnd *MovePalette() const { return movePalette_; }
  TOControlBar *ControlBar() const { return controlBar_; }
  TStatusBar *ViewerStatusBar() const { return statusBar_; }
  // The button of a command on the bar, or null.
  TButtonGadget *Button(int command) const;

  // Where every viewer looks for "View_3D.ini" before the program's directory: the user's
  // configuration directory (empty: only the program's).
  static void SetUserSettingsDirectory(const std::string &directory);
  static std::string SettingsPath();

  // 1 when no animation of the editor runs (set by the editor at every refresh).
  int stillView = 1;

 private:
  void BuildControlBar();
  void ZoomAboutCentre(double factor);
  // A palette of the six buttons from first; the other palette closes first.
  void OpenPalette(int first, TToolsWnd *&palette, TToolsWnd *&other, POINT &place, POINT &otherPlace);
  void DeletePalette(TToolsWnd *&palette, POINT &place);
  void ClosePalettes();
  void DeleteRetiredPalettes();
  void SetButtonDown(int command, bool down);
  // What the construction reads first: the scene's size and the fault met reading it.
  struct TSceneSetup {
    SIZE size;
    std::string fault;
  };
  static TSceneSetup ReadSetup(int sceneWidth, int sceneHeight);
  TOpticalViewer3D(TWindow *parentWindow, const char *titleText, const TSceneSetup &setup, int left, int top,
                   int w, int h);
  // Shows a settings message.
  void TellSettingsFault(const std::string &fault);
  // Sizes the frame to the scene and its bars, no larger than the screen, and moves it
  // wholly onto the screen.
  void FitFrameToScene();

  TOptic3DV *sceneWindow_;
  std::unique_ptr<TViewerScene> scene_;
  // The movie this viewer records (the scene's recorder).
  std::unique_ptr<TViewerMovie> movie_;
  TOControlBar *controlBar_ = nullptr;
  TStatusBar *statusBar_ = nullptr;
  TToolsWnd *rotatePalette_ = nullptr;
  TToolsWnd *movePalette_ = nullptr;
  // Palettes closed by their close box, deleted at the next palette command or with us.
  std::vector<TToolsWnd *> retiredPalettes_;
  POINT rotatePlace_{-1, -1};
  POINT movePlace_{-1, -1};
  int sceneWidth_;
  int sceneHeight_;
  int nQuality_ = 10;
  int zoomLevel_ = 0;
  double rotStep_ = 30.0 * kRadiansPerDegree;
  double baseMoveStep_ = 0.0;
  DANGLE3 initialTurn_;
  bool stereoOn_ = false;
  double stereoRot_ = 4.0 * kRadiansPerDegree;
  double coefStereoTrans_ = 0.0;
  int driverPresent_ = -1;
  bool snapping_ = false;
  std::string lastFault_;
};

// The editor's viewer: on going it sends CM_VIEWER3D_DESTROYED to its parent.
class TOpticalViewer3DForEdit2D : public TOpticalViewer3D {
 public:
  using TOpticalViewer3D::TOpticalViewer3D;
  bool Find(TEventInfo &info) override;
  void EvDestroy();
};
