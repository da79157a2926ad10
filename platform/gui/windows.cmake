list(APPEND PLATFORM_GUI_SOURCES
  key_codes.cpp
  window.cpp
  window_geometry.cpp
  window_paint.cpp
  window_scroll.cpp
  window_host.cpp
  scroller.cpp
  message_loop.cpp
  application.cpp
  screen.cpp
  qt_providers.cpp
  test_kit.cpp)
list(APPEND PLATFORM_GUI_TESTS
  tests/window_test.cpp
  tests/window_geometry_test.cpp
  tests/window_input_test.cpp
  tests/window_paint_test.cpp
  tests/application_test.cpp)
