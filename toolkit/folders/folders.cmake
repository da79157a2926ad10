area_sources(TOOLKIT
  book_mark_folder.cpp
  book_mark_dlg.cpp)
area_tests(TOOLKIT
  tests/book_mark_folder_test.cpp)
