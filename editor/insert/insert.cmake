# Paste, new single surface, new element: the placement's changes to the system and the
# elements put in place and the system report's lines (no windows); then the editor's commands,
# the element folder and the printed system report.
area_sources(EDITOR_MODEL element_insertion.cpp face_clearance.cpp face_crossing.cpp lens_of_focus.cpp new_elements.cpp placement.cpp placement_room.cpp
             prism_of_minimum_deviation.cpp system_report.cpp)
area_tests(EDITOR_MODEL tests/folded_placement_test.cpp tests/lens_of_focus_test.cpp tests/new_elements_test.cpp tests/placement_test.cpp tests/system_report_test.cpp)
area_sources(EDITOR element_folder.cpp insert_commands.cpp new_element_pages.cpp
             print_system_properties.cpp)
area_tests(EDITOR tests/new_system_road_test.cpp tests/optical_editor_insert_test.cpp tests/print_system_properties_test.cpp)
