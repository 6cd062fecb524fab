// counter.h -- the high-resolution counter every Timer reads, real or advanced by hand.
#pragma once
#include <cstdint>

namespace plat {

int64_t CounterFrequency();  // counts per second
int64_t CounterRead();

// The operating system's own counter, whatever the above reads.
int64_t SystemCounterFrequency();
int64_t SystemCounterRead();

// Tests and the capture tool drive time themselves: from here on every read returns
// the virtual value, which only AdvanceVirtualCounter moves.
void UseVirtualCounter(int64_t frequency = 1000000, int64_t start = 0);
void AdvanceVirtualCounter(int64_t ticks);
void UseRealCounter();
bool IsVirtualCounter();

// Wall seconds since the kernel started this process (to its 1/100 s), for start-up
// figures; the virtual counter does not move it. 0 where the kernel does not say.
double SecondsSinceProcessStart();

}  // namespace plat
