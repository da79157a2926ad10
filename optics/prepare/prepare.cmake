area_sources(OPTICS system_prepare.cpp)
area_tests(OPTICS tests/system_prepare_test.cpp)
