#pragma once
// A lens animation of the tests' own for the scanner: it turns the scanning mirror of the
// infrared scanner example (its one mirror, behind the window) about z by `step` degrees at
// every step, starting `start` degrees from its place, as the editor's animation turns a
// surface.


#include "document/system/system_image.h"
#include "foundation/numerics/pi.h"
#include "synthesis/detectors/scan_animation.h"

class TMirrorSweep final : public TScanAnimation {
 public:
  TMirrorSweep(TSystemImage &system, int steps, double start, double step)
      : system_(system), steps_(steps), start_(start), step_(step) {
    for (int i = 0; i < system.SurfaceCount(); ++i)
      if (system.surfaces.data[i]->general.materialKind != 0) {
        mirror_ = i;
        break;
      }
    base_ = system.surfaces.data[mirror_]->general.angles[2];
  }
  bool BeginScan(int &steps) override {
    ++begun;
    stepped = 0;
    steps = steps_;
    if (!loads) return false;
    Turn(start_);
    return true;
  }
  void StepScan() override {
    ++stepped;
    Turn(start_ + stepped * step_);
  }
  void EndScan() override { ++ended; }
  void EditAnimation() override { ++edits; }

  bool loads = true;
  int begun = 0;
  int stepped = 0;  // in the present run
  int ended = 0;
  int edits = 0;

 private:
  void Turn(double degrees) {
    const TGeneralParameters &g = system_.surfaces.data[mirror_]->general;
    const DPOINT3 vertex(g.vertex[0], g.vertex[1], g.vertex[2]);
    const double turn = base_ + degrees * kPi / 180.0;
    system_.SetSurfaceAngles(mirror_, 0, vertex, DPOINT3(g.angles[0], g.angles[1], turn), kGlobalFrame);
    system_.Update();
  }
  TSystemImage &system_;
  int steps_;
  double start_;
  double step_;
  int mirror_ = 1;
  double base_ = 0.0;
};
