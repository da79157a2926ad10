#pragma once
// The mirror symmetry of a pupil grid. In a system whose every surface is a figure of
// revolution about the x axis, with no tilt, decentre or off-centre bound, the ray through
// pupil point (y, -z) of a field point on the plane z = 0 is the mirror image of the ray
// through (y, z): each step of the trace either keeps a value (x, L, squares, products of
// two mirrored values) or changes only its sign, and round-to-nearest rounds a negated
// value to the negated result. (A zero may keep its sign where the image's would turn it;
// no step takes the sign of a zero, as atan2, copysign or a division by an odd zero would,
// so no other value differs.) Its path difference, transmission and L are therefore the
// same to the last bit, and the diffraction sampling need trace only one of the two. The
// same holds for (-y, z) of a field point on the plane y = 0.
//
// The sampling traces the grid's columns up to the centre and its rows down to the centre
// and fills their partners after the trace. Every figure is still accumulated in the order
// of the nodes, so the grid and its figures are those of the full trace bit for bit.

#include "foundation/containers/mem.h"

class TOpticalSystem;
class TSurface;

// Which of a field point's pupil mirrors hold: columns, z -> -z (a field point with no z
// part); rows, y -> -y (no y part). Both for the axial field point.
struct TPupilMirrors {
  bool columns = false;
  bool rows = false;
};

// Whether a surface's trace is even in y and in z: one of the types of revolution, not
// tilted, its vertex on the x axis, its bounds centred, no lens-array zones. Holographic
// phases depend on y^2 + z^2 alone and keep the symmetry. (A light-pipe wall is the
// system's question: walls are followed only while light pipes are on.)
bool MirrorSymmetricSurface(const TSurface &surface);

// The mirrors the system's model allows for field point (fieldA, fieldB), whose pupils must
// be solved: every surface mirror-symmetric, no light pipes, and the field point and the
// entrance pupil's point on the mirror's plane. None while the mirrors are switched off.
TPupilMirrors PupilMirrors(const TOpticalSystem &system, double fieldA, double fieldB);

// Switches the mirrors off (false) or back on, for a comparison with the full trace.
void AllowPupilMirrors(bool allowed);
bool PupilMirrorsAllowed();

// The record of a pupil grid sampled with mirrors: the traced nodes' transmissions, and how
// many nodes each row added, from which the partners are filled in node order.
class TMirroredPupil {
 public:
  // Prepares an nd x nd grid with the given mirrors (columns 0 .. nd/2 and rows 0 .. nd/2
  // traced where they mirror); false, with no mirror active, when no mirror is asked for,
  // the grid is odd or smaller than 4 x 4 (column c's partner is nd - c on an even grid),
  // or the record cannot be had.
  bool Begin(int nd, TPupilMirrors mirrors);
  bool Active() const { return active_; }
  // Columns [0, TracedColumns()) of a row are sampled; the others are their partners.
  int TracedColumns() const { return columns_ ? half_ + 1 : nd_; }
  // Whether column c (below TracedColumns()) has a partner filled from it.
  bool HasPartner(int c) const { return columns_ && c > 0 && c < half_; }
  // Whether row i is the partner of row nd - i, filled from it.
  bool MirrorsRow(int i) const { return rows_ && i > half_; }
  // Row i added `added` nodes, its partners' included.
  void SetRowAdded(int i, int added) { rowAdded_.data[i] = added; }
  int RowAdded(int i) const { return rowAdded_.data[i]; }
  // A traced node (row-major on the grid) that passed, with its transmission.
  void RecordPassed(long node, double transmission) {
    transmission_.data[node] = transmission;
    passed_.data[node] = 1;
  }
  // Fills the partners' nodes of re and im from their traced nodes and answers the sum of
  // the transmissions of every node that passed, in node order.
  double Finish(float *re, float *im) const;

 private:
  bool active_ = false;
  bool columns_ = false, rows_ = false;
  int nd_ = 0, half_ = 0;
  // Per node of the rows that are traced, indexed as the grid is (the columns that are
  // filled in unused): no division per ray.
  Mem<double> transmission_;
  Mem<unsigned char> passed_;  // 1 where the traced node passed
  Mem<int> rowAdded_;
};
