area_sources(SYNTHESIS aperiodical_filter.cpp)
area_tests(SYNTHESIS tests/aperiodical_filter_test.cpp)
