# The edited system as the optimizer sees it (configured_system.h) and the run's message
# pump (run_pump.h); tests/ holds a several-configuration stand-in for the other areas'
# tests.
area_sources(OPTIMIZATION configured_system.cpp)
