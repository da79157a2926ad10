list(APPEND OPTICS_SOURCES euler_fit.cpp)
list(APPEND OPTICS_TESTS tests/euler_fit_test.cpp)
