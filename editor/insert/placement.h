#pragma once
// The part of the interactive placement that changes the system, without windows: a new
// surface goes in after the preceding one on the beam where the click points, turned along the chief ray,
// its aperture sized by a fan of real rays; and the undoing of that when the element is
// not wanted after all.

#include <string>
#include <vector>

#include "editor/insert/face_clearance.h"
#include "editor/insert/inserted_element_info.h"

class TSystemImage;

// Fewest rays per beam in the fan that sizes the new surface.
constexpr int kPlacementFanRays = 51;

// The tilt about z (radians) of a surface put after `preceding`: the direction of the
// chief ray of the first beam where it leaves that surface, 0 when the ray does not reach it.
double ChiefRayTilt(TSystemImage &system, int preceding);

// Prepares the changed system, and regroups its elements when asked, keeping the pupil
// settings as the user left them: the preparation of a changed system would replace them.
void UpdateKeepingPupil(TSystemImage &system, bool regroup);

// The chief ray of the first beam where it leaves surface `surface`, in system coordinates,
// the system prepared first (the user's pupil settings kept). False when it does not get
// there.
bool ChiefRayLeaving(TSystemImage &system, int surface, TPlacedRay &ray);

// An element about to be built: its faces as they will stand, and how far it turns the
// beam (radians about z; the surfaces after it turn so about its last vertex). Its reach
// along the placed direction from its vertex (front <= 0, back >= 0) names the room it needs.
struct TElementReach {
  double front = 0.0;
  double back = 0.0;
  double turn = 0.0;
  std::vector<TSampledFace> faces;
};

// Adds one face of an element about to be built, as it will stand.
void AddFaceReach(const TInsertedElementInfo &info, const TSurface &face, TElementReach &reach);
// A face of the shape g gives with radius `radius` (SetRadius), as AddFaceReach takes it.
TSurface FaceOf(const TGeneralParameters &g, double radius);

// The one check of every placement road (each new-element page, paste, the library's
// element, a single surface, a place beyond the image plane): why an element standing at
// the placed vertex with the faces of `reach` would cross the element it follows or the one
// after the placed surface, or "" when it has room. Each face of the element is judged
// against each face of those neighbours where both stand, in every configuration (the
// neighbours moved to their places there; the new element stands alike in all): the
// neighbours before it must stand in front of it along the placed direction, those after it
// behind it along the direction it leaves in, after the turn it gives them; an image plane
// that directly follows is moved behind the element afterwards. The refusal names the
// configuration, the surfaces, the gap between the vertices, the room between the
// neighbours' faces and the gap the element needs. Then, wherever they stand in the surface
// order (a beam folded back past elements it crossed), every surface and the image plane
// within its height, where each will stand once the element is built: a face inside the
// element's glass or the element's inside theirs, or faces through each other, refuse it,
// naming the surface, how deep they cross and where. Last, what the building moves (the
// surfaces a turn carries, an image plane put behind the element) against the surfaces
// before the element, which stay: a crossing the move makes refuses it, naming both.
std::string PlacementRoom(TSystemImage &system, const TInsertedElementInfo &info, const TElementReach &reach);

// The check for the placed surface itself, as New Single Surface leaves it.
std::string PlacedSurfaceRoom(TSystemImage &system, const TInsertedElementInfo &info);

// The same check for a click before anything is built: the vertex the click gives (on the
// chief ray leaving `preceding`, see PlacedVertex) must stand between the preceding surface
// and the following one, and outside the glass of every surface in space, in every
// configuration. "" when it does.
std::string PlacementCrossing(TSystemImage &system, int preceding, double x, double y);

// Where along the beam a click at world (x, y) puts a new element after `preceding`: the
// foot of the click on the traced chief ray of the first beam leaving that surface, so the
// vertex lies on the beam's axis whatever the click's height; where the ray does not get
// there, on the preceding surface's axis line along +x through its vertex.
DPOINT3 PlacedVertex(TSystemImage &system, int preceding, double x, double y);

// Puts a new surface after `preceding` (appended after the last surface) with its vertex at
// the foot of (x, y) on the beam (PlacedVertex): count > 0 takes the preceding surface's
// radius, any other count makes it plane. It stands in the medium that follows the preceding surface, so the system's optics stay
// as they were; the rays of every beam size its semi-height. Fills info and answers the
// new surface's index, or -1 (nothing changed) when `preceding` is no surface.
int PlaceSurface(TSystemImage &system, int preceding, double x, double y, int count,
                 TInsertedElementInfo &info);

// The preceding surface that a press at world (x, y) picks on the object or image plane,
// which belong to no element: the object plane (the new element goes first) or the image
// plane (it goes last, before the image plane); reach is the pick distance (mm). -1 when
// the press meets neither plane. `plane` (may be null) takes the met plane's own index (0
// or the last), which the preceding index alone does not tell in a system of two surfaces.
int PickedPlane(const TSystemImage &system, double x, double y, double reach, int *plane = nullptr);

// Empties the element that holds `surface` before the surface is deleted; the others stay,
// so that the regrouping afterwards keeps every configuration's places of them.
void ForgetElementOf(TSystemImage &system, const TSurface *surface);

// Takes the placed surface away again while the folder has put nothing in its place.
// 1 when removed.
int RemovePlacedSurface(TSystemImage &system, TInsertedElementInfo &info);

