// Reaches Qt through files the check does not read as its own: one of another ending, one of a
// folder that is no floor.
#include "editor/spelled_out.txt"
#include "outside/qt_part.h"
