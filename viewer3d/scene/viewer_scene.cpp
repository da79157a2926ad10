#include "viewer3d/scene/viewer_scene.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "foundation/helpers/helpers.h"
#include "foundation/numerics/pi.h"
#include "platform/core/message_box.h"
#include "viewer3d/scene/scene_canvas.h"

namespace {

constexpr double kDegree = kPi / 180.0;
// Redraw repeats the fit: the shift is composed at the old scale, so the second pass
// centres at the new one; the third confirms it.
constexpr int kFitPasses = 3;
// The renderer's row parities.
constexpr int kAllRows = 0;
constexpr int kOddRows = 1;
constexpr int kEvenRows = 2;

}  // namespace

TViewerScene::TViewerScene(TSceneCanvas &canvas, int sceneWidth, int sceneHeight)
    : canvas_(canvas), sceneWidth_(sceneWidth), sceneHeight_(sceneHeight) {}

void TViewerScene::SetScale(double scale) {
  if (std::isfinite(scale) && scale > 0.0) canvas_.SetScale(scale);
}

double TViewerScene::Scale() const { return canvas_.Scale(); }

void TViewerScene::SetViewport(double x, double y) {
  if (std::isfinite(x) && std::isfinite(y)) canvas_.SetViewCentre(x, y);
}

void TViewerScene::ScaleAbout(double factor, double x, double y) {
  const double scale = canvas_.Scale() * factor;
  if (!(std::isfinite(scale) && scale > 0.0 && std::isfinite(x) && std::isfinite(y))) return;
  // A scene point p is drawn at centre + s P(R p) + P(offset), the view's offset in pixels
  // (P the projection's screen axes): the scale moves everything about the point the
  // scene's origin is drawn at, centre + P(offset). The centre is moved so that the
  // picture is scaled about (x, y) instead.
  double U[3], V[3], centreX = 0.0, centreY = 0.0;
  canvas_.ProjectionAxes(U, V);
  canvas_.ViewCentre(centreX, centreY);
  const DPOINT3 offset = canvas_.ViewTransform().offset;
  const double shiftX = U[0] * offset.x + U[1] * offset.y + U[2] * offset.z;
  const double shiftY = V[0] * offset.x + V[1] * offset.y + V[2] * offset.z;
  SetScale(scale);
  SetViewport(x + factor * (centreX + shiftX - x) - shiftX, y + factor * (centreY + shiftY - y) - shiftY);
}

void TViewerScene::TurnView(const DANGLE3 &angles, const DPOINT3 &shift) {
  canvas_.ComposeViewTransform(angles, shift);
}

void TViewerScene::SetElementPlacement(const DANGLE3 &angles, const DPOINT3 &position) {
  placement_.angles = angles;
  placement_.position = position;
}

int TViewerScene::Append(std::vector<TSceneRecord> &records, TSceneRecord &&record) {
  try {
    records.push_back(std::move(record));
  } catch (const std::bad_alloc &) {
    MessageBox(nullptr, "Not enough memory", " Memory ", MB_OK | MB_ICONINFORMATION);
    return -1;
  }
  return static_cast<int>(records.size()) - 1;
}

int TViewerScene::AddTwoSurfaceSolid(const TRoundFace &face1, const TRoundFace &face2, double L) {
  return Append(objects_, RoundElementRecord(placement_, face1, face2, L));
}

int TViewerScene::AddTwoSurfaceSolid2(const TRectFace &face1, const TRectFace &face2, double L) {
  return Append(objects_, RectElementRecord(placement_, face1, face2, L));
}

int TViewerScene::AddLens(const TLensShape &lens) {
  return Append(objects_, LensRecord(placement_, lens));
}

int TViewerScene::AddRoundMirror(const TRoundMirrorShape &mirror) {
  return Append(objects_, RoundMirrorRecord(placement_, mirror));
}

int TViewerScene::AddRectPlate(const TRectSlab &plate) {
  return Append(objects_, RectPlateRecord(placement_, plate));
}

int TViewerScene::AddRectMirror(const TRectSlab &mirror) {
  return Append(objects_, RectMirrorRecord(placement_, mirror));
}

int TViewerScene::AddCube(const TRectSlab &cube) {
  return Append(objects_, SplitterCubeRecord(placement_, cube));
}

int TViewerScene::AddPrism(const TPrismShape &prism, int i1, int i2, int i3) {
  return Append(objects_, PrismRecord(placement_, prism, i1, i2, i3));
}

int TViewerScene::AddWedge(const TWedgeShape &wedge) { return Append(objects_, WedgeRecord(placement_, wedge)); }

int TViewerScene::AddPlacedLens(const TPlacedLensShape &lens) {
  return Append(objects_, PlacedLensRecord(placement_, lens));
}

int TViewerScene::AddRay(const std::vector<DPOINT3> &points, int color) {
  return Append(rays_, RayRecord(points, color));
}

int TViewerScene::AddRecord(TSceneRecord record) { return Append(objects_, std::move(record)); }

void TViewerScene::ClearObjects() { objects_.clear(); }

void TViewerScene::ClearRays() { rays_.clear(); }

void TViewerScene::SetStereo(bool on, double rotation, double translationShare) {
  stereoOn_ = on;
  stereoRotation_ = rotation;
  stereoTranslation_ = translationShare;
}

void TViewerScene::ClearScene() {
  canvas_.ClearPicture();
  if (stereoOn_ && stereoGrid_) stereoGrid_();
}

void TViewerScene::ExtendElementList() {
  // Every record gets its entry before it is painted, also those the editor adds after
  // the list was first made.
  while (elementList_.size() < objects_.size()) {
    ViewerElementEntry entry;
    std::snprintf(entry.name, sizeof entry.name, "Object %2d",
                  static_cast<int>(elementList_.size()));
    elementList_.push_back(entry);
  }
  if (failureShown_.size() < objects_.size()) failureShown_.resize(objects_.size(), 0);
  elementListMade_ = true;
}

void TViewerScene::PaintRecord(int index) {
  const TSceneRecord &record = objects_[static_cast<std::size_t>(index)];
  const TRecordPaint result = PaintElementRecord(record, canvas_, quality_);
  char &shown = failureShown_[static_cast<std::size_t>(index)];
  if (result == kRecordPainted) {
    shown = 0;
  } else if (result == kRecordRefused && !shown) {
    // Told once: the element stays refused through repaints, turns and animation frames
    // until it paints again.
    shown = 1;
    const TSolidFailureText failure = SolidFailureText(RecordKind(record));
    if (failure.text != nullptr) MessageBox(nullptr, failure.text, failure.caption, MB_OK);
  }
}

void TViewerScene::PaintObjects(bool progressive) {
  SetWaitCursor();
  ExtendElementList();
  canvas_.BeginScene();
  for (int i = 0; i < ObjectCount(); ++i) {
    const TSceneRecord &record = objects_[static_cast<std::size_t>(i)];
    if (record.empty()) continue;
    const TElementPlacement placement = RecordPlacement(record);
    canvas_.SetObjectTransform(placement.angles, placement.position);
    const ViewerElementEntry &entry = elementList_[static_cast<std::size_t>(i)];
    canvas_.SetSectionAngles(entry.fi1 * kDegree, entry.fi2 * kDegree);
    if (stereoOn_) {
      canvas_.SetRowParity(kEvenRows);
      PaintRecord(i);
      TurnView(DANGLE3(0.0, 0.0, stereoRotation_), DPOINT3());
      canvas_.SetRowParity(kOddRows);
      PaintRecord(i);
      TurnView(DANGLE3(0.0, 0.0, -stereoRotation_), DPOINT3());
      canvas_.SetRowParity(kAllRows);
    } else {
      PaintRecord(i);
    }
    if (progressive) canvas_.ShowScene();
  }
  canvas_.GrabScene(0);
  canvas_.InvalidateScene();
  canvas_.DrawAxes();
  SetArrowCursor();
}

void TViewerScene::PaintRays(bool progressive) {
  if (!raysShown_) return;
  SetWaitCursor();
  canvas_.BeginScene();
  if (stereoOn_) {
    canvas_.SetRowParity(kEvenRows);
    DrawRayLines(progressive);
    TurnView(DANGLE3(0.0, 0.0, stereoRotation_), DPOINT3());
    canvas_.SetRowParity(kOddRows);
    DrawRayLines(progressive);
    TurnView(DANGLE3(0.0, 0.0, -stereoRotation_), DPOINT3());
    canvas_.SetRowParity(kAllRows);
  } else {
    DrawRayLines(progressive);
  }
  canvas_.GrabScene(0);
  canvas_.InvalidateScene();
  canvas_.DrawAxes();
  SetArrowCursor();
}

void TViewerScene::DrawRayLines(bool progressive) {
  for (const TSceneRecord &ray : rays_) {
    const int m = RayPointCount(ray);
    if (m < 1) continue;
    canvas_.SetLineColor(RayColor(ray));
    const DPOINT3 first = RayPoint(ray, 0);
    canvas_.MoveTo3D(first.x, first.y, first.z);
    for (int k = 1; k < m; ++k) {
      const DPOINT3 p = RayPoint(ray, k);
      canvas_.LineTo3D(p.x, p.y, p.z);
    }
    if (progressive) canvas_.ShowScene();
  }
}

void TViewerScene::Redraw(bool elementsOnly) {
  SetWaitCursor();
  const bool recording = Recording();
  // While recording every frame keeps the scale and position of the first.
  if (!recording)
    for (int pass = 0; pass < kFitPasses; ++pass) FitToWindow(elementsOnly);
  ClearScene();
  PaintObjects(objectsProgressive_);
  PaintRays(raysProgressive_);
  SetArrowCursor();
  if (recording) recorder_->FrameDrawn();
}

TRotator TViewerScene::SceneView() const {
  TRotator view = canvas_.ViewTransform();
  const double scale = canvas_.Scale();
  view.offset = DPOINT3(view.offset.x / scale, view.offset.y / scale, view.offset.z / scale);
  return view;
}

TSceneProjection TViewerScene::Projection() const {
  TSceneProjection projection;
  canvas_.ProjectionAxes(projection.U, projection.V);
  return projection;
}

TSceneRect TViewerScene::ElementExtents() const {
  return ::ElementExtents(objects_, SceneView(), Projection());
}

TSceneRect TViewerScene::RayExtents() const {
  return ::RayExtents(rays_, SceneView(), Projection());
}

void TViewerScene::FitToWindow(bool elementsOnly) {
  DPOINT3 low, high;
  if (ElementBoxInView(objects_, SceneView(), low, high)) {
    const double extra = stereoOn_ ? (high.x - low.x) * stereoTranslation_ * 0.5 : 0.0;
    TurnView(DANGLE3(), DPOINT3(-(low.x + high.x) * 0.5 + extra, -(low.y + high.y) * 0.5,
                                -(low.z + high.z) * 0.5));
  }
  TSceneRect rect = ElementExtents();
  if (!elementsOnly) rect.Add(RayExtents());
  const TWindowFit fit = FitRectToWindow(rect, sceneWidth_, sceneHeight_);
  SetScale(fit.scale);
  SetViewport(fit.centreX, fit.centreY);
}
