// The one-ray passages built for AVX-512 (this file alone gets it, without FMA): the same
// scalar arithmetic, with 32 registers to hold it. Chosen at run time by ray_passage.cpp.

#define RAY_PASSAGE_NAMESPACE ray_passage_avx512
#include "optics/trace/ray_passage_kernel.h"
