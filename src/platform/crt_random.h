// crt_random.h -- the classic 15-bit C-runtime generator every random formula of the show assumes.
#pragma once
#include <cstdint>

namespace plat {

constexpr int kRandMax = 32767;

// seed = seed * 214013 + 2531011; result = (seed >> 16) & 0x7FFF. Seed 1 gives 41, 18467, 6334, ...
void Srand(uint32_t seed);
int Rand();

// ((10 * Rand()) mod modulus) / 1000: the show's recurring random value in steps of 0.01, from 0
// up to below modulus / 1000 (a modulus above 327670 never bites). Callers add their lower bound.
float RandHundredths(int modulus);

// Calendar time in seconds, as time(nullptr); replaceable so captures are deterministic.
int64_t CalendarTime();
void OverrideCalendarTime(int64_t seconds);
void ClearCalendarTimeOverride();

}  // namespace plat
