// The lane trace built for AVX-512 (this file alone gets it, 512-bit vectors and no FMA):
// eight lanes to an instruction. Chosen at run time by lane_trace.cpp.

#define LANE_KERNEL_NAMESPACE lane_kernel_avx512
#include "optics/trace/lane_trace_kernel.h"
