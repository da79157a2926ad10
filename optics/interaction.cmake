list(APPEND OPTICS_SOURCES
  iterative_intersection.cpp
  surface_interaction.cpp
  surface_geometry.cpp
  glass_index.cpp
  surface_trace.cpp)
list(APPEND OPTICS_TESTS
  tests/surface_interaction_test.cpp
  tests/surface_apertures_test.cpp
  tests/paraxial_hoe_test.cpp
  tests/iterative_intersection_test.cpp
  tests/surface_geometry_test.cpp
  tests/glass_index_test.cpp
  tests/surface_trace_test.cpp
  tests/interaction_physics_test.cpp)
