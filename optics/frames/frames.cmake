area_sources(OPTICS frames.cpp)
area_tests(OPTICS tests/frames_test.cpp)
area_sources(OPTICS euler_fit.cpp)
area_tests(OPTICS tests/euler_fit_test.cpp)
