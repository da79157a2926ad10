area_sources(TOOLKIT
  cell_value.cpp
  string_buffer.cpp)
area_tests(TOOLKIT
  tests/table2_test.cpp
  tests/cell_value_test.cpp)
