list(APPEND OPTICS_TESTS tests/example_systems_test.cpp)
