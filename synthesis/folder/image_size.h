#pragma once
// The conversions between the test object's size and the side of the synthesised image
// field. They take the system's scale from two chief rays, one on the axis and one at field
// 0.1: du is the angle the second ray's start makes with the first ray's end, dh the image
// height of the second ray. A system whose second ray keeps to the axis (du or dh zero)
// has no image-side scale: the conversions that need it report that instead of dividing.

class TOpticalSystem;

// Angle factors of the size units: arc minutes and degrees in radians.
constexpr double kArcMinute = 0.000290888;
constexpr double kDegree = 0.01745329251994;
constexpr double kDegreesPerRadian = 57.295779513093144;

// The field value of the second chief ray.
constexpr double kScaleRayField = 0.1;

// What the conversions read of the system and the synthesis record.
struct TImageSizeInputs {
  double size = 0.0;           // the object size (to the field) or the field side (back)
  double distance = 0.0;       // object distance D, m
  double magnification = 0.0;  // the system's magnification value m
  int imageFinite = 1;         // F
  int objectFinite = 0;        // O
  int unit = 0;                // U: 0 metres, 1 arc minutes, 2 degrees
  int objectSpace = 0;         // C: the size is given in object space
  double du = 0.0;             // the scale rays' angle, radians
  double dh = 0.0;             // the scale ray's image height
  // An object at a finite distance imaged at infinity: the angle (mrad) the image turns
  // through per mm of object height, traced (TraceAngularScale); 0 when it cannot be had.
  // Such a system has no magnification to scale by.
  double angularScale = 0.0;
};

// How a conversion came out.
enum TSizeConversion : int {
  kSizeConverted = 1,
  kSizeScaleUndefined = 0,  // the rule needs du or dh, and it is zero (or not a number)
};

// The image field side Z from the object size (|Z| is the caller's field size).
TSizeConversion ImageFieldFromObjectSize(const TImageSizeInputs &in, double &field);
// The object size from the image field side (the caller keeps its absolute value).
TSizeConversion ObjectSizeFromImageField(const TImageSizeInputs &in, double &objectSize);

// Traces the two scale rays (fields 0 and kScaleRayField) through all surfaces and writes
// du and dh, dh measured in the image surface's own frame (a folded system's too). Answers false, du and dh left 0, when either ray does not pass.
bool TraceScaleRays(TOpticalSystem &system, double &du, double &dh);

// The angle (mrad) at which the chief ray of a finite object's point leaves the system per
// mm of its height (the height in mm at a finite image: the magnification), from the chief
// rays of the object's centre and of a point just above it. False (scale 0) when either
// ray fails or the object lies at infinity.
bool TraceAngularScale(TOpticalSystem &system, double &mradPerMm);

// The message of a conversion without a scale.
constexpr const char *kScaleUndefinedText =
    "The image scale of the system is undefined: its chief ray of field 0.1 keeps to the "
    "axis!\nThe size is left as it was.";

// The largest object the system is laid out for, in object space: for an object at
// infinity the full field angle in arc minutes (twice the largest field value, degrees),
// for an object at a finite distance the full object height in metres (twice the largest
// field height, mm). A system listing only the axis is given the scale ray's field
// (kScaleRayField) on either side. Used to keep a default object within what the system
// can image.
double SystemObjectField(const TOpticalSystem &system);

// That field in the size unit (0 metres at `distance` metres, 1 arc minutes, 2 degrees)
// for an object at infinity; for a finite object the unit is metres already.
double SystemObjectFieldInUnit(const TOpticalSystem &system, int unit, double distance);
