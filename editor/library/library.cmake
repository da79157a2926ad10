# The component library: its record file (no windows) and its dialog.
area_sources(EDITOR_MODEL component_library.cpp)
area_tests(EDITOR_MODEL tests/component_library_test.cpp)
area_sources(EDITOR library_elements.cpp)
area_tests(EDITOR tests/library_elements_test.cpp)
