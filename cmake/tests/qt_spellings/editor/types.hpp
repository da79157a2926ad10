// A header of another ending.
#pragma once
#include <QColor>
