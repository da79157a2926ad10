list(APPEND OPTICS_SOURCES
  beams.cpp
  color_image_service.cpp
  element_animation_info.cpp
  eikonal_info.cpp
  file_data.cpp
  hoe_parameters.cpp
  light_source_records.cpp
  model_globals.cpp
  optical_element.cpp
  optical_system.cpp
  optical_system_information.cpp
  raster_zone.cpp
  ray.cpp
  surface.cpp
  system_prepare.cpp
  temporary_directory.cpp)
list(APPEND OPTICS_TESTS
  tests/beams_test.cpp
  tests/element_records_test.cpp
  tests/model_globals_test.cpp
  tests/model_memory_test.cpp
  tests/optical_system_test.cpp
  tests/ray_test.cpp
  tests/surface_test.cpp
  tests/synthesis_records_test.cpp)
