area_sources(ANALYSIS_CORE psf_maths.cpp psf_report.cpp psf_run.cpp)
area_tests(ANALYSIS_CORE tests/psf_maths_test.cpp tests/psf_report_test.cpp tests/psf_run_test.cpp)
