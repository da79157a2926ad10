list(APPEND OPTICS_SOURCES frames.cpp)
list(APPEND OPTICS_TESTS tests/frames_test.cpp)
