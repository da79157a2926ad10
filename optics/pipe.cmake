list(APPEND OPTICS_SOURCES pipe_wall.cpp)
list(APPEND OPTICS_TESTS tests/pipe_wall_test.cpp)
