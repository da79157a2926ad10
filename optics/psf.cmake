list(APPEND OPTICS_SOURCES
  psf_progress.cpp
  psf_nodes.cpp
  psf_polychromatic.cpp
  psf_polychromatic_sum.cpp)
list(APPEND OPTICS_TESTS
  tests/psf_nodes_test.cpp
  tests/psf_optics_test.cpp)
