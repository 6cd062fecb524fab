// bench_report.h -- per-frame timings of a capture and their summaries, as text and as JSON.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "frame_stats.h"

namespace capture {

// One scene drawn in a frame, with its own clock as the frame's Update saw it (before the
// restart that a scene's first drawn frame makes).
struct SceneClock {
  std::string name;
  int32_t elapsed = 0;
  int32_t lastElapsed = 0;
};

struct FrameSample {
  int64_t index = 0;
  int32_t time = 0;      // show time, hundredths
  double cpuMs = 0;      // update and draw calls on the CPU
  double gpuMs = -1;     // timer query; negative where the driver has none
  int64_t musicFrame = 0;  // play position of the demo music after the frame
  std::vector<SceneClock> scenes;
};

// Where the figures were taken.
struct BenchInfo {
  std::string renderer, vendor, version, cpu;
  int fps = 60;
  int32_t from = 0, to = 0;
};

// A frame belongs to every scene drawn in it (two at a shared boundary); the groups come
// in order of first appearance, followed by the whole run under the name "all".
struct SceneSummary {
  std::string name;
  Summary cpu, gpu;
};
std::vector<SceneSummary> SummarizeByScene(const std::vector<FrameSample>& frames);

// "m:ss.cc", which --from and --to read back as the same time.
std::string FormatTime(int32_t hundredths);

std::string FormatFrameHeading();
std::string FormatFrameLine(const FrameSample& frame);
std::string FormatBenchSummary(const BenchInfo& info, const std::vector<FrameSample>& frames);
std::string FormatBenchJson(const BenchInfo& info, const std::vector<FrameSample>& frames);

}  // namespace capture
