area_sources(FOUNDATION report_lines.cpp)
area_tests(FOUNDATION tests/report_lines_test.cpp)
