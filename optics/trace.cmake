list(APPEND OPTICS_SOURCES system_trace.cpp trace_batch.cpp)
list(APPEND OPTICS_TESTS tests/system_trace_test.cpp)
