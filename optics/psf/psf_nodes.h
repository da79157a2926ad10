#pragma once
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
// (nd/2, nd/2) with frequencies rising down the rows and along each row: the half swap of
// the FFT, then each row pair r, nd-1-r exchanged and moved one node left, then each column
// pair c, nd-1-c exchanged and moved one node down. The last column and the first row
// repeat their neighbours. nd must be a power of two of at least 4.
void CentrePsfGrid(int nd, float *data);
