#pragma once
// The system-wide settings of an optical system (the keys of its file's common section)
// together with the results of the pupil solve.

#include "foundation/containers/mem.h"
#include "optics/model/spectral_info.h"

// How the pupil solve finds the first-order constants (firstOrderMode).
constexpr int kFirstOrderParaxial = 0;  // from paraxial rays
constexpr int kFirstOrderReal = 1;      // from two close real rays

class TOpticalSystemInformation {
 public:
  // The block's own defaults; the system's constructor then changes Unit, LambdaW and Coord.
  TOpticalSystemInformation();

  double reserved1 = 0.0;
  Mem<double> AlfaM;                // field values of the beams, one row
  int Unit = 1;                     // 1: the file holds each AlfaM value x 60
  double Temperature = 20.0;        // degrees Celsius
  double geometryTemperature = 20.0;  // the temperature the geometry stands at
  double Pressure = 760.0;          // mm Hg
  Mem<TSpectralInfo> Spectrum;      // Lambda and Weight, one row
  double LambdaW = 0.54;            // working wavelength, micrometres
  int MonochromeSystem = 1;
  int ObjectFinite = 0;             // 0: object at infinity
  int ImageFinite = 1;              // 0: image at infinity
  int TurnSystem = 0;               // toggled each time the system is turned round
  int AutoSetPupilParameters = 0;   // 1: stop and pupil found automatically
  int Nray = 21;                    // rays per fan
  int readerFlag = 0;               // set to 1 by the file reader before the common section
  int EnablePipe = 0;               // 1: light-pipe walls are built and traced
  int DrawAllRays = 0;              // 1: rays go on past blocking apertures
  int reserved18 = 0;
  int firstOrderMode = 1;           // kFirstOrderParaxial or kFirstOrderReal
  int Nd = 64;                      // pupil samples for diffraction work
  int prepareCounter = 0;           // the exponent of Nd after the preparation
  int Difrac = 1;                   // 0: diffraction sampling off
  double Discrete = 0.0;            // user's image-plane sampling interval (> 0: given)
  // The interval PSF work samples at: Discrete when given, else the one the preparation
  // computed from the aperture and wavelength. Every PSF, MTF and synthesis user reads it.
  double discreteInEffect = 0.0;
  // The pupil grid's step that goes with it: direction cosines of a finite image, mm of the
  // exit pupil for an image at infinity.
  double pupilStep = 0.0;
  int psfState = 0;
  int ShowRecommendation = 1;
  int wholeSystemState = 0;
  int Coord = 1;                    // 1: global positions; otherwise relative to the previous
  double N1 = 1.0;                  // index of the surrounding medium
  double reserved30 = 0.0;
  double focalLength = 0.0;
  double backFocalDistance = 0.0;
  double psfResults[3] = {0.0, 0.0, 0.0};
  // The share (0..1) of the last PSF's light that stood beyond its grid about the stored
  // centre and was left out: the weighted share over the wavelengths of a polychromatic PSF.
  double psfLightBeyondGrid = 0.0;
  double magnification = 0.0;
  double entrancePupilDiameter = 0.0;  // solved (Dentr when given); every pupil user reads it
  double entrancePupilPoint[3] = {0.0, 0.0, 0.0};
  int entrancePupilDefined = 1;     // 1: the entrance pupil above is defined
  double exitPupilDiameter = 0.0;
  double exitPupilPoint[3] = {0.0, 0.0, 0.0};
  int exitPupilDefined = 1;         // 1: the exit pupil above is defined
  double Dentr = 0.0;               // user's entrance-pupil diameter (> 0: given)
  int stopIndex = -1;               // solved aperture stop, from 0; -1: none
  int Naper = 0;                    // user's stop surface, from 1; 0: none
  // PSF options: further diffraction orders of a holographic surface on each side, and
  // pupil samples taken as amplitude 1, phase 0 (the aberration-free reference).
  int hoeOrderCount = 0;
  int aberrationFree = 0;

  // Forgets the solved first-order figures (focal length, back focal distance,
  // magnification, pupils and stop): a system that cannot be traced shows none, never those
  // of the system it replaced.
  void ClearFirstOrder();

  // The beams (one per field value of AlfaM) and the entries of the spectrum list.
  int BeamCount() const { return AlfaM.Cells(); }
  int WavelengthCount() const { return Spectrum.Cells(); }
};
