# What the optimizer's windows hold and decide, without their windows: the progress
# window's fields, gauge, buttons and the run it may stop; the merit-function editor's page
# of one configuration with its transfers, page turns, units, Load and Save.
area_sources(OPTIMIZATION optimization_viewer_state.cpp functions_page.cpp)
area_tests(OPTIMIZATION tests/optimization_viewer_state_test.cpp tests/functions_page_test.cpp)
