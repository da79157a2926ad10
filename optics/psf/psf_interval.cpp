// The node interval of PSF work and the pupil step that goes with it. The PSF of a finite
// image is the transform of the converging wave over the direction cosines of its rays,
// so its natural interval is 0.5 lambda / NA with NA the real spread of those cosines; the
// pupil is sampled evenly in them (pupil_direction_map.h), lambda / (Nd interval) apart.

#include <cmath>

#include "optics/model/optical_system.h"
#include "optics/psf/pupil_direction_map.h"

namespace {

// Millimetres per micrometre of wavelength; milliradians per radian of image angle.
constexpr double kMmPerMicrometre = 0.001;
constexpr double kMilliradians = 1000.0;

// The paraxial image-space aperture sin(atan(D' / 2 / |p'|)), for a system whose rim rays
// do not reach the image.
double ParaxialAperture(const TOpticalSystemInformation &info) {
  return std::fabs(
      std::sin(std::atan2(info.exitPupilDiameter / 2.0, std::fabs(info.exitPupilPoint[0]))));
}

}  // namespace

double TOpticalSystem::DiffractionInterval(double fieldA, double fieldB) {
  const TOpticalSystemInformation &in = info;
  if (in.ImageFinite == 0)
    return in.exitPupilDiameter != 0.0 ? in.LambdaW / in.exitPupilDiameter : 1.0;
  TPupilDirectionMap rims;
  double aperture = rims.Build(*this, fieldA, fieldB, 1) ? rims.Aperture() : 0.0;
  if (!(aperture > 0.0)) aperture = ParaxialAperture(in);
  return aperture > 0.0 ? 0.5 * kMmPerMicrometre * in.LambdaW / aperture : 1.0;
}

double TOpticalSystem::DiffractionInterval() {
  const Mem<double> &fields = info.AlfaM;
  const double field = fields.data != nullptr && fields.cols * fields.rows > 0 ? fields.data[0] : 0.0;
  return DiffractionInterval(field, 0.0);
}

void TOpticalSystem::SetupFieldSampling() { SetupFieldSampling(info.Discrete); }

void TOpticalSystem::SetupFieldSampling(double interval) {
  TOpticalSystemInformation &in = info;
  // Without an interval of the user's, diffraction work puts the pupil on only part of the
  // grid, so that the MTF taken from the PSF keeps clear of its own wrap-around; geometric
  // work takes the diffraction interval itself, below which its recommendation never goes.
  const double share = in.Difrac != 0 ? kPsfNodesPerDiffractionInterval : 1.0;
  in.discreteInEffect = interval > 0.0 ? interval : DiffractionInterval() / share;
  in.pupilStep = PupilGridStep(in);
}

double PupilGridStep(const TOpticalSystemInformation &info) {
  // The FFT's image nodes lie lambda / (Nd step) apart: the step that puts them exactly the
  // interval in effect apart, as every reader of the PSF takes them.
  const double nodeInterval =
      info.ImageFinite == 0 ? info.discreteInEffect / kMilliradians : info.discreteInEffect;
  const double lambdaMm = kMmPerMicrometre * info.LambdaW;
  return info.Nd > 0 && nodeInterval > 0.0 ? lambdaMm / (info.Nd * nodeInterval) : 0.0;
}
