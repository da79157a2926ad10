area_sources(ANALYSIS_CORE aberration_computation.cpp aberration_plot.cpp aberration_report.cpp
  aberrations_settings.cpp)
area_tests(ANALYSIS_CORE tests/aberration_computation_test.cpp tests/aberration_plot_test.cpp
  tests/aberration_report_test.cpp tests/aberrations_settings_test.cpp)
area_sources(ANALYSIS show_easy_aberrations_dlg.cpp aberration_graphs.cpp)
area_tests(ANALYSIS tests/show_easy_aberrations_dlg_test.cpp)
