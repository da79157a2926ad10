#pragma once
// The part of the interactive placement that changes the system, without windows: a new
// surface goes in after the preceding one at the clicked point, turned along the chief ray,
// its aperture sized by a fan of real rays; and the undoing of that when the element is
// not wanted after all.

#include <string>

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

// Why a new element put after `preceding` with its vertex at (x, y) would cross its
// neighbours, or "" when it would not: the gaps from the preceding surface's vertex to the
// new one and from the new one to the following surface's vertex, measured along the chief
// ray that leaves the preceding surface (+x where it does not), must not be negative; the
// element reaches `length` (mm) along that ray from its vertex (0: unknown yet). The image
// plane is no neighbour here: a system is focused onto it afterwards.
std::string PlacementCrossing(TSystemImage &system, int preceding, double x, double y, double length = 0.0);

// Puts a new surface after `preceding` (appended after the last surface) with its vertex at
// (x, y, 0): count > 0 takes the preceding surface's radius, any other count makes it plane.
// It stands in the medium that follows the preceding surface, so the system's optics stay
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

// Takes the placed surface away again while the folder has put nothing in its place.
// 1 when removed.
int RemovePlacedSurface(TSystemImage &system, TInsertedElementInfo &info);

