// counter.cpp -- CLOCK_MONOTONIC in nanoseconds, or a virtual counter.
#include "platform/counter.h"

#include <ctime>

namespace plat {

static struct {
  bool isVirtual = false;
  int64_t frequency = 0;
  int64_t value = 0;
} counter;

int64_t CounterFrequency() { return counter.isVirtual ? counter.frequency : 1000000000; }

int64_t CounterRead() {
  if (counter.isVirtual) return counter.value;
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

void UseVirtualCounter(int64_t frequency, int64_t start) {
  counter.isVirtual = true;
  counter.frequency = frequency;
  counter.value = start;
}

void AdvanceVirtualCounter(int64_t ticks) { counter.value += ticks; }
void UseRealCounter() { counter.isVirtual = false; }
bool IsVirtualCounter() { return counter.isVirtual; }

}  // namespace plat
