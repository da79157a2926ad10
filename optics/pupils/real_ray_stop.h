#pragma once
// The stop found with real rays. Paraxial imaging of the apertures assumes faces that stand
// square on one axis; through a prism's tilted faces or a decentred group it names a stop
// the light never sees. Real rays of the axial beam, widened until a face clips them, name
// the surface that really limits it.

class TOpticalSystem;

struct TRealStop {
  // The surface that clips the axial beam first, -1 when the search does not apply.
  int stop = -1;
  // The axial beam's widest diameter in object space that passes every face (mm), from an
  // object at infinity.
  double entranceDiameter = 0.0;
  // From a near object: the tangent of the widest angle to the axis at which rays from the
  // object's axial point pass every face.
  double apertureSlope = 0.0;
};

// Whether some surface after the object is tilted about any axis or has its vertex off the
// object surface's axis: the paraxial stop search is then no guide.
bool HasTiltedOrDecentredFaces(const TOpticalSystem &system);

// The stop of a system with an untilted object surface, searched with meridional real rays
// on either side of the axis: parallel to it from an object at infinity, from the axial
// object point from a near one. stop -1 when the object surface is turned or the axial ray
// itself does not pass.
TRealStop RealRayStop(TOpticalSystem &system);
