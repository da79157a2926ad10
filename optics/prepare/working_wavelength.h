#pragma once
// The working wavelength kept across a computation that prepares the system at other
// wavelengths (a PSF per spectrum line, the passes of a merit evaluation): preparing at a
// wavelength makes it the working one, so the computation's end must give the user's back.
// A scope does it on every path out, early returns and failures included.

class TOpticalSystem;

// How the kept wavelength comes back.
enum class TWavelengthRestore {
  kValue,               // LambdaW alone is written back: nothing was prepared yet
  kPrepare,             // the system is prepared again at the kept wavelength
  kPrepareWhenChanged,  // prepared again only when LambdaW is no longer the kept one
};

class TWorkingWavelength {
 public:
  // Keeps the system's LambdaW now. warn: the restoring preparation's message flag.
  TWorkingWavelength(TOpticalSystem &system, TWavelengthRestore restore, int warn = 0);
  ~TWorkingWavelength() { Restore(); }
  TWorkingWavelength(const TWorkingWavelength &) = delete;
  TWorkingWavelength &operator=(const TWorkingWavelength &) = delete;

  // The kept working wavelength, micrometres.
  double Lambda() const { return lambda_; }
  // Keeps the pupil sample count Nd as well; it is put back before the preparation, which
  // rounds it to a power of two.
  void KeepNodeCount();
  // A computation that has begun preparing at other wavelengths asks for a preparation.
  void SetRestore(TWavelengthRestore restore) { restore_ = restore; }
  // Gives the wavelength (and Nd) back now, when later steps need the restored system; the
  // end of the scope then does nothing.
  void Restore();

 private:
  TOpticalSystem &system_;
  TWavelengthRestore restore_;
  int warn_;
  double lambda_;
  int nodes_ = 0;
  bool keepNodes_ = false;
  bool restored_ = false;
};
