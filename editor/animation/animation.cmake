area_sources(EDITOR_MODEL animation_info.cpp animation_file.cpp lens_animation.cpp beam_sweep.cpp
  animation_gate.cpp)
area_tests(EDITOR_MODEL tests/animation_file_test.cpp tests/lens_animation_test.cpp)
area_sources(EDITOR animation_commands.cpp animation_file_editor.cpp movie_commands.cpp step_movie.cpp
  avi_step_movie.cpp)
area_tests(EDITOR tests/animation_commands_test.cpp tests/step_movie_test.cpp)
