#pragma once
// What the element painters ask of a 3-D drawer, kept free of any window code so that the
// solids' geometry is tested and measured without a display: parametric surface pieces,
// single triangles and edge lines in the element's own frame, and the choice of palette
// ramps the following pieces are shaded in. The scene window implements it on the
// toolkit's renderer; tests count and collect what is drawn.

#include "foundation/containers/points.h"
#include "foundation/interfaces/mesh_function.h"
#include "platform/core/types.h"

// What a face of a two-surface element is made of; it chooses the face's colours.
enum TSurfaceKind : int { kGlassFace = 0, kMirrorFace = 1, kMountFace = 2 };

// Ramps of the shared palette the painters shade in.
constexpr int kGlassRamp = 0;
constexpr int kMountRampFirst = 1;
constexpr int kMountRampLast = 2;
constexpr int kMirrorRampFirst = 3;
constexpr int kMirrorRampLast = 4;
// The reflecting face of the rectangular mirror: the brightest ramp alone.
constexpr int kMirrorFaceRamp = 4;
// Edge lines of the prism (COLORREF).
constexpr COLORREF kPrismEdgeColor = 0x7F7F00;

class TSolidDrawer {
 public:
  virtual ~TSolidDrawer() = default;
  // The ramps first..last of the shared palette shade the following pieces.
  virtual void SetRamps(int first, int last) = 0;
  // Draws the patch (u, v) in [0, 1]^2 as uSteps x vSteps cells of two triangles each.
  // halfTone: every second pixel only, so what lies behind glass shows through.
  virtual void DrawSurface(TMeshPointFunction function, void *context, int uSteps, int vSteps,
                           bool halfTone) = 0;
  virtual void Triangle(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c, bool halfTone) = 0;
  virtual void Line(const DPOINT3 &a, const DPOINT3 &b, COLORREF color) = 0;
};

// Makes the ramps of a face kind active and answers whether it is drawn half-toned: glass
// is (ramp 0), mirror (ramps 3-4) and mount (ramps 1-2) are solid; any other kind leaves
// the ramps as they are and is drawn solid.
bool ApplySurfaceKind(TSolidDrawer &drawer, int kind);

// A glass face facing a mirror face of the same element keeps its glass colour and the
// mirror's side is drawn as the mount: glass-mirror becomes glass-mount, then mirror-glass
// becomes mount-glass.
void AdjustFaceKinds(int &kind1, int &kind2);

// The quality the painters work with: at least one cell, so half of quality 1 still draws.
inline int EffectiveQuality(int quality) { return quality < 1 ? 1 : quality; }
