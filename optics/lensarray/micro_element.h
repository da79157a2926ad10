#pragma once
// Intersection of a ray with the micro element of one lens-array cell, in the cell's local
// frame (element vertex at the origin, vertex normal (1, 0, 0)).

class TSurface;
class TRasterZone;

// Micro-element kinds, in the order the zone page lists them.
enum TMicroType : int {
  kMicroPlane = 0,
  kMicroCylinderOX = 1,
  kMicroCylinderOY = 2,
  kMicroAsphere2 = 3,
  kMicroAspherePolynomial = 4,
  kMicroTor = 5,
  kMicroDiaphragmRect = 6,
  kMicroDiaphragmEllipse = 7,
  kMicroFresnel = 8,
};
constexpr int kMicroTypeCount = 9;

// The name the zone page shows for a micro type; "" outside the list.
const char *MicroTypeName(int microType);

// The micro element's code clamps the base radius here (the zone geometry uses 1e6).
constexpr double kMicroRadiusLimit = 1e5;
// Newton budgets of the iterated kinds.
constexpr int kMicroPolynomialStepLimit = 100;
constexpr int kMicroTorStepLimit = 100;
constexpr int kMicroFresnelStepLimit = 99;
// Polynomial micro elements longer than this are refused (the terms live on the stack).
constexpr int kMaxMicroPolynomialTerms = 64;

// Ray p + s d (local, d a unit vector) against the zone's micro element of `cell` (the
// triple (0, u, w) of the zone geometry). True on a hit: s is the distance from p along d
// (it may be negative) and normal the unit normal there. False on a miss, a ray outside the
// element's clear aperture or transmitting ring, or a solver that did not converge.
bool IntersectMicroElement(const TSurface &surface, int zoneIndex, const double p[3],
                           const double d[3], double normal[3], double &s,
                           const double cell[3]);

// The "Tor" kind (surfaces of revolution of the micro conic); called by the above.
bool IntersectMicroTor(const TRasterZone &zone, int baseType, double baseRadius,
                       const double p[3], const double d[3], double normal[3], double &s,
                       const double cell[3]);
