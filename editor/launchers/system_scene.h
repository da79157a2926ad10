#pragma once
// The 3-D scene of the edited system, as the editor hands it to its viewer: one solid per
// single surface (a mirror plate of D/15, a thin plate of a refracting surface), and for
// every pair of neighbouring surfaces of an element the glass they bound: a wedge prism
// where both are flat and turned against each other, else a lens solid (two halves, each
// on its own face, where one face is tilted or decentred against the other); the polyline
// through the vertices in colour 7; and, while the real beams are drawn, a fan of rays
// around each beam.
//
// Solids stand in the system's global coordinates with their own z along the surface's
// axis, turned so that the axis points the way the light arrives (the reference ray: beam
// 0 through the pupil's centre). Bounds the solids cannot show (ellipses, or a rectangle
// next to a round face) are left out without a message. The bevel the editor works out
// for an element's edges is not drawn: the scene's solids have no chamfer for it (see the
// mapping in viewer3d/scene/viewer_scene.h), so it is not computed either.

#include <string>

class TSystemImage;
class TViewerScene;

// "Optical Viewer-3D - " and the name exactly as it stands.
std::string Viewer3DCaption(const std::string &systemName);

// Adds the system's solids and rays to the scene (which keeps what it had).
void BuildSystemScene(TSystemImage &system, TViewerScene &scene);

// The colours of the scene's lines: the vertices' polyline, the one beam's fan, and the
// beams' fans in turn when there are several.
constexpr int kVertexLineColor = 7;
constexpr int kSingleBeamColor = 12;
constexpr int kBeamColors[6] = {14, 10, 12, 11, 13, 9};
// The fan around a beam: traced across its pupil first to find its radius.
constexpr int kFanProbeRays = 51;
