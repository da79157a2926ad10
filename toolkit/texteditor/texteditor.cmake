area_sources(TOOLKIT
  editor_glyphs.cpp
  o_editor.cpp
  printout_editor.cpp
  text_editor.cpp)
area_tests(TOOLKIT
  tests/printout_editor_test.cpp
  tests/text_editor_test.cpp)
