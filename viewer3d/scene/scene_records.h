#pragma once
// The scene's records: one flat array of 32-bit floats per element and per ray, as the
// viewer keeps them between the editor's refills. Every element record begins with the
// same 13 values (kind code, placement angles and position, the box in the element's own
// frame); its shape values follow from index 13 in the order of its add operation:
//
// | kind  | element                          | floats | values from index 13                                   |
// |-------|----------------------------------|--------|--------------------------------------------------------|
// | 10000 | round, two conic surfaces        | 28     | R1 e1 D1 D1i F1 F1i k1  R2 e2 D2 D2i F2 F2i k2  L      |
// | 10100 | rectangular, two spheres         | 30     | R1 W1 H1 W1i H1i F1 F1i k1  R2 W2 H2 W2i H2i F2 F2i k2  L |
// | 10200 | spherical lens                   | 18     | R1 R2 D T b                                            |
// | 10300 | round spherical mirror           | 18     | R D T Dh b                                             |
// | 10400 | chamfered plate                  | 18     | W H T c e                                              |
// | 10500 | rectangular mirror               | 18     | W H T c e                                              |
// | 10600 | beam-splitter cube               | 17     | W H T c                                                |
// | 10700 | triangular prism                 | 20     | a b w gamma i1 i2 i3                                   |
// | 10800 | wedge of two flat faces          | 37     | x y z of 8 corners: face 1 round, face 2 round       |
// | 10900 | lens, each face in its place     | 36     | R1 e1 D1 D1i k1 W1 W1i  R2 e2 D2 D2i k2 W2 W2i  x2 y2 z2  a2x a2y a2z  c2x c2y c2z |
//
// Lengths are millimetres, gamma radians; k1, k2 and i1..i3 are whole numbers stored as
// floats and truncated toward zero when read; the chamfer widths b, c and e are lengths
// and read as they are. The eccentricities e1 and e2 are signed as TConicProfile takes
// them (Ex = e |e|). In 10900 a face with W > 0 is a rectangle W wide and D high (hole Wi x
// Di), and a zero c2 lays face 1's x into face 2's plane. A ray record is [0] the point count m, [1] the colour (a standard
// colour 0..15 of the shared palette), then m triples x, y, z.

#include <vector>

#include "foundation/containers/points.h"
#include "viewer3d/solids/faceted_solids.h"
#include "viewer3d/solids/lens_solid.h"
#include "viewer3d/solids/placed_lens_solid.h"
#include "viewer3d/solids/prism_solid.h"
#include "viewer3d/solids/rect_element_solid.h"
#include "viewer3d/solids/round_element_solid.h"
#include "viewer3d/solids/round_mirror_solid.h"
#include "viewer3d/solids/wedge_solid.h"

enum TElementKind : int {
  kRoundElementKind = 10000,
  kRectElementKind = 10100,
  kLensKind = 10200,
  kRoundMirrorKind = 10300,
  kRectPlateKind = 10400,
  kRectMirrorKind = 10500,
  kSplitterCubeKind = 10600,
  kPrismKind = 10700,
  kWedgeKind = 10800,
  kPlacedLensKind = 10900,
};

// Indices of the values every element record begins with.
constexpr int kRecordKind = 0;
constexpr int kRecordAngles = 1;
constexpr int kRecordPosition = 4;
constexpr int kRecordBoxLow = 7;
constexpr int kRecordBoxHigh = 10;
constexpr int kRecordShape = 13;

using TSceneRecord = std::vector<float>;
using TObjArray = std::vector<TSceneRecord>;
using TRayArray = std::vector<TSceneRecord>;

// Where the next element goes: its angles (radians) and position in the scene.
struct TElementPlacement {
  DANGLE3 angles;
  DPOINT3 position;
};

// The records of the add operations, boxes included.
TSceneRecord RoundElementRecord(const TElementPlacement &placement, const TRoundFace &face1,
                                const TRoundFace &face2, double L);
TSceneRecord RectElementRecord(const TElementPlacement &placement, const TRectFace &face1,
                               const TRectFace &face2, double L);
TSceneRecord LensRecord(const TElementPlacement &placement, const TLensShape &lens);
TSceneRecord RoundMirrorRecord(const TElementPlacement &placement, const TRoundMirrorShape &mirror);
TSceneRecord RectPlateRecord(const TElementPlacement &placement, const TRectSlab &plate);
TSceneRecord RectMirrorRecord(const TElementPlacement &placement, const TRectSlab &mirror);
TSceneRecord SplitterCubeRecord(const TElementPlacement &placement, const TRectSlab &cube);
TSceneRecord PrismRecord(const TElementPlacement &placement, const TPrismShape &prism,
                         int i1, int i2, int i3);
TSceneRecord WedgeRecord(const TElementPlacement &placement, const TWedgeShape &wedge);
TSceneRecord PlacedLensRecord(const TElementPlacement &placement, const TPlacedLensShape &lens);
// The polyline through the points in a standard colour.
TSceneRecord RayRecord(const std::vector<DPOINT3> &points, int color);

// Reading a record back. A record too short for its header has no kind (0).
int RecordKind(const TSceneRecord &record);
TElementPlacement RecordPlacement(const TSceneRecord &record);
void RecordBox(const TSceneRecord &record, DPOINT3 &low, DPOINT3 &high);
// A whole number stored as a float, truncated toward zero; 0 for a value no int holds.
int RecordInt(float value);
// The shapes of the records of each kind; false when the record is too short for it.
bool ReadRoundElement(const TSceneRecord &r, TRoundFace &face1, TRoundFace &face2, double &L);
bool ReadRectElement(const TSceneRecord &r, TRectFace &face1, TRectFace &face2, double &L);
bool ReadLens(const TSceneRecord &r, TLensShape &lens);
bool ReadRoundMirror(const TSceneRecord &r, TRoundMirrorShape &mirror);
bool ReadRectSlab(const TSceneRecord &r, TRectSlab &slab);  // plate, mirror and cube
bool ReadPrism(const TSceneRecord &r, TPrismShape &prism, int &i1, int &i2, int &i3);
bool ReadWedge(const TSceneRecord &r, TWedgeShape &wedge);
bool ReadPlacedLens(const TSceneRecord &r, TPlacedLensShape &lens);

// A ray record's point count (0 when the record is shorter than it claims) and point k.
int RayPointCount(const TSceneRecord &ray);
DPOINT3 RayPoint(const TSceneRecord &ray, int k);
int RayColor(const TSceneRecord &ray);
