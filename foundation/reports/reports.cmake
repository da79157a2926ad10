area_sources(FOUNDATION report_lines.cpp ruled_line.cpp page_columns.cpp)
area_tests(FOUNDATION tests/report_lines_test.cpp tests/ruled_line_test.cpp)
