// frame_timing.h -- the one frame grid of every capture: which show time each frame has, and which frames a section holds.
#pragma once
#include <cstdint>
#include <vector>

#include "show/show_start.h"

namespace capture {

using MorlenGL::kShowEnd;

// A counter frequency that one frame step divides exactly: fps * 100 * 1000 counts per
// second, so a hundredth is 1000 * fps counts and a frame 100000 counts.
int64_t CounterFrequencyFor(int fps);
int64_t CountsPerFrame(int fps);

// Every capture runs the show from 0 on the same grid: frame n (0 is the show's first) lies
// n / fps seconds in, and the clocks, which divide the counter, read floor(n * 100 / fps).
int32_t FrameTime(int64_t n, int fps);
// The first frame whose clock reads `time` or later.
int64_t FirstFrameAt(int32_t time, int fps);

// Frames first..last of the grid, both included; empty when last < first.
struct FrameRange {
  int64_t first = 0;
  int64_t last = -1;
  int64_t Count() const { return last >= first ? last - first + 1 : 0; }
};

// The frames whose clock reads from `from` to `to`; a section reaching the show's end runs to
// the show's last frame, the first whose clock reads 5:04.0 or later.
FrameRange SectionFrames(int32_t from, int32_t to, int fps);

// The frames a contact sheet shows: for each time from, from + every, from + 2 every, ... the
// first frame whose clock reads it, up to the last frame of SectionFrames(from, to, fps).
// `every` of at least one frame (every * fps >= 100) makes them all different.
std::vector<int64_t> SheetPicks(int32_t from, int32_t to, int32_t every, int fps);

// The ranges in order, with those that overlap or touch joined into one.
std::vector<FrameRange> MergeRanges(std::vector<FrameRange> ranges);
bool InRanges(const std::vector<FrameRange>& merged, int64_t frame);

}  // namespace capture
