#pragma once
// The one value of pi the program computes with (the double nearest to it).

#include <numbers>

constexpr double kPi = std::numbers::pi;
