list(APPEND OPTICS_SOURCES pipe_wall.cpp pipe_surface.cpp)
list(APPEND OPTICS_TESTS tests/pipe_wall_test.cpp tests/pipe_surface_test.cpp tests/system_pipe_test.cpp)
