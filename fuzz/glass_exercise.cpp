#include "fuzz/glass_exercise.h"

#include <cmath>

#include "fuzz/fuzz_scratch.h"
#include "optics/glass/glass_info.h"

namespace {

bool KnownStatus(int status) {
  return status == kGlassOk || status == kGlassOutOfRange || status == kGlassNoTemperature ||
         status == kGlassNoTransmittance || status == kGlassBadFormula;
}

}  // namespace

void ExerciseGlass(const TGlassInfo &glass) {
  // Spectral lines in µm, one in nm and one in mm, and the glass's own range limits.
  const double wavelengths[] = {0.4861327, 0.5875618, 0.6562725, 1.01398, 546.074, 0.0006438,
                                glass.MinWavelength(), glass.MaxWavelength()};
  constexpr int kCount = static_cast<int>(sizeof wavelengths / sizeof wavelengths[0]);
  double values[kCount] = {};
  FUZZ_CHECK(KnownStatus(glass.Index(kCount, wavelengths, values)), "Index status");
  FUZZ_CHECK(KnownStatus(glass.IndexInAir(kCount, wavelengths, 25.0, 700.0, values)),
             "IndexInAir status");
  FUZZ_CHECK(KnownStatus(glass.Transmittance(10.0, kCount, wavelengths, values)),
             "Transmittance status");
  double abbe = 0.0;
  double partial = 0.0;
  glass.AbbeAndPartial(3, wavelengths, abbe, partial);
  for (const double wavelength : wavelengths) {
    (void)glass.IndexAt(wavelength);
    (void)glass.IndexInAirAt(wavelength, -20.0, 760.0);
    (void)glass.TransmittanceAt(25.0, wavelength);
    (void)glass.InRange(wavelength);
    (void)glass.Beta(40.0, wavelength);
    (void)glass.MeanBeta(20.0, 60.0, wavelength);
  }
  (void)glass.GetP();
  (void)glass.Alfa(70.0);
  (void)glass.MeanAlfa(-30.0, 70.0);
}
