// frame_timing.h -- which show time each captured frame has, and how far the counter moves per frame.
#pragma once
#include <cstdint>

#include "show/show_start.h"

namespace capture {

using MorlenGL::kShowEnd;

// A counter frequency that one frame step divides exactly: fps * 100 * 1000 counts per
// second, so a hundredth is 1000 * fps counts and a frame 100000 counts.
int64_t CounterFrequencyFor(int fps);
int64_t CountsPerFrame(int fps);

// The counter value at which a capture starting at `from` begins: the value a capture
// from 0 has when it reaches `from`, so even raw clock readings agree between the two.
int64_t CounterAt(int32_t from, int fps);

// Show time, in hundredths, of frame n of a capture that starts at `from`: the clocks
// divide the counter, so the time is from + floor(n * 100 / fps).
int32_t FrameTime(int32_t from, int64_t n, int fps);

// Frames of a capture over [from, to]: every frame whose exact time lies in the section;
// a section reaching the show's end runs to the show's last frame, which may lie past it.
int64_t FrameCount(int32_t from, int32_t to, int fps);

// Time the frame before `from` would have had in a capture from the beginning.
int32_t PreviousFrameTime(int32_t from, int fps);

}  // namespace capture
