#include <cmath>
#include <cstring>
#include <vector>

#include "optics/pupils/tests/pupil_test_support.h"
#include "optics/trace/trace_rules.h"

namespace {

class BatchTrace : public PupilTest {
 protected:
  // A fan across and beyond the pupil, at fields up to past the edge: rays that pass, rays
  // stopped by apertures and rays that miss surfaces; every third one with its
  // trace-through flag.
  static std::vector<TCurrentRay> Rays(TOpticalSystem &system) {
    std::vector<TCurrentRay> rays;
    const double d = system.info.entrancePupilDiameter;
    for (double field : {0.0, 14.0, 25.0, 60.0}) {
      system.SolveChiefRay(field, 0.0);
      for (int i = 0; i < 41; ++i) {
        const double p = -1.5 * d + 3.0 * d * i / 40.0;
        rays.push_back(system.MakeRay(field, 0.0, p, 0.3 * p));
        rays.back().traceThrough = rays.size() % 3 == 0 ? 1 : 0;
      }
    }
    TakePendingMessage();
    return rays;
  }

  // Runs both traces and compares every ray and result bit for bit: the batch does the
  // same arithmetic in another order of rays, so nothing may differ at all.
  static void ExpectSameAsOneByOne(TOpticalSystem &system, int mode) {
    const std::vector<TCurrentRay> start = Rays(system);
    std::vector<TCurrentRay> single = start;
    std::vector<int> singleResults(start.size());
    int singlePassed = 0;
    for (std::size_t r = 0; r < start.size(); ++r) {
      singleResults[r] = system.TraceRay(single[r], mode, nullptr, 0);
      singlePassed += singleResults[r] == 1 ? 1 : 0;
    }
    std::vector<TCurrentRay> batch = start;
    std::vector<int> batchResults(start.size(), 99);
    const int passed =
        system.TraceRays(batch.data(), static_cast<int>(batch.size()), mode, batchResults.data());
    EXPECT_EQ(passed, singlePassed);
    EXPECT_GT(passed, 0);
    EXPECT_LT(passed, static_cast<int>(start.size()));
    for (std::size_t r = 0; r < start.size(); ++r) {
      SCOPED_TRACE(r);
      EXPECT_EQ(batchResults[r], singleResults[r]);
      EXPECT_EQ(std::memcmp(&batch[r], &single[r], sizeof(TCurrentRay)), 0);
    }
  }
};

TEST_F(BatchTrace, MatchesTheSingleTraceRayForRay) {
  TOpticalSystem system;
  BuildTriplet(system);
  Ready(system);
  for (int drawAll : {0, 1}) {
    for (int mode : {1, -1}) {
      SCOPED_TRACE(mode);
      system.info.DrawAllRays = drawAll;
      ExpectSameAsOneByOne(system, mode);
    }
  }
}

TEST_F(BatchTrace, TiltedAndMirrorSystemsMatchToo) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("fold_mirror.os"), 0), 1);
  ExpectSameAsOneByOne(system, 1);
  ExpectSameAsOneByOne(system, -1);
}

TEST_F(BatchTrace, LightPipesFallBackToTheSingleTrace) {
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(ExamplePath("light_pipe.os"), 0), 1);
  ASSERT_NE(system.info.EnablePipe, 0);
  ExpectSameAsOneByOne(system, 1);
}

// The wavefront mode: each ray's path difference and transmission, and the eikonal record
// the batch leaves, are those of tracing the rays one by one after the same reference ray.
TEST_F(BatchTrace, WavefrontModeMatchesTheSingleTraceBitForBit) {
  TOpticalSystem system;
  BuildTriplet(system);
  Ready(system);
  // An absorbing glass, so that the transmission is at work, and then clear glass, whose
  // rays pass whole runs of surfaces in lanes; a finite image and one taken at infinity,
  // so that both ends of the path difference are at work.
  const double tau = system.surfaces.data[1]->general.Tau;
  for (int variant = 0; variant < 8; ++variant) {
    const int mode = variant % 2 == 0 ? kTraceWavefront : kTraceWavefrontGlobal;
    const int drawAll = (variant / 2) % 2;
    const bool absorbing = variant < 4;
    system.surfaces.data[1]->general.Tau = absorbing ? 0.01 : tau;
    system.info.ImageFinite = variant >= 6 ? 0 : 1;
    SCOPED_TRACE(::testing::Message() << "mode " << mode << " draw all " << drawAll
                                      << " absorbing " << absorbing << " image finite "
                                      << system.info.ImageFinite);
    system.info.DrawAllRays = drawAll;
    const std::vector<TCurrentRay> start = Rays(system);
    system.SolveChiefRay(14.0, 0.0);
    TCurrentRay chief = system.MakeRay(14.0, 0.0, 0.0, 0.0);
    system.TraceRay(chief, kTraceReference, nullptr, 0);
    std::vector<TCurrentRay> single = start;
    std::vector<int> singleResults(start.size());
    std::vector<TRayWavefront> singleWavefronts(start.size());
    for (std::size_t r = 0; r < start.size(); ++r) {
      singleResults[r] = system.TraceRay(single[r], mode, nullptr, 0);
      singleWavefronts[r] = {system.eikonal.opticalPathDifference,
                             system.eikonal.transmission};
    }
    const TEikonalInfo afterSingle = system.eikonal;
    std::vector<TCurrentRay> batch = start;
    std::vector<int> batchResults(start.size(), 99);
    std::vector<TRayWavefront> batchWavefronts(start.size());
    system.TraceRays(batch.data(), static_cast<int>(batch.size()), mode, batchResults.data(),
                     batchWavefronts.data());
    int passed = 0;
    for (std::size_t r = 0; r < start.size(); ++r) {
      SCOPED_TRACE(r);
      EXPECT_EQ(batchResults[r], singleResults[r]);
      EXPECT_EQ(std::memcmp(&batch[r], &single[r], sizeof(TCurrentRay)), 0);
      EXPECT_EQ(std::memcmp(&batchWavefronts[r], &singleWavefronts[r], sizeof(TRayWavefront)),
                0);
      passed += batchResults[r] == 1 ? 1 : 0;
    }
    EXPECT_GT(passed, 0);
    EXPECT_EQ(system.eikonal.opticalPathDifference, afterSingle.opticalPathDifference);
    EXPECT_EQ(system.eikonal.transmission, afterSingle.transmission);
    EXPECT_EQ(system.eikonal.begun, afterSingle.begun);
    // A batch that ends on a ray that passed leaves that ray's values in the record.
    int lastPassed = static_cast<int>(start.size()) - 1;
    while (lastPassed > 0 && singleResults[lastPassed] != 1) --lastPassed;
    std::vector<TCurrentRay> shorter(start.begin(), start.begin() + lastPassed + 1);
    system.TraceRays(shorter.data(), lastPassed + 1, mode, nullptr);
    EXPECT_EQ(system.eikonal.opticalPathDifference,
              singleWavefronts[lastPassed].opticalPathDifference);
    EXPECT_EQ(system.eikonal.transmission, singleWavefronts[lastPassed].transmission);
    // Short batches, a fan of 21 rays and a single ray, pass only the lanes they fill and
    // give the same rays, results and path differences.
    for (const int size : {21, 1}) {
      const int from = 50;  // a field whose rays mostly pass
      std::vector<TCurrentRay> fan(start.begin() + from, start.begin() + from + size);
      std::vector<int> fanResults(size, 99);
      std::vector<TRayWavefront> fanWavefronts(size);
      system.TraceRays(fan.data(), size, mode, fanResults.data(), fanWavefronts.data());
      for (int r = 0; r < size; ++r) {
        SCOPED_TRACE(::testing::Message() << "short batch of " << size << " ray " << r);
        EXPECT_EQ(fanResults[r], singleResults[from + r]);
        EXPECT_EQ(std::memcmp(&fan[r], &single[from + r], sizeof(TCurrentRay)), 0);
        EXPECT_EQ(std::memcmp(&fanWavefronts[r], &singleWavefronts[from + r],
                              sizeof(TRayWavefront)),
                  0);
      }
    }
    // Some rays really carry a path difference and an absorption.
    bool aberrated = false, absorbed = false;
    for (std::size_t r = 0; r < start.size(); ++r) {
      if (batchResults[r] != 1) continue;
      aberrated = aberrated || std::fabs(batchWavefronts[r].opticalPathDifference) > 1e-6;
      absorbed = absorbed || batchWavefronts[r].transmission < 1.0;
    }
    EXPECT_TRUE(aberrated);
    EXPECT_EQ(absorbed, absorbing);
  }
}

// The hit lists a batch records are those of the single trace, entry for entry, through
// ordinary lanes, tilted mirrors and the light pipe's fallback; a short stride keeps the
// first hits and its end mark.
TEST_F(BatchTrace, HitListsAreThoseOfTheSingleTrace) {
  for (const char *example : {"", "fold_mirror.os", "light_pipe.os"}) {
    SCOPED_TRACE(example);
    TOpticalSystem system;
    if (*example == '\0') {
      BuildTriplet(system);
      Ready(system);
      system.info.DrawAllRays = 1;
    } else {
      ASSERT_EQ(system.ReadFile(ExamplePath(example), 0), 1);
    }
    const std::vector<TCurrentRay> start = Rays(system);
    const int stride = 1200;  // the pipe reflects some rays hundreds of times
    std::vector<TIntersectionPoint> cells(start.size() * stride);
    std::vector<TCurrentRay> batch = start;
    const TRayHitLists lists{cells.data(), stride};
    system.TraceRays(batch.data(), static_cast<int>(batch.size()), kTracePlainGlobal, nullptr,
                     nullptr, &lists);
    int recorded = 0;
    for (std::size_t r = 0; r < start.size(); ++r) {
      SCOPED_TRACE(r);
      TCurrentRay single = start[r];
      Mem<TIntersectionPoint> hits;
      system.TraceRay(single, kTracePlainGlobal, &hits, 0);
      EXPECT_EQ(std::memcmp(&batch[r], &single, sizeof(TCurrentRay)), 0);
      int k = 0;
      for (; k < hits.cols && hits.data[k].x != kHitListEnd; ++k) {
        ASSERT_LT(k, stride - 1);
        EXPECT_EQ(std::memcmp(&cells[r * stride + k], &hits.data[k], sizeof(TIntersectionPoint)),
                  0)
            << k;
      }
      EXPECT_EQ(cells[r * stride + k].x, kHitListEnd);
      recorded += k;
    }
    EXPECT_GT(recorded, static_cast<int>(start.size()));
  }
  // Room for two hits and the end mark: the first two of the triplet's hits stay.
  TOpticalSystem triplet;
  BuildTriplet(triplet);
  Ready(triplet);
  TCurrentRay ray = triplet.MakeRay(0.0, 0.0, 1.0, 0.0);
  TCurrentRay single = ray;
  Mem<TIntersectionPoint> hits;
  triplet.TraceRay(single, kTracePlainGlobal, &hits, 0);
  TIntersectionPoint cells[3];
  const TRayHitLists lists{cells, 3};
  triplet.TraceRays(&ray, 1, kTracePlainGlobal, nullptr, nullptr, &lists);
  EXPECT_EQ(cells[0].x, hits.data[0].x);
  EXPECT_EQ(cells[1].y, hits.data[1].y);
  EXPECT_EQ(cells[2].x, kHitListEnd);
}

TEST_F(BatchTrace, EmptyBatchesDoNothing) {
  TOpticalSystem system;
  BuildSinglet(system);
  Ready(system);
  EXPECT_EQ(system.TraceRays(nullptr, 5, 1, nullptr), 0);
  TCurrentRay ray = system.MakeRay(0.0, 0.0, 0.0, 0.0);
  const TCurrentRay before = ray;
  EXPECT_EQ(system.TraceRays(&ray, 0, 1, nullptr), 0);
  EXPECT_EQ(std::memcmp(&ray, &before, sizeof ray), 0);
  // One ray without a result array.
  EXPECT_EQ(system.TraceRays(&ray, 1, -1, nullptr), 1);
  EXPECT_GT(ray.x, 60.0);
}

}  // namespace
