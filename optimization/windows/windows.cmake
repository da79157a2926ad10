# The optimizer's windows over the platform layer: the progress window and the run's
# windows host.
area_sources(OPTIMIZATION_WINDOWS optimization_viewer.cpp viewer_run_host.cpp functions_tables.cpp
  optimization_functions_dlg.cpp)
area_tests(OPTIMIZATION_WINDOWS tests/optimization_viewer_test.cpp tests/optimization_functions_dlg_test.cpp)
