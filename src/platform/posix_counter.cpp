// posix_counter.cpp -- CLOCK_MONOTONIC in nanoseconds; the process's age from /proc.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/counter.h"

namespace plat {

int64_t SystemCounterFrequency() { return 1000000000; }

int64_t SystemCounterRead() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double SecondsSinceProcessStart() {
  // The start time is field 22 of /proc/self/stat, in clock ticks since boot; the name in
  // field 2 may hold spaces and parentheses, so counting starts after its last ')'.
  char text[1024] = "";
  FILE* file = fopen("/proc/self/stat", "r");
  if (!file) return 0.0;
  const size_t length = fread(text, 1, sizeof text - 1, file);
  fclose(file);
  text[length] = '\0';
  const char* rest = strrchr(text, ')');
  unsigned long long ticks = 0;
  // Fields 3 to 21 are skipped; 22 is the start time.
  if (!rest || sscanf(rest + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                      &ticks) != 1)
    return 0.0;
  timespec now;
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double started = double(ticks) / double(sysconf(_SC_CLK_TCK));
  return double(now.tv_sec) + now.tv_nsec * 1e-9 - started;
}

}  // namespace plat
