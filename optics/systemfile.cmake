list(APPEND OPTICS_SOURCES
  system_materials.cpp
  system_file_check.cpp
  system_file_read.cpp
  system_file_write.cpp)
list(APPEND OPTICS_TESTS tests/system_file_test.cpp)
