area_sources(ANALYSIS_CORE aberration_computation.cpp aberration_plot.cpp aberration_report.cpp)
area_tests(ANALYSIS_CORE tests/aberration_computation_test.cpp tests/aberration_plot_test.cpp
  tests/aberration_report_test.cpp)
