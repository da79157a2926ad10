area_sources(OPTICS
  system_materials.cpp
  system_file_check.cpp
  system_file_keys.cpp
  system_file_read.cpp
  system_file_write.cpp
  system_file_names.cpp)
area_tests(OPTICS tests/system_file_test.cpp tests/system_file_golden_test.cpp
  tests/system_file_memory_test.cpp)
