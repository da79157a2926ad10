#pragma once
// The image-plane sampling of PSF work: the interval the system needs, whether diffraction
// on its elements matters, the check of a value the user entered, and round steps.

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

// e = floor(log10(value)) and m = value / 10^e; first = the mantissa of 1.0, 1.5, 2.0, 2.5,
// 4.0, 5.0, 8.0 nearest to m (the first on ties) x 10^e, second = the next one x 10^e (10 x
// 10^e after 8.0). A value that is not positive and finite comes back in both.
void RoundSignificant(double value, double &first, double &second);
