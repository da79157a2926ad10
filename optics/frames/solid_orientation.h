#pragma once
// Where the 3-D view puts the solid of an element: the angles (radians, R = Rx(alpha)
// Ry(beta) Rz(gamma) as TRotator builds them) that turn a solid's own frame onto a
// surface's axis, and the placement of a wedge prism whose two faces lie on its two flat
// surfaces. Closed forms: no fitting.

#include "foundation/containers/points.h"

// Angles that turn the reference direction onto the direction (neither needs unit length).
// The turn about the direction is fixed so that the frame's x axis, turned, lies as close
// to -z as it can: a direction in the x-y plane, the plane the editor draws in, keeps the
// frame's y axis in that plane too, so a rectangular face keeps its height (y) in the
// drawing plane and its width across it. A direction along z takes the frame's x axis to -x
// instead. Zero, infinite or NaN vectors give zero angles and false.
bool LensArrayProfileA(const DPOINT3 &reference, const DPOINT3 &direction, DANGLE3 &angles);

// The angles of a rotation matrix m (row-major; m = Rx(alpha) Ry(beta) Rz(gamma)); at
// beta = +-pi/2, where only alpha +- gamma is fixed, gamma is 0.
DANGLE3 EulerAnglesOfMatrix(const double m[3][3]);

// The placement of the scene's triangular prism (its cross-section in its y-z plane: apex
// (0, h), base corners (-d1, 0) and (c - d1, 0) with d1 = (a^2 + c^2 - b^2) / (2 c), faces
// a = |AB| and b = |AC| meeting at the apex angle |wedge|, length along x) for a wedge
// prism of two flat surfaces:
// surface 1 with its vertex, axis (the light's way into the glass) and second direction
// (its local y, the direction its face extends along in the plane of the wedge), face
// height height1; surface 2 through vertex2, turned against surface 1 by wedge about the
// local z, so that its axis is cos(wedge) axis + sin(wedge) second, face height height2.
// The apex lies where the two surface planes meet; face AB lies on surface 1 and face AC
// on surface 2, both as long as the farther reach from the apex to a surface's far edge
// (its height centred on its vertex), so each face holds its surface whole (face1 and
// face2 answer their lengths a and b). The glass lies
// behind surface 1 (along the axis) and before surface 2. When surface 2 does not close
// the wedge behind surface 1 (a vertex beyond the apex), face AB of height1 is centred on
// vertex 1 and face AC of height2 leaves its apex. False (angles, position and faces zero)
// for a zero wedge, zero heights, or axes that give no frame.
bool LensArrayProfileB(double height1, double height2, double wedge, const DPOINT3 &axis,
                       const DPOINT3 &second, const DPOINT3 &vertex1, const DPOINT3 &vertex2,
                       DANGLE3 &angles, DPOINT3 &position, double &face1, double &face2);
