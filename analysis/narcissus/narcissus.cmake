# The narcissus term of the merit function: a paraxial computation on the optical system.
area_sources(ANALYSIS_CORE narciss_term.cpp)
area_tests(ANALYSIS_CORE tests/narciss_term_test.cpp)
