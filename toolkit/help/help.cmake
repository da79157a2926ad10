area_sources(TOOLKIT help_index.cpp help_window.cpp win_help.cpp)
area_tests(TOOLKIT tests/help_index_test.cpp tests/win_help_test.cpp)
