#include "viewer3d/scene/element_painter.h"

#include "viewer3d/solids/solid_drawer.h"

namespace {

TRoundFace Scaled(TRoundFace f, double s) {
  f.R *= s;
  f.D *= s;
  f.Di *= s;
  f.F *= s;
  f.Fi *= s;
  return f;
}

TRectFace Scaled(TRectFace f, double s) {
  f.R *= s;
  f.W *= s;
  f.H *= s;
  f.Wi *= s;
  f.Hi *= s;
  f.F *= s;
  f.Fi *= s;
  return f;
}

TRectSlab Scaled(TRectSlab slab, double s) {
  return TRectSlab{slab.W * s, slab.H * s, slab.T * s, slab.c * s, slab.e * s};
}

}  // namespace

bool TSolidPainter::PaintBaseElement(const TRoundFace &face1, const TRoundFace &face2, double L,
                                     int n) {
  return ::PaintBaseElement(drawer_, Scaled(face1, scale_), Scaled(face2, scale_), L * scale_, n,
                            phi1_, phi2_);
}

bool TSolidPainter::PaintBaseRectElement(const TRectFace &face1, const TRectFace &face2,
                                         double L, int n) {
  return ::PaintBaseRectElement(drawer_, Scaled(face1, scale_), Scaled(face2, scale_),
                                L * scale_, n);
}

bool TSolidPainter::PaintLens(const TLensShape &lens, int n) {
  const double s = scale_;
  return ::PaintLens(drawer_, TLensShape{lens.R1 * s, lens.R2 * s, lens.D * s, lens.T * s, lens.b * s},
                     n);
}

bool TSolidPainter::PaintRoundMirror(const TRoundMirrorShape &m, int n) {
  const double s = scale_;
  return ::PaintRoundMirror(drawer_, TRoundMirrorShape{m.R * s, m.D * s, m.T * s, m.Dh * s, m.b * s},
                            n);
}

void TSolidPainter::PaintRectPlate(const TRectSlab &plate) {
  ::PaintRectPlate(drawer_, Scaled(plate, scale_));
}

void TSolidPainter::PaintRectMirror(const TRectSlab &mirror) {
  ::PaintRectMirror(drawer_, Scaled(mirror, scale_));
}

void TSolidPainter::PaintSplitterCube(const TRectSlab &cube) {
  ::PaintSplitterCube(drawer_, Scaled(cube, scale_));
}

void TSolidPainter::PaintPrism(const TPrismShape &prism, int, int, int) {
  ::PaintPrism(drawer_, TPrismShape{prism.a * scale_, prism.b * scale_, prism.w * scale_, prism.gamma});
}

void TSolidPainter::PaintWedge(const TWedgeShape &w) {
  TWedgeShape scaled = w;
  for (DPOINT3 &c : scaled.corners) c = DPOINT3(c.x * scale_, c.y * scale_, c.z * scale_);
  ::PaintWedge(drawer_, scaled);
}

bool TSolidPainter::PaintPlacedLens(const TPlacedLensShape &lens, int n) {
  const double s = scale_;
  TPlacedLensShape scaled = lens;
  scaled.face1 = Scaled(lens.face1, s);
  scaled.face2 = Scaled(lens.face2, s);
  scaled.vertex2 = DPOINT3(lens.vertex2.x * s, lens.vertex2.y * s, lens.vertex2.z * s);
  for (int k = 0; k < 2; ++k) scaled.W[k] = lens.W[k] * s, scaled.Wi[k] = lens.Wi[k] * s;
  return ::PaintPlacedLens(drawer_, scaled, n, phi1_, phi2_);
}

TRecordPaint PaintElementRecord(const TSceneRecord &record, TElementPainter &painter, int n) {
  auto result = [](bool drawn) { return drawn ? kRecordPainted : kRecordRefused; };
  switch (RecordKind(record)) {
    case kRoundElementKind: {
      TRoundFace a, b;
      double L = 0.0;
      if (!ReadRoundElement(record, a, b, L)) break;
      return result(painter.PaintBaseElement(a, b, L, n));
    }
    case kRectElementKind: {
      TRectFace a, b;
      double L = 0.0;
      if (!ReadRectElement(record, a, b, L)) break;
      return result(painter.PaintBaseRectElement(a, b, L, n));
    }
    case kLensKind: {
      TLensShape lens;
      if (!ReadLens(record, lens)) break;
      return result(painter.PaintLens(lens, n));
    }
    case kRoundMirrorKind: {
      TRoundMirrorShape mirror;
      if (!ReadRoundMirror(record, mirror)) break;
      return result(painter.PaintRoundMirror(mirror, n));
    }
    case kRectPlateKind:
    case kRectMirrorKind:
    case kSplitterCubeKind: {
      TRectSlab slab;
      if (!ReadRectSlab(record, slab)) break;
      const int kind = RecordKind(record);
      if (kind == kRectPlateKind) painter.PaintRectPlate(slab);
      else if (kind == kRectMirrorKind) painter.PaintRectMirror(slab);
      else painter.PaintSplitterCube(slab);
      return kRecordPainted;
    }
    case kPrismKind: {
      TPrismShape prism;
      int i1 = 0, i2 = 0, i3 = 0;
      if (!ReadPrism(record, prism, i1, i2, i3)) break;
      painter.PaintPrism(prism, i1, i2, i3);
      return kRecordPainted;
    }
    case kWedgeKind: {
      TWedgeShape wedge;
      if (!ReadWedge(record, wedge)) break;
      painter.PaintWedge(wedge);
      return kRecordPainted;
    }
    case kPlacedLensKind: {
      TPlacedLensShape lens;
      if (!ReadPlacedLens(record, lens)) break;
      return result(painter.PaintPlacedLens(lens, n));
    }
    default:
      break;
  }
  return kRecordSkipped;
}

TSolidFailureText SolidFailureText(int kind) {
  switch (kind) {
    case kRoundElementKind:
    case kPlacedLensKind: return {"BaseElement", "PaintBaseElement"};
    case kRectElementKind: return {"BaseRectElement", "PaintBaseRectElement"};
    case kLensKind: return {"CreateLense", "PaintLens"};
    case kRoundMirrorKind: return {"CreateRoundMirror", "PaintRoundMirror"};
    default: return {nullptr, nullptr};
  }
}
