area_sources(TOOLKIT
  value_text.cpp
  field_label.cpp
  base_edit.cpp
  multi_edit.cpp)
area_tests(TOOLKIT
  tests/value_text_test.cpp
  tests/multi_edit_test.cpp)
