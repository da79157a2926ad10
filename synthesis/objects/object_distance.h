#pragma once
// The distance of a finite object from the optical system: the length from the object
// surface's vertex (surface 0) to that of surface 1, in metres.

class TOpticalSystem;

// The distance now, metres; 0 when the system has fewer than two surfaces.
double ObjectDistanceOf(const TOpticalSystem &system);

// Moves surface 1 and every later surface together so that surface 1 lies `metres` from
// surface 0 along its old direction, or along the axis (1, 0, 0) when the two vertices
// coincide. Nothing moves when the system has fewer than two surfaces or the distance is
// not a finite number. 1 when the system moved.
int PlaceObjectAt(TOpticalSystem &system, double metres);
