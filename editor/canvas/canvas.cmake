area_sources(EDITOR edit_graph.cpp edit_graph_input.cpp scale_caption.cpp tool_selection.cpp)
area_tests(EDITOR tests/edit_graph_test.cpp tests/edit_graph_tools_test.cpp tests/scale_caption_test.cpp)
