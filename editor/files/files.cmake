area_sources(EDITOR file_commands.cpp untitled_files.cpp)
