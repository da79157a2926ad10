# The damped-least-squares engine: it sees variables, function values, targets, weights and
# bounds only, never the optics.
area_sources(OPTIMIZATION optz.cpp normal_equations.cpp)
area_tests(OPTIMIZATION tests/optz_test.cpp tests/optz_edge_test.cpp tests/misra1a_test.cpp
  tests/normal_equations_test.cpp)
