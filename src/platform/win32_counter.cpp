// win32_counter.cpp -- the high-resolution performance counter; the process's age from its creation time.
#include <windows.h>

#include "platform/counter.h"

namespace plat {

int64_t SystemCounterFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

int64_t SystemCounterRead() {
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return count.QuadPart;
}

double SecondsSinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  GetSystemTimeAsFileTime(&now);
  auto hundredNs = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return double(hundredNs(now) - hundredNs(created)) * 1e-7;
}

}  // namespace plat
