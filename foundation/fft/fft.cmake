area_sources(FOUNDATION
  fft.cpp
  fft2d.cpp
  fft_plan.cpp
  fft_block_sse2.cpp)
# The AVX2 kernels are built for x86-64 only and chosen at run time, so the program still
# runs on processors without AVX2.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  area_sources(FOUNDATION fft_block_avx2.cpp)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/fft_block_avx2.cpp PROPERTIES
    COMPILE_OPTIONS "-mavx2;-mfma;-ffp-contract=fast")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/fft_plan.cpp PROPERTIES COMPILE_DEFINITIONS FFT_HAVE_AVX2_KERNELS)
endif()
area_tests(FOUNDATION
  tests/fft_test.cpp)
# The naive transforms the test compares with are the longest loops of any test: optimised
# like the code they check, they take a second rather than several. (Apart from the test
# program's precompiled header, which is built without optimisation.)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/tests/fft_test.cpp PROPERTIES
  COMPILE_OPTIONS -O2 SKIP_PRECOMPILE_HEADERS ON)
