// The model when memory runs out: nothing crashes, nothing leaks, and what was asked for
// either happens whole or not at all.

#include <gtest/gtest.h>

#include "foundation/containers/mem.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/recording_providers.h"

namespace {

TEST(ModelMemory, SurfaceThatCannotBeListedIsNotLeaked) {
  TRecordingMessageBoxProvider boxes;
  TOpticalSystem system;
  system.AddSurface(new TSurface);
  {
    const TMemAllocationFaults noBlocks(0);
    EXPECT_EQ(system.AddSurface(new TSurface(5.0, 0.0, 0.0)), nullptr);
    EXPECT_EQ(system.InsertSurface(new TSurface(6.0, 0.0, 0.0), 0), 0);
  }
  ASSERT_EQ(system.SurfaceCount(), 1);
  EXPECT_EQ(system.Surface(0)->general.vertex[0], 0.0);
}

TEST(ModelMemory, TiltWithoutRoomLeavesAnUntiltedSurfaceAndOneBox) {
  TRecordingMessageBoxProvider boxes;
  TSurface surface;
  {
    const TMemAllocationFaults noBlocks(0);
    surface.SetAngles(0.1, 0.0, 0.0);
  }
  EXPECT_EQ(surface.tilted, 0);
  EXPECT_EQ(surface.tiltMatrix.data, nullptr);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Not enough memory");
  EXPECT_EQ(boxes.boxes[0].caption, " Memory ");
}

TEST(ModelMemory, ZoneWithoutArraysContainsNothing) {
  TRecordingMessageBoxProvider boxes;
  const TMemAllocationFaults noBlocks(0);
  const TRasterZone zone;
  EXPECT_EQ(zone.LimitUpper.data, nullptr);
  EXPECT_EQ(zone.Contains(0.0, 50.0, 0.0), 0);
  EXPECT_FALSE(boxes.boxes.empty());
}

TEST(ModelMemory, CopyOfASystemWithoutRoomIsEmptyButSound) {
  TRecordingMessageBoxProvider boxes;
  TOpticalSystem original;
  original.NewDefault();
  const TMemAllocationFaults noBlocks(0);
  TOpticalSystem copy(original);
  EXPECT_EQ(copy.SurfaceCount(), 0);
  EXPECT_EQ(copy.TrackLength(), 0.0);
  EXPECT_EQ(original.SurfaceCount(), 2);
}

TEST(Prepare, GeometricStepsOfThePreparation) {
  TOpticalSystem system;
  TSurface *front = system.AddSurface(new TSurface);
  TSurface *mirror = system.AddSurface(new TSurface(10.0, 0.0, 0.0));
  front->general.R = 40.0;
  front->general.nAfter = 0.0;  // the indices follow the glass names and the surroundings
  system.info.N1 = 1.0003;
  mirror->general.glass = "refl";
  mirror->general.materialKind = 1;
  mirror->general.Tau = 0.0;
  system.info.Spectrum.Clear();
  ClearModelChanged();
  EXPECT_EQ(system.Prepare(0.6328, 1, 0), 1);
  EXPECT_EQ(front->GetCurvature(), 1.0 / 40.0);
  // The object surface names no medium: it lies in the surrounding one.
  EXPECT_EQ(front->general.nAfter, 1.0003);
  EXPECT_EQ(mirror->general.nAfter, -1.0003);
  EXPECT_EQ(mirror->general.Tau, 1.0);  // a mirror reflects all unless told otherwise
  EXPECT_EQ(front->general.Tau, 0.0);
  EXPECT_EQ(system.info.LambdaW, 0.6328);
  ASSERT_EQ(system.info.Spectrum.cols, 1);
  EXPECT_EQ(system.info.Spectrum.data[0].lambda, 0.54);
  // The preparation set the modified flag and its closing pupil solve cleared it again,
  // marking this system solved.
  EXPECT_EQ(ModelChanged(), 0);
  EXPECT_FALSE(system.PupilsNeedSolving());
  EXPECT_EQ(system.Prepare(0.0, 1, 0), 1);
  EXPECT_EQ(system.info.LambdaW, 0.6328);  // 0 keeps the working wavelength
}

}  // namespace
