area_sources(EDITOR launcher_commands.cpp system_scene.cpp viewer3d_launch.cpp)
area_tests(EDITOR tests/help_pages_test.cpp tests/system_scene_test.cpp)
