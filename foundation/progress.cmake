list(APPEND FOUNDATION_SOURCES
  mesh_function.cpp
  toolkit_records.cpp)
list(APPEND FOUNDATION_TESTS
  tests/toolkit_records_test.cpp)
