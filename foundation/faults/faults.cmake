area_sources(FOUNDATION fault_description.cpp)
area_tests(FOUNDATION tests/fault_description_test.cpp)
