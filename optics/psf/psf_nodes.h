#pragma once
// The psf area holds the PSF on the node grid: diffraction and geometric sampling, the
// polychromatic sum and the progress of the job. It uses optics/trace (the batch trace),
// optics/pupils, optics/model, foundation/fft and foundation/interfaces.
//
// The pieces of PSF node sampling that stand apart from a system: the weight of a
// holographic order, the binning of a geometric image point, and the centring of a
// transformed grid.

// Power of diffraction order x of a profile with p = `levels` levels:
// (p sin(pi x / p) / (pi x))^2, with its limit 1 at x = 0.
double HoeOrderWeight(int order, int levels);

// The axes of the node grid, named once for every reader of a PSF or of the MTF taken from
// it: the rows run down the meridional image coordinate y (row half + k lies k nodes below
// the centre, at smaller y) and each row runs along the sagittal coordinate z (column
// half + k at larger z). A 2-D transform keeps the axes, so the MTF's frequency along y
// changes from row to row: its meridional section runs down the centre column.
enum class TPsfGridAxis { kMeridional, kSagittal };
// Nodes from one node to the next along the axis in the row-major nd x nd grid.
constexpr long PsfGridStride(TPsfGridAxis axis, int nd) {
  return axis == TPsfGridAxis::kMeridional ? static_cast<long>(nd) : 1L;
}
// The grid row of meridional offset dy from the centre and the column of sagittal offset
// dz, at pitch `discrete` (a node's offset as PsfNodeOffset rounds it).
int PsfGridRow(int nd, double dy, double discrete);
int PsfGridColumn(int nd, double dz, double discrete);
// The meridional pupil coordinate of pupil grid row i at pitch dt: rows fall in y as the
// image's rows do.
inline double PupilGridRowY(int nd, int i, double dt) { return (nd / 2 - i) * dt; }

// Node offset of an image point `offset` away from the PSF centre on a grid of pitch
// `discrete`: offset / discrete rounded half away from zero. Points too far to land on any
// grid answer a value of magnitude kPsfFarNode.
int PsfNodeOffset(double offset, double discrete);
// The same offset in nodes unrounded, held to kPsfFarNode.
double PsfNodeShift(double offset, double discrete);
constexpr int kPsfFarNode = 1 << 30;

// Brings the zero frequency of a forward-transformed nd x nd intensity grid to node
// (nd/2, nd/2) with frequencies rising down the rows and along each row: node (r, c) takes
// the transformed node ((r + nd/2) mod nd, (c + nd/2) mod nd), so no node is lost or
// repeated. nd must be a power of two of at least 4.
void CentrePsfGrid(int nd, float *data);
// The same centring with every node multiplied by scale on the way (1 leaves the values
// as they are): the PSF's normalisation in the same pass over the grid.
void CentreAndScalePsfGrid(int nd, float *data, float scale);
