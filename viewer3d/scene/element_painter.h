#pragma once
// The ten painters of the element kinds as one interface, and the hand-over of a record
// to the painter of its kind. The scene window is such a painter (it scales every length
// first); TSolidPainter is the one that draws the solids through a TSolidDrawer.

#include "viewer3d/scene/scene_records.h"

class TSolidDrawer;

class TElementPainter {
 public:
  virtual ~TElementPainter() = default;
  // The curved solids answer false, drawing nothing, when their preparation refuses the
  // shape; n is the quality.
  virtual bool PaintBaseElement(const TRoundFace &face1, const TRoundFace &face2, double L,
                                int n) = 0;
  virtual bool PaintBaseRectElement(const TRectFace &face1, const TRectFace &face2, double L,
                                    int n) = 0;
  virtual bool PaintLens(const TLensShape &lens, int n) = 0;
  virtual bool PaintRoundMirror(const TRoundMirrorShape &mirror, int n) = 0;
  // The faceted solids always draw.
  virtual void PaintRectPlate(const TRectSlab &plate) = 0;
  virtual void PaintRectMirror(const TRectSlab &mirror) = 0;
  virtual void PaintSplitterCube(const TRectSlab &cube) = 0;
  // i1..i3 travel with the prism and are not drawn.
  virtual void PaintPrism(const TPrismShape &prism, int i1, int i2, int i3) = 0;
  virtual void PaintWedge(const TWedgeShape &wedge) = 0;
  virtual bool PaintPlacedLens(const TPlacedLensShape &lens, int n) = 0;
};

// Draws through a TSolidDrawer with every length multiplied by the scale (angles, face
// kinds and qualities unchanged); the round element is cut open by the section angles.
class TSolidPainter : public TElementPainter {
 public:
  explicit TSolidPainter(TSolidDrawer &drawer) : drawer_(drawer) {}

  void SetScale(double scale) { scale_ = scale; }
  double Scale() const { return scale_; }
  // The sector phi1..phi2 (radians) of the next round elements is left open.
  void SetSectionAngles(double phi1, double phi2) {
    phi1_ = phi1;
    phi2_ = phi2;
  }

  bool PaintBaseElement(const TRoundFace &face1, const TRoundFace &face2, double L,
                        int n) override;
  bool PaintBaseRectElement(const TRectFace &face1, const TRectFace &face2, double L,
                            int n) override;
  bool PaintLens(const TLensShape &lens, int n) override;
  bool PaintRoundMirror(const TRoundMirrorShape &mirror, int n) override;
  void PaintRectPlate(const TRectSlab &plate) override;
  void PaintRectMirror(const TRectSlab &mirror) override;
  void PaintSplitterCube(const TRectSlab &cube) override;
  void PaintPrism(const TPrismShape &prism, int i1, int i2, int i3) override;
  void PaintWedge(const TWedgeShape &wedge) override;
  bool PaintPlacedLens(const TPlacedLensShape &lens, int n) override;

 private:
  TSolidDrawer &drawer_;
  double scale_ = 1.0;
  double phi1_ = 0.0;
  double phi2_ = 0.0;
};

// What painting one record came to.
enum TRecordPaint { kRecordPainted, kRecordRefused, kRecordSkipped };

// Hands the record to the painter of its kind at quality n. An unknown kind, or a record
// too short for its kind, is skipped.
TRecordPaint PaintElementRecord(const TSceneRecord &record, TElementPainter &painter, int n);

// The message of a refused solid: the text names the preparation, the caption the painter
// ("CreateLense" / "PaintLens"); nulls for the kinds that always draw.
struct TSolidFailureText {
  const char *text;
  const char *caption;
};
TSolidFailureText SolidFailureText(int kind);
