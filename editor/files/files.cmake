area_sources(EDITOR file_commands.cpp)
