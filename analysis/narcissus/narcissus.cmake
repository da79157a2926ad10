# The narcissus term of the merit function and the narcissus analysis: paraxial
# computations on the optical system, and the analysis dialog over them.
area_sources(ANALYSIS_CORE narciss_term.cpp narcissus_radiometry.cpp narcissus_analysis.cpp)
area_tests(ANALYSIS_CORE tests/narciss_term_test.cpp tests/narcissus_radiometry_test.cpp
           tests/narcissus_analysis_test.cpp)
area_sources(ANALYSIS narcissus_systems.cpp narciss_dlg.cpp)
area_tests(ANALYSIS tests/narciss_dlg_test.cpp tests/narcissus_scan_test.cpp)
