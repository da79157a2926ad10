#pragma once
// The pupils of a system that stands still while several beams are solved on it. The stop
// and its paraxial images into object and image space depend on the surfaces and their
// indices alone, not on the field point: the first solve keeps them and later solves take
// them instead of imaging the stop again. A field point solved before is answered with that
// solve's pupils, without aiming its chief ray again. The system uses them only while they
// are lent to it (TPupilSolvesLent), and only a caller that changes nothing the solve reads
// (surfaces, indices, wavelength, configuration, pupil settings) between the first solve
// it lends them to and the end of the loan may lend them.

#include "optics/model/optical_system_information.h"
#include "optics/pupils/lent_to_system.h"

// The stop and its images as the stop search and the exit-pupil imaging find them.
struct TStopImages {
  int stop = 0;
  double entrancePosition = 0.0, entranceDiameter = 0.0;
  double exitPosition = 0.0, exitDiameter = 0.0;
  int result = 1;  // -1 when the rays towards the image failed
};

class TPupilSolves {
 public:
  // The stop images kept by the first solve; false when none has been kept.
  bool FindImages(TStopImages &images) const;
  void KeepImages(const TStopImages &images);

  // Writes the pupils the solve of field point (fieldA, fieldB) left into info (stop, pupil
  // points and diameters); false when the field point has not been solved.
  bool FindSolve(double fieldA, double fieldB, TOpticalSystemInformation &info) const;
  // Keeps the pupils a solve of the field point found (solves that failed are not kept:
  // they are made again, with their message). A full table keeps what it holds.
  void KeepSolve(double fieldA, double fieldB, const TOpticalSystemInformation &info);

  // Solves answered from a kept field point; solves that took the kept stop images.
  int repeatedSolves = 0;
  int imagedOnce = 0;

 private:
  // The pupils of a field point, under the names the system's information gives them.
  struct TSolve {
    double fieldA = 0.0, fieldB = 0.0;
    int stopIndex = 0;
    double entrancePupilPoint[3] = {0.0, 0.0, 0.0};
    double entrancePupilDiameter = 0.0;
    double exitPupilPoint[3] = {0.0, 0.0, 0.0};
    double exitPupilDiameter = 0.0;
  };
  // A merit pass solves the general field point and each beam's.
  static constexpr int kCapacity = 16;
  bool imagesKept_ = false;
  TStopImages images_;
  TSolve solves_[kCapacity];
  int count_ = 0;
};

// Lends pupil solves to a system's chief-ray solves for as long as it lives, and takes them
// back.
using TPupilSolvesLent = TLentToSystem<TPupilSolves, &TOpticalSystem::pupilSolves>;
