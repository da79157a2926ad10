area_sources(EDITOR editor_tools.cpp edit_clipboard.cpp edit_commands.cpp view_commands.cpp
             alignment_commands.cpp configuration_commands.cpp palette_placement.cpp
             editor_palettes.cpp palette_glyphs.cpp)
area_tests(EDITOR tests/edit_commands_test.cpp tests/view_commands_test.cpp
           tests/quick_tables_test.cpp tests/palettes_test.cpp
           tests/configuration_commands_test.cpp)
