list(APPEND FOUNDATION_SOURCES
  numeric_misuse.cpp
  vector.cpp
  matrix.cpp
  random.cpp
  rotator.cpp)
list(APPEND FOUNDATION_TESTS
  tests/vector_test.cpp
  tests/matrix_test.cpp
  tests/random_test.cpp
  tests/rotator_test.cpp)
