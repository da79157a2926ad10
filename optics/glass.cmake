list(APPEND OPTICS_SOURCES
  data_file.cpp
  dgc_file.cpp
  tgc_file.cpp
  glass_record.cpp
  glass_info.cpp
  private_glass_info.cpp
  air_index.cpp
  glass_catalog.cpp)
list(APPEND OPTICS_TESTS
  tests/glass_info_test.cpp
  tests/private_glass_test.cpp
  tests/dgc_file_test.cpp
  tests/tgc_file_test.cpp
  tests/glass_catalog_test.cpp
  tests/glass_robustness_test.cpp
  tests/glass_physics_test.cpp)
