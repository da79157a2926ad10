list(APPEND OPTICS_TESTS tests/system_prepare_test.cpp)
