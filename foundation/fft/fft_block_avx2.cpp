// The blocked transform kernels built for AVX2 with FMA (this file alone gets -mavx2 -mfma);
// they run only when BlockKernelsForThisCpu() has seen both on the processor.

#define FFT_BLOCK_NAMESPACE fft_block_avx2
#include "foundation/fft/fft_block_kernel.h"
