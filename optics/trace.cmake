list(APPEND OPTICS_SOURCES system_trace.cpp)
