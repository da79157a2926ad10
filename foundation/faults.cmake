list(APPEND FOUNDATION_SOURCES fault_description.cpp)
list(APPEND FOUNDATION_TESTS tests/fault_description_test.cpp)
