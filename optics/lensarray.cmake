list(APPEND OPTICS_SOURCES
  lens_array_geometry.cpp
  lens_array_cells.cpp
  micro_element.cpp
  micro_tor.cpp
  lens_array.cpp
  lens_array_preview.cpp)
list(APPEND OPTICS_TESTS
  tests/lens_array_geometry_test.cpp
  tests/micro_element_test.cpp
  tests/lens_array_test.cpp
  tests/lens_array_preview_test.cpp
  tests/lens_array_optics_test.cpp)
