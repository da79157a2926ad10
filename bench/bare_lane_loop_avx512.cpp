// The bare loop built for AVX-512 (no FMA), as the lane trace's AVX-512 build.

#define BARE_LOOP_NAMESPACE bare_loop_avx512
#include "bench/bare_lane_loop_kernel.h"
