list(APPEND OPTICS_SOURCES
  system_turn.cpp
  whole_system.cpp)
list(APPEND OPTICS_TESTS
  tests/whole_system_test.cpp)
