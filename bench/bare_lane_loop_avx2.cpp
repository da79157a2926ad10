// The bare loop built for AVX2 (no FMA), as the lane trace's AVX2 build.

#define BARE_LOOP_NAMESPACE bare_loop_avx2
#include "bench/bare_lane_loop_kernel.h"
