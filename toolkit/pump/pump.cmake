area_sources(TOOLKIT
  message_queue.cpp
  delay.cpp
  o_gauge.cpp)
area_tests(TOOLKIT
  tests/message_queue_test.cpp
  tests/o_gauge_test.cpp
  tests/o_gauge_dialog_test.cpp)
