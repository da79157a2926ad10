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

// Node offset of an image point `offset` away from the PSF centre on a grid of pitch
// `discrete`: offset / discrete rounded half away from zero. Points too far to land on any
// grid answer a value of magnitude kPsfFarNode.
int PsfNodeOffset(double offset, double discrete);
constexpr int kPsfFarNode = 1 << 30;

// Brings the zero frequency of a forward-transformed nd x nd intensity grid to node
// (nd/2, nd/2) with frequencies rising down the rows and along each row: node (r, c) takes
// the transformed node ((r + nd/2) mod nd, (c + nd/2) mod nd), so no node is lost or
// repeated. nd must be a power of two of at least 4.
void CentrePsfGrid(int nd, float *data);
// The same centring with every node multiplied by scale on the way (1 leaves the values
// as they are): the PSF's normalisation in the same pass over the grid.
void CentreAndScalePsfGrid(int nd, float *data, float scale);
