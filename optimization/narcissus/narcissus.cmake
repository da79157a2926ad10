# The narcissus term of the merit function: a paraxial computation on the optical system.
area_sources(OPTIMIZATION narciss_term.cpp)
area_tests(OPTIMIZATION tests/narciss_term_test.cpp)
