area_sources(EDITOR number_field.cpp quick_table_dlg.cpp scale_system_dlg.cpp preferences_folder.cpp)
area_tests(EDITOR tests/editor_dialogs_test.cpp)
