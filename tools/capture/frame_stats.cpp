// frame_stats.cpp -- mean, median, nearest-rank 99th percentile and maximum.
#include "frame_stats.h"

#include <algorithm>

namespace capture {

Summary Summarize(std::vector<double> values) {
  Summary s;
  s.count = values.size();
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  double total = 0;
  for (double v : values) total += v;
  s.mean = total / values.size();
  size_t mid = values.size() / 2;
  s.median = values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
  // Rank ceil(0.99 n), counted from 1; integer arithmetic avoids 0.99 * 100 rounding up to 100.0000001.
  size_t rank = (values.size() * 99 + 99) / 100;
  s.p99 = values[std::max<size_t>(rank, 1) - 1];
  s.max = values.back();
  return s;
}

}  // namespace capture
