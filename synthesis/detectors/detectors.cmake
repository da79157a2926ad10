area_sources(SYNTHESIS detector_parameters.cpp scanner_parameters.cpp)
area_tests(SYNTHESIS tests/scanner_parameters_test.cpp)
