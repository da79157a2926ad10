area_sources(OPTICS
  psf_progress.cpp
  psf_nodes.cpp
  psf_polychromatic.cpp
  psf_polychromatic_sum.cpp)
area_tests(OPTICS
  tests/psf_nodes_test.cpp
  tests/psf_optics_test.cpp)
