#pragma once
// What went wrong while the merit functions were last evaluated, and how far out in the
// pupil rays began to fail.

class TOptimizationFault {
 public:
  void Reset() { *this = TOptimizationFault(); }
  // 1 when any of the four flags is set.
  int AnyFlagSet() const { return missed != 0 || chief != 0 || reflected != 0 || general != 0 ? 1 : 0; }
  // Keeps the largest |h| of a passed ray, truncated towards zero to hundredths.
  void NotePassedHeight(double h);
  // Keeps the smallest |h| of a failed ray: the first one as it is, later smaller ones
  // truncated towards zero to hundredths.
  void NoteFailedHeight(double h);
  // What the fault report offers as the decrease of the pupil diameter.
  double SumOfPair() const { return passedHeight + failedHeight; }

  int missed = 0;     // a ray found no intersection with a surface
  int chief = 0;      // the chief ray of a beam did not pass
  int reflected = 0;  // a ray was totally reflected inside a light pipe
  int general = 0;    // pupils or focal data could not be computed
  double passedHeight = 0.0;
  double failedHeight = 0.0;
  // Where a traced chief ray was stopped (chiefSurface 0: not placed): the surface counted
  // from 1, the ray's status there, its beam, its distance from the centre of that
  // surface's rim and the rim's outer semi-height. chiefFound is false when no aim through
  // the stop's centre was found at all: the field is wider than the system lets through.
  bool chiefFound = true;
  int chiefSurface = 0;
  int chiefStatus = 0;
  bool chiefOnImage = false;
  double chiefFieldY = 0.0, chiefFieldZ = 0.0;
  double chiefHeight = 0.0, chiefSemiHeight = 0.0;
  // Fan rays a rim or an obscuration stops, traced on past it: their transverse and wave
  // values count in the merit as those of the open lens, so the count is shown beside it.
  // No fault: it sets no flag.
  int stoppedFanRays = 0;
};
