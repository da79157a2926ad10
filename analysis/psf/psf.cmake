area_sources(ANALYSIS_CORE psf_maths.cpp psf_report.cpp psf_run.cpp)
area_tests(ANALYSIS_CORE tests/psf_maths_test.cpp tests/psf_report_test.cpp tests/psf_run_test.cpp
           tests/psf_physics_test.cpp)
area_sources(ANALYSIS test_psf.cpp show_psf.cpp psf_sections.cpp step_sections_dlg.cpp)
area_tests(ANALYSIS tests/show_psf_test.cpp)
