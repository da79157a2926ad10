#pragma once
// Whether the PSF of a field point fits the image field the isoplanar synthesis samples it
// on: the PSF's grid is the image's, N cells of the image's pitch, centred on the chief
// ray, and the light of rays landing beyond it is lost from the picture.

class TOpticalSystem;

struct TPsfFit {
  double share = 1.0;   // the part of the point's light that lands on the grid
  double spread = 0.0;  // the farthest a ray lands from the chief ray along y or z
};

// Traces a polar grid of rays of equal area over the entrance pupil from the field point
// (fieldA, fieldB) and weighs where they land (mm, or mrad for an image at infinity)
// against the square of half-side `half` about the chief ray. Rays the system stops do not
// count. A share of 1 and no spread when no ray passes.
TPsfFit FitPsfToField(TOpticalSystem &system, double fieldA, double fieldB, double half);

// The share of its light a PSF must keep on its grid for the synthesis not to say so.
constexpr double kPsfShareKept = 0.99;
