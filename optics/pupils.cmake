list(APPEND OPTICS_SOURCES
  starting_rays.cpp
  batch_trace.cpp
  pupil_support.cpp
  pupils.cpp
  first_order.cpp
  auto_focus.cpp)
list(APPEND OPTICS_TESTS
  tests/starting_rays_test.cpp
  tests/batch_trace_test.cpp
  tests/pupils_test.cpp
  tests/first_order_test.cpp
  tests/auto_focus_test.cpp)
