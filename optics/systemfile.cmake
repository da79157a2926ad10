list(APPEND OPTICS_SOURCES
  system_materials.cpp
  system_file_check.cpp
  system_file_read.cpp
  system_file_write.cpp)
