area_sources(TOOLKIT
  message_queue.cpp
  delay.cpp)
area_tests(TOOLKIT
  tests/message_queue_test.cpp)
