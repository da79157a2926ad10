area_sources(EDITOR_MODEL editor_settings.cpp recent_files.cpp)
area_tests(EDITOR_MODEL tests/editor_settings_test.cpp tests/recent_files_test.cpp)
