# The optimizer's view of the edited system and the optimize command of the system's
# properties.
area_sources(EDITOR_MODEL edited_configurations.cpp cm_optimize.cpp optimization_panel.cpp optimization_setup.cpp)
area_tests(EDITOR_MODEL tests/cm_optimize_test.cpp tests/optimization_panel_test.cpp)
