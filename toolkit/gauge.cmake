list(APPEND TOOLKIT_SOURCES
  pump/message_queue.cpp
  pump/delay.cpp)
list(APPEND TOOLKIT_TESTS
  tests/message_queue_test.cpp)
