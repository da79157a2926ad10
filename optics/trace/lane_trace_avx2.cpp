// The lane trace built for AVX2 (this file alone gets -mavx2, and no FMA): four lanes to
// an instruction. Chosen at run time by lane_trace.cpp.

#define LANE_KERNEL_NAMESPACE lane_kernel_avx2
#include "optics/trace/lane_trace_kernel.h"
