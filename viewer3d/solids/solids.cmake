area_sources(VIEWER3D_CORE solid_drawer.cpp conic_profile.cpp revolution_pieces.cpp
  round_element_solid.cpp rect_element_solid.cpp lens_solid.cpp round_mirror_solid.cpp
  faceted_solids.cpp prism_solid.cpp wedge_solid.cpp placed_lens_solid.cpp)
area_tests(VIEWER3D_CORE tests/conic_profile_test.cpp tests/solids_test.cpp)
