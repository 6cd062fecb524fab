// frame_stats.h -- summary figures of a list of frame times.
#pragma once
#include <cstddef>
#include <vector>

namespace capture {

struct Summary {
  size_t count = 0;
  double mean = 0, median = 0, p99 = 0, max = 0;
};

// median: the middle value, or the mean of the two middle ones; p99: the smallest value
// that at least 99 % of the values do not exceed (nearest rank). All zero when empty.
Summary Summarize(std::vector<double> values);

}  // namespace capture
