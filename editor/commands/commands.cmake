area_sources(EDITOR_MODEL menu_state.cpp editor_frame.cpp)
area_tests(EDITOR_MODEL tests/menu_state_test.cpp)
