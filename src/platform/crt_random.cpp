// crt_random.cpp -- 15-bit linear congruential generator and the replaceable calendar clock.
#include "platform/crt_random.h"

#include <ctime>

namespace plat {

static struct {
  uint32_t seed = 1;
  bool calendarOverridden = false;
  int64_t calendarSeconds = 0;
} rng;

void Srand(uint32_t seed) { rng.seed = seed; }

int Rand() {
  rng.seed = rng.seed * 214013u + 2531011u;
  return static_cast<int>((rng.seed >> 16) & 0x7FFF);
}

float RandHundredths(int modulus) { return static_cast<float>((10 * Rand()) % modulus) / 1000.0f; }

int64_t CalendarTime() {
  if (rng.calendarOverridden) return rng.calendarSeconds;
  return static_cast<int64_t>(time(nullptr));
}

void OverrideCalendarTime(int64_t seconds) {
  rng.calendarOverridden = true;
  rng.calendarSeconds = seconds;
}

void ClearCalendarTimeOverride() { rng.calendarOverridden = false; }

}  // namespace plat
