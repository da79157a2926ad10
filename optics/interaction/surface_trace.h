#pragma once
// The optics of a TSurface: the surface operations of the ray-surface interaction, written
// as free functions over the model's surface and ray (TSurface keeps no trace members of its
// own). Each builds the surface's flat view and hands it to the interaction core.

#include "foundation/containers/points.h"
#include "optics/interaction/interaction_types.h"

class TSurface;
class TCurrentRay;

// The flat view of a surface; it points into the surface's coefficient and phase arrays, so
// it is valid while the surface is not changed. Building one costs about a third of a
// sphere trace: a loop over many rays builds the views once and calls TraceSurfaceRay.
TInteractionSurface MakeInteractionSurface(const TSurface &surface);

// The full interaction on a ray in global coordinates (TSurface::Trace).
int SurfaceTrace(const TSurface &surface, TCurrentRay &ray);
// Iterative intersection in the surface's frame (TSurface::IntersectIterative).
int SurfaceIntersectIterative(const TSurface &surface, double point[3], const double direction[3],
                              double normal[3]);
// First-order surface step (TSurface::TraceParaxial): 1, or -1 when L is 0.
int SurfaceTraceParaxial(const TSurface &surface, TCurrentRay &ray, int backwards);

// TSurface::Rotate: sense 0 global to local (M^T v), 1 local to global (M v); unchanged
// when the surface has no matrix.
DPOINT3 SurfaceRotate(const TSurface &surface, const DPOINT3 &v, int sense);
DPOINT3 SurfaceRotateXYZ(const TSurface &surface, double x, double y, double z, int sense);
DPOINT3 SurfaceGetAngles(const TSurface &surface);

// TSurface::SetAsphericCoefficients: type and shape coefficients together. Returns 0 for
// null values or count < 1 with a type other than 0, else 1.
int SurfaceSetAsphericCoefficients(TSurface &surface, int type, const double *values, int count);
// Copies the coefficients into out when given; returns their count.
int SurfaceGetAsphericCoefficients(const TSurface &surface, double *out);

// TSurface::ParseGlass: the index after for one wavelength (and the HOE wavelength factor).
int SurfaceParseGlass(TSurface &surface, double wavelength, double temperature, double pressure);

// TSurface::PointAtHeight, PointOnSurface, Profile and ApertureCentre (global points).
DPOINT SurfacePointAtHeight(const TSurface &surface, double h, int &ok);
DPOINT3 SurfacePointOnSurface(const TSurface &surface, double y, double z, int &ok);
int SurfaceProfile(const TSurface &surface, int count, DPOINT *out, int side, double h,
                   double centre);
DPOINT3 SurfaceApertureCentre(const TSurface &surface, double &radius);
// TSurface::LocalFrame: the aperture's centre and radius, the vertex for the centre when
// the aperture's rim cannot be found.
DPOINT3 SurfaceLocalFrame(const TSurface &surface, double &radius);

// TSurface::Assign: a new surface that copies this one's shape, placement, bounds, media,
// coefficients, HOE data and zones; the caller owns it. Null when memory runs out.
TSurface *SurfaceAssign(const TSurface &surface);
