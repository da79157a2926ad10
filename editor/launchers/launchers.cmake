area_sources(EDITOR launcher_commands.cpp)
