list(APPEND OPTICS_SOURCES lane_trace.cpp)
list(APPEND OPTICS_TESTS tests/lane_trace_test.cpp)
# The lane loop packs into vector instructions only when its square roots need not set
# errno and its divisions may be done in lanes whose result is dropped; neither changes a
# result (the roots and quotients are the same correctly rounded ones). The plain build's
# -O2 would not vectorise it on its own.
set_source_files_properties(lane_trace.cpp PROPERTIES COMPILE_OPTIONS "-fno-math-errno;-fno-trapping-math;-ftree-vectorize;-fvect-cost-model=dynamic")
