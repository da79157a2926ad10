# Paste, new single surface, new element: the placement's changes to the system and the
# elements put in place (no windows), then the editor's commands and the element folder.
area_sources(EDITOR_MODEL element_clipboard.cpp element_insertion.cpp lens_of_focus.cpp placement.cpp
             system_report.cpp)
area_tests(EDITOR_MODEL tests/lens_of_focus_test.cpp tests/placement_test.cpp tests/system_report_test.cpp)
area_sources(EDITOR element_folder.cpp optical_editor_insert.cpp)
area_tests(EDITOR tests/optical_editor_insert_test.cpp)
