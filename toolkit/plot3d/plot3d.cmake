area_sources(TOOLKIT number_text.cpp plot_data.cpp contour_map.cpp)
area_sources(TOOLKIT dib_window.cpp paint3d.cpp fast_graph.cpp)
area_sources(TOOLKIT plot_menu.cpp graphics3d.cpp graphics3d_draw.cpp graphics3d_grid.cpp)
area_tests(TOOLKIT tests/number_text_test.cpp tests/plot_data_test.cpp tests/graphics3d_test.cpp
  tests/paint3d_test.cpp)
