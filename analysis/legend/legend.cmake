area_sources(ANALYSIS view_indication_dlg.cpp)
area_tests(ANALYSIS tests/view_indication_dlg_test.cpp)
