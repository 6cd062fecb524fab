// counter.cpp -- the operating system's counter, or a virtual one advanced by hand.
#include "platform/counter.h"

namespace plat {

static struct {
  bool isVirtual = false;
  int64_t frequency = 0;
  int64_t value = 0;
} counter;

int64_t CounterFrequency() { return counter.isVirtual ? counter.frequency : SystemCounterFrequency(); }

int64_t CounterRead() {
  return counter.isVirtual ? counter.value : SystemCounterRead();
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
