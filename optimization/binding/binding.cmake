# The engine bound to the optical system: the variables are the variable parameters, the
# function values the merit functions; the run with its checks and reports; the progress
# window as the optimizer sees it.
area_sources(OPTIMIZATION korvex_optz.cpp optimization_run.cpp parameter_file_write.cpp)
area_tests(OPTIMIZATION tests/merit_evaluation_test.cpp tests/korvex_optz_test.cpp
           tests/vignetted_rays_test.cpp)
