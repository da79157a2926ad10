area_sources(ANALYSIS_CORE spot_computation.cpp)
area_tests(ANALYSIS_CORE tests/spot_computation_test.cpp)
area_sources(ANALYSIS spot_diagram.cpp)
area_tests(ANALYSIS tests/spot_diagram_test.cpp)
