area_sources(OPTICS
  system_turn.cpp
  whole_system.cpp)
area_tests(OPTICS
  tests/whole_system_test.cpp)
area_tests(OPTICS tests/example_systems_test.cpp)
