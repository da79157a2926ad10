// The blocked transform kernels for the x86-64 baseline instruction set.

#define FFT_BLOCK_NAMESPACE fft_block_sse2
#include "foundation/fft/fft_block_kernel.h"
