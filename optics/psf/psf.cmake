area_sources(OPTICS
  diffraction_sampling.cpp
  pupil_direction_map.cpp
  pupil_mirrors.cpp
  psf_interval.cpp
  psf_progress.cpp
  psf_nodes.cpp
  psf_polychromatic.cpp
  psf_polychromatic_sum.cpp)
area_tests(OPTICS
  tests/psf_nodes_test.cpp
  tests/psf_interval_test.cpp
  tests/psf_optics_test.cpp
  tests/psf_sampling_test.cpp
  tests/pupil_mirrors_test.cpp)
# A pupil row's points are mapped in vector lanes only when the square roots need not set
# errno and the divisions may be done in lanes whose result is dropped; neither changes a
# result (the roots and quotients are the same correctly rounded ones), and no multiply and
# add is contracted, so each point is the one-point map's bit for bit.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/pupil_direction_map.cpp PROPERTIES
  COMPILE_OPTIONS "-fno-math-errno;-fno-trapping-math;-ftree-vectorize;-ffp-contract=off")
