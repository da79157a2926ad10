# The edited system as the optimizer sees it: one interface (configured_system.h), no
# sources of its own; tests/ holds a several-configuration stand-in for the other areas'
# tests.
