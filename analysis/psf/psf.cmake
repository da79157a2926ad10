area_sources(ANALYSIS_CORE psf_maths.cpp)
area_tests(ANALYSIS_CORE tests/psf_maths_test.cpp)
