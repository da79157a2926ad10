# The narcissus term of the merit function and the narcissus analysis: paraxial
# computations on the optical system.
area_sources(ANALYSIS_CORE narciss_term.cpp narcissus_radiometry.cpp narcissus_analysis.cpp)
area_tests(ANALYSIS_CORE tests/narciss_term_test.cpp tests/narcissus_radiometry_test.cpp
           tests/narcissus_analysis_test.cpp)
