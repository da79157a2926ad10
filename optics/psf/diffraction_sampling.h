#pragma once
// The image-plane sampling of PSF work: the interval the system needs, whether diffraction
// on its elements matters, the check of a value the user entered, and round steps.

#include <string>

#include "platform/core/types.h"

class TOpticalSystem;

// Traces a grid of rays through the entrance pupil for every field value and writes the
// recommended Discrete (mm, or mrad for an image at infinity) and Difrac: 1 when the
// geometric spot is small enough for diffraction to shape the PSF, which is then sampled at
// the diffraction interval 0.5 lambda / NA (lambda / D at infinity); otherwise 0, with the
// interval that lets the spot fill half of the Nd nodes. Answers 1, or 0 (outputs
// untouched) when no field traces. The system's own Discrete and Difrac are not changed.
int EstimateDiffractionSampling(TOpticalSystem &system, double &discrete, int &difrac);

// With showRecommendation set, compares the entered discrete with the recommendation for
// the way difrac chooses (with diffraction on the diffraction interval over
// kPsfNodesPerDiffractionInterval, the default of PSF work, else the geometric one); a value more than kDiscreteTolerance times larger or smaller asks "Parameter
// Discrete=%g is too large." (or "too small.") with the recommended value; on Yes discrete
// takes it, rounded to a round step. Answers 1 when it changed. difrac is the user's choice
// and stays as it is. A discrete of 0 (found when the system is prepared) is not checked.
int CheckDiscreteParameter(HWND window, TOpticalSystem &system, int showRecommendation,
                           double &discrete, int &difrac);
constexpr double kDiscreteTolerance = 2.0;

// The PSF grids the program offers: powers of two from the first to the last.
constexpr int kSmallestPsfGrid = 64;
constexpr int kLargestPsfGrid = 2048;

// The smallest offered PSF grid on which the PSF of every field value stays clear of the
// grid's edge, so that the transform does not wrap its blur round: at the node interval in
// effect for `discrete` and `difrac` (as the preparation takes them), the PSF at the
// grid's outer rows and columns under 1e-3 of its peak. The search starts from the grid
// whose half holds the widest geometric spread of the rays round their chief ray plus the
// diffraction rings down to 1e-3 of an Airy peak (4.35 diffraction intervals), the radius
// that `reach` gets (mm, or mrad for an image at infinity), and doubles the grid while the
// PSFs computed on it are too bright at the edge; then, with lateral colour, while its half
// holds less than the farthest wavelength's chief ray from the mean wavelength's plus that
// radius (every wavelength's image stands about the one centre). The largest grid when even it is too
// small; 0 when no field traces. The system's own settings and work arrays stay as they
// were.
int RecommendedPsfGrid(TOpticalSystem &system, double discrete, int difrac, double &reach);

// The brightest edge of the beams' PSFs on a grid of `nodes` at (discrete, difrac): the
// largest share of its peak that a beam's PSF has on the outer rows and columns, and the
// beam's field (the first beam found too bright, once one is). The system's own settings
// and work arrays stay as they were.
struct TPsfGridEdge {
  double share = 0.0;
  double field = 0.0;
  // The wavelength whose image, standing about the mean wavelength's chief ray where its own
  // chief ray lands, reaches beyond the grid (the field is then its beam); 0 when none does.
  double lambdaLeftOut = 0.0;
};
TPsfGridEdge PsfGridEdge(TOpticalSystem &system, double discrete, int difrac, int nodes);

// Asks "For the PSF of <point>: the image of the beam at Y=%g reaches beyond the %d x %d
// grid at %g um: its light is left out.\nUse %d x %d nodes?" when a wavelength's image does
// and no PSF wraps round, otherwise "For the PSF of <point>: the PSF of the beam at Y=%g
// keeps %.2g %% of its peak on the edge of the %d x %d grid: it wraps round the
// grid.\nUse %d x %d nodes?" (the point as the user gave it, "Y=0, X=14"; "In this system"
// when `point` is empty; the beams are the system's own, given by Y) when `nodes` is smaller than the recommended
// grid and the PSFs on it are too bright at its edge (the figure that decides); on Yes nodes
// takes it. Answers 1 when it changed, -1 when the user declined, 0 when there was nothing
// to ask.
// A share (0..1) as the percentage the grid question gives: two significant digits, no
// exponent.
std::string ShareAsPercent(double share);
int AskForPsfGrid(HWND window, int recommended, const TPsfGridEdge &edge, int &nodes,
                  const std::string &point);
// The recommendation and the question together, with showRecommendation set.
int CheckPsfGridSize(HWND window, TOpticalSystem &system, int showRecommendation,
                     double discrete, int difrac, int &nodes);

// e = floor(log10(value)) and m = value / 10^e; first = the mantissa of 1.0, 1.5, 2.0, 2.5,
// 4.0, 5.0, 8.0 nearest to m (the first on ties) x 10^e, second = the next one x 10^e (10 x
// 10^e after 8.0). A value that is not positive and finite comes back in both.
void RoundSignificant(double value, double &first, double &second);
