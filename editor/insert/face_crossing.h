#pragma once
// Whether two bodies cross in space, wherever they stand along the light: each body its
// faces in order and the glass between neighbouring faces. A face's samples inside the
// other body's glass cross it, and so does a face whose samples stand on both sides of one
// of the other body's faces. Faces that touch, or meet closer than `slack`, pass.

#include <vector>

#include "editor/insert/face_clearance.h"

struct TSampledBody {
  std::vector<TSampledFace> faces;
  std::vector<int> numbers;      // what each face is called (the tables' surface number)
  std::vector<bool> glassAfter;  // glass between face i and face i + 1
  void Add(TSampledFace face, int number, bool glass);
};

// The deepest crossing of two bodies: how far (mm) the crossing reaches, the number of the
// `other` body's face crossed (for a face standing in the other's glass, the glass's face
// it stands nearer to, as deep as that) and a point where the faces cross, no further from
// that face than the depth. depth 0: they do not.
struct TBodyCrossing {
  double depth = 0.0;
  int number = 0;
  DPOINT3 at;
};

TBodyCrossing BodyCrossing(const TSampledBody &body, const TSampledBody &other, double slack);
