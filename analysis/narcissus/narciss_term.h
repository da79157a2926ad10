#pragma once
// The paraxial narcissus measure of the merit function: how strongly the beams reflected
// back by the refracting surfaces are limited, against the system's own aperture limit of
// the marginal ray.

class TOpticalSystem;

// For every refracting surface j but the detector (the last surface), on either side of the
// scanner surface s (0-based; the surfaces the narcissus table lists): the marginal ray,
// reflected at j and followed through the surfaces after j, is limited by the smallest
// ratio R of a surface's semi-height to the ray's height there (the surfaces up to j
// included); the sum of (R / K)^2, with K the same smallest ratio of the marginal ray over
// all surfaces, times 0.6. Surfaces without an aperture limit nothing. 0 for s <= 0 (no
// scanner), for a system without a limiting aperture or when the marginal ray cannot be
// traced.
double NarcissTerm(TOpticalSystem &system, int scannerSurface);
