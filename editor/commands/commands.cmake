area_sources(EDITOR_MODEL menu_state.cpp)
area_tests(EDITOR_MODEL tests/menu_state_test.cpp)
