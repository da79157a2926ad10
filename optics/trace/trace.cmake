area_sources(OPTICS system_trace.cpp trace_batch.cpp batch_trace.cpp)
area_tests(OPTICS tests/system_trace_test.cpp tests/batch_trace_test.cpp tests/image_coordinate_test.cpp)
area_sources(OPTICS lane_trace.cpp ray_passage.cpp)
area_tests(OPTICS tests/lane_trace_test.cpp tests/ray_passage_test.cpp)
# The one-ray passages are bit for bit the lanes': no multiply and add contracted. Nor are
# their branches turned into selects or their scalars packed into vectors: both would put
# more steps on a single ray's chain.
set(RAY_PASSAGE_OPTIONS -ffp-contract=off)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND RAY_PASSAGE_OPTIONS -fno-if-conversion -fno-if-conversion2 -fno-tree-slp-vectorize)
elseif(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  list(APPEND RAY_PASSAGE_OPTIONS -fno-slp-vectorize)
endif()
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ray_passage.cpp PROPERTIES COMPILE_OPTIONS "${RAY_PASSAGE_OPTIONS}")
# The lane loop packs into vector instructions only when its square roots need not set
# errno and its divisions may be done in lanes whose result is dropped; neither changes a
# result (the roots and quotients are the same correctly rounded ones). The plain build's
# -O2 would not vectorise it on its own. Contraction stays off: lanes are bit for bit with
# the one-ray interaction.
set(LANE_TRACE_OPTIONS -fno-math-errno -fno-trapping-math -ftree-vectorize -ffp-contract=off)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND LANE_TRACE_OPTIONS -fvect-cost-model=dynamic)
endif()
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/lane_trace.cpp PROPERTIES COMPILE_OPTIONS "${LANE_TRACE_OPTIONS}")
# The AVX2 and AVX-512 builds are made for x86-64 only and chosen at run time.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  area_sources(OPTICS lane_trace_avx2.cpp lane_trace_avx512.cpp)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/lane_trace_avx2.cpp PROPERTIES
    COMPILE_OPTIONS "${LANE_TRACE_OPTIONS};-mavx2;-mno-fma")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/lane_trace_avx512.cpp PROPERTIES
    COMPILE_OPTIONS "${LANE_TRACE_OPTIONS};-mavx512f;-mavx512dq;-mavx512vl;-mno-fma;-mprefer-vector-width=512")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/lane_trace.cpp ${CMAKE_CURRENT_LIST_DIR}/ray_passage.cpp
    PROPERTIES COMPILE_DEFINITIONS LANE_TRACE_HAVE_AVX2)
  area_sources(OPTICS ray_passage_avx512.cpp)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ray_passage_avx512.cpp PROPERTIES
    COMPILE_OPTIONS "${RAY_PASSAGE_OPTIONS};-mavx512f;-mavx512vl;-mno-fma")
endif()
