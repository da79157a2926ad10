#pragma once
// Systems built by hand for the starting-ray, pupil and first-order tests.

#include <cmath>

#include "optics/model/tests/system_test_support.h"

class PupilTest : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    TakePendingMessage();
  }

  // Prepares without the pupil solve's own result in the way of the set-up.
  static void Ready(TOpticalSystem &system) { ASSERT_GE(system.Prepare(0.0, 1, 0), 0); }

  static void UserStop(TOpticalSystem &system, int naper, double dentr) {
    system.info.AutoSetPupilParameters = 0;
    system.info.Naper = naper;
    system.info.Dentr = dentr;
  }

  // The biconvex singlet worked by hand: R1 = 50, R2 = -50, 5 thick, n = 1.5168, lens 10
  // behind the object plane, image plane at the paraxial focus; stop on the front face.
  static void BuildSinglet(TOpticalSystem &system, double semiHeight = 12.5) {
    AddAt(system, 0.0, 0.0, "", 20.0);
    AddAt(system, 10.0, 50.0, "1.5168", semiHeight);
    AddAt(system, 15.0, -50.0, "", semiHeight);
    AddAt(system, 15.0 + 47.5362, 0.0, "", 20.0);
    UserStop(system, 2, 0.0);
  }

  // An equiconvex lens of focal length 100 (n = 1.5, R = 100) and 0.0001 thick, its front
  // face at x: its principal planes lie 3e-5 apart, which no pupil test resolves.
  static constexpr double kThinLensThickness = 0.0001;
  static void AddThinLens(TOpticalSystem &system, double x, double semiHeight = 30.0) {
    AddAt(system, x, 100.0, "1.5", semiHeight);
    AddAt(system, x + kThinLensThickness, -100.0, "", semiHeight);
  }

  // The published 50 mm f/5 triplet with the maker's indices at 0.55 um, 10 behind the
  // object plane; stop on the rear face of the negative lens.
  static void BuildTriplet(TOpticalSystem &system) {
    const double radii[6] = {22.01359, -435.76044, -22.21328, 20.29192, 79.68360, -18.39533};
    const double thickness[6] = {3.25896, 6.00755, 0.99997, 4.75041, 2.95208, 42.20778};
    const char *glass[6] = {"1.622608", "", "1.623655", "", "1.622608", ""};
    const double semi[6] = {10.0, 10.0, 8.0, 8.0, 10.0, 10.0};
    AddAt(system, 0.0, 0.0, "", 15.0);
    double x = 10.0;
    for (int i = 0; i < 6; ++i) {
      AddAt(system, x, radii[i], glass[i], semi[i]);
      x += thickness[i];
    }
    AddAt(system, x, 0.0, "", 20.0);
    UserStop(system, 5, 10.0);
    SetFields(system, {0.0, 14.0, 20.0});
  }

  static void SetFields(TOpticalSystem &system, std::initializer_list<double> fields) {
    ASSERT_TRUE(system.info.AlfaM.Allocate(static_cast<int>(fields.size()), 1));
    int i = 0;
    for (double f : fields) system.info.AlfaM.data[i++] = f;
  }

  // Where the chief ray of the beam meets the stop surface, from its aperture centre
  // (untilted systems: the stop frame is the global one moved to the vertex).
  static bool ChiefMissAtStop(TOpticalSystem &system, double field, double &missY, double &missZ,
                              double fieldB = 0.0) {
    const int stop = system.info.stopIndex;
    const TSurface &s = *system.Surface(stop);
    TCurrentRay chief = system.MakeRay(field, fieldB, 0.0, 0.0);
    chief.traceThrough = 1;
    Mem<TIntersectionPoint> hits;
    system.TraceRay(chief, -1, &hits, 0);
    if (hits.cols * hits.rows <= stop || hits.data[stop].x == kHitListEnd) return false;
    missY = hits.data[stop].y - s.general.vertex[1] - s.general.boundPosYExt;
    missZ = hits.data[stop].z - s.general.vertex[2] - s.general.boundPosXExt;
    return true;
  }
};
