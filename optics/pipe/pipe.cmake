area_sources(OPTICS pipe_wall.cpp pipe_surface.cpp)
area_tests(OPTICS tests/pipe_wall_test.cpp tests/pipe_surface_test.cpp tests/system_pipe_test.cpp)
