#pragma once
// The program's pseudo-random numbers: one 15-bit linear congruential generator
// (state = state * 22695477 + 1 modulo 2^32, output bits 16..30) that starts from state 1,
// so every run draws the same sequence, and three distributions built on it.

#include <cstdint>

// The next output, 0 ... 32767.
int Random15();

// Restarts the generator from `state` (the program starts from 1 and never reseeds; tests
// and reproducible runs do).
void SeedRandom(std::uint32_t state);

// a + (b - a) u with u = output / 32767, so u runs over [0, 1] with both ends reachable.
double RandomUniform(double a, double b);

// Uniform with the given mean and standard deviation: mean -+ sqrt(3) sigma.
double RandomUniformSigma(double mean, double sigma);

// Approximately normal, from a 100-step table of the inverse normal distribution; always
// within mean -+ 3 sigma.
double RandomNormal(double mean, double sigma);
