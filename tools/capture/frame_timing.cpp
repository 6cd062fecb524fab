// frame_timing.cpp -- integer frame arithmetic for the virtual counter.
#include "frame_timing.h"

#include <algorithm>

namespace capture {

int64_t CounterFrequencyFor(int fps) { return static_cast<int64_t>(fps) * 100 * 1000; }
int64_t CountsPerFrame(int) { return 100 * 1000; }

int64_t CounterAt(int32_t from, int fps) { return static_cast<int64_t>(from) * CounterFrequencyFor(fps) / 100; }

int32_t FrameTime(int32_t from, int64_t n, int fps) {
  return from + static_cast<int32_t>(n * 100 / fps);
}

int64_t FrameCount(int32_t from, int32_t to, int fps) {
  if (to < from) return 0;
  if (to < kShowEnd) return static_cast<int64_t>(to - from) * fps / 100 + 1;
  // The show stops after the first frame whose clock reads its end or later.
  if (from >= kShowEnd) return 1;
  return (static_cast<int64_t>(kShowEnd - from) * fps + 99) / 100 + 1;
}

int32_t PreviousFrameTime(int32_t from, int fps) {
  int32_t step = (100 + fps - 1) / fps;
  return std::max(0, from - step);
}

}  // namespace capture
