area_sources(TOOLKIT
  o_editor.cpp
  text_editor.cpp)
area_tests(TOOLKIT
  tests/text_editor_test.cpp)
