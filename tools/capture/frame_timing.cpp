// frame_timing.cpp -- integer frame arithmetic for the virtual counter.
#include "frame_timing.h"

namespace capture {

int64_t CounterFrequencyFor(int fps) { return static_cast<int64_t>(fps) * 100 * 1000; }
int64_t CountsPerFrame(int) { return 100 * 1000; }

int32_t FrameTime(int64_t n, int fps) { return static_cast<int32_t>(n * 100 / fps); }

// floor(n * 100 / fps) >= time exactly when n * 100 >= time * fps.
int64_t FirstFrameAt(int32_t time, int fps) { return (static_cast<int64_t>(time) * fps + 99) / 100; }

FrameRange SectionFrames(int32_t from, int32_t to, int fps) {
  FrameRange r;
  r.first = FirstFrameAt(from, fps);
  // The show stops after the first frame whose clock reads its end or later.
  r.last = to >= kShowEnd ? FirstFrameAt(kShowEnd, fps) : FirstFrameAt(to + 1, fps) - 1;
  return r;
}

}  // namespace capture
