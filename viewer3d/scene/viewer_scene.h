#pragma once
// The 3-D viewer's scene: the main header of viewer3d/. TViewerScene keeps the element and
// ray records of one viewer, fits them to its window and paints them through the scene
// window (a TSceneCanvas: TOptic3DV in viewer3d/window), plainly or as a stereo pair. The
// viewer frame owns one scene and forwards its calls to it; nothing here is module-wide,
// so two viewers never paint into, fit or record for each other.
//
// The editor names the viewer's calls differently; its calls map onto the scene's as
// follows (editor's arguments on the left, in its order):
//
// | editor's call                                | scene's call                                   |
// |----------------------------------------------|------------------------------------------------|
// | TOpticalViewer3DForEdit2D(parent, 0, caption, | the frame (parent, caption, sceneWidth = w,    |
// |   x, y, w, h)                                |   sceneHeight = h, x, y, w, h)                 |
// | ClearObjects(), ClearRays()                  | ClearObjects(), ClearRays()                    |
// | SetViewport(cx, cy), SetScale(s)             | SetViewport(cx, cy), SetScale(s)               |
// | SetRotation(position, angles)                | TurnView(angles, position)                     |
// | SetViewPoint(position, angles)               | SetElementPlacement(angles, position)          |
// | AddTwoSurfaceSolid(R1, D1, D1i, b1, i1, j1,  | AddTwoSurfaceSolid(face1, face2, t), face k =  |
// |   c1, R2, D2, D2i, b2, i2, j2, c2, t, Ex1,   |   {R, e, D, Di, F = i, Fi = j, kind = c} with  |
// |   Ex2): 17 values, groups of 7 with bevel b  |   e = sqrt(Ex) for Ex >= 0, -sqrt(-Ex) for an  |
// |                                              |   oblate Ex < 0; the bevel is not drawn        |
// |                                              |   (15 values: R e D Di F Fi k twice, then t)   |
// | AddTwoSurfaceSolid2(R1, W1, H1, W1i, H1i, b1,| AddTwoSurfaceSolid2(face1, face2, t), face k = |
// |   i1, j1, c1, R2, ..., c2, t): 19 values     |   {R, W, H, Wi, Hi, F = i, Fi = j, kind = c};  |
// |                                              |   the bevel is not drawn (17 values)           |
// | AddSingleSurfaceSolid(H1, H2, depth, wedge,  | AddPrism({a, b = the faces' lengths from the   |
// |   i1, i2, i3)                                |   apex, w = depth, gamma = wedge}, i1, i2, i3) |
// | AddSolid(points, colour number)              | AddRay(points, colour number)                  |
// | Redraw(1)                                    | Redraw(true): fitted to the elements           |
//
// Face codes are the scene's face kinds unchanged: 0 refracting (glass), 1 reflecting
// (mirror), 2 back of a mirror (mount). The editor places a solid in its surface's whole
// frame, (0, 0, 1) turned onto the surface's axis and (0, 1, 0) onto its y (the height),
// so z is the optical axis of every element's own frame. Two flat faces turned against
// each other are drawn as AddWedge's solid, each face its own extent.
//
// Row parity: the renderer's parity 1 draws odd rows and 2 even rows. A stereo pair paints
// the present view on the even rows (parity 2) and the view turned by the stereo angle on
// the odd rows (parity 1).

#include <functional>
#include <vector>

#include "foundation/containers/points.h"
#include "viewer3d/scene/scene_extents.h"
#include "viewer3d/scene/scene_records.h"

class TSceneCanvas;

// One entry of the element list the section dialog edits: "Object %2d" with the record's
// index, and the section angles "Fi 1" and "Fi 2" in degrees (0 and 0: not cut). The
// angles are read as typed numbers, so a typed 1,5 cuts at 1.5 degrees.
struct ViewerElementEntry {
  char name[20] = {};
  double fi1 = 0.0;
  double fi2 = 0.0;
};

// The viewer's recording stream as the scene sees it: while it records, a redraw keeps
// the scale and position of the first frame and hands every finished picture over.
class TFrameRecorder {
 public:
  virtual ~TFrameRecorder() = default;
  virtual bool Recording() const = 0;
  // Called after each redraw while recording; the recorder decides whether it writes.
  virtual void FrameDrawn() = 0;
};

class TViewerScene {
 public:
  // The scene paints into `canvas`, a window of width x height pixels.
  TViewerScene(TSceneCanvas &canvas, int sceneWidth, int sceneHeight);
  TViewerScene(const TViewerScene &) = delete;
  TViewerScene &operator=(const TViewerScene &) = delete;

  // The view.
  void SetScale(double scale);  // ignored unless finite and above 0
  double Scale() const;
  void SetViewport(double x, double y);
  // Multiplies the scale by the factor about the screen point (x, y): the scene drawn
  // there stays, everything else moves away from it or towards it. Ignored when the new
  // scale is not finite and above 0.
  void ScaleAbout(double factor, double x, double y);
  // Composes the turn and the shift (scene units) into the view.
  void TurnView(const DANGLE3 &angles, const DPOINT3 &shift);
  // Given to every element added afterwards.
  void SetElementPlacement(const DANGLE3 &angles, const DPOINT3 &position);
  const TElementPlacement &Placement() const { return placement_; }

  // Add operations: each answers the new record's index, or -1 (with "Not enough
  // memory") when the record cannot be stored.
  int AddTwoSurfaceSolid(const TRoundFace &face1, const TRoundFace &face2, double L);
  int AddTwoSurfaceSolid2(const TRectFace &face1, const TRectFace &face2, double L);
  int AddLens(const TLensShape &lens);
  int AddRoundMirror(const TRoundMirrorShape &mirror);
  int AddRectPlate(const TRectSlab &plate);
  int AddRectMirror(const TRectSlab &mirror);
  int AddCube(const TRectSlab &cube);
  int AddPrism(const TPrismShape &prism, int i1, int i2, int i3);
  int AddWedge(const TWedgeShape &wedge);
  // A round lens whose faces each stand in their own place (tilted or decentred).
  int AddPlacedLens(const TPlacedLensShape &lens);
  int AddRay(const std::vector<DPOINT3> &points, int color);
  // Appends a record as it stands (a record of a kind no painter knows is kept and fitted).
  int AddRecord(TSceneRecord record);
  void ClearObjects();
  void ClearRays();
  const TObjArray &Objects() const { return objects_; }
  const TRayArray &Rays() const { return rays_; }
  int ObjectCount() const { return static_cast<int>(objects_.size()); }
  int RayCount() const { return static_cast<int>(rays_.size()); }

  // Painting. ClearScene fills the picture with the 3-D background; PaintObjects and
  // PaintRays draw over it in one pass each (progressive: the window is shown after every
  // element or ray) and end with the axes overlay. Rays are drawn only while shown.
  void ClearScene();
  void PaintObjects(bool progressive);
  void PaintRays(bool progressive);
  void DrawRayLines(bool progressive);
  // Fits (three times, unless recording), clears and paints elements and rays.
  void Redraw(bool elementsOnly);

  // Extents under the present view, scene units; FitToWindow centres the elements' box
  // on the origin and fills the window with the projected elements (and rays unless
  // elementsOnly) along the tighter axis.
  TSceneRect ElementExtents() const;
  TSceneRect RayExtents() const;
  void FitToWindow(bool elementsOnly);

  // The element list, made at the first paint and kept for the viewer's life; elements
  // added later get their entries before they are painted.
  bool ElementListMade() const { return elementListMade_; }
  std::vector<ViewerElementEntry> &ElementList() { return elementList_; }

  // Settings the viewer frame keeps.
  void SetQuality(int quality) { quality_ = quality < 1 ? 1 : quality; }
  int Quality() const { return quality_; }
  void SetProgressive(bool objects, bool rays) {
    objectsProgressive_ = objects;
    raysProgressive_ = rays;
  }
  bool ObjectsProgressive() const { return objectsProgressive_; }
  bool RaysProgressive() const { return raysProgressive_; }
  void SetRaysShown(bool shown) { raysShown_ = shown; }
  bool RaysShown() const { return raysShown_; }
  // Stereo: the turn about z between the eyes (radians) and the share of the scene's width
  // the fit shifts the pair by. Every element and every ray is painted as a pair, so the
  // whole scene stands at one depth behind the glasses.
  void SetStereo(bool on, double rotation, double translationShare);
  // Drawn over the background after every clear while stereo is on (the viewer's grid).
  void SetStereoGrid(std::function<void()> draw) { stereoGrid_ = std::move(draw); }
  bool StereoOn() const { return stereoOn_; }
  void SetRecorder(TFrameRecorder *recorder) { recorder_ = recorder; }
  int SceneWidth() const { return sceneWidth_; }
  int SceneHeight() const { return sceneHeight_; }

 private:
  int Append(std::vector<TSceneRecord> &records, TSceneRecord &&record);
  void ExtendElementList();
  void PaintRecord(int index);
  // The view with its offset in scene units, and the projection's axes.
  TRotator SceneView() const;
  TSceneProjection Projection() const;
  bool Recording() const { return recorder_ != nullptr && recorder_->Recording(); }

  TSceneCanvas &canvas_;
  TObjArray objects_;
  TRayArray rays_;
  std::vector<ViewerElementEntry> elementList_;
  bool elementListMade_ = false;
  // Whether the refusal of element i has been told since it last painted.
  std::vector<char> failureShown_;
  TElementPlacement placement_;
  int sceneWidth_;
  int sceneHeight_;
  int quality_ = 10;
  bool objectsProgressive_ = true;
  bool raysProgressive_ = false;
  bool raysShown_ = true;
  bool stereoOn_ = false;
  double stereoRotation_ = 0.0;
  double stereoTranslation_ = 0.0;
  std::function<void()> stereoGrid_;
  TFrameRecorder *recorder_ = nullptr;
};
