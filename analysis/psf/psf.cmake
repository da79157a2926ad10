area_sources(ANALYSIS_CORE psf_maths.cpp psf_report.cpp psf_run.cpp)
# The MTF's moduli go through vector lanes only when their square roots need not set errno,
# which changes no result.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/psf_maths.cpp PROPERTIES
  COMPILE_OPTIONS "-fno-math-errno;-ftree-vectorize;-ffp-contract=off")
area_tests(ANALYSIS_CORE tests/psf_maths_test.cpp tests/psf_report_test.cpp tests/psf_run_test.cpp
           tests/psf_physics_test.cpp)
area_sources(ANALYSIS test_psf.cpp show_psf.cpp psf_sections.cpp step_sections_dlg.cpp)
area_tests(ANALYSIS tests/show_psf_test.cpp)
