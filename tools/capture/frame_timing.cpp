// frame_timing.cpp -- integer frame arithmetic for the virtual counter.
#include "frame_timing.h"

#include <algorithm>

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

std::vector<int64_t> SheetPicks(int32_t from, int32_t to, int32_t every, int fps) {
  const FrameRange section = SectionFrames(from, to, fps);
  std::vector<int64_t> picks;
  for (int64_t time = from; every > 0; time += every) {
    const int64_t frame = FirstFrameAt(static_cast<int32_t>(std::min<int64_t>(time, kShowEnd + 1)), fps);
    if (frame > section.last) break;
    picks.push_back(frame);
  }
  return picks;
}

std::vector<FrameRange> MergeRanges(std::vector<FrameRange> ranges) {
  std::sort(ranges.begin(), ranges.end(), [](FrameRange a, FrameRange b) { return a.first < b.first; });
  std::vector<FrameRange> merged;
  for (FrameRange r : ranges) {
    if (r.Count() == 0) continue;
    if (!merged.empty() && r.first <= merged.back().last + 1)
      merged.back().last = std::max(merged.back().last, r.last);
    else
      merged.push_back(r);
  }
  return merged;
}

bool InRanges(const std::vector<FrameRange>& merged, int64_t frame) {
  auto after = std::upper_bound(merged.begin(), merged.end(), frame,
                                [](int64_t f, FrameRange r) { return f < r.first; });
  return after != merged.begin() && frame <= std::prev(after)->last;
}

}  // namespace capture
