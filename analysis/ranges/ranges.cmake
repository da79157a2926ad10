area_sources(ANALYSIS_CORE plot_range.cpp)
area_tests(ANALYSIS_CORE tests/plot_range_test.cpp)
