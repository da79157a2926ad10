list(APPEND OPTICS_SOURCES lane_trace.cpp)
list(APPEND OPTICS_TESTS tests/lane_trace_test.cpp)
# The lane loop packs square roots into vector instructions only when they need not set
# errno; results are the same correctly rounded roots.
set_source_files_properties(lane_trace.cpp PROPERTIES COMPILE_OPTIONS "-fno-math-errno")
