area_sources(IMAGING aperiodical_filter.cpp)
area_tests(IMAGING tests/aperiodical_filter_test.cpp)
