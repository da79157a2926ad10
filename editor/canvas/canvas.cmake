area_sources(EDITOR edit_graph.cpp)
area_tests(EDITOR tests/edit_graph_test.cpp)
