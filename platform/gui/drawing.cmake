list(APPEND PLATFORM_GUI_SOURCES
  gdi_objects.cpp
  font_map.cpp
  dc.cpp
  dc_figures.cpp
  dc_blit.cpp
  dc_text.cpp
  dc_kinds.cpp
  dib_pixels.cpp
  dib.cpp
  dib_bits.cpp
  sys_colors.cpp
  window_dc.cpp)
list(APPEND PLATFORM_GUI_TESTS
  tests/raster_ops_test.cpp
  tests/dc_lines_test.cpp
  tests/dc_blit_test.cpp
  tests/dc_text_test.cpp
  tests/dc_mapping_test.cpp
  tests/gdi_objects_test.cpp
  tests/dib_test.cpp
  tests/window_dc_test.cpp)
